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

}  // namespace platform::testenv
