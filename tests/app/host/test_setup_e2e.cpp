// The setup program end to end on the host, driven through the headless backend: the
// wizard, the copy window, the shortcuts, the cache removal and the final question.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/resources.h"
#include "platform/shelllink.h"
#include "platform/system.h"
#include "install/routines_Destinations.h"
#include "tests/app/setup_run.h"

namespace {

using namespace zarn::test;

const char* const FinalQuestion = "Installation Successful\r\n\nRun Skyreach launcher now?";

struct LinkFields {
    bool loaded = false;
    std::string target, workingDir, arguments;
};

LinkFields ReadLink(const std::string& path) {
    LinkFields f;
    std::unique_ptr<platform::ShellLink> link;
    if (platform::hr::Failed(platform::CreateShellLink(link)) || !link) return f;
    if (platform::hr::Failed(link->Load(path))) return f;
    f.loaded = true;
    link->GetPath(f.target);
    link->GetWorkingDirectory(f.workingDir);
    link->GetArguments(f.arguments);
    return f;
}

TEST_F(SetupRun, FullInstallationWithLauncher) {
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    UI().QueueAnswer(mrYes);  // start the launcher
    UI().StrictBoxes = true;
    Run();

    EXPECT_TRUE(InstallForm->InstallSucceeded);
    EXPECT_FALSE(InstallForm->CopyInProgress);
    EXPECT_EQ(InstallForm->InstallDir, "c:\\quake\\skyrdemo\\");
    ExpectAllFilesInstalled();

    // The three links and where they point.
    const std::string programs = GetProgramsDir() + "\\Halvard Interactive";
    LinkFields game = ReadLink(programs + "\\Skyreach  Embers of Orrin (demo).LNK");
    ASSERT_TRUE(game.loaded);
    EXPECT_EQ(game.target, "c:\\quake\\skyrdemo\\skyr.exe");
    EXPECT_EQ(game.workingDir, "c:\\quake\\skyrdemo");
    EXPECT_EQ(game.arguments, "");
    LinkFields readme = ReadLink(programs + "\\Readme.txt.LNK");
    ASSERT_TRUE(readme.loaded);
    EXPECT_EQ(readme.target, "c:\\quake\\skyrdemo\\readme.txt");
    EXPECT_EQ(readme.workingDir, "c:\\quake\\skyrdemo");
    LinkFields desktop = ReadLink(GetDesktopDir() + "\\Skyreach  Embers of Orrin (demo).LNK");
    ASSERT_TRUE(desktop.loaded);
    EXPECT_EQ(desktop.target, "c:\\quake\\skyrdemo\\skyr.exe");

    // The stale caches are gone, the other models stay.
    for (const std::string& c : sample::GlQuakeCaches())
        EXPECT_FALSE(platform::FileExists(layout.quakeDir + "\\id1\\glquake\\" + c)) << c;
    for (const std::string& k : sample::GlQuakeKeptFiles())
        EXPECT_TRUE(platform::FileExists(layout.quakeDir + "\\id1\\glquake\\" + k)) << k;

    // The command line is the current folder as the system reports it, and the launcher.
    EXPECT_TRUE(SameText(platform::testenv::LastWinExecCommand(), "c:\\quake\\skyrdemo\\skyr.exe"))
        << platform::testenv::LastWinExecCommand();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{FinalQuestion});
    const auto& q = UI().Boxes().front().request;
    EXPECT_EQ(q.caption, "Confirm");
    EXPECT_EQ(q.defaultButton, TMsgDlgBtn::mbYes);

    // The progress bar ran up to 100 for the last file and the label named each file.
    auto progress = UI().ProgressHistory("ProgressBar1");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    auto labels = UI().TextHistory("FilenameLbl");
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.back(), "launcher\\credtxt0.bmp");
}

TEST_F(SetupRun, AnsweringNoShowsWhereToStartAndStillSucceeds) {
    RunDecliningTheLauncher();
    EXPECT_TRUE(InstallForm->InstallSucceeded);
    EXPECT_EQ(platform::testenv::LastWinExecCommand(), "");
    ASSERT_EQ(UI().Boxes().size(), 2u);
    EXPECT_EQ(UI().Boxes()[1].request.text,
              "Double-click the 'Skyreach; The Embers of Orrin' icon on your desktop to play.");
    EXPECT_EQ(UI().Boxes()[1].request.caption, "Information");
    EXPECT_EQ(CountBoxes(NotSuccessful), 0);
}

