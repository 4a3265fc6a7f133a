// File groups and install files: the setters' file-kind, folder and name rules, the
// registration presets, membership of a group, reading a file's information, and a group
// with its files and a repository entry streamed in from a form description.
#include <gtest/gtest.h>

#include "framework/formreader.h"
#include "tests/install/file_fixture.h"

using namespace zarn::test;
using PS = TPathSpecifiers;
using IFT = TInstallFileType;

namespace {

class InstallFileTest : public FileTest {};

TEST_F(InstallFileTest, CreationDefaults) {
    TInstallFileGroup* g = Group("G");
    EXPECT_EQ(g->ProcessRank(), 1000);
    EXPECT_TRUE(g->AutoProcess());
    EXPECT_EQ(g->GroupName(), "Unnamed File Group");
    auto* f = new TInstallFile(owner);
    EXPECT_EQ(f->ProcessRank(), 2000);
    EXPECT_TRUE(f->AutoProcess());
    EXPECT_EQ(f->FileType(), IFT::iftNormal);
    EXPECT_EQ(f->OverwriteMode(), TOverwriteType::owAlways);
    EXPECT_EQ(f->State(), TInstallFileState::ifsNone);
    ASSERT_NE(f->Repository(), nullptr);
    EXPECT_EQ(f->Repository()->Delphi3()->Kind(), RepositoryDelphi3);
    EXPECT_EQ(f->Repository()->Delphi2()->Kind(), RepositoryDelphi2);
    EXPECT_EQ(f->Repository()->CBuilder()->Kind(), RepositoryCBuilder);

    // Groups a designer attaches to the main install object are numbered.
    auto* main = new TTestInstall(owner);
    MainInstall = main;
    auto* form = new TComponent(owner);
    form->SetDesigning(true);
    EXPECT_EQ((new TInstallFileGroup(form))->GroupName(), "Group #1");
    EXPECT_EQ((new TInstallFileGroup(form))->GroupName(), "Group #2");
    delete main;
}

TEST_F(InstallFileTest, TheFileNameSetsTheDestinationAndRegistrationPresets) {
    auto* f = new TInstallFile(owner);
    f->SetFileName("Readme.hlp");
    EXPECT_EQ(f->DestName(), "Readme.hlp");
    EXPECT_TRUE(f->RegisterAsHelp());
    EXPECT_FALSE(f->UpdateDLLCounter());
    f->SetFileName("Control.ocx");
    EXPECT_FALSE(f->RegisterAsHelp());
    EXPECT_TRUE(f->RegisterAsActiveX_DLLStyle());
    EXPECT_FALSE(f->RegisterAsActiveX_EXEStyle());
    EXPECT_TRUE(f->UpdateDLLCounter());

    // An executable registers itself only when its version information says so.
    auto* plain = new TInstallFile(owner);
    plain->SetFileName("Game.exe");
    EXPECT_FALSE(plain->RegisterAsActiveX_EXEStyle());
    EXPECT_FALSE(plain->RegisterAsActiveX_DLLStyle());
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP() << "no version images";
    CopyImage("selfreg.dll", Path("src\\Server.exe"));
    CopyImage("selfreg.dll", Path("src\\Server.dll"));
    auto* exe = FileFor(nullptr, "Exe", Path("src"), "Server.exe");
    EXPECT_TRUE(exe->RegisterAsActiveX_EXEStyle());
    EXPECT_FALSE(exe->RegisterAsActiveX_DLLStyle());
    EXPECT_TRUE(exe->UpdateDLLCounter());
    auto* dll = FileFor(nullptr, "Dll", Path("src"), "Server.dll");
    EXPECT_TRUE(dll->RegisterAsActiveX_DLLStyle());
    // Changing the folder looks at the file there.
    dll->SetIncludeFromDir(Path("elsewhere"));
    EXPECT_FALSE(dll->RegisterAsActiveX_DLLStyle());
    EXPECT_EQ(dll->DestName(), "Server.dll");
}

TEST_F(InstallFileTest, DLLKindsPresetTheirFolderAndKeep83Names) {
    auto* f = new TInstallFile(owner);
    f->SetName("Sys");
    f->SetFileType(IFT::iftSystemWideDLL);
    EXPECT_EQ(f->DestDirType(), PS::ddSystem);
    EXPECT_EQ(f->DestDir(), "");
    EXPECT_EQ(f->OverwriteMode(), TOverwriteType::owVersionDate);
    EXPECT_TRUE(f->UpdateDLLCounter());
    EXPECT_EQ(Message([&] { f->SetDestDirType(PS::ddWindows); }),
              "DestDirType must be set to ddSystem for iftSystemWideDLL files");
    f->SetDestDir("\\Sub");
    EXPECT_EQ(f->DestDir(), "");

    auto* v = new TInstallFile(owner);
    v->SetFileType(IFT::iftVendorSharedDLL);
    EXPECT_EQ(v->DestDirType(), PS::ddCommonFilesDir);
    EXPECT_EQ(v->DestDir(), "\\System");
    v->SetDestDir("\\Other");
    EXPECT_EQ(v->DestDir(), "\\System");
    EXPECT_EQ(Message([&] { v->SetDestDirType(PS::ddSystem); }),
              "DestDirType must be set to ddCommonFiles for iftVendorSharedDLL");
    try {
        v->SetDestName("LONGNAME123.DLL");
        FAIL() << "no exception";
    } catch (const EAIIFDLLNameConflict& e) {
        EXPECT_NE(e.Message().find("rename the DESTNAME property"), std::string::npos);
    }
    EXPECT_EQ(v->DestName(), "12345678.DLL");
    v->SetDestName("TWELVE45.DLL");
    EXPECT_EQ(v->DestName(), "TWELVE45.DLL");

    auto* a = new TInstallFile(owner);
    EXPECT_EQ(Message([&] { a->SetFileType(IFT::iftApplicationSpecificDLL); }), "(nothing raised)");
    EXPECT_EQ(a->DestDirType(), PS::ddMainInstallDir);
    EXPECT_EQ(Message([&] { a->SetDestDirType(PS::ddSystem); }),
              "DestDirType must be set to ddMainInstall for iftApplicationSpecificDLL files");

    // A long name refuses a DLL kind and the kind stays as it was.
    auto* n = new TInstallFile(owner);
    n->SetFileName("AVeryLongName.dll");
    EXPECT_THROW(n->SetFileType(IFT::iftJustADLL), EAIIFDLLNameConflict);
    EXPECT_EQ(n->FileType(), IFT::iftNormal);
    EXPECT_EQ(n->DestName(), "12345678.DLL");
}

TEST_F(InstallFileTest, ActiveXFlagsExcludeEachOther) {
    auto* f = new TInstallFile(owner);
    f->SetRegisterAsActiveX_DLLStyle(true);
    EXPECT_TRUE(f->UpdateDLLCounter());
    f->SetRegisterAsActiveX_EXEStyle(true);
    EXPECT_FALSE(f->RegisterAsActiveX_DLLStyle());
    f->SetRegisterAsActiveX_EXEStyle(false);
    EXPECT_FALSE(f->RegisterAsActiveX_DLLStyle());
    EXPECT_TRUE(f->UpdateDLLCounter());
}

TEST_F(InstallFileTest, AFileBelongsToOneFileContainerAndOnlyOnceBySource) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* first = File(g, "First", "game.exe", "x");
    EXPECT_EQ(first->Container(), g);
    EXPECT_EQ(first->DestDirType(), PS::ddContainerDestDir);
    EXPECT_EQ(first->ArchiveFileType(), PS::ddContainerArchiveFile);
    EXPECT_EQ(first->GetDestDir(), Path("dest"));
    EXPECT_EQ(first->GetArchiveFile(), Path("data.zrn"));

