// File containers at work: the compress, install and copy passes with their order and
// settings, progress figures up the tree, disk changes, the validation of information
// events, and a whole product installed through the install model.
#include <gtest/gtest.h>

#include "framework/formreader.h"
#include "framework/startup.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/registry.h"
#include "registration/routines_RegistryWriter.h"
#include "tests/install/file_fixture.h"

using namespace zarn::test;
using PS = TPathSpecifiers;

namespace {

// A container that records the information events its helpers send it.
class TInfoRecorder : public TInstallContainer {
    ZARN_CLASS(TInfoRecorder, TInstallContainer)
public:
    using TInstallContainer::TInstallContainer;
    void DoInformationEventControl(TObject* sender, const std::string& eventName, TObject*) override {
        auto* c = dynamic_cast<TComponent*>(sender);
        events.push_back(eventName + " " + (c ? c->Name() : "?"));
    }
    std::vector<std::string> events;
};
ZARN_DEFINE_CLASS(TInfoRecorder, TInstallContainer, [](auto&) {})

class PassTest : public FileTest {
protected:
    struct Status {
        std::string file;
        int filePercent, totalPercent;
        bool operator==(const Status&) const = default;
    };
    static void Record(std::vector<Status>& into, TInstallFile* f, int file, int total) {
        into.push_back({f->Name(), file, total});
    }
    // A recorder above `g`; the group keeps its own archive and destination.
    TInfoRecorder* Above(TInstallFileGroup* g) {
        auto* top = new TInfoRecorder(owner);
        top->SetName("Top");
        const std::string archive = g->ArchiveFile(), dest = g->DestDir();
        g->SetContainer(top);
        g->SetArchiveFileType(PS::ddAbsolute);
        g->SetArchiveFile(archive);
        g->SetDestDirType(PS::ddAbsolute);
        g->SetDestDir(dest);
        return top;
    }
};

TEST_F(PassTest, ProgressOfAGroupCountsItsFinishedFilesAndTheCurrentOne) {
    // 10, 20 and 30 blocks of the engine's 4 KB output: 100 : 200 : 300.
    const int block = TZarnCompress::InflateBlockSize;
    TInstallFileGroup* g = Group("G");
    TInstallFile* a = File(g, "A", "a.bin", Noise(10 * block, 1));
    TInstallFile* b = File(g, "B", "b.bin", Noise(20 * block, 2));
    File(g, "C", "c.bin", Noise(30 * block, 3));
    g->CompressFiles(false);

    std::vector<Status> group, own;
    g->OnStatus = [&](TInstallFile* f, int file, int total) { Record(group, f, file, total); };
    for (TInstallFile* f : {a, b})
        f->OnStatus = [&](TInstallFile* x, int file, int total) { Record(own, x, file, total); };
    g->Process();

    ASSERT_FALSE(group.empty());
    // The final report of A, then B halfway, then the end.
    auto at = [&](const std::string& file, int filePercent) {
        for (const Status& s : group)
            if (s.file == file && s.filePercent == filePercent) return s.totalPercent;
        return -1;
    };
    EXPECT_EQ(at("A", 100), 17);
    EXPECT_EQ(at("B", 50), 33);
    EXPECT_EQ(group.back(), (Status{"C", 100, 100}));
    EXPECT_EQ(g->TotalBytes(), 60 * block);
    EXPECT_EQ(g->DoneBytes(), 60 * block);
    // The file's own event carries the engine's figures for the one extraction: B
    // halfway is half of B and a sixth of the archive.
    bool seen = false;
    for (const Status& s : own)
        if (s.file == "B" && s.filePercent == 50) seen = s.totalPercent == 17;
    EXPECT_TRUE(seen);

    // Nothing counted: no division, 0 percent.
    TInstallFileGroup* empty = Group("Empty", "empty.zrn", "dest2");
    TInstallFile* d = File(empty, "D", "d.bin", "skipped");
    d->SetInstallTypes({TInstallType::itFull});
    d->SetCurrentInstallType(TInstallType::itCompact);
    auto* f = File(empty, "F", "f.bin", "processed but not counted");
    f->SetInstallTypes({TInstallType::itFull});
    f->SetCurrentInstallType(TInstallType::itCustom);
    empty->CompressFiles(false);
    int last = -1;
    empty->OnStatus = [&](TInstallFile*, int, int total) { last = total; };
    empty->Process();
    EXPECT_FALSE(platform::FileExists(Path("dest2\\d.bin")));
    EXPECT_TRUE(platform::FileExists(Path("dest2\\f.bin")));
    EXPECT_EQ(empty->TotalBytes(), 0);
    EXPECT_EQ(last, 0);
}

TEST_F(PassTest, AnIdleContainerSwallowsItsFilesEvents) {
    TInstallFileGroup* g = Group("G");
    TInfoRecorder* top = Above(g);
    TInstallFile* f = File(g, "F", "f.txt", "text");
    int statuses = 0;
    g->OnStatus = [&](TInstallFile*, int, int) { ++statuses; };
    f->CompressFile();
    EXPECT_EQ(statuses, 0);
    EXPECT_EQ(top->events, std::vector<std::string>{});
    g->CompressFiles(false);
    EXPECT_GT(statuses, 0);
    EXPECT_EQ(top->events.front(), "eieBPFileContainer G");
    EXPECT_EQ(top->events.back(), "eieAPFileContainer G");
    // Handed on with the group as sender.
    EXPECT_NE(std::find(top->events.begin(), top->events.end(), "eieCompressingFile G"), top->events.end());
    EXPECT_NE(std::find(top->events.begin(), top->events.end(), "eieAfterCompressFile G"), top->events.end());
}

TEST_F(PassTest, InformationEventsCheckTheirParameters) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "12345678");
    g->CopyFiles();  // the totals of the last pass stay: 8 of 8 bytes
    std::string message;
    g->OnBeforeProcess = [&](TInstallContainer*) {
        TFileStatusParameter p;
        TDiskParameter d;
        TList wrong;
        wrong.Add(f);
        wrong.Add(&d);
        TList shortList;
        auto send = [&](const char* event, TObject* parameter) {
            return Message([&] { g->DoInformationEventControl(f, event, parameter); });
        };
        EXPECT_EQ(send("eieInstallingFile", nullptr),
                  "The ParameterObject is Nil in the DoInformationEventControl method of the TInstallFileGroup");
        EXPECT_EQ(send("eieCopyingFile", &p), "DoInformationEventControl--PO is not a TList object");
        EXPECT_EQ(send("EIECOMPRESSINGFILE", &shortList),
                  "DoInformationEventControl--Not engouh parameters for status event");
        EXPECT_EQ(send("eieInstallingFile", &wrong), "DoInformationEventControl says bad second parameter");
        TList reversed;
        reversed.Add(&p);
        reversed.Add(f);
        EXPECT_EQ(send("eieChangeDisk", &reversed), "DoInformationEventControl says bad first parameter");
        EXPECT_EQ(send("eieReplaceInstallFile", nullptr),
                  "The ParameterObject is Nil in the DoInformationEventControl method of the TFileContainer");
        EXPECT_EQ(send("eieReplaceInstallFile", &p), "DoInformationEventControl parameter is not TInstallFile");
        EXPECT_EQ(send("eieSomethingElse", nullptr), "(nothing raised)");
        // A file beyond the counted ones drives the figure past 100, rounded to even.
        TList good;
        good.Add(f);
        good.Add(&p);
        p.BytesDone = 1;
        p.FilePercentDone = 13;
        int seen = -1;
        g->OnStatus = [&](TInstallFile*, int file, int total) { seen = file * 1000 + total; };
        EXPECT_EQ(send("eieCopyingFile", &good), "(nothing raised)");
        EXPECT_EQ(p.TotalDone, 9);
        EXPECT_EQ(p.TotalPercentDone, 112);  // 112.5
        EXPECT_EQ(seen, 13112);
        g->OnStatus = nullptr;
        message = "checked";
    };
    g->CopyFiles();
    EXPECT_EQ(message, "checked");
}

