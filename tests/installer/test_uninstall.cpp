// The uninstall from the records alone, over the host's Windows: what is removed, in
// which order, what is kept and why, and that bad records remove nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/startup.h"
#include "framework/ui/headless.h"
#include "install/routines_Destinations.h"
#include "installer/routines_Uninstall.h"
#include "installer/routines_UninstallProgram.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "shell/startup.h"
#include "tests/platform/scratch.h"

namespace {

using platform::HKeyLocalMachine;
constexpr const char* SharedKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr const char* HelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";

class UninstallTest : public testing::Test {
protected:
    void SetUp() override {
        static bool initialised = false;
        if (!initialised) {
            InitialiseInstallLibrary();
            initialised = true;
        }
        InitApplication();
        ui::UseHeadlessBackend();
    }
    void TearDown() override {
        Application->Reset();
        ui::SetBackend(nullptr);
    }
    static void Write(const std::string& path, const std::string& text = "x") {
        ForceDirectories(ExtractFilePath(path));
        platform::FileHandle h(platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways));
        ASSERT_TRUE(h);
        platform::DWORD done = 0;
        platform::WriteFile(h.get(), text.data(), platform::DWORD(text.size()), done);
    }
    static void Set(const std::string& key, const std::string& name, const std::string& value) {
        platform::KeyHandle k;
        ASSERT_EQ(platform::RegCreateKey(HKeyLocalMachine, key, k.receive()), 0);
        platform::RegSetString(k.get(), name, value);
    }
    static void SetCount(const std::string& path, platform::DWORD n) {
        platform::KeyHandle k;
        platform::RegCreateKey(HKeyLocalMachine, SharedKey, k.receive());
        platform::RegSetDword(k.get(), path, n);
    }
    static long long Count(const std::string& path) {
        platform::KeyHandle k;
        platform::DWORD n = 0;
        if (platform::RegOpenKey(HKeyLocalMachine, SharedKey, platform::KeyRead, k.receive()) != 0 ||
            platform::RegGetDword(k.get(), path, n) != 0)
            return -1;
        return n;
    }
    // A product whose log lists `files` in key "Files", File1, File2, ...
    static std::string Product(const std::string& product, const std::vector<std::string>& files,
                               const std::string& location = {}) {
        const std::string key = UninstallProductKey(product);
        Set(key, "DisplayName", product);
        if (!location.empty()) Set(key, "InstallLocation", location);
        for (std::size_t i = 0; i < files.size(); ++i) Set(key + "\\Files", "File" + IntToStr(i + 1), files[i]);
        Set(key + "\\Files", "Entries", IntToStr(files.size()));
        return key;
    }
    static bool Has(const std::vector<TLeftItem>& left, const std::string& path, TLeftReason reason) {
        return std::any_of(left.begin(), left.end(),
                           [&](const TLeftItem& i) { return SameText(i.path, path) && i.reason == reason; });
    }
};

