// The archive layout and the header table.
#include <gtest/gtest.h>

#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

using HeadersTest = ArchiveTest;

TEST_F(HeadersTest, EmptyArchiveIsFiveZeroBytes) {
    Pack(Path("empty.arc"), {});
    EXPECT_EQ(ReadText(Path("empty.arc")), std::string(5, '\0'));
    EXPECT_EQ(engine->FileCount(), 0);
}

TEST_F(HeadersTest, OneFileLayoutByteForByte) {
    const std::string src = Path("A.TXT"), text = TextBytes(3000);
    Make(src, text);
    Pack(Path("one.arc"), {src});
    const std::string a = ReadText(Path("one.arc"));
    ASSERT_GT(a.size(), 169u);
    EXPECT_EQ(a.substr(0, 5), std::string("\x01\x00\x00\x00\x00", 5));
    TFileHeaderRecord r;
    std::copy(a.begin() + 5, a.begin() + 169, r.bytes.begin());
    const std::int32_t n = std::int32_t(a.size()) - 169;
    EXPECT_EQ(r.FileNumber(), 1);
    EXPECT_EQ(r.FileDate(), DefaultStamp());
    EXPECT_EQ(r.FileName(), src);
    EXPECT_EQ(r.FileSize(), 3000);
    EXPECT_EQ(r.DataStart(), 169);
    EXPECT_EQ(r.CompressedSize(), n);
    EXPECT_EQ(r.LastByte(), 169 + n - 1);
    EXPECT_EQ(r.NextHeader(), std::int32_t(a.size()));
    EXPECT_EQ(r.FirstDisk(), 0);
    EXPECT_EQ(r.LastDisk(), 0);
    EXPECT_EQ(r.FileVersion(), "");
    // Reserved bytes and the room behind both texts are zero.
    for (int i : {13, 14, 15, 121, 122, 123, 162, 163}) EXPECT_EQ(r.bytes[i], 0) << i;
    for (std::size_t i = 21 + src.size(); i < 121; ++i) ASSERT_EQ(r.bytes[i], 0) << i;
    for (int i = 141; i < 162; ++i) ASSERT_EQ(r.bytes[i], 0) << i;
    EXPECT_EQ(Inflate(a.substr(169), text.size()), text);
}

TEST_F(HeadersTest, NamesAreCutToHundredCharactersAndLookedUpWithoutCase) {
    // A 120-character entry whose first 100 characters name an existing file.
    const std::string stored = Path(std::string(100 - dir_.size() - 1 - 4, 'd') + ".txt");
    ASSERT_EQ(stored.size(), 100u);
    Make(stored, "x");
    const std::string name = stored + std::string(20, 'e');
    TFileHeaders table;
    TStringList files;
    files.Add(name + ";ignored;fields");
    table.AddFiles(&files, false);
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.GetFileHeaders(0)->Record.FileName(), stored);
    EXPECT_EQ(table.IndexOf(name), -1);
    EXPECT_EQ(table.IndexOf(LowerCase(stored) + ";anything"), 0);
    try {
        table.GetFileHeaders(table.Count());
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "GetFileHeaders--module cmp_TFileHeaders--Create constructor");
    }
    auto blank = new TFileHeader;
    blank->Record.SetFileName("   ");
    EXPECT_THROW(table.AddHeader(blank), EZCFHInvalidNewFileHeader);
    files.Add(Path("missing.txt"));
    try {
        table.AddFiles(&files, true);
        FAIL();
    } catch (const EZCCouldNotOpenFile& e) {
        EXPECT_EQ(e.FileName, Path("missing.txt"));
        EXPECT_EQ(e.Message(), "Could not open the following file: " + Path("missing.txt"));
    }
    EXPECT_EQ(table.Count(), 2);  // what was added before the failure stays
}

TEST_F(HeadersTest, LoadingFromAnOffsetAndFromBrokenTables) {
    const std::string body = SingleFileArchive({{"D:\\A.TXT", Deflate("aaa"), 3}, {"D:\\B.TXT", Deflate("b"), 1}});
    TMemoryStream m;
    const std::string padded = std::string(1000, 'z') + body + "trailing";
    m.WriteBuffer(padded.data(), std::int32_t(padded.size()));
    TFileHeaders table;
    table.LoadFromStream(&m, 1000);
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.GetFileHeaders(1)->Record.FileName(), "D:\\B.TXT");
    EXPECT_TRUE(table.GetFileHeaders(1)->InArchive);
    std::int32_t size, compressed;
    table.GetTotals(size, compressed);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(compressed, std::int32_t(Deflate("aaa").size() + Deflate("b").size()));

    auto load = [&](const std::string& bytes) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), std::int32_t(bytes.size()));
        table.LoadFromStream(&s, 0);
    };
    load(Preamble(0) + "garbage");
    EXPECT_EQ(table.Count(), 0);
    load(Preamble(-5));  // a count below zero reads no record
    EXPECT_EQ(table.Count(), 0);
    EXPECT_THROW(load(std::string("\x01\x00\x00", 3)), EZCFHCannotReadHeaderCount);
    EXPECT_THROW(load(std::string("\x01\x00\x00\x00", 4)), EZCFHCannotReadHeaderCount);
    // Two billion headers whose chain points back at the first: refused at the first step back.
    RecordSpec loop{"D:\\A.TXT", 0, 169, 0, 168, 5};
    EXPECT_THROW(load(Preamble(2000000000) + RecordBytes(loop)), EZCFHCannotReadHeaders);
    EXPECT_EQ(table.Count(), 1);  // the headers read before the failure stay
    loop.nextHeader = 1 << 30;  // beyond the end
    EXPECT_THROW(load(Preamble(2) + RecordBytes(loop)), EZCFHCannotReadHeaders);
    EXPECT_THROW(load(Preamble(1) + RecordBytes(RecordSpec(""))), EZCFHInvalidNewFileHeader);
}

TEST_F(HeadersTest, MultiDiskTableIsWrittenAsOneBlock) {
    TFileHeaders table;
    table.MultiDisk = 1;
    for (const char* n : {"A", "B", "C"}) {
        auto h = new TFileHeader;
        h->Record.SetFileName(n);
        table.AddHeader(h);
    }
    TMemoryStream m;
    table.SaveToStream(&m);
    ASSERT_EQ(m.Size(), 5 + 3 * 164);
    EXPECT_EQ(m.Data()[0], 3);
    EXPECT_EQ(m.Data()[4], 1);
    TFileHeaders back;
    back.LoadFromStream(&m, 0);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.MultiDisk, 1);
    EXPECT_EQ(back.GetFileHeaders(0)->Record.NextHeader(), 169 + 0);
    EXPECT_EQ(back.GetFileHeaders(2)->Record.NextHeader(), 5 + 3 * 164);
    EXPECT_EQ(back.GetFileHeaders(2)->Record.FileName(), "C");
}

}  // namespace
}  // namespace zarn::test
