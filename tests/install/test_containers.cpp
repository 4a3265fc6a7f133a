// Install containers: the helper list and its order, circularity, processing, the
// notifications and the life cycle of containers and helpers.
#include <gtest/gtest.h>

#include "tests/install/fakes.h"
#include "tests/support/raised.h"

using namespace zarn::test;
using PS = TPathSpecifiers;
using IT = TInstallType;

namespace {

class ContainerTest : public InstallTest {
protected:
    TRecorder* Helper(const std::string& name, int rank = 0) { return new TRecorder(owner, &log, rank, name); }
    TInstallContainer* Container(const std::string& name) {
        auto* c = new TInstallContainer(owner);
        c->SetName(name);
        return c;
    }
    std::vector<std::string> log;
};

TEST_F(ContainerTest, HelpersKeepRankOrderAndRenumberEachRun) {
    TInstallContainer* c = Container("Box");
    Helper("Files", 2000)->SetContainer(c);
    Helper("Links", 7000)->SetContainer(c);
    Helper("Group", 1000)->SetContainer(c);
    Helper("File2", 2000)->SetContainer(c);
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"Group", "Files", "File2", "Links"}));
    EXPECT_EQ(HelperOrders(*c), (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(ContainerTest, WritingOrderMovesAHelperWithinItsRun) {
    TInstallContainer* c = Container("Box");
    TRecorder* h1 = Helper("H1");
    TRecorder* h2 = Helper("H2");
    TRecorder* h3 = Helper("H3");
    for (TRecorder* h : {h1, h2, h3}) h->SetContainer(c);
    h3->SetOrder(0);
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"H3", "H1", "H2"}));
    EXPECT_EQ(HelperOrders(*c), (std::vector<int>{0, 1, 2}));
    h1->SetOrder(5);
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"H3", "H2", "H1"}));
    EXPECT_EQ(h1->Order(), 2);

    TRecorder* loose = Helper("Loose");
    loose->SetOrder(3);
    EXPECT_EQ(loose->Order(), -1);
}

TEST_F(ContainerTest, AHelperNamedTInstallBDEGoesFirst) {
    struct TInstallBDE : TRecorder {
        using TRecorder::TRecorder;
        const TClassInfo& ClassType() const override {
            static const TClassInfo info = [] {
                TClassInfo i;
                i.name = "TInstallBDE";
                i.parent = &TRecorder::StaticClass();
                return i;
            }();
            return info;
        }
    };
    TInstallContainer* c = Container("Box");
    Helper("A", 1000)->SetContainer(c);
    (new TInstallBDE(owner, &log, 9999, "Bde"))->SetContainer(c);
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"Bde", "A"}));
}

TEST_F(ContainerTest, InstallTypesKeepAlwaysApart) {
    TRecorder* h = Helper("H");
    h->SetInstallTypes({});
    EXPECT_EQ(h->InstallTypes(), TInstallTypeSet{IT::itAlways});
    h->SetInstallTypes({IT::itFull, IT::itAlways});
    EXPECT_EQ(h->InstallTypes(), TInstallTypeSet{IT::itFull});
    h->SetInstallTypes({IT::itFull, IT::itAlways});
    EXPECT_EQ(h->InstallTypes(), TInstallTypeSet{IT::itAlways});
    h->SetInstallTypes({IT::itAlways});
    EXPECT_EQ(h->InstallTypes(), TInstallTypeSet{IT::itAlways});
    h->SetInstallTypes({IT::itCompact, IT::itDefault});
    EXPECT_EQ(h->InstallTypes(), (TInstallTypeSet{IT::itCompact, IT::itDefault}));
}

