// System information and processes of the host Windows.
//
// The default system is Windows NT 5.1 (build 2600, "Service Pack 3"); tests can choose
// Windows 95 (4.0.950, platform 1), NT 3.51 (build 1057) or NT 4.0 (build 1381). The
// Windows folder is C:\WINDOWS and the System folder C:\WINDOWS\system32, as on NT.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/casefold.h"
#include "platform/files.h"
#include "platform/host/hostenv.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace platform::host {
namespace {

struct Controls {
    testenv::OSKind os = testenv::OSKind::WindowsNT;
    bool versionFails = false;
    std::optional<LANGID> lang;
    bool foldersFail = false;
    bool programManager = true;
    bool winExecRecordOnly = false;
    std::string lastCommand;
    int coInit = 0;
    int oleInit = 0;
};

Controls& C() {
    static Controls c;
    return c;
}

// The base letter of an upper-case Windows-1252 letter (À -> A), for the primary weight
// of a comparison.
unsigned char BaseLetter(unsigned char u) {
    static const char* table =
        // 0xC0 .. 0xDE
        "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYT";
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<unsigned char>(table[u - 0xC0]);
    switch (u) {
    case 0x8A: return 'S';
    case 0x8E: return 'Z';
    case 0x9F: return 'Y';
    default: return u;
    }
}

bool Executable(const std::string& host) {
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(host.c_str(), X_OK) == 0;
}

bool IsPe(const std::string& host) {
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char mz[2] = {0, 0};
    bool pe = ::read(fd, mz, 2) == 2 && mz[0] == 'M' && mz[1] == 'Z';
    ::close(fd);
    return pe;
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string p = path;
    std::size_t i = 0;
    while (i <= p.size()) {
        std::size_t j = p.find(':', i);
        if (j == std::string::npos) j = p.size();
        std::string dir = p.substr(i, j - i);
        i = j + 1;
        if (dir.empty()) continue;
        std::string cand = dir + "/" + name;
        if (Executable(cand)) return cand;
    }
    return {};
}

// Splits a command line as Windows programs do (CommandLineToArgv rules): blanks separate
// arguments; quotes group; 2n backslashes before a quote give n backslashes, 2n+1 give n
// and a literal quote. The program token itself ends at the closing quote.
}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& cmd) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < cmd.size() && (cmd[i] == ' ' || cmd[i] == '\t')) ++i;
    // The program name: quotes only group, backslashes are literal.
    std::string prog;
    if (i < cmd.size() && cmd[i] == '"') {
        ++i;
        while (i < cmd.size() && cmd[i] != '"') prog += cmd[i++];
        if (i < cmd.size()) ++i;
    } else {
        while (i < cmd.size() && cmd[i] != ' ' && cmd[i] != '\t') prog += cmd[i++];
    }
    out.push_back(prog);
    while (true) {
        while (i < cmd.size() && (cmd[i] == ' ' || cmd[i] == '\t')) ++i;
        if (i >= cmd.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < cmd.size()) {
            char c = cmd[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                std::size_t n = 0;
                while (i < cmd.size() && cmd[i] == '\\') ++n, ++i;
                if (i < cmd.size() && cmd[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < cmd.size() && cmd[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        out.push_back(arg);
    }
    return out;
}

namespace {

bool HasExtension(const std::string& name) {
    auto slash = name.find_last_of("\\/:");
    auto dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// Finds the host file of a program named on a command line. `error` is 2 or 3 when it
// cannot be found.
bool ResolveProgram(const std::string& prog, std::string& host, UINT& error) {
    std::vector<std::string> candidates;
    bool bare = prog.find_first_of("\\/:") == std::string::npos;
    auto addNames = [&](const std::string& base) {
        candidates.push_back(base);
        if (!HasExtension(base)) candidates.push_back(base + ".exe");
    };
    if (bare) {
        addNames(platform::GetCurrentDirectory() + "\\" + prog);
        addNames("C:\\WINDOWS\\system32\\" + prog);
        addNames("C:\\WINDOWS\\" + prog);
    } else {
        addNames(prog);
    }
    error = 2;
    for (auto& c : candidates) {
        std::string h;
        DWORD e;
        if (!MapPath(c, h, e)) {
            error = 3;
            continue;
        }
        struct stat st;
        if (::stat(h.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            host = h;
            return true;
        }
        if (!bare) error = UINT(ErrorFromErrno(ENOENT, h));
    }
    if (bare) {
        std::string onPath = FindOnPath(prog);
        if (!onPath.empty()) {
            host = onPath;
            return true;
        }
        error = 2;
    }
    return false;
}

// Starts argv in folder `cwd`, with WINEPREFIX set when `winePrefix` is given and
// ZARN_WINDOWS_ROOT naming this Windows' root, so that a host program sees the same
// Windows. Without `wait` the program runs detached (double fork, so no zombie is left
// and nothing waits for it); with it, Spawn returns when the program has ended. Returns
// 0 on success or the errno of the failed exec.
int Spawn(const std::vector<std::string>& argv, const std::string& cwd, const std::string& winePrefix,
          bool wait = false) {
    const std::string root = RootFolder();
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0) return errno;
    pid_t child = ::fork();
    if (child < 0) {
        int e = errno;
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        return e;
    }
    if (child == 0) {
        ::close(pipefd[0]);
        ::setsid();
        if (!wait) {
            pid_t grand = ::fork();
            if (grand != 0) ::_exit(grand < 0 ? 1 : 0);
        }
        ::signal(SIGXFSZ, SIG_DFL);
        if (!winePrefix.empty()) ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
        if (!root.empty()) ::setenv(testenv::RootVariable, root.c_str(), 1);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) { /* keep the inherited folder */ }
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::close(devnull);
        }
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        int e = errno;
        ssize_t ignored = ::write(pipefd[1], &e, sizeof e);
        (void)ignored;
        ::_exit(127);
    }
    ::close(pipefd[1]);
    // The pipe closes at a successful exec (close-on-exec) or brings the exec's errno.
    int e = 0;
    ssize_t n;
    do {
        n = ::read(pipefd[0], &e, sizeof e);
    } while (n < 0 && errno == EINTR);
    ::close(pipefd[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (n == sizeof e) return e ? e : ENOEXEC;
    if (wait) return 0;  // the program ran; its exit code is its own business
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return EAGAIN;
    return 0;
}

}  // namespace

void ResetTestControls() {
    auto& c = C();
    int co = c.coInit, ole = c.oleInit;
    c = Controls{};
    c.coInit = co;
    c.oleInit = ole;
    ResetRegistryControls();
    ResetFileControls();
}

bool ProgramManagerAvailable() {
    EnsureRoot();
    return C().programManager;
}

}  // namespace platform::host

namespace platform {

using namespace platform::host;

std::string GetWindowsDirectory() {
    EnsureRoot();
    if (C().foldersFail) {
        SetLastError(err::PathNotFound);
        return {};
    }
    return "C:\\WINDOWS";
}

std::string GetSystemDirectory() {
    EnsureRoot();
    if (C().foldersFail) {
        SetLastError(err::PathNotFound);
        return {};
    }
    return "C:\\WINDOWS\\system32";
}

bool GetVersionEx(OSVersionInfo& info) {
    EnsureRoot();
    if (info.sizeOfStruct != 148 && info.sizeOfStruct != 156) {
        SetLastError(err::InvalidParameter);
        return false;
    }
    if (C().versionFails) {
        SetLastError(err::InvalidFunction);
        return false;
    }
    switch (C().os) {
    case testenv::OSKind::Windows95:
        info.majorVersion = 4, info.minorVersion = 0, info.buildNumber = 0x040003B6;
        info.platformId = VerPlatformWin32Windows, info.csdVersion = "";
        break;
    case testenv::OSKind::WindowsNT351:
        info.majorVersion = 3, info.minorVersion = 51, info.buildNumber = 1057;
        info.platformId = VerPlatformWin32NT, info.csdVersion = "Service Pack 5";
        break;
    case testenv::OSKind::WindowsNT40:
        info.majorVersion = 4, info.minorVersion = 0, info.buildNumber = 1381;
        info.platformId = VerPlatformWin32NT, info.csdVersion = "Service Pack 6";
        break;
    case testenv::OSKind::WindowsNT:
        info.majorVersion = 5, info.minorVersion = 1, info.buildNumber = 2600;
        info.platformId = VerPlatformWin32NT, info.csdVersion = "Service Pack 3";
        break;
    }
    return true;
}

namespace {

LANGID LangFromLocale(std::string loc) {
    auto cut = loc.find_first_of(".@");
    if (cut != std::string::npos) loc.resize(cut);
    if (loc.empty() || loc == "C" || loc == "POSIX") return 0x0409;
    static const std::map<std::string, LANGID> full = {
        {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
        {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"de_DE", 0x0407}, {"de_CH", 0x0807},
        {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C},
        {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"it_IT", 0x0410}, {"it_CH", 0x0810},
        {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
        {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D},
        {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"nn_NO", 0x0814}, {"nb_NO", 0x0414},
    };
    if (auto it = full.find(loc); it != full.end()) return it->second;
    static const std::map<std::string, LANGID> primary = {
        {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
        {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
        {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
        {"nl", 0x13}, {"no", 0x14}, {"nb", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18},
        {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D}, {"th", 0x1E},
        {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23}, {"sl", 0x24}, {"et", 0x25},
        {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2A}, {"eu", 0x2D},
    };
    std::string lang = loc.substr(0, loc.find('_'));
    if (auto it = primary.find(lang); it != primary.end()) return LANGID((1 << 10) | it->second);
    return 0x0409;
}

}  // namespace

LANGID GetUserDefaultLangID() {
    EnsureRoot();
    if (C().lang) return *C().lang;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return LangFromLocale(v);
    }
    return 0x0409;
}

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    // Primary: letters without accents or case; then accents; the shorter string first.
    auto weigh = [](const std::string& s, bool primary) {
        std::string w;
        for (unsigned char c : s) {
            unsigned char u = fold::Cp1252Upper(c);
            w += char(primary ? BaseLetter(u) : u);
        }
        return w;
    };
    for (bool primary : {true, false}) {
        std::string x = weigh(a, primary), y = weigh(b, primary);
        int r = x.compare(y);
        if (r != 0) {
            // Compare as unsigned bytes.
            std::size_t n = std::min(x.size(), y.size());
            for (std::size_t i = 0; i < n; ++i) {
                unsigned char p = static_cast<unsigned char>(x[i]), q = static_cast<unsigned char>(y[i]);
                if (p != q) return p < q ? -1 : 1;
            }
            return x.size() < y.size() ? -1 : 1;
        }
    }
    return 0;
}

std::string AnsiUpperCase(const std::string& s) { return fold::Cp1252UpperCase(s); }

std::string AnsiLowerCase(const std::string& s) { return fold::Cp1252LowerCase(s); }

namespace {

// WinExec's small result codes, with the last error CreateProcess leaves for each.
UINT WinExecFailure(UINT result) {
    switch (result) {
    case 2: SetLastError(err::FileNotFound); break;
    case 3: SetLastError(err::PathNotFound); break;
    case 11: SetLastError(err::BadExeFormat); break;
    default: SetLastError(err::NotEnoughMemory); break;
    }
    return result;
}

}  // namespace

}  // namespace platform

namespace platform::host {

UINT StartProgram(const std::string& commandLine, bool wait) {
    EnsureRoot();
    auto& c = C();
    auto args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return WinExecFailure(2);
    if (c.winExecRecordOnly) {
        c.lastCommand = commandLine;
        return 33;
    }
    std::string host;
    UINT error;
    if (!ResolveProgram(args[0], host, error)) return WinExecFailure(error);
    std::vector<std::string> argv;
    std::string winePrefix;
    if (IsPe(host)) {
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return WinExecFailure(11);
        argv = {wine, host};
        // Wine runs the program over the same drives unless told otherwise.
        if (!std::getenv("WINEPREFIX")) winePrefix = RootFolder();
    } else if (Executable(host)) {
        argv = {host};
    } else {
        return WinExecFailure(11);
    }
    argv.insert(argv.end(), args.begin() + 1, args.end());
    std::string cwd;
    DWORD e;
    MapPath(GetCurrentDirectory(), cwd, e);
    int rc = Spawn(argv, cwd, winePrefix, wait);
    if (rc == 0) {
        c.lastCommand = commandLine;
        return 33;
    }
    if (rc == ENOEXEC || rc == EACCES) return WinExecFailure(11);
    if (rc == ENOENT) return WinExecFailure(2);
    return WinExecFailure(0);
}

}  // namespace platform::host

namespace platform {

UINT WinExec(const std::string& commandLine, UINT showCommand) { return StartProgram(commandLine, false); }

bool RunAndWait(const std::string& commandLine, UINT, DWORD& exitCode) {
    EnsureRoot();
    auto& c = C();
    auto args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return WinExecFailure(2), false;
    if (c.winExecRecordOnly) {
        c.lastCommand = commandLine;
        exitCode = 0;
        return true;
    }
    std::string host;
    UINT error;
    if (!ResolveProgram(args[0], host, error)) return WinExecFailure(error), false;
    std::vector<std::string> argv;
    std::string winePrefix;
    if (IsPe(host)) {
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return WinExecFailure(11), false;
        argv = {wine, host};
        if (!std::getenv("WINEPREFIX")) winePrefix = RootFolder();
    } else if (Executable(host)) {
        argv = {host};
    } else {
        return WinExecFailure(11), false;
    }
    argv.insert(argv.end(), args.begin() + 1, args.end());
    std::string cwd;
    DWORD e;
    MapPath(GetCurrentDirectory(), cwd, e);
    pid_t child = ::fork();
    if (child < 0) return WinExecFailure(0), false;
    if (child == 0) {
        if (!winePrefix.empty()) ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) { /* keep the inherited folder */ }
        std::vector<char*> v;
        for (auto& a : argv) v.push_back(const_cast<char*>(a.c_str()));
        v.push_back(nullptr);
        ::execv(v[0], v.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    c.lastCommand = commandLine;
    exitCode = WIFEXITED(status) ? DWORD(WEXITSTATUS(status)) : DWORD(1);
    return true;
}

void Sleep(DWORD milliseconds) {
    timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::string GetCommandLine() {
    // Rebuilt from the arguments: the program as its Windows path, then each argument,
    // quoted when it holds a blank.
    std::string raw;
    if (FILE* f = std::fopen("/proc/self/cmdline", "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
        std::fclose(f);
    }
    std::vector<std::string> args;
    std::size_t start = 0;
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (raw[i] == 0) {
            args.push_back(raw.substr(start, i - start));
            start = i + 1;
        }
    const std::string self = GetModuleFileName();
    std::string line = self.find(' ') != std::string::npos ? "\"" + self + "\"" : self;
    for (std::size_t i = 1; i < args.size(); ++i)
        line += " " + (args[i].find(' ') != std::string::npos ? "\"" + args[i] + "\"" : args[i]);
    return line;
}

Module LoadLibrary(const std::string& path) {
    EnsureRoot();
    std::vector<std::string> candidates;
    bool bare = path.find_first_of("\\/:") == std::string::npos;
    std::string name = HasExtension(path) ? path : path + ".dll";
    if (bare) {
        candidates = {GetCurrentDirectory() + "\\" + name, "C:\\WINDOWS\\system32\\" + name,
                      "C:\\WINDOWS\\" + name};
    } else {
        candidates = {name};
    }
    for (auto& cnd : candidates) {
        if (FileExists(cnd)) {
            // A Windows DLL cannot be mapped into a Linux process.
            SetLastError(err::BadExeFormat);
            return nullptr;
        }
    }
    SetLastError(err::ModNotFound);
    return nullptr;
}

void* GetProcAddress(Module m, const std::string& name) {
    SetLastError(m ? err::ProcNotFound : err::InvalidHandle);
    return nullptr;
}

bool FreeLibrary(Module m) {
    SetLastError(err::InvalidHandle);
    return false;
}

LONG CallStatusEntry(void*) {
    // No Windows library is ever loaded here, so there is no entry to call.
    SetLastError(err::InvalidFunction);
    return LONG(0x8000FFFFu);  // E_UNEXPECTED
}

LONG CoInitialize() { return C().coInit++ ? 1 : 0; }
LONG OleInitialize() { return C().oleInit++ ? 1 : 0; }
void OleUninitialize() {
    if (C().oleInit > 0) --C().oleInit;
}

std::string GetModuleFileName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = 0;
    auto dos = DosPathOf(buf);
    return dos ? *dos : std::string();
}

DWORD GetTickCount() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return DWORD(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}

}  // namespace platform

namespace platform::testenv {

using platform::host::C;

bool SetOSVersion(OSKind kind) {
    platform::host::EnsureRoot();
    C().os = kind;
    return true;
}
bool SetVersionQueryFails(bool fails) {
    platform::host::EnsureRoot();
    C().versionFails = fails;
    return true;
}
bool SetUserDefaultLangID(LANGID id) {
    platform::host::EnsureRoot();
    C().lang = id;
    return true;
}
bool SetSystemFoldersFail(bool fail) {
    platform::host::EnsureRoot();
    C().foldersFail = fail;
    return true;
}
bool SetProgramManagerAvailable(bool available) {
    platform::host::EnsureRoot();
    C().programManager = available;
    return true;
}
std::string LastWinExecCommand() { return C().lastCommand; }
bool SetWinExecRecordOnly(bool record) {
    platform::host::EnsureRoot();
    C().winExecRecordOnly = record;
    return true;
}

}  // namespace platform::testenv
