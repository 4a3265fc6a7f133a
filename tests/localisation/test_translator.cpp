// Lookups, the user language, form fonts, the global translator, the language-change
// notification and streaming a translator from a form description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/testenv.h"

namespace {

void SetLines(TLanguage* lang, const std::vector<std::string>& lines) {
    TStringList l;
    for (const auto& s : lines) l.Add(s);
    lang->SetStrings(&l);
}

class Translator : public testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        ASSERT_EQ(GlobalTranslator, nullptr);
        t = new TTranslator(nullptr);
        SetLines(t->lgEnglish(), {"1;OK", "2;Cancel", "3;Only English", "4;Cancel", "#10", "Two", "lines", "#"});
        SetLines(t->lgGerman(), {"1;OK", "2;Abbrechen", "4;Nochmal", "#10", "Zwei", "Zeilen", "#"});
        SetLines(t->lgFrench(), {"1;D'accord", "2;Annuler"});
    }
    void TearDown() override { delete t; }
    TTranslator* t = nullptr;
};

TEST_F(Translator, LanguagesInIdentOrderWithFileNames) {
    ASSERT_EQ(t->Languages().size(), 12u);
    const char* files[] = {"zrniCzech.txt",    "zrniEnglish.txt", "zrniFrench.txt",    "zrniGerman.txt",
                           "zrniGreek.txt",    "zrniHebrew.txt",  "zrniItalian.txt",   "zrniJapanese.txt",
                           "zrniKorean.txt",   "zrniPortugese.txt", "zrniRussian.txt", "zrniSpanish.txt"};
    for (int i = 0; i < 12; ++i) {
        TLanguage* l = t->Languages()[std::size_t(i)];
        EXPECT_EQ(int(l->LanguageIdent()), i);
        EXPECT_EQ(l->FileName(), files[i]);
        EXPECT_EQ(l->Translator(), t);
        EXPECT_EQ(t->FindLanguage(TZarnLanguage(i)), l);
        EXPECT_FALSE(l->FontOverride());
    }
    EXPECT_EQ(t->FindLanguage(TZarnLanguage::zlUser), nullptr);
    EXPECT_EQ(t->TranslateIntoLanguage(), TZarnLanguage::zlUser);
}

TEST_F(Translator, PublishedPropertiesInStreamOrder) {
    std::vector<std::string> names;
    for (const TPropInfo& p : TTranslator::StaticClass().props) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"lgCzech", "lgEnglish", "lgFrench", "lgGerman", "lgGreek", "lgHebrew",
                                               "lgItalian", "lgKorean", "lgJapanese", "lgPortugese", "lgRussian",
                                               "lgSpanish", "TranslateIntoLanguage"}));
    const TPropInfo* japanese = TTranslator::StaticClass().FindProperty("lgJapanese");
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(japanese->getObject(t), t->lgJapanese());
    EXPECT_EQ(t->lgJapanese()->LanguageIdent(), TZarnLanguage::zlJapanese);
    EXPECT_EQ(t->lgKorean()->LanguageIdent(), TZarnLanguage::zlKorean);
}

TEST_F(Translator, TranslateStringByWording) {
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "Cancel"), "Abbrechen");
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "cANCEL"), "Abbrechen");  // ignoring case
    // (Identifier 4 also reads "Cancel": the first in line order, 2, decided above.)
    // Missing in the target language: stays English.
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "Only English"), "Only English");
    // Unknown wording and unknown source language leave the text alone.
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "Nothing"), "Nothing");
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlSpanish, "Cancel"), "Cancel");
    // Any language can be the source.
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlFrench, "Annuler"), "Abbrechen");
    // A target without lines finds nothing.
    t->SetTranslateIntoLanguage(TZarnLanguage::zlItalian);
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "Cancel"), "Cancel");
}

TEST_F(Translator, WordingComparesAsTheSystemDoes) {
    // Windows-1252 letters fold by case but keep their accents.
    SetLines(t->lgEnglish(), {"1;\xDC" "ber uns", "2;Stra\xDF" "e"});
    SetLines(t->lgGerman(), {"1;About us", "2;Street"});
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "\xFC" "BER UNS"), "About us");
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlEnglish, "Uber uns"), "Uber uns");
    EXPECT_EQ(t->lgEnglish()->FindStringByText("STRA\xDF" "E"), t->lgEnglish()->StringItems()[1]);
    EXPECT_EQ(t->lgEnglish()->FindStringByText("Stra\xDF"), nullptr);
}

