#include "registration/cmp_TVersion.h"

#include <cstdio>
#include <cstring>

#include "platform/system.h"
#include "platform/version.h"

using platform::BYTE;
using platform::DWORD;
using platform::WORD;

namespace cmp_TVersion {

namespace {

const WORD kLangIDs[LanguageCount] = {
    0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B,
    0x040C, 0x040D, 0x040E, 0x040F, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416,
    0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421,
    0x0804, 0x0807, 0x0809, 0x080A, 0x080C, 0x0810, 0x0813, 0x0814, 0x0816, 0x081A, 0x0C0C,
    0x100C};

const WORD kCodePages[CharacterSetCount] = {0,    932,  949,  950,  1200, 1250,
                                            1251, 1252, 1253, 1254, 1255, 1256};

}  // namespace

WORD LanguageToLangID(TLanguage language) {
    auto i = static_cast<unsigned>(language);
    if (i >= unsigned(LanguageCount)) throw Exception("");
    return kLangIDs[i];
}

WORD CharacterSetToCodePage(TCharacterSet characterSet) {
    auto i = static_cast<unsigned>(characterSet);
    if (i >= unsigned(CharacterSetCount)) throw Exception("");
    return kCodePages[i];
}

const std::vector<std::string>& LanguageNames() {
    static const std::vector<std::string> names = {
        "lnArabic", "lnBulgarian", "lnCatalan", "lnTraditionalChinese", "lnCzech", "lnDanish",
        "lnGerman", "lnGreek", "lnUSEnglish", "lnCastilianSpanish", "lnFinnish", "lnFrench",
        "lnHebrew", "lnHungarian", "lnIcelandic", "lnItalian", "lnJapanese", "lnKorean",
        "lnDutch", "lnNorwegianBokmal", "lnPolish", "lnBrazilianPortuguese", "lnRhaetoRomanic",
        "lnRomanian", "lnRussian", "lnCroatoSerbian", "lnSlovak", "lnAlbanian", "lnSwedish",
        "lnThai", "lnTurkish", "lnUrdu", "lnBahasa", "lnSimplifiedChinese", "lnSwissGerman",
        "lnUKEnglish", "lnMexicanSpanish", "lnBelgianFrench", "lnSwissItalian",
        "lnBelgianDutch", "lnNorwegianNynorsk", "lnPortuguese", "lnSerboCroatian",
        "lnCanadianFrench", "lnSwissFrench"};
    return names;
}

const std::vector<std::string>& CharacterSetNames() {
    static const std::vector<std::string> names = {
        "csASCII",    "csJapan",        "csKorea",   "csTaiwan",  "csUnicode", "csLatin2",
        "csCyrillic", "csMultilingual", "csGreek",   "csTurkish", "csHebrew",  "csArabic"};
    return names;
}

}  // namespace cmp_TVersion

// ---------------------------------------------------------------------------------------
// TVersionInfo

ZARN_DEFINE_CLASS(TVersionInfo, TPersistent, [](TClassBuilder<TVersionInfo>& c) {
    using V = TVersionInfo;
    c.Str("Comment", &V::Comment, &V::SetComment)
        .Str("CompanyName", &V::CompanyName, &V::SetCompanyName)
        .Str("FileDescription", &V::FileDescription, &V::SetFileDescription)
        .Str("FileVersion", &V::FileVersion, &V::SetFileVersion)
        .Str("InternalName", &V::InternalName, &V::SetInternalName)
        .Str("LegalCopyright", &V::LegalCopyright, &V::SetLegalCopyright)
        .Str("LegalTradeMarks", &V::LegalTradeMarks, &V::SetLegalTradeMarks)
        .Str("OriginalFileName", &V::OriginalFileName, &V::SetOriginalFileName)
        .Str("PrivateBuild", &V::PrivateBuild, &V::SetPrivateBuild)
        .Str("ProductName", &V::ProductName, &V::SetProductName)
        .Str("ProductVersion", &V::ProductVersion, &V::SetProductVersion)
        .Str("SpecialBuild", &V::SpecialBuild, &V::SetSpecialBuild)
        .Str("FileOS", &V::FileOS, &V::SetFileOS)
        .Str("FileType", &V::FileType, &V::SetFileType)
        .Str("FileSubType", &V::FileSubType, &V::SetFileSubType);
})

