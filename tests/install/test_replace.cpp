// Replacing a destination file that is in use: the new file goes beside it under the
// next free ".N" name, and the exchange is scheduled for the next restart through
// WININIT.INI (Windows 95 family), the delayed move (NT), or a batch file that a Startup
// shortcut runs when the delayed move is refused.
//
// The test over the real API holds the destination open without sharing, as a running
// program holds its DLL; on the host the same test goes through the host's in-use switch.
#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"
#include "tests/install/file_fixture.h"

using namespace zarn::test;
namespace testenv = platform::testenv;

namespace {

const char* const SessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> PendingRenames() {
    std::vector<std::string> value;
    platform::KeyHandle key;
    if (platform::RegOpenKey(platform::HKeyLocalMachine, SessionManager, platform::KeyRead, key.receive()) == 0)
        platform::RegGetMultiString(key.get(), "PendingFileRenameOperations", value);
    return value;
}

// Puts back the scheduled renames as they were before the test.
class PendingRenamesKept {
public:
    PendingRenamesKept() : before_(PendingRenames()) {}
    ~PendingRenamesKept() {
        platform::KeyHandle key;
        if (platform::RegCreateKey(platform::HKeyLocalMachine, SessionManager, key.receive()) != 0) return;
        if (before_.empty())
            platform::RegDeleteValue(key.get(), "PendingFileRenameOperations");
        else
            platform::RegSetMultiString(key.get(), "PendingFileRenameOperations", before_);
    }
    const std::vector<std::string>& Before() const { return before_; }

private:
    std::vector<std::string> before_;
};

// A file held open by "another program": through the host's switch, or a real handle
// opened without sharing.
class InUse {
public:
    explicit InUse(const std::string& path) : path_(path) {
        if (testenv::Available())
            held_ = testenv::HoldFileInUse(path, true);
        else
            handle_.reset(platform::CreateFile(path, platform::GenericRead, 0, platform::OpenExisting));
        EXPECT_TRUE(held_ || handle_) << path;
    }
    ~InUse() { Release(); }
    void Release() {
        if (held_) testenv::HoldFileInUse(path_, false);
        held_ = false;
        handle_.reset();
    }

private:
    std::string path_;
    bool held_ = false;
    platform::FileHandle handle_;
};

class ReplaceTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        group = Group("G");
        lib = File(group, "Lib", "LIB.DLL", "new library");
        lib->SetRegisterAsActiveX_DLLStyle(true);  // must wait for the restart
        group->CompressFiles(false);
        Write(Path("dest\\LIB.DLL"), "old library");
        target = Path("dest\\LIB.DLL");
    }
    TTestInstall* Main() {
        auto* m = new TTestInstall(owner);
        m->SetName("Main");
        MainInstall = m;
        return m;
    }
    std::string ShortTarget() const { return platform::GetShortPathName(target); }

    TInstallFileGroup* group = nullptr;
    TInstallFile* lib = nullptr;
    std::string target;
};

TEST_F(ReplaceTest, OnNTAFileInUseIsExchangedByADelayedMove) {
    PendingRenamesKept kept;
    TTestInstall* main = Main();
    std::vector<std::string> replacing;
    lib->OnReplacing = [&](TInstallFile* f) { replacing.push_back("file " + f->Name()); };
    group->OnReplacing = [&](TInstallFile* f) { replacing.push_back("group " + f->Name()); };
    {
        InUse held(target);
        group->Process();
    }
    EXPECT_EQ(Read(target), "old library");
    EXPECT_EQ(Read(Path("dest\\LIB.1")), "new library");
    EXPECT_TRUE(lib->PendingReboot());
    EXPECT_TRUE(RestartNeeded);
    EXPECT_EQ(replacing, (std::vector<std::string>{"file Lib", "group Lib"}));
    // Recorded as Windows records a replacing move at the next restart: the "!" lets it
    // replace the old file (without it, the restart drops the rename).
    std::vector<std::string> expected = kept.Before();
    expected.push_back("\\??\\" + Path("dest\\LIB.1"));
    expected.push_back("!\\??\\" + target);
    EXPECT_EQ(PendingRenames(), expected);
    // The self-registration waits for the restart.
    EXPECT_EQ(main->restart, (std::vector<std::pair<std::string, int>>{{"Lib", 0}}));

    // Unlocked, the old file is deleted and the new one written under its own name.
    RestartNeeded = false;
    lib->SetRegisterAsActiveX_DLLStyle(false);
    group->Process();
    EXPECT_EQ(Read(target), "new library");
    EXPECT_FALSE(lib->PendingReboot());
    EXPECT_FALSE(RestartNeeded);
    EXPECT_EQ(PendingRenames(), expected);
}

