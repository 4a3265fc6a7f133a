// Controls for tests and tools over the host's own Windows. In the win32 build the
// real system answers and only `Available()` (false) and the queries are meaningful;
// setters return false there.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/types.h"
#include "platform/registry.h"

namespace platform::testenv {

// True in the host build.
bool Available();

// Name of the environment variable that names the host root folder.
constexpr const char* RootVariable = "ZARN_WINDOWS_ROOT";

// Points the host Windows at a root folder (a POSIX path), creating and initialising it
// when new; the registry is reloaded from it, the current folder reset to C:\ and every
// control below reset to its default (Windows NT 5.1, LANG's language, nothing failing,
// every registry root writable, Program Manager on, WinExec really starting programs).
bool UseRoot(const std::string& hostFolder);
// The host root folder in use.
std::string Root();

// Host (POSIX) path that a Windows path maps to, if it maps at all.
std::optional<std::string> HostPath(const std::string& windowsPath);
// Windows path of a host path (through the longest matching drive link).
std::optional<std::string> WindowsPath(const std::string& hostPath);

enum class OSKind : std::uint8_t { Windows95, WindowsNT351, WindowsNT40, WindowsNT };
bool SetOSVersion(OSKind kind);
// Makes GetVersionEx fail (as it would with a broken system).
bool SetVersionQueryFails(bool fails);
bool SetUserDefaultLangID(LANGID id);
// Makes GetWindowsDirectory / GetSystemDirectory fail.
bool SetSystemFoldersFail(bool fail);
// Refuses every write below a root key with AccessDenied (a user without rights).
bool SetRegistryReadOnly(HKEY root, bool readOnly);
// Reloads the registry from its files (as a new process would see it).
bool ReloadRegistry();
// Switches the built-in Program Manager DDE service off or on.
bool SetProgramManagerAvailable(bool available);
// The last command line that WinExec started (empty when none).
std::string LastWinExecCommand();
// With `record` true, WinExec only records the command line and reports success.
bool SetWinExecRecordOnly(bool record);

// Disk full: once `bytes` more bytes have been written (WriteFile and CopyFile, any
// file), writes come up short: WriteFile writes what still fits, reports that count in
// `done` and fails with DiskFull; CopyFile fails with DiskFull and leaves the part that
// fitted. GetDiskFreeSpace reports no more than what still fits. std::nullopt switches
// it off.
bool SetDiskFullAfter(std::optional<std::uint64_t> bytes);
// Holds an existing file "in use by another process" that opened it for reading and
// writing without sharing, as Windows (and Wine) answer for such a file: opening it for
// reading or writing, deleting it, renaming or moving it away and copying from or onto
// it fail with SharingViolation; a replacing move onto it fails with AccessDenied (as
// for any open file). Its attributes can still be read, and an open that asks for
// neither reading nor writing succeeds. False when the file does not exist.
bool HoldFileInUse(const std::string& windowsPath, bool held);
// Makes MoveFileEx with MoveFileDelayUntilReboot fail with AccessDenied, as Windows NT
// answers a user who may not schedule moves at the next restart.
bool SetDelayedMoveRefused(bool refused);

// Restarts the host Windows: every other process ends and Windows starts again, in
// Windows' order:
// 1. Files held in use (HoldFileInUse) are released and every open handle is closed.
// 2. The Windows NT family: the Session Manager works off PendingFileRenameOperations
//    (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager) pair by pair: a target
//    "!\??\path" replaces an existing file; "\??\path" renames only when nothing is
//    there (else the pair is dropped); an empty target deletes the source. The value is
//    removed. The Windows 95 family: WININIT.INI's [Rename] section in the Windows folder
//    is worked off in file order ("NUL=path" deletes, "target=source" replaces target
//    with source; short or long names), and WININIT.INI becomes WININIT.BAK (replacing
//    an old one). Neither family reads the other's list.
// 3. The values of Software\Microsoft\Windows\CurrentVersion\RunOnce under
//    HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER, in value order: each is removed before
//    its command runs (a name beginning with "!": after it has ended; a value that
//    cannot be removed does not run), then its command runs in the Windows folder and is
//    waited for. Values added meanwhile wait for the next restart. Then ...\Run under
//    both roots the same way, not removed, also waited for (Windows does not wait for
//    Run; here its effects are there when Restart returns).
// 4. Logon: every file of the user's Startup folder (the "Startup" Shell Folders value)
//    and, on NT 3.51, of Program Manager's "Startup" group (Programs\Startup), a folder
//    named twice counting once, in name order: a shortcut (.lnk) opens its target with
//    its arguments in its working folder (else the target's folder), a .bat or .cmd
//    runs through the host's batch interpreter, any other file runs as a program.
//    Every one is waited for.
// Commands run as WinExec starts them (a host executable, or a PE image through wine),
// except that a .bat or .cmd runs through the batch interpreter, which knows: erase and
// del (wildcards in the name), move and copy (replacing; into a folder), if [not] exist
// PATH COMMAND, cd, rem, echo, labels, exit and blank lines, commands in any case and
// "@" before them, paths short or long and quoted; any other line starts a program.
// A program gets ZARN_WINDOWS_ROOT naming this root, so a host program sees the same
// Windows; with SetWinExecRecordOnly programs are only recorded. After every program
// the registry is read again from its files. The caller's current folder is kept.
// Returns true (false in the win32 build).
bool Restart();

}  // namespace platform::testenv
