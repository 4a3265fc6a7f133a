// Destination kinds, the Windows folders they stand for, the path helpers every resolver
// uses, the platform classification and the library's base exception tree.
//
// This part of the shell unit depends on nothing but the framework and the registry
// helpers, so the install containers (which resolve their destinations through it) and
// the links (which are install containers) can both use it. cmp_TInstallShellLink.h
// includes it; programs include that.
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
// The library's exceptions

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

// Drop one trailing backslash / add one unless empty or already there.
std::string RemoveTrailingBackslash(const std::string& s);
std::string AddTrailingBackslash(const std::string& s);
// The folder part of a path (up to, not including, the last backslash or colon; a drive
// colon is kept), and the name after it.
std::string ExtractFilePath(const std::string& path);  // with its trailing separator
std::string ExtractFileName(const std::string& path);
// `path` with the extension of its file-name part replaced (or appended when it has none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

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

// Creates `path` and every missing parent, top down. One trailing backslash is ignored;
// paths shorter than three characters and existing folders create nothing. Raises
// EInOutError when a folder cannot be made.
void ForceDirectories(const std::string& path);
