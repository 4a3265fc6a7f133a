// A restart of the host Windows (testenv::Restart): every process ends, then the work
// Windows does when it starts again runs in Windows' order: the Session Manager's
// delayed moves (NT), WININIT.INI (Windows 95 family), RunOnce and Run, and at logon the
// items of the Startup folder, a batch file among them run by a small command
// interpreter of its own.
#include <string>
#include <vector>

#include "platform/casefold.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/host/lnkformat.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace platform::host {
namespace {

constexpr const char* SessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* PendingRenames = "PendingFileRenameOperations";
constexpr const char* RunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* ShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string Lower(const std::string& s) { return fold::Cp1252LowerCase(s); }

bool EndsWithIgnoreCase(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && EqualIgnoreCase(s.substr(s.size() - tail.size()), tail);
}

bool IsBatchName(const std::string& name) { return EndsWithIgnoreCase(name, ".bat") || EndsWithIgnoreCase(name, ".cmd"); }

std::string FolderOf(const std::string& path) {
    std::size_t p = path.find_last_of('\\');
    if (p == std::string::npos) return {};
    if (p == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, p);
}

std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    FileHandle h(CreateFile(path, GenericRead, FileShareRead, OpenExisting));
    if (!h) return false;
    text.clear();
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h.get(), buf, sizeof buf, got) && got) text.append(buf, got);
    return true;
}

bool NtFamily() {
    OSVersionInfo v;
    return !GetVersionEx(v) || v.platformId == VerPlatformWin32NT;
}

bool Nt351() {
    OSVersionInfo v;
    return GetVersionEx(v) && v.platformId == VerPlatformWin32NT && v.majorVersion == 3;
}

// ---- The Session Manager -------------------------------------------------------------

std::string WithoutObjectPrefix(const std::string& p) { return p.rfind("\\??\\", 0) == 0 ? p.substr(4) : p; }

// Works off PendingFileRenameOperations pair by pair, then removes the value. A target
// "!\??\path" replaces an existing file; "\??\path" is a rename that fails (and is
// dropped) when the target exists; an empty target deletes the source (a file or an
// empty folder). The list ends at an empty source.
void WorkOffPendingRenames() {
    KeyHandle key;
    if (RegOpenKey(HKeyLocalMachine, SessionManagerKey, KeyAllAccess, key.receive()) != 0) return;
    DWORD type = 0;
    std::vector<BYTE> data;
    if (RegQueryValue(key.get(), PendingRenames, type, data) != 0) return;
    if (type == RegMultiSz) {
        std::vector<std::string> strings(1);
        for (BYTE b : data) {
            if (b == 0) strings.emplace_back();
            else strings.back() += char(b);
        }
        for (std::size_t i = 0; i < strings.size() && !strings[i].empty(); i += 2) {
            std::string source = WithoutObjectPrefix(strings[i]);
            std::string target = i + 1 < strings.size() ? strings[i + 1] : std::string();
            bool replace = !target.empty() && target[0] == '!';
            target = WithoutObjectPrefix(replace ? target.substr(1) : target);
            if (target.empty()) {
                if (!RemoveDirectory(source) && GetLastError() == err::Directory) DeleteFile(source);
            } else {
                MoveFileEx(source, target, replace ? MoveFileReplaceExisting : 0);
            }
        }
    }
    RegDeleteValue(key.get(), PendingRenames);
}

// ---- WININIT.INI ---------------------------------------------------------------------

// Works off WININIT.INI's [Rename] section in the Windows folder in file order
// ("NUL=file" deletes the file, "target=source" replaces target with source), then
// renames the file to WININIT.BAK, replacing an old one.
void WorkOffWininit() {
    std::string windows = GetWindowsDirectory();
    if (windows.empty()) return;
    std::string ini = Join(windows, "WININIT.INI");
    if (!FileExists(ini)) return;
    for (const auto& [target, source] : ProfileSectionEntries("Rename", ini)) {
        if (EqualIgnoreCase(target, "NUL")) DeleteFile(source);
        else MoveFileEx(source, target, MoveFileReplaceExisting | MoveFileCopyAllowed);
    }
    MoveFileEx(ini, Join(windows, "WININIT.BAK"), MoveFileReplaceExisting);
}

// ---- Programs and batch files --------------------------------------------------------

void RunBatch(const std::string& path, int depth);

// Runs a command line in `folder` and waits for it: a batch file through the batch
// interpreter, anything else as WinExec starts it. Every program may have changed the
// registry files, so the registry is read again afterwards.
void RunCommand(const std::string& commandLine, const std::string& folder, int depth = 0) {
    auto args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return;
    if (!folder.empty()) SetCurrentDirectory(folder);
    if (IsBatchName(args[0])) {
        RunBatch(args[0], depth);
    } else {
        StartProgram(commandLine, true);
        LoadRegistry(false);
    }
}

