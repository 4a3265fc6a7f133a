// The Program Manager client against a PROGMAN server of the tests: the exact command
// texts, the group data it parses, and its errors. On the host the server runs in this
// process (the host's DDE reaches servers registered in the process); under Windows it
// is a program of its own, as the real Program Manager is.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dde.h"
#include "platform/ddeserver.h"
#include "platform/system.h"
#include "shell/cmp_TProgramManager.h"
#include "tests/shell/fake_progman.h"

namespace {

using Log = std::vector<std::string>;

#if defined(ZARN_WIN32)
// The server program beside this test program, steered through its control topic.
class Progman {
public:
    Progman() {
        std::string self = platform::GetModuleFileName();
        std::string exe = self.substr(0, self.find_last_of('\\') + 1) + "fake_progman.exe";
        started_ = platform::WinExec("\"" + exe + "\" " + FakeProgmanService, 0) > 31;
        // It registers its service a moment after it starts.
        for (int i = 0; i < 200 && started_ && !control_.Connected(); ++i)
            if (!control_.Connect(FakeProgmanService, FakeProgmanControlTopic)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~Progman() {
        if (control_.Connected()) control_.Execute("quit");
    }
    bool Running() const { return control_.Connected(); }
    void Reset() { control_.Execute("reset"); }
    void SetGroup(const std::string& name, const std::string& reply) {
        EXPECT_TRUE(control_.Execute("group " + name + "\n" + reply));
    }
    void Reject(const std::string& prefix) { EXPECT_TRUE(control_.Execute("reject " + prefix)); }
    Log TakeLog() {
        Log lines;
        std::string text = control_.Request("log").value_or("(no answer)\n");
        for (std::size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
            lines.push_back(text.substr(at, nl - at));
        if (!lines.empty() && lines.front() == "log") lines.erase(lines.begin());
        return lines;
    }

private:
    bool started_ = false;
    platform::dde::Conversation control_;
};
#else
class Progman : public FakeProgmanHandler {
public:
    bool Running() const { return server_.Running(); }

private:
    platform::dde::Server server_{FakeProgmanService, *this};
};
#endif

// One server for the suite; PROGMAN conversations are sent to it.
class ProgramManagerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(platform::dde::Initialize(), 0u);
        shared_ = std::make_unique<Progman>();
    }
    static void TearDownTestSuite() { shared_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(shared_ && shared_->Running()) << "the test's Program Manager did not start";
        shared_->Reset();
        platform::dde::RedirectService("PROGMAN", FakeProgmanService);
    }
    void TearDown() override { platform::dde::RedirectService("PROGMAN", ""); }
    Progman& progman_ = *shared_;
    static std::unique_ptr<Progman> shared_;
};
std::unique_ptr<Progman> ProgramManagerTest::shared_;

const std::string GamesReply =
    "\"Games\",C:\\WINDOWS\\GAMES.GRP,4\r\n"
    "\"Run\",\"\"C:\\Games\\skyr.exe\" -x\",C:\\Games,C:\\Games\\skyr.ico,16,16,2,1601,0\r\n"
    "\"Read, me\",\"notepad.exe readme.txt\",C:\\Games,,91,16,0,0,1\r\n"
    "\"Run\",\"second.exe\",,,166,16,0,0,0\r\n"
    "\"\",\",,,\r\n";

TEST_F(ProgramManagerTest, CreateGroupSendsItsCommandAndSelectsTheGroup) {
    TProgramManager pm(nullptr);
    EXPECT_FALSE(pm.Connected());
    pm.CreateGroup("");  // opens the conversation, sends nothing
    EXPECT_TRUE(pm.Connected());
    EXPECT_EQ(progman_.TakeLog(), Log{});
    EXPECT_EQ(pm.CurrentGroup(), "");

    progman_.SetGroup("Halvard Interactive", "\"Halvard Interactive\",C:\\x,0\r\n");
    pm.CreateGroup("Halvard Interactive");
    EXPECT_EQ(progman_.TakeLog(),
              (Log{"X [CreateGroup(\"Halvard Interactive\")]", "R Halvard Interactive"}));
    EXPECT_EQ(pm.CurrentGroup(), "Halvard Interactive");
    EXPECT_EQ(pm.ItemCount(), 0);

    pm.CreateGroup("");  // leaves the current group alone
    EXPECT_EQ(pm.CurrentGroup(), "Halvard Interactive");
    EXPECT_EQ(progman_.TakeLog(), Log{});
}

TEST_F(ProgramManagerTest, AddItemSendsShowGroupThenTheItemThenReloads) {
    TProgramManager pm(nullptr);
    progman_.SetGroup("Games", "\"Games\",C:\\x,0\r\n");
    pm.SelectGroup("Games");
    progman_.TakeLog();
    pm.AddItem("\"C:\\Games\\skyr.exe\" ", "Run", "", 0, "\"C:\\Games\"", "");
    EXPECT_EQ(progman_.TakeLog(), (Log{"X [ShowGroup(Games,8)]",
                                       "X [AddItem(\"C:\\Games\\skyr.exe\" ,Run,,0,,,\"C:\\Games\",)]",
                                       "R Games"}));
    pm.AddItem("a.exe", "A", "a.ico", -3, "C:\\", "1601");
    EXPECT_EQ(progman_.TakeLog(), (Log{"X [ShowGroup(Games,8)]",
                                       "X [AddItem(a.exe,A,a.ico,-3,,,C:\\,1601)]", "R Games"}));
}

TEST_F(ProgramManagerTest, ReplaceItemSendsShowGroupThenReplaceItem) {
    TProgramManager pm(nullptr);
    progman_.SetGroup("Games", GamesReply);
    pm.SelectGroup("Games");
    progman_.TakeLog();
    pm.ReplaceItem("Run");
    EXPECT_EQ(progman_.TakeLog(),
              (Log{"X [ShowGroup(Games,8)]", "X [ReplaceItem(\"Run\")]", "R Games"}));
}

TEST_F(ProgramManagerTest, WithoutACurrentGroupItemCommandsSendNothing) {
    TProgramManager pm(nullptr);
    pm.SelectGroup("Missing");  // no such group: silent, no current group
    EXPECT_EQ(pm.CurrentGroup(), "");
    EXPECT_EQ(pm.GroupLines()->Count(), 0);
    progman_.TakeLog();
    pm.AddItem("x.exe", "X", "", 0, "", "");
    pm.ReplaceItem("X");
    EXPECT_EQ(progman_.TakeLog(), Log{});
}

TEST_F(ProgramManagerTest, GroupRepliesAreSplitIntoItemsAndFields) {
    TProgramManager pm(nullptr);
    progman_.SetGroup("Empty", "\"Empty\",C:\\x,0\r\n");
    pm.SelectGroup("Empty");
    EXPECT_EQ(pm.ItemCount(), 0);
    EXPECT_EQ(pm.GetItemField(0, 1), "");
    EXPECT_EQ(pm.GetItemField(1, 1), "");

    progman_.SetGroup("Games", GamesReply);
    pm.SelectGroup("Games");
    ASSERT_EQ(pm.ItemCount(), 4);
    EXPECT_EQ(pm.ItemName(1), "Run");
    EXPECT_EQ(pm.ItemCommandLine(1), "C:\\Games\\skyr.exe\" -x");  // quotes stripped twice
    EXPECT_EQ(pm.ItemDefaultDir(1), "C:\\Games");
    EXPECT_EQ(pm.ItemIconPath(1), "C:\\Games\\skyr.ico");
    EXPECT_EQ(pm.ItemXPos(1), "16");
    EXPECT_EQ(pm.ItemYPos(1), "16");
    EXPECT_EQ(pm.ItemIconIndex(1), "2");
    EXPECT_EQ(pm.ItemHotKey(1), "1601");
    EXPECT_EQ(pm.GetItemField(1, 9), "0");  // the last field runs to the end of the line
    EXPECT_EQ(pm.GetItemField(1, 10), "");  // past the last field
    EXPECT_EQ(pm.GetItemField(1, 0), "");
    EXPECT_EQ(pm.GetItemField(5, 1), "");  // past the last item
    EXPECT_EQ(pm.GetItemField(-1, 1), "");

    // Fields are cut at every comma: the title "Read, me" is split.
    EXPECT_EQ(pm.ItemName(2), "Read");
    EXPECT_EQ(pm.GetItemField(2, 2), " me");  // its trailing quote is stripped
    EXPECT_EQ(pm.IndexOfItem("Read, me"), -1);
    // Two items with one title: the first one.
    EXPECT_EQ(pm.IndexOfItem("Run"), 1);
    EXPECT_EQ(pm.IndexOfItem("run"), -1);
    EXPECT_EQ(pm.IndexOfItem("Nothing"), -1);
    // A lone quote as field loses only its trailing quote; "" becomes empty.
    EXPECT_EQ(pm.GetItemField(4, 1), "");
    EXPECT_EQ(pm.GetItemField(4, 2), "");
    EXPECT_EQ(pm.ItemName(4), "");
}

TEST_F(ProgramManagerTest, RejectedCommandsRaiseTheirExceptions) {
    TProgramManager pm(nullptr);
    progman_.Reject("[CreateGroup(");
    try {
        pm.CreateGroup("Tools");
        FAIL() << "no exception";
    } catch (const EAIPMCannotCreateGroup& e) {
        EXPECT_EQ(e.GroupName, "Tools");
        EXPECT_EQ(e.Message(),
                  "The TProgramManager object was unable to create the following program group: Tools");
    }
    EXPECT_EQ(pm.CurrentGroup(), "");

    progman_.SetGroup("Games", GamesReply);
    pm.SelectGroup("Games");
    progman_.Reject("[AddItem(");
    try {
        pm.AddItem("x.exe", "100%s done", "", 0, "", "");
        FAIL() << "no exception";
    } catch (const EAIPMCannotAddItem& e) {
        EXPECT_EQ(e.GroupName, "Games");
        EXPECT_EQ(e.ItemName, "100%s done");
        EXPECT_EQ(e.Arguments, "[AddItem(x.exe,100%s done,,0,,,,)]");
        EXPECT_EQ(e.Message(),
                  "The TProgramManager object was unable to add the following program item: 100%s done"
                  " to the following group: Games. The arguments passed to  Program Manager were: "
                  "[AddItem(x.exe,100%s done,,0,,,,)]");
    }
    progman_.Reject("[ReplaceItem(");
    try {
        pm.ReplaceItem("Run");
        FAIL() << "no exception";
    } catch (const EAIPMCannotReplaceItem& e) {
        EXPECT_EQ(e.GroupName, "Games");
        EXPECT_EQ(e.ItemName, "Run");
        EXPECT_EQ(e.Message(), "The TProgramManager object was unable to replace the following program "
                               "item: Run to the following group: Games");
    }
    progman_.Reject("[ShowGroup(");
    progman_.TakeLog();
    try {
        pm.AddItem("x.exe", "X", "", 0, "", "");
        FAIL() << "no exception";
    } catch (const EAIPMCannotOpenGroup& e) {
        EXPECT_EQ(e.GroupName, "Games");
        EXPECT_EQ(e.Message(),
                  "The TProgramManager object was unable to open the following program group: Games");
    }
    EXPECT_EQ(progman_.TakeLog(), Log{"X [ShowGroup(Games,8)]"});  // the item is not sent
    EXPECT_THROW(pm.ReplaceItem("Run"), EAIPMCannotOpenGroup);
    EXPECT_THROW(pm.ReplaceItem("Run"), EAIPMError);
    EXPECT_THROW(pm.ReplaceItem("Run"), EAI);
}

TEST_F(ProgramManagerTest, CommandsLongerThan255CharactersAreNotSent) {
    TProgramManager pm(nullptr);
    // "[CreateGroup(\"" + name + "\")]" is 17 characters around the name.
    std::string fits(255 - 17, 'g');
    progman_.SetGroup(fits, "\"g\",C:\\x,0\r\n");
    pm.CreateGroup(fits);
    EXPECT_EQ(progman_.TakeLog().size(), 2u);
    try {
        pm.CreateGroup(fits + "g");
        FAIL() << "no exception";
    } catch (const EAIPMCommandTooLong& e) {
        EXPECT_EQ(e.Command, "[CreateGroup(\"" + fits + "g\")]");
    }
    EXPECT_EQ(progman_.TakeLog(), Log{});

    progman_.SetGroup("Games", GamesReply);
    pm.SelectGroup("Games");
    progman_.TakeLog();
    std::string longPath = "\"C:\\" + std::string(120, 'p') + "\\skyr.exe\" ";
    std::string longDir = "\"C:\\" + std::string(120, 'p') + "\"";
    EXPECT_THROW(pm.AddItem(longPath, "Run", "", 0, longDir, ""), EAIPMCommandTooLong);
    EXPECT_THROW(pm.ReplaceItem(std::string(250, 'r')), EAIPMError);
    EXPECT_EQ(progman_.TakeLog(), Log{});  // not even the ShowGroup
    EXPECT_EQ(pm.CurrentGroup(), "Games");
}

TEST_F(ProgramManagerTest, TheSharedInstanceIsCreatedOnce) {
    InitProgramManager();
    TProgramManager* first = ProgramManager;
    ASSERT_NE(first, nullptr);
    InitProgramManager();
    EXPECT_EQ(ProgramManager, first);
    EXPECT_EQ(first->Owner(), nullptr);
}

}  // namespace
