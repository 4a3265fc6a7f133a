// The host registry's REGEDIT4 files: round trips, broken files and interrupted saves.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host/hostenv.h"
#include "platform/registry.h"
#include "platform/testenv.h"

namespace fs = std::filesystem;
using namespace platform;
namespace te = platform::testenv;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string MachineFile() { return te::Root() + "/zarn-machine.reg"; }
std::string UserFile() { return te::Root() + "/zarn-user.reg"; }

class RegFile : public testing::Test {
protected:
    void TearDown() override { host::SetRegistrySaveHook(nullptr); }
};

TEST_F(RegFile, EveryTypeAndEscapeSurvivesARoundTrip) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Zarn Test\\Mixed Case", k), 0);
    const std::string tricky = "C:\\Path\\with \"quotes\" and ; = [brackets]";
    ASSERT_EQ(RegSetString(k, "Text", tricky), 0);
    ASSERT_EQ(RegSetString(k, "", "the default"), 0);
    ASSERT_EQ(RegSetString(k, "Name \"with\" \\quotes", "v"), 0);
    ASSERT_EQ(RegSetString(k, "Empty", ""), 0);
    ASSERT_EQ(RegSetString(k, "Accents", "\xC0 la fa\xE7on"), 0);
    ASSERT_EQ(RegSetDword(k, "Dword", 0x0102ABCD), 0);
    ASSERT_EQ(RegSetMultiString(k, "Multi", {"first", "", "third"}), 0);  // "" ends a list
    ASSERT_EQ(RegSetMultiString(k, "Multi2", {"a", "b c"}), 0);
    const char expand[] = "%SystemRoot%\\system32";
    ASSERT_EQ(RegSetValue(k, "Expand", RegExpandSz, expand, sizeof expand), 0);
    std::vector<BYTE> big(100);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = BYTE(i * 7);
    ASSERT_EQ(RegSetValue(k, "Binary", RegBinary, big.data(), DWORD(big.size())), 0);
    const char lines[] = "two\r\nlines";
    ASSERT_EQ(RegSetValue(k, "Lines", RegSz, lines, sizeof lines), 0);
    const BYTE odd[] = {1, 2, 3};
    ASSERT_EQ(RegSetValue(k, "ShortDword", RegDword, odd, 3), 0);
    ASSERT_EQ(RegSetValue(k, "None", RegNone, nullptr, 0), 0);
    RegCloseKey(k);
    HKEY e;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Zarn Test\\Empty Key", e), 0);
    RegCloseKey(e);

    const std::string text = Slurp(MachineFile());
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zarn Test\\Mixed Case]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Text\"=\"C:\\\\Path\\\\with \\\"quotes\\\" and ; = [brackets]\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"the default\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Name \\\"with\\\" \\\\quotes\"=\"v\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Dword\"=dword:0102abcd\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Multi2\"=hex(7):61,00,62,20,63,00,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Expand\"=hex(2):25,53,79,73"), std::string::npos);
    EXPECT_NE(text.find("\"Binary\"=hex:00,07,0e,15"), std::string::npos);
    EXPECT_NE(text.find(",\\\r\n  "), std::string::npos);  // long lists continue on the next line
    EXPECT_NE(text.find("\"Lines\"=hex(1):"), std::string::npos);
    EXPECT_NE(text.find("\"ShortDword\"=hex(4):01,02,03\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"None\"=hex(0):\r\n"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zarn Test\\Empty Key]\r\n"), std::string::npos);

    ASSERT_TRUE(te::ReloadRegistry());
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, "software\\zarn test\\MIXED CASE", KeyRead, k), 0);
    std::string s;
    EXPECT_EQ(RegGetString(k, "text", s), 0);
    EXPECT_EQ(s, tricky);
    EXPECT_EQ(RegGetString(k, "", s), 0);
    EXPECT_EQ(s, "the default");
    EXPECT_EQ(RegGetString(k, "Name \"with\" \\quotes", s), 0);
    EXPECT_EQ(RegGetString(k, "Empty", s), 0);
    EXPECT_EQ(s, "");
    EXPECT_EQ(RegGetString(k, "Accents", s), 0);
    EXPECT_EQ(s, "\xC0 la fa\xE7on");
    DWORD d;
    EXPECT_EQ(RegGetDword(k, "Dword", d), 0);
    EXPECT_EQ(d, 0x0102ABCDu);
    DWORD type;
    std::vector<BYTE> data;
    ASSERT_EQ(RegQueryValue(k, "Multi", type, data), 0);
    EXPECT_EQ(type, RegMultiSz);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("first\0\0third\0\0", 14));
    std::vector<std::string> multi;
    EXPECT_EQ(RegGetMultiString(k, "Multi2", multi), 0);
    EXPECT_EQ(multi, (std::vector<std::string>{"a", "b c"}));
    ASSERT_EQ(RegQueryValue(k, "Expand", type, data), 0);
    EXPECT_EQ(type, RegExpandSz);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string(expand, sizeof expand));
    ASSERT_EQ(RegQueryValue(k, "Binary", type, data), 0);
    EXPECT_EQ(type, RegBinary);
    EXPECT_EQ(data, big);
    ASSERT_EQ(RegQueryValue(k, "Lines", type, data), 0);
    EXPECT_EQ(type, RegSz);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string(lines, sizeof lines));
    ASSERT_EQ(RegQueryValue(k, "ShortDword", type, data), 0);
    EXPECT_EQ(type, RegDword);
    EXPECT_EQ(data.size(), 3u);
    ASSERT_EQ(RegQueryValue(k, "None", type, data), 0);
    EXPECT_EQ(type, RegNone);
    EXPECT_TRUE(data.empty());
    std::string sub;
    RegCloseKey(k);
    EXPECT_TRUE(RegKeyExists(HKeyLocalMachine, "SOFTWARE\\Zarn Test\\Empty Key"));
    // Saving again gives the same text: the format is stable.
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Zarn Test\\Mixed Case", k), 0);
    ASSERT_EQ(RegSetDword(k, "Dword", 0x0102ABCD), 0);
    RegCloseKey(k);
    EXPECT_EQ(Slurp(MachineFile()), text);
}