    auto* second = new TInstallFile(owner);
    second->SetName("Second");
    second->SetIncludeFromDir(UpperCase(Path("src")));
    second->SetFileName("GAME.EXE");
    try {
        second->SetContainer(g);
        FAIL() << "no exception";
    } catch (const EAIIFDuplicateFileInGroup& e) {
        EXPECT_EQ(e.Message(), "There is already a file with the name :" + UpperCase(Path("src")) + "\\GAME.EXE");
    }
    EXPECT_EQ(second->Container(), nullptr);
    first->SetContainer(g);  // the same container again
    EXPECT_EQ(g->FileCount(), 1);

    // Renaming into a name another file of the group has changes nothing.
    second->SetFileName("other.exe");
    second->SetContainer(g);
    EXPECT_THROW(second->SetFileName("game.exe"), EAIIFDuplicateFileInGroup);
    EXPECT_EQ(second->FileName(), "other.exe");
    TInstallFile* third = FileFor(g, "Third", Path("lib"), "game.exe");
    EXPECT_THROW(third->SetIncludeFromDir(Path("src\\")), EAIIFDuplicateFileInGroup);
    EXPECT_EQ(third->IncludeFromDir(), Path("lib"));

    auto* plain = new TInstallContainer(owner);
    plain->SetName("Plain");
    EXPECT_EQ(Message([&] { first->SetContainer(plain); }),
              "The following TInstallFile component First requires the Container property to be a component "
              "descended from the TFileContainer component");
    EXPECT_EQ(first->Container(), g);
    EXPECT_EQ(g->FindFile(UpperCase(Path("src\\game.exe"))), first);
    EXPECT_EQ(g->FindFile(Path("src\\none.exe")), nullptr);
}

