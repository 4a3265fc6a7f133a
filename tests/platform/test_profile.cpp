// Profile strings, against the host Windows and Win32 alike.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "tests/platform/scratch.h"

using namespace platform;
using zarn::test::ScratchTest;

namespace {

class Profile : public ScratchTest {
protected:
    bool Write(const std::string& s, const std::string& k, const std::string& v) {
        return WritePrivateProfileString(s, &k, &v, Path("test.ini"));
    }
    std::string Read(const std::string& s, const std::string& k) {
        return GetPrivateProfileString(s, k, "<none>", Path("test.ini"));
    }
};

TEST_F(Profile, WritesReadsAndReplacesWithoutRegardToCase) {
    ASSERT_TRUE(Write("Rename", "NUL", "C:\\old.dll"));
    ASSERT_TRUE(Write("Rename", "C:\\new.dll", "C:\\tmp.dll"));
    ASSERT_TRUE(Write("Other", "Key", "1"));
    EXPECT_EQ(Read("rename", "nul"), "C:\\old.dll");
    EXPECT_EQ(Read("RENAME", "c:\\NEW.dll"), "C:\\tmp.dll");
    ASSERT_TRUE(Write("other", "KEY", "2"));
    EXPECT_EQ(Read("Other", "Key"), "2");
    EXPECT_EQ(Read("Other", "Missing"), "<none>");
    EXPECT_EQ(Read("Missing", "Key"), "<none>");
    EXPECT_EQ(GetPrivateProfileSectionKeys("Rename", Path("test.ini")),
              (std::vector<std::string>{"NUL", "C:\\new.dll"}));
}

TEST_F(Profile, DeletesKeysAndSections) {
    ASSERT_TRUE(Write("A", "one", "1"));
    ASSERT_TRUE(Write("A", "two", "2"));
    ASSERT_TRUE(Write("B", "three", "3"));
    const std::string one = "one";
    ASSERT_TRUE(WritePrivateProfileString("A", &one, nullptr, Path("test.ini")));
    EXPECT_EQ(Read("A", "one"), "<none>");
    EXPECT_EQ(Read("A", "two"), "2");
    ASSERT_TRUE(WritePrivateProfileString("a", nullptr, nullptr, Path("test.ini")));
    EXPECT_EQ(Read("A", "two"), "<none>");
    EXPECT_EQ(Read("B", "three"), "3");
}

TEST_F(Profile, KeepsCommentsAndReadsHandWrittenFiles) {
    WriteText(Path("test.ini"), "; a comment\r\n[Main]\r\n  Name = \"quoted value\"  \r\nOther=x\r\n");
    EXPECT_EQ(Read("Main", "Name"), "quoted value");
    ASSERT_TRUE(Write("Main", "Added", "y"));
    std::string text = ReadText(Path("test.ini"));
    EXPECT_EQ(text.find("; a comment"), 0u);
    EXPECT_EQ(Read("Main", "Other"), "x");
    EXPECT_EQ(Read("Main", "Added"), "y");
}

TEST_F(Profile, BareFileNameLivesInTheWindowsFolder) {
    const std::string name = "zarnt" + std::to_string(GetTickCount() % 100000) + ".ini";
    const std::string k = "Key", v = "Value";
    ASSERT_TRUE(WritePrivateProfileString("Section", &k, &v, name));
    const std::string full = GetWindowsDirectory() + "\\" + name;
    EXPECT_TRUE(FileExists(full));
    EXPECT_EQ(GetPrivateProfileString("Section", "Key", "", full), "Value");
    EXPECT_EQ(GetPrivateProfileString("Section", "Key", "", name), "Value");
    DeleteFile(full);
}

TEST_F(Profile, MissingFolderFails) {
    const std::string k = "k", v = "v";
    EXPECT_FALSE(WritePrivateProfileString("S", &k, &v, Path("nofolder\\x.ini")));
}

}  // namespace