TEST_F(SetupRun, UpperCasePathGivesLowerCaseFolders) {
    ScheduleWizard("C:\\QUAKE\\QUAKE.EXE");
    UI().QueueAnswer(mrNo);
    UI().QueueAnswer(mrOk);
    Run();
    EXPECT_TRUE(InstallForm->InstallSucceeded);
    EXPECT_EQ(InstallForm->InstallDir, "c:\\quake\\skyrdemo\\");
    // The new folder is created with the lower-case name.
    auto host = platform::testenv::HostPath("C:\\QUAKE\\skyrdemo");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->substr(host->size() - 9), "/skyrdemo");
    ExpectAllFilesInstalled();
}

TEST_F(SetupRun, PathWithoutQuakeExeInstallsAtTheRootOfTheSourceDrive) {
    std::vector<std::uint8_t> exe = {'M', 'Z'};
    platform::FileHandle h(
        platform::CreateFile("C:\\QUAKE\\glquake.exe", platform::GenericWrite, 0, platform::CreateAlways));
    ASSERT_TRUE(h);
    platform::DWORD n;
    platform::WriteFile(h.get(), exe.data(), 2, n);
    h.reset();

    ScheduleWizard("C:\\QUAKE\\glquake.exe");
    UI().QueueAnswer(mrNo);
    UI().QueueAnswer(mrOk);
    Run();
    EXPECT_EQ(InstallForm->InstallDir, "\\skyrdemo\\");
    EXPECT_TRUE(platform::FileExists("C:\\skyrdemo\\pak0.pak"));
}

TEST_F(SetupRun, RerunReplacesEveryFileWithoutFolderErrors) {
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    UI().QueueAnswer(mrNo);
    UI().QueueAnswer(mrOk);
    Run();
    ASSERT_TRUE(InstallForm->InstallSucceeded);

    // Spoil one installed file; the second run puts it right.
    platform::FileHandle(platform::CreateFile(GameDir() + "\\readme.txt", platform::GenericWrite, 0, platform::CreateAlways));
    TearDown();
    platform::SetCurrentDirectory(layout.sourceDir);
    ui_ = &ui::UseHeadlessBackend();
    setupapp::CreateForms();
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    UI().QueueAnswer(mrNo);
    UI().QueueAnswer(mrOk);
    UI().StrictBoxes = true;
    Run();
    EXPECT_TRUE(InstallForm->InstallSucceeded);
    ExpectAllFilesInstalled();
    EXPECT_EQ(UI().Boxes().size(), 2u);
}

TEST_F(SetupRun, FoldersThatCannotBeCreatedAreBothReported) {
    // A plain file where the game folder should go.
    platform::FileHandle(platform::CreateFile("C:\\QUAKE\\skyrdemo", platform::GenericWrite, 0, platform::CreateAlways));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    ASSERT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot create directory: c:\\quake\\skyrdemo",
                                                      "Cannot create directory: c:\\quake\\skyrdemo\\launcher",
                                                      NotSuccessful}));
    EXPECT_EQ(UI().Boxes()[0].request.caption, "Warning");
    EXPECT_EQ(UI().Boxes()[0].request.type, TMsgDlgType::mtWarning);
    EXPECT_EQ(UI().Boxes()[2].request.caption, Application->Title());
    EXPECT_EQ(UI().Boxes()[2].request.type, TMsgDlgType::mtCustom);
}

TEST_F(SetupRun, MissingSourceStopsTheCopy) {
    ASSERT_TRUE(platform::DeleteFile(layout.sourceDir + "\\launcher\\back1.bmp"));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error opening file: C:\\SKYRCD\\launcher\\back1.bmp", NotSuccessful}));
    // Files before it were copied, nothing after it.
    EXPECT_TRUE(platform::FileExists(GameDir() + "\\launcher\\back0.bmp"));
    EXPECT_FALSE(platform::FileExists(GameDir() + "\\launcher\\browse0.bmp"));
    // No shortcuts were written.
    EXPECT_FALSE(platform::FileExists(GetDesktopDir() + "\\Skyreach  Embers of Orrin (demo).LNK"));
}