TEST_F(PassTest, CompressAllPutsEveryFileIntoTheGroupsArchiveAndRestoresTheirSettings) {
    TInstallFileGroup* g = Group("G", "all.zrn");
    TInstallFile* f = File(g, "F", "f.txt", "own archive");
    f->SetInclude(false);
    f->SetArchiveFileType(PS::ddAbsolute);
    f->SetArchiveFile(Path("own.zrn"));
    TInstallFileGroup* sub = Group("Sub", "sub.zrn");
    sub->SetContainer(g);
    sub->SetArchiveFileType(PS::ddAbsolute);
    sub->SetArchiveFile(Path("sub.zrn"));
    File(sub, "S", "s.txt", "sub file");

    g->CompressFiles(true);
    EXPECT_FALSE(platform::FileExists(Path("own.zrn")));
    EXPECT_FALSE(platform::FileExists(Path("sub.zrn")));
    SharedCompress->SetCompressedFile(Path("all.zrn"));
    EXPECT_EQ(SharedCompress->FileCount(), 2);
    EXPECT_GE(SharedCompress->IndexOfFile(f->SourcePath()), 0);
    EXPECT_FALSE(f->Include());
    EXPECT_EQ(f->ArchiveFileType(), PS::ddAbsolute);
    EXPECT_EQ(f->ArchiveFile(), Path("own.zrn"));
    EXPECT_EQ(f->AddToArchive(), TlzhCommand::lzcOverwrite);
    EXPECT_EQ(sub->ArchiveFile(), Path("sub.zrn"));

    // Without CompressAll each file goes to its own archive, and an excluded one nowhere.
    g->CompressFiles(false);
    EXPECT_FALSE(platform::FileExists(Path("own.zrn")));
    EXPECT_TRUE(platform::FileExists(Path("sub.zrn")));
    EXPECT_FALSE(platform::FileExists(Path("all.zrn")));
}

