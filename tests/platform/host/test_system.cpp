// Host system services: version and language settings, ANSI case, processes, libraries,
// delayed moves and a full disk.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace fs = std::filesystem;
using namespace platform;
namespace te = platform::testenv;

namespace {

std::string DriveC() { return te::Root() + "/drive_c"; }

void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Sets an environment variable for the life of the object.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvVar() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(HostSystem, VersionDefaultsToNtAndCanBeChosen) {
    OSVersionInfo v;
    ASSERT_TRUE(GetVersionEx(v));
    EXPECT_EQ(v.platformId, VerPlatformWin32NT);
    EXPECT_EQ(v.majorVersion, 5u);
    EXPECT_EQ(v.minorVersion, 1u);
    struct Expect {
        te::OSKind kind;
        DWORD major, minor, platform;
    } cases[] = {{te::OSKind::Windows95, 4, 0, VerPlatformWin32Windows},
                 {te::OSKind::WindowsNT351, 3, 51, VerPlatformWin32NT},
                 {te::OSKind::WindowsNT40, 4, 0, VerPlatformWin32NT}};
    for (auto& c : cases) {
        ASSERT_TRUE(te::SetOSVersion(c.kind));
        OSVersionInfo i;
        ASSERT_TRUE(GetVersionEx(i));
        EXPECT_EQ(i.majorVersion, c.major);
        EXPECT_EQ(i.minorVersion, c.minor);
        EXPECT_EQ(i.platformId, c.platform);
    }
    OSVersionInfo bad;
    bad.sizeOfStruct = 100;
    EXPECT_FALSE(GetVersionEx(bad));
    EXPECT_EQ(GetLastError(), err::InvalidParameter);
    te::SetVersionQueryFails(true);
    OSVersionInfo f;
    EXPECT_FALSE(GetVersionEx(f));
    // A new root starts over with the defaults.
    std::string other = te::Root() + "/other";
    ASSERT_TRUE(te::UseRoot(other));
    OSVersionInfo d;
    ASSERT_TRUE(GetVersionEx(d));
    EXPECT_EQ(d.majorVersion, 5u);
}

TEST(HostSystem, LanguageComesFromTheLocale) {
    {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
    }
    {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", "fr_CA");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0C0C);
    }
    {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", "cs_CZ.UTF-8");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0405);  // primary language, default sub-language
    }
    for (const char* l : {"C", "POSIX", "C.UTF-8", "xx_YY"}) {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", l);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409) << l;
    }
    {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", nullptr);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
        te::SetUserDefaultLangID(0x0410);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0410);
    }
}

TEST(HostSystem, AnsiCaseFollowsWindows1252) {
    EXPECT_EQ(AnsiUpperCase("abc \xE0\xE9\xFE\xFF\x9A\x9C\x9E \xDF\xF7"), "ABC \xC0\xC9\xDE\x9F\x8A\x8C\x8E \xDF\xF7");
    EXPECT_EQ(AnsiLowerCase("ABC \xC0\xC9\xDE\x9F\x8A \xD7"), "abc \xE0\xE9\xFE\xFF\x9A \xD7");
    EXPECT_EQ(CompareTextIgnoreCase("\xC0propos", "\xE0PROPOS"), 0);
    EXPECT_EQ(CompareTextIgnoreCase("English", "ENGLISH"), 0);
    EXPECT_LT(CompareTextIgnoreCase("apple", "Banana"), 0);
    EXPECT_GT(CompareTextIgnoreCase("b", "\xE1"), 0);  // á sorts with a, before b
    EXPECT_LT(CompareTextIgnoreCase("a", "\xE1"), 0);  // the plain letter first
    EXPECT_LT(CompareTextIgnoreCase("abc", "abcd"), 0);
}

