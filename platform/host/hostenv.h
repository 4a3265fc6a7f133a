// Internals of the host's own Windows, shared by the files of platform/host and by host
// code that builds on it (the DDE service, host-only tests). Nothing above platform/
// includes this outside the host build.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/casefold.h"
#include "platform/registry.h"
#include "platform/types.h"

namespace platform::host {

// ---- The root ----------------------------------------------------------------------
// Makes sure a root is in use: on first use the root named by ZARN_WINDOWS_ROOT, or
// $XDG_DATA_HOME/zarn-windows (~/.local/share/zarn-windows) when unset, is initialised and
// the DOS current folder is derived from the process's POSIX folder.
void EnsureRoot();
const std::string& RootFolder();
// The user name used for the profile folder (C:\users\<name>).
std::string UserName();

// ---- Paths -------------------------------------------------------------------------
// An absolute DOS path ("C:\a\b") for `path` taken relative to the current folders.
// Forward slashes count as backslashes; "." and ".." are resolved; ".." above a drive's
// root fails. Returns false with the Win32 error in `error`.
bool FullDosPath(const std::string& path, std::string& full, DWORD& error);
// Maps a DOS path to a host path through the drive links, matching each component
// exactly first and then without regard to case. Components that do not exist keep the
// case given. Fails with PathNotFound for a drive without link or a path that leaves a
// drive's root.
bool MapPath(const std::string& path, std::string& hostPath, DWORD& error);
// The 8.3 alias of entry `name` of host folder `hostDir` (the name itself when it is a
// valid 8.3 name already).
std::string ShortNameIn(const std::string& hostDir, const std::string& name);
// Host path -> DOS path through the longest matching drive link.
std::optional<std::string> DosPathOf(const std::string& hostPath);
// The Win32 error for a failed POSIX call on `hostPath` (ENOENT becomes FileNotFound
// when the parent folder exists, PathNotFound otherwise).
DWORD ErrorFromErrno(int e, const std::string& hostPath);

// ---- Registry internals ------------------------------------------------------------
// One parsed value / key of a .reg file.
struct RegValue {
    std::string name;  // empty for the default value ("@")
    DWORD type = 0;
    std::vector<BYTE> data;
};
struct RegKey {
    std::string name;
    std::vector<RegValue> values;
    std::vector<RegKey> subKeys;
    RegKey* FindSub(const std::string& n);
    RegValue* FindValue(const std::string& n);
};
// Parses REGEDIT4 text holding the keys below the root named `rootName`
// ("HKEY_LOCAL_MACHINE") into `root`. On failure `error` names the line:
// "<fileName>, line <n>: <what>".
bool ParseRegFile(const std::string& text, const std::string& rootName,
                  const std::string& fileName, RegKey& root, std::string& error);
// Writes `root` (named rootName) in REGEDIT4 form with CRLF line ends.
std::string FormatRegFile(const RegKey& root, const std::string& rootName);
// Host file of a root key's hive, e.g. <root>/zarn-machine.reg.
std::string HiveFile(HKEY root);
// The load error of a hive whose file does not parse (empty when it loaded).
// Such a hive refuses every access with err::BadDb and its file is never written.
std::string RegistryLoadError(HKEY root);
// Test hook called during a hive save: stage 0 after the temporary file is written,
// stage 1 before the rename. Returning false makes that stage fail.
void SetRegistrySaveHook(std::function<bool(int stage)> hook);

// ---- Processes ---------------------------------------------------------------------
// Splits a command line as Windows programs do (CommandLineToArgv rules); the first
// element is the program as named (quotes removed).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Starts a command line as WinExec does (a host executable, or a PE image through wine)
// and, with `wait`, returns only when the program has ended. WinExec's result codes.
UINT StartProgram(const std::string& commandLine, bool wait);
// Every other process has ended (a restart): files held in use are released and every
// open handle of this process is closed, so no sharing state is left.
void EndEveryProcess();

// ---- Profiles ----------------------------------------------------------------------
// Every key=value line of a section in file order, duplicates included (Windows 95's
// WININIT.INI [Rename] may name NUL several times); keys and values trimmed, comment
// lines skipped. Empty when the file or the section is missing.
std::vector<std::pair<std::string, std::string>> ProfileSectionEntries(const std::string& section,
                                                                       const std::string& fileName);

// ---- Other host services -----------------------------------------------------------
bool ProgramManagerAvailable();
// Names (files, registry, profiles, DDE) compare under the host's case rule,
// Windows-1252 (platform/casefold.h).
inline bool EqualIgnoreCase(const std::string& a, const std::string& b) { return fold::EqualCp1252(a, b); }

// Resets every test control (OS version, language, failures, WinExec recording, disk
// full, files held in use, ...).
void ResetTestControls();
void ResetFileControls();
void ResetRegistryControls();
// (Re)loads every hive from the root, initialising default values for new files.
void LoadRegistry(bool initialiseDefaults);

}  // namespace platform::host
