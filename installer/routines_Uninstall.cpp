#include "installer/routines_Uninstall.h"

#include <algorithm>
#include <map>
#include <set>

#include "framework/paths.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace {

using platform::HKeyLocalMachine;

constexpr const char* UninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* SharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr const char* HelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr platform::DWORD ErrorAccessDenied = 5;
constexpr platform::DWORD ErrorSharingViolation = 32;
constexpr platform::DWORD ErrorFileNotFound = 2;
constexpr platform::DWORD ErrorPathNotFound = 3;
constexpr std::size_t MaxPath = 260;

std::string Tr(const char* text) { return TranslateText(text); }

// Paths compare as Windows compares file names: without regard to case, one trailing
// backslash ignored.
std::string KeyOf(const std::string& path) { return platform::AnsiUpperCase(RemoveTrailingBackslash(path)); }
bool SamePath(const std::string& a, const std::string& b) { return KeyOf(a) == KeyOf(b); }
bool IsBelow(const std::string& path, const std::string& folder) {
    const std::string p = KeyOf(path), f = KeyOf(folder);
    return !f.empty() && p.size() > f.size() + 1 && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\';
}
// The folder holding `path`, without trailing backslash; empty above a drive root.
std::string ParentOf(const std::string& path) {
    const std::string p = RemoveTrailingBackslash(path);
    if (p.size() <= 3) return {};
    std::string parent = ExtractFilePath(p);
    if (parent.size() > 3) parent = RemoveTrailingBackslash(parent);
    return parent;
}
int Depth(const std::string& path) { return int(std::count(path.begin(), path.end(), '\\')); }

bool IsDeviceName(std::string name) {
    const auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    name = UpperCase(name);
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* d : devices)
        if (name == d) return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

std::string ReadString(platform::HKEY key, const std::string& name) {
    std::string v;
    return platform::RegGetString(key, name, v) == 0 ? v : std::string();
}

// Names of the sub keys or values of an open key.
std::vector<std::string> SubKeys(platform::HKEY key) {
    std::vector<std::string> out;
    std::string name;
    for (platform::DWORD i = 0; platform::RegEnumKey(key, i, name) == 0; ++i) out.push_back(name);
    return out;
}
std::vector<std::string> ValueNames(platform::HKEY key) {
    std::vector<std::string> out;
    std::string name;
    for (platform::DWORD i = 0; platform::RegEnumValue(key, i, name) == 0; ++i) out.push_back(name);
    return out;
}

