// Sources too large for the format's signed 32-bit sizes, on both builds: a sparse file of
// 2 GB and one of 4.5 GiB (whose size's low half alone would look like 0.5 GiB).
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/archive/archive_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/testenv.h"
#endif

namespace zarn::test {
namespace {

// A sparse file of `size` bytes.
bool MakeSparse(const std::string& path, std::uint64_t size) {
#ifdef _WIN32
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LONG high = LONG(size >> 32);
    const bool ok = ::SetFilePointer(h, LONG(size & 0xFFFFFFFFu), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                    ::SetEndOfFile(h);
    ::CloseHandle(h);
    return ok;
#else
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    if (h == platform::InvalidHandle) return false;
    platform::CloseHandle(h);
    auto host = platform::testenv::HostPath(path);
    return host && ::truncate(host->c_str(), off_t(size)) == 0;
#endif
}

using LargeSourceTest = ArchiveTest;

TEST_F(LargeSourceTest, SourcesOfTwoGigabytesOrMoreAreRefusedBeforeAnythingIsWritten) {
    for (std::uint64_t size : {std::uint64_t(0x80000000u), std::uint64_t(0x120000000u)}) {
        SCOPED_TRACE(size);
        const std::string big = Path("big.bin");
        ASSERT_TRUE(MakeSparse(big, size));
        try {
            Pack(Path("a.arc"), {big});
            FAIL() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "The following file is too large to be added to an archive: " + big);
        }
        EXPECT_EQ(ReadText(Path("a.arc")), "");  // created, but no header claims the file
    }
}

}  // namespace
}  // namespace zarn::test