TEST_F(SetupRun, DestinationThatCannotBeCreated) {
    ASSERT_TRUE(platform::CreateDirectory(GameDir()));
    ASSERT_TRUE(platform::CreateDirectory(GameDir() + "\\readme.txt"));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error creating file: c:\\quake\\skyrdemo\\readme.txt", NotSuccessful}));
}

TEST_F(SetupRun, DiskThatFillsDuringAFileIsReportedOnceAndLeavesItTruncated) {
    // The disk fills 1 MB into pak0.pak, the second file, in the middle of a block.
    const std::uint64_t fits = sample::FileContents("skyr.exe", PakMegabytes).size() + 1024 * 1024;
    ASSERT_TRUE(platform::testenv::SetDiskFullAfter(fits));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();
    platform::testenv::SetDiskFullAfter(std::nullopt);

    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Unable to write to disk.\r\n\nProbable cause: destination disk full",
                                                      NotSuccessful}));
    EXPECT_EQ(UI().Boxes()[0].request.caption, Application->Title());
    // What fitted is there, byte for byte; nothing after it was started.
    auto pak = ReadAll(GameDir() + "\\pak0.pak");
    EXPECT_EQ(pak.size(), 1024u * 1024u);
    auto full = sample::FileContents("pak0.pak", PakMegabytes);
    EXPECT_TRUE(std::equal(pak.begin(), pak.end(), full.begin()));
    EXPECT_EQ(ReadAll(GameDir() + "\\skyr.exe"), sample::FileContents("skyr.exe", PakMegabytes));
    EXPECT_FALSE(platform::FileExists(GameDir() + "\\progs.dat"));
    EXPECT_FALSE(platform::FileExists(GetDesktopDir() + "\\Skyreach  Embers of Orrin (demo).LNK"));
}

TEST_F(SetupRun, InstalledFileInUseByAnotherProgramStopsTheCopy) {
    // An earlier installation's read-me is open in another program.
    const std::string readme = GameDir() + "\\readme.txt";
    ASSERT_TRUE(platform::CreateDirectory(GameDir()));
    ASSERT_TRUE(platform::FileHandle(platform::CreateFile(readme, platform::GenericWrite, 0, platform::CreateNew)));
    ASSERT_TRUE(platform::testenv::HoldFileInUse(readme, true));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();

    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error creating file: c:\\quake\\skyrdemo\\readme.txt", NotSuccessful}));
    EXPECT_EQ(ReadAll(GameDir() + "\\progs.dat"), sample::FileContents("progs.dat", PakMegabytes));
    platform::testenv::HoldFileInUse(readme, false);
    EXPECT_TRUE(ReadAll(readme).empty());
}

TEST_F(SetupRun, CachesInUseStayAndTheInstallationStillSucceeds) {
    const std::string held = layout.quakeDir + "\\id1\\glquake\\laser.ms2";
    ASSERT_TRUE(platform::testenv::HoldFileInUse(held, true));
    RunDecliningTheLauncher();
    EXPECT_TRUE(InstallForm->InstallSucceeded);
    EXPECT_TRUE(platform::FileExists(held));
    EXPECT_FALSE(platform::FileExists(layout.quakeDir + "\\id1\\glquake\\bolt2.ms2"));
    EXPECT_EQ(CountBoxes(NotSuccessful), 0);
}

TEST_F(SetupRun, CancelConfirmedStopsAfterTheCurrentBlock) {
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    // Some way into pak0.pak, the user presses Cancel and confirms.
    UI().AtProcessMessages(200, [this] { ASSERT_TRUE(UI().Click("Button2")); });
    UI().QueueAnswer(mrYes);
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    auto texts = BoxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "This will abort the installation. Are you sure?");
    EXPECT_EQ(UI().Boxes()[0].request.caption, "Warning");
    EXPECT_EQ(UI().Boxes()[0].request.defaultButton, TMsgDlgBtn::mbYes);
    EXPECT_EQ(texts[1], NotSuccessful);
    // The file in hand is left partly written; nothing after it is copied.
    auto pak = ReadAll(GameDir() + "\\pak0.pak");
    EXPECT_GT(pak.size(), 0u);
    EXPECT_LT(pak.size(), sample::FileContents("pak0.pak", PakMegabytes).size());
    EXPECT_FALSE(platform::FileExists(GameDir() + "\\progs.dat"));
}