TEST_F(ContainerTest, CircularContainmentIsRefusedAndChangesNothing) {
    TRecorder* a = Helper("A");
    TRecorder* b = Helper("B");
    b->SetContainer(a);
    try {
        a->SetContainer(b);
        FAIL() << "no exception";
    } catch (const EAIICCircularInstallContainer& e) {
        EXPECT_EQ(e.Message(), "Circular reference: Tried to add: A to B");
    }
    EXPECT_EQ(a->Container(), nullptr);
    EXPECT_EQ(b->Container(), a);
    EXPECT_EQ(b->CompCount(), 0);

    try {
        a->AddComp(a);
        FAIL() << "no exception";
    } catch (const EAIICCircularInstallContainer& e) {
        EXPECT_EQ(e.Message(), "Circular reference");
    }
    try {
        a->AddComp(nullptr);
        FAIL() << "no exception";
    } catch (const EAIICAddingNilHelperComponent& e) {
        EXPECT_EQ(e.Message(), "Tried to add a NIL helper component to the following container: A");
        EXPECT_EQ(e.Container, a);
    }
}

TEST_F(ContainerTest, CompLookupsCountByClassAndReportBadCalls) {
    auto* c = new TFileContainer(owner);
    c->SetName("Box");
    Helper("R1")->SetContainer(c);
    auto* f = new TInstallFile(owner);
    f->SetName("F1");
    f->SetContainer(c);
    Helper("R2")->SetContainer(c);
    EXPECT_EQ(c->CompCountOf(TRecorder::StaticClass()), 2);
    EXPECT_EQ(c->CompCountOf(TFileRelated::StaticClass()), 3);
    EXPECT_EQ(c->Comp(1, TRecorder::StaticClass())->Name(), "R2");
    EXPECT_EQ(c->Comp(0, TInstallFile::StaticClass()), f);
    EXPECT_EQ(c->FileContainerCount(), 0);
    try {
        c->Comp(1, TInstallFile::StaticClass());
        FAIL() << "no exception";
    } catch (const EAIICBadCompCall& e) {
        EXPECT_EQ(e.Index, 1);
        EXPECT_EQ(e.CompClass, &TInstallFile::StaticClass());
        EXPECT_EQ(e.Message(),
                  "Bad call to the Comp procedure which returns a TBaseHelperComponent for a TInstallContainer "
                  "component. The parameters are probably reversed.");
    }
    EXPECT_THROW(c->Comp(-1, TRecorder::StaticClass()), EAIICBadCompCall);
    EXPECT_THROW(c->FileContainers(0), EAIICBadCompCall);
    try {
        c->Comps(-1);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Tried to reference a helper component in the following component: Box. The "
                               "following index was used: -1");
    }
    EXPECT_EQ(Message([&] { c->Comps(3); }), "Tried to reference a helper component in the following component: Box. "
                                             "The following index was used: 3");

    c->FreeCompsOf(TRecorder::StaticClass());
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"F1"}));

    auto* fc = new TInstallFileGroup(owner);
    fc->SetName("FC");
    fc->SetContainer(c);
    EXPECT_EQ(c->FileContainerCount(), 1);
    EXPECT_EQ(c->FileContainers(0), fc);
    EXPECT_THROW(c->FileContainers(1), EAIICBadCompCall);
}

TEST_F(ContainerTest, ContainsCompAndFreeCompsWalkTheWholeTree) {
    TInstallContainer* c = Container("Box");
    TRecorder* a = Helper("A");
    TRecorder* b = Helper("B");
    TRecorder* deep = Helper("Deep");
    a->SetContainer(c);
    b->SetContainer(a);
    deep->SetContainer(b);
    EXPECT_TRUE(c->ContainsComp(deep));
    EXPECT_TRUE(c->ContainsComp(a));
    EXPECT_FALSE(a->ContainsComp(c));
    c->FreeComps();
    EXPECT_EQ(c->CompCount(), 0);
    EXPECT_EQ(owner->ComponentCount(), 1);  // only the container is left
}

