// zarc's commands run in-process against a scripted console: round trips, damage found
// by test, refused names, multi-disk sets with a disk elsewhere, Ctrl+C, the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "tests/archive/archive_fixture.h"
#include "tools/zarc/diskset.h"
#include "tools/zarc/options.h"
#include "tools/zarc/zarc.h"

namespace zarn::test {
namespace {

class ScriptedConsole : public zarc::Console {
public:
    std::string out, err;
    std::deque<std::string> answers;  // lines of standard input
    bool terminal = false;
    int interruptAfter = -1;          // Interrupted() turns true on this call (0 based)
    int rewinds = 0;

    void Out(const std::string& text) override { out += text; }
    void Err(const std::string& text) override { err += text; }
    bool OutIsTerminal() override { return terminal; }
    int Columns() override { return 80; }
    void RewindLines(int) override { ++rewinds; }
    bool ReadLine(std::string& line) override {
        if (answers.empty()) return false;
        line = answers.front();
        answers.pop_front();
        return true;
    }
    bool Interrupted() override { return interruptAfter >= 0 && polls++ >= interruptAfter; }
    unsigned long Ticks() override { return ticks += 50; }

private:
    int polls = 0;
    unsigned long ticks = 0;
};

class ZarcTest : public ArchiveTest {
protected:
    int Zarc(std::vector<std::string> args) {
        console = ScriptedConsole{};
        return zarc::Run(args, console);
    }
    int Zarc(std::vector<std::string> args, ScriptedConsole& c) { return zarc::Run(args, c); }

    // dist\a.txt, dist\sub\b.bin, dist\sub\deeper\c.txt
    void MakeDist() {
        ASSERT_TRUE(platform::CreateDirectory(Path("dist")));
        ASSERT_TRUE(platform::CreateDirectory(Path("dist\\sub")));
        ASSERT_TRUE(platform::CreateDirectory(Path("dist\\sub\\deeper")));
        Make(Path("dist\\a.txt"), TextBytes(70000));
        Make(Path("dist\\sub\\b.bin"), NoiseBytes(90000), DefaultStamp() + 2);
        Make(Path("dist\\sub\\deeper\\c.txt"), "c");
    }
    std::vector<std::string> StoredNames(const std::string& archive) {
        TZarnCompress e(nullptr);
        e.SetCompressedFile(archive);
        std::vector<std::string> names;
        for (int i = 0; i < e.FileCount(); ++i) names.push_back(e.FileHeaders()->GetFileHeaders(i)->Record.FileName());
        return names;
    }
    bool TempFilesLeft() {
        std::vector<platform::FindData> found;
        return platform::FindFiles(Path("zrc*.tmp"), found) && !found.empty();
    }

