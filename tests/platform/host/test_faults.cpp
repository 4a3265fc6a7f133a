// The host's fault switches: a disk that fills up after N bytes, and a file held "in use
// by another process".
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/testenv.h"
#include "tests/platform/scratch.h"

using namespace platform;
namespace te = platform::testenv;

namespace {

class Faults : public zarn::test::ScratchTest {
protected:
    void TearDown() override {
        te::SetDiskFullAfter(std::nullopt);
        ScratchTest::TearDown();
    }
};

TEST_F(Faults, DiskFullCutsWritesShortAcrossFiles) {
    ASSERT_TRUE(te::SetDiskFullAfter(10));
    FileHandle a(CreateFile(Path("a.bin"), GenericWrite, 0, CreateAlways));
    FileHandle b(CreateFile(Path("b.bin"), GenericWrite, 0, CreateAlways));
    ASSERT_TRUE(a && b);
    DWORD done = 99;
    EXPECT_TRUE(WriteFile(a.get(), "123456", 6, done));
    EXPECT_EQ(done, 6u);
    // The second file gets what is left, and the call says the disk is full.
    EXPECT_FALSE(WriteFile(b.get(), "abcdef", 6, done));
    EXPECT_EQ(GetLastError(), err::DiskFull);
    EXPECT_EQ(done, 4u);
    EXPECT_FALSE(WriteFile(a.get(), "x", 1, done));
    EXPECT_EQ(GetLastError(), err::DiskFull);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(WriteFile(a.get(), "x", 0, done));  // nothing to write always fits
    a.reset();
    b.reset();
    EXPECT_EQ(ReadText(Path("a.bin")), "123456");
    EXPECT_EQ(ReadText(Path("b.bin")), "abcd");

    // A copy stops where the disk fills and leaves what fitted.
    ASSERT_TRUE(te::SetDiskFullAfter(3));
    EXPECT_FALSE(CopyFile(Path("a.bin"), Path("c.bin"), false));
    EXPECT_EQ(GetLastError(), err::DiskFull);
    EXPECT_EQ(ReadText(Path("c.bin")), "123");

    ASSERT_TRUE(te::SetDiskFullAfter(std::nullopt));
    WriteText(Path("a.bin"), std::string(5000, 'z'));
    EXPECT_EQ(ReadText(Path("a.bin")).size(), 5000u);
}

TEST_F(Faults, AFileHeldInUseCannotBeOpenedDeletedMovedOrReplaced) {
    WriteText(Path("held.txt"), "held");
    WriteText(Path("other.txt"), "other");
    EXPECT_FALSE(te::HoldFileInUse(Path("absent.txt"), true));
    ASSERT_TRUE(te::HoldFileInUse(Path("held.txt"), true));

    auto refused = [](bool failed) { return failed && GetLastError() == err::SharingViolation; };
    // Every access, by any name of the file.
    EXPECT_TRUE(refused(CreateFile(Path("held.txt"), GenericRead, FileShareRead | FileShareWrite | FileShareDelete,
                                   OpenExisting) == InvalidHandle));
    EXPECT_TRUE(refused(CreateFile(Path("HELD.TXT"), GenericWrite, 0, CreateAlways) == InvalidHandle));
    EXPECT_TRUE(refused(!DeleteFile(Path("held.txt"))));
    EXPECT_TRUE(refused(!MoveFileEx(Path("held.txt"), Path("moved.txt"), 0)));
    EXPECT_TRUE(refused(!CopyFile(Path("held.txt"), Path("copy.txt"), false)));
    EXPECT_TRUE(refused(!CopyFile(Path("other.txt"), Path("held.txt"), false)));
    // Windows refuses to replace any open file with AccessDenied, whatever it shares.
    EXPECT_FALSE(MoveFileEx(Path("other.txt"), Path("held.txt"), MoveFileReplaceExisting));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    // Looking at it is still allowed, and nothing changed.
    EXPECT_TRUE(FileHandle(CreateFile(Path("held.txt"), 0, 0, OpenExisting)));
    EXPECT_TRUE(FileExists(Path("held.txt")));
    EXPECT_TRUE(FileExists(Path("other.txt")));
    EXPECT_FALSE(FileExists(Path("moved.txt")));

    ASSERT_TRUE(te::HoldFileInUse(Path("held.txt"), false));
    EXPECT_EQ(ReadText(Path("held.txt")), "held");
    EXPECT_TRUE(MoveFileEx(Path("other.txt"), Path("held.txt"), MoveFileReplaceExisting));
    EXPECT_TRUE(DeleteFile(Path("held.txt")));
}

TEST_F(Faults, ANewRootSwitchesBothOff) {
    WriteText(Path("held.txt"), "held");
    ASSERT_TRUE(te::HoldFileInUse(Path("held.txt"), true));
    ASSERT_TRUE(te::SetDiskFullAfter(0));
    const std::string root = te::Root();
    ASSERT_TRUE(te::UseRoot(root));
    WriteText(Path("held.txt"), "written");
    EXPECT_EQ(ReadText(Path("held.txt")), "written");
}

}  // namespace