TEST_F(RegFile, ReadsHandWrittenFiles) {
    Spit(UserFile(),
         "REGEDIT4\n"
         "; written by hand\n"
         "\n"
         "[HKEY_CURRENT_USER\\Software\\Hand]\n"
         "\"Str\" = \"value\"\n"
         "\"Long\"=hex:01,02,\\\n"
         "    03,04\n"
         "\"Num\"=dword:FF\n"
         "\"Again\"=\"first\"\n"
         "\"again\"=\"second\"\n");
    ASSERT_TRUE(te::ReloadRegistry());
    EXPECT_EQ(host::RegistryLoadError(HKeyCurrentUser), "");
    HKEY k;
    ASSERT_EQ(RegOpenKey(HKeyCurrentUser, "Software\\Hand", KeyRead, k), 0);
    std::string s;
    EXPECT_EQ(RegGetString(k, "Str", s), 0);
    EXPECT_EQ(s, "value");
    DWORD type;
    std::vector<BYTE> data;
    ASSERT_EQ(RegQueryValue(k, "Long", type, data), 0);
    EXPECT_EQ(data, (std::vector<BYTE>{1, 2, 3, 4}));
    DWORD n;
    EXPECT_EQ(RegGetDword(k, "Num", n), 0);
    EXPECT_EQ(n, 0xFFu);
    EXPECT_EQ(RegGetString(k, "AGAIN", s), 0);
    EXPECT_EQ(s, "second");
    RegCloseKey(k);
}

struct BrokenCase {
    const char* text;
    int line;
};

TEST_F(RegFile, BrokenFileIsReportedWithItsLineAndNeverOverwritten) {
    const BrokenCase cases[] = {
        {"REGEDIT5\r\n", 1},
        {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"unterminated\r\n", 4},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:123456789\r\n", 3},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:0g\r\n", 3},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n", 2},
        {"REGEDIT4\r\n\"x\"=\"before any key\"\r\n", 2},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n", 2},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:01,\\\r\n", 3},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"bad \\q escape\"\r\n", 3},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\" \"y\"\r\n", 3},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A\\\\B]\r\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Spit(UserFile(), c.text);
        testing::internal::CaptureStderr();
        te::ReloadRegistry();
        std::string printed = testing::internal::GetCapturedStderr();
        const std::string error = host::RegistryLoadError(HKeyCurrentUser);
        EXPECT_NE(error.find(UserFile()), std::string::npos) << error;
        EXPECT_NE(error.find("line " + std::to_string(c.line) + ":"), std::string::npos) << error;
        EXPECT_NE(printed.find(error), std::string::npos);
        HKEY k;
        EXPECT_EQ(RegCreateKey(HKeyCurrentUser, "Software\\New", k), LONG(err::BadDb));
        EXPECT_EQ(RegSetString(HKeyCurrentUser, "x", "y"), LONG(err::BadDb));
        EXPECT_EQ(RegOpenKey(HKeyCurrentUser, "A", KeyRead, k), LONG(err::BadDb));
        EXPECT_EQ(Slurp(UserFile()), c.text);
        // Other hives go on working.
        EXPECT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\StillFine", k), 0);
        RegCloseKey(k);
    }
    EXPECT_TRUE(fs::exists(MachineFile()));
    // A mended file loads again.
    Spit(UserFile(), "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n");
    te::ReloadRegistry();
    EXPECT_EQ(host::RegistryLoadError(HKeyCurrentUser), "");
    EXPECT_TRUE(RegKeyExists(HKeyCurrentUser, "A"));
}

