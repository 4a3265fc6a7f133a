// The host's built-in Program Manager: groups are folders below Programs, items are
// shortcut files, a group request answers in Program Manager's group text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/dde.h"
#include "platform/files.h"
#include "platform/host/progman.h"
#include "platform/registry.h"
#include "platform/shelllink.h"
#include "platform/testenv.h"
#include "shell/cmp_TProgramManager.h"

namespace {

std::string Programs() {
    platform::HKEY key = 0;
    EXPECT_EQ(platform::RegOpenKey(platform::HKeyCurrentUser,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                   platform::KeyRead, key),
              0);
    std::string value;
    platform::RegGetString(key, "Programs", value);
    platform::RegCloseKey(key);
    return value;
}

class HostProgman : public testing::Test {
protected:
    void TearDown() override {
        platform::testenv::SetProgramManagerAvailable(true);
        platform::testenv::SetWinExecRecordOnly(false);
    }
};

TEST_F(HostProgman, CommandsAreParsedAsProgramManagerReadsThem) {
    std::vector<platform::host::ProgmanCommand> c;
    std::string error;
    ASSERT_TRUE(platform::host::ParseProgmanCommands(
        " [CreateGroup(\"A, (b) [c]\")] [AddItem( \"C:\\x y\\a.exe\" -p ,Name,,0,,,\"C:\\x y\",)][Reload()]",
        c, error))
        << error;
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].name, "CreateGroup");
    EXPECT_EQ(c[0].params, std::vector<std::string>{"A, (b) [c]"});
    EXPECT_EQ(c[1].params, (std::vector<std::string>{"C:\\x y\\a.exe -p", "Name", "", "0", "", "",
                                                     "C:\\x y", ""}));
    EXPECT_EQ(c[1].raw[0], "\"C:\\x y\\a.exe\" -p");
    EXPECT_TRUE(c[2].params.empty());
    for (const char* bad : {"", "CreateGroup(x)", "[CreateGroup(x)", "[CreateGroup(\"x)]", "[(x)]",
                            "[A(x]", "[A(x)] junk"})
        EXPECT_FALSE(platform::host::ParseProgmanCommands(bad, c, error)) << bad;
}

TEST_F(HostProgman, GroupsAreFoldersAndItemsAreShortcutFiles) {
    std::string programs = Programs();
    ASSERT_FALSE(programs.empty());
    platform::CreateDirectory("C:\\Games");
    TProgramManager pm(nullptr);
    pm.CreateGroup("Halvard Interactive");
    EXPECT_TRUE(platform::DirectoryExists(programs + "\\Halvard Interactive"));
    EXPECT_EQ(pm.CurrentGroup(), "Halvard Interactive");
    ASSERT_EQ(pm.GroupLines()->Count(), 1);
    EXPECT_EQ(pm.GroupLines()->Get(0), "\"Halvard Interactive\"," + programs + "\\Halvard Interactive,0");

    pm.AddItem("\"C:\\Games\\skyr.exe\" -game skyr", "Skyreach", "", 0, "\"C:\\Games\"", "1601");
    std::string lnk = programs + "\\Halvard Interactive\\Skyreach.lnk";
    ASSERT_TRUE(platform::FileExists(lnk));
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_EQ(platform::CreateShellLink(link), 0);
    ASSERT_EQ(link->Load(lnk), 0);
    std::string s;
    link->GetPath(s);
    EXPECT_EQ(s, "C:\\Games\\skyr.exe");
    link->GetArguments(s);
    EXPECT_EQ(s, "-game skyr");
    link->GetWorkingDirectory(s);
    EXPECT_EQ(s, "C:\\Games");
    platform::WORD key = 0;
    link->GetHotkey(key);
    EXPECT_EQ(key, 1601);

    ASSERT_EQ(pm.ItemCount(), 1);
    EXPECT_EQ(pm.GroupLines()->Get(1),
              "\"Skyreach\",\"C:\\Games\\skyr.exe -game skyr\",C:\\Games,C:\\Games\\skyr.exe,16,16,0,1601,0");
    EXPECT_EQ(pm.IndexOfItem("Skyreach"), 1);
    EXPECT_EQ(pm.ItemDefaultDir(1), "C:\\Games");

    // A second run of the link method: the item is replaced, then added again.
    pm.CreateGroup("Halvard Interactive");
    ASSERT_EQ(pm.IndexOfItem("Skyreach"), 1);
    pm.ReplaceItem("Skyreach");
    EXPECT_FALSE(platform::FileExists(lnk));
    EXPECT_EQ(pm.ItemCount(), 0);
    pm.AddItem("\"C:\\Program Files\\Skyr\\skyr.exe\" ", "Skyreach", "", 0, "\"C:\\Program Files\\Skyr\"", "");
    EXPECT_TRUE(platform::FileExists(lnk));
    EXPECT_EQ(pm.ItemCommandLine(1), "C:\\Program Files\\Skyr\\skyr.exe");  // quotes stripped twice
    EXPECT_EQ(pm.GetItemField(1, 2), "\"C:\\Program Files\\Skyr\\skyr.exe\"");
}