TEST(HostSystem, SystemFoldersAndTheirFailure) {
    EXPECT_EQ(GetWindowsDirectory(), "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectory(), "C:\\WINDOWS\\system32");
    EXPECT_TRUE(DirectoryExists(GetSystemDirectory()));
    te::SetSystemFoldersFail(true);
    EXPECT_EQ(GetWindowsDirectory(), "");
    EXPECT_EQ(GetSystemDirectory(), "");
    te::SetSystemFoldersFail(false);
    EXPECT_TRUE(host::ProgramManagerAvailable());
    te::SetProgramManagerAvailable(false);
    EXPECT_FALSE(host::ProgramManagerAvailable());
}

TEST(HostSystem, WinExecResultCodes) {
    EnvVar path("PATH", "/usr/bin:/bin");
    EXPECT_EQ(WinExec("C:\\nowhere\\prog.exe", SwShowNormal), 3u);
    EXPECT_EQ(WinExec("C:\\WINDOWS\\prog.exe arg", SwShowNormal), 2u);
    EXPECT_EQ(WinExec("doesnotexist-zarn", SwShowNormal), 2u);
    Spit(DriveC() + "/plain.txt", "not a program");
    EXPECT_EQ(WinExec("C:\\plain.txt", SwShowNormal), 11u);
    EXPECT_EQ(te::LastWinExecCommand(), "");
    {
        EnvVar noWine("PATH", "/nonexistent");
        Spit(DriveC() + "/game.exe", std::string("MZ\x90\0", 4));
        EXPECT_EQ(WinExec("C:\\game.exe", SwShowNormal), 11u);  // a PE image and no wine
    }
    te::SetWinExecRecordOnly(true);
    EXPECT_GT(WinExec("\"C:\\Program Files\\x.exe\" /s", SwShowNormal), 31u);
    EXPECT_EQ(te::LastWinExecCommand(), "\"C:\\Program Files\\x.exe\" /s");
}

TEST(HostSystem, WinExecStartsAHostProgramInTheCurrentFolder) {
    fs::create_directories(DriveC() + "/Work Dir");
    const std::string script = DriveC() + "/Work Dir/run me.sh";
    Spit(script, "#!/bin/sh\necho \"$1|$2\" > started.txt\n");
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_TRUE(SetCurrentDirectory("C:\\Work Dir"));
    UINT rc = WinExec("\"C:\\work dir\\RUN ME.sh\" \"two words\" plain", SwShowNormal);
    ASSERT_GT(rc, 31u);
    EXPECT_EQ(te::LastWinExecCommand(), "\"C:\\work dir\\RUN ME.sh\" \"two words\" plain");
    const std::string out = DriveC() + "/Work Dir/started.txt";
    for (int i = 0; i < 100 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "two words|plain");
    // Without a folder the program is searched in the current folder too.
    EXPECT_GT(WinExec("\"run me.sh\"", SwShowNormal), 31u);
}

TEST(HostSystem, LibrariesCannotBeLoadedOnTheHost) {
    EXPECT_EQ(LoadLibrary("C:\\nowhere.dll"), nullptr);
    EXPECT_EQ(GetLastError(), err::ModNotFound);
    Spit(DriveC() + "/WINDOWS/system32/fake.dll", std::string("MZ\x90\0", 4));
    EXPECT_EQ(LoadLibrary("fake.dll"), nullptr);
    EXPECT_EQ(GetLastError(), err::BadExeFormat);
    EXPECT_EQ(LoadLibrary("C:\\WINDOWS\\system32\\FAKE"), nullptr);
    EXPECT_EQ(GetLastError(), err::BadExeFormat);
    EXPECT_GE(CoInitialize(), 0);
    EXPECT_EQ(CoInitialize(), 1);
    EXPECT_GE(OleInitialize(), 0);
}

TEST(HostSystem, ModuleFileNameIsAWindowsPath) {
    std::string m = GetModuleFileName();
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m[1], ':');
    EXPECT_TRUE(FileExists(m));
    DWORD a = GetTickCount();
    EXPECT_GE(GetTickCount(), a);
}

