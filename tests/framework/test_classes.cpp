// Components, persistent objects, string lists and the formatting helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/graphics.h"
#include "framework/streams.h"
#include "platform/files.h"

namespace {

// Records what it is told and when it dies.
class TWatcher : public TComponent {
public:
    TWatcher(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
    ~TWatcher() override { log_->push_back("free " + Name()); }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        log_->push_back(Name() + (op == TOperation::opInsert ? " +" : " -") + c->Name());
        if (op == TOperation::opRemove && c == watched) watched = nullptr;
    }
    TComponent* watched = nullptr;

private:
    std::vector<std::string>* log_;
};

TEST(Component, OwnerFreesItsComponentsLastFirst) {
    std::vector<std::string> log;
    auto* owner = new TWatcher(nullptr, &log);
    owner->SetName("Owner");
    auto* a = new TWatcher(owner, &log);
    a->SetName("A");
    auto* b = new TWatcher(owner, &log);
    b->SetName("B");
    auto* grandchild = new TWatcher(a, &log);
    grandchild->SetName("G");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("b"), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(grandchild->Owner(), a);
    log.clear();
    delete owner;
    // B goes first; A's own G goes while A is being destroyed.
    std::vector<std::string> frees;
    for (auto& l : log)
        if (l.rfind("free ", 0) == 0) frees.push_back(l);
    EXPECT_EQ(frees, (std::vector<std::string>{"free Owner", "free B", "free A", "free G"}));
}

TEST(Component, InsertAndRemoveAreAnnouncedToOwnerAndSiblings) {
    std::vector<std::string> log;
    TWatcher owner(nullptr, &log);
    owner.SetName("O");
    auto* a = new TWatcher(&owner, &log);
    a->SetName("A");
    log.clear();
    TWatcher* b = new TWatcher(&owner, &log);  // still unnamed when announced
    EXPECT_EQ(log, (std::vector<std::string>{"A +", "O +"}));
    b->SetName("B");
    log.clear();
    owner.RemoveComponent(a);
    EXPECT_EQ(a->Owner(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"O -A", "B -A"}));
    delete a;
}

TEST(Component, FreeNotificationReachesNonOwners) {
    std::vector<std::string> log;
    TWatcher watcher(nullptr, &log);
    watcher.SetName("W");
    auto* target = new TWatcher(nullptr, &log);
    target->SetName("T");
    watcher.watched = target;
    target->FreeNotification(&watcher);
    delete target;
    EXPECT_EQ(watcher.watched, nullptr);
    // After RemoveFreeNotification nothing is said.
    auto* other = new TWatcher(nullptr, &log);
    other->FreeNotification(&watcher);
    other->RemoveFreeNotification(&watcher);
    watcher.watched = other;
    delete other;
    EXPECT_EQ(watcher.watched, other);
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Button1");
    EXPECT_THROW(b->SetName("BUTTON1"), EComponentError);
    EXPECT_THROW(b->SetName("1st"), EComponentError);
    EXPECT_THROW(b->SetName("a b"), EComponentError);
    b->SetName("_ok2");
    a->SetName("");
    b->SetName("Button1");  // free again
    EXPECT_EQ(owner.FindComponent("button1"), b);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_THROW(owner.Components(2), EListError);
}

TEST(Component, LoadingAndDesigningStates) {
    TComponent owner(nullptr);
    auto* c = new TComponent(&owner);
    c->BeginLoading();
    EXPECT_TRUE(c->IsLoading());
    c->Loaded();
    EXPECT_FALSE(c->IsLoading());
    owner.SetDesigning(true);
    EXPECT_TRUE(c->IsDesigning());
    auto* later = new TComponent(&owner);
    EXPECT_TRUE(later->IsDesigning());
    owner.SetDesigning(false);
    EXPECT_FALSE(c->IsDesigning());
}

TEST(Persistent, AssignWithoutSupportIsAConversionError) {
    TFont font;
    TStringList list;
    try {
        font.Assign(&list);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TFont");
    }
    try {
        list.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
    }
}

TEST(Helpers, Format) {
    EXPECT_EQ(Format("%s has %d files (%x) 100%%", {std::string("Disk"), 12LL, 255LL}), "Disk has 12 files (FF) 100%");
    EXPECT_EQ(Format("[%5d|%-4s|%3s]", {42LL, std::string("ab"), std::string("long")}), "[   42|ab  |long]");
    EXPECT_EQ(Format("%u", {-1LL}), "4294967295");
    EXPECT_EQ(Format("%x", {-1LL}), "FFFFFFFF");
    EXPECT_THROW(Format("%d", {std::string("x")}), EConvertError);
    EXPECT_THROW(Format("%s %s", {std::string("one")}), EConvertError);
    EXPECT_THROW(Format("%q", {1LL}), EConvertError);
}

TEST(Helpers, InOutErrorCarriesTheLastErrorCode) {
    platform::SetLastError(platform::err::DiskFull);
    try {
        RaiseLastInOutError();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "I/O error 112");
        EXPECT_EQ(e.ErrorCode, 112u);
    }
}

TEST(Helpers, TryStrToInt) {
    long long v = 0;
    EXPECT_TRUE(TryStrToInt("  -42", v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(TryStrToInt("$ff", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, -2147483648LL);
    EXPECT_TRUE(TryStrToInt("+7", v));
    EXPECT_EQ(v, 7);
    v = 99;
    for (const char* bad : {"", " ", "-", "$", "12 ", "1e3", "2147483648", "$100000000", "0x", "abc"}) {
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(v, 99) << bad;
    }
    EXPECT_THROW(StrToInt("x1"), EConvertError);
}

TEST(Font, SizeAndHeightAreTiedByPixelsPerInch) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -16);
    f.SetHeight(-15);
    EXPECT_EQ(f.Size(), 11);
    f.SetHeight(16);  // a cell height gives a negative size
    EXPECT_EQ(f.Size(), -12);
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetName("Arial");
    f.SetName("Arial");
    f.SetName("");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.Name(), "Arial");
    TFont g;
    g.Assign(&f);
    EXPECT_TRUE(g == f);
}