TEST_F(Translator, TranslateByGLID) {
    t->SetTranslateIntoLanguage(TZarnLanguage::zlFrench);
    EXPECT_EQ(t->TranslateByGLID(2, "x"), "Annuler");
    EXPECT_EQ(t->TranslateByGLID(3, "x"), "x");
}

TEST_F(Translator, TranslateMemoMatchesExactLines) {
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    TStringList lines, result;
    lines.Add("Two");
    lines.Add("lines");
    t->TranslateMemo(TZarnLanguage::zlEnglish, &lines, &result);
    EXPECT_EQ(result.ToVector(), (std::vector<std::string>{"Zwei", "Zeilen"}));
    lines.Put(1, "Lines");  // case matters for memos
    t->TranslateMemo(TZarnLanguage::zlEnglish, &lines, &result);
    EXPECT_EQ(result.ToVector(), (std::vector<std::string>{"Two", "Lines"}));
    lines.Put(1, "lines");
    t->SetTranslateIntoLanguage(TZarnLanguage::zlFrench);  // no memo 10 in French
    t->TranslateMemo(TZarnLanguage::zlEnglish, &lines, &result);
    EXPECT_EQ(result.ToVector(), (std::vector<std::string>{"Two", "lines"}));
}

TEST_F(Translator, TranslateTextUsesTheGlobalTranslator) {
    EXPECT_EQ(GlobalTranslator, t);
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    EXPECT_EQ(TranslateText("Cancel"), "Abbrechen");
    EXPECT_EQ(TranslateText("Annuler"), "Annuler");  // always looked up as English
}

TEST(GlobalTranslatorLifecycle, FirstTranslatorStaysGlobal) {
    EXPECT_EQ(TranslateText("Cancel"), "Cancel");
    TForm* none = nullptr;
    EXPECT_EQ(TranslateFormControls(TZarnLanguage::zlFrench, none), TZarnLanguage::zlFrench);
    EXPECT_EQ(TranslateFormControlsInto(TZarnLanguage::zlGreek, TZarnLanguage::zlGerman, none),
              TZarnLanguage::zlGreek);
    TranslateFormFont(none);

    auto* first = new TTranslator(nullptr);
    auto* second = new TTranslator(nullptr);
    EXPECT_EQ(GlobalTranslator, first);
    delete first;
    EXPECT_EQ(GlobalTranslator, nullptr);  // the second does not take over
    auto* third = new TTranslator(nullptr);
    EXPECT_EQ(GlobalTranslator, third);
    delete second;
    EXPECT_EQ(GlobalTranslator, third);
    delete third;
    EXPECT_EQ(GlobalTranslator, nullptr);
}

TEST_F(Translator, UserLanguageMapping) {
    if (!platform::testenv::Available()) GTEST_SKIP() << "needs the host's own Windows";
    struct Case {
        platform::LANGID id;
        TLanguage* expected;
    } cases[] = {
        {0x0405, t->lgCzech()},  {0x0407, t->lgGerman()},   {0x0807, t->lgGerman()},  {0x0408, t->lgGreek()},
        {0x0409, t->lgEnglish()}, {0x0809, t->lgEnglish()}, {0x0C0A, t->lgSpanish()}, {0x040C, t->lgFrench()},
        {0x040D, t->lgHebrew()}, {0x0410, t->lgItalian()},  {0x0411, t->lgJapanese()}, {0x0412, t->lgKorean()},
        {0x0419, t->lgRussian()}, {0x0416, nullptr},        {0x0816, nullptr},        {0x0413, nullptr},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::testenv::SetUserDefaultLangID(c.id));
        EXPECT_EQ(t->UserLanguage(), c.expected) << std::hex << c.id;
    }
    EXPECT_THROW(PrimaryLanguageToZarnLanguage(22), Exception);
}

TEST_F(Translator, UserTargetWithPortugueseUserFindsNothing) {
    if (!platform::testenv::Available()) GTEST_SKIP() << "needs the host's own Windows";
    SetLines(t->lgPortugese(), {"2;Cancelar"});
    ASSERT_TRUE(platform::testenv::SetUserDefaultLangID(0x0416));
    EXPECT_EQ(t->TargetLanguage(), nullptr);
    EXPECT_EQ(TranslateText("Cancel"), "Cancel");
    EXPECT_EQ(t->TranslateByGLID(2, "Cancel"), "Cancel");
    TForm form(nullptr);
    form.Font()->SetName("Tahoma");
    t->SetFormFont(&form);
    EXPECT_EQ(form.Font()->Name(), "Tahoma");

    ASSERT_TRUE(platform::testenv::SetUserDefaultLangID(0x0407));
    EXPECT_EQ(TranslateText("Cancel"), "Abbrechen");
    // A source given as zlUser resolves the same way.
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlUser, "Abbrechen"), "Abbrechen");
    t->SetTranslateIntoLanguage(TZarnLanguage::zlFrench);
    EXPECT_EQ(t->TranslateString(TZarnLanguage::zlUser, "Abbrechen"), "Annuler");
}

