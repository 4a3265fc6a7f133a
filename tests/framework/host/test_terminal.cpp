// The terminal front end driven by a script: screens captured as text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/startup.h"
#include "framework/ui/host/terminal.h"

namespace {

class TPathForm : public TForm {
    ZARN_CLASS(TPathForm, TForm)
public:
    explicit TPathForm(TComponent* owner) : TForm(owner) {}
    TEdit* PathEdit = nullptr;
    TButton* NextBtn = nullptr;
    TProgressBar* Bar = nullptr;
    TTimer* Tick = nullptr;
    void PathEditChange(TObject*) { NextBtn->SetEnabled(PathEdit->Text().size() > 3); }
    void NextBtnClick(TObject*) {
        if (MessageDlg("Install now?", TMsgDlgType::mtConfirmation, mbYesNo) == mrYes) Tick->SetEnabled(true);
    }
    void TickTimer(TObject*) {
        Bar->SetPosition(Bar->Position() + 50);
        if (Bar->Position() >= 100) Tick->SetEnabled(false);
    }
    void CancelBtnClick(TObject*) { Close(); }
};

ZARN_DEFINE_CLASS(TPathForm, TForm, [](TClassBuilder<TPathForm>& b) {
    b.Method("PathEditChange", &TPathForm::PathEditChange)
        .Method("NextBtnClick", &TPathForm::NextBtnClick)
        .Method("TickTimer", &TPathForm::TickTimer)
        .Method("CancelBtnClick", &TPathForm::CancelBtnClick)
        .Field("PathEdit", &TPathForm::PathEdit)
        .Field("NextBtn", &TPathForm::NextBtn)
        .Field("Bar", &TPathForm::Bar)
        .Field("Tick", &TPathForm::Tick);
})

const char* kForm = R"(object PathForm: TPathForm
  Caption = 'Sample Setup'
  ClientWidth = 336
  ClientHeight = 140
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  object Title: TLabel
    Left = 14
    Top = 14
    Caption = 'Where is the game?'
  end
  object PathEdit: TEdit
    Left = 14
    Top = 35
    Width = 210
    Text = 'c:\quake'
    TabOrder = 0
    OnChange = PathEditChange
  end
  object Box: TGroupBox
    Left = 14
    Top = 56
    Width = 308
    Height = 42
    Caption = 'Progress'
    object Bar: TProgressBar
      Left = 14
      Top = 14
      Width = 280
    end
  end
  object NextBtn: TButton
    Left = 154
    Top = 112
    Width = 77
    Caption = '&Next >'
    Default = True
    TabOrder = 1
    OnClick = NextBtnClick
  end
  object CancelBtn: TButton
    Left = 245
    Top = 112
    Width = 77
    Caption = 'Cancel'
    Cancel = True
    TabOrder = 2
    OnClick = CancelBtnClick
  end
  object Tick: TTimer
    Enabled = False
    Interval = 500
    OnTimer = TickTimer
  end
end
)";

class Terminal : public testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        Application->Reset();
        Application->SetExeName("C:\\SETUP.EXE");
    }
    void TearDown() override {
        Application->Reset();
        ui::SetBackend(nullptr);
    }
    // Runs the form under a script and returns everything printed.
    std::string RunScript(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out;
        ui::SetBackend(std::make_unique<ui::TTerminalBackend>(in, out));
        auto* f = new TPathForm(Application);
        ReadComponentFromText(f, kForm, "form");
        form_ = f;
        Application->SetMainForm(f);
        Application->Run();
        ui::SetBackend(nullptr);
        return out.str();
    }
    TPathForm* form_ = nullptr;
};

TEST_F(Terminal, ScriptedSession) {
    std::string out = RunScript(
        "type PathEdit c:\\q\n"
        "dump\n"
        "key Backspace\n"
        "click Next >\n"
        "key Tab\n"
        "type PathEdit c:\\games\n"
        "key Enter\n"
        "answer yes\n"
        "wait\n"
        "dump\n"
        "wait 600\n"
        "dump\n"
        "bogus\n"
        "key Escape\n");
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(form_->Bar->Position(), 100);

    const std::string first =
        "+- Sample Setup ------------------------------[X]+\n"
        "|                                                |\n"
        "|  Where is the game?                            |\n"
        "|                                                |\n"
        "|  {c:\\quake_                   }                |\n"
        "|  +- Progress -------------------------------+  |\n"
        "|  | [.................................] 0%   |  |\n"
        "|  +------------------------------------------+  |\n"
        "|                                                |\n"
        "|                      [ Next >  ]  [ Cancel  ]  |\n"
        "|                                                |\n"
        "+------------------------------------------------+\n";
    EXPECT_EQ(out.substr(0, first.size()), first) << out;
    // After typing "c:\q" (4 characters), Next is enabled; the edit has the focus.
    EXPECT_NE(out.find("> dump\n"), std::string::npos);
    EXPECT_NE(out.find("{c:\\q_ "), std::string::npos) << out;
    // Backspace left 3 characters: Next disabled and refusing the click.
    EXPECT_NE(out.find("error: \"Next >\" cannot be clicked now"), std::string::npos) << out;
    // The confirmation box, drawn over the form.
    EXPECT_NE(out.find(" Confirm "), std::string::npos) << out;
    EXPECT_NE(out.find("(?) Install now?"), std::string::npos) << out;
    EXPECT_NE(out.find("{ Yes }  [ No ]"), std::string::npos) << out;
    // The timer moved the bar in two steps.
    EXPECT_NE(out.find("] 50%"), std::string::npos) << out;
    EXPECT_NE(out.find("[#################################] 100%"), std::string::npos) << out;
    EXPECT_NE(out.find("error: unknown command \"bogus\""), std::string::npos) << out;
    EXPECT_EQ(out.find("(end of input)"), std::string::npos) << out;  // Escape closed it first
}