TEST_F(RegFile, FailedSaveLeavesTheOldFileAndState) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Saved", k), 0);
    ASSERT_EQ(RegSetString(k, "Keep", "old"), 0);
    const std::string before = Slurp(MachineFile());
    for (int stage : {0, 1}) {
        host::SetRegistrySaveHook([stage](int s) { return s != stage; });
        EXPECT_EQ(RegSetString(k, "Keep", "new"), LONG(err::WriteFault));
        EXPECT_EQ(RegSetString(k, "Added", "x"), LONG(err::WriteFault));
        HKEY sub;
        EXPECT_NE(RegCreateKey(k, "Sub", sub), 0);
        EXPECT_EQ(Slurp(MachineFile()), before);
        std::string s;
        EXPECT_EQ(RegGetString(k, "Keep", s), 0);
        EXPECT_EQ(s, "old");  // memory agrees with the file
        EXPECT_FALSE(RegValueExists(k, "Added"));
        EXPECT_FALSE(RegKeyExists(k, "Sub"));
    }
    host::SetRegistrySaveHook(nullptr);
    for (auto& e : fs::directory_iterator(te::Root()))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    EXPECT_EQ(RegSetString(k, "Keep", "new"), 0);
    RegCloseKey(k);
}

TEST_F(RegFile, CrashDuringSaveLeavesTheOldFileWhole) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Crash", k), 0);
    ASSERT_EQ(RegSetString(k, "Keep", "old"), 0);
    const std::string before = Slurp(MachineFile());
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        host::SetRegistrySaveHook([](int stage) {
            if (stage == 1) _exit(0);  // the process dies just before the rename
            return true;
        });
        RegSetString(k, "Keep", "new");
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Slurp(MachineFile()), before);
    te::ReloadRegistry();
    EXPECT_EQ(host::RegistryLoadError(HKeyLocalMachine), "");
    std::string s;
    EXPECT_EQ(RegGetString(k, "Keep", s), 0);  // the handle still names the key
    EXPECT_EQ(s, "old");
    RegCloseKey(k);
}

TEST_F(RegFile, ReadOnlyRootRefusesEveryWrite) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Existing", k), 0);
    ASSERT_EQ(RegSetDword(k, "v", 1), 0);
    ASSERT_TRUE(te::SetRegistryReadOnly(HKeyLocalMachine, true));
    const std::string before = Slurp(MachineFile());
    HKEY other;
    EXPECT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\New", other), LONG(err::AccessDenied));
    EXPECT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Existing", other), LONG(err::AccessDenied));
    EXPECT_EQ(RegSetDword(k, "v", 2), LONG(err::AccessDenied));
    EXPECT_EQ(RegDeleteValue(k, "v"), LONG(err::AccessDenied));
    EXPECT_EQ(RegDeleteKey(HKeyLocalMachine, "SOFTWARE\\Existing"), LONG(err::AccessDenied));
    EXPECT_EQ(RegOpenKey(HKeyLocalMachine, "SOFTWARE\\Existing", KeyAllAccess, other), LONG(err::AccessDenied));
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, "SOFTWARE\\Existing", KeyRead, other), 0);  // reading works
    DWORD n;
    EXPECT_EQ(RegGetDword(other, "v", n), 0);
    EXPECT_EQ(n, 1u);
    RegCloseKey(other);
    EXPECT_EQ(Slurp(MachineFile()), before);
    // Other roots are not affected.
    EXPECT_EQ(RegCreateKey(HKeyCurrentUser, "Software\\Fine", other), 0);
    RegCloseKey(other);
    ASSERT_TRUE(te::SetRegistryReadOnly(HKeyLocalMachine, false));
    EXPECT_EQ(RegSetDword(k, "v", 2), 0);
    RegCloseKey(k);
}

TEST_F(RegFile, HandlesOfDeletedKeysAndLeadingBackslashes) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyCurrentUser, "Software\\Gone", k), 0);
    ASSERT_EQ(RegDeleteKey(HKeyCurrentUser, "Software\\Gone"), 0);
    EXPECT_EQ(RegSetDword(k, "x", 1), LONG(err::KeyDeleted));
    RegCloseKey(k);
    EXPECT_EQ(RegCloseKey(k), LONG(err::InvalidHandle));
    HKEY b;
    EXPECT_EQ(RegCreateKey(HKeyCurrentUser, "\\Software\\Lead", b), LONG(err::BadPathname));
    // Every root has its own file.
    for (HKEY root : {HKeyClassesRoot, HKeyUsers, HKeyCurrentConfig, HKeyDynData}) {
        ASSERT_EQ(RegCreateKey(root, "ZarnKey", b), 0);
        RegCloseKey(b);
        EXPECT_TRUE(fs::exists(host::HiveFile(root))) << host::HiveFile(root);
    }
}

TEST(RegFileParser, ParseAndFormatAgree) {
    host::RegKey root;
    std::string error;
    const std::string text =
        "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n@=\"top\"\r\n\r\n[HKEY_USERS\\.DEFAULT]\r\n\"v\"=hex(7):00\r\n\r\n";
    ASSERT_TRUE(host::ParseRegFile(text, "HKEY_USERS", "f.reg", root, error)) << error;
    EXPECT_EQ(host::FormatRegFile(root, "HKEY_USERS"), text);
    EXPECT_FALSE(host::ParseRegFile(std::string("REGEDIT4\r\n\0", 11), "HKEY_USERS", "f.reg", root, error));
    EXPECT_NE(error.find("f.reg, line 2:"), std::string::npos) << error;
}

}  // namespace
