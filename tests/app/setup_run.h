// The setup program driven end to end through the headless backend: a sample Quake
// installation and source folder, the library initialised once, both forms created
// fresh for each test. Shared by the host's end-to-end tests and the neutral ones.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/filelist.h"
#include "app/install.h"
#include "app/main.h"
#include "app/startup.h"
#include "framework/forms.h"
#include "framework/ui/headless.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/testenv.h"
#include "tools/mksample/samplefiles.h"

namespace zarn::test {

constexpr int PakMegabytes = 2;
inline const char* const NotSuccessful = "The installation was not successfull.";

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::vector<std::uint8_t> data;
    platform::FileHandle h(
        platform::CreateFile(path, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
    if (!h) return data;
    std::uint8_t buf[65536];
    platform::DWORD n = 0;
    while (platform::ReadFile(h.get(), buf, sizeof buf, n) && n > 0) data.insert(data.end(), buf, buf + n);
    return data;
}

// The sample environment is made from `layout` (the host's C:\QUAKE and C:\SKYRCD unless
// a test changes it before SetUp).
class SetupRun : public testing::Test {
protected:
    void SetUp() override {
        static bool initialised = false;
        if (!initialised) {
            setupapp::InitialiseLibrary();
            initialised = true;
        }
        files = setupapp::StoredFileList();
        ASSERT_EQ(files.size(), 60u);
        ASSERT_EQ(sample::CreateEnvironment(layout, files, PakMegabytes), "");
        ASSERT_TRUE(platform::SetCurrentDirectory(layout.sourceDir));
        platform::testenv::SetWinExecRecordOnly(true);
        ui_ = &ui::UseHeadlessBackend();
        setupapp::CreateForms();
    }

    void TearDown() override {
        Application->Reset();
        MainForm = nullptr;
        InstallForm = nullptr;
    }

    ui::THeadlessBackend& UI() { return *ui_; }

    // Walks the wizard to its last page with `quakePath` and presses Finish.
    void ScheduleWizard(const std::string& quakePath) {
        UI().WhenIdle([this] { ASSERT_TRUE(UI().Click("NextBtn")); });
        UI().WhenIdle([this, quakePath] { ASSERT_TRUE(UI().Retype("FilenameEdit", quakePath)); });
        UI().WhenIdle([this] { ASSERT_TRUE(UI().Click("NextBtn")); });
        UI().WhenIdle([this] { ASSERT_TRUE(UI().Click("FinishBtn")); });
    }

    void Run() { Application->Run(); }

    // A whole installation from the layout's quake.exe that declines the launcher and
    // expects no other box.
    void RunDecliningTheLauncher() {
        ScheduleWizard(layout.quakeDir + "\\quake.exe");
        UI().QueueAnswer(mrNo);
        UI().QueueAnswer(mrOk);
        UI().StrictBoxes = true;
        Run();
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> t;
        for (const auto& b : ui_->Boxes()) t.push_back(b.request.text);
        return t;
    }
    int CountBoxes(const std::string& text) const {
        int n = 0;
        for (const auto& b : ui_->Boxes()) n += b.request.text == text;
        return n;
    }

    // The game folder the copy window derives from the layout's quake.exe.
    std::string GameDir() const { return setupapp::GameFolderFor(layout.quakeDir + "\\quake.exe"); }

    void ExpectAllFilesInstalled() {
        for (const std::string& f : files) {
            auto installed = ReadAll(GameDir() + "\\" + f);
            EXPECT_EQ(installed, sample::FileContents(f, PakMegabytes)) << f;
        }
    }

    sample::Layout layout;
    std::vector<std::string> files;
    ui::THeadlessBackend* ui_ = nullptr;
};

}  // namespace zarn::test
