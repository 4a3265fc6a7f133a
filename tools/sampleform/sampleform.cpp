// Shows a sample form with the framework's controls for a few seconds, then closes it.
// Optional argument: the seconds to stay open (default 4).
#include <cstdlib>
#include <string>

#include "framework/bitmap.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/startup.h"

namespace {

class TSampleForm : public TForm {
    ZARN_CLASS(TSampleForm, TForm)
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {}
    TProgressBar* Bar = nullptr;
    TTimer* CloseTimer = nullptr;
    TTimer* StepTimer = nullptr;
    TImage* Picture = nullptr;
    TEdit* PathEdit = nullptr;
    TLabel* StateLbl = nullptr;

    void FormShow(TObject*) {
        // A colour ramp for the picture.
        TBitmap* b = Picture->Picture()->Bitmap();
        b->SetSize(96, 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 96; ++x) b->SetPixel(x, y, std::uint8_t(x * 255 / 95), std::uint8_t(y * 2), 160);
        Picture->Invalidate();
    }
    void StepTimerTimer(TObject*) { Bar->StepIt(); }
    void CloseTimerTimer(TObject*) {
        CloseTimer->SetEnabled(false);
        Close();
    }
    void PathEditChange(TObject*) { StateLbl->SetCaption("Path: " + PathEdit->Text()); }
    void CancelBtnClick(TObject*) { Close(); }
};

ZARN_DEFINE_CLASS(TSampleForm, TForm, [](TClassBuilder<TSampleForm>& b) {
    b.Method("FormShow", &TSampleForm::FormShow)
        .Method("StepTimerTimer", &TSampleForm::StepTimerTimer)
        .Method("CloseTimerTimer", &TSampleForm::CloseTimerTimer)
        .Method("PathEditChange", &TSampleForm::PathEditChange)
        .Method("CancelBtnClick", &TSampleForm::CancelBtnClick)
        .Field("Bar", &TSampleForm::Bar)
        .Field("CloseTimer", &TSampleForm::CloseTimer)
        .Field("StepTimer", &TSampleForm::StepTimer)
        .Field("Picture", &TSampleForm::Picture)
        .Field("PathEdit", &TSampleForm::PathEdit)
        .Field("StateLbl", &TSampleForm::StateLbl);
})

const char* kDescription = R"(object SampleForm: TSampleForm
  Left = 40
  Top = 40
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Sample form'
  ClientHeight = 272
  ClientWidth = 420
  Font.Name = 'MS Sans Serif'
  Font.Height = -11
  Position = poScreenCenter
  Scaled = False
  OnShow = FormShow
  object Frame: TBevel
    Left = 8
    Top = 8
    Width = 104
    Height = 128
    Shape = bsFrame
  end
  object Picture: TImage
    Left = 12
    Top = 12
    Width = 96
    Height = 120
  end
  object Title: TLabel
    Left = 124
    Top = 12
    Width = 280
    Height = 32
    Caption = 'This is a sample form of the framework: labels, an edit, a group box with a progress bar, a radio group and buttons.'
    WordWrap = True
  end
  object PathEdit: TEdit
    Left = 124
    Top = 52
    Width = 200
    Height = 21
    Text = 'c:\quake\quake.exe'
    TabOrder = 0
    OnChange = PathEditChange
  end
  object StateLbl: TLabel
    Left = 124
    Top = 78
    Caption = 'Path: c:\quake\quake.exe'
  end
  object ProgressBox: TGroupBox
    Left = 124
    Top = 96
    Width = 284
    Height = 48
    Caption = 'Progress'
    object Bar: TProgressBar
      Left = 10
      Top = 20
      Width = 264
      Height = 16
      Step = 15
    end
  end
  object KindGroup: TRadioGroup
    Left = 8
    Top = 152
    Width = 400
    Height = 56
    Caption = 'Installation type'
    Columns = 3
    ItemIndex = 0
    Items.Strings = ('Full' 'Compact' 'Custom')
    TabOrder = 1
  end
  object Line: TBevel
    Left = 8
    Top = 222
    Width = 404
    Height = 2
    Shape = bsTopLine
  end
  object NextBtn: TButton
    Left = 240
    Top = 236
    Width = 80
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 2
  end
  object CancelBtn: TButton
    Left = 328
    Top = 236
    Width = 80
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 3
    OnClick = CancelBtnClick
  end
  object StepTimer: TTimer
    Interval = 300
    OnTimer = StepTimerTimer
  end
  object CloseTimer: TTimer
    Interval = 4000
    OnTimer = CloseTimerTimer
  end
end
)";

}  // namespace

int main(int argc, char** argv) {
    InitApplication();
    auto* form = new TSampleForm(Application);
    try {
        ReadComponentFromText(form, kDescription, "sampleform");
    } catch (const std::exception& e) {
        Application->ShowException(e);
        return 1;
    }
    if (argc > 1) {
        long long seconds = 0;
        if (TryStrToInt(argv[1], seconds) && seconds > 0 && seconds < 3600)
            form->CloseTimer->SetInterval(unsigned(seconds * 1000));
    }
    Application->SetMainForm(form);
    Application->Run();
    return 0;
}
