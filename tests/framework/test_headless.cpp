// A scripted session over the headless backend: forms from descriptions, clicks, a modal
// form driven by a one-shot timer, pending-message processing, message boxes answered
// from the queue, the open dialog and the default error report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "tests/framework/ui_fixture.h"

namespace {

// A modal progress form: the timer starts the work a moment after it is shown; the work
// steps the bar and processes pending messages, so Cancel stays live.
class TWorkForm : public TForm {
    ZARN_CLASS(TWorkForm, TForm)
public:
    explicit TWorkForm(TComponent* owner) : TForm(owner) {}
    TProgressBar* Bar = nullptr;
    TTimer* StartTimer = nullptr;
    TButton* CancelBtn = nullptr;
    bool Working = false, AbortRequested = false, Done = false;
    int Steps = 10;

    void FormShow(TObject*) { StartTimer->SetEnabled(true); }
    void StartTimerTimer(TObject*) {
        StartTimer->SetEnabled(false);
        Working = true;
        for (int i = 1; i <= Steps && !AbortRequested; ++i) {
            Bar->SetPosition(i * 100 / Steps);
            Application->ProcessMessages();
        }
        Done = !AbortRequested;
        Working = false;
        Close();
    }
    void CancelBtnClick(TObject*) {
        if (!Working) {
            Close();
            return;
        }
        if (MessageDlg("Stop?", TMsgDlgType::mtWarning, mbYesNo) == mrYes) AbortRequested = true;
    }
};

ZARN_DEFINE_CLASS(TWorkForm, TForm, [](TClassBuilder<TWorkForm>& b) {
    b.Method("FormShow", &TWorkForm::FormShow)
        .Method("StartTimerTimer", &TWorkForm::StartTimerTimer)
        .Method("CancelBtnClick", &TWorkForm::CancelBtnClick)
        .Field("Bar", &TWorkForm::Bar)
        .Field("StartTimer", &TWorkForm::StartTimer)
        .Field("CancelBtn", &TWorkForm::CancelBtn);
})

const char* kWorkForm = R"(object WorkForm: TWorkForm
  Caption = 'Working'
  BorderIcons = []
  BorderStyle = bsDialog
  OnShow = FormShow
  object Bar: TProgressBar
    Left = 8
    Top = 8
  end
  object CancelBtn: TButton
    Caption = 'Cancel'
    Cancel = True
    OnClick = CancelBtnClick
  end
  object StartTimer: TTimer
    Enabled = False
    Interval = 1000
    OnTimer = StartTimerTimer
  end
end
)";

class TMainTestForm : public TForm {
    ZARN_CLASS(TMainTestForm, TForm)
public:
    explicit TMainTestForm(TComponent* owner) : TForm(owner) {}
    TButton* GoBtn = nullptr;
    TWorkForm* Work = nullptr;
    TModalResult Result = mrNone;
    void GoBtnClick(TObject*) {
        Result = Work->ShowModal();
        if (!Work->Done) Application->MessageBox("Not done.", Application->Title(), MbOk);
        Close();
    }
    void QuitBtnClick(TObject*) { Close(); }
};

ZARN_DEFINE_CLASS(TMainTestForm, TForm, [](TClassBuilder<TMainTestForm>& b) {
    b.Method("GoBtnClick", &TMainTestForm::GoBtnClick)
        .Method("QuitBtnClick", &TMainTestForm::QuitBtnClick)
        .Field("GoBtn", &TMainTestForm::GoBtn);
})

const char* kMainForm = R"(object MainTestForm: TMainTestForm
  Caption = 'Main'
  object GoBtn: TButton
    Caption = '&Go'
    Default = True
    OnClick = GoBtnClick
  end
  object QuitBtn: TButton
    Caption = '&Quit'
    OnClick = QuitBtnClick
  end
end
)";

class Session : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        main_ = new TMainTestForm(Application);
        ReadComponentFromText(main_, kMainForm, "main");
        Application->SetMainForm(main_);
        work_ = new TWorkForm(Application);
        ReadComponentFromText(work_, kWorkForm, "work");
        main_->Work = work_;
    }
    TMainTestForm* main_ = nullptr;
    TWorkForm* work_ = nullptr;
};

