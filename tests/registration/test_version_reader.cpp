// TVersionResource and TVersionInfo on test images with known version resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system.h"
#include "registration/cmp_TVersion.h"
#include "version_images.h"

using cmp_TVersion::TLanguage;

namespace {

std::string Image(const std::string& name) { return std::string(kVersionImages) + "\\" + name; }

#define REQUIRE_IMAGES() \
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP() << "no MinGW resource compiler"

const std::vector<std::string> kNoStrings(15);

}  // namespace

TEST(VersionReader, DefaultsReadTheUsEnglishWesternTable) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    EXPECT_EQ(r.FileName(), platform::GetModuleFileName());
    EXPECT_FALSE(r.FileNameStored());
    EXPECT_EQ(r.Language(), TLanguage::lnUSEnglish);
    EXPECT_EQ(r.CharacterSet(), TCharacterSet::csMultilingual);

    r.SetFileName(Image("app_multi.dll"));
    EXPECT_TRUE(r.FileNameStored());
    EXPECT_EQ(r.VersionInfo()->AllStrings(),
              (std::vector<std::string>{
                  "Built for the test suite", "Halvard Interactive",
                  "Multi-language test application",
                  "1.2.3.4",  // from the fixed information, not the table's text
                  "app_multi", "Copyright \xA9 1997 Halvard", "Skyreach\x99", "APP_MULTI.EXE",
                  "private 1", "Skyreach",
                  "2.0 beta",  // the table's entry replaces the fixed product version
                  "special 1", "32 bit Windows", "Application", ""}));
}

TEST(VersionReader, OtherLanguagesAndCodePages) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    r.SetFileName(Image("app_multi.dll"));
    r.SetLanguage(TLanguage::lnGerman);  // 040704E4
    TVersionInfo* v = r.VersionInfo();
    EXPECT_EQ(v->CompanyName(), "Halvard Gro\xDF" "handel");
    EXPECT_EQ(v->ProductName(), "Skyreach (deutsch)");
    EXPECT_EQ(v->InternalName(), "");
    EXPECT_EQ(v->Comment(), "");
    EXPECT_EQ(v->FileVersion(), "1.2.3.4");
    EXPECT_EQ(v->ProductVersion(), "2.0.0.950");

    r.SetLanguage(TLanguage::lnRussian);
    EXPECT_EQ(v->CompanyName(), "");  // the table is 041904E3, not 041904E4
    r.SetCharacterSet(TCharacterSet::csCyrillic);
    EXPECT_EQ(v->CompanyName(), "????????");

    r.SetLanguage(TLanguage::lnUSEnglish);
    r.SetCharacterSet(TCharacterSet::csUnicode);  // 040904B0
    EXPECT_EQ(v->CompanyName(), "Unicode table");
    EXPECT_EQ(v->FileDescription(), "");
}

TEST(VersionReader, MissingTableKeepsTheFixedInformation) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    r.SetFileName(Image("notable.dll"));
    std::vector<std::string> expected(15);
    expected[3] = "3.10.0.65535";
    expected[10] = "3.10.0.0";
    expected[12] = "Windows NT";
    expected[13] = "Static-Link Library";
    EXPECT_EQ(r.VersionInfo()->AllStrings(), expected);
}

TEST(VersionReader, FontDriverAndUnknownValues) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    r.SetFileName(Image("font.dll"));
    TVersionInfo* v = r.VersionInfo();
    EXPECT_EQ(v->FileType(), "Font");
    EXPECT_EQ(v->FileSubType(), "TrueType");
    EXPECT_EQ(v->FileOS(), "Windows 3.0 or later with MS-Dos");
    EXPECT_EQ(v->FileDescription(), "Orrin Sans");

    r.SetFileName(Image("driver.dll"));
    EXPECT_EQ(v->FileType(), "Device Driver");
    EXPECT_EQ(v->FileSubType(), "Sound");
    EXPECT_EQ(v->FileOS(), "32 bit Windows with MS-Dos");
    EXPECT_EQ(v->FileVersion(), "10.20.30.40");
    EXPECT_EQ(v->CompanyName(), "Sound Works");  // keys written in lower case

    r.SetFileName(Image("odd.dll"));
    EXPECT_EQ(v->FileOS(), "Unknown");
    EXPECT_EQ(v->FileType(), "Unknown");
    EXPECT_EQ(v->FileSubType(), "");
    EXPECT_EQ(v->FileVersion(), "0.0.0.0");
    EXPECT_EQ(v->ProductVersion(), "65535.65535.65535.65535");
}

