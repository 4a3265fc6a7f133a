// The registry writer against the registry of the build: the host's own Windows, or the
// real one under Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"

namespace {

using namespace platform;

void DeleteTree(HKEY root, const std::string& sub) {
    std::vector<std::string> children;
    {
        KeyHandle k;
        if (RegOpenKey(root, sub, KeyRead, k.receive()) != 0) return;
        std::string child;
        for (DWORD i = 0; RegEnumKey(k.get(), i, child) == 0; ++i) children.push_back(child);
    }
    for (const auto& c : children) DeleteTree(root, sub + "\\" + c);
    RegDeleteKey(root, sub);
}

// Each test works below its own key, removed again afterwards (under Wine the registry
// outlives the test).
class RegistryWriter : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        base_ = std::string("SOFTWARE\\ZarnTests\\") + info->name();
        Clean();
    }
    void TearDown() override {
        if (testenv::Available()) testenv::SetRegistryReadOnly(HKeyLocalMachine, false);
        Clean();
    }
    void Clean() {
        DeleteTree(HKeyLocalMachine, base_);
        DeleteTree(HKeyCurrentUser, base_);
    }
    // The key as the writer takes it: from the root, with a leading backslash.
    std::string Key(const std::string& rest = "") const {
        return "\\" + base_ + (rest.empty() ? "" : "\\" + rest);
    }
    std::string Stored(HKEY root, const std::string& sub, const std::string& name) {
        KeyHandle k;
        if (RegOpenKey(root, base_ + (sub.empty() ? "" : "\\" + sub), KeyRead, k.receive()) != 0)
            return "<no key>";
        std::string v;
        return RegGetString(k.get(), name, v) == 0 ? v : "<no value>";
    }

    std::string base_;
};

TEST_F(RegistryWriter, CreatesMissingKeysAndAnEmptyStringValue) {
    ASSERT_FALSE(RegKeyExists(HKeyLocalMachine, base_));
    WriteRegString(4, Key("New\\Deeper"), "Empty", "");

    KeyHandle k;
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, base_ + "\\New\\Deeper", KeyRead, k.receive()), 0);
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_EQ(RegQueryValue(k.get(), "Empty", type, data), 0);
    EXPECT_EQ(type, RegSz);
    EXPECT_EQ(data, std::vector<BYTE>{0});

    std::string v = "stale";
    ReadRegString(4, Key("New\\Deeper"), "Empty", v, "default");
    EXPECT_EQ(v, "");
}

TEST_F(RegistryWriter, OverwritesAndReadsBack) {
    WriteRegString(2, Key(), "Path", "C:\\First");
    WriteRegString(2, Key(), "Path", "C:\\Program Files\\Second 100%");
    EXPECT_EQ(Stored(HKeyCurrentUser, "", "Path"), "C:\\Program Files\\Second 100%");
    std::string v;
    ReadRegString(2, Key(), "Path", v, "");
    EXPECT_EQ(v, "C:\\Program Files\\Second 100%");
    // The default value of a key has the empty name.
    WriteRegString(2, Key(), "", "unnamed");
    ReadRegString(2, Key(), "", v, "");
    EXPECT_EQ(v, "unnamed");
}

TEST_F(RegistryWriter, RootIndexUsesOnlyItsLowSevenBits) {
    WriteRegString(7, Key(), "Seven", "user");
    EXPECT_EQ(Stored(HKeyCurrentUser, "", "Seven"), "user");
    EXPECT_EQ(Stored(HKeyLocalMachine, "", "Seven"), "<no key>");

    WriteRegString(132, Key(), "Hundred32", "machine");
    EXPECT_EQ(Stored(HKeyLocalMachine, "", "Hundred32"), "machine");
    EXPECT_EQ(Stored(HKeyCurrentUser, "", "Hundred32"), "<no value>");

    std::string v;
    ReadRegString(7, Key(), "Seven", v, "none");
    EXPECT_EQ(v, "user");
    ReadRegString(132, Key(), "Hundred32", v, "none");
    EXPECT_EQ(v, "machine");
    ReadRegString(2 | 0x80, Key(), "Seven", v, "none");
    EXPECT_EQ(v, "user");
}

