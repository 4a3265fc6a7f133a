// Install over a file in use, restart, restart again: on each of Windows' routes the new
// file takes its place at the restart and nothing runs twice. The host's Restart() works
// off the delayed moves, WININIT.INI, RunOnce and the Startup folder as Windows does, and
// runs the real restart program from the RunOnce entry the main install object left.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "installer/cmp_TMainInstall.h"
#include "platform/registry.h"
#include "platform/testenv.h"
#include "shell/cmp_TProgramManager.h"
#include "tests/install/file_fixture.h"

using namespace zarn::test;
namespace testenv = platform::testenv;

namespace {

std::vector<std::string> ValueNames(platform::HKEY root, const std::string& key) {
    std::vector<std::string> names;
    platform::KeyHandle k;
    if (platform::RegOpenKey(root, key, platform::KeyRead, k.receive()) != 0) return names;
    std::string name;
    for (platform::DWORD i = 0; platform::RegEnumValue(k.get(), i, name) == 0; ++i) names.push_back(name);
    return names;
}

std::string HostFile(const std::string& hostPath) {
    std::ifstream in(hostPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RestartCycle : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        RegisterInstallerClasses();
        main = new TMainInstall(owner);
        main->SetName("Main");
        main->SetProductName("Cycle Demo");
        group = Group("G");
        lib = File(group, "Lib", "LIB.DLL", "new library");
        group->CompressFiles(false);
        target = Path("dest\\LIB.DLL");
        Write(target, "old library");
        // The restart program, through a wrapper that keeps what it says.
        output = testenv::Root() + "/restart-output.txt";
        const std::string wrapper = testenv::Root() + "/zrestart-wrapper";
        {
            std::ofstream w(wrapper);
            w << "#!/bin/sh\nexec '" << ZARN_RESTART_PROGRAM << "' \"$@\" >>'" << output << "' 2>&1 </dev/null\n";
        }
        ::chmod(wrapper.c_str(), 0755);
        main->SetRestartProgram(*testenv::WindowsPath(wrapper));
    }

    // The install over the file in use, as a running program holds it.
    void InstallOverFileInUse() {
        ASSERT_TRUE(testenv::HoldFileInUse(target, true));
        group->Process();
        EXPECT_EQ(Read(Path("dest\\LIB.1")), "new library");
        EXPECT_TRUE(main->RestartNeeded());
    }

    // Nothing of the installation is left to run at a restart.
    void ExpectNothingLeftToRun() {
        for (platform::HKEY root : {platform::HKeyLocalMachine, platform::HKeyCurrentUser}) {
            EXPECT_TRUE(ValueNames(root, RunOnceKey).empty());
            EXPECT_FALSE(platform::RegKeyExists(root, std::string(RestartListKey) + "\\Cycle Demo"));
        }
    }

    void ExpectExchanged() {
        EXPECT_EQ(Read(target), "new library");
        EXPECT_FALSE(platform::FileExists(Path("dest\\LIB.1")));
    }

    TMainInstall* main = nullptr;
    TInstallFileGroup* group = nullptr;
    TInstallFile* lib = nullptr;
    std::string target;
    std::string output;
};

TEST_F(RestartCycle, OnNTTheDelayedMoveReplacesTheFileInUse) {
    InstallOverFileInUse();
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    ExpectNothingLeftToRun();
}

TEST_F(RestartCycle, OnWindows95WinInitReplacesTheFileInUse) {
    testenv::SetOSVersion(testenv::OSKind::Windows95);
    InstallOverFileInUse();
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    EXPECT_TRUE(platform::FileExists(platform::GetWindowsDirectory() + "\\WININIT.BAK"));
    EXPECT_FALSE(platform::FileExists(platform::GetWindowsDirectory() + "\\WININIT.INI"));
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
}

// The delayed move refused: a batch file that a Startup shortcut runs. The restart
// program does its exchange and removes both before the logon would run the batch; were
// the batch left, its "erase" would delete the installed file at the next logon.
TEST_F(RestartCycle, ARefusedDelayedMoveIsCompletedOnceAndTheBatchAndItsShortcutGo) {
    testenv::SetOSVersion(testenv::OSKind::WindowsNT40);
    testenv::SetDelayedMoveRefused(true);
    // The program itself, so that it can see it runs from its copy.
    main->SetRestartProgram(*testenv::WindowsPath(ZARN_RESTART_PROGRAM));
    InstallOverFileInUse();
    std::vector<std::string> files;
    for (const TRestartItem& item : main->RestartList()) {
        EXPECT_EQ(item.kind, 1);
        files.push_back(item.text);
        EXPECT_TRUE(platform::FileExists(item.text)) << item.text;
    }
    ASSERT_EQ(files.size(), 2u);  // the batch and its shortcut
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    for (const std::string& f : files) EXPECT_FALSE(platform::FileExists(f)) << f;
    ExpectNothingLeftToRun();
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    // The restart program's own copy went at that restart.
    std::vector<platform::FindData> copies;
    platform::FindFiles(platform::GetTempPath() + "zrs*.exe", copies);
    EXPECT_TRUE(copies.empty());
}

TEST_F(RestartCycle, OnNT351TheProgramManagerStartupItemIsRemoved) {
    testenv::SetOSVersion(testenv::OSKind::WindowsNT351);
    testenv::SetDelayedMoveRefused(true);
    InstallOverFileInUse();
    ASSERT_EQ(main->RestartList().size(), 2u);
    const std::string item = main->RestartList()[1].text;
    EXPECT_EQ(main->RestartList()[1].kind, 2);
    ProgramManager->SelectGroup("Startup");
    EXPECT_GE(ProgramManager->IndexOfItem(item), 0);
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    ProgramManager->SelectGroup("Startup");
    EXPECT_LT(ProgramManager->IndexOfItem(item), 0);
    ASSERT_TRUE(testenv::Restart());
    ExpectExchanged();
    ExpectNothingLeftToRun();
}

// A COM server in use registers itself only after the restart. This Windows loads no
// Windows images, so there the registration fails: the program says so (in the user's
// language), still does the rest of its list, and leaves nothing that would run again.
TEST_F(RestartCycle, AServerInUseIsRegisteredAfterTheRestartAndAFailureIsReported) {
    ::setenv("LANG", "de_DE.UTF-8", 1);
    lib->SetRegisterAsActiveX_DLLStyle(true);
    InstallOverFileInUse();  // not registered now: that would have failed here
    ASSERT_EQ(main->RestartList().size(), 1u);
    EXPECT_EQ(main->RestartList()[0].path, target);
    ASSERT_TRUE(testenv::Restart());
    ::unsetenv("LANG");
    ExpectExchanged();
    ExpectNothingLeftToRun();
    const std::string said = HostFile(output);
    EXPECT_NE(said.find("Der Server"), std::string::npos) << said;
    EXPECT_NE(said.find("registriert werden"), std::string::npos) << said;
    EXPECT_NE(said.find("LIB.DLL"), std::string::npos) << said;
}

// The user deleted the server before the restart: it is skipped without a word, and the
// other file of the installation is still exchanged.
TEST_F(RestartCycle, AServerThatHasGoneIsSkippedAndNothingElseIsLost) {
    lib->SetRegisterAsActiveX_DLLStyle(true);
    TInstallFile* other = File(group, "Other", "OTHER.TXT", "new text");
    group->CompressFiles(false);
    const std::string otherTarget = Path("dest\\OTHER.TXT");
    Write(otherTarget, "old text");
    ASSERT_TRUE(testenv::HoldFileInUse(otherTarget, true));
    InstallOverFileInUse();
    EXPECT_TRUE(other->PendingReboot());
    testenv::HoldFileInUse(target, false);
    ASSERT_TRUE(platform::DeleteFile(target));
    ASSERT_TRUE(platform::DeleteFile(Path("dest\\LIB.1")));
    ASSERT_TRUE(testenv::Restart());
    EXPECT_EQ(Read(otherTarget), "new text");
    EXPECT_FALSE(platform::FileExists(target));
    ExpectNothingLeftToRun();
    EXPECT_EQ(HostFile(output), "");
}

}  // namespace