TEST_F(PassTest, ARecompressedArchiveHoldsEachFileOnceAndInstallsTheNewContent) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "first");
    g->CompressFiles(false);
    Write(f->SourcePath(), "second");
    g->CompressFiles(false);
    SharedCompress->SetCompressedFile(Path("data.zrn"));
    EXPECT_EQ(SharedCompress->FileCount(), 1);
    g->Process();
    EXPECT_EQ(Read(Path("dest\\f.txt")), "second");
}

TEST_F(PassTest, AnOldFirstDiskFileThatCannotBeDeletedStopsTheCompressPass) {
    TInstallFileGroup* g = Group("G", "DATA.ZRN");
    TInfoRecorder* top = Above(g);
    TInstallFile* f = File(g, "F", "f.txt", "text");
    bool compressed = false;
    f->OnBeforeCompress = [&](TInstallFile*) { compressed = true; };
    Write(Path("DATA.1"), "old disk");
    {
        // Held open without sharing, as another program would.
        platform::FileHandle held(platform::CreateFile(Path("DATA.1"), platform::GenericRead, 0, platform::OpenExisting));
        ASSERT_TRUE(held);
        EXPECT_EQ(Message([&] { g->CompressFiles(false); }), "Cannot delete archive file " + Path("DATA.ZRN"));
    }
    EXPECT_EQ(top->events, (std::vector<std::string>{"eieBPFileContainer G"}));
    EXPECT_FALSE(compressed);
    EXPECT_EQ(g->State(), TFileContainerState::fcsNone);
    g->CompressFiles(false);
    EXPECT_FALSE(platform::FileExists(Path("DATA.1")));
    EXPECT_TRUE(compressed);
}

TEST_F(PassTest, TheCopyPassTakesFilesBeforeSubGroupsWhereTheOtherPassesFollowTheList) {
    TInstallFileGroup* g = Group("G");
    File(g, "Top", "top.txt", "top");
    TInstallFileGroup* sub = Group("Sub");
    sub->SetContainer(g);
    sub->SetDestDir("\\Sub");
    File(sub, "Inner", "inner.txt", "inner");
    std::vector<std::string> order;
    for (const char* name : {"Top", "Inner"}) {
        auto* f = static_cast<TInstallFile*>(owner->FindComponent(name));
        f->OnBeforeCopy = [&](TInstallFile* x) { order.push_back("copy " + x->Name()); };
        f->OnBeforeCompress = [&](TInstallFile* x) { order.push_back("compress " + x->Name()); };
        f->OnBeforeInstallFile = [&](TInstallFile* x) { order.push_back("install " + x->Name()); };
    }
    g->CopyFiles();
    g->CompressFiles(false);
    g->Process();
    EXPECT_EQ(order, (std::vector<std::string>{"copy Top", "copy Inner", "compress Inner", "compress Top",
                                               "install Inner", "install Top"}));
    EXPECT_EQ(Read(Path("dest\\Sub\\inner.txt")), "inner");
    EXPECT_EQ(Read(Path("dest\\top.txt")), "top");
}