TEST_F(Session, ModalFormRunsItsTimerAndCloses) {
    Ui().WhenIdle([&] { EXPECT_TRUE(Ui().Click("Go")); });
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(work_->Done);
    EXPECT_EQ(main_->Result, mrCancel);  // closed by itself
    EXPECT_EQ(Ui().ProgressHistory("Bar"), (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(Ui().ProcessMessagesCalls(), 10);
    EXPECT_TRUE(Ui().Boxes().empty());
    EXPECT_EQ(Ui().ShownForms(), (std::vector<std::string>{"MainTestForm", "WorkForm"}));
    EXPECT_GE(Ui().Now(), 1000.0);  // the timer's interval passed on the virtual clock
    EXPECT_FALSE(work_->Visible());
    EXPECT_FALSE(work_->StartTimer->Enabled());
}

TEST_F(Session, CancelDuringTheWorkAsksAndStops) {
    Ui().WhenIdle([&] { Ui().Click("GoBtn"); });
    // Answer No the first time, Yes the second.
    Ui().AtProcessMessages(3, [&] { EXPECT_TRUE(Ui().Click("CancelBtn")); });
    Ui().AtProcessMessages(5, [&] { EXPECT_TRUE(Ui().Key("Escape")); });
    Ui().QueueAnswer(mrNo);
    Ui().QueueAnswer(mrYes);
    Application->Run();
    EXPECT_FALSE(work_->Done);
    EXPECT_EQ(Ui().ProgressHistory("WorkForm.Bar"), (std::vector<int>{10, 20, 30, 40, 50}));
    ASSERT_EQ(Ui().Boxes().size(), 3u);
    const auto& ask = Ui().Boxes()[0].request;
    EXPECT_EQ(ask.caption, "Warning");
    EXPECT_EQ(ask.type, TMsgDlgType::mtWarning);
    EXPECT_EQ(ask.buttons, mbYesNo);
    EXPECT_EQ(ask.defaultButton, TMsgDlgBtn::mbYes);
    EXPECT_EQ(ask.escapeButton, TMsgDlgBtn::mbNo);
    EXPECT_EQ(Ui().Boxes()[1].answer, mrYes);
    // The main form's report after the modal run: plain box with the application title.
    const auto& report = Ui().Boxes()[2];
    EXPECT_EQ(report.request.text, "Not done.");
    EXPECT_EQ(report.request.caption, "Setup");
    EXPECT_EQ(report.request.type, TMsgDlgType::mtCustom);
    EXPECT_FALSE(report.scripted);
}

TEST_F(Session, CancelBeforeTheTimerWithdrawsTheWork) {
    Ui().WhenIdle([&] { Ui().Click("GoBtn"); });
    Ui().WhenIdle([&] {
        // While the modal form runs, the main form takes no input.
        EXPECT_FALSE(Ui().Click("MainTestForm.QuitBtn"));
        EXPECT_FALSE(Ui().CloseCommand(work_));  // no system menu
        EXPECT_TRUE(Ui().Click("CancelBtn"));
    });
    Application->Run();
    EXPECT_FALSE(work_->Done);
    EXPECT_EQ(Ui().ProgressHistory("Bar"), std::vector<int>{});
    EXPECT_FALSE(work_->StartTimer->Enabled() && work_->Visible());
    ASSERT_EQ(Ui().Boxes().size(), 1u);
}

TEST_F(Session, AcceleratorsDefaultButtonAndCloseCommand) {
    Ui().WhenIdle([&] { EXPECT_TRUE(Ui().Key("Alt+q")); });
    Application->Run();
    EXPECT_EQ(Ui().Log().back(), "hide MainTestForm");

    Application->Reset();
    auto* f = new TMainTestForm(Application);
    ReadComponentFromText(f, kMainForm, "main");
    Application->SetMainForm(f);
    Ui().WhenIdle([&] { EXPECT_TRUE(Ui().CloseCommand("MainTestForm")); });
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(Session, ALoopWithNothingToWaitForFailsInsteadOfHanging) {
    main_->Show();
    EXPECT_THROW(Application->HandleMessage(), ui::EUiFatal);
}

// The buttons of a wizard's last step: Next disables itself and hides Cancel, then shows
// Finish in Cancel's place; a page panel with an edit goes away with the step.
const char* kSteps = R"(object Steps: TForm
  Caption = 'Steps'
  BorderIcons = [biSystemMenu]
  object BackBtn: TButton
    Caption = '< &Back'
    TabOrder = 0
  end
  object NextBtn: TButton
    Caption = '&Next >'
    TabOrder = 1
  end
  object CancelBtn: TButton
    Caption = 'Cancel'
    TabOrder = 2
  end
  object Page: TPanel
    TabOrder = 3
    object PathEdit: TEdit
    end
  end
  object FinishBtn: TButton
    Caption = 'Finish'
    TabOrder = 4
    Visible = False
  end
end
)";

class Focus : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        form_ = new TForm(Application);
        ReadComponentFromText(form_, kSteps, "steps");
        Application->SetMainForm(form_);
        next_ = Get<TButton>("NextBtn");
        next_->OnClick = [this](TObject*) {
            next_->SetEnabled(false);
            Get<TButton>("CancelBtn")->Hide();
            Get<TButton>("FinishBtn")->Show();
            Get<TPanel>("Page")->Hide();
        };
        Get<TButton>("FinishBtn")->OnClick = [this](TObject*) { ++finished_; };
        form_->Show();
    }
    template <typename T>
    T* Get(const std::string& name) {
        return dynamic_cast<T*>(form_->FindComponent(name));
    }
    std::string Focused() const { return form_->ActiveControl() ? form_->ActiveControl()->Name() : "(none)"; }
    TForm* form_ = nullptr;
    TButton* next_ = nullptr;
    int finished_ = 0;
};

