// The sample installer in-process through the headless backend: what its progress window
// shows of the two passes, and its Cancel, which stops the installation midway.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/ui/headless.h"
#include "install/routines_Destinations.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "registration/routines_RegistryWriter.h"
#include "sample_payload.h"
#include "tests/platform/scratch.h"
#include "tools/sampleinstaller/sampleinstaller.h"

namespace {

const std::string ProductKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zarn Sample";
const char* const ComClass = "CLSID\\{5A41524E-0010-4C6F-8164-53616D706C65}";

class SampleInstallerRun : public testing::Test {
protected:
    void SetUp() override {
        static bool initialised = false;
        if (!initialised) {
            sampleinstaller::InitialiseLibrary();
            initialised = true;
        }
        // The loading folder is the current folder when the forms are made.
        source_ = platform::GetTempPath() + "zarnsample" + std::to_string(platform::GetTickCount() % 100000);
        ForceDirectories(source_);
        for (const char* f : {"README.TXT", "SAMPLE.HLP", "ZARNVEND.DLL", "ZARNCOM.DLL", "UNINST.EXE"})
            ASSERT_TRUE(platform::CopyFile(std::string(kSamplePayload) + "\\" + f, source_ + "\\" + f, false)) << f;
        // The shared library goes to Common Files whatever the folder chosen; one left by an
        // earlier run there would be kept (same version) and never reported.
        platform::DeleteFile(GetCommonFilesDir() + "\\System\\ZARNVEND.DLL");
        previous_ = platform::GetCurrentDirectory();
        ASSERT_TRUE(platform::SetCurrentDirectory(source_));
        ui_ = &ui::UseHeadlessBackend();
        sampleinstaller::CreateForms();
        SampleForm->Show();
    }
    void TearDown() override {
        Application->Reset();
        SampleForm = nullptr;
        SampleProgressForm = nullptr;
        ui::SetBackend(nullptr);
        platform::SetCurrentDirectory(previous_);
        zarn::test::RemoveTree(source_);
        // Windows keeps its registry between tests: the next one starts without the product.
        for (const char* sub : {"\\Files", "\\ActiveX", ""})
            platform::RegDeleteKey(platform::HKeyLocalMachine, (ProductKey + sub).substr(1));
        for (const char* sub : {"\\InprocServer32", ""})
            platform::RegDeleteKey(platform::HKeyClassesRoot, std::string(ComClass) + sub);
    }
    ui::THeadlessBackend& UI() { return *ui_; }
    static bool Has(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }

    std::string source_, previous_;
    ui::THeadlessBackend* ui_ = nullptr;
};

TEST_F(SampleInstallerRun, TheProgressWindowFollowsBothPasses) {
    // Into a folder of this test's own, as a person would type it.
    const std::string dest = source_ + "\\Installed";
    ASSERT_TRUE(UI().Retype("FolderEdit", dest));
    UI().QueueAnswer(mrOk);
    ASSERT_TRUE(UI().Click("InstallBtn"));

    EXPECT_EQ(SampleForm->Outcome, sampleinstaller::TOutcome::Installed);
    EXPECT_TRUE(platform::FileExists(dest + "\\UNINST.EXE"));
    const auto steps = UI().TextHistory("SampleProgressForm.StepLbl");
    EXPECT_TRUE(Has(steps, "Building the archive"));
    EXPECT_TRUE(Has(steps, "Installing files"));
    EXPECT_TRUE(Has(UI().TextHistory("SampleProgressForm.FileLbl"), "UNINST.EXE"));
    const auto progress = UI().ProgressHistory("SampleProgressForm.ProgressBar");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(Has(UI().Log(), "hide SampleProgressForm"));
    EXPECT_FALSE(SampleProgressForm->Visible());
    ASSERT_EQ(UI().Boxes().size(), 1u);
    EXPECT_EQ(UI().Boxes()[0].request.caption, "Information");
    EXPECT_EQ(UI().Boxes()[0].request.text.rfind("The Zarn Sample has been installed in " + dest + ".", 0), 0u)
        << UI().Boxes()[0].request.text;
}

TEST_F(SampleInstallerRun, CancelInTheProgressWindowStopsTheInstallation) {
    ASSERT_TRUE(UI().Retype("FolderEdit", source_ + "\\Installed"));
    // Cancel as soon as the install pass reports its first progress.
    auto status = SampleForm->SampleFiles->OnStatus;
    bool clicked = false;
    SampleForm->SampleFiles->OnStatus = [&](TInstallFile* f, int file, int total) {
        status(f, file, total);
        if (!clicked && SampleProgressForm->StepLbl->Caption() == "Installing files")
            clicked = UI().Click("SampleProgressForm.CancelBtn");
    };
    UI().QueueAnswer(mrOk);
    ASSERT_TRUE(UI().Click("InstallBtn"));

    EXPECT_TRUE(clicked);
    EXPECT_EQ(SampleForm->Outcome, sampleinstaller::TOutcome::Aborted);
    ASSERT_EQ(UI().Boxes().size(), 1u);
    EXPECT_EQ(UI().Boxes()[0].request.text, "Installation aborted by the user");
    EXPECT_FALSE(SampleProgressForm->Visible());
    // Nothing after the first file ran: no uninstall program, no entry for the product.
    EXPECT_FALSE(platform::FileExists(source_ + "\\Installed\\UNINST.EXE"));
    std::string name;
    ReadRegString(4, ProductKey, "DisplayName", name, "<none>");
    EXPECT_EQ(name, "<none>");
}

}  // namespace