TEST_F(PassTest, AnExcludedFileIsSkippedQuietlyByCompressAndCopy) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "text");
    f->SetInclude(false);
    std::vector<std::string> log;
    f->OnBeforeCompress = [&](TInstallFile*) { log.push_back("before compress"); };
    f->OnAfterCompress = [&](TInstallFile*) { log.push_back("after compress"); };
    TInfoRecorder* top = Above(g);
    std::vector<std::string> heard;
    (new TRecorder(owner, &heard, 9000, "OfFile"))->SetContainer(f);
    ASSERT_FALSE(SharedCompress->Abort());
    g->CompressFiles(false);
    EXPECT_EQ(log, (std::vector<std::string>{"before compress"}));
    EXPECT_TRUE(SharedCompress->Abort());
    EXPECT_EQ(heard, (std::vector<std::string>{"OfFile hears DoneCopyingFiles from F"}));
    EXPECT_EQ(std::count(top->events.begin(), top->events.end(), "eieBeforeCompressFile G"), 1);
    f->CopyFile();
    EXPECT_FALSE(platform::FileExists(Path("dest\\f.txt")));
}

TEST_F(PassTest, MessagesOfContainersInstallFilesAndFileContainersAreTranslated) {
    TTranslator translator(nullptr);
    TStringList english, german;
    english.Add("1;Bad call to the Comp procedure which returns a TBaseHelperComponent for a TInstallContainer "
                "component. The parameters are probably reversed.");
    english.Add("2;The following TInstallFile component %s requires the Container property to be a component "
                "descended from the TFileContainer component");
    english.Add("3;DoInformationEventControl--PO is not a TList object");
    german.Add("1;Falscher Aufruf von Comp");
    german.Add("2;%s braucht einen Dateibehälter");
    german.Add("3;Kein TList-Objekt");
    translator.lgEnglish()->SetStrings(&english);
    translator.lgGerman()->SetStrings(&german);
    translator.SetTranslateIntoLanguage(TZarnLanguage::zlGerman);

    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "text");
    TInfoRecorder* top = Above(g);
    EXPECT_EQ(Message([&] { g->Comp(-1, TInstallFile::StaticClass()); }), "Falscher Aufruf von Comp");
    EXPECT_EQ(Message([&] { f->SetContainer(top); }), "F braucht einen Dateibehälter");
    std::string message;
    g->OnBeforeProcess = [&](TInstallContainer*) {
        TFileStatusParameter p;
        message = Message([&] { g->DoInformationEventControl(f, "eieCopyingFile", &p); });
    };
    g->CopyFiles();
    EXPECT_EQ(message, "Kein TList-Objekt");
}

TEST_F(PassTest, AGroupsDiskHandlerFindsTheMovedArchiveAndSparesTheFileItsPrompt) {
    TInstallFileGroup* g = Group("G", "disk1\\data.zrn");
    TInstallFile* f = File(g, "F", "f.txt", "from the second place");
    g->CompressFiles(false);
    // The archive moves away once its headers have been read.
    g->OnShowCopyFileDlg = [&](TInstallContainer*) {
        ForceDirectories(Path("disk2"));
        ASSERT_TRUE(platform::MoveFileEx(Path("disk1\\data.zrn"), Path("disk2\\data.zrn"), 0));
    };
    std::vector<std::string> asked;
    g->OnNewDisk = [&](TInstallFile* x, int disk, std::string& path) {
        asked.push_back(x->Name() + " " + IntToStr(disk) + " " + path);
        path = Path("disk2");
    };
    g->Process();
    EXPECT_EQ(asked, (std::vector<std::string>{"F 1 " + Path("disk1")}));
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(f->Tag(), 0);
    EXPECT_EQ(Read(Path("dest\\f.txt")), "from the second place");
}

TEST_F(PassTest, WithoutDiskHandlersTheFileAsksForTheDisk) {
    TInstallFileGroup* g = Group("G", "disks\\data.zrn");
    TInstallFile* f = File(g, "F", "f.txt", "x");
    std::string path = "ignored";
    Ui().QueueAnswer(mrCancel);
    f->EngineNewDisk(SharedCompress, 2, path);
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].request.text, "Please insert disk #2");
    EXPECT_EQ(Ui().Boxes()[0].request.type, TMsgDlgType::mtInformation);
    EXPECT_EQ(Ui().Boxes()[0].request.buttons, mbOKCancel);
    EXPECT_TRUE(SharedCompress->Abort());
    EXPECT_EQ(path, Path("disks"));
    Ui().QueueAnswer(mrOk);
    f->EngineNewDisk(SharedCompress, 2, path);
    EXPECT_FALSE(SharedCompress->Abort());
    // The file's own handler answers instead.
    f->OnNewDisk = [&](TInstallFile*, int, std::string& p) { p = "A:\\"; };
    f->EngineNewDisk(SharedCompress, 3, path);
    EXPECT_EQ(Ui().Boxes().size(), 2u);
    EXPECT_EQ(path, "A:");
}

