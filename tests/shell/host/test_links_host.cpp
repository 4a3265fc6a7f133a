// Links on the host's own Windows: shortcut files read by a link-inspection tool, the
// Program Manager method's exact commands, and the method chosen by the Windows version.
#include <gtest/gtest.h>

#include "tests/support/lnkinfo.h"

#include <array>
#include <cstdio>
#include <map>
#include <memory>

#include "platform/dde.h"
#include "platform/ddeserver.h"
#include "platform/files.h"
#include "platform/testenv.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TProgramManager.h"
#include "tests/install/fakes.h"

using namespace zarn::test;
using PS = TPathSpecifiers;

namespace {

using zarn::test::LnkInfoField;
using zarn::test::RunCommand;

void MakeFile(const std::string& path) {
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    ASSERT_NE(h, platform::InvalidHandle) << path;
    platform::DWORD done = 0;
    platform::WriteFile(h, "MZ", 2, done);
    platform::CloseHandle(h);
}

// A Program Manager stand-in: records every command and keeps the groups that
// CreateGroup made and the items that AddItem put in them, answering group requests in
// Program Manager's format.
class FakeProgman : public platform::dde::ServerHandler {
public:
    bool AcceptTopic(const std::string& topic) override { return topic == "PROGMAN"; }
    bool Execute(const std::string&, const std::string& command) override {
        commands.push_back(command);
        if (command.rfind("[CreateGroup(\"", 0) == 0) {
            current = command.substr(14, command.size() - 14 - 3);
            groups[current];
        } else if (command.rfind("[AddItem(", 0) == 0) {
            std::vector<std::string> fields;
            std::string body = command.substr(9, command.size() - 9 - 2);
            std::size_t start = 0;
            for (std::size_t comma; (comma = body.find(',', start)) != std::string::npos; start = comma + 1)
                fields.push_back(body.substr(start, comma - start));
            fields.push_back(body.substr(start));
            groups[current].push_back(fields.size() > 1 ? fields[1] : "");
        } else if (command.rfind("[ReplaceItem(\"", 0) == 0) {
            std::string name = command.substr(14, command.size() - 14 - 3);
            auto& items = groups[current];
            for (auto it = items.begin(); it != items.end(); ++it)
                if (*it == name) {
                    items.erase(it);
                    break;
                }
        }
        return true;
    }
    std::optional<std::string> Request(const std::string&, const std::string& item) override {
        auto it = groups.find(item);
        if (it == groups.end()) return std::nullopt;
        std::string text = "\"" + item + "\",C:\\x," + IntToStr((long long)it->second.size()) + "\r\n";
        for (const std::string& name : it->second) text += "\"" + name + "\",\"x.exe\",C:\\,,0,0,0,0,0\r\n";
        return text;
    }
    std::vector<std::string> commands;
    std::map<std::string, std::vector<std::string>> groups;
    std::string current;
};

class HostLinkTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ASSERT_TRUE(platform::testenv::Available());
        ASSERT_EQ(platform::dde::Initialize(), 0u);
        saved_ = ProgramManager;
        server_ = std::make_unique<platform::dde::Server>("PROGMAN", progman);
        ProgramManager = new TProgramManager(nullptr);
    }
    void TearDown() override {
        delete ProgramManager;
        ProgramManager = saved_;
        server_.reset();
        platform::testenv::SetOSVersion(platform::testenv::OSKind::WindowsNT);
        InstallTest::TearDown();
    }
    TInstallShellLink* Link(const std::string& name) {
        auto* l = new TInstallShellLink(owner);
        l->SetName(name);
        return l;
    }
    FakeProgman progman;

private:
    TProgramManager* saved_ = nullptr;
    std::unique_ptr<platform::dde::Server> server_;
};

TEST_F(HostLinkTest, LnkInfoReadsTheShortcutOfInstallWithShellLink) {
    ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
    ASSERT_TRUE(platform::CreateDirectory("C:\\Games\\Skyreach"));
    MakeFile("C:\\Games\\Skyreach\\skyr.exe");
    TInstallShellLink* l = Link("ShellLink");
    l->SetDestDirType(PS::ddProgramMenuDir);
    l->SetDestDir("\\Halvard Interactive");
    l->SetLinkName("Skyreach Demo.lnk");
    l->SetObjectLocation("C:\\Games\\Skyreach\\skyr.exe");
    l->SetParameters("-game skyrdemo");
    l->InstallWithShellLink();
    std::string file = GetProgramsDir() + "\\Halvard Interactive\\Skyreach Demo.LNK";
    auto host = platform::testenv::HostPath(file);
    ASSERT_TRUE(host.has_value());
    std::string out = RunCommand("lnkinfo '" + *host + "' 2>&1");
    ASSERT_NE(out.find("Windows Shortcut information"), std::string::npos) << out;
    EXPECT_EQ(LnkInfoField(out, "Local path"), "C:\\Games\\Skyreach\\skyr.exe") << out;
    EXPECT_EQ(LnkInfoField(out, "Working directory"), "C:\\Games\\Skyreach") << out;
    EXPECT_EQ(LnkInfoField(out, "Command line arguments"), "-game skyrdemo") << out;
    EXPECT_TRUE(progman.commands.empty());
}