TEST_F(ReplaceTest, OnWindows95TheExchangeGoesIntoWinInitWithShortNames) {
    if (!testenv::Available()) GTEST_SKIP() << "needs the host's Windows 95";
    testenv::SetOSVersion(testenv::OSKind::Windows95);
    TTestInstall* main = Main();
    Write(Path("dest\\LIB.1"), "left from an earlier run");
    {
        InUse held(target);
        group->Process();
    }
    EXPECT_EQ(Read(Path("dest\\LIB.2")), "new library");
    EXPECT_EQ(Read(target), "old library");
    const std::string shortTarget = ShortTarget();
    ASSERT_NE(shortTarget, target);  // the scratch folder has no 8.3 name of its own
    EXPECT_EQ(platform::GetPrivateProfileString("Rename", shortTarget, "", "WININIT.INI"),
              ExtractFilePath(shortTarget) + "LIB.2");
    EXPECT_TRUE(PendingRenames().empty());
    EXPECT_TRUE(RestartNeeded);
    EXPECT_EQ(main->restart, (std::vector<std::pair<std::string, int>>{{"Lib", 0}}));
}

TEST_F(ReplaceTest, ARefusedDelayedMoveFallsBackToABatchRunFromTheStartupFolder) {
    if (!testenv::Available()) GTEST_SKIP() << "needs the host's refusal of delayed moves";
    testenv::SetOSVersion(testenv::OSKind::WindowsNT40);
    testenv::SetDelayedMoveRefused(true);
    // Without a main install object nothing more can be done (and the file would
    // register itself at once).
    lib->SetRegisterAsActiveX_DLLStyle(false);
    {
        InUse held(target);
        group->Process();
    }
    EXPECT_TRUE(lib->PendingReboot());
    EXPECT_EQ(Read(Path("dest\\LIB.1")), "new library");

    TTestInstall* main = Main();
    lib->SetRegisterAsActiveX_DLLStyle(true);
    ASSERT_TRUE(platform::DeleteFile(Path("dest\\LIB.1")));
    {
        InUse held(target);
        group->Process();
    }
    ASSERT_EQ(main->restart.size(), 3u);
    const std::string batch = main->restart[0].first;
    EXPECT_EQ(main->restart[0].second, 1);
    EXPECT_EQ(ExtractFilePath(batch), platform::GetTempPath());
    EXPECT_EQ(UpperCase(ChangeFileExt(ExtractFileName(batch), "")).substr(0, 3), "BAT");
    const std::string shortTarget = ShortTarget();
    EXPECT_EQ(Read(batch), "erase " + shortTarget + "\r\nmove " + ExtractFilePath(shortTarget) + "LIB.1 " +
                               shortTarget + "\r\n");
    const std::string shortcut = GetStartupDir() + "\\" + ChangeFileExt(ExtractFileName(batch), ".LNK");
    EXPECT_EQ(main->restart[1], std::make_pair(shortcut, 1));
    EXPECT_TRUE(platform::FileExists(shortcut));
    EXPECT_EQ(main->restart[2], std::make_pair(std::string("Lib"), 0));
    EXPECT_EQ(lib->FindComponent("BriskoBatLink"), nullptr);  // made for the run, then freed
    // The shortcut ran through Process, so it is in the uninstall log of the product.
    std::string logged;
    ReadRegString(4, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo\\Files", "File1", logged, "");
    EXPECT_EQ(logged, shortcut);
    EXPECT_TRUE(PendingRenames().empty());
    platform::DeleteFile(batch);
    platform::DeleteFile(ChangeFileExt(batch, ".tmp"));
}

TEST_F(ReplaceTest, OnNT351TheBatchIsStartedFromProgramManagersStartupGroup) {
    if (!testenv::Available()) GTEST_SKIP() << "needs the host's Windows NT 3.51";
    testenv::SetOSVersion(testenv::OSKind::WindowsNT351);
    testenv::SetDelayedMoveRefused(true);
    TTestInstall* main = Main();
    {
        InUse held(target);
        group->Process();
    }
    ASSERT_EQ(main->restart.size(), 3u);
    const std::string batch = main->restart[0].first;
    const std::string item = ChangeFileExt(ExtractFileName(batch), "");
    EXPECT_EQ(main->restart[1], std::make_pair(item, 2));
    EXPECT_TRUE(platform::FileExists(GetProgramsDir() + "\\Startup\\" + item + ".lnk"));
    platform::DeleteFile(batch);
    platform::DeleteFile(ChangeFileExt(batch, ".tmp"));
}

}  // namespace