// The number after `prefix` in `name` ("Files12" gives 12, "Files" 0); -1 when `name` is
// not of that form.
long long NumberAfter(const std::string& name, const std::string& prefix, bool bareAllowed) {
    if (name.size() < prefix.size() || !SameText(name.substr(0, prefix.size()), prefix)) return -1;
    const std::string rest = name.substr(prefix.size());
    if (rest.empty()) return bareAllowed ? 0 : -1;
    if (rest.size() > 9 || rest.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoll(rest);
}

// The "File<n>" values of a list key, in number order: the data, or nullopt-like empty
// pair for a value that is no string.
struct TListValue {
    long long number;
    std::string name;
    bool isString;
    std::string data;
};
std::vector<TListValue> ReadList(platform::HKEY key) {
    std::vector<TListValue> out;
    for (const std::string& name : ValueNames(key)) {
        const long long n = NumberAfter(name, "File", false);
        if (n < 1) continue;
        std::string data;
        const bool isString = platform::RegGetString(key, name, data) == 0;
        out.push_back({n, name, isString, data});
    }
    std::sort(out.begin(), out.end(), [](const TListValue& a, const TListValue& b) { return a.number < b.number; });
    return out;
}

void DeleteKeyTree(platform::HKEY root, const std::string& sub) {
    {
        platform::KeyHandle k;
        if (platform::RegOpenKey(root, sub, platform::KeyAllAccess, k.receive()) != 0) return;
        for (const std::string& child : SubKeys(k.get())) DeleteKeyTree(root, sub + "\\" + child);
    }
    platform::RegDeleteKey(root, sub);
}

// A shared-DLL count as Windows programs keep it: a DWORD, or a decimal text; anything
// else counts as 1.
platform::DWORD ReadCount(platform::HKEY key, const std::string& name) {
    platform::DWORD type = 0;
    std::vector<platform::BYTE> data;
    if (platform::RegQueryValue(key, name, type, data) != 0) return 0;
    if (type == platform::RegDword && data.size() >= 4)
        return platform::DWORD(data[0]) | platform::DWORD(data[1]) << 8 | platform::DWORD(data[2]) << 16 |
               platform::DWORD(data[3]) << 24;
    if (type == platform::RegSz || type == platform::RegExpandSz) {
        std::string text(data.begin(), data.end());
        while (!text.empty() && text.back() == 0) text.pop_back();
        long long n = 0;
        if (TryStrToInt(Trim(text), n) && n >= 0 && n <= 0x7FFFFFFF) return platform::DWORD(n);
    }
    return 1;
}

// Folders that are Windows' own or the user's: never removed, and the top of every
// climb from an installed file's folder.
std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> out = {platform::GetWindowsDirectory(), platform::GetSystemDirectory(),
                                    platform::GetTempPath()};
    for (auto get : {&GetProgramFilesDir, &GetCommonFilesDir}) {
        try {
            out.push_back(get());
        } catch (const Exception&) {
        }
    }
    for (platform::HKEY root : {platform::HKeyCurrentUser, HKeyLocalMachine}) {
        for (const char* sub : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"}) {
            platform::KeyHandle k;
            if (platform::RegOpenKey(root, sub, platform::KeyRead, k.receive()) != 0) continue;
            for (const std::string& name : ValueNames(k.get())) {
                const std::string folder = ReadString(k.get(), name);
                if (!IsFullLocalPath(folder)) continue;
                out.push_back(folder);
                out.push_back(ParentOf(folder));  // the profile the shell folders lie in
            }
        }
    }
    out.erase(std::remove_if(out.begin(), out.end(), [](const std::string& f) { return f.size() < 3; }), out.end());
    return out;
}

bool IsProtected(const std::string& folder, const std::vector<std::string>& protectedFolders) {
    if (RemoveTrailingBackslash(folder).size() <= 3) return true;  // a drive root
    for (const std::string& p : protectedFolders)
        if (SamePath(folder, p)) return true;
    return false;
}
bool BelowProtected(const std::string& folder, const std::vector<std::string>& protectedFolders) {
    for (const std::string& p : protectedFolders)
        if (IsBelow(folder, p)) return true;
    return false;
}

std::string ErrorText(platform::DWORD code) { return Format(Tr("error %d"), {static_cast<long long>(code)}); }

bool UnregisterServer(const TUninstallServer& s, std::string& why) {
    if (s.exeStyle) {
        platform::DWORD code = 0;
        if (!platform::RunAndWait("\"" + s.path + "\" /UNREGSERVER", platform::SwHide, code)) {
            why = ErrorText(platform::GetLastError());
            return false;
        }
        if (code != 0) {
            why = Format(Tr("it ended with exit code %d"), {static_cast<long long>(code)});
            return false;
        }
        return true;
    }
    const bool ole = platform::OleInitialize() >= 0;
    bool ok = false;
    if (platform::Module m = platform::LoadLibrary(s.path)) {
        if (void* entry = platform::GetProcAddress(m, "DllUnregisterServer")) {
            const platform::LONG status = platform::CallStatusEntry(entry);
            ok = status >= 0;
            if (!ok) why = Format(Tr("DllUnregisterServer returned %d"), {static_cast<long long>(status)});
        } else {
            why = Tr("it has no DllUnregisterServer");
        }
        platform::FreeLibrary(m);
    } else {
        why = ErrorText(platform::GetLastError());
    }
    if (ole) platform::OleUninitialize();
    return ok;
}

}  // namespace

std::string UninstallProductKey(const std::string& product) { return UninstallRoot + product; }

bool IsFullLocalPath(const std::string& path) {
    if (path.size() < 4 || path.size() >= MaxPath) return false;
    const char d = char(path[0] | 0x20);
    if (d < 'a' || d > 'z' || path[1] != ':' || path[2] != '\\') return false;
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == ".." || IsDeviceName(name)) return false;
        for (unsigned char c : name)
            if (c < 32 || std::string("\"*?<>|/:").find(char(c)) != std::string::npos) return false;
        start = end + 1;
    }
    return true;
}

