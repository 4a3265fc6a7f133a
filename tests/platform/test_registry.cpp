// Registry keys and values: the same expectations hold for the host Windows and Win32.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/system.h"

using namespace platform;

namespace {

class Registry : public testing::Test {
protected:
    void SetUp() override {
        static unsigned counter = 0;
        name_ = "Software\\ZarnPlatformTest" + std::to_string(GetTickCount() % 100000) + "_" +
                std::to_string(++counter);
    }
    void TearDown() override { DeleteTree(HKeyCurrentUser, name_); }

    static void DeleteTree(HKEY root, const std::string& path) {
        HKEY k;
        if (RegOpenKey(root, path, KeyAllAccess, k) != 0) return;
        std::string sub;
        std::vector<std::string> subs;
        for (DWORD i = 0; RegEnumKey(k, i, sub) == 0; ++i) subs.push_back(sub);
        RegCloseKey(k);
        for (auto& s : subs) DeleteTree(root, path + "\\" + s);
        RegDeleteKey(root, path);
    }

    std::string name_;
};

TEST_F(Registry, CreateOpenAndCaseInsensitiveNames) {
    HKEY k;
    bool created = false;
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, name_ + "\\Inner\\Deep", k, &created), 0);
    EXPECT_TRUE(created);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, name_ + "\\INNER\\deep", k, &created), 0);
    EXPECT_FALSE(created);
    ASSERT_EQ(RegSetString(k, "Value", "x"), 0);
    RegCloseKey(k);
    EXPECT_TRUE(RegKeyExists(HKeyCurrentUser, name_ + "\\inner"));
    EXPECT_FALSE(RegKeyExists(HKeyCurrentUser, name_ + "\\Other"));

    ASSERT_EQ(RegOpenKey(HKeyCurrentUser, name_, KeyRead, k), 0);
    std::string sub;
    ASSERT_EQ(RegEnumKey(k, 0, sub), 0);
    EXPECT_EQ(sub, "Inner");  // the case it was created with
    EXPECT_EQ(RegEnumKey(k, 1, sub), LONG(err::NoMoreItems));
    RegCloseKey(k);

    EXPECT_EQ(RegOpenKey(HKeyCurrentUser, name_ + "\\Missing", KeyRead, k), LONG(err::FileNotFound));
    // A key with sub keys is not deleted.
    EXPECT_EQ(RegDeleteKey(HKeyCurrentUser, name_ + "\\Inner"), LONG(err::AccessDenied));
    EXPECT_EQ(RegDeleteKey(HKeyCurrentUser, name_ + "\\Inner\\Deep"), 0);
    EXPECT_FALSE(RegKeyExists(HKeyCurrentUser, name_ + "\\Inner\\Deep"));
}

TEST_F(Registry, ValuesOfEveryTypeReadBack) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, name_, k), 0);
    ASSERT_EQ(RegSetString(k, "Text", "C:\\Program Files\\\"quoted\""), 0);
    ASSERT_EQ(RegSetString(k, "", "default"), 0);
    ASSERT_EQ(RegSetDword(k, "Number", 0xDEADBEEF), 0);
    ASSERT_EQ(RegSetMultiString(k, "List", {"one", "two", "three"}), 0);
    const BYTE bin[] = {0, 1, 2, 0xFF};
    ASSERT_EQ(RegSetValue(k, "Bytes", RegBinary, bin, 4), 0);
    const char expand[] = "%SystemRoot%\\x";
    ASSERT_EQ(RegSetValue(k, "Expand", RegExpandSz, expand, sizeof expand), 0);

    std::string s;
    EXPECT_EQ(RegGetString(k, "text", s), 0);
    EXPECT_EQ(s, "C:\\Program Files\\\"quoted\"");
    EXPECT_EQ(RegGetString(k, "", s), 0);
    EXPECT_EQ(s, "default");
    EXPECT_EQ(RegGetString(k, "Expand", s), 0);
    EXPECT_EQ(s, "%SystemRoot%\\x");
    DWORD n = 0;
    EXPECT_EQ(RegGetDword(k, "NUMBER", n), 0);
    EXPECT_EQ(n, 0xDEADBEEFu);
    std::vector<std::string> list;
    EXPECT_EQ(RegGetMultiString(k, "List", list), 0);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "two", "three"}));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(RegQueryValue(k, "Bytes", type, data), 0);
    EXPECT_EQ(type, RegBinary);
    EXPECT_EQ(data, (std::vector<BYTE>{0, 1, 2, 0xFF}));
    ASSERT_EQ(RegQueryValue(k, "Text", type, data), 0);
    EXPECT_EQ(type, RegSz);
    EXPECT_EQ(data.back(), 0);  // stored with its terminating zero

    EXPECT_EQ(RegGetString(k, "Number", s), LONG(err::DatatypeMismatch));
    EXPECT_EQ(RegGetDword(k, "Text", n), LONG(err::DatatypeMismatch));
    EXPECT_EQ(RegGetString(k, "Absent", s), LONG(err::FileNotFound));
    EXPECT_TRUE(RegValueExists(k, "bytes"));

    // Replacing a value may change its type.
    ASSERT_EQ(RegSetDword(k, "Text", 7), 0);
    EXPECT_EQ(RegGetDword(k, "Text", n), 0);
    EXPECT_EQ(n, 7u);
    ASSERT_EQ(RegDeleteValue(k, "TEXT"), 0);
    EXPECT_FALSE(RegValueExists(k, "Text"));
    EXPECT_EQ(RegDeleteValue(k, "Text"), LONG(err::FileNotFound));
    RegCloseKey(k);
}

TEST_F(Registry, EnumeratesValueNames) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, name_, k), 0);
    RegSetDword(k, "First", 1);
    RegSetDword(k, "Second", 2);
    std::vector<std::string> names;
    std::string n;
    for (DWORD i = 0; RegEnumValue(k, i, n) == 0; ++i) names.push_back(n);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(RegEnumValue(k, 2, n), LONG(err::NoMoreItems));
    RegCloseKey(k);
}

TEST_F(Registry, ReadOnlyHandleRefusesWrites) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, name_, k), 0);
    RegCloseKey(k);
    ASSERT_EQ(RegOpenKey(HKeyCurrentUser, name_, KeyRead, k), 0);
    EXPECT_EQ(RegSetDword(k, "x", 1), LONG(err::AccessDenied));
    RegCloseKey(k);
}

}  // namespace