TEST_F(Focus, ADisabledFocusedControlHandsTheFocusToTheNextInTabOrder) {
    next_->SetFocus();
    // The handler disables Next before Cancel goes and Finish comes: the focus moves
    // once the handler is done, to Finish, and Enter finishes.
    EXPECT_TRUE(Ui().Key("Enter"));
    EXPECT_EQ(Focused(), "FinishBtn");
    EXPECT_TRUE(Ui().Key("Enter"));
    EXPECT_EQ(finished_, 1);
}

TEST_F(Focus, AHiddenParentTakesItsFocusedChildAlongAndNothingLeftMeansNoFocus) {
    Get<TEdit>("PathEdit")->SetFocus();
    EXPECT_TRUE(Ui().Click("Next >"));  // the click moves the focus to Next first
    EXPECT_EQ(Focused(), "FinishBtn");

    // A handler run by a timer counts as input too.
    Get<TPanel>("Page")->Show();
    Get<TEdit>("PathEdit")->SetFocus();
    TTimer t(form_);
    t.SetInterval(10);
    t.SetOnTimer([&](TObject*) {
        t.SetEnabled(false);
        for (const char* n : {"BackBtn", "FinishBtn"}) Get<TButton>(n)->SetEnabled(false);
        Get<TPanel>("Page")->Hide();
    });
    Application->HandleMessage();
    EXPECT_EQ(Focused(), "(none)");
    EXPECT_FALSE(Ui().Key("Enter"));
}

class Boxes : public UiTest {};

TEST_F(Boxes, TitlesIconsAndDefaults) {
    Ui().QueueAnswer(mrNo);
    EXPECT_EQ(MessageDlg("Sure?", TMsgDlgType::mtConfirmation, mbYesNo), mrNo);
    EXPECT_EQ(MessageDlg("Done", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK}), mrOk);
    EXPECT_EQ(MessageDlg("Go on?", TMsgDlgType::mtWarning, mbOKCancel), mrOk);
    ShowMessage("plain");
    ASSERT_EQ(Ui().Boxes().size(), 4u);
    EXPECT_EQ(Ui().Boxes()[0].request.caption, "Confirm");
    EXPECT_EQ(Ui().Boxes()[1].request.caption, "Information");
    EXPECT_EQ(Ui().Boxes()[2].request.caption, "Warning");
    EXPECT_EQ(Ui().Boxes()[2].request.escapeButton, TMsgDlgBtn::mbCancel);
    EXPECT_EQ(Ui().Boxes()[3].request.caption, "Setup");

    // Win32 flags.
    Ui().QueueAnswer(mrNo);
    EXPECT_EQ(Application->MessageBox("q", "T", MbYesNo | MbIconQuestion | MbDefButton2), IdNo);
    auto r = Ui().Boxes().back().request;
    EXPECT_EQ(r.type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(r.defaultButton, TMsgDlgBtn::mbNo);
    EXPECT_EQ(Application->MessageBox("e", "T", MbOk | MbIconWarning), IdOk);
    EXPECT_EQ(Ui().Boxes().back().request.type, TMsgDlgType::mtWarning);

    // An answer the box does not offer is a mistake of the script.
    Ui().QueueAnswer(mrYes);
    EXPECT_THROW(ShowMessage("x"), ui::EUiFatal);
    Ui().StrictBoxes = true;
    EXPECT_THROW(ShowMessage("y"), ui::EUiFatal);
}

