// The uninstall records: the file log with its numbering, continuation keys and the end
// of the retries; the ActiveX list; the entry of the uninstall program.
#include <gtest/gtest.h>

#include <string>

#include "framework/classes.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"
#include "registration/routines_UninstallLog.h"

namespace {

class UninstallLog : public testing::Test {
protected:
    void TearDown() override {
        for (const char* sub : {"\\Files1", "\\Files", "\\ActiveX", ""})
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

TEST_F(UninstallLog, WithoutWriteAccessTheRetryEndsWithTheLastKeysError) {
    if (!platform::testenv::SetRegistryReadOnly(platform::HKeyLocalMachine, true))
        GTEST_SKIP() << "needs the host's registry switches";
    try {
        AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\a.exe"); });
        FAIL() << "no exception";
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(e.Message(), "Cannot install into registry. Key: " + key + "\\Files" +
                                   IntToStr(MaxUninstallLogKeys - 1) + " Ident: File1 Value C:\\Demo\\a.exe");
    }
    platform::testenv::SetRegistryReadOnly(platform::HKeyLocalMachine, false);
    EXPECT_FALSE(platform::RegKeyExists(platform::HKeyLocalMachine, key.substr(1)));
}

// An installation logs through one open key; what it writes must not differ, not even
// when the key goes while it is open.
TEST_F(UninstallLog, AnOpenSessionWritesWhatTheLongWayWrites) {
    TUninstallLogSession session(key);
    TUninstallLogSession inner(key);
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\a.exe"); });
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\b.dll"); });
    EXPECT_EQ(Read("\\Files", "File2"), "C:\\Demo\\b.dll");
    EXPECT_EQ(Read("\\Files", "Entries"), "2");
    WriteRegString(4, key + "\\Files", "Entries", "many");
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\c.hlp"); });
    EXPECT_EQ(Read("\\Files1", "File1"), "C:\\Demo\\c.hlp");
    EXPECT_EQ(Read("\\Files", "Entries"), "many");

    // The log deleted under the open key (an uninstall meanwhile): the next entry starts
    // a new log, twice over.
    for (const char* sub : {"\\Files1", "\\Files"}) platform::RegDeleteKey(platform::HKeyLocalMachine, (key + sub).substr(1));
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\d.txt"); });
    AppendUninstallFileLog(key, [] { return std::string("C:\\Demo\\e.txt"); });
    EXPECT_EQ(Read("\\Files", "File1"), "C:\\Demo\\d.txt");
    EXPECT_EQ(Read("\\Files", "File2"), "C:\\Demo\\e.txt");
    EXPECT_EQ(Read("\\Files", "Entries"), "2");

    int attempts = 0;
    EXPECT_THROW(AppendUninstallFileLog(key, [&]() -> std::string {
                     ++attempts;
                     throw Exception("no path");
                 }),
                 Exception);
    EXPECT_EQ(attempts, MaxUninstallLogKeys);
}

TEST_F(UninstallLog, ActiveXListMarksTheStyleAndHasNoContinuation) {
    AppendUninstallActiveXList(key, "C:\\Demo\\server.dll", false);
    AppendUninstallActiveXList(key, "C:\\Demo\\both.exe", true);
    EXPECT_EQ(Read("\\ActiveX", "File1"), "C:\\Demo\\server.dll;0");
    EXPECT_EQ(Read("\\ActiveX", "File2"), "C:\\Demo\\both.exe;1");
    EXPECT_EQ(Read("\\ActiveX", "Entries"), "2");
    EXPECT_EQ(Read("\\Files", "Entries"), "<none>");

    // A count that is not a number ends the write instead of moving on.
    WriteRegString(4, key + "\\ActiveX", "Entries", "many");
    EXPECT_THROW(AppendUninstallActiveXList(key, "C:\\Demo\\c.ocx", false), EConvertError);
    EXPECT_FALSE(platform::RegKeyExists(platform::HKeyLocalMachine, (key + "\\ActiveX1").substr(1)));
    EXPECT_EQ(Read("\\ActiveX", "File3"), "<none>");
}

TEST_F(UninstallLog, UninstallProgramEntryQuotesOnlyAPathWithBlanks) {
    WriteUninstallProgramEntry(key, "Demo", "C:\\Demo\\UNINST.EXE");
    EXPECT_EQ(Read("", "DisplayName"), "Demo");
    EXPECT_EQ(Read("", "UninstallString"), "C:\\Demo\\UNINST.EXE Demo");
    // A path with a blank is quoted: unquoted, Windows would first try C:\Program.exe.
    WriteUninstallProgramEntry(key, "Demo Two", "C:\\Program Files\\Demo\\UNINST.EXE");
    EXPECT_EQ(Read("", "UninstallString"), "\"C:\\Program Files\\Demo\\UNINST.EXE\" Demo Two");
    EXPECT_EQ(Read("", "QuietUninstallString"), "\"C:\\Program Files\\Demo\\UNINST.EXE\" Demo Two /S");
}

}  // namespace
