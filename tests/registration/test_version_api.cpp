// The version-resource service on test images with known resources. Runs against the
// host's reader and, in the win32 build, against version.dll under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/version.h"
#include "version_images.h"

using namespace platform;

namespace {

std::string Image(const std::string& name) { return std::string(kVersionImages) + "\\" + name; }

#define REQUIRE_IMAGES()                                                   \
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP() << "no MinGW resource compiler"

// The buffer of `path`, or empty when it has no version information.
std::vector<BYTE> Load(const std::string& path) {
    DWORD handle = 77;
    DWORD size = GetFileVersionInfoSize(path, handle);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> data;
    if (size == 0) return data;
    EXPECT_TRUE(GetFileVersionInfo(path, size, data));
    return data;
}

bool QueryString(std::vector<BYTE>& data, const std::string& block, std::string& out) {
    const void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValue(data, block, p, len)) return false;
    out = len ? std::string(static_cast<const char*>(p)) : std::string();
    return true;
}

std::string String(std::vector<BYTE>& data, const std::string& block) {
    std::string s;
    return QueryString(data, block, s) ? s : std::string("<missing>");
}

FixedFileInfo Fixed(std::vector<BYTE>& data) {
    const void* p = nullptr;
    UINT len = 0;
    FixedFileInfo f;
    EXPECT_TRUE(VerQueryValue(data, "\\", p, len));
    EXPECT_EQ(len, sizeof(FixedFileInfo));
    if (p && len >= sizeof f) std::memcpy(&f, p, sizeof f);
    return f;
}

}  // namespace

TEST(VersionApi, FixedInformationOfAnApplication) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("app_multi.dll"));
    ASSERT_FALSE(data.empty());
    FixedFileInfo f = Fixed(data);
    EXPECT_EQ(f.signature, FixedFileInfoSignature);
    EXPECT_EQ(f.fileVersionMS, 0x00010002u);
    EXPECT_EQ(f.fileVersionLS, 0x00030004u);
    EXPECT_EQ(f.productVersionMS, 0x00020000u);
    EXPECT_EQ(f.productVersionLS, 950u);
    EXPECT_EQ(f.fileOS, 4u);
    EXPECT_EQ(f.fileType, 1u);
    // An empty sub-block and doubled separators also name the root.
    const void* p = nullptr;
    UINT len = 0;
    EXPECT_TRUE(VerQueryValue(data, "", p, len));
    EXPECT_TRUE(VerQueryValue(data, "\\\\StringFileInfo\\\\040904E4\\\\CompanyName", p, len));
}

TEST(VersionApi, TranslationTableListsEveryPair) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("app_multi.dll"));
    ASSERT_FALSE(data.empty());
    const void* p = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValue(data, "\\VarFileInfo\\Translation", p, len));
    ASSERT_EQ(len, 16u);
    std::vector<WORD> words(8);
    std::memcpy(words.data(), p, 16);
    EXPECT_EQ(words, (std::vector<WORD>{0x409, 1252, 0x407, 1252, 0x419, 1251, 0x409, 1200}));
}

TEST(VersionApi, StringsOfEachTableAndCodePage) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("app_multi.dll"));
    ASSERT_FALSE(data.empty());
    const std::string us = "\\StringFileInfo\\040904E4\\";
    EXPECT_EQ(String(data, us + "CompanyName"), "Halvard Interactive");
    EXPECT_EQ(String(data, us + "Comments"), "Built for the test suite");
    EXPECT_EQ(String(data, us + "FileVersion"), "9.8.7.6 (not the fixed one)");
    EXPECT_EQ(String(data, us + "LegalCopyright"), "Copyright \xA9 1997 Halvard");
    EXPECT_EQ(String(data, us + "LegalTrademarks"), "Skyreach\x99");
    // Keys and table names compare without regard to case.
    EXPECT_EQ(String(data, "\\stringfileinfo\\040904e4\\companyNAME"), "Halvard Interactive");
    EXPECT_EQ(String(data, us + "Comment"), "<missing>");
    EXPECT_EQ(String(data, us + "CompanyNam"), "<missing>");

    const std::string de = "\\StringFileInfo\\040704E4\\";
    EXPECT_EQ(String(data, de + "CompanyName"), "Halvard Gro\xDF" "handel");
    EXPECT_EQ(String(data, de + "FileDescription"), "Pr\xFC" "fprogramm f\xFCr \xC4nderungen");
    EXPECT_EQ(String(data, de + "InternalName"), "<missing>");
    EXPECT_EQ(String(data, "\\StringFileInfo\\040C04E4\\CompanyName"), "<missing>");
    // The same text in a table for code page 1200 (Unicode).
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904B0\\CompanyName"), "Unicode table");
}

