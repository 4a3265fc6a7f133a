// A full disk and files in use, through the host's fault switches.
#include <gtest/gtest.h>

#include "platform/testenv.h"
#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

class DiskFullTest : public ArchiveTest {
protected:
    void TearDown() override {
        platform::testenv::SetDiskFullAfter(std::nullopt);
        ArchiveTest::TearDown();
    }
};

TEST_F(DiskFullTest, ExtractingOntoAFullDisk) {
    Make(Path("f.bin"), NoiseBytes(40000));
    Pack(Path("a.arc"), {Path("f.bin")});
    platform::testenv::SetDiskFullAfter(10000);
    try {
        Unpack(Path("a.arc"), Path("out"), {Path("f.bin")});
        FAIL();
    } catch (const EZCDiskFull& e) {
        EXPECT_EQ(e.Message(), "Disk is full");
        EXPECT_TRUE(engine->Abort());
    }
    // With a handler the engine carries on; the handler stops it at the next block.
    platform::testenv::SetDiskFullAfter(10000);
    int full = 0;
    bool aborted = false;
    engine->OnFullDisk = [&](TObject*) {
        ++full;
        engine->SetAbort(true);
    };
    engine->OnAborted = [&](TObject*) { aborted = true; };
    Unpack(Path("a.arc"), Path("out"), {Path("f.bin")});
    EXPECT_EQ(full, 1);
    EXPECT_TRUE(aborted);
    // Carrying on to the end leaves a file of the wrong size.
    platform::testenv::SetDiskFullAfter(10000);
    engine->OnFullDisk = [&](TObject*) { ++full; };
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out"), {Path("f.bin")}), EZCWrongDecompressedSize);
    EXPECT_GT(full, 1);
}

TEST_F(DiskFullTest, AddingAndCopyingOntoAFullDisk) {
    Make(Path("f.bin"), NoiseBytes(40000));
    Pack(Path("a.arc"), {Path("f.bin")});
    const std::int32_t compressed = std::int32_t(ReadText(Path("a.arc")).size()) - 169;
    // The temporary file fits; the copy into the archive does not.
    platform::testenv::SetDiskFullAfter(5 + compressed + 164 + compressed / 2);
    EXPECT_THROW(Pack(Path("b.arc"), {Path("f.bin")}), EZCDiskFull);
    platform::testenv::SetDiskFullAfter(5 + compressed + 164 + compressed / 2);
    // A handler that makes room (the user freed space) lets the operation go on.
    int full = 0;
    engine->OnFullDisk = [&](TObject*) {
        ++full;
        platform::testenv::SetDiskFullAfter(std::nullopt);
    };
    Pack(Path("c.arc"), {Path("f.bin")});
    EXPECT_EQ(full, 1);
    // The data range ends where the disk was full; the size is that of the whole stream.
    engine->SetCompressedFile(Path("c.arc"));
    TlzhFileStats stats;
    engine->GetFileStats(0, stats);
    EXPECT_EQ(stats.Header.CompressedSize(), compressed);
    EXPECT_EQ(stats.Header.LastByte() + 1, std::int32_t(ReadText(Path("c.arc")).size()));

    engine->OnFullDisk = nullptr;
    platform::testenv::SetDiskFullAfter(20000);
    EXPECT_THROW(engine->CopyFile(Path("f.bin"), Path("copy.bin")), EZCDiskFull);
    EXPECT_FALSE(engine->Abort());  // copying passes its failures on unchanged
}

TEST_F(DiskFullTest, FilesInUse) {
    Make(Path("f.txt"), "new");
    Pack(Path("a.arc"), {Path("f.txt")});
    ASSERT_TRUE(platform::CreateDirectory(Path("out")));
    Make(Path("out\\f.txt"), "old", DefaultStamp() - 1);
    ASSERT_TRUE(platform::testenv::HoldFileInUse(Path("out\\f.txt"), true));
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out"), {Path("f.txt")}), EZCCouldNotCreateFile);
    engine->SetOverwrite(TOverwriteType::owDate);
    EXPECT_THROW(Unpack(Path("a.arc"), Path("out"), {Path("f.txt")}), EZCCouldNotOpenFile);
    platform::testenv::HoldFileInUse(Path("out\\f.txt"), false);

    ASSERT_TRUE(platform::testenv::HoldFileInUse(Path("a.arc"), true));
    EXPECT_THROW(Pack(Path("a.arc"), {Path("f.txt")}), EZCCouldNotCreateFile);
    platform::testenv::HoldFileInUse(Path("a.arc"), false);
}

}  // namespace
}  // namespace zarn::test