std::vector<std::string> TVersionInfo::AllStrings() const {
    return {comment_,         companyName_,  fileDescription_, fileVersion_,
            internalName_,    legalCopyright_, legalTradeMarks_, originalFileName_,
            privateBuild_,    productName_,  productVersion_,  specialBuild_,
            fileOS_,          fileType_,     fileSubType_};
}

void TVersionInfo::Clear() {
    for (std::string* s : {&comment_, &companyName_, &fileDescription_, &fileVersion_,
                           &internalName_, &legalCopyright_, &legalTradeMarks_,
                           &originalFileName_, &privateBuild_, &productName_, &productVersion_,
                           &specialBuild_, &fileOS_, &fileType_, &fileSubType_})
        s->clear();
}

// ---------------------------------------------------------------------------------------
// Texts of the fixed information

std::string FileOSText(DWORD fileOS) {
    switch (fileOS) {
        case 0x00000001: return "Windows 3.0 or later";
        case 0x00000002: return "16 bit OS/2 Presentation Manager";
        case 0x00000003: return "32 bit OS/2 Presentation Manager";
        case 0x00000004: return "32 bit Windows";
        case 0x00010000: return "MS-Dos";
        case 0x00010001: return "Windows 3.0 or later with MS-Dos";
        case 0x00010004: return "32 bit Windows with MS-Dos";
        case 0x00020000: return "16 bit OS/2";
        case 0x00020002: return "16 bit OS/2 with Presentation Manager";
        case 0x00030000: return "32 bit OS/2";
        case 0x00030003: return "32 bit OS/2 with Presentation Manager";
        case 0x00040000: return "Windows NT";
        case 0x00040004: return "Windows NT with 32 bit Windows";
        default: return "Unknown";
    }
}

std::string FileTypeText(DWORD fileType) {
    switch (fileType) {
        case 1: return "Application";
        case 2: return "Dynamic-Link Library";
        case 3: return "Device Driver";
        case 4: return "Font";
        case 5: return "Virtual Device Driver";
        case 7: return "Static-Link Library";
        default: return "Unknown";
    }
}

std::string FileSubTypeText(DWORD fileType, DWORD fileSubtype) {
    if (fileType == 3) {
        static const char* const drivers[] = {"Printer", "Keyboard", "Language", "Display",
                                              "Mouse",   "Network",  "System",   "Installable",
                                              "Sound",   "Communications"};
        if (fileSubtype >= 1 && fileSubtype <= 10) return drivers[fileSubtype - 1];
        return "Unknown";
    }
    if (fileType == 4) {
        static const char* const fonts[] = {"Raster", "Vector", "TrueType"};
        if (fileSubtype >= 1 && fileSubtype <= 3) return fonts[fileSubtype - 1];
        return "Unknown";
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// TVersionResource

ZARN_DEFINE_CLASS(TVersionResource, TComponent, [](TClassBuilder<TVersionResource>& c) {
    using R = TVersionResource;
    c.Str("FileName", &R::FileName, &R::SetFileName)
        .Enum("Language", cmp_TVersion::LanguageNames(), &R::Language, &R::SetLanguage)
        .Enum("CharacterSet", cmp_TVersion::CharacterSetNames(), &R::CharacterSet,
              &R::SetCharacterSet)
        .Object("VersionInfo", &R::VersionInfo)
        .Creatable();
})

TVersionResource::TVersionResource(TComponent* owner) : TComponent(owner) {
    versionInfo_ = new TVersionInfo;
    fileNameStored_ = false;
    fileName_ = platform::GetModuleFileName();
    language_ = TLanguage::lnUSEnglish;
    characterSet_ = TCharacterSet::csMultilingual;
    Refresh();
}

TVersionResource::~TVersionResource() { delete versionInfo_; }

void TVersionResource::SetFileName(const std::string& name) {
    fileName_ = name;
    fileNameStored_ = name != platform::GetModuleFileName();
    Refresh();
}

void TVersionResource::SetLanguage(TLanguage language) {
    language_ = language;
    Refresh();
}

void TVersionResource::SetCharacterSet(TCharacterSet characterSet) {
    characterSet_ = characterSet;
    Refresh();
}

void TVersionResource::Refresh() {
    versionInfo_->Clear();
    DWORD handle = 0;
    DWORD size = platform::GetFileVersionInfoSize(fileName_, handle);
    if (size == 0) return;
    std::vector<BYTE> buffer;
    if (platform::GetFileVersionInfo(fileName_, size, buffer)) ParseVersionInfo(buffer);
}

namespace {

std::string VersionText(DWORD ms, DWORD ls) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(ms >> 16), unsigned(ms & 0xFFFF),
                  unsigned(ls >> 16), unsigned(ls & 0xFFFF));
    return text;
}

}  // namespace