TEST_F(HostProgman, TheServiceRefusesWhatProgramManagerRefuses) {
    platform::dde::Conversation conv;
    ASSERT_TRUE(conv.Connect("progman", "PROGMAN"));
    EXPECT_FALSE(conv.Execute("[ShowGroup(Missing,8)]"));
    EXPECT_FALSE(conv.Execute("[AddItem(x.exe)]"));  // no active group
    EXPECT_FALSE(conv.Execute("[CreateGroup(..\\..\\Outside)]"));
    EXPECT_FALSE(conv.Execute("[CreateGroup(\"\")]"));
    EXPECT_FALSE(conv.Execute("[Frobnicate(1)]"));
    EXPECT_FALSE(conv.Execute("[CreateGroup(A)"));
    EXPECT_TRUE(conv.Execute("[CreateGroup(A)][AddItem(a.exe,,,,,,,,1)]"));
    EXPECT_FALSE(conv.Execute("[AddItem(a.exe,\"bad/name\")]"));
    EXPECT_FALSE(conv.Execute("[AddItem(a.exe,n,i.ico,notanumber)]"));
    EXPECT_FALSE(conv.Execute("[ReplaceItem(NotThere)]"));
    std::optional<std::string> a = conv.Request("A");
    ASSERT_TRUE(a.has_value());
    EXPECT_NE(a->find("\"a\",\"a.exe\",,a.exe,16,16,0,0,1\r\n"), std::string::npos) << *a;
    std::optional<std::string> groups = conv.Request("GROUPS");
    ASSERT_TRUE(groups.has_value());
    EXPECT_NE(groups->find("A\r\n"), std::string::npos);
    EXPECT_FALSE(conv.Request("Missing").has_value());
    EXPECT_TRUE(conv.Execute("[DeleteGroup(A)]"));
    EXPECT_FALSE(platform::DirectoryExists(Programs() + "\\A"));
}

TEST_F(HostProgman, AnUnavailableProgramManagerIsStartedOnceThenReported) {
    platform::testenv::SetProgramManagerAvailable(false);
    platform::testenv::SetWinExecRecordOnly(true);
    TProgramManager pm(nullptr);
    try {
        pm.CreateGroup("Games");
        FAIL() << "no exception";
    } catch (const EAIPMCannotOpen& e) {
        EXPECT_EQ(e.Message(),
                  "The TProgramManager object was unable to establish a link with Program Manager");
    }
    EXPECT_EQ(platform::testenv::LastWinExecCommand(), "PROGMAN PROGMAN");
    EXPECT_FALSE(pm.Connected());
    EXPECT_THROW(pm.SelectGroup("Games"), EAIPMCannotOpen);
    EXPECT_FALSE(platform::DirectoryExists(Programs() + "\\Games"));
}

TEST_F(HostProgman, AConversationThatProgramManagerEndsIsNotReopened) {
    TProgramManager pm(nullptr);
    pm.CreateGroup("Games");
    ASSERT_TRUE(pm.Connected());
    platform::testenv::SetProgramManagerAvailable(false);
    EXPECT_THROW(pm.CreateGroup("More"), EAIPMCannotCreateGroup);
    EXPECT_TRUE(pm.Connected());
    platform::testenv::SetProgramManagerAvailable(true);
    pm.CreateGroup("More");  // the service is back: the same conversation works again
    EXPECT_EQ(pm.CurrentGroup(), "More");
}

}  // namespace
