// The setup wizard driven through the headless backend as a person clicks through it,
// over an installation read from a description and installed for real.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/ui/headless.h"
#include "installer/cmp_TMainInstall.h"
#include "installer/cmp_TSetupWizard.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "shell/startup.h"
#include "tests/installer/wizard_sample.h"
#include "tests/platform/scratch.h"

namespace {

class SetupWizardRun : public zarn::test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        InitApplication();
        InitialiseInstallLibrary();
        RegisterInstallerClasses();
        RegisterSetupWizardClasses();
        Application->Reset();
        ui_ = &ui::UseHeadlessBackend();
        platform::testenv::SetWinExecRecordOnly(true);
        sample_ = wizardsample::Load(dir_);
        dest_ = dir_ + "\\Games\\Zarn Demo";
    }
    void TearDown() override {
        platform::testenv::SetDiskFullAfter(std::nullopt);
        sample_ = {};
        Application->Reset();
        ui::SetBackend(nullptr);
        ScratchTest::TearDown();
    }
    ui::THeadlessBackend& UI() { return *ui_; }
    std::string Title() { return UI().Find("TitleLbl")->Caption(); }
    std::string Caption(const std::string& name) { return UI().Find(name)->Caption(); }
    // Each step runs when the wizard next waits for input.
    void Then(std::function<void()> step) { UI().WhenIdle(std::move(step)); }
    int Run() {
        return RunSetupWizard(sample_.install, sample_.wizard, [this] { wizardsample::Install(sample_); });
    }
    // Welcome, licence and destination passed, the components page shown.
    void ToComponents() {
        Then([this] {
            UI().Click("NextBtn");
            UI().Check("LicenceAcceptBox", true);
            UI().Click("NextBtn");
            UI().Retype("DestEdit", dest_);
            UI().Click("NextBtn");
            EXPECT_EQ(Title(), "Components");
        });
    }
    std::string LastBox() const { return UI().Boxes().empty() ? "" : UI().Boxes().back().request.text; }
    ui::THeadlessBackend& UI() const { return *ui_; }

    ui::THeadlessBackend* ui_ = nullptr;
    wizardsample::TSample sample_;
    std::string dest_;
};