TUninstallRecords ReadUninstallRecords(const std::string& product) {
    TUninstallRecords r;
    r.product = product;
    r.productKey = UninstallProductKey(product);
    platform::KeyHandle key;
    if (Trim(product).empty() || product.find('\\') != std::string::npos ||
        platform::RegOpenKey(HKeyLocalMachine, r.productKey, platform::KeyRead, key.receive()) != 0)
        throw EUninstall(Format(Tr("%s cannot be removed: this computer holds no uninstall information for it."),
                                {product}));

    // The file log and its continuation keys, in key order; numbers may have gaps.
    std::vector<std::pair<long long, std::string>> logKeys;
    bool hasActiveX = false;
    for (const std::string& name : SubKeys(key.get())) {
        const long long k = NumberAfter(name, "Files", true);
        if (k >= 0) logKeys.emplace_back(k, name);
        if (SameText(name, "ActiveX")) hasActiveX = true;
    }
    if (logKeys.empty() && !hasActiveX)
        throw EUninstall(Format(Tr("%s cannot be removed: its uninstall information holds no list of installed "
                                   "files."),
                                {product}));
    std::sort(logKeys.begin(), logKeys.end());

    for (const auto& [k, name] : logKeys) {
        platform::KeyHandle log;
        if (platform::RegOpenKey(key.get(), name, platform::KeyRead, log.receive()) != 0) continue;
        for (const TListValue& v : ReadList(log.get())) {
            if (v.isString && IsFullLocalPath(v.data))
                r.files.push_back(v.data);
            else
                r.badEntries.push_back({v.data, TLeftReason::lrBadEntry, name + "\\" + v.name});
        }
    }
    if (hasActiveX) {
        platform::KeyHandle list;
        if (platform::RegOpenKey(key.get(), "ActiveX", platform::KeyRead, list.receive()) == 0) {
            for (const TListValue& v : ReadList(list.get())) {
                const auto semi = v.data.rfind(';');
                const std::string path = semi == std::string::npos ? v.data : v.data.substr(0, semi);
                const std::string style = semi == std::string::npos ? "" : v.data.substr(semi + 1);
                if (v.isString && IsFullLocalPath(path) && (style == "0" || style == "1"))
                    r.servers.push_back({path, style == "1"});
                else
                    r.badEntries.push_back({v.data, TLeftReason::lrBadEntry, "ActiveX\\" + v.name});
            }
        }
    }

    // The uninstall program: the quoted path, or the text before " " + product.
    const std::string line = Trim(ReadString(key.get(), "UninstallString"));
    std::string program;
    if (!line.empty() && line[0] == '"') {
        const auto close = line.find('"', 1);
        if (close != std::string::npos) program = line.substr(1, close - 1);
    } else if (line.size() > product.size() + 1 && SameText(line.substr(line.size() - product.size()), product) &&
               line[line.size() - product.size() - 1] == ' ') {
        program = Trim(line.substr(0, line.size() - product.size() - 1));
    }
    if (IsFullLocalPath(program)) r.program = program;
    const std::string location = RemoveTrailingBackslash(ReadString(key.get(), "InstallLocation"));
    if (IsFullLocalPath(location)) r.installLocation = location;
    return r;
}

int TUninstallResult::ExitCode() const {
    if (failed) return 1;
    return restartNeeded ? 3010 : 0;
}

