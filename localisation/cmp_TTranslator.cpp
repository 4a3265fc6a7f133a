#include "localisation/cmp_TTranslator.h"

#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/forms.h"
#include "framework/msgtranslation.h"
#include "framework/stdctrls.h"
#include "localisation/cmp_TTranslateControls.h"
#include "platform/system.h"

TTranslator* GlobalTranslator = nullptr;

namespace {
std::string TranslateThroughGlobalTranslator(const std::string& s);
}

namespace {

TLanguageChangeHook languageChangeHook = nullptr;

struct LanguageRow {
    TZarnLanguage ident;
    const char* property;
    const char* fileName;
};

// In LanguageIdent order.
const LanguageRow languageTable[TTranslator::LanguageCount] = {
    {TZarnLanguage::zlCzech, "lgCzech", "zrniCzech.txt"},
    {TZarnLanguage::zlEnglish, "lgEnglish", "zrniEnglish.txt"},
    {TZarnLanguage::zlFrench, "lgFrench", "zrniFrench.txt"},
    {TZarnLanguage::zlGerman, "lgGerman", "zrniGerman.txt"},
    {TZarnLanguage::zlGreek, "lgGreek", "zrniGreek.txt"},
    {TZarnLanguage::zlHebrew, "lgHebrew", "zrniHebrew.txt"},
    {TZarnLanguage::zlItalian, "lgItalian", "zrniItalian.txt"},
    {TZarnLanguage::zlJapanese, "lgJapanese", "zrniJapanese.txt"},
    {TZarnLanguage::zlKorean, "lgKorean", "zrniKorean.txt"},
    {TZarnLanguage::zlPortugese, "lgPortugese", "zrniPortugese.txt"},
    {TZarnLanguage::zlRussian, "lgRussian", "zrniRussian.txt"},
    {TZarnLanguage::zlSpanish, "lgSpanish", "zrniSpanish.txt"},
};

// Field 1: the text before the first ';' (all of it without one). Field 2: the text
// between the first and the second ';' (to the end without a second; empty without any).
std::string Field1(const std::string& t) {
    std::size_t p = t.find(';');
    return p == std::string::npos ? t : t.substr(0, p);
}

std::string Field2(const std::string& t) {
    std::size_t p = t.find(';');
    if (p == std::string::npos) return {};
    std::size_t q = t.find(';', p + 1);
    return q == std::string::npos ? t.substr(p + 1) : t.substr(p + 1, q - p - 1);
}

[[noreturn]] void FormatError(int line, const std::string& text) {
    throw Exception(Format("The %d'th string (%s) does not have the proper format of GLID;Text", {line, text}));
}

[[noreturn]] void IdentifierError(int line, const std::string& text) {
    throw Exception(
        Format("The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;", {line, text}));
}

// The identifier field by the standard integer conversion (32-bit): optional blanks and
// sign, then decimal digits or "$" and hexadecimal digits. The shared conversion also takes
// a C-style "0x" prefix, which an identifier does not have.
int ParseGLID(const std::string& field, int line, const std::string& text) {
    if (field.empty()) FormatError(line, text);
    std::size_t i = field.find_first_not_of(' ');
    if (i != std::string::npos && (field[i] == '+' || field[i] == '-')) ++i;
    if (i != std::string::npos && i + 1 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X'))
        IdentifierError(line, text);
    long long v;
    if (!TryStrToInt(field, v)) IdentifierError(line, text);
    return int(std::int32_t(std::uint32_t(std::uint64_t(v))));
}

}  // namespace

const std::vector<std::string>& ZarnLanguageNames() {
    static const std::vector<std::string> names = {
        "zlCzech",   "zlEnglish",  "zlFrench",  "zlGerman",  "zlGreek",   "zlHebrew", "zlItalian",
        "zlJapanese", "zlKorean", "zlPortugese", "zlRussian", "zlSpanish", "zlUser"};
    return names;
}

void SetLanguageChangeHook(TLanguageChangeHook hook) { languageChangeHook = hook; }
TLanguageChangeHook LanguageChangeHook() { return languageChangeHook; }

// ---------------------------------------------------------------------------------------
// TLangFormatStrings

ZARN_DEFINE_CLASS(TLangFormatStrings, TStringList, [](auto&) {})

void TLangFormatStrings::ThenParse(const std::function<void()>& op) {
    ++depth_;
    try {
        op();
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    if (depth_ == 0 && language_->AutoParse()) language_->ParseStrings();
}

void TLangFormatStrings::BulkThenParse(const std::function<void()>& op) {
    language_->SetAutoParse(false);
    ++depth_;
    try {
        op();
    } catch (...) {
        --depth_;
        language_->SetAutoParse(true);
        throw;
    }
    --depth_;
    language_->SetAutoParse(true);
    if (depth_ == 0) language_->ParseStrings();
}

int TLangFormatStrings::Add(const std::string& s) {
    int r = 0;
    ThenParse([&] { r = TStringList::Add(s); });
    return r;
}

int TLangFormatStrings::AddObject(const std::string& s, TObject* obj) {
    int r = 0;
    ThenParse([&] { r = TStringList::AddObject(s, obj); });
    return r;
}

void TLangFormatStrings::AddStrings(TStrings* strings) {
    ThenParse([&] { TStringList::AddStrings(strings); });
}

void TLangFormatStrings::Clear() {
    ThenParse([&] { TStringList::Clear(); });
}

void TLangFormatStrings::Delete(int index) {
    ThenParse([&] { TStringList::Delete(index); });
}

void TLangFormatStrings::Insert(int index, const std::string& s) {
    ThenParse([&] { TStringList::Insert(index, s); });
}

void TLangFormatStrings::Move(int curIndex, int newIndex) {
    ThenParse([&] { TStringList::Move(curIndex, newIndex); });
}

void TLangFormatStrings::LoadFromStream(TStream* stream) {
    ThenParse([&] { TStringList::LoadFromStream(stream); });
}

void TLangFormatStrings::Assign(TPersistent* source) {
    BulkThenParse([&] { TStringList::Assign(source); });
}

void TLangFormatStrings::LoadFromFile(const std::string& fileName) {
    BulkThenParse([&] { TStringList::LoadFromFile(fileName); });
}

// ---------------------------------------------------------------------------------------
// TLanguage

ZARN_DEFINE_CLASS(TLanguage, TPersistent, [](TClassBuilder<TLanguage>& b) {
    b.Object("Font", &TLanguage::Font).Bool("FontOverride", &TLanguage::FontOverride, &TLanguage::SetFontOverride);
    // LanguageIdent is published read-only: it can be read but never set.
    TPropInfo ident;
    ident.name = "LanguageIdent";
    ident.kind = TPropKind::Enum;
    ident.enumNames = ZarnLanguageNames();
    ident.getInt = [](TObject* o) { return (long long)static_cast<TLanguage*>(o)->LanguageIdent(); };
    b.Info().props.push_back(std::move(ident));
    b.Object("Strings", &TLanguage::Strings);
})

TLanguage::TLanguage(TTranslator* translator, TZarnLanguage ident)
    : translator_(translator),
      font_(std::make_unique<TFont>()),
      languageIdent_(ident),
      strings_(std::make_unique<TLangFormatStrings>(this)) {}

TLanguage::~TLanguage() {
    autoParse_ = false;
    ClearElements();
}

void TLanguage::SetFont(TFont* font) { font_->Assign(font); }

void TLanguage::SetLines(const char* const* lines, std::size_t count) {
    TStringList list;
    for (std::size_t i = 0; i < count; ++i) list.Add(lines[i]);
    SetStrings(&list);
}

void TLanguage::SetStrings(TStrings* lines) { strings_->Assign(lines); }

void TLanguage::ClearElements() {
    for (auto it = stringItems_.rbegin(); it != stringItems_.rend(); ++it) delete *it;
    stringItems_.clear();
    for (auto it = memoItems_.rbegin(); it != memoItems_.rend(); ++it) delete *it;
    memoItems_.clear();
}

TLanguageString* TLanguage::FindStringByGLID(int glid) const {
    for (TLanguageString* e : stringItems_)
        if (e->GLID == glid) return e;
    return nullptr;
}

TLanguageMemo* TLanguage::FindMemoByGLID(int glid) const {
    for (TLanguageMemo* e : memoItems_)
        if (e->GLID == glid) return e;
    return nullptr;
}

TLanguageString* TLanguage::FindStringByText(const std::string& s) const {
    for (TLanguageString* e : stringItems_)
        if (platform::CompareTextIgnoreCase(e->Text, s) == 0) return e;
    return nullptr;
}

TLanguageMemo* TLanguage::FindMemoWithLines(TStrings* lines) const {
    if (!lines) return nullptr;
    std::string text = lines->Text();
    for (TLanguageMemo* e : memoItems_)
        if (e->Lines.Text() == text) return e;
    return nullptr;
}

void TLanguage::ParseStrings() {
    if (!autoParse_) return;
    ++parseCount_;
    ClearElements();
    // The memo being collected, when one is open.
    std::unique_ptr<TLanguageMemo> memo;
    try {
        for (int i = 0; i < strings_->Count(); ++i) {
            std::string t = Trim(strings_->Get(i));
            if (t.empty()) continue;
            if (t == "#") {
                if (!memo)
                    throw Exception(Format("Found the end of memo marker # at line %d. Was not in a memo however", {i}));
                memoItems_.push_back(memo.release());
                continue;
            }
            if (t[0] == '*') continue;
            if (memo) {
                memo->Lines.Add(t);
                continue;
            }
            if (t[0] == '#') {
                int glid = ParseGLID(Field1(t).substr(1), i, t);
                memo = std::make_unique<TLanguageMemo>();
                memo->GLID = glid;
                memo->Language = this;
                memo->LineIndex = i;
                continue;
            }
            int glid = ParseGLID(Field1(t), i, t);
            std::string x = Field2(t);
            if (Trim(x).empty()) FormatError(i, t);
            auto* e = new TLanguageString;
            e->GLID = glid;
            e->Language = this;
            e->LineIndex = i;
            e->Text = x.substr(0, TLanguageString::MaxTextLength);
            stringItems_.push_back(e);
        }
    } catch (...) {
        ClearElements();
        throw;
    }
    // A memo still open at the end is dropped.
}

// ---------------------------------------------------------------------------------------
// TTranslator

ZARN_DEFINE_CLASS(TTranslator, TComponent, [](TClassBuilder<TTranslator>& b) {
    // Stream order: Korean stands before Japanese.
    b.Object("lgCzech", &TTranslator::lgCzech)
        .Object("lgEnglish", &TTranslator::lgEnglish)
        .Object("lgFrench", &TTranslator::lgFrench)
        .Object("lgGerman", &TTranslator::lgGerman)
        .Object("lgGreek", &TTranslator::lgGreek)
        .Object("lgHebrew", &TTranslator::lgHebrew)
        .Object("lgItalian", &TTranslator::lgItalian)
        .Object("lgKorean", &TTranslator::lgKorean)
        .Object("lgJapanese", &TTranslator::lgJapanese)
        .Object("lgPortugese", &TTranslator::lgPortugese)
        .Object("lgRussian", &TTranslator::lgRussian)
        .Object("lgSpanish", &TTranslator::lgSpanish)
        .Enum("TranslateIntoLanguage", ZarnLanguageNames(), &TTranslator::TranslateIntoLanguage,
              &TTranslator::SetTranslateIntoLanguage)
        .Creatable();
})

TTranslator::TTranslator(TComponent* owner) : TComponent(owner) {
    languages_.reserve(LanguageCount);
    for (const LanguageRow& row : languageTable) {
        auto* l = new TLanguage(this, row.ident);
        l->SetFileName(row.fileName);
        languages_.push_back(l);
    }
    translateIntoLanguage_ = TZarnLanguage::zlUser;
    if (!GlobalTranslator) {
        GlobalTranslator = this;
        // The library's messages (TranslateText) go through the global translator.
        SetMessageTranslator(&TranslateThroughGlobalTranslator);
    }
}

TTranslator::~TTranslator() {
    for (TLanguage* l : languages_) delete l;
    languages_.clear();
    if (GlobalTranslator == this) GlobalTranslator = nullptr;
}

TLanguage* TTranslator::Language(TZarnLanguage ident) const {
    auto i = std::size_t(ident);
    return i < languages_.size() ? languages_[i] : nullptr;
}

void TTranslator::SetLanguage(TZarnLanguage ident, TLanguage* value) {
    if (TLanguage* l = Language(ident)) l->Assign(value);
}

void TTranslator::SetTranslateIntoLanguage(TZarnLanguage v) {
    translateIntoLanguage_ = v;
    if (IsLoading() || IsDesigning()) return;
    if (languageChangeHook) languageChangeHook(v);
}

TLanguage* TTranslator::FindLanguage(TZarnLanguage ident) const {
    for (TLanguage* l : languages_)
        if (l->LanguageIdent() == ident) return l;
    return nullptr;
}

TZarnLanguage PrimaryLanguageToZarnLanguage(unsigned primary) {
    switch (primary) {
        case 5: return TZarnLanguage::zlCzech;
        case 7: return TZarnLanguage::zlGerman;
        case 8: return TZarnLanguage::zlGreek;
        case 9: return TZarnLanguage::zlEnglish;
        case 10: return TZarnLanguage::zlSpanish;
        case 12: return TZarnLanguage::zlFrench;
        case 13: return TZarnLanguage::zlHebrew;
        case 16: return TZarnLanguage::zlItalian;
        case 17: return TZarnLanguage::zlJapanese;
        case 18: return TZarnLanguage::zlKorean;
        case 25: return TZarnLanguage::zlRussian;
        default: throw Exception("Unrecognized language");
    }
}

TLanguage* TTranslator::UserLanguage() const {
    try {
        return FindLanguage(PrimaryLanguageToZarnLanguage(platform::GetUserDefaultLangID() & 0x3FF));
    } catch (const Exception&) {
        return nullptr;
    }
}

TLanguage* TTranslator::SourceLanguage(TZarnLanguage from) const {
    return from == TZarnLanguage::zlUser ? UserLanguage() : FindLanguage(from);
}

TLanguage* TTranslator::TargetLanguage() const { return SourceLanguage(translateIntoLanguage_); }

std::string TTranslator::TranslateString(TZarnLanguage fromLanguage, const std::string& s) const {
    TLanguage* source = SourceLanguage(fromLanguage);
    if (!source) return s;
    TLanguageString* e = source->FindStringByText(s);
    if (!e) return s;
    TLanguage* target = TargetLanguage();
    if (!target) return s;
    TLanguageString* t = target->FindStringByGLID(e->GLID);
    return t ? t->Text : s;
}

std::string TTranslator::TranslateByGLID(int glid, const std::string& s) const {
    TLanguage* target = TargetLanguage();
    if (!target) return s;
    TLanguageString* t = target->FindStringByGLID(glid);
    return t ? t->Text : s;
}

void TTranslator::TranslateMemo(TZarnLanguage fromLanguage, TStrings* lines, TStrings* result) const {
    if (!result) return;
    result->Assign(lines);
    TLanguage* source = SourceLanguage(fromLanguage);
    if (!source) return;
    TLanguageMemo* m = source->FindMemoWithLines(lines);
    if (!m) return;
    TLanguage* target = TargetLanguage();
    if (!target) return;
    if (TLanguageMemo* t = target->FindMemoByGLID(m->GLID)) result->Assign(&t->Lines);
}

void TTranslator::SetFormFont(TForm* form) const {
    if (!form) return;
    TLanguage* l = TargetLanguage();
    if (!l) return;
    if (l->Strings()->Count() == 0) l = lgEnglish();
    TFont* font = form->Font();
    if (l->FontOverride()) {
        font->Assign(l->Font());
        return;
    }
    switch (l->LanguageIdent()) {
        case TZarnLanguage::zlGreek:
            font->SetName("SGreek");
            font->SetSize(8);
            break;
        case TZarnLanguage::zlJapanese:
            // MS PGothic under its Japanese name, in code page 932.
            font->SetName("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
            font->SetSize(9);
            break;
        case TZarnLanguage::zlKorean:
            // Batang under its Korean name, in code page 949.
            font->SetName("\xB9\xD9\xC5\xC1");
            font->SetSize(9);
            break;
        case TZarnLanguage::zlHebrew:
        case TZarnLanguage::zlUser:
            throw Exception("Unrecognized language");
        default:
            font->SetName("Arial");
            font->SetSize(8);
            break;
    }
}

TZarnLanguage TTranslator::TranslateControl(TZarnLanguage fromLanguage, TControl* control) {
    if (!control) return fromLanguage;
    if (dynamic_cast<TForm*>(control)) control->SetCaption(TranslateString(fromLanguage, control->Caption()));
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        for (int i = 0; i < win->ControlCount(); ++i) {
            TControl* child = win->Controls(i);
            bool skip = false;
            int glid = 0;
            if (auto* l = dynamic_cast<TTranslateLabel*>(child))
                glid = l->GLID();
            else if (auto* b = dynamic_cast<TTranslateBitBtn*>(child))
                glid = b->GLID();
            if (glid > 0)
                child->SetCaption(TranslateByGLID(glid, child->Caption()));
            else if (glid < 0)
                skip = true;
            if (!skip) {
                if (dynamic_cast<TLabel*>(child) || dynamic_cast<TButton*>(child)) {
                    child->SetCaption(TranslateString(fromLanguage, child->Caption()));
                } else if (auto* rg = dynamic_cast<TRadioGroup*>(child)) {
                    // A radio group is its own kind: its items are translated, not its caption.
                    TStrings* items = rg->Items();
                    for (int k = 0; k < items->Count(); ++k) items->Put(k, TranslateString(fromLanguage, items->Get(k)));
                } else if (dynamic_cast<TGroupBox*>(child) || dynamic_cast<TTabSheet*>(child)) {
                    child->SetCaption(TranslateString(fromLanguage, child->Caption()));
                } else if (auto* memo = dynamic_cast<TMemo*>(child)) {
                    TStringList result;
                    TranslateMemo(fromLanguage, memo->Lines(), &result);
                    memo->Lines()->Assign(&result);
                }
            }
            if (child->IsWindowed()) TranslateControl(fromLanguage, child);
        }
    }
    return translateIntoLanguage_;
}

void TTranslator::SetFormFontInto(TZarnLanguage language, TForm* form) {
    TZarnLanguage saved = translateIntoLanguage_;
    translateIntoLanguage_ = language;
    try {
        SetFormFont(form);
    } catch (...) {
        translateIntoLanguage_ = saved;
        throw;
    }
    translateIntoLanguage_ = saved;
}

TZarnLanguage TTranslator::TranslateControlInto(TZarnLanguage fromLanguage, TZarnLanguage intoLanguage,
                                                TControl* control) {
    TZarnLanguage saved = translateIntoLanguage_;
    translateIntoLanguage_ = intoLanguage;
    TZarnLanguage r;
    try {
        r = TranslateControl(fromLanguage, control);
    } catch (...) {
        translateIntoLanguage_ = saved;
        throw;
    }
    translateIntoLanguage_ = saved;
    return r;
}

// ---------------------------------------------------------------------------------------
// Global helpers

namespace {
// The framework's message translator (TranslateText): through the global translator.
std::string TranslateThroughGlobalTranslator(const std::string& s) {
    return GlobalTranslator ? GlobalTranslator->TranslateString(TZarnLanguage::zlEnglish, s) : s;
}
}  // namespace

void TranslateFormFont(TForm* form) {
    if (GlobalTranslator) GlobalTranslator->SetFormFont(form);
}

void TranslateFormFontInto(TZarnLanguage language, TForm* form) {
    if (GlobalTranslator) GlobalTranslator->SetFormFontInto(language, form);
}

TZarnLanguage TranslateFormControls(TZarnLanguage fromLanguage, TForm* form) {
    return GlobalTranslator ? GlobalTranslator->TranslateControl(fromLanguage, form) : fromLanguage;
}

TZarnLanguage TranslateFormControlsInto(TZarnLanguage fromLanguage, TZarnLanguage intoLanguage, TForm* form) {
    return GlobalTranslator ? GlobalTranslator->TranslateControlInto(fromLanguage, intoLanguage, form) : fromLanguage;
}

void RegisterLocalisationClasses() {
    RegisterClasses({&TTranslator::StaticClass(), &TTranslateLabel::StaticClass(), &TTranslateBitBtn::StaticClass()});
    // Units below the translator pass their messages through it.
    SetMessageTranslator(&TranslateThroughGlobalTranslator);
}
