// Date-time values, DOS words and file stamps. Runs against the host's Windows and under
// Wine against Win32: the conversions through local time must agree with the system's.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "framework/classes.h"
#include "framework/datetime.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/platform/scratch.h"

using platform::WORD;

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

constexpr WORD DosDate(int y, int m, int d) { return WORD(((y - 1980) << 9) | (m << 5) | d); }
constexpr WORD DosTime(int h, int m, int s) { return WORD((h << 11) | (m << 5) | (s / 2)); }

TEST(DateTime, DaysCountFromTheEndOf1899) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 3, 1), 36586.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);
    for (auto [y, m, d] : {std::tuple{2001, 2, 29}, {1900, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2000, 13, 1}, {2000, 4, 31}})
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError) << y << "-" << m << "-" << d;
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);

    // Decoding gives the parts back to the millisecond, also at the ends of the range.
    for (TDateTime v : {At(2000, 2, 29, 12, 34, 56, 789), At(1, 1, 1), At(9999, 12, 31, 23, 59, 59, 999),
                        At(1980, 1, 1), At(2107, 12, 31, 23, 59, 58)}) {
        int y, mo, d, h, mi, s, ms;
        DecodeDate(v, y, mo, d);
        DecodeTime(v, h, mi, s, ms);
        EXPECT_EQ(At(y, mo, d, h, mi, s, ms), v) << v;
    }
    // A fraction that rounds up to midnight is the next day.
    int y, mo, d, h, mi, s, ms;
    DecodeDate(EncodeDate(2003, 12, 31) + 0.9999999999, y, mo, d);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20040101);
    // No day at all: zeros, not a crash.
    for (TDateTime bad : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()}) {
        DecodeDate(bad, y, mo, d);
        DecodeTime(bad, h, mi, s, ms);
        EXPECT_EQ(y + mo + d + h + mi + s + ms, 0) << bad;
    }
}

TEST(DateTime, DosWordsHoldTwoSecondStepsFrom1980To2107) {
    WORD date = 0, time = 0;
    ASSERT_TRUE(DateTimeToDosDateTime(At(2001, 2, 3, 4, 5, 6), date, time));
    EXPECT_EQ(date, DosDate(2001, 2, 3));
    EXPECT_EQ(time, DosTime(4, 5, 6));
    // An odd second (and any part of one) rounds down.
    ASSERT_TRUE(DateTimeToDosDateTime(At(2001, 2, 3, 4, 5, 7, 999), date, time));
    EXPECT_EQ(time, DosTime(4, 5, 6));
    TDateTime back = 0;
    ASSERT_TRUE(DosDateTimeToDateTime(date, time, back));
    EXPECT_EQ(back, At(2001, 2, 3, 4, 5, 6));

    // The ends of the range, and just beyond them.
    ASSERT_TRUE(DateTimeToDosDateTime(At(1980, 1, 1), date, time));
    EXPECT_EQ(date, 0x21);
    EXPECT_EQ(time, 0);
    ASSERT_TRUE(DateTimeToDosDateTime(At(2107, 12, 31, 23, 59, 59), date, time));
    EXPECT_EQ(date, 0xFF9F);
    EXPECT_EQ(time, 0xBF7D);
    ASSERT_TRUE(DosDateTimeToDateTime(0xFF9F, 0xBF7D, back));
    EXPECT_EQ(back, At(2107, 12, 31, 23, 59, 58));
    EXPECT_FALSE(DateTimeToDosDateTime(At(1979, 12, 31, 23, 59, 59), date, time));
    EXPECT_FALSE(DateTimeToDosDateTime(At(2108, 1, 1), date, time));
    EXPECT_FALSE(DateTimeToDosDateTime(std::numeric_limits<double>::quiet_NaN(), date, time));
    EXPECT_FALSE(DateTimeToDosDateTime(1e300, date, time));

    // Words that name no date or time.
    back = 42;
    for (auto [dd, tt] : {std::pair{WORD(0), WORD(0)}, {WORD((1 << 9) | (13 << 5) | 1), WORD(0)},
                          {DosDate(2001, 2, 29), WORD(0)}, {DosDate(2001, 4, 31), WORD(0)},
                          {DosDate(2001, 1, 1), WORD(24 << 11)}, {DosDate(2001, 1, 1), WORD(60 << 5)},
                          {DosDate(2001, 1, 1), WORD(30)}}) {
        EXPECT_FALSE(DosDateTimeToDateTime(dd, tt, back)) << std::hex << dd << " " << tt;
        EXPECT_EQ(back, 42);
    }
}

TEST(DateTime, FileStampsConvertThroughLocalTime) {
    // Stamp to value and back: the value is what the system's own local conversion and
    // DOS words give, and an even second survives exactly.
    const platform::FileTime stamp = platform::FileTime::from(126256467060000000ull);  // 2001-02-03 04:05:06 UTC
    TDateTime value = 0;
    ASSERT_TRUE(FileTimeToDateTime(stamp, value));
    platform::FileTime local;
    WORD date, time;
    ASSERT_TRUE(platform::FileTimeToLocalFileTime(stamp, local));
    ASSERT_TRUE(platform::FileTimeToDosDateTime(local, date, time));
    TDateTime expected = 0;
    ASSERT_TRUE(DosDateTimeToDateTime(date, time, expected));
    EXPECT_EQ(value, expected);
    platform::FileTime again;
    ASSERT_TRUE(DateTimeToFileTime(value, again));
    EXPECT_EQ(again, stamp);

    // A stamp between two even seconds comes back at the earlier one.
    platform::FileTime odd = platform::FileTime::from(stamp.value() + 19999999);
    ASSERT_TRUE(FileTimeToDateTime(odd, value));
    ASSERT_TRUE(DateTimeToFileTime(value, again));
    EXPECT_EQ(again, stamp);

    EXPECT_FALSE(FileTimeToDateTime(platform::FileTime{}, value));  // 1601
    EXPECT_FALSE(DateTimeToFileTime(At(1970, 1, 1), again));
}

class FileDates : public zarn::test::ScratchTest {};

TEST_F(FileDates, SetAndReadOnARealFile) {
    WriteText(Path("dated.txt"), "x");
    const TDateTime when = At(2004, 7, 15, 13, 14, 16);
    {
        platform::FileHandle f(
            platform::CreateFile(Path("dated.txt"), platform::GenericRead | platform::GenericWrite, 0,
                                 platform::OpenExisting));
        ASSERT_TRUE(f);
        ASSERT_TRUE(FileSetDate(f.get(), when)) << platform::GetLastError();
        EXPECT_EQ(FileGetDate(f.get()), when);
        // Outside the DOS range nothing is set.
        EXPECT_FALSE(FileSetDate(f.get(), At(1975, 1, 1)));
        EXPECT_EQ(platform::GetLastError(), platform::err::InvalidParameter);
    }
    EXPECT_EQ(FileAge(Path("dated.txt")), when);
    EXPECT_EQ(FileAge(Path("DATED.TXT")), when);

    // Folders, patterns, missing files and bad handles have no age.
    ASSERT_TRUE(platform::CreateDirectory(Path("folder")));
    EXPECT_EQ(FileAge(Path("folder")), -1);
    EXPECT_EQ(FileAge(Path("*.txt")), -1);
    EXPECT_EQ(FileAge(Path("missing.txt")), -1);
    EXPECT_EQ(FileGetDate(platform::InvalidHandle), -1);
}

}  // namespace