// The next word of a batch line from `pos` on: blanks separate words, double quotes
// group (and are removed). Empty at the end of the line.
std::string NextWord(const std::string& line, std::size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    std::string word;
    bool quoted = false;
    while (pos < line.size()) {
        char c = line[pos];
        if (!quoted && (c == ' ' || c == '\t')) break;
        ++pos;
        if (c == '"') quoted = !quoted;
        else word += c;
    }
    return word;
}

// The words after the command word that are not switches ("/Y", "/Q").
std::vector<std::string> Operands(const std::string& line, std::size_t pos) {
    std::vector<std::string> out;
    for (std::string w = NextWord(line, pos); !w.empty(); w = NextWord(line, pos))
        if (w[0] != '/') out.push_back(w);
    return out;
}

bool HasWildcard(const std::string& path) {
    std::size_t slash = path.find_last_of("\\:");
    return path.find_first_of("*?", slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

bool PathExists(const std::string& path) {
    if (HasWildcard(path)) {
        std::vector<FindData> found;
        return FindFiles(path, found);
    }
    return GetFileAttributes(path) != InvalidFileAttributes;
}

void DeleteFiles(const std::string& path) {
    if (!HasWildcard(path)) {
        DeleteFile(path);
        return;
    }
    std::vector<FindData> found;
    if (!FindFiles(path, found)) return;
    std::string folder = FolderOf(GetFullPathName(path));
    for (auto& f : found)
        if (!(f.attributes & FileAttributeDirectory)) DeleteFile(Join(folder, f.name));
}

// The destination of a move or copy: into `to` when it names a folder.
std::string Destination(const std::string& from, const std::string& to) {
    if (!DirectoryExists(to)) return to;
    std::string full = GetFullPathName(from);
    return Join(to, full.substr(full.find_last_of('\\') + 1));
}

// Runs one line of a batch file; false ends the batch ("exit").
bool RunBatchLine(const std::string& text, int depth) {
    std::string line = Trim(text);
    while (!line.empty() && line[0] == '@') line = Trim(line.substr(1));
    if (line.empty() || line[0] == ':') return true;  // blank, label or "::" comment
    std::size_t pos = 0;
    const std::string command = Lower(NextWord(line, pos));
    if (command == "rem" || command == "echo" || command.rfind("echo.", 0) == 0 || command == "cls" ||
        command == "pause" || command == "goto")
        return true;
    if (command == "exit") return false;
    if (command == "erase" || command == "del") {
        for (auto& p : Operands(line, pos)) DeleteFiles(p);
        return true;
    }
    if (command == "move" || command == "copy") {
        auto ops = Operands(line, pos);
        if (ops.size() != 2 && !(command == "copy" && ops.size() == 1)) return true;  // cmd refuses the line
        std::string to = ops.size() == 2 ? ops[1] : ".";
        if (command == "move") MoveFileEx(ops[0], Destination(ops[0], to), MoveFileReplaceExisting | MoveFileCopyAllowed);
        else CopyFile(ops[0], Destination(ops[0], to), false);
        return true;
    }
    if (command == "cd" || command == "chdir") {
        auto ops = Operands(line, pos);
        if (!ops.empty()) SetCurrentDirectory(ops[0]);
        return true;
    }
    if (command == "if") {
        std::string word = Lower(NextWord(line, pos));
        bool negate = word == "not";
        if (negate) word = Lower(NextWord(line, pos));
        if (word != "exist") return true;  // conditions other than existence are not understood
        std::string path = NextWord(line, pos);
        if (path.empty() || PathExists(path) == negate) return true;
        return RunBatchLine(line.substr(pos), depth);
    }
    // Anything else names a program (or another batch file), started and waited for.
    RunCommand(line, std::string(), depth);
    return true;
}

void RunBatch(const std::string& path, int depth) {
    if (depth > 8) return;  // batch files that start each other endlessly
    std::string text;
    if (!ReadWholeFile(path, text)) return;  // read whole: a batch may delete itself
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t e = text.find('\n', i);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(i, e - i);
        i = e + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\x1a') != std::string::npos) line.resize(line.find('\x1a'));  // DOS end of file
        if (!RunBatchLine(line, depth + 1)) break;
    }
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// ---- RunOnce and Run -----------------------------------------------------------------

// Runs the programs of one Run or RunOnce key in value order, each waited for. A RunOnce
// value is removed before its program starts ("!name": after it has ended), and when it
// cannot be removed the program does not run, so nothing runs at every restart. Values
// added while the key is worked off wait for the next restart.
void RunKeyEntries(HKEY root, const char* keyName, bool once) {
    std::vector<std::string> names;
    {
        KeyHandle key;
        if (RegOpenKey(root, keyName, KeyRead, key.receive()) != 0) return;
        std::string name;
        for (DWORD i = 0; RegEnumValue(key.get(), i, name) == 0; ++i) names.push_back(name);
    }
    std::string windows = GetWindowsDirectory();
    for (const auto& name : names) {
        std::string command;
        const bool removeAfter = once && !name.empty() && name[0] == '!';
        {
            KeyHandle key;
            if (RegOpenKey(root, keyName, once ? KeyAllAccess : KeyRead, key.receive()) != 0) return;
            if (RegGetString(key.get(), name, command) != 0) continue;  // gone meanwhile, or no string
            if (once && !removeAfter && RegDeleteValue(key.get(), name) != 0) continue;
        }
        RunCommand(command, windows);
        if (removeAfter) {
            KeyHandle key;
            if (RegOpenKey(root, keyName, KeyAllAccess, key.receive()) == 0) RegDeleteValue(key.get(), name);
        }
    }
}

// ---- Logon: the Startup folder -------------------------------------------------------

std::string ShellFolder(const char* name) {
    KeyHandle key;
    std::string value;
    if (RegOpenKey(HKeyCurrentUser, ShellFoldersKey, KeyRead, key.receive()) != 0 ||
        RegGetString(key.get(), name, value) != 0)
        return {};
    while (value.size() > 3 && value.back() == '\\') value.pop_back();
    return value;
}

// The user's Startup folder and, on NT 3.51, Program Manager's "Startup" group; each
// folder once, however it is named.
std::vector<std::string> StartupFolders() {
    std::vector<std::string> candidates = {ShellFolder("Startup")};
    if (Nt351()) {
        std::string programs = ShellFolder("Programs");
        if (!programs.empty()) candidates.push_back(Join(programs, "Startup"));
    }
    std::vector<std::string> folders, hostPaths;
    for (auto& f : candidates) {
        std::string host;
        DWORD e;
        if (f.empty() || !DirectoryExists(f) || !MapPath(f, host, e)) continue;
        bool seen = false;
        for (auto& h : hostPaths) seen = seen || h == host;
        if (seen) continue;
        hostPaths.push_back(host);
        folders.push_back(f);
    }
    return folders;
}

// Opens one item of the Startup folder as the shell does: a shortcut starts its target
// (a batch file through the batch interpreter) in its working folder, or the target's
// own folder when it names none.
void OpenStartupItem(const std::string& folder, const std::string& name) {
    std::string path = Join(folder, name);
    if (EqualIgnoreCase(name, "desktop.ini")) return;
    if (!EndsWithIgnoreCase(name, ".lnk")) {
        RunCommand(Quoted(path), folder);
        return;
    }
    std::string text;
    LinkData link;
    std::string error;
    if (!ReadWholeFile(path, text) || !ParseLink(std::vector<BYTE>(text.begin(), text.end()), link, error)) return;
    std::string target = link.path;
    if (target.empty() && !link.relativePath.empty()) target = GetFullPathName(Join(folder, link.relativePath));
    if (target.empty()) return;
    std::string work = link.workingDir.empty() ? FolderOf(target) : link.workingDir;
    if (!DirectoryExists(work)) work = folder;
    std::string command = Quoted(target);
    if (!link.arguments.empty()) command += " " + link.arguments;
    RunCommand(command, work);
}

void RunStartupFolders() {
    for (auto& folder : StartupFolders()) {
        std::vector<FindData> items;
        if (!FindFiles(Join(folder, "*"), items)) continue;
        for (auto& item : items)
            if (!(item.attributes & FileAttributeDirectory)) OpenStartupItem(folder, item.name);
    }
}

}  // namespace
}  // namespace platform::host

namespace platform::testenv {

bool Restart() {
    using namespace platform::host;
    EnsureRoot();
    const std::string current = GetCurrentDirectory();
    EndEveryProcess();
    LoadRegistry(false);
    if (NtFamily()) WorkOffPendingRenames();
    else WorkOffWininit();
    RunKeyEntries(HKeyLocalMachine, RunOnceKey, true);
    RunKeyEntries(HKeyCurrentUser, RunOnceKey, true);
    RunKeyEntries(HKeyLocalMachine, RunKey, false);
    RunKeyEntries(HKeyCurrentUser, RunKey, false);
    RunStartupFolders();
    SetCurrentDirectory(current);
    SetLastError(0);
    return true;
}

}  // namespace platform::testenv
