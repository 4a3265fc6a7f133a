// Destination kinds and the Windows folders they stand for: the sixteen kinds, the
// Windows and System folders read once at start-up, the user's folders read from the
// registry, the classification of the running Windows and the folder exceptions.
//
// How a kind and its relative text become a path for DestDir, ArchiveFile and
// ObjectLocation is the resolver's job (TPathProperty in install/cmp_TInstallContainer.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/eai.h"

// The sixteen destination kinds.
enum class TPathSpecifiers : std::uint8_t {
    ddAbsolute,
    ddSystem,
    ddWindows,
    ddProgramFilesDir,
    ddCommonFilesDir,
    ddLoading,
    ddContainerDestDir,
    ddContainerArchiveFile,
    ddObjectLink,
    ddBDEDLLDir,
    ddMainInstallDir,
    ddDesktopMenuDir,
    ddProgramMenuDir,
    ddStartMenuDir,
    ddFontDir,
    ddStartUpMenuDir,
};
constexpr int PathSpecifierCount = 16;
using TPathSpecifiersSet = TSet<TPathSpecifiers>;
// Enumerator names in declaration order (for published properties).
const std::vector<std::string>& PathSpecifierNames();

// ---------------------------------------------------------------------------------------
// Exceptions

class EAICannotGetWindowsDir : public EAI {
public:
    EAICannotGetWindowsDir();
};
class EAICannotGetSystemDir : public EAI {
public:
    EAICannotGetSystemDir();
};
class EAIUserAbort : public EAI {
public:
    EAIUserAbort();  // "Installation aborted by the user", translated
};
class EAICannotExpandContainerDirMV : public EAI {
public:
    using EAI::EAI;
};
class EAICannotExpandInstallDirMV : public EAI {
public:
    using EAI::EAI;
};

// ---------------------------------------------------------------------------------------
// Folders

// Filled once by InitialiseSystemFolders; read by every resolver.
extern std::string WindowsDir;
extern std::string SystemDir;

// Fills WindowsDir and SystemDir. Raises EAICannotGetWindowsDir / EAICannotGetSystemDir
// when Windows cannot tell them (the folders keep their values then). Runs before any
// form is created.
void InitialiseSystemFolders();

// The user's folders, read from the registry on every call, without trailing backslash.
std::string GetStartMenuDir();
std::string GetProgramsDir();
std::string GetDesktopDir();
std::string GetProgramFilesDir();
std::string GetCommonFilesDir();
std::string GetFontsDir();
std::string GetStartupDir();
// The folder a system kind stands for (System, Windows, Program Files, Common Files,
// Desktop, Programs, Start Menu, Fonts, Startup), as the lookups above give it; nothing
// for the other kinds. SystemDir and WindowsDir are given as stored.
std::optional<std::string> SystemFolderOf(TPathSpecifiers kind);

// 0 Win32s, 1 Windows 95 family, 2 Windows NT with the new shell, 3 Windows NT 3.5x,
// 4 anything else. Raises Exception when the version cannot be read.
int GetWindowsPlatform();
