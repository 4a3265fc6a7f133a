// The caption walk over a form's controls, the translatable controls, and a round trip
// through the language text files kept with the tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/startup.h"
#include "localisation/cmp_TTranslateControls.h"
#include "localisation/cmp_TTranslator.h"

namespace {

void SetLines(TLanguage* lang, const std::vector<std::string>& lines) {
    TStringList l;
    for (const auto& s : lines) l.Add(s);
    lang->SetStrings(&l);
}

// A data file of the tests as a Windows path (Z: reaches the whole host file system).
std::string DataFile(const std::string& name) {
    std::string p = std::string("Z:") + ZARN_LOCALISATION_DATA + "/" + name;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

template <typename C>
C* Make(TForm* form, TWinControl* parent, const std::string& caption) {
    auto* c = new C(form);
    c->SetParent(parent);
    c->SetCaption(caption);
    return c;
}

// A form with every translatable kind, nested panels, and controls that stay as they are.
struct SampleForm {
    TForm* form;
    TLabel* label;
    TButton* button;
    TBitBtn* bitBtn;
    TPanel* outer;
    TPanel* inner;
    TGroupBox* group;
    TLabel* deepLabel;
    TPageControl* pages;
    TTabSheet* sheet;
    TButton* sheetButton;
    TMemo* memo;
    TRadioGroup* radio;
    TEdit* edit;
    TTranslateLabel* byId;
    TTranslateLabel* byWording;
    TTranslateLabel* untouched;
    TTranslateBitBtn* btnById;
    TTranslateBitBtn* btnUntouched;

    SampleForm() {
        form = new TForm(nullptr);
        form->SetCaption("Setup");
        label = Make<TLabel>(form, form, "Welcome");
        label->SetHint("Welcome");
        button = Make<TButton>(form, form, "&Next >");
        bitBtn = Make<TBitBtn>(form, form, "Cancel");
        outer = Make<TPanel>(form, form, "Options");  // a panel's caption is not translated
        inner = Make<TPanel>(form, outer, "");
        group = Make<TGroupBox>(form, inner, "Destination folder");
        deepLabel = Make<TLabel>(form, group, "Installs the program into the folder below.");
        pages = new TPageControl(form);
        pages->SetParent(form);
        sheet = new TTabSheet(form);
        sheet->SetPageControl(pages);
        sheet->SetCaption("General");
        sheetButton = Make<TButton>(form, sheet, "< &Back");
        memo = new TMemo(form);
        memo->SetParent(inner);
        memo->Lines()->Add("This program installs");
        memo->Lines()->Add("the sample product.");
        radio = Make<TRadioGroup>(form, form, "Installation type");
        radio->Items()->Add("Full installation");
        radio->Items()->Add("Compact installation");
        radio->Items()->Add("Custom");
        edit = Make<TEdit>(form, form, "Setup");
        byId = Make<TTranslateLabel>(form, group, "anything");
        byId->SetGLID(32);
        byWording = Make<TTranslateLabel>(form, form, "Welcome");
        untouched = Make<TTranslateLabel>(form, form, "Welcome");
        untouched->SetGLID(-1);
        btnById = Make<TTranslateBitBtn>(form, sheet, "?");
        btnById->SetGLID(33);
        btnUntouched = Make<TTranslateBitBtn>(form, sheet, "Cancel");
        btnUntouched->SetGLID(-5);
    }
    ~SampleForm() { delete form; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> v = {form->Caption(),     label->Caption(),      button->Caption(),
                                      bitBtn->Caption(),   outer->Caption(),      group->Caption(),
                                      deepLabel->Caption(), sheet->Caption(),     sheetButton->Caption(),
                                      radio->Caption(),    edit->Text(),          byId->Caption(),
                                      byWording->Caption(), untouched->Caption(), btnById->Caption(),
                                      btnUntouched->Caption(), label->Hint()};
        for (const auto& s : memo->Lines()->ToVector()) v.push_back(s);
        for (const auto& s : radio->Items()->ToVector()) v.push_back(s);
        return v;
    }
};

class Walk : public testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        t = new TTranslator(nullptr);
    }
    void TearDown() override { delete t; }
    void LoadFiles() {
        int before = t->lgEnglish()->ParseCount();
        t->lgEnglish()->Strings()->LoadFromFile(DataFile("zrniEnglish.txt"));
        t->lgGerman()->Strings()->LoadFromFile(DataFile("zrniGerman.txt"));
        EXPECT_EQ(t->lgEnglish()->ParseCount(), before + 1);
        EXPECT_EQ(t->lgGerman()->ParseCount(), before + 1);
    }
    TTranslator* t = nullptr;
};

