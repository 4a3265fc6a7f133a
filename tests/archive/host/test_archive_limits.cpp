// Limits the host's own Windows can reach cheaply: a source file of 2 GB or more (sparse).
#include <gtest/gtest.h>

#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

using ArchiveLimitsTest = ArchiveTest;

TEST_F(ArchiveLimitsTest, ASourceOfTwoGigabytesIsRefusedBeforeAnythingIsWritten) {
    const std::string big = Path("big.bin");
    platform::Handle h = platform::CreateFile(big, platform::GenericWrite, 0, platform::CreateAlways);
    ASSERT_NE(platform::SetFilePointer(h, 0x7FFFFFFF, platform::FileBegin), platform::InvalidSetFilePointer);
    ASSERT_NE(platform::SetFilePointer(h, 1, platform::FileCurrent), platform::InvalidSetFilePointer);
    ASSERT_TRUE(platform::SetEndOfFile(h));
    platform::CloseHandle(h);
    try {
        Pack(Path("a.arc"), {big});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The following file is too large to be added to an archive: " + big);
    }
    EXPECT_EQ(ReadText(Path("a.arc")), "");  // created, but no header claims the file
}

}  // namespace
}  // namespace zarn::test
