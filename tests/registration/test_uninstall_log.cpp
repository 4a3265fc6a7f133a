// The uninstall file log: numbering, continuation keys and the end of the retries.
#include <gtest/gtest.h>

#include <string>

#include "framework/classes.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "registration/routines_RegistryWriter.h"
#include "registration/routines_UninstallLog.h"

namespace {

class UninstallLog : public testing::Test {
protected:
    void TearDown() override {
        for (const char* sub : {"\\Files1", "\\Files", ""})
            platform::RegDeleteKey(platform::HKeyLocalMachine, (key + sub).substr(1));
    }
    std::string Read(const std::string& sub, const std::string& value) {
        std::string v;
        ReadRegString(4, key + sub, value, v, "<none>");
        return v;
    }
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarnLogTest" +
                            IntToStr(platform::GetTickCount());
};

TEST_F(UninstallLog, EntriesAreNumberedAndABadCountMovesOnToTheNextKey) {
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\a.exe"); });
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\b.dll"); });
    EXPECT_EQ(Read("\\Files", "File1"), "C:\\Demo\\a.exe");
    EXPECT_EQ(Read("\\Files", "File2"), "C:\\Demo\\b.dll");
    EXPECT_EQ(Read("\\Files", "Entries"), "2");

    // A count that is not a number: the entry goes to Files1, which counts from 0, and
    // Files stays as it was.
    WriteRegString(4, key + "\\Files", "Entries", "many");
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\c.hlp"); });
    EXPECT_EQ(Read("\\Files1", "File1"), "C:\\Demo\\c.hlp");
    EXPECT_EQ(Read("\\Files1", "Entries"), "1");
    EXPECT_EQ(Read("\\Files", "Entries"), "many");
    EXPECT_EQ(Read("\\Files", "File3"), "<none>");
}

TEST_F(UninstallLog, APathThatNeverResolvesEndsWithItsErrorAfterTheLastKey) {
    int attempts = 0;
    try {
        AppendUninstallFileLog(key, [&]() -> std::string {
            ++attempts;
            throw Exception("no path " + IntToStr(attempts));
        });
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "no path " + IntToStr(MaxUninstallLogKeys));
    }
    EXPECT_EQ(attempts, MaxUninstallLogKeys);
    EXPECT_EQ(Read("\\Files", "Entries"), "<none>");
}

}  // namespace
