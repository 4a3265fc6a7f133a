// The archive engine: adding, extracting, copying, policies, disks, stopping and failures.
#include <gtest/gtest.h>

#include "tests/archive/archive_fixture.h"
#include "version_images.h"

namespace zarn::test {
namespace {

using EngineTest = ArchiveTest;

// Records the events of an engine.
struct Recorder {
    std::vector<std::string> events;
    std::vector<TlzhFileStats> status;
    explicit Recorder(TZarnCompress& e) {
        auto rec = [this](const char* what) {
            return [this, what](TZarnCompress*, const TlzhFileStats& s) {
                events.push_back(what + (":" + s.FileName));
            };
        };
        e.OnBeforeAdding = rec("before-add");
        e.OnAfterAdding = rec("after-add");
        e.OnBeforeExtracting = rec("before-extract");
        e.OnReplace = rec("replace");
        e.OnStatus = [this](TZarnCompress*, const TlzhFileStats& s) { status.push_back(s); };
        e.OnAborted = [this](TObject*) { events.push_back("aborted"); };
    }
};

TEST_F(EngineTest, RoundTripKeepsContentsStampsAndReportsProgress) {
    const std::string text = TextBytes(150000), noise = NoiseBytes(200000);
    Make(Path("t.txt"), text);
    Make(Path("n.bin"), noise, DefaultStamp() + 1.5);
    Make(Path("e.dat"), "");
    Recorder rec(*engine);
    Pack(Path("a.arc"), {Path("t.txt"), Path("n.bin"), Path("e.dat")});
    EXPECT_EQ(engine->Mode(), 1);
    EXPECT_EQ(engine->FilesToProcess()->Count(), 0);
    ASSERT_EQ(engine->FileCount(), 3);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"before-add:" + Path("t.txt"), "after-add:" + Path("t.txt"),
                                                     "before-add:" + Path("n.bin"), "after-add:" + Path("n.bin"),
                                                     "before-add:" + Path("e.dat"), "after-add:" + Path("e.dat")}));
    // Noise gives three full 64 KB output blocks, each a progress step, then the final one.
    std::vector<TlzhFileStats> noiseSteps;
    for (auto& s : rec.status)
        if (s.FileName == Path("n.bin")) noiseSteps.push_back(s);
    ASSERT_EQ(noiseSteps.size(), 4u);
    EXPECT_FALSE(noiseSteps[2].Finished);
    EXPECT_TRUE(noiseSteps[3].Finished);
    EXPECT_EQ(noiseSteps[3].BytesDone, 200000);
    EXPECT_EQ(noiseSteps[3].Percent, 100);
    const TlzhFileStats& last = rec.status.back();
    EXPECT_EQ(last.FileName, Path("e.dat"));
    EXPECT_EQ(last.FileSize, 0);
    EXPECT_EQ(last.Percent, 0);
    EXPECT_EQ(last.Ratio, 0);
    EXPECT_EQ(last.TotalDone, 350000);
    EXPECT_EQ(last.TotalSize, 350000);
    EXPECT_EQ(last.TotalPercent, 100);

    TlzhFileStats empty;
    engine->GetFileStats(2, empty);
    EXPECT_EQ(empty.CompressedSize, 8);  // a complete zlib stream of nothing
    EXPECT_EQ(empty.TotalSize, 350000);

    const std::string out = Path("out");
    rec.status.clear();
    Unpack(Path("a.arc"), out, {Path("t.txt"), Path("N.BIN"), Path("e.dat")});
    EXPECT_EQ(engine->Mode(), 2);
    EXPECT_EQ(ReadText(out + "\\t.txt"), text);
    EXPECT_EQ(ReadText(out + "\\n.bin"), noise);
    EXPECT_EQ(ReadText(out + "\\e.dat"), "");
    EXPECT_EQ(Stamp(out + "\\n.bin"), DefaultStamp() + 1.5);
    EXPECT_TRUE(engine->DestName.empty());
    ASSERT_FALSE(rec.status.empty());
    EXPECT_EQ(rec.status.back().TotalDone, 350000);
    EXPECT_TRUE(rec.status.back().Finished);
    // 4 KB output blocks, each a progress step, plus one final report per file.
    EXPECT_EQ(rec.status.size(), (150000 + 4095) / 4096 + 1 + (200000 + 4095) / 4096 + 1 + 1);

    try {
        Unpack(Path("a.arc"), out, {Path("nothere.txt")});
        FAIL();
    } catch (const EZCFHFileNotInArchive& e) {
        EXPECT_EQ(e.Message(), "The following file was not found in the archive: " + Path("nothere.txt"));
        EXPECT_TRUE(engine->Abort());  // a failure leaves the stop request set
    }
    try {
        engine->GetFileStats(-1, empty);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Tried to access the -1th file. This file is not defined");
    }
}

