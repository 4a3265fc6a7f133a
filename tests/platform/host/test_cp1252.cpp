// Windows-1252 to and from UTF-16, as the system converts with code page 1252.
#include <gtest/gtest.h>

#include "platform/host/cp1252.h"

using platform::host::AnsiToUtf16;
using platform::host::Utf16ToAnsi;

namespace {

TEST(Cp1252, ConvertsAsTheSystemDoes) {
    EXPECT_EQ(Utf16ToAnsi(u"plain"), "plain");
    EXPECT_EQ(Utf16ToAnsi(u"\u20AC\u00E9\u0178"), "\x80\xE9\x9F");
    EXPECT_EQ(Utf16ToAnsi(u"\u0100\u010D\u2014"), "Ac\x97");  // best fit
    EXPECT_EQ(Utf16ToAnsi(u"\u0416\u65E5"), "??");
    EXPECT_EQ(Utf16ToAnsi(u"\U0001F600"), "??");
    EXPECT_EQ(AnsiToUtf16("\x80\x81\xFF"), u"\u20AC\u0081\u00FF");
    // Every byte comes back as it went.
    std::string all;
    for (int c = 1; c < 256; ++c) all += char(c);
    EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(all)), all);
}

}  // namespace