std::vector<std::string> PendingOps(std::vector<BYTE>& raw) {
    KeyHandle k;
    raw.clear();
    if (RegOpenKey(HKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", KeyRead, k.receive()) != 0)
        return {};
    DWORD type = 0;
    RegQueryValue(k.get(), "PendingFileRenameOperations", type, raw);
    EXPECT_EQ(type, RegMultiSz);
    // Pairs of strings; the last NUL ends the list.
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t i = 0; i + 1 < raw.size(); ++i) {
        if (raw[i] == 0) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += char(raw[i]);
        }
    }
    return out;
}

TEST(HostSystem, DelayedMovesAreRecordedAsNtRecordsThem) {
    ASSERT_TRUE(MoveFileEx("C:\\new.dll", "C:\\WINDOWS\\system32\\old.dll",
                           MoveFileDelayUntilReboot | MoveFileReplaceExisting));
    ASSERT_TRUE(MoveFileEx("C:\\gone.tmp", "", MoveFileDelayUntilReboot));
    ASSERT_TRUE(SetCurrentDirectory("C:\\WINDOWS"));
    ASSERT_TRUE(MoveFileEx("a.txt", "b.txt", MoveFileDelayUntilReboot));
    std::vector<BYTE> raw;
    auto ops = PendingOps(raw);
    EXPECT_EQ(ops, (std::vector<std::string>{"\\??\\C:\\new.dll", "!\\??\\C:\\WINDOWS\\system32\\old.dll",
                                             "\\??\\C:\\gone.tmp", "", "\\??\\C:\\WINDOWS\\a.txt",
                                             "\\??\\C:\\WINDOWS\\b.txt"}));
    EXPECT_EQ(raw.back(), 0);
    EXPECT_EQ(raw[raw.size() - 2], 0);
    // Nothing moved now.
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\b.txt"));
    te::SetRegistryReadOnly(HKeyLocalMachine, true);
    EXPECT_FALSE(MoveFileEx("C:\\x", "C:\\y", MoveFileDelayUntilReboot));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
}

TEST(HostSystem, WriteOnAFullDiskReportsThePartialCount) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        rlimit lim{10000, 10000};
        setrlimit(RLIMIT_FSIZE, &lim);
        Handle h = CreateFile("C:\\big.bin", GenericWrite, 0, CreateAlways);
        if (h == InvalidHandle) _exit(10);
        std::vector<char> block(4096, 'x');
        DWORD done = 0, total = 0;
        for (int i = 0; i < 2; ++i) {
            if (!WriteFile(h, block.data(), DWORD(block.size()), done)) _exit(11);
            total += done;
        }
        bool ok = WriteFile(h, block.data(), DWORD(block.size()), done);
        if (ok) _exit(12);
        if (GetLastError() != err::DiskFull) _exit(13);
        if (done != 10000 - total) _exit(14);
        if (WriteFile(h, block.data(), 1, done) || done != 0 || GetLastError() != err::DiskFull) _exit(15);
        CloseHandle(h);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(DriveC() + "/big.bin"), 10000u);
}

TEST(HostSystem, ProfileWithBareNameIsInTheWindowsFolder) {
    const std::string k = "Rename", v = "NUL";
    const std::string key = "C:\\file.dll";
    ASSERT_TRUE(WritePrivateProfileString("Rename", &key, &v, "WININIT.INI"));
    std::ifstream in(DriveC() + "/WINDOWS/WININIT.INI", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[Rename]\r\nC:\\file.dll=NUL\r\n");
    (void)k;
}

TEST(HostSystem, TempFolderIsInTheRoot) {
    EXPECT_EQ(GetTempPath(), "C:\\WINDOWS\\TEMP\\");
    std::string name;
    UINT n = GetTempFileName(GetTempPath(), "zrn", 0, name);
    ASSERT_NE(n, 0u);
    auto host = te::HostPath(name);
    ASSERT_TRUE(host);
    EXPECT_TRUE(fs::exists(*host));
    EXPECT_EQ(host->rfind(DriveC() + "/WINDOWS/TEMP/zrn", 0), 0u);
}

}  // namespace