class FormFont : public Translator {
protected:
    TForm* form = nullptr;
    void SetUp() override {
        Translator::SetUp();
        form = new TForm(nullptr);
        form->Font()->SetName("Tahoma");
        form->Font()->SetSize(12);
    }
    void TearDown() override {
        delete form;
        Translator::TearDown();
    }
    void Into(TZarnLanguage l) {
        SetLines(t->FindLanguage(l), {"1;x"});
        t->SetTranslateIntoLanguage(l);
        t->SetFormFont(form);
    }
};

TEST_F(FormFont, FixedFontsByLanguage) {
    for (TZarnLanguage l : {TZarnLanguage::zlCzech, TZarnLanguage::zlGerman, TZarnLanguage::zlPortugese,
                            TZarnLanguage::zlRussian, TZarnLanguage::zlSpanish, TZarnLanguage::zlItalian}) {
        form->Font()->SetName("Tahoma");
        Into(l);
        EXPECT_EQ(form->Font()->Name(), "Arial");
        EXPECT_EQ(form->Font()->Size(), 8);
    }
    Into(TZarnLanguage::zlGreek);
    EXPECT_EQ(form->Font()->Name(), "SGreek");
    EXPECT_EQ(form->Font()->Size(), 8);
    Into(TZarnLanguage::zlJapanese);
    EXPECT_EQ(form->Font()->Name(), "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    EXPECT_EQ(form->Font()->Size(), 9);
    Into(TZarnLanguage::zlKorean);
    EXPECT_EQ(form->Font()->Name(), "\xB9\xD9\xC5\xC1");
    EXPECT_EQ(form->Font()->Size(), 9);
}

TEST_F(FormFont, HebrewIsUnrecognisedUnlessOverridden) {
    try {
        Into(TZarnLanguage::zlHebrew);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unrecognized language");
    }
    EXPECT_EQ(form->Font()->Name(), "Tahoma");
    t->lgHebrew()->SetFontOverride(true);
    t->lgHebrew()->Font()->SetName("David");
    t->lgHebrew()->Font()->SetSize(10);
    t->lgHebrew()->Font()->SetStyle({TFontStyle::fsBold});
    t->SetFormFont(form);
    EXPECT_EQ(form->Font()->Name(), "David");
    EXPECT_EQ(form->Font()->Size(), 10);
    EXPECT_TRUE(form->Font()->Style().Contains(TFontStyle::fsBold));
}

TEST_F(FormFont, EmptyTargetUsesEnglishSettings) {
    t->lgEnglish()->SetFontOverride(true);
    t->lgEnglish()->Font()->SetName("Courier New");
    t->lgEnglish()->Font()->SetSize(11);
    t->SetTranslateIntoLanguage(TZarnLanguage::zlHebrew);  // no lines: English decides, no error
    t->SetFormFont(form);
    EXPECT_EQ(form->Font()->Name(), "Courier New");
    EXPECT_EQ(form->Font()->Size(), 11);
    t->SetFormFont(nullptr);
}

TEST_F(FormFont, IntoRestoresTheTargetEvenWhenItFails) {
    SetLines(t->lgHebrew(), {"1;x"});
    SetLines(t->lgKorean(), {"1;x"});
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    EXPECT_THROW(t->SetFormFontInto(TZarnLanguage::zlHebrew, form), Exception);
    EXPECT_EQ(t->TranslateIntoLanguage(), TZarnLanguage::zlGerman);
    TranslateFormFontInto(TZarnLanguage::zlKorean, form);
    EXPECT_EQ(form->Font()->Size(), 9);
    EXPECT_EQ(t->TranslateIntoLanguage(), TZarnLanguage::zlGerman);
    TranslateFormFont(form);
    EXPECT_EQ(form->Font()->Name(), "Arial");
}

TEST_F(Translator, WholeLanguageCannotBeAssigned) {
    TTranslator other(nullptr);
    try {
        t->SetLanguage(TZarnLanguage::zlGerman, other.lgGerman());
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TLanguage to a TLanguage");
    }
    EXPECT_EQ(t->lgGerman()->StringItems().size(), 3u);  // unchanged
    // The working ways: the language's own Font and Strings setters.
    TFont f;
    f.SetName("Verdana");
    t->lgGerman()->SetFont(&f);
    EXPECT_EQ(t->lgGerman()->Font()->Name(), "Verdana");
    EXPECT_NE(t->lgGerman()->Font(), &f);
    t->lgGerman()->SetStrings(other.lgGerman()->Strings());
    EXPECT_TRUE(t->lgGerman()->StringItems().empty());
}

std::vector<TZarnLanguage> notified;
void RecordChange(TZarnLanguage l) { notified.push_back(l); }

class LanguageChange : public Translator {
protected:
    void SetUp() override {
        Translator::SetUp();
        saved = LanguageChangeHook();
        notified.clear();
        SetLanguageChangeHook(&RecordChange);
    }
    void TearDown() override {
        SetLanguageChangeHook(saved);
        Translator::TearDown();
    }
    TLanguageChangeHook saved = nullptr;
};

TEST_F(LanguageChange, SetterNotifiesUnlessLoadingOrDesigning) {
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    t->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);  // also when unchanged
    EXPECT_EQ(notified, (std::vector<TZarnLanguage>{TZarnLanguage::zlGerman, TZarnLanguage::zlGerman}));
    t->SetDesigning(true);
    t->SetTranslateIntoLanguage(TZarnLanguage::zlFrench);
    t->SetDesigning(false);
    EXPECT_EQ(t->TranslateIntoLanguage(), TZarnLanguage::zlFrench);
    EXPECT_EQ(notified.size(), 2u);
    // The temporary targets of the Into operations do not notify.
    TForm form(nullptr);
    t->TranslateControlInto(TZarnLanguage::zlEnglish, TZarnLanguage::zlGerman, &form);
    t->SetFormFontInto(TZarnLanguage::zlGerman, &form);
    EXPECT_EQ(notified.size(), 2u);
}