TEST_F(InstallFileTest, RemoveMissingFilesDropsFilesWhoseSourceIsGone) {
    TInstallFileGroup* g = Group("G");
    File(g, "A", "a.txt", "a");
    TInstallFile* b = File(g, "B", "b.txt", "b");
    File(g, "C", "c.txt", "c");
    ASSERT_TRUE(platform::DeleteFile(b->SourcePath()));
    g->RemoveMissingFiles();
    EXPECT_EQ(HelperNames(*g), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(owner->FindComponent("B"), nullptr);
}

TEST_F(InstallFileTest, SourceInfoComesFromTheFileAndArchiveInfoFromItsHeader) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.bin", Noise(1000));
    f->ReadSourceInfo();
    EXPECT_EQ(f->FileSize(), 1000);
    EXPECT_GT(f->FileDate(), 0);
    EXPECT_EQ(f->FileVersion(), "");

    auto* missing = FileFor(nullptr, "Missing", Path("src"), "none.bin");
    EXPECT_EQ(Message([&] { missing->ReadSourceInfo(); }),
              "Could not open or find the following file when trying to read the Size, Date, and Version :" +
                  Path("src\\none.bin"));
    EXPECT_EQ(Message([&] { missing->ReadArchiveInfo(); }),
              "Cannot either compress or decompress the following file because it's archive file property is "
              "blank. File is :none.bin");

    g->CompressFiles(false);
    auto* again = FileFor(nullptr, "Again", Path("src"), "f.bin");
    again->SetArchiveFile(Path("data.zrn"));
    again->ReadArchiveInfo();
    EXPECT_EQ(again->FileSize(), 1000);
    EXPECT_GT(again->CompressedSize(), 1000);  // noise grows a little
    EXPECT_DOUBLE_EQ(again->FileDate(), f->FileDate());
    // A file that is not in the archive keeps what it had.
    missing->SetArchiveFile(Path("data.zrn"));
    missing->ReadArchiveInfo();
    EXPECT_EQ(missing->FileSize(), 0);
}

TEST_F(InstallFileTest, SizeSumsCountIncludedFilesOfTheRunsType) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* a = File(g, "A", "a.bin", std::string(100, 'a'));
    TInstallFile* b = File(g, "B", "b.bin", std::string(200, 'b'));
    TInstallFileGroup* sub = Group("Sub");
    sub->SetContainer(g);
    File(sub, "C", "c.bin", std::string(300, 'c'));
    g->ReadSourceInfo();
    EXPECT_EQ(g->SizeSum(false), 600);
    b->SetInclude(false);
    EXPECT_EQ(g->SizeSum(false), 400);
    EXPECT_EQ(g->SizeSum(true), 600);
    // itCustom runs count only what is marked for them.
    a->SetInstallTypes({TInstallType::itFull});
    a->SetCurrentInstallType(TInstallType::itCustom);
    EXPECT_EQ(g->SizeSum(false), 300);
    sub->SetInstallTypes({TInstallType::itCompact});
    sub->SetCurrentInstallType(TInstallType::itFull);
    EXPECT_EQ(g->SizeSum(false), 0);
}

// A form that holds an installation, with handlers its events are bound to.
class TProductForm : public TComponent {
    ZARN_CLASS(TProductForm, TComponent)
public:
    using TComponent::TComponent;
    void GroupStatus(TInstallFile* file, int filePercent, int totalPercent) {
        statuses.push_back({file->Name(), filePercent, totalPercent});
        if (cancelAt && int(statuses.size()) == cancelAt) SharedCompress->SetAbort(true);
    }
    void ShowDialog(TInstallContainer* c) { log.push_back("show " + c->Name()); }
    void CloseDialog(TInstallContainer* c, bool wasAborted) {
        log.push_back("close " + c->Name() + (wasAborted ? " aborted" : " done"));
    }
    void FileInstalled(TInstallFile* f) { log.push_back("installed " + f->Name()); }
    struct Status {
        std::string file;
        int filePercent, totalPercent;
    };
    std::vector<Status> statuses;
    std::vector<std::string> log;
    int cancelAt = 0;
};
ZARN_DEFINE_CLASS(TProductForm, TComponent, [](TClassBuilder<TProductForm>& b) {
    b.Method("GroupStatus", &TProductForm::GroupStatus)
        .Method("ShowDialog", &TProductForm::ShowDialog)
        .Method("CloseDialog", &TProductForm::CloseDialog)
        .Method("FileInstalled", &TProductForm::FileInstalled);
})

