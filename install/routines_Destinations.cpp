#include "install/routines_Destinations.h"

#include "framework/paths.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/system.h"
#include "registration/routines_RegistryWriter.h"

std::string WindowsDir;
std::string SystemDir;

namespace {

const char* const ShellFoldersKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const CurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string ReadFolder(std::uint8_t root, const char* key, const char* value, const std::string& fallback) {
    std::string result;
    ReadRegString(root, key, value, result, fallback);
    return RemoveTrailingBackslash(result);
}

// Drive of the current folder: "C:" for a drive path, "\\server\share" for a UNC path,
// empty otherwise.
std::string CurrentDrive() {
    std::string cur = platform::GetCurrentDirectory();
    if (cur.size() >= 2 && cur[1] == ':') return cur.substr(0, 2);
    if (cur.size() >= 2 && cur[0] == '\\' && cur[1] == '\\') {
        std::size_t server = cur.find('\\', 2);
        if (server == std::string::npos) return cur;
        std::size_t share = cur.find('\\', server + 1);
        return share == std::string::npos ? cur : cur.substr(0, share);
    }
    return {};
}

}  // namespace

const std::vector<std::string>& PathSpecifierNames() {
    static const std::vector<std::string> names = {
        "ddAbsolute",       "ddSystem",          "ddWindows",          "ddProgramFilesDir",
        "ddCommonFilesDir", "ddLoading",         "ddContainerDestDir", "ddContainerArchiveFile",
        "ddObjectLink",     "ddBDEDLLDir",       "ddMainInstallDir",   "ddDesktopMenuDir",
        "ddProgramMenuDir", "ddStartMenuDir",    "ddFontDir",          "ddStartUpMenuDir"};
    return names;
}

EAICannotGetWindowsDir::EAICannotGetWindowsDir()
    : EAI("Cannot get the Windows directory for your computer. Using GetWindowsDirectory API function") {}
EAICannotGetSystemDir::EAICannotGetSystemDir()
    : EAI("Cannot get the System directory for your computer. Using GetSystemDir API function") {}
EAIUserAbort::EAIUserAbort() : EAI(TranslateText("Installation aborted by the user")) {}

void InitialiseSystemFolders() {
    std::string windows = platform::GetWindowsDirectory();
    if (windows.empty()) throw EAICannotGetWindowsDir();
    std::string system = platform::GetSystemDirectory();
    if (system.empty()) throw EAICannotGetSystemDir();
    WindowsDir = windows;
    SystemDir = system;
}

std::string GetStartMenuDir() {
    return ReadFolder(RootCurrentUser, ShellFoldersKey, "Start Menu", AddTrailingBackslash(WindowsDir) + "Startmen");
}

std::string GetProgramsDir() {
    return ReadFolder(RootCurrentUser, ShellFoldersKey, "Programs", AddTrailingBackslash(GetStartMenuDir()) + "Programs");
}

std::string GetDesktopDir() {
    return ReadFolder(RootCurrentUser, ShellFoldersKey, "Desktop", AddTrailingBackslash(WindowsDir) + "Desktop");
}

std::string GetStartupDir() {
    return ReadFolder(RootCurrentUser, ShellFoldersKey, "Startup", AddTrailingBackslash(WindowsDir) + "Startup");
}

std::string GetFontsDir() { return ReadFolder(RootCurrentUser, ShellFoldersKey, "Fonts", SystemDir); }

std::string GetProgramFilesDir() {
    return ReadFolder(RootLocalMachine, CurrentVersionKey, "ProgramFilesDir",
                      AddTrailingBackslash(CurrentDrive()) + "Program Files");
}

std::string GetCommonFilesDir() {
    return ReadFolder(RootLocalMachine, CurrentVersionKey, "CommonFilesDir",
                      AddTrailingBackslash(CurrentDrive()) + "Program Files\\Common Files");
}

std::optional<std::string> SystemFolderOf(TPathSpecifiers kind) {
    using PS = TPathSpecifiers;
    switch (kind) {
    case PS::ddSystem: return SystemDir;
    case PS::ddWindows: return WindowsDir;
    case PS::ddProgramFilesDir: return GetProgramFilesDir();
    case PS::ddCommonFilesDir: return GetCommonFilesDir();
    case PS::ddDesktopMenuDir: return GetDesktopDir();
    case PS::ddProgramMenuDir: return GetProgramsDir();
    case PS::ddStartMenuDir: return GetStartMenuDir();
    case PS::ddFontDir: return GetFontsDir();
    case PS::ddStartUpMenuDir: return GetStartupDir();
    default: return std::nullopt;
    }
}

int GetWindowsPlatform() {
    platform::OSVersionInfo info;
    info.sizeOfStruct = 148;
    if (!platform::GetVersionEx(info)) throw Exception("Could not get information about the current version of Windows");
    std::string version = IntToStr(info.majorVersion) + "." + IntToStr(info.minorVersion);
    switch (info.platformId) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2:
        return version.find("3.5") != std::string::npos ? 3 : 2;
    default:
        return 4;
    }
}
