// A restart of the host Windows: delayed moves, WININIT.INI, RunOnce and Run, and the
// Startup folder with its batch files; each followed by a second restart to show what
// runs again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/files.h"
#include "platform/host/hostenv.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/handles.h"
#include "platform/shelllink.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace fs = std::filesystem;
using namespace platform;
namespace te = platform::testenv;

namespace {

std::string Host(const std::string& windowsPath) { return te::HostPath(windowsPath).value(); }

void Put(const std::string& windowsPath, const std::string& text) {
    fs::create_directories(fs::path(Host(windowsPath)).parent_path());
    std::ofstream(Host(windowsPath), std::ios::binary) << text;
}

std::string Get(const std::string& windowsPath) {
    if (!FileExists(windowsPath)) return "<missing>";
    std::ifstream in(Host(windowsPath), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A host program at `windowsPath` running `body` under /bin/sh.
void Script(const std::string& windowsPath, const std::string& body) {
    Put(windowsPath, "#!/bin/sh\n" + body);
    fs::permissions(Host(windowsPath), fs::perms::owner_all);
}

void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    KeyHandle k;
    ASSERT_EQ(RegCreateKey(root, key, k.receive()), 0);
    ASSERT_EQ(RegSetString(k.get(), name, value), 0);
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    KeyHandle k;
    return RegOpenKey(root, key, KeyRead, k.receive()) == 0 && RegValueExists(k.get(), name);
}

void MakeShortcut(const std::string& link, const std::string& target, const std::string& arguments = "") {
    std::unique_ptr<ShellLink> l;
    ASSERT_EQ(CreateShellLink(l), hr::Ok);
    ASSERT_EQ(l->SetPath(target), hr::Ok);
    if (!arguments.empty()) {
        ASSERT_EQ(l->SetArguments(arguments), hr::Ok);
    }
    ASSERT_EQ(l->Save(link), hr::Ok);
}

std::string StartupFolder() { return "C:\\users\\" + host::UserName() + "\\Start Menu\\Programs\\Startup"; }

constexpr const char* SessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* RunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The delayed moves of both tests below: a rename onto an existing file without "!", a
// replacing one, a delete, and a rename onto nothing. Also writes the files into
// `alsoHere` (a host folder) when given.
void ScheduleMoves(const std::string& folder, const std::string& alsoHere = "") {
    const std::pair<const char*, const char*> files[] = {{"keep.txt", "old keep"}, {"keep.new", "new keep"},
                                                         {"repl.txt", "old repl"}, {"repl.new", "new repl"},
                                                         {"fresh.new", "fresh"},   {"gone.tmp", "x"}};
    for (auto& [name, text] : files) {
        Put(folder + "\\" + name, text);
        if (!alsoHere.empty()) std::ofstream(alsoHere + "/" + name, std::ios::binary) << text;
    }
    ASSERT_TRUE(MoveFileEx(folder + "\\keep.new", folder + "\\keep.txt", MoveFileDelayUntilReboot));
    ASSERT_TRUE(MoveFileEx(folder + "\\repl.new", folder + "\\REPL.TXT", MoveFileDelayUntilReboot | MoveFileReplaceExisting));
    ASSERT_TRUE(MoveFileEx(folder + "\\gone.tmp", "", MoveFileDelayUntilReboot));
    ASSERT_TRUE(MoveFileEx(folder + "\\fresh.new", folder + "\\fresh.txt", MoveFileDelayUntilReboot));
}

TEST(HostRestart, DelayedMovesReplaceOnlyWithTheBangAndDeleteWithAnEmptyTarget) {
    ScheduleMoves("C:\\App");
    // The file to be replaced is in use until the restart ends every process.
    ASSERT_TRUE(te::HoldFileInUse("C:\\App\\repl.txt", true));
    FileHandle open(CreateFile("C:\\App\\keep.txt", GenericRead, 0, OpenExisting));
    ASSERT_TRUE(open);

    ASSERT_TRUE(te::Restart());
    EXPECT_EQ(Get("C:\\App\\keep.txt"), "old keep");  // no "!": the rename onto it failed
    EXPECT_EQ(Get("C:\\App\\keep.new"), "new keep");
    EXPECT_EQ(Get("C:\\App\\repl.txt"), "new repl");
    EXPECT_FALSE(FileExists("C:\\App\\repl.new"));
    EXPECT_FALSE(FileExists("C:\\App\\gone.tmp"));
    EXPECT_EQ(Get("C:\\App\\fresh.txt"), "fresh");
    EXPECT_FALSE(ValueExists(HKeyLocalMachine, SessionManager, "PendingFileRenameOperations"));
    // Nothing holds the files any more.
    EXPECT_TRUE(DeleteFile("C:\\App\\keep.new")) << GetLastError();

    // The Windows 95 family has no Session Manager: its list stays untouched.
    ASSERT_TRUE(MoveFileEx("C:\\App\\fresh.txt", "", MoveFileDelayUntilReboot));
    te::SetOSVersion(te::OSKind::Windows95);
    ASSERT_TRUE(te::Restart());
    EXPECT_TRUE(FileExists("C:\\App\\fresh.txt"));
    EXPECT_TRUE(ValueExists(HKeyLocalMachine, SessionManager, "PendingFileRenameOperations"));
}

// Wine's own restart (wineboot -r) works off PendingFileRenameOperations as the Session
// Manager does. The same moves, as the host records them, are imported into the Wine
// prefix named by WINEPREFIX; both restarts must leave the same files.
TEST(HostRestart, WinebootGivesWhatTheHostGivesForTheDelayedMoves) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !fs::exists(std::string(prefix) + "/system.reg") || std::system("command -v wineboot >/dev/null") != 0)
        GTEST_SKIP() << "needs wine, wineboot and WINEPREFIX naming an existing prefix";
    const std::string folder = "C:\\ZarnRestartCheck";
    const std::string wineFolder = std::string(prefix) + "/drive_c/ZarnRestartCheck";
    fs::remove_all(wineFolder);
    fs::create_directories(wineFolder);
    ScheduleMoves(folder, wineFolder);
    std::vector<BYTE> pending;
    {
        KeyHandle k;
        DWORD type = 0;
        ASSERT_EQ(RegOpenKey(HKeyLocalMachine, SessionManager, KeyRead, k.receive()), 0);
        ASSERT_EQ(RegQueryValue(k.get(), "PendingFileRenameOperations", type, pending), 0);
    }
    // The host's value, widened to UTF-16 for a version 5 .reg file.
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(SessionManager) +
                      "]\r\n\"PendingFileRenameOperations\"=hex(7):";
    for (std::size_t i = 0; i < pending.size(); ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%s%02x,00", i ? "," : "", pending[i]);
        reg += hex;
    }
    reg += "\r\n";
    std::string wide = "\xff\xfe";
    for (char c : reg) wide += std::string{c, '\0'};
    const std::string regFile = te::Root() + "/pending.reg";
    std::ofstream(regFile, std::ios::binary) << wide;
    const std::string env = "WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ";
    // No wineserver -k: other tests may use the same prefix; wineboot -r works off the
    // list before it returns.
    ASSERT_EQ(std::system((env + "timeout 120 wine regedit /S '" + regFile + "' </dev/null >/dev/null 2>&1 && " + env +
                           "timeout 120 wineboot -r </dev/null >/dev/null 2>&1")
                              .c_str()),
              0);