TEST_F(PassTest, ListenersHearTheNotificationsOfTheGroupAndOfTheFile) {
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "F", "f.txt", "new");
    g->CompressFiles(false);
    Write(Path("dest\\f.txt"), "old");
    std::vector<std::string> log;
    (new TRecorder(owner, &log, 9000, "OfGroup"))->SetContainer(g);
    (new TRecorder(owner, &log, 9000, "OfFile"))->SetContainer(f);
    g->Process();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "OfGroup hears eccBeforeProcess from G",
                       "OfGroup hears InstallTypeDialog from G",
                       "OfGroup hears eccBeforeInstallFileGroup from G",
                       "OfFile hears eccBeforeProcess from F",
                       "OfFile hears InstallTypeDialog from F",
                       "OfFile hears ReplacingFile from F",
                       "OfGroup hears ReplacingFile from G",
                       "OfFile hears CopyingFile from F",
                       "OfGroup hears CopyingFile from G",
                       "OfFile hears CopyingFile from F",
                       "OfGroup hears CopyingFile from G",
                       "Install OfFile",
                       "OfFile hears DoneCopyingFiles from F",
                       "OfFile hears eccAfterProcess from F",
                       "Install OfGroup",
                       "OfGroup hears DoneCopyingFiles from G",
                       "OfGroup hears eccAfterProcess from G",
                   }));
    // A group takes its install files with it, and only those.
    delete g;
    EXPECT_EQ(owner->FindComponent("F"), nullptr);
    EXPECT_NE(owner->FindComponent("OfGroup"), nullptr);
}

TEST_F(PassTest, APassThatFinishesIsNotReportedAsAborted) {
    // The group's last helper is a sub-group, whose pass ends by setting the stop
    // request, and an earlier operation left the request set as well.
    TInstallFileGroup* g = Group("G");
    TInstallFileGroup* sub = Group("Sub");
    sub->SetContainer(g);
    File(sub, "F", "f.txt", "text");
    g->CompressFiles(false);
    std::vector<std::string> closed;
    for (TInstallFileGroup* x : {g, sub})
        x->OnCloseCopyFileDlg = [&](TInstallContainer* c, bool aborted) {
            closed.push_back(c->Name() + (aborted ? " aborted" : " done"));
        };
    ASSERT_TRUE(SharedCompress->Abort());
    g->Process();
    EXPECT_EQ(closed, (std::vector<std::string>{"Sub done", "G done"}));
    EXPECT_EQ(Read(Path("dest\\f.txt")), "text");
}

TEST_F(PassTest, ACancelDuringASmallFilesOnlyBlockStopsTheInstallation) {
    TInstallFileGroup* g = Group("G");
    File(g, "A", "a.txt", "small");
    File(g, "B", "b.txt", "small too");
    g->CompressFiles(false);
    g->OnStatus = [&](TInstallFile*, int, int) { SharedCompress->SetAbort(true); };
    bool aborted = false;
    g->OnCloseCopyFileDlg = [&](TInstallContainer*, bool wasAborted) { aborted = wasAborted; };
    EXPECT_THROW(g->Process(), EAIUserAbort);
    EXPECT_TRUE(aborted);
    EXPECT_FALSE(platform::FileExists(Path("dest\\b.txt")));
}

// An install file that tells which cursor the screen showed when its archive was read.
class TCursorProbe : public TInstallFile {
public:
    using TInstallFile::TInstallFile;
    void ReadArchiveInfo() override {
        seen = Screen->Cursor();
        TInstallFile::ReadArchiveInfo();
    }
    TCursor seen = crDefault;
};