TEST_F(UninstallTest, UndoesTheLogFromItsEndOnceEachAndKeepsWhatIsNotItsOwn) {
    const std::string dest = "C:\\Program Files\\Demo";
    const std::string readme = dest + "\\README.TXT", help = dest + "\\Help\\DEMO.HLP";
    const std::string tool = dest + "\\Tools\\Deep\\TOOL.EXE";
    const std::string group = GetProgramsDir() + "\\Demo";
    const std::string link = group + "\\Read me.LNK", desktop = GetDesktopDir() + "\\Demo.LNK";
    const std::string systemFile = platform::GetSystemDirectory() + "\\DEMOSYS.DLL";
    for (const std::string& f : {readme, help, tool, link, desktop, systemFile}) Write(f);
    Write(dest + "\\NOTES.TXT", "the user's own");
    Set(HelpKey, "DEMO.HLP", dest + "\\Help");
    Set(HelpKey, "OTHER.HLP", "C:\\Elsewhere");
    // Installed twice: every entry twice, the second run in a continuation key after a gap.
    const std::string key = Product("Demo", {readme, help, tool, link}, dest);
    Set(key + "\\Files4", "File1", readme);
    Set(key + "\\Files4", "File7", desktop);
    Set(key + "\\Files4", "File3", systemFile);

    std::vector<std::string> seen;
    TUninstallOptions options;
    options.progress = [&](const std::string& p, int) {
        if (!p.empty()) seen.push_back(p);
    };
    const TUninstallResult r = Uninstall(ReadUninstallRecords("Demo"), options);

    // Reverse log order, each path once, then the folders deepest first, the key last.
    const std::vector<std::string> expected = {desktop, systemFile, readme, link, tool, help};
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 6), expected);
    EXPECT_EQ(seen.back(), key);
    for (const std::string& f : expected) EXPECT_FALSE(platform::FileExists(f)) << f;
    for (const std::string& f : {dest + "\\Tools\\Deep", dest + "\\Tools", dest + "\\Help", group})
        EXPECT_FALSE(platform::DirectoryExists(f)) << f;
    // The destination keeps the user's file and is named for it; system folders stay.
    EXPECT_TRUE(platform::FileExists(dest + "\\NOTES.TXT"));
    EXPECT_TRUE(Has(r.left, dest, TLeftReason::lrHoldsOtherFiles));
    EXPECT_EQ(r.left.size(), 1u);
    for (const std::string& f : {platform::GetSystemDirectory(), GetDesktopDir(), GetProgramsDir(), GetProgramFilesDir()})
        EXPECT_TRUE(platform::DirectoryExists(f)) << f;
    EXPECT_FALSE(platform::RegKeyExists(HKeyLocalMachine, key));
    platform::KeyHandle h;
    ASSERT_EQ(platform::RegOpenKey(HKeyLocalMachine, HelpKey, platform::KeyRead, h.receive()), 0);
    EXPECT_FALSE(platform::RegValueExists(h.get(), "DEMO.HLP"));
    EXPECT_TRUE(platform::RegValueExists(h.get(), "OTHER.HLP"));
    EXPECT_EQ(r.ExitCode(), 0);
}

TEST_F(UninstallTest, TwoProductsShareOneLibraryUntilTheLastIsRemoved) {
    const std::string dll = "C:\\Program Files\\Common Files\\Vendor\\SHARED.DLL";
    const std::string odd = "C:\\Odd\\ODD.DLL";
    Write(dll);
    Write(odd);
    // The first product installed it twice, the second once.
    Product("First", {dll, dll});
    Product("Second", {dll, odd});
    SetCount(dll, 3);
    Set(SharedKey, odd, "not a number");  // counts as 1

    TUninstallResult r = Uninstall(ReadUninstallRecords("First"), {});
    EXPECT_TRUE(platform::FileExists(dll));
    EXPECT_EQ(Count(dll), 1);
    EXPECT_TRUE(Has(r.left, dll, TLeftReason::lrStillShared));
    EXPECT_TRUE(platform::DirectoryExists("C:\\Program Files\\Common Files\\Vendor"));

    r = Uninstall(ReadUninstallRecords("Second"), {});
    EXPECT_FALSE(platform::FileExists(dll));
    EXPECT_FALSE(platform::FileExists(odd));
    EXPECT_EQ(Count(dll), -1);
    platform::KeyHandle k;
    platform::RegOpenKey(HKeyLocalMachine, SharedKey, platform::KeyRead, k.receive());
    EXPECT_FALSE(platform::RegValueExists(k.get(), odd));
    EXPECT_FALSE(platform::DirectoryExists("C:\\Program Files\\Common Files\\Vendor"));
    EXPECT_TRUE(platform::DirectoryExists("C:\\Program Files\\Common Files"));
    EXPECT_EQ(r.ExitCode(), 0);
}