TEST_F(EngineTest, AppendingRewritesTheCountAndLeavesOldDataAlone) {
    Make(Path("1.txt"), TextBytes(1000));
    Make(Path("2.txt"), TextBytes(2000));
    Pack(Path("sub\\new.arc"), {Path("1.txt")}, TlzhCommand::lzcOnlyAdd);  // created, folder too
    const std::string before = ReadText(Path("sub\\new.arc"));
    Recorder rec(*engine);
    Pack(Path("sub\\new.arc"), {Path("2.txt")}, TlzhCommand::lzcOnlyAdd);
    const std::string after = ReadText(Path("sub\\new.arc"));
    EXPECT_EQ(after.substr(0, 5), std::string("\x02\x00\x00\x00\x00", 5));
    EXPECT_EQ(after.substr(5, before.size() - 5), before.substr(5));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"before-add:" + Path("2.txt"), "after-add:" + Path("2.txt")}));
    EXPECT_EQ(rec.status.back().TotalSize, 3000);
    engine->SetCompressedFile(Path("other.arc"));
    engine->SetCompressedFile(Path("sub\\new.arc"));
    EXPECT_EQ(engine->IndexOfFile(Path("2.TXT")), 1);
    EXPECT_EQ(engine->FileStats.FileSize, 2000);
    Unpack(Path("sub\\new.arc"), Path("out"), {Path("1.txt"), Path("2.txt")});
    EXPECT_EQ(ReadText(Path("out\\2.txt")), TextBytes(2000));

    Pack(Path("sub\\new.arc"), {Path("2.txt")}, TlzhCommand::lzcOverwrite);
    EXPECT_EQ(ReadText(Path("sub\\new.arc")).substr(0, 1), "\x01");
}

TEST_F(EngineTest, StampsOutsideTheArchiveRangeAreKeptAtItsEnds) {
    // 1970-01-02 (UTC): a date-time value of the archive cannot hold it; the header takes
    // the earliest one it can, so that the file extracts again.
    Make(Path("old.txt"), "old");
    platform::Handle h = platform::CreateFile(Path("old.txt"), platform::GenericWrite, 0, platform::OpenExisting);
    const platform::FileTime early = platform::FileTime::from((11644473600ull + 86400) * 10000000ull);
    ASSERT_TRUE(platform::SetFileTime(h, nullptr, nullptr, &early));
    platform::CloseHandle(h);
    // Blank entries of a given list go, from that list too.
    TStringList files;
    for (const std::string& e : {std::string(" "), Path("old.txt"), std::string()}) files.Add(e);
    engine->SetFilesToProcess(&files);
    EXPECT_EQ(files.Count(), 1);
    engine->SetCompressedFile(Path("a.arc"));
    engine->Compress(TlzhCommand::lzcOverwrite);
    Unpack(Path("a.arc"), Path("out"), {Path("old.txt")});
    EXPECT_EQ(Stamp(Path("out\\old.txt")), EncodeDate(1980, 1, 1));
}

TEST_F(EngineTest, AnotherArchiveNameReadsThatArchivesHeaders) {
    WriteText(Path("x.arc"), SingleFileArchive({{"C:\\X", Deflate("x"), 1}}));
    WriteText(Path("y.arc"), SingleFileArchive({{"C:\\Y", Deflate("yy"), 2}, {"C:\\Z", Deflate("z"), 1}}));
    engine->SetCompressedFile(Path("x.arc"));
    EXPECT_EQ(engine->FileCount(), 1);
    engine->SetCompressedFile(Path("y.arc"));
    EXPECT_FALSE(engine->HeadersLoaded());
    EXPECT_EQ(engine->IndexOfFile("c:\\z"), 1);
    Unpack(Path("y.arc"), Path("out"), {"C:\\Y"});
    EXPECT_EQ(ReadText(Path("out\\Y")), "yy");
}

