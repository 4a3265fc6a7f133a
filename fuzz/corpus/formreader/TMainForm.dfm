object MainForm: TMainForm
  Left = 200
  Top = 120
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Skyreach: The Embers of Orrin (demo version) - Installation'
  ClientHeight = 342
  ClientWidth = 546
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  Scaled = False
  OnShow = FormShow
  object Bevel1: TBevel
    Left = 8
    Top = 8
    Width = 186
    Height = 271
    Shape = bsFrame
  end
  object Image1: TImage
    Left = 11
    Top = 11
    Width = 180
    Height = 265
  end
  object Bevel2: TBevel
    Left = 8
    Top = 290
    Width = 530
    Height = 2
    Shape = bsTopLine
  end
  object Label1: TLabel
    Left = 208
    Top = 16
    Width = 326
    Height = 39
    AutoSize = False
    Caption = 
      'Welcome to the Skyreach: Embers of Orrin Setup program. This pro' +
      'gram will install Skyreach: Embers of Orrin to your computer.'
    WordWrap = True
  end
  object Label2: TLabel
    Left = 208
    Top = 68
    Width = 326
    Height = 26
    AutoSize = False
    Caption = 
      'It is strongly recommended that you exit all Windows programs be' +
      'fore running this Setup program.'
    WordWrap = True
  end
  object Label3: TLabel
    Left = 208
    Top = 106
    Width = 326
    Height = 39
    AutoSize = False
    Caption = 
      'Click Cancel to quit Setup and then close down all other program' +
      's you have running. Click Next to continue with the Setup progra' +
      'm.'
    WordWrap = True
  end
  object Label4: TLabel
    Left = 208
    Top = 170
    Width = 326
    Height = 39
    AutoSize = False
    Caption = 
      'WARNING: This program is protected by copyright law and internat' +
      'ional treaties.'
    WordWrap = True
  end
  object Label5: TLabel
    Left = 208
    Top = 212
    Width = 326
    Height = 39
    AutoSize = False
    Caption = 
      'Unauthorized reproduction or distribution of this program, or an' +
      'y portion of it, may result in severe civil and criminal penalt' +
      'ies, and will be prosecuted to the maximum extent possible under' +
      ' the law.'
    WordWrap = True
  end
  object Label10: TLabel
    Left = 208
    Top = 258
    Width = 326
    Height = 26
    AutoSize = False
    Caption = 
      'Skyreach and The Embers of Orrin are trademarks of Halvard Inter' +
      'active. Quake is a trademark of its respective owner.'
    WordWrap = True
  end
  object SelectFolderPanel: TPanel
    Left = 200
    Top = 8
    Width = 340
    Height = 276
    BevelOuter = bvNone
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
    TabOrder = 3
    Visible = False
    object Label6: TLabel
      Left = 8
      Top = 12
      Width = 324
      Height = 40
      AutoSize = False
      Caption = 'Please specify the location of your Quake executable'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'Arial'
      Font.Style = []
      ParentFont = False
      WordWrap = True
    end
    object Label7: TLabel
      Left = 8
      Top = 150
      Width = 324
      Height = 72
      AutoSize = False
      Caption = 
        'Warning: This program requires 30mb of free uncompressed hard dr' +
        'ive space. Please make sure you have sufficient disk space befor' +
        'e continuing.'
      WordWrap = True
    end
    object FilenameEdit: TEdit
      Left = 8
      Top = 72
      Width = 240
      Height = 24
      TabOrder = 0
      Text = 'c:\quake\quake.exe'
      OnChange = FilenameEditChange
    end
    object Button1: TButton
      Left = 256
      Top = 71
      Width = 75
      Height = 26
      Caption = 'Browse'
      TabOrder = 1
      OnClick = Button1Click
    end
  end
  object FinishPanel: TPanel
    Left = 200
    Top = 8
    Width = 340
    Height = 276
    BevelOuter = bvNone
    TabOrder = 5
    Visible = False
    object Label8: TLabel
      Left = 8
      Top = 12
      Width = 324
      Height = 26
      AutoSize = False
      Caption = 'The setup process is now ready to install the files to your computer.'
      WordWrap = True
    end
    object Label9: TLabel
      Left = 8
      Top = 52
      Width = 324
      Height = 13
      AutoSize = False
      Caption = 'Click on Finish to begin copying the files.'
      WordWrap = True
    end
  end
  object BackBtn: TButton
    Left = 224
    Top = 304
    Width = 75
    Height = 25
    Caption = '< &Back'
    Enabled = False
    TabOrder = 0
    OnClick = BackBtnClick
  end
  object NextBtn: TButton
    Left = 299
    Top = 304
    Width = 75
    Height = 25
    Caption = '&Next >'
    TabOrder = 1
    OnClick = NextBtnClick
  end
  object CancelBtn: TButton
    Left = 386
    Top = 304
    Width = 75
    Height = 25
    Caption = 'Cancel'
    TabOrder = 2
    OnClick = CancelBtnClick
  end
  object FinishBtn: TButton
    Left = 386
    Top = 304
    Width = 75
    Height = 25
    Caption = 'Finish'
    TabOrder = 6
    Visible = False
    OnClick = FinishBtnClick
  end
  object ScreenSB: TScrollBar
    Left = 8
    Top = 320
    Width = 121
    Height = 16
    Kind = sbHorizontal
    Min = 1
    Max = 3
    Position = 1
    TabOrder = 4
    Visible = False
    OnChange = ScreenSBChange
  end
  object OpenDialog: TOpenDialog
    FileName = 'c:\quake\quake.exe'
    Filter = 'Quake Executable|quake.exe'
    InitialDir = 'c:\quake'
    Options = [ofReadOnly, ofPathMustExist, ofFileMustExist]
    Title = 'Select your Quake executable'
  end
end