TEST(VersionReader, FilesWithoutVersionInformationLeaveEverythingEmpty) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    r.SetFileName(Image("app_multi.dll"));
    ASSERT_NE(r.VersionInfo()->AllStrings(), kNoStrings);
    for (const char* name : {"noresource.dll", "noversion.dll", "missing.dll", "font.res.o"}) {
        SCOPED_TRACE(name);
        r.SetFileName(Image("app_multi.dll"));
        r.SetFileName(Image(name));
        EXPECT_EQ(r.VersionInfo()->AllStrings(), kNoStrings);
    }
    r.SetFileName("");
    EXPECT_EQ(r.VersionInfo()->AllStrings(), kNoStrings);
}

TEST(VersionReader, FileNameStoredOnlyForAnotherFile) {
    TVersionResource r(nullptr);
    r.SetFileName("C:\\other.exe");
    EXPECT_TRUE(r.FileNameStored());
    r.SetFileName(platform::GetModuleFileName());
    EXPECT_FALSE(r.FileNameStored());
    // Compared exactly: another spelling of the same path counts as another file.
    std::string own = platform::GetModuleFileName();
    std::string upper = own;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper != own) {
        r.SetFileName(upper);
        EXPECT_TRUE(r.FileNameStored());
    }
}

TEST(VersionReader, SixtyFourBitImage) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    r.SetFileName(Image("app_multi64.dll"));
    if (r.VersionInfo()->FileVersion().empty()) GTEST_SKIP() << "no 64-bit test image";
    EXPECT_EQ(r.VersionInfo()->CompanyName(), "Halvard Interactive");
}

TEST(VersionReader, Tables) {
    using cmp_TVersion::TCharacterSet;
    EXPECT_EQ(LanguageToLangID(TLanguage::lnArabic), 0x0401);
    EXPECT_EQ(LanguageToLangID(TLanguage::lnBahasa), 0x0421);
    EXPECT_EQ(LanguageToLangID(TLanguage::lnSimplifiedChinese), 0x0804);
    EXPECT_EQ(LanguageToLangID(TLanguage::lnCanadianFrench), 0x0C0C);
    EXPECT_EQ(LanguageToLangID(TLanguage::lnSwissFrench), 0x100C);
    EXPECT_EQ(CharacterSetToCodePage(TCharacterSet::csASCII), 0);
    EXPECT_EQ(CharacterSetToCodePage(TCharacterSet::csUnicode), 1200);
    EXPECT_EQ(CharacterSetToCodePage(TCharacterSet::csArabic), 1256);
    EXPECT_EQ(cmp_TVersion::LanguageNames().size(), 45u);
    EXPECT_EQ(cmp_TVersion::LanguageNames()[44], "lnSwissFrench");
    EXPECT_EQ(cmp_TVersion::CharacterSetNames()[7], "csMultilingual");
    try {
        LanguageToLangID(TLanguage(45));
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "");
    }
    EXPECT_THROW(CharacterSetToCodePage(TCharacterSet(12)), Exception);
}

TEST(VersionReader, PublishedPropertiesReachTheSetters) {
    REQUIRE_IMAGES();
    TVersionResource r(nullptr);
    const TClassInfo& c = r.ClassType();
    const TPropInfo* file = c.FindProperty("FileName");
    const TPropInfo* lang = c.FindProperty("Language");
    const TPropInfo* info = c.FindProperty("VersionInfo");
    ASSERT_TRUE(file && lang && info && c.FindProperty("CharacterSet"));
    EXPECT_EQ(lang->enumNames.size(), 45u);
    file->setStr(&r, Image("app_multi.dll"));
    lang->setInt(&r, static_cast<long long>(TLanguage::lnGerman));
    EXPECT_EQ(r.VersionInfo()->ProductName(), "Skyreach (deutsch)");
    TObject* sub = info->getObject(&r);
    ASSERT_EQ(sub, r.VersionInfo());
    const TPropInfo* product = sub->ClassType().FindProperty("ProductName");
    ASSERT_TRUE(product);
    EXPECT_EQ(product->getStr(sub), "Skyreach (deutsch)");
    EXPECT_EQ(sub->ClassType().props.size(), 15u);
}

TEST(VersionReader, GlobalReader) {
    InitVersionUnit();
    ASSERT_NE(VersionReader, nullptr);
    EXPECT_EQ(VersionReader->FileName(), platform::GetModuleFileName());
    EXPECT_EQ(VersionReader->Owner(), nullptr);
    TVersionResource* first = VersionReader;
    InitVersionUnit();  // a second initialisation keeps the reader
    EXPECT_EQ(VersionReader, first);
    EXPECT_NE(FindClass("TVersionResource"), nullptr);
}
