// Shell links and link groups: the setter rules, the roles, destruction, and shortcut
// files written through the shell link object and read back through it.
#include <gtest/gtest.h>

#include <memory>

#include "framework/formreader.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shelllink.h"
#include "platform/system.h"
#include "registration/routines_RegistryWriter.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TUninstallEXE.h"
#include "tests/install/fakes.h"
#include "tests/support/raised.h"

using namespace zarn::test;
using PS = TPathSpecifiers;
using LK = TShellLinkKind;
using GK = TShellGroupKind;

namespace {

void MakeFile(const std::string& path) {
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    ASSERT_NE(h, platform::InvalidHandle) << path;
    platform::DWORD done = 0;
    platform::WriteFile(h, "MZ", 2, done);
    platform::CloseHandle(h);
}

struct LinkFields {
    std::string path, arguments, workingDir;
    platform::WORD hotKey = 0xFFFF;
};

LinkFields ReadLink(const std::string& file) {
    LinkFields f;
    std::unique_ptr<platform::ShellLink> link;
    if (platform::hr::Failed(platform::CreateShellLink(link)) || !link) return f;
    if (link->Load(file) != 0) return f;
    link->GetPath(f.path);
    link->GetArguments(f.arguments);
    link->GetWorkingDirectory(f.workingDir);
    link->GetHotkey(f.hotKey);
    return f;
}

bool SameText(const std::string& a, const std::string& b) { return platform::CompareTextIgnoreCase(a, b) == 0; }

class LinkTest : public InstallTest {
protected:
    TInstallShellLink* Link(const std::string& name) {
        auto* l = new TInstallShellLink(owner);
        l->SetName(name);
        return l;
    }
    TShellLinkGroup* Group(const std::string& name) {
        auto* g = new TShellLinkGroup(owner);
        g->SetName(name);
        return g;
    }
    TInstallFile* File(const std::string& name, const std::string& destName, const std::string& dir) {
        auto* f = new TInstallFile(owner);
        f->SetName(name);
        f->SetDestName(destName);
        f->SetDestDir(dir);
        return f;
    }
    TTestInstall* Main() {
        auto* m = new TTestInstall(owner);
        m->SetName("Main");
        m->SetDestDir("C:\\Demo");
        MainInstall = m;
        return m;
    }
    // A fresh folder below the temporary folder.
    std::string Scratch(const std::string& name) {
        std::string dir = platform::GetTempPath() + "zarnh8" + name + IntToStr(platform::GetTickCount());
        EXPECT_TRUE(platform::CreateDirectory(dir)) << dir;
        return dir;
    }
};

TEST_F(LinkTest, CreationDefaults) {
    TInstallShellLink* l = Link("L");
    EXPECT_EQ(l->ProcessRank(), 8000);
    EXPECT_TRUE(l->AutoProcess());
    EXPECT_TRUE(l->Include());
    EXPECT_EQ(l->Method(), TMethodType::mtAutoDetect);
    EXPECT_TRUE(l->AllowedDestDirTypes().Contains(PS::ddContainerDestDir));
    TShellLinkGroup* g = Group("G");
    EXPECT_EQ(g->ProcessRank(), 7000);
    EXPECT_TRUE(g->AutoProcess());
}

TEST_F(LinkTest, LinkNamesGetTheUpperCaseExtensionAndFollowTheTarget) {
    TInstallShellLink* l = Link("L");
    l->SetLinkName("Game.lnk");
    EXPECT_EQ(l->LinkName(), "Game.LNK");
    l->SetLinkName("Readme.txt.lnk");
    EXPECT_EQ(l->LinkName(), "Readme.txt.LNK");
    l->SetLinkName("Plain");
    EXPECT_EQ(l->LinkName(), "Plain.LNK");
    l->SetObjectLocation("C:\\Games\\readme.txt");
    EXPECT_EQ(l->LinkName(), "Plain.LNK");

    TInstallShellLink* fresh = Link("Fresh");
    fresh->SetObjectLocation("C:\\Games\\readme.txt");
    EXPECT_EQ(fresh->LinkName(), "readme.LNK");
    fresh->SetLinkName("");
    EXPECT_EQ(fresh->LinkName(), ".LNK");
    fresh->SetObjectLocation("C:\\Games\\skyr.exe");
    EXPECT_EQ(fresh->LinkName(), "skyr.LNK");

    TInstallShellLink* streamed = Link("Streamed");
    streamed->BeginLoading();
    streamed->SetLinkName("x.lnk");
    streamed->SetObjectLocation("C:\\a.exe");
    streamed->Loaded();
    EXPECT_EQ(streamed->LinkName(), "x.lnk");
}

TEST_F(LinkTest, ObjectLocationTypeSetterTable) {
    TInstallShellLink* l = Link("L");
    for (PS kind : {PS::ddSystem, PS::ddWindows, PS::ddProgramFilesDir, PS::ddCommonFilesDir, PS::ddAbsolute}) {
        l->SetObjectLocationType(kind);
        EXPECT_EQ(l->ObjectLocationType(), kind);
    }
    EXPECT_EQ(Message([&] { l->SetObjectLocationType(PS::ddContainerDestDir); }),
              "Cannot set the ObjectLocation property of L because the Container property is Nil");
    EXPECT_EQ(Message([&] { l->SetObjectLocationType(PS::ddObjectLink); }),
              "Cannot set the ObjectLocation property of L because the ObjectLink property is Nil");
    for (PS kind : {PS::ddLoading, PS::ddContainerArchiveFile, PS::ddBDEDLLDir, PS::ddMainInstallDir,
                    PS::ddDesktopMenuDir, PS::ddProgramMenuDir, PS::ddStartMenuDir, PS::ddFontDir})
        EXPECT_EQ(Message([&] { l->SetObjectLocationType(kind); }),
                  "That path specifier is not allowed for the ObjectLocation property for L")
            << int(kind);
    EXPECT_EQ(l->ObjectLocationType(), PS::ddAbsolute);
}

TEST_F(LinkTest, ObjectLocationResolution) {
    TInstallShellLink* l = Link("L");
    l->SetObjectLocation("C:\\Games\\");
    EXPECT_EQ(l->GetObjectLocation(), "C:\\Games");
    l->SetObjectLocation("\\notepad.exe\\");
    l->SetObjectLocationType(PS::ddWindows);
    EXPECT_EQ(l->GetObjectLocation(), WindowsDir + "\\notepad.exe");
    // Streamed kinds that the setter refuses still resolve; they keep a final backslash.
    l->BeginLoading();
    l->SetObjectLocationType(PS::ddProgramMenuDir);
    l->Loaded();
    l->SetObjectLocation("\\Games\\");
    EXPECT_EQ(l->GetObjectLocation(), GetProgramsDir() + "\\Games\\");
    l->BeginLoading();
    l->SetObjectLocationType(PS::ddContainerDestDir);
    l->Loaded();
    EXPECT_EQ(Message([&] { l->GetObjectLocation(); }),
              "Cannot expand the ObjectLocation property of L because the Container is Nil");
    l->BeginLoading();
    l->SetObjectLocationType(PS::ddObjectLink);
    l->Loaded();
    EXPECT_EQ(Message([&] { l->GetObjectLocation(); }),
              "Cannot expand the ObjectLocation property of L because the ObjectLink is Nil");
    l->BeginLoading();
    l->SetObjectLocationType(PS::ddFontDir);
    l->Loaded();
    EXPECT_EQ(Message([&] { l->GetObjectLocation(); }),
              "That path specifier is not allowed for the ObjectLocation property for L");
}

TEST_F(LinkTest, ObjectLinkPointsAtAComponentAndNamesTheLink) {
    auto* file = File("SkyrFile", "skyr.exe", "C:\\Games\\Skyreach");
    TInstallShellLink* l = Link("L");
    l->SetObjectLocation("C:\\elsewhere.exe");
    l->SetObjectLink(file);
    EXPECT_EQ(l->ObjectLocationType(), PS::ddObjectLink);
    EXPECT_EQ(l->ObjectLocation(), "");
    EXPECT_EQ(l->LinkName(), "skyr.lnk");
    EXPECT_EQ(l->Container(), file);
    EXPECT_EQ(HelperNames(*file), (std::vector<std::string>{"L"}));
    EXPECT_EQ(l->GetObjectLocation(), "C:\\Games\\Skyreach\\skyr.exe");
    l->SetObjectLocation("C:\\ignored.exe");
    EXPECT_EQ(l->ObjectLocation(), "");

    auto* box = new TInstallContainer(owner);
    box->SetName("Box");
    box->SetDestDir("C:\\Box\\");
    TInstallShellLink* other = Link("Other");
    other->SetObjectLink(box);
    EXPECT_EQ(other->LinkName(), "Box.lnk");
    EXPECT_EQ(other->GetObjectLocation(), "C:\\Box");

    l->SetObjectLink(nullptr);
    EXPECT_EQ(l->ObjectLink(), nullptr);
    EXPECT_EQ(l->ObjectLocationType(), PS::ddAbsolute);
}

TEST_F(LinkTest, RolesNeedTheirFolders) {
    TInstallShellLink* l = Link("L");
    const std::string main = "You must first specify a folder as the main folder";
    const std::string sub = "You must first specify a folder as the main sub folder";
    EXPECT_EQ(Message([&] { l->SetLinkKind(LK::lkMainExecutable); }), main);
    EXPECT_EQ(Message([&] { l->SetLinkKind(LK::lkLinkToSubFolder); }), main);
    EXPECT_EQ(Message([&] { l->SetLinkKind(LK::lkLinkInSubFolder); }), sub);
    EXPECT_EQ(Message([&] { l->SetLinkKind(LK::lkLinkInMainFolder); }), main);
    EXPECT_EQ(l->LinkKind(), LK::lkCustom);
    TShellLinkGroup* g = Group("G");
    EXPECT_EQ(Message([&] { g->SetGroupKind(GK::gkMainFolder); }), "Must first have a TInstall component");
    EXPECT_EQ(Message([&] { g->SetGroupKind(GK::gkMainSubFolder); }), "Must first have a TInstall component");
    EXPECT_EQ(g->GroupKind(), GK::gkCustom);
}

TEST_F(LinkTest, RolesTieLinksToTheMainFolders) {
    TTestInstall* main = Main();
    TShellLinkGroup* folder = Group("Folder");
    folder->SetGroupKind(GK::gkMainFolder);
    EXPECT_EQ(folder->Container(), main);
    EXPECT_EQ(folder->DestDirType(), PS::ddProgramMenuDir);
    folder->SetDestDirType(PS::ddDesktopMenuDir);  // forced back
    EXPECT_EQ(folder->DestDirType(), PS::ddProgramMenuDir);
    TShellLinkGroup* subFolder = Group("SubFolder");
    subFolder->SetGroupKind(GK::gkMainSubFolder);
    EXPECT_EQ(subFolder->Container(), main);
    EXPECT_EQ(subFolder->DestDirType(), PS::ddContainerDestDir);

    auto* exe = File("Exe", "skyr.exe", "C:\\Demo");
    TInstallShellLink* first = Link("First");
    first->SetObjectLink(exe);
    first->SetLinkKind(LK::lkMainExecutable);
    EXPECT_EQ(first->LinkKind(), LK::lkMainExecutable);
    EXPECT_EQ(first->Container(), folder);

    TInstallShellLink* second = Link("Second");
    second->SetObjectLocation("C:\\x.exe");
    EXPECT_EQ(Message([&] { second->SetLinkKind(LK::lkMainExecutable); }),
              "You must the ObjectLocationType set to ddObjectLink");
    EXPECT_EQ(first->LinkKind(), LK::lkCustom);  // reset before the check failed
    EXPECT_EQ(Message([&] { second->SetLinkKind(LK::lkLinkInSubFolder); }),
              "You must set the ObjectLocationType to ddObjectLink");

    TInstallShellLink* exeLink = Link("ExeLink");
    exeLink->BeginLoading();
    exeLink->SetObjectLocationType(PS::ddObjectLink);
    exeLink->Loaded();
    EXPECT_EQ(Message([&] { exeLink->SetLinkKind(LK::lkLinkInMainFolder); }),
              "You must be pointing to a TInstallFile component with the ObjectLink property");
    exeLink->SetObjectLink(exe);
    exeLink->SetContainer(nullptr);
    exeLink->SetLinkKind(LK::lkLinkInMainFolder);
    EXPECT_EQ(exeLink->Container(), folder);
    exeLink->SetDestDirType(PS::ddDesktopMenuDir);  // a role keeps the folder's destination
    EXPECT_EQ(exeLink->DestDirType(), PS::ddContainerDestDir);

    TInstallShellLink* toSub = Link("ToSub");
    toSub->SetLinkKind(LK::lkLinkToSubFolder);
    EXPECT_EQ(toSub->Container(), folder);
    EXPECT_EQ(toSub->ObjectLink(), subFolder);
    EXPECT_EQ(toSub->ObjectLocationType(), PS::ddObjectLink);
    EXPECT_EQ(Message([&] { toSub->SetObjectLink(exe); }),
              "For lkLinkToSubFolder, ObjectLink must be a ShellLinkGroup that is the main sub folder");

    // Moving a role link to a container that is not its folder drops the role.
    exeLink->SetContainer(subFolder);
    EXPECT_EQ(exeLink->LinkKind(), LK::lkCustom);

    // A folder that gives up its role takes the roles of its links with it.
    folder->SetGroupKind(GK::gkCustom);
    EXPECT_EQ(toSub->LinkKind(), LK::lkCustom);

    // A new main sub folder replaces the old one.
    TShellLinkGroup* newSub = Group("NewSub");
    newSub->SetGroupKind(GK::gkMainSubFolder);
    EXPECT_EQ(subFolder->GroupKind(), GK::gkCustom);
    EXPECT_EQ(FindMainSubFolder(), newSub);
}

TEST_F(LinkTest, DestroyingTheTargetOrTheFolderDestroysTheLinks) {
    auto* exe = File("Exe", "skyr.exe", "C:\\Demo");
    TInstallShellLink* l = Link("L");
    l->SetObjectLink(exe);
    auto* box = new TInstallContainer(owner);
    l->SetContainer(nullptr);
    l->SetContainer(box);
    std::size_t before = std::size_t(owner->ComponentCount());
    delete exe;
    EXPECT_EQ(std::size_t(owner->ComponentCount()), before - 2);
    EXPECT_EQ(owner->FindComponent("L"), nullptr);
    EXPECT_EQ(box->CompCount(), 0);

    TShellLinkGroup* g = Group("G");
    TInstallShellLink* a = Link("A");
    TInstallShellLink* b = Link("B");
    a->SetContainer(g);
    b->SetContainer(g);
    TShellLinkGroup* inner = Group("Inner");
    inner->SetContainer(g);
    delete g;
    EXPECT_EQ(owner->FindComponent("A"), nullptr);
    EXPECT_EQ(owner->FindComponent("B"), nullptr);
    EXPECT_EQ(owner->FindComponent("Inner"), nullptr);
}

TEST_F(LinkTest, TheSetupProgramsThreeShortcutsAreWritten) {
    std::string game = Scratch("game");
    MakeFile(game + "\\skyr.exe");
    MakeFile(game + "\\readme.txt");
    const std::string programs = GetProgramsDir() + "\\Halvard Interactive";
    const std::string desktop = GetDesktopDir();

    TInstallShellLink* l = Link("ShellLink");
    l->SetDestDirType(PS::ddProgramMenuDir);
    l->SetDestDir("\\Halvard Interactive");
    l->SetLinkName("Skyreach Demo.lnk");
    l->SetObjectLocation(game + "\\skyr.exe");
    l->InstallWithShellLink();
    l->SetLinkName("Read Me.lnk");
    l->SetObjectLocation(game + "\\readme.txt");
    l->InstallWithShellLink();
    l->SetDestDirType(PS::ddDesktopMenuDir);
    l->SetDestDir("");
    l->SetLinkName("Skyreach Demo.lnk");
    l->SetObjectLocation(game + "\\skyr.exe");
    l->InstallWithShellLink();
    EXPECT_TRUE(l->ComInitialized());

    for (const std::string& file : {programs + "\\Skyreach Demo.LNK", desktop + "\\Skyreach Demo.LNK"}) {
        ASSERT_TRUE(platform::FileExists(file)) << file;
        LinkFields f = ReadLink(file);
        EXPECT_TRUE(SameText(f.path, game + "\\skyr.exe")) << f.path;
        EXPECT_TRUE(SameText(f.workingDir, game)) << f.workingDir;
        EXPECT_EQ(f.arguments, "");
        EXPECT_EQ(f.hotKey, 0);
    }
    LinkFields readme = ReadLink(programs + "\\Read Me.LNK");
    EXPECT_TRUE(SameText(readme.path, game + "\\readme.txt")) << readme.path;

    platform::DeleteFile(programs + "\\Skyreach Demo.LNK");
    platform::DeleteFile(programs + "\\Read Me.LNK");
    platform::RemoveDirectory(programs);
    platform::DeleteFile(desktop + "\\Skyreach Demo.LNK");
}

TEST_F(LinkTest, ArgumentsAndHotKeyReachTheShortcut) {
    std::string dir = Scratch("args");
    MakeFile(dir + "\\skyr.exe");
    TInstallShellLink* l = Link("L");
    l->SetDestDir(dir + "\\Menu");
    l->SetObjectLocation(dir + "\\skyr.exe");
    l->SetParameters("-game skyrdemo -basedir %w 100%%");
    l->SetHotKey(0x0241);
    l->SetMethod(TMethodType::mtShellLinkInterface);
    l->Process();
    LinkFields f = ReadLink(dir + "\\Menu\\skyr.LNK");
    EXPECT_EQ(f.arguments, "-game skyrdemo -basedir " + WindowsDir + " 100%");
    EXPECT_EQ(f.hotKey, 0x0241);
    EXPECT_TRUE(l->Processed());
}

TEST_F(LinkTest, ShortcutFailuresAreClearAndWriteNothing) {
    std::string dir = Scratch("fail");
    TShellLinkGroup* g = Group("G");
    g->SetDestDir(dir + "\\GroupFolder");
    TInstallShellLink* l = Link("L");
    l->SetObjectLink(g);
    l->BeginLoading();
    l->SetLinkName(" ");
    l->Loaded();
    EXPECT_EQ(Message([&] { l->InstallWithShellLink(); }), "The LinkName is blank for L and therefore could not be installed");
    EXPECT_TRUE(platform::DirectoryExists(dir + "\\GroupFolder"));

    TInstallShellLink* longOne = Link("Long");
    longOne->SetDestDir(dir);
    longOne->SetObjectLocation(dir + "\\" + std::string(260, 'x') + ".exe");
    longOne->SetLinkName("Long.lnk");
    std::string m = Message([&] { longOne->InstallWithShellLink(); });
    EXPECT_NE(m.find("longer than 255 characters"), std::string::npos) << m;
    EXPECT_FALSE(platform::FileExists(dir + "\\Long.LNK"));

    TInstallShellLink* deep = Link("Deep");
    deep->SetDestDir(dir + "\\" + std::string(250, 'd'));
    deep->SetObjectLocation(dir + "\\a.exe");
    m = Message([&] { deep->InstallWithShellLink(); });
    EXPECT_NE(m.find("longer than 255 characters"), std::string::npos) << m;
    EXPECT_FALSE(platform::DirectoryExists(dir + "\\" + std::string(250, 'd')));
}

TEST_F(LinkTest, ALinkToTheUninstallProgramNeedsAMainInstallObject) {
    auto* uninstall = new TUninstallEXE(owner);
    uninstall->SetName("Uninst");
    uninstall->SetDestName("UNINST.EXE");
    uninstall->SetDestDir("C:\\Demo");
    TInstallShellLink* l = Link("L");
    l->SetObjectLink(uninstall);
    l->SetMethod(TMethodType::mtProgramManager);
    EXPECT_EQ(Message([&] { l->Process(); }),
              "Cannot create a link to the uninstall program because there is no TInstall component");
    Main()->product = "Skyreach";
    l->SetDestDirType(PS::ddDesktopMenuDir);  // Program Manager then makes nothing
    l->Process();
    EXPECT_EQ(l->Parameters(), "Skyreach");
}

TEST_F(LinkTest, ProcessedLinksAreLoggedForUninstall) {
    std::string dir = Scratch("log");
    MakeFile(dir + "\\skyr.exe");
    TTestInstall* main = Main();
    main->product = "ZarnH8LogTest" + IntToStr(platform::GetTickCount());
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + main->product;
    TInstallShellLink* l = Link("L");
    l->SetDestDir(dir);
    l->SetObjectLocation(dir + "\\skyr.exe");
    l->SetMethod(TMethodType::mtShellLinkInterface);
    l->Process();
    std::string v;
    ReadRegString(4, key + "\\Files", "File1", v, "");
    EXPECT_EQ(v, dir + "\\skyr.LNK");
    ReadRegString(4, key + "\\Files", "Entries", v, "");
    EXPECT_EQ(v, "1");

    // A path that never resolves ends after a bounded number of attempts with its error.
    TInstallShellLink* broken = Link("Broken");
    broken->BeginLoading();
    broken->SetDestDirType(PS::ddContainerDestDir);
    broken->Loaded();
    EXPECT_EQ(Message([&] { broken->WriteUninstallInfo(key); }),
              "Cannot expand the DestDir of Broken because the Container is Nil");

    for (const char* sub : {"\\Files", ""}) {
        std::string full = (key + sub).substr(1);
        platform::RegDeleteKey(platform::HKeyLocalMachine, full);
    }
}

TEST_F(LinkTest, AGroupMakesItsFolderAndRunsItsLinks) {
    std::string dir = Scratch("group");
    MakeFile(dir + "\\skyr.exe");
    TShellLinkGroup* g = Group("G");
    g->SetDestDir(dir + "\\Menu\\Games");
    TInstallShellLink* l = Link("L");
    l->SetContainer(g);
    l->SetObjectLocation(dir + "\\skyr.exe");
    l->SetMethod(TMethodType::mtShellLinkInterface);
    g->Process();
    EXPECT_TRUE(platform::DirectoryExists(dir + "\\Menu\\Games"));
    EXPECT_TRUE(platform::FileExists(dir + "\\Menu\\Games\\skyr.LNK"));
}

TEST_F(LinkTest, ClassesAreRegisteredWithTheirProperties) {
    RegisterShellClasses();
    const TClassInfo* info = FindClass("TInstallShellLink");
    ASSERT_NE(info, nullptr);
    for (const char* p : {"Container", "DestDir", "DestDirType", "HotKey", "Include", "LinkKind", "LinkName", "Method",
                          "ObjectLink", "ObjectLocation", "ObjectLocationType", "Parameters", "OnAfterProcess",
                          "OnBeforeProcess"})
        EXPECT_NE(info->FindProperty(p), nullptr) << p;
    ASSERT_NE(FindClass("TShellLinkGroup"), nullptr);
    EXPECT_NE(FindClass("TShellLinkGroup")->FindProperty("GroupKind"), nullptr);
}


TEST_F(LinkTest, AStreamedLinkKeepsItsValuesAndChecksLaterAssignments) {
    RegisterShellClasses();
    auto* root = new TComponent(owner);
    root->SetName("CopyForm");
    ReadComponentFromText(root,
                          "object CopyForm: TComponent\n"
                          "  object Folder: TShellLinkGroup\n"
                          "    DestDir = 'C:\\Menu'\n"
                          "  end\n"
                          "  object InstallShellLink1: TInstallShellLink\n"
                          "    DestDir = '\\Halvard Interactive'\n"
                          "    DestDirType = ddProgramMenuDir\n"
                          "    HotKey = 0\n"
                          "    LinkKind = lkLinkInSubFolder\n"
                          "    LinkName = 'Skyreach; Embers of Orrin.lnk'\n"
                          "    Method = mtProgramManager\n"
                          "    ObjectLocationType = ddStartMenuDir\n"
                          "    Container = Folder\n"
                          "  end\n"
                          "end\n",
                          "links");
    auto* l = dynamic_cast<TInstallShellLink*>(root->FindComponent("InstallShellLink1"));
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(l->IsLoading());
    EXPECT_EQ(l->LinkName(), "Skyreach; Embers of Orrin.lnk");
    EXPECT_EQ(l->LinkKind(), TShellLinkKind::lkLinkInSubFolder);
    EXPECT_EQ(l->ObjectLocationType(), PS::ddStartMenuDir);
    EXPECT_EQ(l->Method(), TMethodType::mtProgramManager);
    EXPECT_EQ(l->Container(), root->FindComponent("Folder"));
    EXPECT_EQ(l->DestDirType(), PS::ddProgramMenuDir);  // kept: set while loading
    EXPECT_EQ(l->GetDestDir(), GetProgramsDir() + "\\Halvard Interactive");
    l->SetLinkName("Skyreach; Embers of Orrin.lnk");
    EXPECT_EQ(l->LinkName(), "Skyreach; Embers of Orrin.LNK");
}

}  // namespace