TEST(RegistryRoots, IndexTable) {
    EXPECT_EQ(RegistryRootFromIndex(0), HKeyClassesRoot);
    EXPECT_EQ(RegistryRootFromIndex(1), HKeyCurrentConfig);
    EXPECT_EQ(RegistryRootFromIndex(2), HKeyCurrentUser);
    EXPECT_EQ(RegistryRootFromIndex(3), HKeyDynData);
    EXPECT_EQ(RegistryRootFromIndex(4), HKeyLocalMachine);
    EXPECT_EQ(RegistryRootFromIndex(5), HKeyUsers);
    EXPECT_EQ(RegistryRootFromIndex(6), HKeyCurrentUser);
    EXPECT_EQ(RegistryRootFromIndex(127), HKeyCurrentUser);
    EXPECT_EQ(RegistryRootFromIndex(128), HKeyClassesRoot);
    EXPECT_EQ(RegistryRootFromIndex(133), HKeyUsers);
    EXPECT_EQ(RegistryRootFromIndex(255), HKeyCurrentUser);
}

TEST_F(RegistryWriter, MissingKeyOrValueGivesTheDefaultAndCreatesNothing) {
    std::string v = "stale";
    ReadRegString(4, Key("Nowhere"), "Ident", v, "fallback");
    EXPECT_EQ(v, "fallback");
    EXPECT_FALSE(RegKeyExists(HKeyLocalMachine, base_ + "\\Nowhere"));
    EXPECT_FALSE(RegKeyExists(HKeyLocalMachine, base_));

    WriteRegString(4, Key(), "Other", "x");
    ReadRegString(4, Key(), "Ident", v, "fallback");
    EXPECT_EQ(v, "fallback");
}

TEST_F(RegistryWriter, NonStringValuesGiveTheDefault) {
    {
        KeyHandle k;
        ASSERT_EQ(RegCreateKey(HKeyLocalMachine, base_, k.receive()), 0);
        ASSERT_EQ(RegSetDword(k.get(), "Number", 42), 0);
        ASSERT_EQ(RegSetMultiString(k.get(), "List", {"a", "b"}), 0);
        const char expand[] = "%SystemRoot%\\x";
        ASSERT_EQ(RegSetValue(k.get(), "Expand", RegExpandSz, expand, sizeof expand), 0);
    }

    std::string v;
    ReadRegString(4, Key(), "Number", v, "def");
    EXPECT_EQ(v, "def");
    ReadRegString(4, Key(), "List", v, "def");
    EXPECT_EQ(v, "def");
    // An expandable string is a string: read as it is stored, unexpanded.
    ReadRegString(4, Key(), "Expand", v, "def");
    EXPECT_EQ(v, "%SystemRoot%\\x");
}

TEST_F(RegistryWriter, ResultMayShareItsStringWithTheArguments) {
    WriteRegString(2, Key(), "Name", "stored");
    std::string s = "unused";
    ReadRegString(2, Key(), "Name", s, s);
    EXPECT_EQ(s, "stored");

    std::string key = Key();
    ReadRegString(2, key, "Name", key, "def");
    EXPECT_EQ(key, "stored");

    std::string def = "keep";
    ReadRegString(2, Key(), "Missing", def, def);
    EXPECT_EQ(def, "keep");
}

TEST_F(RegistryWriter, RefusedWriteRaisesWithKeyIdentAndValue) {
    if (!testenv::Available()) GTEST_SKIP() << "needs a registry root that refuses writes";
    WriteRegString(4, Key("Existing"), "Kept", "before");
    ASSERT_TRUE(testenv::SetRegistryReadOnly(HKeyLocalMachine, true));

    try {
        WriteRegString(4, Key("Fresh"), "Ident", "Data 1");
        FAIL() << "no exception";
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(e.Message(), "Cannot install into registry. Key: " + Key("Fresh") +
                                   " Ident: Ident Value Data 1");
    }
    // An existing key that opens but refuses the value.
    try {
        WriteRegString(132, Key("Existing"), "Kept", "after");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot install into registry. Key: " + Key("Existing") +
                                   " Ident: Kept Value after");
    }
    // Nothing changed, and reads still work on a root that refuses writes.
    std::string v;
    ReadRegString(4, Key("Existing"), "Kept", v, "");
    EXPECT_EQ(v, "before");
    EXPECT_FALSE(RegKeyExists(HKeyLocalMachine, base_ + "\\Fresh"));
}

}  // namespace
