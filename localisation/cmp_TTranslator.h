// The translator: per-language texts, the language-text grammar, and the translation of
// strings, multi-line texts, form captions and form fonts into a target language.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/graphics.h"
#include "framework/msgtranslation.h"

class TControl;
class TForm;
class TLanguage;
class TTranslator;

enum class TZarnLanguage : std::uint8_t {
    zlCzech,
    zlEnglish,
    zlFrench,
    zlGerman,
    zlGreek,
    zlHebrew,
    zlItalian,
    zlJapanese,
    zlKorean,
    zlPortugese,
    zlRussian,
    zlSpanish,
    zlUser,  // the Windows user's default language, resolved at each use
};

// Enumerator names in declaration order (for published properties).
const std::vector<std::string>& ZarnLanguageNames();

// ---------------------------------------------------------------------------------------
// Parsed elements of a language text

class TLanguageElement : public TObject {
public:
    int GLID = 0;
    TLanguage* Language = nullptr;
    int LineIndex = 0;
};

class TLanguageString : public TLanguageElement {
public:
    static constexpr std::size_t MaxTextLength = 255;
    std::string Text;  // at most 255 characters
};

class TLanguageMemo : public TLanguageElement {
public:
    TStringList Lines;  // the memo's own copy of its lines
};

// ---------------------------------------------------------------------------------------
// The raw lines of a language: every change through the intercepted operations
// re-parses the language.

class TLangFormatStrings : public TStringList {
    ZARN_CLASS(TLangFormatStrings, TStringList)
public:
    explicit TLangFormatStrings(TLanguage* language) : language_(language) {}
    TLanguage* Language() const { return language_; }

    int Add(const std::string& s) override;
    int AddObject(const std::string& s, TObject* obj) override;
    void AddStrings(TStrings* strings) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& s) override;
    void Move(int curIndex, int newIndex) override;
    void LoadFromStream(TStream* stream) override;
    // Parse once, at the end.
    void Assign(TPersistent* source) override;
    void LoadFromFile(const std::string& fileName) override;

private:
    // Runs `op`, then parses, when it is the outermost intercepted operation (the
    // inherited operations call each other through the virtual interface).
    void ThenParse(const std::function<void()>& op);
    // Runs `op` with AutoParse off, then parses once (unless `op` failed).
    void BulkThenParse(const std::function<void()>& op);
    TLanguage* language_;
    int depth_ = 0;
};

// ---------------------------------------------------------------------------------------
// One language of a translator

class TLanguage : public TPersistent {
    ZARN_CLASS(TLanguage, TPersistent)
public:
    TLanguage(TTranslator* translator, TZarnLanguage ident);
    ~TLanguage() override;
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    TTranslator* Translator() const { return translator_; }
    std::string FileName() const { return fileName_; }
    void SetFileName(const std::string& f) { fileName_ = f; }
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* font);  // copies the font's attributes
    bool FontOverride() const { return fontOverride_; }
    void SetFontOverride(bool v) { fontOverride_ = v; }
    const std::vector<TLanguageMemo*>& MemoItems() const { return memoItems_; }
    const std::vector<TLanguageString*>& StringItems() const { return stringItems_; }
    TZarnLanguage LanguageIdent() const { return languageIdent_; }
    TLangFormatStrings* Strings() const { return strings_.get(); }
    void SetStrings(TStrings* lines);  // assigns the lines (one parse)
    // Assigns the language texts of a program's own, one line each (one parse).
    template <std::size_t N>
    void SetLines(const char* const (&lines)[N]) {
        SetLines(lines, N);
    }
    void SetLines(const char* const* lines, std::size_t count);
    bool AutoParse() const { return autoParse_; }
    void SetAutoParse(bool v) { autoParse_ = v; }

    void ClearElements();
    TLanguageString* FindStringByGLID(int glid) const;
    TLanguageMemo* FindMemoByGLID(int glid) const;
    // Case-insensitive as the system's ANSI comparison.
    TLanguageString* FindStringByText(const std::string& s) const;
    // Lines compared exactly, as text.
    TLanguageMemo* FindMemoWithLines(TStrings* lines) const;
    // Rebuilds the elements from `Strings` (nothing while AutoParse is false). Raises
    // Exception on a malformed line; the language then has no elements.
    void ParseStrings();
    // How many parses ran (diagnostics and tests).
    int ParseCount() const { return parseCount_; }

private:
    TTranslator* translator_;
    std::string fileName_;
    std::unique_ptr<TFont> font_;
    bool fontOverride_ = false;
    std::vector<TLanguageMemo*> memoItems_;
    std::vector<TLanguageString*> stringItems_;
    TZarnLanguage languageIdent_;
    std::unique_ptr<TLangFormatStrings> strings_;
    bool autoParse_ = true;
    int parseCount_ = 0;
};