TEST_F(EngineTest, CompareVersions) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"1.5", "1.3", 1}, {"1.3", "1.5", 2}, {"1.0", "1.0", 0}, {"1.0.1", "1.0", 1},
        {"", "1.0", 2},    {"10", "9", 1},    {"2.0", "1.5", 1}, {"", "", 0},
        {"1.0", "", 1},    {"1.a", "1.B", 1}, {"\xE9", "z", 1},
        // Parts of digits only compare as numbers; any other part as text.
        {"9.0", "10.0", 2}, {"1.10", "1.9", 1}, {"1.010", "1.10", 0}, {"0", "", 1},
        {"99999999999999999999", "100000000000000000000", 2}, {"1.9a", "1.10", 1}, {"1.10a", "1.9", 2}};
    for (auto& [a, b, want] : cases) EXPECT_EQ(CompareVersions(a, b), want) << a << " / " << b;
}

TEST_F(EngineTest, OverwritePoliciesDecideByDateAndVersion) {
    const TDateTime older = DefaultStamp() - 10, newer = DefaultStamp() + 10;
    Make(Path("f.txt"), "new");
    Pack(Path("a.arc"), {Path("f.txt")});
    const std::string target = Path("out\\f.txt");
    ASSERT_TRUE(platform::CreateDirectory(Path("out")));
    auto attempt = [&](TOverwriteType policy, TDateTime existing) {
        Make(target, "old", existing);
        engine->SetOverwrite(policy);
        Unpack(Path("a.arc"), Path("out"), {Path("f.txt")});
        return ReadText(target);
    };
    Recorder rec(*engine);
    EXPECT_EQ(attempt(TOverwriteType::owNever, older), "old");
    EXPECT_EQ(rec.events, std::vector<std::string>{"before-extract:" + Path("f.txt")});
    EXPECT_TRUE(rec.status.empty());
    EXPECT_EQ(attempt(TOverwriteType::owDate, older), "new");
    EXPECT_EQ(attempt(TOverwriteType::owDate, DefaultStamp()), "old");  // strictly earlier only
    EXPECT_EQ(attempt(TOverwriteType::owDate, newer), "old");
    // Neither file has version information: the versions are equal, so the date decides.
    EXPECT_EQ(attempt(TOverwriteType::owVersion, older), "old");
    EXPECT_EQ(attempt(TOverwriteType::owVersionDate, older), "new");
    EXPECT_EQ(attempt(TOverwriteType::owVersionDate, newer), "old");

    // A replace handler that renames the file and one that skips it.
    engine->OnReplace = [](TZarnCompress* e, const TlzhFileStats&) { e->DestName = "sub\\renamed.txt"; };
    EXPECT_EQ(attempt(TOverwriteType::owAlways, newer), "old");
    EXPECT_EQ(ReadText(Path("out\\renamed.txt")), "new");
    engine->OnReplace = [](TZarnCompress* e, const TlzhFileStats&) { e->SkipFile = true; };
    EXPECT_EQ(attempt(TOverwriteType::owAlways, older), "old");
    engine->OnReplace = nullptr;
    try {
        attempt(TOverwriteType(9), older);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Overwrite flag is not in [owNever,owAlways,owVersion,owDate,owVersionDate]");
    }
}