TUninstallResult Uninstall(const TUninstallRecords& records, const TUninstallOptions& options) {
    TUninstallResult result;
    result.left = records.badEntries;

    // What to delete: the servers' files, then the log from its end, each path once; the
    // uninstall program last. Each path counts its occurrences for the shared counts.
    std::vector<std::string> order;
    std::map<std::string, int> occurrences;
    auto add = [&](const std::string& path) {
        if (occurrences[KeyOf(path)]++ == 0) order.push_back(path);
    };
    std::vector<TUninstallServer> servers;
    for (auto it = records.servers.rbegin(); it != records.servers.rend(); ++it) {
        if (occurrences.count(KeyOf(it->path)) == 0) servers.push_back(*it);
        add(it->path);
    }
    for (auto it = records.files.rbegin(); it != records.files.rend(); ++it) add(*it);
    if (!records.program.empty() && !occurrences.count(KeyOf(records.program))) order.push_back(records.program);

    const int steps = int(servers.size() + order.size()) + 2;
    int step = 0;
    auto progress = [&](const std::string& path) {
        if (options.progress) options.progress(path, step * 100 / steps);
        ++step;
    };

    // Shared files: the count goes down once per logged occurrence; a file others still
    // count on stays, registered.
    platform::KeyHandle shared;
    platform::RegOpenKey(HKeyLocalMachine, SharedDllsKey, platform::KeyAllAccess, shared.receive());
    std::set<std::string> stillShared;
    for (const std::string& path : order) {
        if (!shared || !platform::RegValueExists(shared.get(), path)) continue;
        const long long count = ReadCount(shared.get(), path);
        const long long rest = count - occurrences[KeyOf(path)];
        if (rest > 0) {
            platform::RegSetDword(shared.get(), path, platform::DWORD(rest));
            stillShared.insert(KeyOf(path));
            result.left.push_back({path, TLeftReason::lrStillShared, {}});
        } else {
            platform::RegDeleteValue(shared.get(), path);
        }
    }

    for (const TUninstallServer& s : servers) {
        progress(s.path);
        if (stillShared.count(KeyOf(s.path)) || !platform::FileExists(s.path)) continue;
        std::string why;
        if (!UnregisterServer(s, why)) {
            result.left.push_back({s.path, TLeftReason::lrNotUnregistered, why});
            result.failed = true;
        }
    }

    platform::KeyHandle help;
    platform::RegOpenKey(HKeyLocalMachine, HelpKey, platform::KeyAllAccess, help.receive());
    std::set<std::string> pending;  // deleted at the restart
    std::set<std::string> gone;     // files this run removed or found removed
    for (const std::string& path : order) {
        if (stillShared.count(KeyOf(path))) continue;
        if (SamePath(path, options.self)) continue;
        progress(path);
        if (help) {
            const std::string name = platform::AnsiUpperCase(ExtractFileName(path));
            std::string folder;
            if (platform::RegGetString(help.get(), name, folder) == 0 && SamePath(folder, ExtractFilePath(path)))
                platform::RegDeleteValue(help.get(), name);
        }
        const platform::DWORD attributes = platform::GetFileAttributes(path);
        if (attributes == platform::InvalidFileAttributes || (attributes & platform::FileAttributeDirectory)) {
            gone.insert(KeyOf(path));  // no longer there: nothing to do
            continue;
        }
        if (attributes & platform::FileAttributeReadOnly)
            platform::SetFileAttributes(path, attributes & ~platform::FileAttributeReadOnly);
        if (platform::DeleteFile(path)) {
            gone.insert(KeyOf(path));
            continue;
        }
        const platform::DWORD error = platform::GetLastError();
        if (error == ErrorFileNotFound || error == ErrorPathNotFound) {
            gone.insert(KeyOf(path));
        } else if ((error == ErrorSharingViolation || error == ErrorAccessDenied) && DeleteAtRestart(path)) {
            pending.insert(KeyOf(path));
            result.restartNeeded = true;
            result.left.push_back({path, TLeftReason::lrInUse, {}});
        } else {
            result.left.push_back({path, TLeftReason::lrNotRemoved, ErrorText(error)});
            result.failed = true;
        }
    }

    // Folders: each folder that held a file of the installation, and the folders above
    // it up to the destination folder or a folder of Windows' own or the user's; removed
    // only when nothing is left in them, deepest first.
    const std::vector<std::string> protectedFolders = ProtectedFolders();
    std::vector<std::string> folders;
    std::set<std::string> seen;
    for (const std::string& path : order) {
        if (stillShared.count(KeyOf(path))) continue;
        std::string f = ParentOf(path);
        while (!f.empty() && !IsProtected(f, protectedFolders)) {
            if (!seen.insert(KeyOf(f)).second) break;
            folders.push_back(f);
            const std::string up = ParentOf(f);
            const bool belowDestination = !records.installLocation.empty() && IsBelow(f, records.installLocation);
            if (!belowDestination && !BelowProtected(up, protectedFolders)) break;
            f = up;
        }
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    std::set<std::string> pendingFolders, selfFolders;
    for (const std::string& folder : folders) {
        if (!platform::DirectoryExists(folder)) continue;
        progress(folder);
        std::vector<platform::FindData> entries;
        platform::FindFiles(AddTrailingBackslash(folder) + "*", entries);
        bool others = false, waiting = false, self = false;
        for (const platform::FindData& e : entries) {
            const std::string k = KeyOf(AddTrailingBackslash(folder) + e.name);
            if (!options.self.empty() && k == KeyOf(options.self))
                self = true;
            else if (selfFolders.count(k))
                self = true;
            else if (pending.count(k) || pendingFolders.count(k))
                waiting = true;
            else
                others = true;
        }
        if (others) {
            result.left.push_back({folder, TLeftReason::lrHoldsOtherFiles, {}});
        } else if (self && !waiting) {
            selfFolders.insert(KeyOf(folder));
            result.selfFolders.push_back(folder);
        } else if (waiting || self) {
            // Emptied by the restart: Windows NT removes it after its files.
            if (GetWindowsPlatform() != 1 && DeleteAtRestart(folder)) pendingFolders.insert(KeyOf(folder));
        } else if (!platform::RemoveDirectory(folder)) {
            result.left.push_back({folder, TLeftReason::lrNotRemoved, ErrorText(platform::GetLastError())});
        }
    }

    // Last, the records themselves.
    progress(records.productKey);
    DeleteKeyTree(HKeyLocalMachine, records.productKey);
    if (options.progress) options.progress({}, 100);
    return result;
}

bool AddWininitDeletes(const std::vector<std::string>& paths) {
    const std::string file = AddTrailingBackslash(platform::GetWindowsDirectory()) + "WININIT.INI";
    std::string text;
    {
        platform::FileHandle h(platform::CreateFile(file, platform::GenericRead, platform::FileShareRead,
                                                    platform::OpenExisting));
        if (h) {
            char buf[4096];
            platform::DWORD done = 0;
            while (platform::ReadFile(h.get(), buf, sizeof buf, done) && done > 0) text.append(buf, done);
        }
    }
    // Split into lines; find the [Rename] section and the end of its last non-empty line.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    std::size_t insertAt = lines.size();
    bool found = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string t = Trim(lines[i]);
        if (!t.empty() && t[0] == '[') {
            if (found) break;
            if (SameText(t, "[Rename]")) {
                found = true;
                insertAt = i + 1;
            }
        } else if (found && !t.empty()) {
            insertAt = i + 1;
        }
    }
    std::vector<std::string> added;
    if (!found) {
        while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
        insertAt = lines.size();
        added.push_back("[Rename]");
    }
    for (const std::string& p : paths) {
        const std::string shortPath = platform::GetShortPathName(p);
        added.push_back("NUL=" + (shortPath.empty() ? p : shortPath));
    }
    lines.insert(lines.begin() + std::ptrdiff_t(insertAt), added.begin(), added.end());
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    platform::FileHandle h(platform::CreateFile(file, platform::GenericWrite, 0, platform::CreateAlways));
    if (!h) return false;
    platform::DWORD done = 0;
    return platform::WriteFile(h.get(), out.data(), platform::DWORD(out.size()), done) && done == out.size();
}