const std::vector<std::string> english = {
    "Setup", "Welcome", "&Next >", "Cancel", "Options", "Destination folder",
    "Installs the program into the folder below.", "General", "< &Back", "Installation type", "Setup", "Read me",
    "Welcome", "Welcome", "Help", "Cancel", "Welcome", "This program installs", "the sample product.",
    "Full installation", "Compact installation", "Custom"};

const std::vector<std::string> german = {
    "Einrichtung", "Willkommen", "&Weiter >", "Abbrechen", "Options", "Zielordner",
    "Installiert das Programm in den unten genannten Ordner.", "Allgemein", "< &Zur\xFC" "ck",
    "Installation type",  // a radio group's items are translated, its caption is not
    "Setup", "Lies mich", "Willkommen", "Welcome", "Hilfe", "Cancel", "Welcome", "Dieses Programm installiert",
    "das Beispielprodukt.", "Vollst\xE4ndige Installation", "Minimale Installation", "Custom"};

TEST_F(Walk, LanguageFilesRoundTrip) {
    LoadFiles();
    ASSERT_EQ(t->lgGerman()->StringItems().size(), 15u);
    ASSERT_EQ(t->lgGerman()->MemoItems().size(), 1u);
    SampleForm f;
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    TZarnLanguage now = t->TranslateControl(TZarnLanguage::zlEnglish, f.form);
    EXPECT_EQ(now, TZarnLanguage::zlGerman);
    EXPECT_EQ(f.Texts(), german);

    // Once more into the same language: the source is now German, nothing changes.
    EXPECT_EQ(t->TranslateControl(now, f.form), TZarnLanguage::zlGerman);
    EXPECT_EQ(f.Texts(), german);

    // And back.
    t->SetTranslateIntoLanguage(TZarnLanguage::zlEnglish);
    EXPECT_EQ(t->TranslateControl(now, f.form), TZarnLanguage::zlEnglish);
    EXPECT_EQ(f.Texts(), english);  // the label with GLID 32 now reads "Read me"
}

TEST_F(Walk, TranslateIntoKeepsTheTargetAndGlobalHelpersUseIt) {
    LoadFiles();
    SampleForm f;
    t->SetTranslateIntoLanguage(TZarnLanguage::zlFrench);
    EXPECT_EQ(TranslateFormControlsInto(TZarnLanguage::zlEnglish, TZarnLanguage::zlGerman, f.form),
              TZarnLanguage::zlGerman);
    EXPECT_EQ(t->TranslateIntoLanguage(), TZarnLanguage::zlFrench);
    EXPECT_EQ(f.form->Caption(), "Einrichtung");
    // French has no lines: everything stays German.
    EXPECT_EQ(TranslateFormControls(TZarnLanguage::zlGerman, f.form), TZarnLanguage::zlFrench);
    EXPECT_EQ(f.Texts(), german);
    EXPECT_EQ(t->TranslateControl(TZarnLanguage::zlEnglish, nullptr), TZarnLanguage::zlEnglish);
}

TEST_F(Walk, IdentifierCaptionIsLookedUpByWordingAgain) {
    // A label translated by identifier is still a label: its new caption goes through the
    // wording lookup once more.
    SetLines(t->lgEnglish(), {"1;First", "2;Second"});
    SetLines(t->lgGerman(), {"1;Second", "2;Zweite"});
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    SampleForm f;
    f.byId->SetGLID(1);
    t->TranslateControl(TZarnLanguage::zlEnglish, f.form);
    EXPECT_EQ(f.byId->Caption(), "Zweite");
    f.byWording->SetCaption("First");
    f.byWording->SetGLID(0);
    t->TranslateControl(TZarnLanguage::zlEnglish, f.form);
    EXPECT_EQ(f.byWording->Caption(), "Second");
}

TEST_F(Walk, StreamedTranslatableControls) {
    RegisterFrameworkClasses();
    RegisterLocalisationClasses();
    SetLines(t->lgEnglish(), {"1;OK"});
    SetLines(t->lgGerman(), {"1;Gut", "7;Sieben"});
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object F: TForm
  object L: TTranslateLabel
    Caption = 'seven'
    GLID = 7
  end
  object P: TPanel
    object B: TTranslateBitBtn
      Caption = 'OK'
    end
  end
end
)",
                          "controls");
    auto* l = dynamic_cast<TTranslateLabel*>(form.FindComponent("L"));
    auto* b = dynamic_cast<TTranslateBitBtn*>(form.FindComponent("B"));
    ASSERT_TRUE(l && b);
    EXPECT_EQ(l->GLID(), 7);
    EXPECT_EQ(b->GLID(), 0);
    TranslateFormControls(TZarnLanguage::zlEnglish, &form);
    EXPECT_EQ(l->Caption(), "Sieben");
    EXPECT_EQ(b->Caption(), "Gut");
}

}  // namespace
