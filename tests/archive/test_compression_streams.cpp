// The handle stream and the compression stream.
#include <gtest/gtest.h>

#include "archive/routines_Compression.h"
#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

class CompressionStreamTest : public ScratchTest {};

TEST_F(CompressionStreamTest, EmptyInputGivesACompleteStreamOnlyWhenFinished) {
    TMemoryStream target;
    int progress = 0;
    {
        TCompressionStream zip(TCompressionLevel::colMax, &target);
        zip.OnProgress = [&](TObject*) { ++progress; };
        EXPECT_EQ(zip.Write("", 0), 0);
        EXPECT_EQ(target.Size(), 0);  // nothing reaches the target before the end
    }
    EXPECT_EQ(progress, 0);
    const std::string out(target.Data().begin(), target.Data().end());
    // zlib header of level 9, an empty final block, the Adler-32 of nothing.
    EXPECT_EQ(out, std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST_F(CompressionStreamTest, FullBlocksReachTheTargetWithAProgressCallEach) {
    TMemoryStream target;
    target.WriteBuffer("prefix", 6);  // output goes where the target stood
    const std::string data = NoiseBytes(300000);
    std::vector<std::int64_t> sizesAtProgress;
    TCompressionStream zip(TCompressionLevel::colFastest, &target);
    zip.OnProgress = [&](TObject* sender) {
        EXPECT_EQ(sender, &zip);
        sizesAtProgress.push_back(target.Size());
    };
    TMemoryStream source;
    source.WriteBuffer(data.data(), std::int32_t(data.size()));
    zip.CopyFrom(&source, 0);
    EXPECT_EQ(zip.Seek(0, TSeekOrigin::soCurrent), std::int64_t(data.size()));
    zip.Finish();
    // Noise does not shrink: four full 64 KB blocks before the end.
    ASSERT_EQ(sizesAtProgress.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(sizesAtProgress[i], 6 + std::int64_t(i + 1) * 65536);
    const std::string out(target.Data().begin() + 6, target.Data().end());
    EXPECT_EQ(out.substr(0, 2), "\x78\x01");
    EXPECT_EQ(Inflate(out, data.size()), data);

    EXPECT_THROW(zip.Seek(1, TSeekOrigin::soCurrent), ECompressionError);
    char c;
    try {
        zip.Read(&c, 1);
        FAIL();
    } catch (const ECompressionError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream operation");
    }
}

TEST_F(CompressionStreamTest, LevelsAreDeflateLevels) {
    // FLEVEL bits of the zlib header: 0 fastest (levels 0 and 1), 2 default, 3 maximum.
    const std::pair<TCompressionLevel, std::string> cases[] = {{TCompressionLevel::colNone, "\x78\x01"},
                                                               {TCompressionLevel::colFastest, "\x78\x01"},
                                                               {TCompressionLevel::colDefault, "\x78\x9C"},
                                                               {TCompressionLevel::colMax, "\x78\xDA"}};
    const std::string text = TextBytes(5000);
    std::size_t noneSize = 0;
    for (auto& [level, head] : cases) {
        TMemoryStream target;
        {
            TCompressionStream zip(level, &target);
            zip.WriteBuffer(text.data(), std::int32_t(text.size()));
        }
        const std::string out(target.Data().begin(), target.Data().end());
        EXPECT_EQ(out.substr(0, 2), head);
        EXPECT_EQ(Inflate(out, text.size()), text);
        if (level == TCompressionLevel::colNone) noneSize = out.size();
    }
    EXPECT_GT(noneSize, text.size());  // stored, not compressed
}

TEST_F(CompressionStreamTest, HandleStreamReportsFailuresAsZeroAndKeepsItsPosition) {
    const std::string path = Path("h.bin");
    WriteText(path, "0123456789");
    platform::Handle ro = platform::CreateFile(path, platform::GenericRead, 3, platform::OpenExisting);
    platform::Handle wo = platform::CreateFile(path, platform::GenericWrite, 3, platform::OpenExisting);
    {
        TZarnNormalHandleStream r(ro), w(wo);
        r.Seek(4, TSeekOrigin::soBeginning);
        EXPECT_EQ(r.GetSize(), 10);
        EXPECT_EQ(r.Position(), 4);
        char buf[4];
        EXPECT_EQ(w.Read(buf, 4), 0);  // not -1
        EXPECT_EQ(r.Write("x", 1), 0);
        EXPECT_EQ(r.Read(buf, 4), 4);
        EXPECT_EQ(std::string(buf, 4), "4567");
        w.SetSize(3);
        EXPECT_EQ(r.GetSize(), 3);
        try {
            r.SetSize(1);
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Could not set file Size: routines_Compression::TZarnHandleStream.SetSize");
        }
    }
    platform::CloseHandle(ro);
    platform::CloseHandle(wo);
}

}  // namespace
}  // namespace zarn::test