bool DeleteAtRestart(const std::string& path) {
    if (GetWindowsPlatform() == 1) return AddWininitDeletes({path});
    return platform::MoveFileEx(path, "", platform::MoveFileDelayUntilReboot);
}

bool RemoveSelf(const std::string& self, const std::vector<std::string>& folders) {
    const std::string temp = platform::GetTempPath();
    std::string copy;
    if (!temp.empty() && platform::GetTempFileName(temp, "zun", 0, copy) != 0) {
        platform::DeleteFile(copy);
        copy = ChangeFileExt(copy, ".exe");
        if (platform::CopyFile(self, copy, false)) {
            std::string line = "\"" + copy + "\" /X \"" + self + "\"";
            for (const std::string& f : folders) line += " \"" + f + "\"";
            if (platform::WinExec(line, platform::SwHide) > 31) return true;
            platform::DeleteFile(copy);
        }
    }
    bool scheduled = DeleteAtRestart(self);
    if (GetWindowsPlatform() != 1)
        for (const std::string& f : folders) scheduled = DeleteAtRestart(f) && scheduled;
    (void)scheduled;
    return false;
}

void SelfRemovalWorker(const std::string& self, const std::vector<std::string>& folders, unsigned waitMs) {
    // The program that started this copy ends at once; until it has, its file is in use.
    bool removed = !platform::FileExists(self);
    for (unsigned waited = 0; !removed; waited += 100) {
        platform::SetFileAttributes(self, platform::FileAttributeNormal);
        removed = platform::DeleteFile(self) || !platform::FileExists(self);
        if (removed || waited >= waitMs) break;
        platform::Sleep(100);
    }
    if (!removed) DeleteAtRestart(self);
    for (const std::string& f : folders) {
        if (removed && platform::RemoveDirectory(f)) continue;
        if (GetWindowsPlatform() != 1 && platform::DirectoryExists(f)) DeleteAtRestart(f);
    }
    const std::string me = platform::GetModuleFileName();
    if (!me.empty() && SamePath(ParentOf(me), platform::GetTempPath())) DeleteAtRestart(me);
}