TEST_F(ContainerTest, ProcessRunsTheHelpersInListOrder) {
    TInstallContainer* c = Container("Box");
    Helper("Link", 8000)->SetContainer(c);
    Helper("File", 2000)->SetContainer(c);
    TRecorder* manual = Helper("Manual", 3000);
    manual->SetAutoProcess(false);
    manual->SetContainer(c);
    Helper("Group", 1000)->SetContainer(c);
    c->OnBeforeProcess = [&](TInstallContainer* x) { log.push_back("before " + x->Name()); };
    c->OnInstallTypeDialog = [&](TInstallContainer* x) { log.push_back("dialog " + x->Name()); };
    c->OnAfterProcess = [&](TInstallContainer* x) { log.push_back("after " + x->Name()); };
    c->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"before Box", "dialog Box", "Install Group", "Install File",
                                             "Install Link", "after Box"}));
    EXPECT_TRUE(c->Processed());
    EXPECT_FALSE(manual->Processed());
}

TEST_F(ContainerTest, ProcessStopsAtIncludeAndAtTheInstallationType) {
    TRecorder* h = Helper("H");
    h->OnBeforeProcess = [&](TInstallContainer*) { log.push_back("before"); };
    h->OnInstallTypeDialog = [&](TInstallContainer*) { log.push_back("dialog"); };
    h->OnAfterProcess = [&](TInstallContainer*) { log.push_back("after"); };
    h->SetInclude(false);
    h->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"before"}));

    log.clear();
    h->SetInclude(true);
    h->SetInstallTypes({IT::itCompact});
    h->SetCurrentInstallType(IT::itFull);
    h->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"before", "dialog"}));

    log.clear();
    h->SetCurrentInstallType(IT::itCustom);
    h->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"before", "dialog", "Install H", "after"}));
}

TEST_F(ContainerTest, ASilentAbortEndsOnlyTheProcessThatRaisedIt) {
    TInstallContainer* c = Container("Box");
    TRecorder* quiet = Helper("Quiet", 1000);
    quiet->onInstall = [] { Abort(); };
    quiet->OnAfterProcess = [&](TInstallContainer*) { log.push_back("after Quiet"); };
    quiet->SetContainer(c);
    Helper("Next", 2000)->SetContainer(c);
    c->OnAfterProcess = [&](TInstallContainer*) { log.push_back("after Box"); };
    EXPECT_NO_THROW(c->Process());
    EXPECT_EQ(log, (std::vector<std::string>{"Install Quiet", "Install Next", "after Box"}));
    EXPECT_FALSE(quiet->Processed());

    TRecorder* loud = Helper("Loud");
    loud->onInstall = [] { throw Exception("boom"); };
    EXPECT_THROW(loud->Process(), Exception);
}

TEST_F(ContainerTest, AHandlerThatRemovesHelpersMakesTheRunFailOnItsIndex) {
    TInstallContainer* c = Container("Box");
    TRecorder* first = Helper("First", 1000);
    first->SetContainer(c);
    TRecorder* second = Helper("Second", 2000);
    second->SetContainer(c);
    first->onInstall = [&] { second->SetContainer(nullptr); };
    EXPECT_EQ(Message([&] { c->Process(); }),
              "Tried to reference a helper component in the following component: Box. The following index was used: 1");
}

TEST_F(ContainerTest, UninstallInfoIsWrittenOnlyWithAMainInstallObject) {
    TRecorder* h = Helper("H");
    h->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"Install H"}));

    log.clear();
    auto* main = new TTestInstall(owner);
    MainInstall = main;
    h->Process();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Install H", "Uninstall H \\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo"}));
}

TEST_F(ContainerTest, NotificationsReachListenersOrTheEventTargetOnly) {
    TInstallContainer* c = Container("Box");
    TRecorder* listener = Helper("Ear", 9000);
    listener->SetAutoProcess(false);
    listener->SetContainer(c);
    TRecorder* plain = Helper("Plain", 1000);
    plain->SetContainer(c);
    c->Process();
    EXPECT_EQ(log, (std::vector<std::string>{"Ear hears eccBeforeProcess from Box", "Ear hears InstallTypeDialog from Box",
                                             "Install Plain", "Ear hears eccAfterProcess from Box"}));
    log.clear();
    c->SetEventTarget(plain);
    c->NotifyContainerEvent(c, "eccSelectFolder", nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"Plain hears eccSelectFolder from Box"}));
}

