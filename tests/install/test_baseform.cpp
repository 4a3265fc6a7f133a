// The base form and the language-change notice: a translator's new target language
// reaches every live install container and translates every base form.
#include <gtest/gtest.h>

#include "tests/install/fakes.h"

using namespace zarn::test;
using ZL = TZarnLanguage;

namespace {

class Listening : public TInstallContainer {
public:
    using TInstallContainer::TInstallContainer;
    void LanguageChanged(TZarnLanguage l) override { heard.push_back(l); }
    std::vector<TZarnLanguage> heard;
};

class BaseFormTest : public InstallTest {
protected:
    TTranslator* Translator() {
        auto* t = new TTranslator(owner);
        t->lgEnglish()->Strings()->SetText("1;Welcome\r\n2;Next\r\n");
        t->lgGerman()->Strings()->SetText("1;Willkommen\r\n2;Weiter\r\n");
        t->lgFrench()->Strings()->SetText("1;Bienvenue\r\n2;Suivant\r\n");
        return t;
    }
};

TEST_F(BaseFormTest, BaseFormsJoinAndLeaveTheGlobalList) {
    std::size_t before = BaseForms->size();
    auto* form = new TBaseBriskoForm(owner);
    EXPECT_EQ(BaseForms->size(), before + 1);
    EXPECT_TRUE(form->TranslateFont);
    EXPECT_TRUE(form->TranslateControls);
    EXPECT_EQ(form->CurrentLanguage, ZL::zlEnglish);
    EXPECT_FALSE(form->UseOwnLanguage);
    EXPECT_EQ(form->OwnLanguage, ZL::zlUser);
    delete form;
    EXPECT_EQ(BaseForms->size(), before);
}

TEST_F(BaseFormTest, ANewTargetLanguageTranslatesFormsAndReachesContainers) {
    TTranslator* t = Translator();
    ASSERT_EQ(GlobalTranslator, t);
    auto* form = new TBaseBriskoForm(owner);
    form->SetCaption("Welcome");
    form->TranslateFont = false;
    auto* listener = new Listening(owner);

    t->SetTranslateIntoLanguage(ZL::zlGerman);
    EXPECT_EQ(form->Caption(), "Willkommen");
    EXPECT_EQ(form->CurrentLanguage, ZL::zlGerman);
    EXPECT_EQ(listener->heard, (std::vector<TZarnLanguage>{ZL::zlGerman}));

    // The next change translates from the language the form is in now.
    t->SetTranslateIntoLanguage(ZL::zlFrench);
    EXPECT_EQ(form->Caption(), "Bienvenue");
    EXPECT_EQ(form->CurrentLanguage, ZL::zlFrench);

    // Controls left alone on request.
    form->TranslateControls = false;
    t->SetTranslateIntoLanguage(ZL::zlEnglish);
    EXPECT_EQ(form->Caption(), "Bienvenue");
    EXPECT_EQ(listener->heard.size(), 3u);
}

TEST_F(BaseFormTest, AFormWithItsOwnLanguageTranslatesIntoThatOne) {
    TTranslator* t = Translator();
    auto* form = new TBaseBriskoForm(owner);
    form->SetCaption("Next");
    form->TranslateFont = false;
    form->UseOwnLanguage = true;
    form->OwnLanguage = ZL::zlFrench;
    t->SetTranslateIntoLanguage(ZL::zlGerman);
    EXPECT_EQ(form->Caption(), "Suivant");
    EXPECT_EQ(form->CurrentLanguage, ZL::zlFrench);
    EXPECT_EQ(t->TranslateIntoLanguage(), ZL::zlGerman);
}

}  // namespace