std::vector<std::string> SplitArguments(const std::string& line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string arg;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && (c == ' ' || c == '\t')) break;
            arg += c;
        }
        out.push_back(arg);
    }
    return out;
}

TUninstallCommand ParseUninstallCommandLine(const std::string& line, const std::string& self) {
    TUninstallCommand cmd;
    std::string rest;
    const std::string l = Trim(line);
    if (!l.empty() && l[0] == '"') {
        const auto close = l.find('"', 1);
        rest = close == std::string::npos ? std::string() : l.substr(close + 1);
    } else {
        // An unquoted path may hold blanks: it ends where the text before a blank is the
        // running program (with or without ".EXE"), or names an existing file.
        std::size_t end = l.find(' ');
        for (std::size_t b = l.find(' '); b != std::string::npos; b = l.find(' ', b + 1)) {
            const std::string prefix = l.substr(0, b);
            if (SamePath(prefix, self) || SamePath(prefix + ".EXE", self) ||
                (!self.empty() && SamePath(prefix, platform::GetShortPathName(self)))) {
                end = b;
                break;
            }
        }
        if (end == l.find(' '))
            for (std::size_t b = l.find(' '); b != std::string::npos; b = l.find(' ', b + 1))
                if (platform::FileExists(l.substr(0, b))) {
                    end = b;
                    break;
                }
        rest = end == std::string::npos ? std::string() : l.substr(end + 1);
    }
    rest = Trim(rest);
    if (rest.size() >= 2 && SameText(rest.substr(0, 2), "/X") && (rest.size() == 2 || rest[2] == ' ')) {
        cmd.worker = true;
        cmd.workerPaths = SplitArguments(rest.substr(2));
        return cmd;
    }
    if (rest.size() >= 2 && SameText(rest.substr(0, 2), "/S") && (rest.size() == 2 || rest[2] == ' ')) {
        cmd.silent = true;
        rest = Trim(rest.substr(2));
    }
    if (rest.size() >= 3 && SameText(rest.substr(rest.size() - 3), " /S")) {
        cmd.silent = true;
        rest = Trim(rest.substr(0, rest.size() - 3));
    } else if (SameText(rest, "/S")) {
        cmd.silent = true;
        rest.clear();
    }
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    cmd.product = rest;
    return cmd;
}

std::string DescribeLeftItems(const std::vector<TLeftItem>& left) {
    std::string out;
    for (const TLeftItem& item : left) {
        std::string line;
        switch (item.reason) {
        case TLeftReason::lrInUse: line = Tr("%s: in use; it is removed when Windows restarts"); break;
        case TLeftReason::lrHoldsOtherFiles: line = Tr("%s: kept, it holds files that were not installed with it"); break;
        case TLeftReason::lrBadEntry: line = Tr("%s: skipped, the record names no full local path"); break;
        case TLeftReason::lrNotRemoved: line = Tr("%s: could not be removed"); break;
        case TLeftReason::lrNotUnregistered: line = Tr("%s: could not be unregistered"); break;
        case TLeftReason::lrStillShared: line = Tr("%s: kept, other programs still use it"); break;
        }
        std::string subject = item.path;
        if (item.reason == TLeftReason::lrBadEntry) subject = item.detail + " = \"" + item.path + "\"";
        out += "\r\n" + Format(line, {subject});
        if (!item.detail.empty() && item.reason != TLeftReason::lrBadEntry) out += " (" + item.detail + ")";
    }
    return out;
}