TEST_F(UninstallTest, FilesInUseAreDeletedAtTheRestart) {
    const std::string a = "C:\\Demo\\A.DLL", b = "C:\\Demo\\B.DLL";
    // On NT the delayed delete; its folder goes after it.
    Write(a);
    Product("Busy", {a});
    ASSERT_TRUE(platform::testenv::HoldFileInUse(a, true));
    TUninstallResult r = Uninstall(ReadUninstallRecords("Busy"), {});
    EXPECT_TRUE(Has(r.left, a, TLeftReason::lrInUse));
    EXPECT_EQ(r.ExitCode(), 3010);
    std::string pending;
    {
        platform::KeyHandle k;
        platform::RegOpenKey(HKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                             platform::KeyRead, k.receive());
        platform::DWORD type = 0;
        std::vector<platform::BYTE> data;
        platform::RegQueryValue(k.get(), "PendingFileRenameOperations", type, data);
        pending.assign(data.begin(), data.end());
    }
    EXPECT_EQ(pending, std::string("\\??\\C:\\Demo\\A.DLL\0\0\\??\\C:\\Demo\0\0\0", 33));
    // The restart deletes the file, then its folder.
    ASSERT_TRUE(platform::testenv::Restart());
    EXPECT_FALSE(platform::FileExists(a));
    EXPECT_FALSE(platform::DirectoryExists("C:\\Demo"));

    // On the Windows 95 family two files in use give two NUL lines, after what the
    // section held.
    ASSERT_TRUE(platform::testenv::SetOSVersion(platform::testenv::OSKind::Windows95));
    const std::string other = "C:\\OLD.DLL", value = "C:\\NEW.DLL";
    platform::WritePrivateProfileString("Rename", &other, &value, "WININIT.INI");
    Write(a);
    Write(b);
    Product("Busy95", {a, b});
    platform::testenv::HoldFileInUse(a, true);
    platform::testenv::HoldFileInUse(b, true);
    r = Uninstall(ReadUninstallRecords("Busy95"), {});
    EXPECT_EQ(r.ExitCode(), 3010);
    const std::string ini = platform::GetWindowsDirectory() + "\\WININIT.INI";
    platform::FileHandle h(platform::CreateFile(ini, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
    ASSERT_TRUE(h);
    std::string text(4096, '\0');
    platform::DWORD done = 0;
    platform::ReadFile(h.get(), text.data(), platform::DWORD(text.size()), done);
    text.resize(done);
    const std::string shortA = platform::GetShortPathName(a), shortB = platform::GetShortPathName(b);
    EXPECT_EQ(text, "[Rename]\r\nC:\\OLD.DLL=C:\\NEW.DLL\r\nNUL=" + shortB + "\r\nNUL=" + shortA + "\r\n");
    h.reset();
    ASSERT_TRUE(platform::testenv::Restart());
    EXPECT_FALSE(platform::FileExists(a));
    EXPECT_FALSE(platform::FileExists(b));
}

TEST_F(UninstallTest, BadRecordsRemoveNothingOrAreSkippedAndNamed) {
    // No product key, and a key without a log: a clear error, nothing touched.
    EXPECT_THROW(ReadUninstallRecords("Nothing"), EUninstall);
    Set(UninstallProductKey("NoLog"), "DisplayName", "NoLog");
    EXPECT_THROW(ReadUninstallRecords("NoLog"), EUninstall);
    EXPECT_TRUE(platform::RegKeyExists(HKeyLocalMachine, UninstallProductKey("NoLog")));

    // Entries that are no full local path are skipped and named; a missing file is
    // passed over; the good one goes.
    const std::string good = "C:\\Demo\\GOOD.TXT";
    Write(good);
    Write("C:\\Demo\\CON", "");
    const std::vector<std::string> bad = {"",           "Demo\\GOOD.TXT", "\\\\server\\share\\GOOD.TXT",
                                          "C:\\Demo\\CON", "C:\\Demo\\..\\Demo\\GOOD.TXT", "C:Demo\\GOOD.TXT",
                                          "C:\\Demo\\*.TXT", "NUL"};
    std::vector<std::string> log = bad;
    log.push_back(good);
    log.push_back("C:\\Demo\\GONE.TXT");
    const std::string key = Product("Odd", log);
    Set(key + "\\ActiveX", "File1", "C:\\Demo\\S.DLL;7");
    TUninstallRecords records = ReadUninstallRecords("Odd");
    EXPECT_EQ(records.badEntries.size(), bad.size() + 1);
    const TUninstallResult r = Uninstall(records, {});
    EXPECT_FALSE(platform::FileExists(good));
    EXPECT_TRUE(platform::FileExists("C:\\Demo\\CON"));
    EXPECT_EQ(r.ExitCode(), 0);
    const std::string closing = DescribeLeftItems(r.left);
    EXPECT_NE(closing.find("Files\\File3 = \"\\\\server\\share\\GOOD.TXT\""), std::string::npos) << closing;
    EXPECT_NE(closing.find("ActiveX\\File1"), std::string::npos) << closing;
}

TEST_F(UninstallTest, TheProgramAsksShowsEachFileAndNamesWhatItLeft) {
    const std::string dest = "C:\\Program Files\\Asked";
    Write(dest + "\\A.TXT");
    Write(dest + "\\MINE.TXT");
    Product("Asked Product", {dest + "\\A.TXT"}, dest);
    auto& ui = dynamic_cast<ui::THeadlessBackend&>(ui::Backend());
    const std::string self = "C:\\Elsewhere\\UNINST.EXE";

    // The path unquoted, with blanks: "No" removes nothing.
    ui.QueueAnswer(mrNo);
    EXPECT_EQ(RunUninstallProgram("C:\\Program Files\\Asked\\UNINST.EXE Asked Product", dest + "\\UNINST.EXE", false), 1);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].request.text, "Remove Asked Product and all of its components?");
    EXPECT_TRUE(platform::FileExists(dest + "\\A.TXT"));

    ui.QueueAnswer(mrYes);
    ui.QueueAnswer(mrOk);
    EXPECT_EQ(RunUninstallProgram("\"" + self + "\" Asked Product", self, false), 0);
    EXPECT_FALSE(platform::FileExists(dest + "\\A.TXT"));
    const auto files = ui.TextHistory("UninstallForm.FileLbl");
    EXPECT_NE(std::find(files.begin(), files.end(), dest + "\\A.TXT"), files.end());
    ASSERT_EQ(ui.Boxes().size(), 3u);
    EXPECT_NE(ui.Boxes()[2].request.text.find(dest + ": kept, it holds files"), std::string::npos)
        << ui.Boxes()[2].request.text;

    // Gone now: a clear message, exit 1.
    ui.QueueAnswer(mrOk);
    EXPECT_EQ(RunUninstallProgram("\"" + self + "\" /S Asked Product", self, false), 1);
}

