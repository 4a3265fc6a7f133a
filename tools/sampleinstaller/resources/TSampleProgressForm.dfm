object SampleProgressForm: TSampleProgressForm
  Left = 240
  Top = 200
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Installing the Zarn Sample'
  ClientHeight = 126
  ClientWidth = 400
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  Scaled = False
  OnCreate = FormCreate
  object StepLbl: TLabel
    Left = 16
    Top = 14
    Width = 368
    Height = 16
    AutoSize = False
    Caption = 'Installing files'
  end
  object FileLbl: TLabel
    Left = 16
    Top = 34
    Width = 368
    Height = 16
    AutoSize = False
    Caption = ''
  end
  object ProgressBar: TProgressBar
    Left = 16
    Top = 56
    Width = 368
    Height = 20
    Min = 0
    Max = 100
    TabOrder = 0
  end
  object CancelBtn: TButton
    Left = 162
    Top = 90
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 1
    OnClick = CancelBtnClick
  end
end