    ASSERT_TRUE(te::Restart());
    for (const std::string name : {"keep.txt", "keep.new", "repl.txt", "repl.new", "fresh.new", "fresh.txt", "gone.tmp"}) {
        std::string wine = "<missing>";
        if (fs::exists(wineFolder + "/" + name)) {
            std::ifstream in(wineFolder + "/" + name, std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            wine = s.str();
        }
        EXPECT_EQ(Get(folder + "\\" + name), wine) << name;
    }
    fs::remove_all(wineFolder);
}

TEST(HostRestart, WininitRenamesByShortNamesDeletesEveryNulAndBecomesWininitBak) {
    te::SetOSVersion(te::OSKind::Windows95);
    const std::string folder = "C:\\Program Files\\Long Named App";
    Put(folder + "\\README.TXT", "old");
    Put(folder + "\\README.1", "new");
    Put(folder + "\\Obsolete Library.dll", "a");
    Put(folder + "\\other.old", "b");
    Put("C:\\WINDOWS\\WININIT.BAK", "an older backup");
    const std::string shortFolder = GetShortPathName(folder);
    ASSERT_EQ(shortFolder, "C:\\PROGRA~1\\LONGNA~1");
    const std::string shortObsolete = GetShortPathName(folder + "\\Obsolete Library.dll");
    Put("C:\\WINDOWS\\WININIT.INI", "[Other]\r\nNUL=" + folder + "\\README.TXT\r\n"
                                    "[rename]\r\n"
                                    "NUL=" + shortObsolete + "\r\n"
                                    "; a comment\r\n"
                                    "nul=" + shortFolder + "\\OTHER.OLD\r\n" +
                                    shortFolder + "\\README.TXT=" + shortFolder + "\\README.1\r\n");
    ASSERT_TRUE(te::HoldFileInUse(folder + "\\README.TXT", true));

    ASSERT_TRUE(te::Restart());
    EXPECT_EQ(Get(folder + "\\README.TXT"), "new");
    EXPECT_FALSE(FileExists(folder + "\\README.1"));
    EXPECT_FALSE(FileExists(folder + "\\Obsolete Library.dll"));
    EXPECT_FALSE(FileExists(folder + "\\other.old"));
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_NE(Get("C:\\WINDOWS\\WININIT.BAK").find("README.1"), std::string::npos);

    ASSERT_TRUE(te::Restart());
    EXPECT_EQ(Get(folder + "\\README.TXT"), "new");
}

TEST(HostRestart, RunOnceIsRemovedBeforeItRunsAndRunsOnceRunEveryTimeRegistryReadAgain) {
    const std::string log = Host("C:\\") + "/log.txt";
    const std::string machineHive = host::HiveFile(HKeyLocalMachine);
    // Records its argument and whether its RunOnce value is still in the registry file.
    Script("C:\\Program Files\\Test Tools\\record run.sh",
           "if grep -q '\"Recorder\"' '" + machineHive + "'; then s=listed; else s=removed; fi\n"
           "echo \"$1 $s\" >> '" + log + "'\n");
    // Changes the registry file behind the process's back, as another program does.
    Script("C:\\Program Files\\Test Tools\\edit.sh",
           "sed -i 's/\"Marker\"=\"old\"/\"Marker\"=\"new\"/' '" + machineHive + "'\n");
    SetString(HKeyLocalMachine, "Software\\Test", "Marker", "old");
    SetString(HKeyLocalMachine, RunOnceKey, "Editor", "\"C:\\Program Files\\Test Tools\\edit.sh\"");
    SetString(HKeyLocalMachine, RunOnceKey, "Recorder", "\"C:\\Program Files\\Test Tools\\record run.sh\" machine-once");
    SetString(HKeyCurrentUser, RunOnceKey, "UserOnce", "\"C:\\PROGRA~1\\TESTTO~1\\RECORD~1.SH\" user-once");
    SetString(HKeyLocalMachine, RunKey, "Always", "\"C:\\Program Files\\Test Tools\\record run.sh\" run");

    ASSERT_TRUE(te::Restart());
    ASSERT_TRUE(te::Restart());
    std::ifstream in(log);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "machine-once removed\nuser-once removed\nrun removed\nrun removed\n");
    EXPECT_FALSE(ValueExists(HKeyLocalMachine, RunOnceKey, "Editor"));
    EXPECT_FALSE(ValueExists(HKeyCurrentUser, RunOnceKey, "UserOnce"));
    EXPECT_TRUE(ValueExists(HKeyLocalMachine, RunKey, "Always"));
    KeyHandle k;
    std::string marker;
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, "Software\\Test", KeyRead, k.receive()), 0);
    ASSERT_EQ(RegGetString(k.get(), "Marker", marker), 0);
    EXPECT_EQ(marker, "new");  // the removal of the next RunOnce value kept the program's change
}