TEST_F(InstallFileTest, AGroupWithFilesAndARepositoryEntryStreamsIn) {
    auto* form = new TProductForm(owner);
    form->SetName("ProductForm");
    ReadComponentFromText(form,
                          "object ProductForm: TProductForm\n"
                          "  object Files: TInstallFileGroup\n"
                          "    AddToArchive = lzcOnlyAdd\n"
                          "    ArchiveFile = 'C:\\Dist\\GAME.ZRN'\n"
                          "    ArchiveFileType = ddAbsolute\n"
                          "    InstallTypes = [itFull, itCompact]\n"
                          "    State = fcsNone\n"
                          "    OnCloseCopyFileDlg = CloseDialog\n"
                          "    OnShowCopyFileDlg = ShowDialog\n"
                          "    OnStatus = GroupStatus\n"
                          "    AllowChoice = False\n"
                          "    AllowChangeDir = False\n"
                          "    Description.Strings = ( 'The game' 'and its tools' )\n"
                          "    DestDir = 'C:\\Games\\Skyreach'\n"
                          "    DestDirType = ddAbsolute\n"
                          "    Include = True\n"
                          "    GroupName = 'Game files'\n"
                          "    Order = 0\n"
                          "  end\n"
                          "  object Icon: TInstallFile\n"
                          "    Container = Files\n"
                          "    DestName = 'FORM.ICO'\n"
                          "    FileName = 'form.ico'\n"
                          "  end\n"
                          "  object Template: TInstallFile\n"
                          "    Container = Files\n"
                          "    ArchiveFile = ''\n"
                          "    ArchiveFileType = ddContainerArchiveFile\n"
                          "    AddToArchive = lzcOverwrite\n"
                          "    DestDir = '\\Templates'\n"
                          "    DestDirType = ddContainerDestDir\n"
                          "    DestName = 'A very long name.pas'\n"
                          "    FileName = 'template.pas'\n"
                          "    FileType = iftJustADLL\n"
                          "    Include = True\n"
                          "    IncludeFromDir = 'C:\\Source'\n"
                          "    InstallTypes = [itFull]\n"
                          "    Order = 1\n"
                          "    OverwriteMode = owVersionDate\n"
                          "    RegisterAsActiveX_DLLStyle = True\n"
                          "    RegisterAsActiveX_EXEStyle = True\n"
                          "    RegisterAsHelp = True\n"
                          "    Repository.Delphi3.Author = 'Halvard Interactive'\n"
                          "    Repository.Delphi3.EntryName = 'Game form'\n"
                          "    Repository.Delphi3.IconFile = Icon\n"
                          "    Repository.Delphi3.Page = 'Forms'\n"
                          "    Repository.Delphi3.RegisterIt = True\n"
                          "    State = ifsNone\n"
                          "    UpdateDLLCounter = False\n"
                          "    OnAfterInstallFile = FileInstalled\n"
                          "  end\n"
                          "end\n",
                          "product");
    auto* g = dynamic_cast<TInstallFileGroup*>(form->FindComponent("Files"));
    auto* t = dynamic_cast<TInstallFile*>(form->FindComponent("Template"));
    ASSERT_TRUE(g && t);
    EXPECT_FALSE(t->IsLoading());
    EXPECT_EQ(g->AddToArchive(), TlzhCommand::lzcOnlyAdd);
    EXPECT_EQ(g->InstallTypes(), (TInstallTypeSet{TInstallType::itFull, TInstallType::itCompact}));
    EXPECT_FALSE(g->AllowChoice());
    EXPECT_EQ(g->Description()->Text(), "The game\r\nand its tools\r\n");
    EXPECT_EQ(g->GroupName(), "Game files");
    EXPECT_TRUE(g->OnStatus && g->OnShowCopyFileDlg && g->OnCloseCopyFileDlg);
    EXPECT_EQ(HelperNames(*g), (std::vector<std::string>{"Icon", "Template"}));
    // Stored as streamed, without the setters' rules.
    EXPECT_EQ(t->DestName(), "A very long name.pas");
    EXPECT_EQ(t->FileType(), IFT::iftJustADLL);
    EXPECT_TRUE(t->RegisterAsActiveX_DLLStyle());
    EXPECT_TRUE(t->RegisterAsActiveX_EXEStyle());
    EXPECT_FALSE(t->UpdateDLLCounter());
    EXPECT_EQ(t->OverwriteMode(), TOverwriteType::owVersionDate);
    EXPECT_EQ(t->GetDestDir(), "C:\\Games\\Skyreach\\Templates");
    EXPECT_EQ(t->GetArchiveFile(), "C:\\Dist\\GAME.ZRN");
    TObjectRepositoryEntry* e = t->Repository()->Delphi3();
    EXPECT_TRUE(e->RegisterIt());
    EXPECT_EQ(e->EntryName(), "Game form");
    EXPECT_EQ(e->IconFile(), form->FindComponent("Icon"));
    EXPECT_FALSE(t->Repository()->Delphi2()->RegisterIt());
    ASSERT_TRUE(t->OnAfterInstallFile);
    t->OnAfterInstallFile(t);
    EXPECT_EQ(form->log, (std::vector<std::string>{"installed Template"}));

    // After loading the setters' rules apply again.
    EXPECT_THROW(t->SetDestName("Another long name.pas"), EAIIFDLLNameConflict);

    // The repository copies what it is given; an icon file that goes is forgotten.
    auto* other = new TInstallFile(owner);
    other->SetRepository(t->Repository());
    EXPECT_EQ(other->Repository()->Delphi3()->Author(), "Halvard Interactive");
    EXPECT_EQ(other->Repository()->Delphi3()->InstallFile(), static_cast<IRepositoryFile*>(other));
    delete form->FindComponent("Icon");
    EXPECT_EQ(e->IconFile(), nullptr);
    EXPECT_EQ(other->Repository()->Delphi3()->IconFile(), nullptr);
    EXPECT_THROW(e->SetAncestor(g), EConvertError);
}

