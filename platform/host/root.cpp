// The host root: a folder laid out like a Wine prefix (dosdevices/<x>: links to the
// drives), the DOS path mapping over it and the DOS current folders.
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/casefold.h"
#include "platform/files.h"
#include "platform/host/hostenv.h"
#include "platform/testenv.h"

namespace platform::host {
namespace {

struct RootState {
    bool ready = false;
    std::string root;
    std::map<char, std::string> drives;   // 'C' -> canonical host folder of the drive
    char currentDrive = 'C';
    std::map<char, std::string> driveDirs;  // 'C' -> "C:\dir": current folder per drive
};

RootState& S() {
    static RootState s;
    return s;
}

bool IsDir(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string ParentOf(const std::string& p) {
    auto pos = p.find_last_of('/');
    if (pos == std::string::npos) return ".";
    if (pos == 0) return "/";
    return p.substr(0, pos);
}

bool MakeDirs(const std::string& p) {
    if (p.empty() || IsDir(p)) return true;
    if (!MakeDirs(ParentOf(p))) return false;
    return ::mkdir(p.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string Canonical(const std::string& p) {
    char buf[PATH_MAX];
    if (::realpath(p.c_str(), buf)) return buf;
    return {};
}

void ScanDrives() {
    auto& s = S();
    s.drives.clear();
    std::string dev = s.root + "/dosdevices";
    DIR* d = ::opendir(dev.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n.size() != 2 || n[1] != ':' || !std::isalpha(static_cast<unsigned char>(n[0])))
            continue;
        std::string target = Canonical(dev + "/" + n);
        if (target.empty() || !IsDir(target)) continue;
        s.drives[char(fold::AsciiUpper(static_cast<unsigned char>(n[0])))] = target;
    }
    ::closedir(d);
}

bool InvalidComponent(const std::string& c) {
    for (unsigned char ch : c) {
        if (ch < 32 || std::strchr("<>:\"|?*", ch)) return true;
    }
    return false;
}

std::string DefaultRoot() {
    if (const char* v = std::getenv(testenv::RootVariable); v && *v) return v;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/')
        return std::string(x) + "/zarn-windows";
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.local/share/zarn-windows";
    return "/tmp/zarn-windows-" + std::to_string(::getuid());
}

// Lays out a root (only what is missing: a real Wine prefix keeps its own drives) and
// the standard folders on drive C.
bool InitialiseRoot(const std::string& folder) {
    auto& s = S();
    if (!MakeDirs(folder)) return false;
    std::string canon = Canonical(folder);
    if (canon.empty()) return false;
    s.root = canon;
    std::string dev = canon + "/dosdevices";
    if (!MakeDirs(dev)) return false;
    struct stat st;
    if (::lstat((dev + "/c:").c_str(), &st) != 0) {
        MakeDirs(canon + "/drive_c");
        if (::symlink("../drive_c", (dev + "/c:").c_str()) != 0) return false;
    }
    if (::lstat((dev + "/z:").c_str(), &st) != 0) {
        if (::symlink("/", (dev + "/z:").c_str()) != 0) return false;
    }
    ScanDrives();
    if (!s.drives.count('C')) return false;
    s.ready = true;
    s.currentDrive = 'C';
    s.driveDirs.clear();
    const std::string profile = "C:\\users\\" + UserName();
    for (const std::string& f :
         {std::string("C:\\WINDOWS"), std::string("C:\\WINDOWS\\system32"),
          std::string("C:\\WINDOWS\\Fonts"), std::string("C:\\WINDOWS\\TEMP"),
          std::string("C:\\Program Files"), std::string("C:\\Program Files\\Common Files"),
          std::string("C:\\users"), profile, profile + "\\Start Menu",
          profile + "\\Start Menu\\Programs", profile + "\\Start Menu\\Programs\\Startup",
          profile + "\\Desktop", profile + "\\My Documents"}) {
        if (!platform::DirectoryExists(f)) platform::CreateDirectory(f);
    }
    return true;
}

void CurrentFromPosix() {
    auto& s = S();
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return;
    if (auto dos = DosPathOf(buf)) {
        s.currentDrive = (*dos)[0];
        s.driveDirs[s.currentDrive] = *dos;
    }
}

}  // namespace

std::string UserName() {
    std::string n;
    if (const char* u = std::getenv("USER"); u && *u) n = u;
    if (n.empty()) {
        if (passwd* pw = ::getpwuid(::getuid())) n = pw->pw_name;
    }
    std::string out;
    for (char c : n) out += (InvalidComponent(std::string(1, c)) || c == '\\' || c == '/') ? '_' : c;
    return out.empty() ? "user" : out;
}

void EnsureRoot() {
    auto& s = S();
    if (s.ready) return;
    s.ready = true;  // guards against re-entry while initialising
    if (!InitialiseRoot(DefaultRoot())) {
        s.ready = true;
        return;
    }
    ResetTestControls();
    LoadRegistry(true);
    CurrentFromPosix();
}

const std::string& RootFolder() {
    EnsureRoot();
    return S().root;
}

bool FullDosPath(const std::string& input, std::string& full, DWORD& error) {
    EnsureRoot();
    auto& s = S();
    std::string p = input;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    if (p.empty()) {
        error = err::PathNotFound;
        return false;
    }
    if (p.rfind("\\\\", 0) == 0) {  // UNC paths: no network here
        error = err::BadPathname;
        return false;
    }
    char drive;
    std::string rest;
    std::string base;
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
        drive = char(fold::AsciiUpper(static_cast<unsigned char>(p[0])));
        rest = p.substr(2);
        if (rest.empty() || rest[0] != '\\') {
            auto it = s.driveDirs.find(drive);
            base = it != s.driveDirs.end() ? it->second : std::string(1, drive) + ":\\";
        }
    } else if (p[0] == '\\') {
        drive = s.currentDrive;
        rest = p;
    } else {
        drive = s.currentDrive;
        auto it = s.driveDirs.find(drive);
        base = it != s.driveDirs.end() ? it->second : std::string(1, drive) + ":\\";
        rest = p;
    }
    std::vector<std::string> parts;
    auto split = [&](const std::string& text) -> bool {
        std::size_t i = 0;
        while (i <= text.size()) {
            std::size_t j = text.find('\\', i);
            if (j == std::string::npos) j = text.size();
            std::string c = text.substr(i, j - i);
            i = j + 1;
            if (c.empty() || c == ".") continue;
            if (c == "..") {
                if (parts.empty()) return false;
                parts.pop_back();
                continue;
            }
            parts.push_back(c);
        }
        return true;
    };
    if (!base.empty()) split(base.substr(2));
    if (!split(rest)) {
        error = err::PathNotFound;
        return false;
    }
    full = std::string(1, drive) + ":";
    if (parts.empty()) full += "\\";
    for (auto& c : parts) full += "\\" + c;
    return true;
}

bool MapPath(const std::string& path, std::string& hostPath, DWORD& error) {
    std::string full;
    if (!FullDosPath(path, full, error)) return false;
    auto& s = S();
    auto it = s.drives.find(full[0]);
    if (it == s.drives.end()) {
        error = err::PathNotFound;
        return false;
    }
    std::string cur = it->second;
    bool searching = true;
    std::size_t i = 3;
    while (i < full.size()) {
        std::size_t j = full.find('\\', i);
        if (j == std::string::npos) j = full.size();
        std::string comp = full.substr(i, j - i);
        i = j + 1;
        if (InvalidComponent(comp)) {
            error = err::InvalidName;
            return false;
        }
        std::string candidate = Join(cur, comp);
        if (searching && !Exists(candidate)) {
            bool found = false;
            if (DIR* d = ::opendir(cur.c_str())) {
                while (dirent* e = ::readdir(d)) {
                    if (EqualIgnoreCase(e->d_name, comp)) {
                        candidate = Join(cur, e->d_name);
                        found = true;
                        break;
                    }
                }
                ::closedir(d);
            }
            if (!found && comp.find('~') != std::string::npos) {
                // An 8.3 alias names the same entry as its long name.
                if (DIR* d = ::opendir(cur.c_str())) {
                    while (dirent* e = ::readdir(d)) {
                        std::string n = e->d_name;
                        if (n == "." || n == "..") continue;
                        if (EqualIgnoreCase(ShortNameIn(cur, n), comp)) {
                            candidate = Join(cur, n);
                            found = true;
                            break;
                        }
                    }
                    ::closedir(d);
                }
            }
            if (!found) searching = false;
        }
        cur = candidate;
    }
    hostPath = cur;
    error = 0;
    return true;
}

std::optional<std::string> DosPathOf(const std::string& hostPath) {
    EnsureRoot();
    if (hostPath.empty() || hostPath[0] != '/') return std::nullopt;
    // Canonicalise the longest existing prefix; keep the rest as given.
    std::string head = hostPath, tail;
    std::string canon;
    while (true) {
        canon = Canonical(head);
        if (!canon.empty()) break;
        auto pos = head.find_last_of('/');
        if (pos == std::string::npos || head == "/") return std::nullopt;
        tail = head.substr(pos) + tail;
        head = pos == 0 ? "/" : head.substr(0, pos);
    }
    std::string path = canon == "/" ? tail : canon + tail;
    if (path.empty()) path = "/";
    const std::pair<const char, std::string>* best = nullptr;
    for (auto& d : S().drives) {
        const std::string& t = d.second;
        bool match = t == "/" || path == t || (path.rfind(t, 0) == 0 && path[t.size()] == '/');
        if (match && (!best || t.size() > best->second.size())) best = &d;
    }
    if (!best) return std::nullopt;
    std::string rest = best->second == "/" ? path : path.substr(best->second.size());
    std::string out = std::string(1, best->first) + ":";
    for (char c : rest) out += c == '/' ? '\\' : c;
    if (out.size() == 2) out += "\\";
    // Collapse doubled separators that a trailing slash may leave.
    std::string clean;
    for (char c : out)
        if (!(c == '\\' && !clean.empty() && clean.back() == '\\')) clean += c;
    if (clean.size() > 3 && clean.back() == '\\') clean.pop_back();
    return clean;
}

DWORD ErrorFromErrno(int e, const std::string& hostPath) {
    switch (e) {
    case ENOENT:
        return IsDir(ParentOf(hostPath)) ? err::FileNotFound : err::PathNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return err::AccessDenied;
    case EEXIST: return err::FileExists;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return err::DiskFull;
    case ENAMETOOLONG: return err::FilenameExcedRange;
    case EXDEV: return err::NotSameDevice;
    case ENOTEMPTY: return err::DirNotEmpty;
    case EMFILE:
    case ENFILE: return err::TooManyOpenFiles;
    case ENOMEM: return err::NotEnoughMemory;
    case EBADF: return err::InvalidHandle;
    case EINVAL: return err::InvalidParameter;
    default: return err::GenFailure;
    }
}

// ---- current folder ------------------------------------------------------------------

}  // namespace platform::host

namespace platform {

using namespace platform::host;

std::string GetCurrentDirectory() {
    EnsureRoot();
    auto& s = S();
    auto it = s.driveDirs.find(s.currentDrive);
    return it != s.driveDirs.end() ? it->second : std::string(1, s.currentDrive) + ":\\";
}

bool SetCurrentDirectory(const std::string& path) {
    std::string full, host;
    DWORD e;
    if (!FullDosPath(path, full, e) || !MapPath(full, host, e)) {
        SetLastError(e);
        return false;
    }
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, host));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(err::Directory);
        return false;
    }
    auto& s = S();
    s.currentDrive = full[0];
    s.driveDirs[full[0]] = full;
    SetLastError(0);
    return true;
}

std::string GetFullPathName(const std::string& path) {
    std::string full;
    DWORD e;
    if (!FullDosPath(path, full, e)) {
        SetLastError(e);
        return {};
    }
    if (!path.empty() && (path.back() == '\\' || path.back() == '/') && full.back() != '\\')
        full += '\\';
    return full;
}

}  // namespace platform

namespace platform::testenv {

using namespace platform::host;

bool Available() { return true; }

bool UseRoot(const std::string& hostFolder) {
    auto& s = S();
    s.ready = true;
    if (!InitialiseRoot(hostFolder)) return false;
    ResetTestControls();
    LoadRegistry(true);
    s.currentDrive = 'C';
    s.driveDirs.clear();
    return true;
}

std::string Root() { return RootFolder(); }

std::optional<std::string> HostPath(const std::string& windowsPath) {
    std::string h;
    DWORD e;
    if (!MapPath(windowsPath, h, e)) return std::nullopt;
    return h;
}

std::optional<std::string> WindowsPath(const std::string& hostPath) { return DosPathOf(hostPath); }

}  // namespace platform::testenv
