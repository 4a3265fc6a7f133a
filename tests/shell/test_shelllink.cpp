// Shell link objects through the platform: what is saved is read back field by field.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/shelllink.h"
#include "platform/system.h"

namespace {

class ShellLinkTest : public testing::Test {
protected:
    void SetUp() override {
        platform::LONG r = platform::CoInitialize();
        ASSERT_TRUE(r == 0 || r == 1) << r;
        std::string temp = platform::GetTempPath();
        folder_ = temp + "zarnlnk" + std::to_string(platform::GetTickCount());
        ASSERT_TRUE(platform::CreateDirectory(folder_));
        target_ = folder_ + "\\skyr.exe";
        platform::Handle h = platform::CreateFile(target_, platform::GenericWrite, 0,
                                                  platform::CreateAlways);
        ASSERT_NE(h, platform::InvalidHandle);
        DWORD done = 0;
        platform::WriteFile(h, "MZ", 2, done);
        platform::CloseHandle(h);
    }
    void TearDown() override {
        std::vector<platform::FindData> found;
        platform::FindFiles(folder_ + "\\*", found);
        for (const auto& f : found) platform::DeleteFile(folder_ + "\\" + f.name);
        platform::RemoveDirectory(folder_);
    }
    using DWORD = platform::DWORD;
    std::string folder_, target_;
};

TEST_F(ShellLinkTest, SavedFieldsAreReadBack) {
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_FALSE(platform::hr::Failed(platform::CreateShellLink(link)));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->SetPath(target_), 0);
    EXPECT_EQ(link->SetArguments("-game skyr \"two words\""), 0);
    EXPECT_EQ(link->SetWorkingDirectory(folder_), 0);
    EXPECT_EQ(link->SetDescription("Skyreach demo"), 0);
    EXPECT_EQ(link->SetIconLocation(target_, 2), 0);
    EXPECT_EQ(link->SetHotkey(0x0641), 0);  // Shift+A
    EXPECT_EQ(link->SetShowCmd(platform::LinkShowMaximized), 0);
    ASSERT_EQ(link->QueryPersistFile(), 0);
    std::string path = folder_ + "\\Skyreach.LNK";
    ASSERT_EQ(link->Save(path, true), 0);
    link.reset();
    ASSERT_TRUE(platform::FileExists(path));

    ASSERT_FALSE(platform::hr::Failed(platform::CreateShellLink(link)));
    ASSERT_EQ(link->Load(path), 0);
    std::string s;
    link->GetPath(s);
    EXPECT_TRUE(platform::CompareTextIgnoreCase(s, target_) == 0) << s;
    link->GetArguments(s);
    EXPECT_EQ(s, "-game skyr \"two words\"");
    link->GetWorkingDirectory(s);
    EXPECT_TRUE(platform::CompareTextIgnoreCase(s, folder_) == 0) << s;
    link->GetDescription(s);
    EXPECT_EQ(s, "Skyreach demo");
    int index = 0;
    link->GetIconLocation(s, index);
    EXPECT_TRUE(platform::CompareTextIgnoreCase(s, target_) == 0) << s;
    EXPECT_EQ(index, 2);
    platform::WORD key = 0;
    link->GetHotkey(key);
    EXPECT_EQ(key, 0x0641);
#ifndef ZARN_WIN32  // Wine's shell link does not keep the show command
    int show = 0;
    link->GetShowCmd(show);
    EXPECT_EQ(show, platform::LinkShowMaximized);
#endif
}

TEST_F(ShellLinkTest, EmptyArgumentsAndSecondSaveReplacesTheFile) {
    std::string path = folder_ + "\\Game.LNK";
    for (const char* args : {"-first", ""}) {
        std::unique_ptr<platform::ShellLink> link;
        ASSERT_FALSE(platform::hr::Failed(platform::CreateShellLink(link)));
        link->SetPath(target_);
        link->SetArguments(args);
        ASSERT_EQ(link->Save(path, true), 0);
    }
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_FALSE(platform::hr::Failed(platform::CreateShellLink(link)));
    ASSERT_EQ(link->Load(path), 0);
    std::string s = "x";
    link->GetArguments(s);
    EXPECT_EQ(s, "");
}

TEST_F(ShellLinkTest, SaveRefusesPathsThatDoNotFitAndMissingFolders) {
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_FALSE(platform::hr::Failed(platform::CreateShellLink(link)));
    link->SetPath(target_);
    std::string longPath = folder_ + "\\" + std::string(platform::MaxPath, 'a') + ".LNK";
    EXPECT_EQ(link->Save(longPath, true), platform::hr::FromWin32(platform::err::FilenameExcedRange));
    EXPECT_TRUE(platform::hr::Failed(link->Save(folder_ + "\\missing\\x.LNK", true)));
    EXPECT_FALSE(platform::FileExists(folder_ + "\\missing\\x.LNK"));
    EXPECT_TRUE(platform::hr::Failed(link->Load(folder_ + "\\none.LNK")));
}

}  // namespace