TEST_F(SetupRun, CancelAnsweredNoLetsTheCopyGoOn) {
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    UI().AtProcessMessages(200, [this] { ASSERT_TRUE(UI().Click("Button2")); });
    UI().QueueAnswer(mrNo);   // keep going
    UI().QueueAnswer(mrNo);   // do not start the launcher
    UI().QueueAnswer(mrOk);
    Run();
    EXPECT_TRUE(InstallForm->InstallSucceeded);
    ExpectAllFilesInstalled();
}

TEST_F(SetupRun, ShortcutFailureIsReportedByTheApplication) {
    // A file where the menu folder should be: the shortcut cannot be written.
    platform::FileHandle(
        platform::CreateFile(GetProgramsDir() + "\\Halvard Interactive", platform::GenericWrite, 0, platform::CreateAlways));
    ScheduleWizard("C:\\QUAKE\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_FALSE(InstallForm->CopyInProgress);
    ASSERT_EQ(UI().Boxes().size(), 2u);
    EXPECT_EQ(UI().Boxes()[1].request.text, NotSuccessful);
    // The caches stay: the steps after the shortcuts did not run.
    EXPECT_TRUE(platform::FileExists(layout.quakeDir + "\\id1\\glquake\\bolt2.ms2"));
}

TEST_F(SetupRun, CancelBeforeTheCopyClosesWithoutInstalling) {
    UI().WhenIdle([this] { UI().Click("NextBtn"); });
    UI().WhenIdle([this] { UI().Click("NextBtn"); });
    UI().WhenIdle([this] { UI().Click("FinishBtn"); });
    UI().WhenIdle([this] { ASSERT_TRUE(UI().Click("Button2")); });
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{NotSuccessful});
    EXPECT_FALSE(platform::DirectoryExists(GameDir()));
}

// ---- the wizard's pages

class Wizard : public SetupRun {
protected:
    bool Shown(TControl* c) { return c->Visible(); }
};

TEST_F(Wizard, PageRules) {
    UI().WhenIdle([this] {
        // Page 1.
        EXPECT_FALSE(MainForm->BackBtn->Enabled());
        EXPECT_TRUE(MainForm->NextBtn->Enabled());
        EXPECT_FALSE(MainForm->SelectFolderPanel->Visible());
        EXPECT_FALSE(MainForm->FinishBtn->Visible());
        UI().Click("NextBtn");
        // Page 2, with the default path, which exists in the sample environment.
        EXPECT_EQ(MainForm->ScreenSB->Position(), 2);
        EXPECT_TRUE(MainForm->SelectFolderPanel->Visible());
        EXPECT_TRUE(MainForm->BackBtn->Enabled());
        EXPECT_TRUE(MainForm->NextBtn->Enabled());
        // A keystroke that breaks the path disables Next, the next one that mends it enables it.
        UI().Type("FilenameEdit", "x");
        EXPECT_FALSE(MainForm->NextBtn->Enabled());
        UI().Backspace("FilenameEdit");
        EXPECT_TRUE(MainForm->NextBtn->Enabled());
        UI().Click("NextBtn");
        // Page 3.
        EXPECT_EQ(MainForm->ScreenSB->Position(), 3);
        EXPECT_FALSE(MainForm->NextBtn->Enabled());
        EXPECT_FALSE(MainForm->CancelBtn->Visible());
        EXPECT_TRUE(MainForm->FinishBtn->Visible());
        EXPECT_TRUE(MainForm->FinishPanel->Visible());
        EXPECT_FALSE(MainForm->SelectFolderPanel->Visible());
        // Back re-checks the path: it no longer exists.
        platform::DeleteFile("C:\\QUAKE\\quake.exe");
        UI().Click("BackBtn");
        EXPECT_EQ(MainForm->ScreenSB->Position(), 2);
        EXPECT_FALSE(MainForm->NextBtn->Enabled());
        EXPECT_TRUE(MainForm->CancelBtn->Visible());
        EXPECT_FALSE(MainForm->FinishBtn->Visible());
        UI().Click("BackBtn");
        EXPECT_EQ(MainForm->ScreenSB->Position(), 1);
        EXPECT_FALSE(MainForm->BackBtn->Enabled());
        EXPECT_TRUE(MainForm->NextBtn->Enabled());
        UI().Click("CancelBtn");
    });
    Run();
    EXPECT_TRUE(UI().Boxes().empty());
    EXPECT_FALSE(platform::DirectoryExists(GameDir()));
}

