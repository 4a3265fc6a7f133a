// Destination kinds: folder lookups and their fallbacks, the three resolvers, the kinds
// each setter accepts, meta variables and the platform classification.
#include <gtest/gtest.h>

#include "install/routines_MetaVariables.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"
#include "tests/install/fakes.h"
#include "tests/support/raised.h"

using namespace zarn::test;
using PS = TPathSpecifiers;

namespace {

const char* const ShellFolders = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class DestinationTest : public InstallTest {
protected:
    void SetFolder(const std::string& name, const std::string& value) { WriteRegString(2, ShellFolders, name, value); }
    void DropFolder(const std::string& name) {
        platform::HKEY key = 0;
        if (platform::RegOpenKey(platform::HKeyCurrentUser, std::string(ShellFolders).substr(1), platform::KeyAllAccess,
                                 key) == 0) {
            platform::RegDeleteValue(key, name);
            platform::RegCloseKey(key);
        }
    }
    TRecorder* Helper(const std::string& name) { return new TRecorder(owner, nullptr, 0, name); }
};

TEST_F(DestinationTest, StartUpFillsTheWindowsAndSystemFolders) {
    EXPECT_EQ(WindowsDir, platform::GetWindowsDirectory());
    EXPECT_EQ(SystemDir, platform::GetSystemDirectory());
    EXPECT_FALSE(WindowsDir.empty());
    if (!platform::testenv::Available()) return;
    platform::testenv::SetSystemFoldersFail(true);
    EXPECT_EQ(Message([] { InitialiseSystemFolders(); }),
              "Cannot get the Windows directory for your computer. Using GetWindowsDirectory API function");
    EXPECT_THROW(InitialiseSystemFolders(), EAICannotGetWindowsDir);
    platform::testenv::SetSystemFoldersFail(false);
    EXPECT_FALSE(WindowsDir.empty());
}

TEST_F(DestinationTest, FolderLookupsFallBackAndFollowTheRegistryOnEveryCall) {
    // Registry changes below HKEY_CURRENT_USER are made only in the host's own Windows.
    if (!platform::testenv::Available()) GTEST_SKIP() << "changes the user's shell folders";
    DropFolder("Start Menu");
    DropFolder("Programs");
    DropFolder("Desktop");
    DropFolder("Startup");
    DropFolder("Fonts");
    EXPECT_EQ(GetStartMenuDir(), WindowsDir + "\\Startmen");
    EXPECT_EQ(GetProgramsDir(), WindowsDir + "\\Startmen\\Programs");
    EXPECT_EQ(GetDesktopDir(), WindowsDir + "\\Desktop");
    EXPECT_EQ(GetStartupDir(), WindowsDir + "\\Startup");
    EXPECT_EQ(GetFontsDir(), SystemDir);

    SetFolder("Start Menu", "C:\\Menu\\");
    EXPECT_EQ(GetStartMenuDir(), "C:\\Menu");
    EXPECT_EQ(GetProgramsDir(), "C:\\Menu\\Programs");
    SetFolder("Programs", "C:\\Progs");
    EXPECT_EQ(GetProgramsDir(), "C:\\Progs");
    SetFolder("Desktop", "C:\\Desk\\");
    EXPECT_EQ(GetDesktopDir(), "C:\\Desk");
    SetFolder("Fonts", "");
    EXPECT_EQ(GetFontsDir(), "");

    WriteRegString(4, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "E:\\Apps\\");
    EXPECT_EQ(GetProgramFilesDir(), "E:\\Apps");
}

TEST_F(DestinationTest, ProgramFilesFallsBackToTheCurrentDrive) {
    // Registry changes below HKEY_CURRENT_USER are made only in the host's own Windows.
    if (!platform::testenv::Available()) GTEST_SKIP() << "changes the user's shell folders";
    platform::HKEY key = 0;
    ASSERT_EQ(platform::RegOpenKey(platform::HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                   platform::KeyAllAccess, key),
              0);
    platform::RegDeleteValue(key, "ProgramFilesDir");
    platform::RegDeleteValue(key, "CommonFilesDir");
    platform::RegCloseKey(key);
    ASSERT_TRUE(platform::SetCurrentDirectory("C:\\WINDOWS"));
    EXPECT_EQ(GetProgramFilesDir(), "C:\\Program Files");
    EXPECT_EQ(GetCommonFilesDir(), "C:\\Program Files\\Common Files");
}

TEST_F(DestinationTest, DestDirJoinsItsTextToTheKindsFolder) {
    auto* c = new TInstallContainer(owner);
    c->SetName("Box");
    c->SetDestDir("\\Halvard Interactive");
    c->SetDestDirType(PS::ddProgramMenuDir);
    EXPECT_EQ(c->GetDestDir(), GetProgramsDir() + "\\Halvard Interactive");
    c->SetDestDir("");
    EXPECT_EQ(c->GetDestDir(), GetProgramsDir());
    c->SetDestDir("Games");
    EXPECT_EQ(c->GetDestDir(), GetProgramsDir() + "Games");
    c->SetDestDir("\\Sub\\");
    c->SetDestDirType(PS::ddWindows);
    EXPECT_EQ(c->GetDestDir(), WindowsDir + "\\Sub");
    c->SetDestDirType(PS::ddSystem);
    EXPECT_EQ(c->GetDestDir(), SystemDir + "\\Sub");
    c->SetDestDirType(PS::ddAbsolute);
    c->SetDestDir("C:\\Games\\");
    EXPECT_EQ(c->GetDestDir(), "C:\\Games");
    c->SetDestDir("");
    for (PS kind : {PS::ddDesktopMenuDir, PS::ddStartMenuDir, PS::ddFontDir, PS::ddStartUpMenuDir,
                    PS::ddProgramFilesDir, PS::ddCommonFilesDir}) {
        c->SetDestDirType(kind);
        std::string expected = kind == PS::ddDesktopMenuDir    ? GetDesktopDir()
                               : kind == PS::ddStartMenuDir    ? GetStartMenuDir()
                               : kind == PS::ddFontDir         ? GetFontsDir()
                               : kind == PS::ddStartUpMenuDir  ? GetStartupDir()
                               : kind == PS::ddProgramFilesDir ? GetProgramFilesDir()
                                                               : GetCommonFilesDir();
        EXPECT_EQ(c->GetDestDir(), expected) << int(kind);
    }
}

TEST_F(DestinationTest, DestDirSettersAcceptTheirKindsOnly) {
    auto* c = new TInstallContainer(owner);
    c->SetName("Box");
    for (PS kind : {PS::ddLoading, PS::ddContainerDestDir, PS::ddContainerArchiveFile, PS::ddObjectLink,
                    PS::ddBDEDLLDir, PS::ddMainInstallDir, PS(16)})
        EXPECT_EQ(Message([&] { c->SetDestDirType(kind); }),
                  "That path specifier is not allowed for the DestDir property for Box")
            << int(kind);
    EXPECT_EQ(c->DestDirType(), PS::ddAbsolute);

    TRecorder* h = Helper("Helper");
    EXPECT_EQ(Message([&] { h->SetDestDirType(PS::ddLoading); }),
              "That path specifier is not allowed for the DestDir property for Helper");
    EXPECT_EQ(Message([&] { h->SetDestDirType(PS::ddMainInstallDir); }),
              "Cannot set the DestDir property of Helper because there is no Install component");
    EXPECT_EQ(Message([&] { h->SetDestDirType(PS::ddContainerDestDir); }),
              "Cannot set the DestDir property of Helper because the Container property is Nil");

    // Resolving kinds the component cannot have been given through the setters.
    h->BeginLoading();
    h->SetDestDirType(PS::ddContainerDestDir);
    h->Loaded();
    EXPECT_EQ(Message([&] { h->GetDestDir(); }), "Cannot expand the DestDir of Helper because the Container is Nil");
    h->BeginLoading();
    h->SetDestDirType(PS::ddMainInstallDir);
    h->Loaded();
    EXPECT_EQ(Message([&] { h->GetDestDir(); }),
              "Cannot expand the DestDir of Helper because there is no TInstall component");

    auto* main = new TTestInstall(owner);
    main->SetDestDir("C:\\Demo\\");
    MainInstall = main;
    h->SetDestDir("\\bin");
    EXPECT_EQ(h->GetDestDir(), "C:\\Demo\\bin");
    h->SetContainer(c);
    c->SetDestDir("C:\\Box");
    h->SetDestDir("\\in");
    EXPECT_EQ(h->DestDirType(), PS::ddContainerDestDir);
    EXPECT_EQ(h->GetDestDir(), "C:\\Box\\in");
}

TEST_F(DestinationTest, ArchiveFileResolvesAndChecksItsKinds) {
    TRecorder* h = Helper("Pack");
    h->SetArchiveFile("\\data.arc");
    h->SetArchiveFileType(PS::ddWindows);
    EXPECT_EQ(h->GetArchiveFile(), WindowsDir + "\\data.arc");
    EXPECT_EQ(Message([&] { h->SetArchiveFileType(PS::ddLoading); }),
              "Cannot set the ArchiveFile property of Pack because there is not TInstall");
    EXPECT_EQ(Message([&] { h->SetArchiveFileType(PS::ddContainerArchiveFile); }),
              "Cannot set the ArchiveFile property of Pack because the Container property is Nil");
    EXPECT_EQ(Message([&] { h->SetArchiveFileType(PS::ddObjectLink); }),
              "That path specifier is not allowed for the ArchiveFile property for Pack");

    h->BeginLoading();
    h->SetArchiveFileType(PS::ddLoading);
    h->Loaded();
    EXPECT_EQ(Message([&] { h->GetArchiveFile(); }),
              "Cannot expand the ArchiveFile property of Pack because there is no TInstall");
    auto* main = new TTestInstall(owner);
    MainInstall = main;
    EXPECT_EQ(h->GetArchiveFile(), "D:\\Setup\\data.arc");

    // From the container: its destination, or its own archive when it is file-related.
    auto* box = new TInstallContainer(owner);
    box->SetName("Box");
    box->SetDestDir("C:\\Box");
    h->SetContainer(box);
    EXPECT_EQ(h->ArchiveFileType(), PS::ddContainerArchiveFile);
    EXPECT_EQ(Message([&] { h->GetArchiveFile(); }),
              "Cannot expand the ArchiveFile of Pack because the Container is not TFileRelated");
    h->SetArchiveFileType(PS::ddContainerDestDir);
    h->SetArchiveFile("\\x.arc");
    EXPECT_EQ(h->GetArchiveFile(), "C:\\Box\\x.arc");

    TRecorder* outer = Helper("Outer");
    outer->SetArchiveFile("C:\\All.arc");
    h->SetContainer(outer);
    EXPECT_EQ(h->GetArchiveFile(), "C:\\All.arc");
}

TEST_F(DestinationTest, MetaVariablesExpandOnceFromLeftToRight) {
    EXPECT_EQ(ExpandMetaVariables("100%% %w %x", nullptr), "100% " + WindowsDir + " ");
    EXPECT_EQ(ExpandMetaVariables("%W", nullptr), WindowsDir);
    EXPECT_EQ(ExpandMetaVariables("a%", nullptr), "a");
    EXPECT_EQ(ExpandMetaVariables("%s|%b|%d|%m|%p|%f", nullptr),
              SystemDir + "|" + GetProgramsDir() + "|" + GetDesktopDir() + "|" + GetStartMenuDir() + "|" +
                  GetProgramFilesDir() + "|" + GetCommonFilesDir());

    EXPECT_EQ(Message([] { ExpandMetaVariables("%a", nullptr); }),
              "Cannot expand the %a meta variable because the component is Nil");
    EXPECT_EQ(Message([] { ExpandMetaVariables("%c", nullptr); }),
              "Cannot expand the %c meta variable because the component is Nil");
    EXPECT_THROW(ExpandMetaVariables("%i", nullptr), EAICannotExpandInstallDirMV);
    EXPECT_EQ(Message([] { ExpandMetaVariables("%i", nullptr); }),
              "Cannot expand the %i meta variable because there is no TInstall component");

    TRecorder* h = Helper("H");
    h->SetDestDir("C:\\Game\\");
    EXPECT_EQ(ExpandMetaVariables("-dir %a", h), "-dir C:\\Game");
    EXPECT_THROW(ExpandMetaVariables("%c", h), EAICannotExpandContainerDirMV);
    EXPECT_EQ(Message([&] { ExpandMetaVariables("%C", h); }),
              "Cannot expand the %c meta variable because the Container property is Nil");
    auto* box = new TInstallContainer(owner);
    box->SetDestDir("C:\\Box");
    h->SetContainer(box);
    EXPECT_EQ(ExpandMetaVariables("%c", h), "C:\\Box");
    auto* main = new TTestInstall(owner);
    main->SetDestDir("C:\\Demo");
    MainInstall = main;
    EXPECT_EQ(ExpandMetaVariables("%i\\x", h), "C:\\Demo\\x");
}

TEST_F(DestinationTest, ThePlatformFollowsTheWindowsVersion) {
    if (!platform::testenv::Available()) {
        int kind = GetWindowsPlatform();
        EXPECT_TRUE(kind == 1 || kind == 2) << kind;
        return;
    }
    platform::testenv::SetOSVersion(platform::testenv::OSKind::Windows95);
    EXPECT_EQ(GetWindowsPlatform(), 1);
    platform::testenv::SetOSVersion(platform::testenv::OSKind::WindowsNT351);
    EXPECT_EQ(GetWindowsPlatform(), 3);
    platform::testenv::SetOSVersion(platform::testenv::OSKind::WindowsNT40);
    EXPECT_EQ(GetWindowsPlatform(), 2);
    platform::testenv::SetVersionQueryFails(true);
    EXPECT_EQ(Message([] { GetWindowsPlatform(); }), "Could not get information about the current version of Windows");
    platform::testenv::SetVersionQueryFails(false);
    platform::testenv::SetOSVersion(platform::testenv::OSKind::WindowsNT);
}

}  // namespace
