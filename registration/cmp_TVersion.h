// The version reader: a non-visual component that reads the version resource of an
// executable or library and exposes it as plain strings.
//
// Naming: the translator (localisation/cmp_TTranslator.h) has a class called TLanguage,
// and a program may include both units. This unit's language enumeration therefore
// lives in namespace cmp_TVersion (cmp_TVersion::TLanguage); TVersionResource refers to it
// as TVersionResource::TLanguage. TCharacterSet, LanguageToLangID and
// CharacterSetToCodePage live there too and are also brought into the global namespace
// (the two functions are found by argument-dependent lookup anyway).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "platform/types.h"

namespace cmp_TVersion {

enum class TLanguage : std::uint8_t {
    lnArabic, lnBulgarian, lnCatalan, lnTraditionalChinese, lnCzech, lnDanish, lnGerman,
    lnGreek, lnUSEnglish, lnCastilianSpanish, lnFinnish, lnFrench, lnHebrew, lnHungarian,
    lnIcelandic, lnItalian, lnJapanese, lnKorean, lnDutch, lnNorwegianBokmal, lnPolish,
    lnBrazilianPortuguese, lnRhaetoRomanic, lnRomanian, lnRussian, lnCroatoSerbian, lnSlovak,
    lnAlbanian, lnSwedish, lnThai, lnTurkish, lnUrdu, lnBahasa, lnSimplifiedChinese,
    lnSwissGerman, lnUKEnglish, lnMexicanSpanish, lnBelgianFrench, lnSwissItalian,
    lnBelgianDutch, lnNorwegianNynorsk, lnPortuguese, lnSerboCroatian, lnCanadianFrench,
    lnSwissFrench
};
constexpr int LanguageCount = 45;

enum class TCharacterSet : std::uint8_t {
    csASCII, csJapan, csKorea, csTaiwan, csUnicode, csLatin2, csCyrillic, csMultilingual,
    csGreek, csTurkish, csHebrew, csArabic
};
constexpr int CharacterSetCount = 12;

// The Windows language identifier / code page a value selects. A value outside the
// enumeration raises Exception with an empty message.
platform::WORD LanguageToLangID(TLanguage language);
platform::WORD CharacterSetToCodePage(TCharacterSet characterSet);

// Enumerator names, in declaration order (for published properties).
const std::vector<std::string>& LanguageNames();
const std::vector<std::string>& CharacterSetNames();

}  // namespace cmp_TVersion

using cmp_TVersion::CharacterSetToCodePage;
using cmp_TVersion::LanguageToLangID;
using cmp_TVersion::TCharacterSet;

// The strings read from one version resource. All empty until a successful read; they
// are recomputed from the file and never written to a form description.
class TVersionInfo : public TPersistent {
    ZARN_CLASS(TVersionInfo, TPersistent)
public:
    std::string Comment() const { return comment_; }
    std::string CompanyName() const { return companyName_; }
    std::string FileDescription() const { return fileDescription_; }
    std::string FileVersion() const { return fileVersion_; }
    std::string InternalName() const { return internalName_; }
    std::string LegalCopyright() const { return legalCopyright_; }
    std::string LegalTradeMarks() const { return legalTradeMarks_; }
    std::string OriginalFileName() const { return originalFileName_; }
    std::string PrivateBuild() const { return privateBuild_; }
    std::string ProductName() const { return productName_; }
    std::string ProductVersion() const { return productVersion_; }
    std::string SpecialBuild() const { return specialBuild_; }
    std::string FileOS() const { return fileOS_; }
    std::string FileType() const { return fileType_; }
    std::string FileSubType() const { return fileSubType_; }

    void SetComment(const std::string& v) { comment_ = v; }
    void SetCompanyName(const std::string& v) { companyName_ = v; }
    void SetFileDescription(const std::string& v) { fileDescription_ = v; }
    void SetFileVersion(const std::string& v) { fileVersion_ = v; }
    void SetInternalName(const std::string& v) { internalName_ = v; }
    void SetLegalCopyright(const std::string& v) { legalCopyright_ = v; }
    void SetLegalTradeMarks(const std::string& v) { legalTradeMarks_ = v; }
    void SetOriginalFileName(const std::string& v) { originalFileName_ = v; }
    void SetPrivateBuild(const std::string& v) { privateBuild_ = v; }
    void SetProductName(const std::string& v) { productName_ = v; }
    void SetProductVersion(const std::string& v) { productVersion_ = v; }
    void SetSpecialBuild(const std::string& v) { specialBuild_ = v; }
    void SetFileOS(const std::string& v) { fileOS_ = v; }
    void SetFileType(const std::string& v) { fileType_ = v; }
    void SetFileSubType(const std::string& v) { fileSubType_ = v; }

    // The fifteen strings in property order.
    std::vector<std::string> AllStrings() const;
    // Empties all fifteen strings.
    void Clear();

private:
    std::string comment_, companyName_, fileDescription_, fileVersion_, internalName_,
        legalCopyright_, legalTradeMarks_, originalFileName_, privateBuild_, productName_,
        productVersion_, specialBuild_, fileOS_, fileType_, fileSubType_;
};

class TVersionResource : public TComponent {
    ZARN_CLASS(TVersionResource, TComponent)
public:
    using TLanguage = cmp_TVersion::TLanguage;
    using TCharacterSet = cmp_TVersion::TCharacterSet;

    // The string-table key read into Comment: the standard comments key.
    static constexpr const char* CommentKey = "Comments";

    explicit TVersionResource(TComponent* owner);
    ~TVersionResource() override;

    // True when FileName differs from the running program's own path (compared exactly);
    // only then does FileName belong in a form description.
    bool FileNameStored() const { return fileNameStored_; }
    std::string FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage language);
    TCharacterSet CharacterSet() const { return characterSet_; }
    void SetCharacterSet(TCharacterSet characterSet);
    TVersionInfo* VersionInfo() const { return versionInfo_; }

    // Rereads the version information of FileName into VersionInfo.
    void Refresh();

protected:
    // Fills VersionInfo from a buffer that GetFileVersionInfo filled.
    void ParseVersionInfo(std::vector<platform::BYTE>& buffer);

private:
    bool fileNameStored_ = false;
    std::string fileName_;
    TLanguage language_ = TLanguage::lnUSEnglish;
    TCharacterSet characterSet_ = TCharacterSet::csMultilingual;
    TVersionInfo* versionInfo_ = nullptr;
};

// Texts of the fixed information's operating-system, file-type and subtype values.
std::string FileOSText(platform::DWORD fileOS);
std::string FileTypeText(platform::DWORD fileType);
// Empty unless the file type is a driver (3) or a font (4).
std::string FileSubTypeText(platform::DWORD fileType, platform::DWORD fileSubtype);

// The shared reader, created by InitVersionUnit (reads the program itself until someone
// sets its FileName) and freed by DoneVersionUnit.
extern TVersionResource* VersionReader;
void InitVersionUnit();
void DoneVersionUnit();