void TVersionResource::ParseVersionInfo(std::vector<BYTE>& buffer) {
    const void* value = nullptr;
    platform::UINT length = 0;
    // A root block too short for the fixed information counts as none: reading past it
    // would take whatever follows for version numbers.
    if (!platform::VerQueryValue(buffer, "\\", value, length) || !value ||
        length < sizeof(platform::FixedFileInfo))
        return;
    platform::FixedFileInfo fixed;
    std::memcpy(&fixed, value, sizeof fixed);

    TVersionInfo& info = *versionInfo_;
    info.SetFileVersion(VersionText(fixed.fileVersionMS, fixed.fileVersionLS));
    info.SetProductVersion(VersionText(fixed.productVersionMS, fixed.productVersionLS));
    info.SetFileOS(FileOSText(fixed.fileOS));
    info.SetFileType(FileTypeText(fixed.fileType));
    info.SetFileSubType(FileSubTypeText(fixed.fileType, fixed.fileSubtype));

    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\",
                  unsigned(LanguageToLangID(language_)),
                  unsigned(CharacterSetToCodePage(characterSet_)));

    using Setter = void (TVersionInfo::*)(const std::string&);
    const struct {
        const char* key;
        Setter set;
    } keys[] = {
        {CommentKey, &TVersionInfo::SetComment},
        {"CompanyName", &TVersionInfo::SetCompanyName},
        {"FileDescription", &TVersionInfo::SetFileDescription},
        {"InternalName", &TVersionInfo::SetInternalName},
        {"LegalCopyright", &TVersionInfo::SetLegalCopyright},
        {"LegalTradeMarks", &TVersionInfo::SetLegalTradeMarks},
        {"OriginalFileName", &TVersionInfo::SetOriginalFileName},
        {"PrivateBuild", &TVersionInfo::SetPrivateBuild},
        {"ProductName", &TVersionInfo::SetProductName},
        {"ProductVersion", &TVersionInfo::SetProductVersion},
        {"SpecialBuild", &TVersionInfo::SetSpecialBuild},
    };
    for (const auto& k : keys) {
        if (!platform::VerQueryValue(buffer, std::string(prefix) + k.key, value, length))
            continue;
        // The answer is zero-terminated; an empty value (length 0) may point anywhere.
        std::string text;
        if (value && length > 0) text = static_cast<const char*>(value);
        (info.*k.set)(text);
    }
}

// ---------------------------------------------------------------------------------------

TVersionResource* VersionReader = nullptr;

void InitVersionUnit() {
    RegisterClasses({&TVersionInfo::StaticClass(), &TVersionResource::StaticClass()});
    if (!VersionReader) VersionReader = new TVersionResource(nullptr);
}

void DoneVersionUnit() {
    delete VersionReader;
    VersionReader = nullptr;
}
