// Forms and the application: modal runs and how they end, closing, form creation, memos
// and page controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/comctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "tests/framework/ui_fixture.h"

namespace {

using Forms = UiTest;

TButton* AddButton(TForm* f, const std::string& name, TModalResult result = mrNone) {
    auto* b = new TButton(f);
    b->SetName(name);
    b->SetParent(f);
    b->SetModalResult(result);
    return b;
}

TEST_F(Forms, ButtonModalResultEndsTheModalRun) {
    auto* f = new TForm(Application);
    f->SetName("Dlg");
    int clicks = 0;
    AddButton(f, "OkBtn", mrOk)->OnClick = [&](TObject*) { ++clicks; };
    Ui().WhenIdle([&] { EXPECT_TRUE(Ui().Click("OkBtn")); });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(f->Modal());
    EXPECT_EQ(Screen->ModalForm(), nullptr);
}

TEST_F(Forms, OnCloseAndOnCloseQueryCanKeepAModalFormOpen) {
    auto* f = new TForm(Application);
    f->SetName("Dlg");
    int asked = 0, closes = 0;
    f->OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
    f->OnClose = [&](TObject*, TCloseAction& a) {
        if (++closes == 1) a = TCloseAction::caNone;
    };
    for (int i = 0; i < 3; ++i) Ui().WhenIdle([&] { f->Close(); });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_EQ(asked, 3);   // refused once by the query
    EXPECT_EQ(closes, 2);  // then once by OnClose
    EXPECT_THROW(
        {
            f->Show();
            f->ShowModal();
        },
        EInvalidOperation);
}

TEST_F(Forms, ClosingAFormHidesItAndTheMainFormEndsTheProgram) {
    auto* main = new TForm(Application);
    main->SetName("Main");
    auto* other = new TForm(Application);
    other->SetName("Other");
    Application->SetMainForm(main);
    main->Show();
    other->Show();
    EXPECT_EQ(Screen->ActiveForm(), other);
    other->Close();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(Screen->ActiveForm(), main);
    main->Close();
    EXPECT_TRUE(Application->Terminated());
}

class TCreatedForm : public TForm {
    ZARN_CLASS(TCreatedForm, TForm)
public:
    explicit TCreatedForm(TComponent* owner) : TForm(owner) {
        OnCreate = [this](TObject*) { createdAsMain = Application->MainForm() == this; };
    }
    bool createdAsMain = false;
};
ZARN_DEFINE_CLASS(TCreatedForm, TForm, [](auto&) {})

TEST_F(Forms, CreateFormMakesTheFirstFormTheMainForm) {
    TCreatedForm* first = nullptr;
    TCreatedForm* second = nullptr;
    Application->CreateForm(first);
    Application->CreateForm(second);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Application->MainForm(), first);
    EXPECT_TRUE(first->createdAsMain);
    EXPECT_FALSE(second->createdAsMain);
    EXPECT_FALSE(first->Visible());  // created hidden
    delete first;
    EXPECT_EQ(Application->MainForm(), nullptr);  // no dangling main form
}

TEST_F(Forms, ExceptionsInOnShowAreReportedAndTheFormStillShows) {
    auto* f = new TForm(Application);
    f->SetName("F");
    f->OnShow = [](TObject*) { throw Exception("show failed"); };
    f->Show();
    EXPECT_TRUE(f->Visible());
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].request.text, "show failed");
}

TEST_F(Forms, MemoLinesAndChanges) {
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object F: TForm
  object FileList: TMemo
    Visible = False
    Lines.Strings = (
      'skyr.exe'
      'launcher\button.wav')
  end
end
)",
                          "memo");
    auto* m = dynamic_cast<TMemo*>(form.FindComponent("FileList"));
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(m->Visible());
    ASSERT_EQ(m->Lines()->Count(), 2);
    EXPECT_EQ(m->Lines()->Get(1), "launcher\\button.wav");
    EXPECT_EQ(m->Text(), "skyr.exe\r\nlauncher\\button.wav\r\n");
    int changes = 0;
    m->OnChange = [&](TObject*) { ++changes; };
    m->Lines()->Add("pak0.pak");
    m->SetText("one\r\ntwo");
    EXPECT_EQ(m->Lines()->Count(), 2);
    EXPECT_GE(changes, 2);
}

TEST_F(Forms, PageControlShowsOnlyTheActiveSheet) {
    TForm form(nullptr);
    auto* pc = new TPageControl(&form);
    pc->SetParent(&form);
    auto* a = new TTabSheet(&form);
    a->SetParent(pc);
    auto* b = new TTabSheet(&form);
    b->SetPageControl(pc);
    EXPECT_EQ(b->Parent(), pc);
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->ActivePage(), a);
    EXPECT_FALSE(b->Visible());
    pc->SetActivePageIndex(1);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(a->Visible());
    delete b;
    EXPECT_EQ(pc->PageCount(), 1);
    EXPECT_EQ(pc->ActivePage(), a);
    EXPECT_TRUE(a->Visible());
}

TEST_F(Forms, ScheduledInputRunsAtTheNthProcessing) {
    std::vector<int> seen;
    Ui().AtProcessMessages(2, [&] { seen.push_back(Ui().ProcessMessagesCalls()); });
    Ui().AtProcessMessages(1, [&] {
        seen.push_back(Ui().ProcessMessagesCalls());
        // Processing pending messages from inside a handler is allowed.
        Application->ProcessMessages();
    });
    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(Ui().ProcessMessagesCalls(), 3);
}

}  // namespace
