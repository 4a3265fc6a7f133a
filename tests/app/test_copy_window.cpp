// The copy window when a file it needs is open in another program without sharing. The
// test holds the file open itself, so the same cases run on the host and under Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/setup_run.h"
#include "tests/platform/scratch.h"

namespace {

using namespace zarn::test;

// The sample installation in a scratch folder of the temporary folder.
class CopyWindow : public SetupRun {
protected:
    void SetUp() override {
        static unsigned counter = 0;
        scratch_ = platform::GetTempPath() + "zarnc" + std::to_string(platform::GetTickCount() % 100000) + "_" +
                   std::to_string(++counter);
        ASSERT_TRUE(platform::CreateDirectory(scratch_)) << platform::GetLastError();
        layout.quakeDir = scratch_ + "\\QUAKE";
        layout.sourceDir = scratch_ + "\\SKYRCD";
        SetupRun::SetUp();
    }
    void TearDown() override {
        held_.reset();
        SetupRun::TearDown();
        platform::SetCurrentDirectory(platform::GetTempPath());
        RemoveTree(scratch_);
    }

    // Holds `path` open as another program would: writing, sharing nothing.
    void Hold(const std::string& path) {
        held_.reset(platform::CreateFile(path, platform::GenericWrite, 0, platform::OpenAlways));
        ASSERT_TRUE(held_) << path << ": " << platform::GetLastError();
    }

    std::string scratch_;
    platform::FileHandle held_;
};

TEST_F(CopyWindow, DestinationInUseStopsTheCopyWithItsMessage) {
    ASSERT_TRUE(platform::CreateDirectory(GameDir()));
    Hold(GameDir() + "\\readme.txt");
    ScheduleWizard(layout.quakeDir + "\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error creating file: " + GameDir() + "\\readme.txt", NotSuccessful}));
    // The files before it were copied, none after it; the held file is untouched.
    EXPECT_EQ(ReadAll(GameDir() + "\\progs.dat"), sample::FileContents("progs.dat", PakMegabytes));
    EXPECT_FALSE(platform::FileExists(GameDir() + "\\launcher\\button.wav"));
    held_.reset();
    EXPECT_TRUE(ReadAll(GameDir() + "\\readme.txt").empty());
}

TEST_F(CopyWindow, SourceInUseCannotBeOpened) {
    Hold(layout.sourceDir + "\\progs.dat");
    ScheduleWizard(layout.quakeDir + "\\quake.exe");
    Run();
    EXPECT_FALSE(InstallForm->InstallSucceeded);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Error opening file: " + layout.sourceDir + "\\progs.dat", NotSuccessful}));
    EXPECT_TRUE(platform::FileExists(GameDir() + "\\pak0.pak"));
    EXPECT_FALSE(platform::FileExists(GameDir() + "\\progs.dat"));
}

}  // namespace