TEST_F(HostLinkTest, ProgramManagerGetsTheGroupAndTheItemAndReplacesItTheSecondTime) {
    TInstallShellLink* l = Link("L");
    l->SetDestDirType(PS::ddProgramMenuDir);
    l->SetDestDir("\\Halvard Interactive");
    l->SetObjectLocation("C:\\Games\\skyr.exe");
    l->SetLinkName("Game.LNK");
    l->InstallWithProgramManager();
    const std::vector<std::string> first = {
        "[CreateGroup(\"Halvard Interactive\")]",
        "[ShowGroup(Halvard Interactive,8)]",
        "[AddItem(\"C:\\Games\\skyr.exe\" ,Game,,0,,,\"C:\\Games\",)]",
    };
    EXPECT_EQ(progman.commands, first);
    EXPECT_FALSE(platform::DirectoryExists(GetProgramsDir() + "\\Halvard Interactive"));

    progman.commands.clear();
    l->SetParameters("-x %%");
    l->InstallWithProgramManager();
    const std::vector<std::string> second = {
        "[CreateGroup(\"Halvard Interactive\")]",
        "[ShowGroup(Halvard Interactive,8)]",
        "[ReplaceItem(\"Game\")]",
        "[ShowGroup(Halvard Interactive,8)]",
        "[AddItem(\"C:\\Games\\skyr.exe\" -x %,Game,,0,,,\"C:\\Games\",)]",
    };
    EXPECT_EQ(progman.commands, second);
}

TEST_F(HostLinkTest, ProgramManagerMakesOnlyProgramMenuItems) {
    TInstallShellLink* desk = Link("Desk");
    desk->SetDestDirType(PS::ddDesktopMenuDir);
    desk->SetObjectLocation("C:\\Games\\skyr.exe");
    EXPECT_NO_THROW(desk->InstallWithProgramManager());
    EXPECT_TRUE(progman.commands.empty());

    TInstallShellLink* blank = Link("Blank");
    blank->SetDestDirType(PS::ddProgramMenuDir);
    blank->SetDestDir("\\ ");
    try {
        blank->InstallWithProgramManager();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Blank has a blank group");
    }
    EXPECT_TRUE(progman.commands.empty());

    // A command that would not fit Program Manager's buffer is not sent at all.
    TInstallShellLink* longOne = Link("LongOne");
    longOne->SetDestDirType(PS::ddProgramMenuDir);
    longOne->SetDestDir("\\Games");
    longOne->SetObjectLocation("C:\\" + std::string(200, 'p') + "\\skyr.exe");
    EXPECT_THROW(longOne->InstallWithProgramManager(), Exception);
    for (const std::string& c : progman.commands) EXPECT_LE(c.size(), 255u) << c;
}

TEST_F(HostLinkTest, AutoDetectChoosesTheMethodByTheWindowsVersion) {
    ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
    MakeFile("C:\\Games\\skyr.exe");
    TInstallShellLink* l = Link("L");
    l->SetDestDirType(PS::ddProgramMenuDir);
    l->SetDestDir("\\Auto");
    l->SetObjectLocation("C:\\Games\\skyr.exe");
    const std::string file = GetProgramsDir() + "\\Auto\\skyr.LNK";

    platform::testenv::SetOSVersion(platform::testenv::OSKind::WindowsNT351);
    l->Process();
    EXPECT_FALSE(platform::FileExists(file));
    ASSERT_FALSE(progman.commands.empty());
    EXPECT_EQ(progman.commands.front(), "[CreateGroup(\"Auto\")]");

    for (auto kind : {platform::testenv::OSKind::WindowsNT40, platform::testenv::OSKind::Windows95}) {
        progman.commands.clear();
        platform::DeleteFile(file);
        platform::testenv::SetOSVersion(kind);
        l->Process();
        EXPECT_TRUE(platform::FileExists(file));
        EXPECT_TRUE(progman.commands.empty());
    }
}

}  // namespace