TEST_F(InstallFileTest, WritingStateRunsTheOperationAndReturnsToNone) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "hello");
    std::vector<TInstallFileState> seen;
    f->OnBeforeCompress = [&](TInstallFile* x) { seen.push_back(x->State()); };
    f->OnBeforeCopy = [&](TInstallFile* x) { seen.push_back(x->State()); };
    f->OnBeforeInstallFile = [&](TInstallFile* x) { seen.push_back(x->State()); };
    f->SetState(TInstallFileState::ifsCompress);
    f->SetState(TInstallFileState::ifsInstall);
    f->SetState(TInstallFileState::ifsCopying);
    EXPECT_EQ(seen, (std::vector<TInstallFileState>{TInstallFileState::ifsCompress, TInstallFileState::ifsInstall,
                                                    TInstallFileState::ifsCopying}));
    EXPECT_EQ(f->State(), TInstallFileState::ifsNone);
    EXPECT_EQ(Read(Path("dest\\f.txt")), "hello");

    // A failure leaves the state at none as well.
    f->SetDestDir("");
    f->SetDestDirType(PS::ddAbsolute);
    EXPECT_EQ(Message([&] { f->SetState(TInstallFileState::ifsCopying); }),
              "The GetDestDir returned a blank value for the TInstallFile F. You need to set either the DestDir "
              "property or the DestDirType property or both");
    EXPECT_EQ(f->State(), TInstallFileState::ifsNone);
    g->SetState(TFileContainerState::fcsCompress);
    EXPECT_EQ(g->State(), TFileContainerState::fcsNone);
}

TEST_F(InstallFileTest, TheEngineKeepsNoHandlerOfAFileThatIsGone) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* a = File(g, "A", "a.txt", "a");
    TInstallFile* b = File(g, "B", "b.txt", "b");
    g->CompressFiles(false);
    a->SetState(TInstallFileState::ifsInstall);  // all four handlers are A's
    b->CompressFile();                             // status and abort are B's now
    delete a;
    EXPECT_FALSE(SharedCompress->OnNewDisk);
    EXPECT_FALSE(SharedCompress->OnReplace);
    EXPECT_TRUE(SharedCompress->OnStatus);
    delete b;
    EXPECT_FALSE(SharedCompress->OnStatus);
    EXPECT_FALSE(SharedCompress->OnAborted);
}

}  // namespace
