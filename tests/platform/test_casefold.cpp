// The two case rules: ASCII only, and the letters of Windows-1252. The second must be
// what the system's own CharUpperA / CharLowerA do, which Win32 answers under Wine.
#include <gtest/gtest.h>

#include "platform/casefold.h"
#include "platform/system.h"

namespace fold = platform::fold;

namespace {

TEST(CaseFold, AsciiLeavesEveryOtherByteAlone) {
    EXPECT_EQ(fold::AsciiUpperCase("abz \xE0\xFF{"), "ABZ \xE0\xFF{");
    EXPECT_EQ(fold::AsciiLowerCase("ABZ \xC0\x9F@"), "abz \xC0\x9F@");
    EXPECT_TRUE(fold::EqualAscii("TInstallForm", "tinstallFORM"));
    EXPECT_FALSE(fold::EqualAscii("\xC0", "\xE0"));
    EXPECT_FALSE(fold::EqualAscii("ab", "abc"));
}

TEST(CaseFold, Cp1252MatchesTheSystemsAnsiCase) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += char(c);
    EXPECT_EQ(fold::Cp1252UpperCase(all), platform::AnsiUpperCase(all));
    EXPECT_EQ(fold::Cp1252LowerCase(all), platform::AnsiLowerCase(all));
    EXPECT_TRUE(fold::EqualCp1252("\xC0\x8A\x9F", "\xE0\x9A\xFF"));  // À Š Ÿ
    // UTF-16 keys fold only where Latin-1 and Windows-1252 agree.
    EXPECT_EQ(fold::Latin1Upper(u'\u00E9'), u'\u00C9');
    EXPECT_EQ(fold::Latin1Upper(u'\u00FF'), u'\u00FF');
    EXPECT_EQ(fold::Latin1Upper(u'\u009A'), u'\u009A');
    EXPECT_EQ(fold::Latin1Upper(u'\u0161'), u'\u0161');
}

}  // namespace