TEST_F(PassTest, ReadingArchiveInformationShowsTheHourglassAndRestoresTheCursor) {
    InitApplication();
    TInstallFileGroup* g = Group("G", "missing.zrn");
    auto* probe = new TCursorProbe(owner);
    probe->SetIncludeFromDir(Path("src"));
    probe->SetFileName("f.txt");
    probe->SetContainer(g);
    Screen->SetCursor(crArrow);
    EXPECT_THROW(g->ReadArchiveInfo(), EZCCouldNotOpenCompressedFile);
    EXPECT_EQ(probe->seen, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crArrow);
    Screen->SetCursor(crDefault);
}

TEST_F(PassTest, AnInstalledFileIsRegisteredAfterItIsExtracted) {
    const char* const helpKey = "\\SOFTWARE\\Microsoft\\Windows\\Help";
    TInstallFileGroup* g = Group("G");
    TInstallFile* f = File(g, "Help", "readme.cnt", "contents");
    f->SetUpdateDLLCounter(true);
    g->CompressFiles(false);
    for (int i = 0; i < 3; ++i) g->Process();
    std::string helpDir;
    ReadRegString(4, helpKey, "README.CNT", helpDir, "");
    EXPECT_EQ(helpDir, Path("dest"));
    platform::KeyHandle key;
    ASSERT_EQ(platform::RegOpenKey(platform::HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                                   platform::KeyAllAccess, key.receive()),
              0);
    platform::DWORD count = 0;
    EXPECT_EQ(platform::RegGetDword(key.get(), Path("dest\\readme.cnt"), count), 0);
    EXPECT_EQ(count, 3u);

    // A repository that must register and cannot ends the installation after the file
    // was written and the counts were taken.
    f->Repository()->CBuilder()->SetRegisterIt(true);
    f->Repository()->CBuilder()->SetRaiseExceptionOnFailure(true);
    platform::DeleteFile(Path("dest\\readme.cnt"));
    std::string m = Message([&] { g->Process(); });
    EXPECT_EQ(m.rfind("Could find the object repository", 0), 0u) << m;
    EXPECT_TRUE(platform::FileExists(Path("dest\\readme.cnt")));
    EXPECT_EQ(f->State(), TInstallFileState::ifsNone);
    EXPECT_EQ(platform::RegGetDword(key.get(), Path("dest\\readme.cnt"), count), 0);
    EXPECT_EQ(count, 4u);

    platform::RegDeleteValue(key.get(), Path("dest\\readme.cnt"));
    platform::KeyHandle help;
    if (platform::RegOpenKey(platform::HKeyLocalMachine, std::string(helpKey).substr(1), platform::KeyAllAccess,
                             help.receive()) == 0)
        platform::RegDeleteValue(help.get(), "README.CNT");
}

// A form holding a product: a group with a plain file, a file with a version resource
// and a sub-group, its events bound to the form's handlers.
class TSetupForm : public TComponent {
    ZARN_CLASS(TSetupForm, TComponent)
public:
    using TComponent::TComponent;
    void GroupStatus(TInstallFile*, int, int totalPercent) {
        totals.push_back(totalPercent);
        if (cancelAt && int(totals.size()) == cancelAt) SharedCompress->SetAbort(true);
    }
    void ShowDialog(TInstallContainer* c) { log.push_back("show " + c->Name()); }
    void CloseDialog(TInstallContainer* c, bool wasAborted) {
        log.push_back("close " + c->Name() + (wasAborted ? " aborted" : " done"));
    }
    std::vector<int> totals;
    std::vector<std::string> log;
    int cancelAt = 0;
};
ZARN_DEFINE_CLASS(TSetupForm, TComponent, [](TClassBuilder<TSetupForm>& b) {
    b.Method("GroupStatus", &TSetupForm::GroupStatus)
        .Method("ShowDialog", &TSetupForm::ShowDialog)
        .Method("CloseDialog", &TSetupForm::CloseDialog);
})