TEST_F(LanguageChange, StreamedTranslator) {
    RegisterFrameworkClasses();
    RegisterLocalisationClasses();
    delete t;
    t = nullptr;
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object Form1: TForm
  Caption = 'Setup'
  object Translator1: TTranslator
    lgEnglish.Strings = (
      '1;Setup'
      '2;Cancel')
    lgGerman.Strings = (
      '* streamed'
      '1;Einrichtung'
      '#5'
      'open memo at this point'
      '#'
      '2;Abbrechen')
    lgGerman.Font.Name = 'Courier New'
    lgGerman.Font.Size = 10
    lgGerman.FontOverride = True
    TranslateIntoLanguage = zlGerman
  end
end
)",
                          "streamed");
    auto* tr = dynamic_cast<TTranslator*>(form.FindComponent("Translator1"));
    ASSERT_NE(tr, nullptr);
    t = nullptr;  // owned by the form
    EXPECT_EQ(GlobalTranslator, tr);
    EXPECT_TRUE(notified.empty());  // set while loading
    EXPECT_EQ(tr->TranslateIntoLanguage(), TZarnLanguage::zlGerman);
    TLanguage* de = tr->lgGerman();
    EXPECT_EQ(de->Strings()->Count(), 6);
    // Parsed as the lines arrived: the clear, then each line.
    EXPECT_EQ(de->ParseCount(), 1 + 6);
    EXPECT_EQ(de->StringItems().size(), 2u);
    EXPECT_EQ(de->MemoItems().size(), 1u);
    EXPECT_TRUE(de->FontOverride());
    EXPECT_EQ(de->Font()->Name(), "Courier New");
    EXPECT_EQ(TranslateText("Cancel"), "Abbrechen");
    TranslateFormControls(TZarnLanguage::zlEnglish, &form);
    EXPECT_EQ(form.Caption(), "Einrichtung");
    TranslateFormFont(&form);
    EXPECT_EQ(form.Font()->Name(), "Courier New");
    EXPECT_EQ(form.Font()->Size(), 10);
}

TEST(StreamedTranslatorErrors, BadLinesAndReadOnlyIdent) {
    InitApplication();
    RegisterFrameworkClasses();
    RegisterLocalisationClasses();
    TForm form(nullptr);
    try {
        ReadComponentFromText(&form, "object F: TForm\n  object T: TTranslator\n    lgGerman.Strings = ( '#' )\n  end\nend\n",
                              "bad");
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("Found the end of memo marker # at line 0"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(GlobalTranslator, nullptr);  // the failed read freed it
    EXPECT_THROW(ReadComponentFromText(
                     &form, "object F: TForm\n  object T: TTranslator\n    lgGerman.LanguageIdent = zlFrench\n  end\nend\n",
                     "readonly"),
                 Exception);
}

}  // namespace