TEST_F(Wizard, BrowseReplacesThePathAndTheSourceFolderStays) {
    UI().WhenIdle([this] {
        UI().Click("NextBtn");
        UI().Retype("FilenameEdit", "C:\\nowhere\\quake.exe");
        EXPECT_FALSE(MainForm->NextBtn->Enabled());
        // The dialog moves the current folder, as the real one may.
        UI().QueueOpenDialog("C:\\QUAKE\\quake.exe");
        platform::SetCurrentDirectory("C:\\QUAKE");
        UI().Click("Button1");
        EXPECT_EQ(MainForm->FilenameEdit->Text(), "C:\\QUAKE\\quake.exe");
        EXPECT_TRUE(MainForm->NextBtn->Enabled());
        // Cancelling the dialog changes nothing.
        UI().QueueOpenDialogCancel();
        UI().Click("Button1");
        EXPECT_EQ(MainForm->FilenameEdit->Text(), "C:\\QUAKE\\quake.exe");
        UI().Click("CancelBtn");
    });
    Run();
    EXPECT_EQ(InstallForm->SourceDir, "C:\\SKYRCD");
    ASSERT_EQ(UI().OpenDialogs().size(), 2u);
    const auto& d = UI().OpenDialogs()[0];
    EXPECT_EQ(d.title, "Select your Quake executable");
    EXPECT_EQ(d.filter, "Quake Executable|quake.exe");
    EXPECT_EQ(d.initialDir, "c:\\quake");
}

TEST_F(Wizard, FormsAreBuiltFromTheirDescriptions) {
    EXPECT_EQ(MainForm->Caption(), "Skyreach: The Embers of Orrin (demo version) - Installation");
    EXPECT_EQ(MainForm->ClientWidth(), 546);
    EXPECT_EQ(MainForm->ClientHeight(), 342);
    EXPECT_EQ(MainForm->Image1->Picture()->Width(), 180);
    EXPECT_EQ(MainForm->Image1->Picture()->Height(), 265);
    EXPECT_EQ(MainForm->ScreenSB->Min(), 1);
    EXPECT_EQ(MainForm->ScreenSB->Max(), 3);
    EXPECT_FALSE(MainForm->ScreenSB->Visible());
    EXPECT_EQ(InstallForm->Caption(), "Installing files to your computer");
    EXPECT_EQ(InstallForm->ClientWidth(), 427);
    EXPECT_EQ(InstallForm->FileList->Lines()->Count(), 60);
    EXPECT_FALSE(InstallForm->Timer2->Enabled());
    EXPECT_EQ(InstallForm->Timer2->Interval(), 1000u);
    EXPECT_FALSE(InstallForm->Visible());
    EXPECT_EQ(Application->MainForm(), MainForm);
    // Tab order of the wizard's windowed controls.
    const auto& tabs = MainForm->TabList();
    std::vector<std::string> names;
    for (auto* c : tabs) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"BackBtn", "NextBtn", "CancelBtn", "SelectFolderPanel", "ScreenSB",
                                               "FinishPanel", "FinishBtn"}));
}

TEST(GameFolder, IsDerivedFromTheLowerCasedPath) {
    EXPECT_EQ(setupapp::GameFolderFor("D:\\Games\\Quake\\QUAKE.EXE"), "d:\\games\\quake\\skyrdemo");
    EXPECT_EQ(setupapp::GameFolderFor("c:\\quake\\quake.exe"), "c:\\quake\\skyrdemo");
    EXPECT_EQ(setupapp::GameFolderFor("c:\\quake\\glquake.exe"), "\\skyrdemo");
    // The first occurrence decides.
    EXPECT_EQ(setupapp::GameFolderFor("C:\\A\\Quake.exe\\quake.exe"), "c:\\a\\skyrdemo");
}

}  // namespace