TEST_F(ContainerTest, DestroyingAContainerDetachesItsHelpers) {
    TInstallContainer* c = Container("Box");
    TRecorder* a = Helper("A");
    TRecorder* b = Helper("B");
    a->SetContainer(c);
    b->SetContainer(c);
    EXPECT_EQ(a->DestDirType(), PS::ddContainerDestDir);
    EXPECT_EQ(a->ArchiveFileType(), PS::ddContainerArchiveFile);
    a->SetDestDir("\\Sub");
    delete c;
    for (TRecorder* h : {a, b}) {
        EXPECT_EQ(h->Container(), nullptr);
        EXPECT_EQ(h->DestDirType(), PS::ddAbsolute);
        EXPECT_EQ(h->ArchiveFileType(), PS::ddAbsolute);
    }
    EXPECT_EQ(a->DestDir(), "\\Sub");

    // A destroyed helper leaves its container's list.
    TInstallContainer* d = Container("Other");
    b->SetContainer(d);
    delete b;
    EXPECT_EQ(d->CompCount(), 0);
}

TEST_F(ContainerTest, TheGlobalListFollowsCreationAndDestruction) {
    std::size_t before = InstallContainers->size();
    TInstallContainer* c = Container("Box");
    TRecorder* h = Helper("H");
    ASSERT_EQ(InstallContainers->size(), before + 2);
    EXPECT_EQ(InstallContainers->back(), h);
    delete c;
    EXPECT_EQ(InstallContainers->back(), h);
    EXPECT_EQ(InstallContainers->size(), before + 1);
}

TEST_F(ContainerTest, LoadingStoresWithoutChecksAndDetachesAnUnclaimedAutoAttachedHelper) {
    auto* main = new TTestInstall(owner);
    main->SetName("Main");
    MainInstall = main;
    TComponent* form = new TComponent(owner);
    form->SetDesigning(true);
    auto* attached = new TRecorder(form, &log, 0, "Attached");
    EXPECT_TRUE(attached->AutoAttached());
    EXPECT_EQ(attached->Container(), main);
    EXPECT_EQ(attached->DestDirType(), PS::ddContainerDestDir);
    EXPECT_EQ(attached->ArchiveFileType(), PS::ddContainerArchiveFile);
    EXPECT_EQ(HelperNames(*main), (std::vector<std::string>{"Attached"}));

    // Streamed without a container: detached after loading.
    attached->BeginLoading();
    attached->SetDestDirType(PS::ddLoading);  // stored unchecked while loading
    EXPECT_EQ(attached->DestDirType(), PS::ddLoading);
    attached->Loaded();
    EXPECT_EQ(attached->Container(), nullptr);
    EXPECT_FALSE(attached->AutoAttached());
    EXPECT_EQ(main->CompCount(), 0);

    // Streamed with a container: kept.
    auto* claimed = new TRecorder(form, &log, 0, "Claimed");
    claimed->BeginLoading();
    TInstallContainer* box = Container("Box");
    claimed->SetContainer(box);
    claimed->Loaded();
    EXPECT_EQ(claimed->Container(), box);
}

TEST_F(ContainerTest, LoadingContainersKeepStreamedOrders) {
    TInstallContainer* c = Container("Box");
    c->BeginLoading();
    TRecorder* a = Helper("A");
    TRecorder* b = Helper("B");
    a->BeginLoading();
    b->BeginLoading();
    a->SetOrder(4);
    b->SetOrder(1);
    a->SetContainer(c);
    b->SetContainer(c);
    EXPECT_EQ(HelperNames(*c), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(HelperOrders(*c), (std::vector<int>{1, 4}));
    c->Loaded();
    a->Loaded();
    b->Loaded();
}

}  // namespace