TEST(UninstallCommandLine, ReadsTheProductWithOrWithoutQuotesAndTheSilentSwitch) {
    const std::string self = "C:\\Program Files\\Zarn Sample\\UNINST.EXE";
    struct Case {
        std::string line, product;
        bool silent;
    } cases[] = {
        {"C:\\Program Files\\Zarn Sample\\UNINST.EXE Zarn Sample", "Zarn Sample", false},
        {"\"C:\\Program Files\\Zarn Sample\\UNINST.EXE\" Zarn Sample /S", "Zarn Sample", true},
        {"C:\\PROGRA~1\\ZARNSA~1\\UNINST.EXE /s Zarn Sample", "Zarn Sample", true},
        {"\"C:\\Program Files\\Zarn Sample\\UNINST.EXE\"", "", false},
        {"", "", false},
        {"\"unclosed", "", false},
    };
    for (const Case& c : cases) {
        const TUninstallCommand cmd = ParseUninstallCommandLine(c.line, self);
        EXPECT_EQ(cmd.product, c.product) << c.line;
        EXPECT_EQ(cmd.silent, c.silent) << c.line;
        EXPECT_FALSE(cmd.worker);
    }
    const TUninstallCommand w = ParseUninstallCommandLine("\"C:\\T\\zun1.exe\" /X \"" + self + "\" \"C:\\A B\"", self);
    EXPECT_TRUE(w.worker);
    EXPECT_EQ(w.workerPaths, (std::vector<std::string>{self, "C:\\A B"}));
}

}  // namespace