TEST_F(PassTest, AProductInstallsThroughTheModelAlone) {
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP() << "no version images";
    Write(Path("src\\readme.txt"), "Read me first.\r\n");
    CopyImage("selfreg.dll", Path("src\\engine.dll"));        // version 4.0.0.950
    Write(Path("src\\tools\\editor.dat"), Noise(64 * 1024));  // sixteen blocks
    auto* form = new TSetupForm(owner);
    form->SetName("SetupForm");
    ReadComponentFromText(form,
                          "object SetupForm: TSetupForm\n"
                          "  object Product: TInstallFileGroup\n"
                          "    ArchiveFile = '" + Path("dist\\PRODUCT.ZRN") + "'\n"
                          "    OnCloseCopyFileDlg = CloseDialog\n"
                          "    OnShowCopyFileDlg = ShowDialog\n"
                          "    OnStatus = GroupStatus\n"
                          "    DestDir = '" + Path("Game") + "'\n"
                          "    GroupName = 'Skyreach'\n"
                          "  end\n"
                          "  object Tools: TInstallFileGroup\n"
                          "    Container = Product\n"
                          "    ArchiveFileType = ddContainerArchiveFile\n"
                          "    DestDir = '\\Tools'\n"
                          "    DestDirType = ddContainerDestDir\n"
                          "  end\n"
                          "  object ReadMe: TInstallFile\n"
                          "    Container = Product\n"
                          "    ArchiveFileType = ddContainerArchiveFile\n"
                          "    DestDirType = ddContainerDestDir\n"
                          "    DestName = 'README.TXT'\n"
                          "    FileName = 'readme.txt'\n"
                          "    IncludeFromDir = '" + Path("src") + "'\n"
                          "  end\n"
                          "  object Engine: TInstallFile\n"
                          "    Container = Product\n"
                          "    ArchiveFileType = ddContainerArchiveFile\n"
                          "    DestDirType = ddContainerDestDir\n"
                          "    DestName = 'ENGINE.DLL'\n"
                          "    FileName = 'engine.dll'\n"
                          "    IncludeFromDir = '" + Path("src") + "'\n"
                          "    OverwriteMode = owVersion\n"
                          "  end\n"
                          "  object Editor: TInstallFile\n"
                          "    Container = Tools\n"
                          "    ArchiveFileType = ddContainerArchiveFile\n"
                          "    DestDirType = ddContainerDestDir\n"
                          "    DestName = 'editor.dat'\n"
                          "    FileName = 'editor.dat'\n"
                          "    IncludeFromDir = '" + Path("src\\tools") + "'\n"
                          "  end\n"
                          "end\n",
                          "setup");
    auto* product = static_cast<TInstallFileGroup*>(form->FindComponent("Product"));
    product->CompressFiles(false);
    SharedCompress->SetCompressedFile(Path("dist\\PRODUCT.ZRN"));
    EXPECT_EQ(SharedCompress->FileCount(), 3);
    form->totals.clear();

    product->Process();
    EXPECT_EQ(Read(Path("Game\\README.TXT")), "Read me first.\r\n");
    EXPECT_TRUE(Read(Path("Game\\ENGINE.DLL")) == Read(VersionImage("selfreg.dll")));
    EXPECT_TRUE(Read(Path("Game\\Tools\\editor.dat")) == Noise(64 * 1024));
    EXPECT_EQ(form->log, (std::vector<std::string>{"show Product", "close Product done"}));
    ASSERT_FALSE(form->totals.empty());
    EXPECT_EQ(form->totals.back(), 100);
    EXPECT_TRUE(std::is_sorted(form->totals.begin(), form->totals.end())) << testing::PrintToString(form->totals);
    auto* engine = static_cast<TInstallFile*>(form->FindComponent("Engine"));
    EXPECT_EQ(engine->FileVersion(), "4.0.0.950");  // read from the archive

    // A newer library at the destination stays.
    CopyImage("twolang.dll", Path("Game\\ENGINE.DLL"));  // version 7.0.0.0
    Write(Path("Game\\README.TXT"), "changed");
    form->log.clear();
    product->Process();
    EXPECT_TRUE(Read(Path("Game\\ENGINE.DLL")) == Read(VersionImage("twolang.dll")));
    EXPECT_EQ(Read(Path("Game\\README.TXT")), "Read me first.\r\n");
    EXPECT_EQ(form->log.back(), "close Product done");

    // Cancel in the middle of the editor file.
    platform::DeleteFile(Path("Game\\Tools\\editor.dat"));
    form->log.clear();
    form->totals.clear();
    form->cancelAt = 2;
    EXPECT_THROW(product->Process(), EAIUserAbort);
    EXPECT_EQ(form->log, (std::vector<std::string>{"show Product", "close Product aborted"}));
    form->cancelAt = 0;
    form->log.clear();
    product->Process();
    EXPECT_TRUE(Read(Path("Game\\Tools\\editor.dat")) == Noise(64 * 1024));
    EXPECT_EQ(form->log.back(), "close Product done");
}

}  // namespace