TEST_F(EngineTest, OverwriteByVersionAgainstOlderNewerAndVersionlessTargets) {
#if ZARN_HAVE_VERSION_IMAGES
    auto image = [](const char* name) { return std::string(kVersionImages) + "\\" + name; };
    // The archived file is version 4.0.0.950.
    const std::string src = Path("SELFREG.DLL");
    ASSERT_TRUE(platform::CopyFile(image("selfreg.dll"), src, false));
    Make(src, ReadText(src));  // stamped DefaultStamp(); an extracted copy carries it
    Pack(Path("v.arc"), {src});
    TlzhFileStats stats;
    engine->GetFileStats(0, stats);
    EXPECT_EQ(stats.Header.FileVersion(), "4.0.0.950");
    const std::string out = Path("out"), target = out + "\\SELFREG.DLL";
    ASSERT_TRUE(platform::CreateDirectory(out));
    auto replaced = [&](TOverwriteType policy, const char* existing, TDateTime stamp) {
        EXPECT_TRUE(platform::CopyFile(image(existing), target, false));
        platform::Handle h = platform::CreateFile(target, platform::GenericWrite, 0, platform::OpenExisting);
        FileSetDate(h, stamp);
        platform::CloseHandle(h);
        engine->SetOverwrite(policy);
        Unpack(Path("v.arc"), out, {src});
        // Stored doubles: the 32-bit build may hold a fresh result with more precision.
        volatile TDateTime got = Stamp(target), want = DefaultStamp();
        return got == want;
    };
    const TDateTime older = DefaultStamp() - 1, newer = DefaultStamp() + 1;
    EXPECT_TRUE(replaced(TOverwriteType::owVersion, "font.dll", newer));       // 1.0.0.0 is older
    EXPECT_FALSE(replaced(TOverwriteType::owVersion, "twolang.dll", older));   // 7.0.0.0 is newer
    EXPECT_TRUE(replaced(TOverwriteType::owVersion, "noresource.dll", newer)); // none at all
    EXPECT_FALSE(replaced(TOverwriteType::owVersionDate, "twolang.dll", older));
    EXPECT_TRUE(replaced(TOverwriteType::owVersionDate, "selfreg.dll", older)); // same version: by date
    EXPECT_FALSE(replaced(TOverwriteType::owVersionDate, "selfreg.dll", newer));

    // Version 10.0 installed: an install of the same file at 9.0 keeps it, one at 11.0
    // replaces it.
    auto VersionOf = [](const std::string& path) {
        VersionReader->SetFileName(path);
        return VersionReader->VersionInfo()->FileVersion();
    };
    for (const char* version : {"9", "11"}) {
        ASSERT_TRUE(platform::CopyFile(image(("shared" + std::string(version) + ".dll").c_str()), src, false));
        Make(src, ReadText(src));
        Pack(Path("v.arc"), {src});
        const bool newer = std::string(version) == "11";
        EXPECT_EQ(replaced(TOverwriteType::owVersion, "shared10.dll", older), newer) << version;
        EXPECT_EQ(VersionOf(target), newer ? "11.0.0.0" : "10.0.0.0");
    }
#else
    GTEST_SKIP() << "no version images";
#endif
}

TEST_F(EngineTest, AbortDuringExtractionStopsQuietlyAndCancelStopsAdding) {
    Make(Path("big.bin"), NoiseBytes(100000));
    Pack(Path("a.arc"), {Path("big.bin")});
    Recorder rec(*engine);
    int steps = 0;
    engine->OnStatus = [&](TZarnCompress* e, const TlzhFileStats&) {
        if (++steps == 3) e->SetAbort(true);
    };
    Unpack(Path("a.arc"), Path("out"), {Path("big.bin")});  // no exception
    EXPECT_EQ(rec.events.back(), "aborted");
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(ReadText(Path("out\\big.bin")).size(), 3u * 4096);
    EXPECT_EQ(engine->FilesToProcess()->Count(), 0);

    // A Cancel button: the engine processes pending messages at every block.
    headless->AtProcessMessages(2, [&] { engine->SetAbort(true); });
    engine->OnStatus = nullptr;
    Make(Path("more.bin"), NoiseBytes(300000));
    rec.events.clear();
    Pack(Path("b.arc"), {Path("more.bin")});
    EXPECT_EQ(rec.events, (std::vector<std::string>{"before-add:" + Path("more.bin"), "aborted"}));
}

TEST_F(EngineTest, AfterAStoppedOrFailedAddTheArchiveIsReadAgain) {
    Make(Path("x.txt"), "x");
    Make(Path("y.bin"), NoiseBytes(300000));
    Pack(Path("a.arc"), {Path("x.txt")});
    Unpack(Path("a.arc"), Path("out"), {Path("x.txt")});  // the table is in memory now
    // A source that is missing: nothing is written, and y.bin is not in the archive.
    EXPECT_THROW(Pack(Path("a.arc"), {Path("y.bin"), Path("gone.txt")}, TlzhCommand::lzcOnlyAdd),
                 EZCCouldNotOpenFile);
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out"), {Path("y.bin")}), EZCFHFileNotInArchive);
    EXPECT_FALSE(platform::FileExists(Path("out\\y.bin")));
    // Stopped while y.bin is compressed: its header was never written, and the count
    // the archive now claims cannot be read.
    headless->AtProcessMessages(2, [&] { engine->SetAbort(true); });
    Pack(Path("a.arc"), {Path("y.bin")}, TlzhCommand::lzcOnlyAdd);
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out2"), {Path("y.bin")}), EZCFHCannotReadHeaders);
    EXPECT_FALSE(platform::FileExists(Path("out2\\y.bin")));
}