    ScriptedConsole console;
};

TEST_F(ZarcTest, CreateAddListTestAndExtractRoundTrip) {
    MakeDist();
    ASSERT_EQ(Zarc({"create", Path("game.arc"), "--as", "C:\\SKYRCD", Path("dist"), "--jobs", "1"}), 0) << console.err;
    EXPECT_EQ(StoredNames(Path("game.arc")),
              (std::vector<std::string>{"C:\\SKYRCD\\a.txt", "C:\\SKYRCD\\sub\\b.bin", "C:\\SKYRCD\\sub\\deeper\\c.txt"}));
    EXPECT_NE(console.out.find("  added  C:\\SKYRCD\\sub\\b.bin"), std::string::npos);
    // A file added later, under its own full name; a name that is there already is refused.
    Make(Path("extra.txt"), "extra");
    ASSERT_EQ(Zarc({"add", Path("game.arc"), Path("extra.txt")}), 0) << console.err;
    EXPECT_EQ(Zarc({"add", Path("game.arc"), "--as=C:\\SKYRCD", Path("dist\\a.txt")}), 1);
    EXPECT_NE(console.err.find("in the archive already:\n  C:\\SKYRCD\\a.txt"), std::string::npos) << console.err;
    EXPECT_EQ(StoredNames(Path("game.arc")).back(), Path("extra.txt"));

    ASSERT_EQ(Zarc({"list", Path("game.arc")}), 0);
    EXPECT_NE(console.out.find("         1          9   900%  2001-02-03 04:05:06"), std::string::npos) << console.out;
    EXPECT_NE(console.out.find("4 files"), std::string::npos);
    ASSERT_EQ(Zarc({"list", Path("game.arc"), "--json"}), 0);
    EXPECT_NE(console.out.find("{\"name\":\"C:\\\\SKYRCD\\\\sub\\\\deeper\\\\c.txt\",\"size\":1,\"compressedSize\":9,"
                               "\"ratio\":900,\"date\":\"2001-02-03T04:05:06\",\"version\":\"\"}"),
              std::string::npos)
        << console.out;
    EXPECT_NE(console.out.find("\"totals\":{\"files\":4,\"size\":160006,"), std::string::npos);
    ASSERT_EQ(Zarc({"test", Path("game.arc")}), 0);
    EXPECT_NE(console.out.find("4 files tested: all sound"), std::string::npos);

    // Folders below the one the names share; the file from elsewhere shares only "C".
    ASSERT_EQ(Zarc({"extract", Path("game.arc"), "-d", Path("out")}), 0) << console.err;
    EXPECT_EQ(ReadText(Path("out\\SKYRCD\\sub\\b.bin")), NoiseBytes(90000));
    EXPECT_EQ(Stamp(Path("out\\SKYRCD\\sub\\b.bin")), DefaultStamp() + 2);
    EXPECT_EQ(ReadText(Path("out\\SKYRCD\\sub\\deeper\\c.txt")), "c");
    // One name, flat, and a policy that keeps what is there.
    ASSERT_EQ(Zarc({"extract", Path("game.arc"), "c:\\skyrcd\\SUB\\b.bin", "--flat", "-d", Path("flat")}), 0);
    EXPECT_EQ(ReadText(Path("flat\\b.bin")), NoiseBytes(90000));
    WriteText(Path("flat\\b.bin"), "mine");
    ASSERT_EQ(Zarc({"extract", Path("game.arc"), "C:\\SKYRCD\\sub\\b.bin", "--flat", "-d", Path("flat"),
                    "--overwrite", "never"}),
              0);
    EXPECT_EQ(ReadText(Path("flat\\b.bin")), "mine");
    EXPECT_NE(console.out.find("kept"), std::string::npos);
    // A stored folder that would lead out of the extraction folder: nothing is written.
    ASSERT_EQ(Zarc({"create", Path("up.arc"), "--as", "C:\\X", Path("extra.txt"), "--as", "C:\\X\\..\\..",
                    Path("dist\\a.txt")}),
              0);
    EXPECT_EQ(Zarc({"extract", Path("up.arc"), "-d", Path("up\\in")}), 1);
    EXPECT_NE(console.err.find("The stored name C:\\X\\..\\..\\a.txt has a folder that cannot be made below"),
              std::string::npos)
        << console.err;
    EXPECT_FALSE(platform::DirectoryExists(Path("up")));
    EXPECT_EQ(Zarc({"extract", Path("game.arc"), "C:\\NOPE.TXT", "-d", Path("flat")}), 1);
    EXPECT_NE(console.err.find("The following file was not found in the archive: C:\\NOPE.TXT"), std::string::npos);
    EXPECT_FALSE(TempFilesLeft());
}

TEST_F(ZarcTest, TestNamesEachDamagedFile) {
    MakeDist();
    ASSERT_EQ(Zarc({"create", Path("a.arc"), "--as", "X:\\D", Path("dist"), "-q"}), 0) << console.err;
    EXPECT_EQ(console.out, "");
    std::string bytes = ReadText(Path("a.arc"));
    TZarnCompress e(nullptr);
    e.SetCompressedFile(Path("a.arc"));
    ASSERT_EQ(e.FileCount(), 3);
    const TFileHeaderRecord& a = e.FileHeaders()->GetFileHeaders(0)->Record;
    const TFileHeaderRecord& c = e.FileHeaders()->GetFileHeaders(2)->Record;
    bytes[std::size_t(a.DataStart() + 40)] ^= 0x55;  // inside the deflate data
    bytes[std::size_t(c.LastByte())] ^= 0x01;        // the Adler-32 of "c"
    WriteText(Path("a.arc"), bytes);
    ASSERT_EQ(Zarc({"test", Path("a.arc"), "--quiet"}), 1);
    EXPECT_NE(console.out.find("  DAMAGED  X:\\D\\a.txt: "), std::string::npos) << console.out;
    EXPECT_NE(console.out.find("  DAMAGED  X:\\D\\sub\\deeper\\c.txt: the check value does not match the data"),
              std::string::npos);
    EXPECT_EQ(console.out.find("b.bin"), std::string::npos);  // sound, and --quiet
    EXPECT_NE(console.out.find("3 files tested: 2 damaged"), std::string::npos);
    // A header table that breaks off: the engine's message.
    WriteText(Path("a.arc"), bytes.substr(0, 100));
    EXPECT_EQ(Zarc({"test", Path("a.arc")}), 1);
    EXPECT_NE(console.err.find("Could not read the file headers"), std::string::npos);
}

TEST_F(ZarcTest, NamesTheArchiveCannotHoldAreRefusedBeforeAnythingIsWritten) {
    MakeDist();
    const std::string longFolder = "C:\\" + std::string(91, 'L');  // a.txt makes 100 characters
    EXPECT_EQ(Zarc({"create", Path("a.arc"), "--as", longFolder, Path("dist")}), 1);
    EXPECT_NE(console.err.find("stored names have at most 100 characters; these have more:\n  " + longFolder +
                               "\\sub\\b.bin (104 characters)\n  " + longFolder +
                               "\\sub\\deeper\\c.txt (111 characters)"),
              std::string::npos)
        << console.err;
    EXPECT_EQ(console.err.find(longFolder + "\\a.txt"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(Path("a.arc")));
    Make(Path("semi;colon.txt"), "x");
    EXPECT_EQ(Zarc({"create", Path("a.arc"), Path("dist\\a.txt"), "--as", "C:\\S", Path("semi;colon.txt"),
                    Path("dist\\a.txt")}),
              1);
    EXPECT_NE(console.err.find("cannot hold a ';'"), std::string::npos);
    EXPECT_EQ(console.err.find("more than once"), std::string::npos);  // the two a.txt differ by --as
    EXPECT_EQ(Zarc({"create", Path("a.arc"), Path("dist"), Path("dist\\sub\\B.BIN")}), 1);
    EXPECT_NE(console.err.find("given more than once:\n  " + Path("dist\\sub\\B.BIN")), std::string::npos);
    EXPECT_FALSE(platform::FileExists(Path("a.arc")));
    EXPECT_FALSE(TempFilesLeft());
}

TEST_F(ZarcTest, MultiDiskSetReadByTheEngineAndByZarcWithADiskElsewhere) {
    MakeDist();
    // 70 KB of text and 90 KB of noise over disks of 40 KB: every disk but the last full.
    ASSERT_EQ(Zarc({"create", Path("set\\game.arc"), "--as", "C:\\G", Path("dist"), "--disk-size", "40K", "-q"}), 0)
        << console.err;
    int disks = 1;
    while (platform::FileExists(Path("set\\game." + std::to_string(disks + 1)))) ++disks;
    ASSERT_EQ(disks, 3);
    EXPECT_EQ(ReadText(Path("set\\game.1")).size(), 40960u);
    EXPECT_EQ(ReadText(Path("set\\game.2")).size(), 40960u);
    engine->SetCompressedFile(Path("set\\game.1"));
    Unpack(Path("set\\game.1"), Path("byengine"), {"C:\\G\\a.txt", "C:\\G\\sub\\b.bin", "C:\\G\\sub\\deeper\\c.txt"});
    EXPECT_EQ(ReadText(Path("byengine\\a.txt")), TextBytes(70000));
    EXPECT_EQ(ReadText(Path("byengine\\b.bin")), NoiseBytes(90000));
    EXPECT_EQ(ReadText(Path("byengine\\c.txt")), "c");
    ASSERT_EQ(Zarc({"list", Path("set\\game.arc")}), 0);
    EXPECT_NE(console.out.find("3 files on 3 disks"), std::string::npos) << console.out;

    // Disk 3 elsewhere: asked for once, then found there; no answer ends the run.
    ASSERT_TRUE(platform::CreateDirectory(Path("moved")));
    ASSERT_TRUE(platform::MoveFileEx(Path("set\\game.3"), Path("moved\\game.3"), 0));
    ScriptedConsole c;
    c.answers = {"", Path("moved")};  // Enter (look again), then the folder
    ASSERT_EQ(Zarc({"extract", Path("set\\game.arc"), "-d", Path("out")}, c), 0) << c.err;
    EXPECT_EQ(ReadText(Path("out\\sub\\b.bin")), NoiseBytes(90000));
    EXPECT_NE(c.err.find("disk 3 (game.3) is not in"), std::string::npos);
    ScriptedConsole test;
    test.answers = {Path("moved")};
    EXPECT_EQ(Zarc({"test", Path("set\\game.1")}, test), 0) << test.err;
    EXPECT_EQ(Zarc({"test", Path("set\\game.1")}), 1);
    EXPECT_NE(console.err.find("Could not open the correct disk file 3"), std::string::npos);
    EXPECT_EQ(Zarc({"add", Path("set\\game.arc"), Path("dist\\a.txt")}), 1);
    EXPECT_NE(console.err.find("multi-disk"), std::string::npos);

    // A smaller set of the same name replaces all disks of the old one.
    ASSERT_EQ(Zarc({"create", Path("set\\game.arc"), Path("dist\\sub\\deeper\\c.txt"), "--disk-size", "1.44M"}), 0);
    EXPECT_NE(console.out.find("game.1 (1 disk of 1.44M)"), std::string::npos) << console.out;
    EXPECT_TRUE(platform::FileExists(Path("set\\game.1")));
    EXPECT_FALSE(platform::FileExists(Path("set\\game.2")));
    // The header records of every file go on the first disk.
    ASSERT_TRUE(platform::CreateDirectory(Path("many")));
    for (int i = 0; i < 7; ++i) Make(Path("many\\f" + std::to_string(i)), "x");
    EXPECT_EQ(Zarc({"create", Path("set\\x.arc"), Path("many"), "--disk-size", "1K"}), 1);
    EXPECT_NE(console.err.find("The header records of 7 files take 1153 bytes on the first disk"), std::string::npos)
        << console.err;
}

TEST_F(ZarcTest, CtrlCLeavesTheOldArchiveAndNoPartialFile) {
    Make(Path("old.txt"), "old");
    ASSERT_EQ(Zarc({"create", Path("a.arc"), Path("old.txt")}), 0);
    const std::string before = ReadText(Path("a.arc"));
    Make(Path("big.bin"), NoiseBytes(2000000));
    for (const char* jobs : {"1", "2"}) {
        for (const char* command : {"create", "add"}) {
            ScriptedConsole c;
            c.interruptAfter = 3;
            EXPECT_EQ(Zarc({command, Path("a.arc"), Path("big.bin"), "--jobs", jobs, "--level", "fastest"}, c), 1);
            EXPECT_NE(c.err.find("zarc: stopped; " + Path("a.arc") + " was left as it was"), std::string::npos)
                << c.err;
            EXPECT_EQ(ReadText(Path("a.arc")), before);
        }
    }
    ScriptedConsole c;
    c.interruptAfter = 0;
    EXPECT_EQ(Zarc({"create", Path("set.arc"), Path("big.bin"), "--disk-size", "100K", "--level", "none"}, c), 1);
    EXPECT_FALSE(platform::FileExists(Path("set.1")));
    EXPECT_FALSE(TempFilesLeft());

    ASSERT_EQ(Zarc({"create", Path("b.arc"), Path("big.bin"), "--level", "fastest"}), 0);
    ScriptedConsole x;
    x.interruptAfter = 5;
    EXPECT_EQ(Zarc({"extract", Path("b.arc"), "-d", Path("out")}, x), 1);
    EXPECT_NE(x.err.find("was removed"), std::string::npos) << x.err;
    EXPECT_FALSE(platform::FileExists(Path("out\\big.bin")));
}

TEST_F(ZarcTest, ALaterRunRemovesTheTemporaryFilesAKilledOneLeftBesideTheArchive) {
    Make(Path("x.txt"), "x");
    ASSERT_EQ(Zarc({"create", Path("a.arc"), Path("x.txt")}), 0);
    // What a killed run leaves (an old stamp), one of a run going on now, one of another
    // archive and one of another program.
    Make(Path("zrc-a-0001BEEF.tmp"), "half an archive");
    Make(Path("zrc-a-0002BEEF.tmp"), "a run going on", EncodeDate(2100, 1, 1));
    Make(Path("zrc-b-0003BEEF.tmp"), "another archive's");
    Make(Path("zrc4C2D.tmp"), "another program's");
    Make(Path("y.txt"), "y");
    ASSERT_EQ(Zarc({"add", Path("a.arc"), Path("y.txt")}), 0) << console.err;
    std::vector<platform::FindData> found;
    platform::FindFiles(Path("zrc*.tmp"), found);
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(f.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"zrc-a-0002BEEF.tmp", "zrc-b-0003BEEF.tmp", "zrc4C2D.tmp"}));
}

TEST_F(ZarcTest, ProgressBarsOnATerminalPlainLinesOtherwise) {
    Make(Path("big.bin"), NoiseBytes(400000));
    ScriptedConsole c;
    c.terminal = true;
    ASSERT_EQ(Zarc({"create", Path("a.arc"), Path("big.bin"), "--level", "fastest"}, c), 0);
    EXPECT_GT(c.rewinds, 2);
    EXPECT_NE(c.out.find("] 100%"), std::string::npos);
    EXPECT_NE(c.out.find("1/1"), std::string::npos);
    ASSERT_EQ(Zarc({"create", Path("a.arc"), Path("big.bin")}), 0);
    EXPECT_EQ(console.out.find('['), std::string::npos);
    EXPECT_EQ(console.out.find("  added  " + Path("big.bin")), 0u);
}

TEST_F(ZarcTest, CommandLineErrorsAndHelp) {
    for (const char* command : {"create", "add", "list", "test", "extract"}) {
        EXPECT_EQ(Zarc({command, "--help"}), 0);
        EXPECT_EQ(console.out.find(std::string("usage: zarc ") + command), 0u) << command;
    }
    EXPECT_EQ(Zarc({"help"}), 0);
    EXPECT_NE(console.out.find("commands:"), std::string::npos);
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"pack", "a.arc"},
        {"create", "a.arc"},
        {"create", "a.arc", "x", "--as", "C:\\SKYRCD"},
        {"create", "a.arc", "x", "--level", "best"},
        {"create", "a.arc", "x", "--jobs", "0"},
        {"create", "a.arc", "x", "--disk-size", "12Q"},
        {"add", "a.arc", "x", "--disk-size", "1M"},
        {"list", "a.arc", "b.arc"},
        {"list", "a.arc", "--quiet"},
        {"extract", "a.arc", "--overwrite", "sometimes"},
        {"extract", "a.arc", "-d"},
        {"test"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Zarc(args), 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(console.err.find("Try 'zarc"), std::string::npos);
    }
    EXPECT_EQ(Zarc({"add", "a.arc", "--as", "C:\\A", "x", "--as", "C:\\B"}), 2);
    EXPECT_EQ(console.err.find("zarc: option --as must be followed by a SOURCE"), 0u) << console.err;
    EXPECT_EQ(Zarc({"list", Path("none.arc")}), 1);
    EXPECT_NE(console.err.find("Could not open the compressed file"), std::string::npos);
    EXPECT_EQ(Zarc({"create", Path("a.arc"), Path("none")}), 1);

    std::int64_t bytes = 0;
    EXPECT_TRUE(zarc::ParseDiskSize("1.44M", bytes));
    EXPECT_EQ(bytes, 1457664);
    EXPECT_TRUE(zarc::ParseDiskSize("2.88m", bytes));
    EXPECT_EQ(bytes, 2931712);
    EXPECT_TRUE(zarc::ParseDiskSize("100M", bytes));
    EXPECT_EQ(bytes, 100 << 20);
    EXPECT_TRUE(zarc::ParseDiskSize("65536", bytes));
    EXPECT_EQ(bytes, 65536);
    EXPECT_FALSE(zarc::ParseDiskSize("2G", bytes));  // offsets are 32-bit
    EXPECT_FALSE(zarc::ParseDiskSize("1000", bytes));
    EXPECT_FALSE(zarc::ParseDiskSize("-5M", bytes));
}

}  // namespace
}  // namespace zarn::test