TEST_F(Boxes, ExceptionsFromHandlersAreReported) {
    TForm form(nullptr);
    form.SetName("F");
    auto* b = new TButton(&form);
    b->SetName("B");
    b->SetParent(&form);
    form.Show();
    b->OnClick = [](TObject*) { throw EInvalidOperation("Cannot create link"); };
    EXPECT_TRUE(Ui().Click("B"));
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].request.text, "Cannot create link");
    EXPECT_EQ(Ui().Boxes()[0].request.caption, "Setup");
    EXPECT_EQ(Ui().Boxes()[0].request.type, TMsgDlgType::mtError);

    b->OnClick = [](TObject*) { Abort(); };
    EXPECT_TRUE(Ui().Click("B"));
    EXPECT_EQ(Ui().Boxes().size(), 1u);  // silent

    std::string seen;
    Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
    b->OnClick = [](TObject*) { throw Exception("custom"); };
    Ui().Click("B");
    EXPECT_EQ(seen, "custom");
    EXPECT_EQ(Ui().Boxes().size(), 1u);
}

TEST_F(Boxes, OpenDialogAnsweredFromTheQueue) {
    TOpenDialog d(nullptr);
    ReadComponentFromText(&d, R"(object OpenDialog: TOpenDialog
  FileName = 'c:\quake\quake.exe'
  Filter = 'Quake Executable|quake.exe'
  InitialDir = 'c:\quake'
  Options = [ofReadOnly, ofPathMustExist, ofFileMustExist]
  Title = 'Select your Quake executable'
end
)",
                          "dlg");
    auto pairs = d.FilterPairs();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].first, "Quake Executable");
    EXPECT_EQ(pairs[0].second, "quake.exe");
    EXPECT_TRUE(d.Options().Contains(TOpenOption::ofFileMustExist));

    Ui().QueueOpenDialogCancel();
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(d.FileName(), "c:\\quake\\quake.exe");
    Ui().QueueOpenDialog("D:\\GAMES\\QUAKE\\QUAKE.EXE");
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName(), "D:\\GAMES\\QUAKE\\QUAKE.EXE");
    ASSERT_EQ(Ui().OpenDialogs().size(), 2u);
    EXPECT_EQ(Ui().OpenDialogs()[0].title, "Select your Quake executable");
    EXPECT_EQ(Ui().OpenDialogs()[0].initialDir, "c:\\quake");
    EXPECT_FALSE(Ui().OpenDialogs()[0].accepted);
    EXPECT_FALSE(d.Execute());  // nothing queued: cancelled
}

TEST_F(Boxes, TimersRunOnTheVirtualClock) {
    TForm form(nullptr);
    form.SetName("F");
    form.Show();
    TTimer fast(&form), slow(&form);
    fast.SetName("Fast");
    slow.SetName("Slow");
    std::vector<std::string> fired;
    fast.SetInterval(300);
    slow.SetInterval(1000);
    fast.SetOnTimer([&](TObject*) { fired.push_back("fast@" + std::to_string(int(Ui().Now()))); });
    slow.SetOnTimer([&](TObject*) {
        fired.push_back("slow@" + std::to_string(int(Ui().Now())));
        slow.SetEnabled(false);  // one shot
    });
    int afterSlow = 0;
    Ui().AfterTimer("Slow", [&] { ++afterSlow; });
    for (int i = 0; i < 5; ++i) Application->HandleMessage();
    EXPECT_EQ(fired, (std::vector<std::string>{"fast@300", "fast@600", "fast@900", "slow@1000", "fast@1200"}));
    EXPECT_EQ(afterSlow, 1);
    fast.SetEnabled(false);
    EXPECT_THROW(Application->HandleMessage(), ui::EUiFatal);
}

TEST_F(Boxes, ScreenCursor) {
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
}

}  // namespace