TEST_F(EngineTest, MissingDisksAskTheHandlerForAFolder) {
    Make(Path("f.txt"), "content");
    Pack(Path("a.arc"), {Path("f.txt")});
    engine->SetCompressedFile(Path("a.arc"));
    ASSERT_EQ(engine->IndexOfFile(Path("f.txt")), 0);  // the headers are read now
    ASSERT_TRUE(platform::CreateDirectory(Path("moved")));
    ASSERT_TRUE(platform::MoveFileEx(Path("a.arc"), Path("moved\\a.arc"), 0));
    try {
        Unpack(Path("a.arc"), Path("out"), {Path("f.txt")});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Could not open the correct disk file 1");
    }
    std::vector<std::pair<int, std::string>> asked;
    engine->OnNewDisk = [&](TZarnCompress*, int disk, std::string& path) {
        asked.push_back({disk, path});
        path = Path("moved\\");
    };
    Unpack(Path("a.arc"), Path("out"), {Path("f.txt")});
    EXPECT_EQ(ReadText(Path("out\\f.txt")), "content");
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::string>>{{1, dir_}}));
    EXPECT_EQ(engine->CompressedFile(), Path("moved\\a.arc"));
    // Setting the old name back keeps the table; a disk that never turns up is asked for
    // four times.
    engine->OnNewDisk = [&](TZarnCompress*, int disk, std::string&) { asked.push_back({disk, "again"}); };
    asked.clear();
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out"), {Path("f.txt")}), Exception);
    EXPECT_EQ(asked.size(), 4u);
}

TEST_F(EngineTest, ArchiveInsideALargerFileAndAcrossThreeDisks) {
    const std::string data = TextBytes(40000);
    const std::string single = SingleFileArchive({{"D:\\DATA.TXT", Deflate(data), 40000}});
    WriteText(Path("setup.exe"), std::string(1000, 'M') + single + "tail");
    engine->SetOffset(1000);
    Unpack(Path("setup.exe"), Path("out"), {"d:\\data.txt"});
    EXPECT_EQ(ReadText(Path("out\\DATA.TXT")), data);

    // Disk 1 holds the table and the start of the data, disks 2 and 3 the rest.
    const std::string z = Deflate(NoiseBytes(30000) + data, 1);
    const std::size_t cut1 = 1000, cut2 = z.size() - 500;
    RecordSpec r{"D:\\BIG.BIN", std::int32_t(30000 + data.size()), 169, std::int32_t(z.size())};
    r.firstDisk = 1;
    r.lastDisk = 3;
    r.lastByte = std::int32_t(z.size() - cut2 - 1);
    r.nextHeader = 169;
    WriteText(Path("disks.1"), Preamble(1, 1) + RecordBytes(r) + z.substr(0, cut1));
    WriteText(Path("disks.2"), z.substr(cut1, cut2 - cut1));
    WriteText(Path("disks.3"), z.substr(cut2) + "next file's data");
    engine->SetOffset(0);
    Unpack(Path("disks.1"), Path("out"), {"D:\\BIG.BIN"});
    EXPECT_EQ(ReadText(Path("out\\BIG.BIN")), NoiseBytes(30000) + data);
    EXPECT_EQ(engine->CurrentDisk(), 3);
    EXPECT_EQ(engine->CompressedFile(), Path("disks.3"));
    engine->SetCompressedFile(Path("DISKS.1"));
    EXPECT_TRUE(engine->HeadersLoaded());
}