TEST_F(SetupWizardRun, EveryPageFromWelcomeToTheStartedProgram) {
    Then([this] {
        EXPECT_EQ(Title(), "Welcome to the setup of Zarn Demo");
        EXPECT_EQ(Caption("VersionLbl"), "Version: 2.1");
        EXPECT_EQ(Caption("PublisherLbl"), "Publisher: Zarn Works");
        EXPECT_FALSE(UI().Click("BackBtn"));
        EXPECT_TRUE(UI().Click("NextBtn"));

        // Next only once the licence is accepted.
        EXPECT_EQ(Title(), "Licence agreement");
        EXPECT_FALSE(UI().Click("NextBtn"));
        EXPECT_TRUE(UI().Check("LicenceAcceptBox", true));
        EXPECT_TRUE(UI().Click("NextBtn"));

        // A drive without room for the chosen parts is refused.
        EXPECT_EQ(Title(), "Destination folder");
        EXPECT_TRUE(UI().Retype("DestEdit", dest_));
        platform::testenv::SetDiskFullAfter(100 * 1024);
        EXPECT_TRUE(UI().Click("NextBtn"));
        EXPECT_EQ(Title(), "Destination folder");
        EXPECT_NE(LastBox().find("There is not enough space on C:"), std::string::npos) << LastBox();
        platform::testenv::SetDiskFullAfter(std::nullopt);
        EXPECT_EQ(Caption("SpaceNeededLbl"), "Space needed: 2.1 MB");
        EXPECT_TRUE(UI().Click("NextBtn"));

        // Compact leaves the levels out; ticking a box by hand makes the choice Custom.
        EXPECT_EQ(Title(), "Components");
        EXPECT_EQ(Caption("GroupCheck0"), "Game data (1.5 MB)");
        EXPECT_EQ(Caption("GroupCheck1"), "Extra levels (640 KB)");
        EXPECT_TRUE(UI().SelectItem("InstallTypeGroup", 1));
        EXPECT_FALSE(UI().Checked("GroupCheck1"));
        EXPECT_EQ(sample_.install->InstallType(), TInstallType::itCompact);
        EXPECT_TRUE(UI().Check("GroupCheck1", true));
        auto* types = dynamic_cast<TRadioGroup*>(UI().Find("InstallTypeGroup"));
        EXPECT_EQ(types->Items()->Get(types->ItemIndex()), "Custom");
        EXPECT_TRUE(UI().Check("GroupCheck1", false));
        EXPECT_EQ(Caption("ComponentsSpaceLbl"), "Space needed: 1.5 MB");

        // Back keeps what was chosen.
        EXPECT_TRUE(UI().Click("BackBtn"));
        EXPECT_EQ(Title(), "Destination folder");
        EXPECT_TRUE(UI().Click("NextBtn"));
        EXPECT_FALSE(UI().Checked("GroupCheck1"));
        EXPECT_TRUE(UI().Click("NextBtn"));

        EXPECT_EQ(Title(), "Ready to install");
        const std::string summary = dynamic_cast<TMemo*>(UI().Find("SummaryMemo"))->Text();
        EXPECT_NE(summary.find(dest_), std::string::npos) << summary;
        EXPECT_NE(summary.find("Game data"), std::string::npos) << summary;
        EXPECT_EQ(summary.find("Extra levels"), std::string::npos) << summary;
        EXPECT_EQ(Caption("NextBtn"), "&Install");
        EXPECT_TRUE(UI().Click("NextBtn"));

        EXPECT_EQ(Title(), "Setup has finished");
        EXPECT_FALSE(UI().Find("BackBtn")->Visible());
        EXPECT_TRUE(UI().Checked("FinishRunBox"));
        EXPECT_TRUE(UI().Click("NextBtn"));
    });
    EXPECT_EQ(Run(), SetupExitInstalled);

    EXPECT_TRUE(platform::FileExists(dest_ + "\\GAME.DAT"));
    EXPECT_FALSE(platform::FileExists(dest_ + "\\LEVELS.DAT"));
    EXPECT_EQ(sample_.install->DestDirType(), TPathSpecifiers::ddAbsolute);
    EXPECT_EQ(platform::testenv::LastWinExecCommand(), "\"" + dest_ + "\\GAME.DAT\"");
    const auto file = UI().ProgressHistory("FileBar");
    const auto total = UI().ProgressHistory("TotalBar");
    ASSERT_FALSE(total.empty());
    EXPECT_FALSE(file.empty());
    EXPECT_EQ(total.back(), 100);
    // The wizard's handlers are gone again.
    EXPECT_FALSE(sample_.game->OnStatus);
}

TEST_F(SetupWizardRun, CancelledFailedOrLeftEarly) {
    // Cancel on the progress page asks, then stops the installation midway.
    ToComponents();
    Then([this] {
        UI().Click("NextBtn");
        UI().AtProcessMessages(1, [this] {
            UI().QueueAnswer(mrYes);
            EXPECT_TRUE(UI().Click("CancelBtn"));
        });
        EXPECT_TRUE(UI().Click("NextBtn"));
        EXPECT_EQ(LastBox(), "Do you want to cancel the installation?");
        EXPECT_EQ(Title(), "Setup was cancelled");
        UI().Click("NextBtn");
    });
    EXPECT_EQ(Run(), SetupExitCancelled);
    EXPECT_FALSE(SharedCompress->Abort());
    EXPECT_FALSE(platform::FileExists(dest_ + "\\LEVELS.DAT"));

    // Any other error fails the run and is shown.
    ToComponents();
    Then([this] {
        UI().Click("NextBtn");
        EXPECT_TRUE(UI().Click("NextBtn"));
        EXPECT_EQ(Title(), "Setup failed");
        EXPECT_EQ(Caption("DetailLbl"), "The disk is on fire");
        EXPECT_FALSE(UI().Find("FinishRunBox")->Visible());
        UI().Click("NextBtn");
    });
    EXPECT_EQ(RunSetupWizard(sample_.install, sample_.wizard, [] { throw Exception("The disk is on fire"); }),
              SetupExitFailed);

    // Cancel before the installation asks too; No stays.
    Then([this] {
        UI().QueueAnswer(mrNo);
        UI().Click("CancelBtn");
        EXPECT_EQ(Title(), "Welcome to the setup of Zarn Demo");
        UI().QueueAnswer(mrYes);
        UI().Click("CancelBtn");
    });
    bool ran = false;
    EXPECT_EQ(RunSetupWizard(sample_.install, nullptr, [&] { ran = true; }), SetupExitCancelled);
    EXPECT_FALSE(ran);
}

}  // namespace