// ---------------------------------------------------------------------------------------
// String lists

std::vector<std::string> V(const TStrings& s) { return s.ToVector(); }

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
    TStringList l;
    l.Add("pear");
    l.Add("Apple");
    l.Add("fig");
    l.SetSorted(true);
    EXPECT_EQ(V(l), (std::vector<std::string>{"Apple", "fig", "pear"}));
    EXPECT_EQ(l.Add("banana"), 1);
    EXPECT_EQ(l.Add("APPLE"), 0);  // ignored duplicate: index of the existing line
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.IndexOf("PEAR"), 3);
    EXPECT_THROW(l.Insert(0, "x"), EStringListError);
    EXPECT_THROW(l.Put(0, "x"), EStringListError);
    l.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(l.Add("fig"), EStringListError);
    l.SetDuplicates(TDuplicates::dupAccept);
    l.Add("fig");
    EXPECT_EQ(V(l), (std::vector<std::string>{"Apple", "banana", "fig", "fig", "pear"}));
    int index = -1;
    EXPECT_FALSE(l.Find("cherry", index));
    EXPECT_EQ(index, 2);
    l.SetCaseSensitive(true);
    l.Add("Zed");
    EXPECT_EQ(l.Strings(0), "Apple");
    EXPECT_EQ(l.Strings(1), "Zed");  // upper case sorts first when case matters
}

TEST(StringList, ObjectsTravelWithTheirLines) {
    TStringList l;
    TStringList o1, o2;
    l.AddObject("a", &o1);
    l.Add("b");
    l.AddObject("c", &o2);
    l.Move(0, 2);
    EXPECT_EQ(V(l), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(l.Objects(2), &o1);
    l.Exchange(0, 1);
    EXPECT_EQ(V(l), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(l.Objects(0), &o2);
    EXPECT_EQ(l.Objects(1), nullptr);
    EXPECT_EQ(l.IndexOfObject(&o1), 2);
    TStringList copy;
    copy.Assign(&l);
    EXPECT_EQ(copy.Objects(0), &o2);
    EXPECT_THROW(l.Get(3), EStringListError);
    EXPECT_THROW(l.Delete(-1), EStringListError);
    EXPECT_THROW(l.Exchange(0, 5), EStringListError);
}

TEST(StringList, OwnedObjectsAreFreedWithTheirLines) {
    int live = 0;
    struct Counted : TObject {
        int* n;
        explicit Counted(int* c) : n(c) { ++*n; }
        ~Counted() override { --*n; }
    };
    {
        TStringList l;
        l.SetOwnsObjects(true);
        l.AddObject("a", new Counted(&live));
        l.AddObject("b", new Counted(&live));
        l.AddObject("c", new Counted(&live));
        l.Delete(0);
        EXPECT_EQ(live, 2);
        l.Clear();
        EXPECT_EQ(live, 0);
        l.AddObject("d", new Counted(&live));
    }
    EXPECT_EQ(live, 0);
}

TEST(StringList, SetTextSplitsAtEveryLineEnd) {
    TStringList l;
    l.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
    EXPECT_EQ(V(l), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
    EXPECT_EQ(l.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
    l.SetText("only\r\n");
    EXPECT_EQ(V(l), std::vector<std::string>{"only"});
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, ChangeEventsAreBatchedByUpdates) {
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.Add("a");
    EXPECT_EQ(changes, 1);
    l.SetText("x\ny\nz");
    EXPECT_EQ(changes, 2);
    l.BeginUpdate();
    l.Add("1");
    l.Delete(0);
    EXPECT_EQ(changes, 2);
    l.EndUpdate();
    EXPECT_EQ(changes, 3);
}

// A subclass that sees every line arrive, whichever operation brings it.
class TRecordingList : public TStringList {
public:
    // Add and the list operations all arrive here.
    int AddObject(const std::string& s, TObject* o) override {
        seen.push_back(s);
        return TStringList::AddObject(s, o);
    }
    void Clear() override {
        seen.push_back("<clear>");
        TStringList::Clear();
    }
    std::vector<std::string> seen;
};

TEST(StringList, OperationsGoThroughTheVirtualOnes) {
    TRecordingList l;
    l.SetText("a\nb");
    TStringList other;
    other.Add("c");
    l.AddStrings(&other);
    l.Assign(&other);
    EXPECT_EQ(l.seen, (std::vector<std::string>{"<clear>", "a", "b", "c", "<clear>", "c"}));
}

TEST(StringList, SaveAndLoadFiles) {
    std::string path = platform::GetTempPath() + "lines.txt";
    TStringList l;
    l.Add("first");
    l.Add("");
    l.Add("third");
    l.SaveToFile(path);
    TStringList back;
    back.Add("old");
    back.LoadFromFile(path);
    EXPECT_EQ(V(back), V(l));
    {
        TFileStream f(path, fmOpenRead);
        EXPECT_EQ(f.Size(), 16);
    }
    ASSERT_TRUE(platform::DeleteFile(path));
    EXPECT_THROW(back.LoadFromFile(path), EFOpenError);
    EXPECT_EQ(V(back), V(l));  // a failed load changes nothing
}

}  // namespace