TEST(VersionApi, TextOutsideTheAnsiCodePage) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("app_multi.dll"));
    ASSERT_FALSE(data.empty());
    const std::string ru = "\\StringFileInfo\\041904E3\\";
    EXPECT_EQ(String(data, ru + "CompanyName"), "????????");
    // Latin letters with marks fall back to their base letters, as the ANSI API does.
    EXPECT_EQ(String(data, ru + "FileDescription"), "Czech: cr\x9E, Polish: la, dash \x97");
    EXPECT_EQ(String(data, ru + "ProductName"), "Emoji ?? end");
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904B0\\ProductName"), "??");
}

TEST(VersionApi, EmptyValuesAndSelfRegistration) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("selfreg.dll"));
    ASSERT_FALSE(data.empty());
    std::string s = "x";
    EXPECT_TRUE(QueryString(data, "\\StringFileInfo\\040904E4\\OLESelfRegister", s));
    EXPECT_EQ(s, "");
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904E4\\FileVersion"), "4.0.0.950");
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904E4\\Comments"), "");
}

TEST(VersionApi, ImageWithoutStringTable) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("notable.dll"));
    ASSERT_FALSE(data.empty());
    FixedFileInfo f = Fixed(data);
    EXPECT_EQ(f.fileVersionLS, 0xFFFFu);
    EXPECT_EQ(f.fileType, 7u);
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904E4\\CompanyName"), "<missing>");
    EXPECT_EQ(String(data, "\\StringFileInfo"), "<missing>");
}

TEST(VersionApi, SixtyFourBitImage) {
    REQUIRE_IMAGES();
    std::vector<BYTE> data = Load(Image("app_multi64.dll"));
    if (data.empty() && GetFileAttributes(Image("app_multi64.dll")) == InvalidFileAttributes)
        GTEST_SKIP() << "no 64-bit test image (lld-link missing)";
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(Fixed(data).fileVersionMS, 0x00010002u);
    EXPECT_EQ(String(data, "\\StringFileInfo\\040904E4\\ProductName"), "Skyreach");
}

TEST(VersionApi, FilesWithoutVersionInformation) {
    REQUIRE_IMAGES();
    DWORD handle = 0;
    for (const char* name : {"noresource.dll", "noversion.dll"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(GetFileAttributes(Image(name)), InvalidFileAttributes);
        EXPECT_EQ(GetFileVersionInfoSize(Image(name), handle), 0u);
        EXPECT_NE(GetLastError(), 0u);
    }
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSize(Image("missing.dll"), handle), 0u);
    EXPECT_EQ(GetLastError(), err::FileNotFound);
    // The rc source is a text file, not an image.
    std::vector<BYTE> none;
    EXPECT_FALSE(GetFileVersionInfo(Image("missing.dll"), 100, none));
}

TEST(VersionApi, ShortBufferStillAnswersTheRoot) {
    REQUIRE_IMAGES();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSize(Image("font.dll"), handle);
    ASSERT_GT(size, 100u);
    std::vector<BYTE> data;
    ASSERT_TRUE(GetFileVersionInfo(Image("font.dll"), 100, data));
    EXPECT_EQ(data.size(), 100u);
    FixedFileInfo f = Fixed(data);
    EXPECT_EQ(f.fileType, 4u);
    EXPECT_EQ(f.fileSubtype, 3u);
}
