// On real Windows the system answers for itself: there is no host Windows to steer.
#include "platform/win32/win32_api.h"

#include "platform/testenv.h"

namespace platform::testenv {

bool Available() { return false; }
bool UseRoot(const std::string&) { return false; }
std::string Root() { return {}; }
std::optional<std::string> HostPath(const std::string&) { return std::nullopt; }
std::optional<std::string> WindowsPath(const std::string&) { return std::nullopt; }
bool SetOSVersion(OSKind) { return false; }
bool SetVersionQueryFails(bool) { return false; }
bool SetUserDefaultLangID(LANGID) { return false; }
bool SetSystemFoldersFail(bool) { return false; }
bool SetRegistryReadOnly(HKEY, bool) { return false; }
bool ReloadRegistry() { return false; }
bool SetProgramManagerAvailable(bool) { return false; }
std::string LastWinExecCommand() { return {}; }
bool SetWinExecRecordOnly(bool) { return false; }
// Tests on Windows hold a real handle open without sharing instead.
bool SetDiskFullAfter(std::optional<std::uint64_t>) { return false; }
bool HoldFileInUse(const std::string&, bool) { return false; }
bool SetDelayedMoveRefused(bool) { return false; }
bool Restart() { return false; }

}  // namespace platform::testenv