// ---------------------------------------------------------------------------------------
// The translator component

class TTranslator : public TComponent {
    ZARN_CLASS(TTranslator, TComponent)
public:
    static constexpr int LanguageCount = 12;
    explicit TTranslator(TComponent* owner);
    ~TTranslator() override;

    // The twelve languages in LanguageIdent order (Czech 0 ... Spanish 11).
    const std::vector<TLanguage*>& Languages() const { return languages_; }
    TLanguage* Language(TZarnLanguage ident) const;  // nullptr for zlUser

    // Setting a whole language goes to the owned language's generic assign.
    TLanguage* lgCzech() const { return Language(TZarnLanguage::zlCzech); }
    TLanguage* lgEnglish() const { return Language(TZarnLanguage::zlEnglish); }
    TLanguage* lgFrench() const { return Language(TZarnLanguage::zlFrench); }
    TLanguage* lgGerman() const { return Language(TZarnLanguage::zlGerman); }
    TLanguage* lgGreek() const { return Language(TZarnLanguage::zlGreek); }
    TLanguage* lgHebrew() const { return Language(TZarnLanguage::zlHebrew); }
    TLanguage* lgItalian() const { return Language(TZarnLanguage::zlItalian); }
    TLanguage* lgJapanese() const { return Language(TZarnLanguage::zlJapanese); }
    TLanguage* lgKorean() const { return Language(TZarnLanguage::zlKorean); }
    TLanguage* lgPortugese() const { return Language(TZarnLanguage::zlPortugese); }
    TLanguage* lgRussian() const { return Language(TZarnLanguage::zlRussian); }
    TLanguage* lgSpanish() const { return Language(TZarnLanguage::zlSpanish); }
    void SetLanguage(TZarnLanguage ident, TLanguage* value);

    TZarnLanguage TranslateIntoLanguage() const { return translateIntoLanguage_; }
    // Stores the value, then (unless loading or designing) tells every install container
    // and base form through the language-change hook.
    void SetTranslateIntoLanguage(TZarnLanguage v);

    TLanguage* FindLanguage(TZarnLanguage ident) const;
    TLanguage* UserLanguage() const;
    TLanguage* TargetLanguage() const;
    // A source language given as zlUser resolves to UserLanguage.
    TLanguage* SourceLanguage(TZarnLanguage from) const;

    std::string TranslateString(TZarnLanguage fromLanguage, const std::string& s) const;
    std::string TranslateByGLID(int glid, const std::string& s) const;
    void TranslateMemo(TZarnLanguage fromLanguage, TStrings* lines, TStrings* result) const;
    void SetFormFont(TForm* form) const;
    void SetFormFontInto(TZarnLanguage language, TForm* form);
    TZarnLanguage TranslateControl(TZarnLanguage fromLanguage, TControl* control);
    TZarnLanguage TranslateControlInto(TZarnLanguage fromLanguage, TZarnLanguage intoLanguage,
                                       TControl* control);

private:
    std::vector<TLanguage*> languages_;
    TZarnLanguage translateIntoLanguage_ = TZarnLanguage::zlUser;
};

// The first translator created while none is registered; nullptr when there is none.
extern TTranslator* GlobalTranslator;

// Primary language (low 10 bits of a LANGID) to a translator language; raises Exception
// "Unrecognized language" for any other.
TZarnLanguage PrimaryLanguageToZarnLanguage(unsigned primary);

// Called after TranslateIntoLanguage changed outside loading and design: the install unit
// registers a hook here at its initialisation that calls LanguageChanged on every live
// install container and every base form. Without a hook nothing else happens.
using TLanguageChangeHook = void (*)(TZarnLanguage newLanguage);
void SetLanguageChangeHook(TLanguageChangeHook hook);
TLanguageChangeHook LanguageChangeHook();

// Global helpers through GlobalTranslator; each returns its input (or does nothing)
// when there is no global translator. TranslateText (framework/msgtranslation.h) goes
// through it once RegisterLocalisationClasses has run.
void TranslateFormFont(TForm* form);
void TranslateFormFontInto(TZarnLanguage language, TForm* form);
TZarnLanguage TranslateFormControls(TZarnLanguage fromLanguage, TForm* form);
TZarnLanguage TranslateFormControlsInto(TZarnLanguage fromLanguage, TZarnLanguage intoLanguage, TForm* form);

// Registers TTranslator, TTranslateLabel and TTranslateBitBtn for form descriptions, and
// TranslateText as the framework's message translator.
void RegisterLocalisationClasses();