TEST_F(EngineTest, HostileArchivesWriteNothingOutsideTheFolderAndNoMoreThanTheirSize) {
    const std::string bomb = Deflate(std::string(20 << 20, '\0'));  // 20 MB from 20 KB
    const std::string text = Deflate("hello");
    // A stream that asks for a preset dictionary (FDICT set, dictionary id 1).
    const std::string preset = std::string("\x78\xF9\0\0\0\1", 6) + text.substr(2);
    const std::string archive = SingleFileArchive({
        {"C:\\a\\..\\..\\evil.txt", text, 5},  // 0: written as out\evil.txt
        {"bomb.bin", bomb, 100},                // 1: stops after its size
        {"trail.txt", text + "garbage", 5},     // 2: bytes behind the stream are ignored
        {"cut.txt", text.substr(0, text.size() - 4), 5},  // 3: no checksum
        {"dict.txt", preset, 5},                // 4: needs a dictionary
        {"C:\\x\\..", text, 5},                 // 5..8: no plain name
        {"CON.txt", text, 5},
        {"a/b:c<d", text, 5},
        {"dir\\", text, 5},
    });
    WriteText(Path("h.arc"), archive);
    const std::string out = Path("out");
    auto extract = [&](const std::string& name, const char* arc = "h.arc") {
        engine->SetCompressedFile(Path(arc));
        engine->SetExtractDirectory(out);
        engine->FilesToProcess()->Clear();
        engine->FilesToProcess()->Add(name);
        engine->Extract();
    };
    extract("C:\\a\\..\\..\\evil.txt");
    EXPECT_EQ(ReadText(out + "\\evil.txt"), "hello");
    EXPECT_THROW(extract("bomb.bin"), EZCWrongDecompressedSize);
    EXPECT_EQ(ReadText(out + "\\bomb.bin"), std::string(100, '\0'));
    extract("trail.txt");
    EXPECT_EQ(ReadText(out + "\\trail.txt"), "hello");
    EXPECT_THROW(extract("cut.txt"), ECompressionError);
    EXPECT_THROW(extract("dict.txt"), ECompressionError);
    for (const char* bad : {"C:\\x\\..", "CON.txt", "a/b:c<d", "dir\\"}) {
        try {
            extract(bad);
            ADD_FAILURE() << bad;
        } catch (const EZCUnsafeFileName& e) {
            EXPECT_EQ(e.FileName, bad);
        }
    }
    std::vector<platform::FindData> found;
    platform::FindFiles(dir_ + "\\*", found);
    EXPECT_EQ(found.size(), 2u);  // h.arc and out
    // Data beyond the end of the file, and a negative start.
    RecordSpec far{"far.txt", 5, 1 << 29, 10, (1 << 29) + 9, 0};
    WriteText(Path("h2.arc"), Preamble(1) + RecordBytes(far));
    EXPECT_THROW(extract("far.txt", "h2.arc"), EZCWrongDecompressedSize);
    far.dataStart = -100;
    WriteText(Path("h3.arc"), Preamble(1) + RecordBytes(far));
    EXPECT_THROW(extract("far.txt", "h3.arc"), EZCWrongDecompressedSize);
    // Disk numbers in a single-file archive.
    for (std::uint8_t first : {0, 2}) {
        RecordSpec disks{"disks.txt", 5, 5 + TFileHeaderRecord::Size, std::int32_t(text.size()), 0, 0};
        disks.lastByte = disks.nextHeader = disks.dataStart + disks.compressedSize;
        disks.firstDisk = first;
        disks.lastDisk = 3;
        WriteText(Path("h4.arc"), Preamble(1) + RecordBytes(disks) + text);
        EXPECT_THROW(extract("disks.txt", "h4.arc"), EZCFHCannotReadHeaders);
    }
}