TEST_F(Terminal, EndOfInputEndsTheProgram) {
    std::string out = RunScript("click Next >\n");  // the box is left unanswered
    EXPECT_TRUE(Application->Terminated());
    EXPECT_NE(out.find("(end of input: No)"), std::string::npos) << out;
    EXPECT_NE(out.find("(end of input)"), std::string::npos) << out;
    EXPECT_FALSE(form_->Tick->Enabled());
}

TEST_F(Terminal, DisabledAndFocusedMarks) {
    std::string out = RunScript("type PathEdit ab\nkey Tab\ndump\nclose\n");
    // Disabled Next is in ( ), the focused Cancel in { }.
    EXPECT_NE(out.find("( Next >  )  { Cancel  }"), std::string::npos) << out;
}

TEST(TerminalRender, PanelsCoverTheLabelsUnderThem) {
    InitApplication();
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object F: TForm
  Caption = 'Pages'
  BorderIcons = []
  ClientWidth = 210
  ClientHeight = 56
  object Welcome: TLabel
    Left = 7
    Top = 14
    Caption = 'Welcome text'
  end
  object Page2: TPanel
    Left = 0
    Top = 0
    Width = 210
    Height = 42
    BevelOuter = bvNone
    Visible = False
    object Ask: TLabel
      Left = 7
      Top = 14
      Caption = 'Where?'
    end
  end
end
)",
                          "pages");
    form.Show();
    std::string welcome = ui::RenderForm(&form).Text();
    EXPECT_NE(welcome.find("Welcome text"), std::string::npos) << welcome;
    EXPECT_EQ(welcome.find("Where?"), std::string::npos) << welcome;
    EXPECT_EQ(welcome.find("[X]"), std::string::npos);  // no system menu
    dynamic_cast<TControl*>(form.FindComponent("Page2"))->Show();
    std::string page2 = ui::RenderForm(&form).Text();
    EXPECT_EQ(page2.find("Welcome"), std::string::npos) << page2;
    EXPECT_NE(page2.find("| Where?"), std::string::npos) << page2;
    form.Hide();
}

TEST(TerminalRender, MessageBoxLayout) {
    ui::TMessageBoxRequest r;
    r.text = "This will abort the installation. Are you sure?";
    r.caption = "Warning";
    r.type = TMsgDlgType::mtWarning;
    r.buttons = mbYesNo;
    r.defaultButton = TMsgDlgBtn::mbYes;
    std::string s = ui::RenderBox(r, 1).Text();
    EXPECT_NE(s.find("+- Warning -"), std::string::npos) << s;
    EXPECT_NE(s.find("(!) This will abort the installation. Are you sure?"), std::string::npos) << s;
    EXPECT_NE(s.find("[ Yes ]  { No }"), std::string::npos) << s;  // the focus on No
}

TEST_F(Terminal, OpenDialogInScriptMode) {
    std::istringstream in("open no\\such\\file.exe\nopen cancel\nopen Z:\\etc\\hostname\nquit\n");
    std::ostringstream out;
    ui::SetBackend(std::make_unique<ui::TTerminalBackend>(in, out));
    TOpenDialog d(nullptr);
    d.SetTitle("Select your Quake executable");
    d.SetFilter("Quake Executable|quake.exe");
    d.SetInitialDir("c:\\quake");
    d.SetOptions({TOpenOption::ofFileMustExist});
    EXPECT_FALSE(d.Execute());  // refused, then cancelled
    EXPECT_NE(out.str().find("error: file not found: c:\\quake\\no\\such\\file.exe"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("files of type: Quake Executable (quake.exe)"), std::string::npos) << out.str();
    d.SetOptions({});
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName(), "Z:\\etc\\hostname");
    ui::SetBackend(nullptr);
}

}  // namespace