TEST(HostRestart, StartupShortcutRunsItsBatchAtEveryRestart) {
    te::SetOSVersion(te::OSKind::WindowsNT40);
    const std::string folder = "C:\\Program Files\\My App";
    Put(folder + "\\README.TXT", "old");
    Put(folder + "\\README.1", "new");
    ASSERT_TRUE(te::HoldFileInUse(folder + "\\README.TXT", true));
    const std::string shortTarget = GetShortPathName(folder + "\\README.TXT");
    const std::string shortTemp = GetShortPathName(folder + "\\README.1");
    ASSERT_EQ(shortTarget, "C:\\PROGRA~1\\MYAPP~1\\README.TXT");
    const std::string batch = "C:\\WINDOWS\\TEMP\\bat1F2.bat";
    Put(batch, "erase " + shortTarget + "\r\nmove " + shortTemp + " " + shortTarget + "\r\n");
    MakeShortcut(StartupFolder() + "\\bat1F2.LNK", batch);

    ASSERT_TRUE(te::Restart());
    EXPECT_EQ(Get(folder + "\\README.TXT"), "new");
    EXPECT_FALSE(FileExists(folder + "\\README.1"));
    // The shortcut is still there, so the batch runs again: its erase removes the new
    // file and its move has nothing left to move.
    ASSERT_TRUE(te::Restart());
    EXPECT_FALSE(FileExists(folder + "\\README.TXT"));
}