// Identical files stored once: a second record pointing at the first one's data reads
// back; a shared range that reaches into a header record (or the preamble) is refused
// before anything is written.
TEST_F(EngineTest, SharedDataRangesReadBackAndMayNotOverlapARecord) {
    const std::string data = NoiseBytes(3000) + std::string(5000, 'a');
    const std::string z = Deflate(data);
    const std::int32_t size = std::int32_t(data.size()), csize = std::int32_t(z.size());
    const std::int32_t first = 5 + TFileHeaderRecord::Size;           // the first file's data
    const std::int32_t second = first + csize;                        // the second record
    const std::int32_t third = second + TFileHeaderRecord::Size;
    auto archive = [&](std::int32_t start, std::int32_t last) {
        RecordSpec a{"a.bin", size, first, csize, first + csize - 1, second};
        RecordSpec b{"b.bin", size, start, csize, last, third};
        return Preamble(2) + RecordBytes(a) + z + RecordBytes(b);
    };
    const std::string out = Path("out");
    auto extract = [&](const std::string& arc) {
        engine->SetCompressedFile(Path(arc));
        engine->SetExtractDirectory(out);
        engine->FilesToProcess()->Clear();
        engine->FilesToProcess()->Add("a.bin");
        engine->FilesToProcess()->Add("b.bin");
        engine->Extract();
    };
    WriteText(Path("shared.arc"), archive(first, first + csize - 1));
    extract("shared.arc");
    EXPECT_EQ(ReadText(out + "\\a.bin"), data);
    EXPECT_EQ(ReadText(out + "\\b.bin"), data);
    // Over the second record, over the first one's, over the preamble.
    int n = 0;
    for (auto [start, last] : {std::pair{first, second + 10}, std::pair{first - 20, first + csize - 1},
                               std::pair{2, first + csize - 1}}) {
        const std::string name = "overlap" + std::to_string(++n) + ".arc";
        WriteText(Path(name), archive(start, last));
        platform::DeleteFile(out + "\\b.bin");
        EXPECT_THROW(extract(name), EZCFHCannotReadHeaders) << name;
        EXPECT_FALSE(platform::FileExists(out + "\\b.bin")) << name;
    }
}

TEST_F(EngineTest, CopyFileFollowsThePolicyAndStopsQuietly) {
    Make(Path("src.bin"), NoiseBytes(50000), DefaultStamp() + 2);
    Make(Path("dst.bin"), "old", DefaultStamp() + 5);
    engine->SetOverwrite(TOverwriteType::owDate);
    engine->CopyFile(Path("src.bin"), Path("dst.bin"));
    EXPECT_EQ(ReadText(Path("dst.bin")), "old");
    std::vector<TlzhFileStats> steps;
    engine->OnStatus = [&](TZarnCompress*, const TlzhFileStats& s) { steps.push_back(s); };
    engine->SetOverwrite(TOverwriteType::owAlways);
    engine->CopyFile(Path("src.bin"), Path("dst.bin"));
    EXPECT_EQ(ReadText(Path("dst.bin")), NoiseBytes(50000));
    EXPECT_EQ(Stamp(Path("dst.bin")), DefaultStamp() + 2);
    ASSERT_EQ(steps.size(), 7u + 1);  // 8 KB blocks (the last one short), then the final report
    EXPECT_EQ(steps[2].BytesDone, 3 * 8192);
    EXPECT_TRUE(steps.back().Finished);
    EXPECT_EQ(steps.back().TotalPercent, 100);
    EXPECT_TRUE(engine->DestName.empty());

    engine->OnStatus = [&](TZarnCompress* e, const TlzhFileStats& s) {
        if (s.BytesDone >= 16384) e->SetAbort(true);
    };
    engine->CopyFile(Path("src.bin"), Path("part.bin"));
    EXPECT_EQ(ReadText(Path("part.bin")).size(), 16384u);
    EXPECT_THROW(engine->CopyFile(Path("none.bin"), Path("x.bin")), EZCCouldNotOpenFile);
}

TEST_F(EngineTest, ASourceGoneBeforeItsTurnIsReportedInThreeBoxes) {
    Make(Path("1.txt"), "one");
    Make(Path("2.txt"), "two");
    engine->OnAfterAdding = [&](TZarnCompress*, const TlzhFileStats&) { platform::DeleteFile(Path("2.txt")); };
    EXPECT_THROW(Pack(Path("a.arc"), {Path("1.txt"), Path("2.txt")}), EFOpenError);
    ASSERT_EQ(headless->Boxes().size(), 3u);
    EXPECT_EQ(headless->Boxes()[0].request.text, "error =2");
    EXPECT_EQ(headless->Boxes()[1].request.text, "Cannot open file " + Path("2.txt"));
    EXPECT_EQ(headless->Boxes()[2].request.text, Path("2.txt"));
    // No temporary file is left behind.
    std::vector<platform::FindData> temps;
    platform::FindFiles(platform::GetTempPath() + "lzh*.tmp", temps);
    EXPECT_TRUE(temps.empty());
}

}  // namespace
}  // namespace zarn::test