TEST(HostRestart, BatchInterpreterCommandsAndProgramsFromABatch) {
    const std::string log = Host("C:\\") + "/log.txt";
    Script("C:\\Program Files\\Test Tools\\record run.sh", "echo \"$1\" >> '" + log + "'\n");
    Put("C:\\WINDOWS\\TEMP\\one.old", "1");
    Put("C:\\WINDOWS\\TEMP\\two.OLD", "2");
    Put("C:\\WINDOWS\\TEMP\\keep.txt", "k");
    Put("C:\\Data\\source.txt", "s");
    Put("C:\\WINDOWS\\TEMP\\restart.bat",
        "@Echo Off\r\n"
        "REM copies, deletes by wildcard, tests existence\r\n"
        "\r\n"
        ":start\r\n"
        "COPY \"C:\\Program Files\\Test Tools\\record run.sh\" C:\\WINDOWS\\TEMP\\REC.SH\r\n"
        "C:\\WINDOWS\\TEMP\\REC.SH copied-program\r\n"
        "If Exist C:\\WINDOWS\\TEMP\\*.old Del /Q C:\\WINDOWS\\TEMP\\*.old\r\n"
        "if exist C:\\WINDOWS\\TEMP\\one.old copy C:\\Data\\source.txt C:\\Data\\wrong.txt\r\n"
        "if not exist C:\\Data\\copy.txt copy C:\\Data\\source.txt C:\\Data\\copy.txt\r\n"
        "move /Y \"C:\\Data\\copy.txt\" \"C:\\Program Files\\Test Tools\"\r\n"
        "exit\r\n"
        "del C:\\WINDOWS\\TEMP\\keep.txt\r\n");
    SetString(HKeyCurrentUser, RunOnceKey, "Batch", "C:\\WINDOWS\\TEMP\\restart.bat");
    ASSERT_TRUE(te::Restart());
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "copied-program");  // the copy kept the program's executable bits
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\TEMP\\one.old"));
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\TEMP\\two.OLD"));
    EXPECT_FALSE(FileExists("C:\\Data\\wrong.txt"));
    EXPECT_FALSE(FileExists("C:\\Data\\copy.txt"));
    EXPECT_EQ(Get("C:\\Program Files\\Test Tools\\copy.txt"), "s");
    EXPECT_TRUE(FileExists("C:\\WINDOWS\\TEMP\\keep.txt"));  // after "exit"
}

TEST(HostRestart, Nt351RunsTheProgramManagerStartupGroupOnce) {
    te::SetOSVersion(te::OSKind::WindowsNT351);
    const std::string log = Host("C:\\") + "/log.txt";
    Script("C:\\Tools\\record.sh", "echo \"$1\" >> '" + log + "'\n");
    // The Startup group of Program Manager is the Startup folder of a new profile.
    MakeShortcut(StartupFolder() + "\\Record.lnk", "C:\\Tools\\record.sh", "group");
    ASSERT_TRUE(te::Restart());
    // Elsewhere than the group the Startup folder counts as well.
    ASSERT_TRUE(CreateDirectory("C:\\Elsewhere"));
    SetString(HKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup",
              "C:\\Elsewhere");
    MakeShortcut("C:\\Elsewhere\\Record.lnk", "C:\\Tools\\record.sh", "startup");
    ASSERT_TRUE(te::Restart());
    std::ifstream in(log);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "group\nstartup\ngroup\n");
}

}  // namespace
