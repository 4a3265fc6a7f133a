object InstallForm: TInstallForm
  Left = 260
  Top = 200
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Installing files to your computer'
  ClientHeight = 155
  ClientWidth = 427
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -15
  Font.Name = 'Arial'
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  OnShow = FormShow
  object ProgressBox: TGroupBox
    Left = 8
    Top = 8
    Width = 411
    Height = 101
    Caption = 'Progress'
    TabOrder = 0
    object Label3: TLabel
      Left = 12
      Top = 26
      Width = 26
      Height = 17
      Caption = 'File:'
    end
    object FilenameLbl: TLabel
      Left = 48
      Top = 26
      Width = 351
      Height = 17
      AutoSize = False
      Caption = 'skyr.exe'
    end
    object ProgressBar1: TProgressBar
      Left = 12
      Top = 60
      Width = 387
      Height = 22
      Min = 0
      Max = 100
      TabOrder = 0
    end
  end
  object Button2: TButton
    Left = 176
    Top = 120
    Width = 75
    Height = 27
    Caption = 'Cancel'
    TabOrder = 1
    OnClick = Button2Click
  end
  object FilenameEdit: TEdit
    Left = 8
    Top = 124
    Width = 121
    Height = 23
    TabOrder = 2
    Visible = False
  end
  object FileList: TMemo
    Left = 296
    Top = 120
    Width = 121
    Height = 27
    Lines.Strings = (
      'skyr.exe'
      'pak0.pak'
      'progs.dat'
      'readme.txt'
      'launcher\button.wav'
      'launcher\orrin.bmp'
      'launcher\kaela.bmp'
      'launcher\miren.bmp'
      'launcher\tovan.bmp'
      'launcher\seren.bmp'
      'launcher\draven.bmp'
      'launcher\lyssa.bmp'
      'launcher\bram.bmp'
      'launcher\isolde.bmp'
      'launcher\fenwick.bmp'
      'launcher\corvin.bmp'
      'launcher\thessaly.bmp'
      'launcher\back0.bmp'
      'launcher\back1.bmp'
      'launcher\browse0.bmp'
      'launcher\browse1.bmp'
      'launcher\browse2.bmp'
      'launcher\cback0.bmp'
      'launcher\cback1.bmp'
      'launcher\client0.bmp'
      'launcher\client1.bmp'
      'launcher\command0.bmp'
      'launcher\credits0.bmp'
      'launcher\credits1.bmp'
      'launcher\dosq0.bmp'
      'launcher\dosq1.bmp'
      'launcher\glq0.bmp'
      'launcher\glq1.bmp'
      'launcher\intro0.bmp'
      'launcher\intro1.bmp'
      'launcher\load0.bmp'
      'launcher\load1.bmp'
      'launcher\multi0.bmp'
      'launcher\multi1.bmp'
      'launcher\play0.bmp'
      'launcher\play1.bmp'
      'launcher\powers0.bmp'
      'launcher\powers1.bmp'
      'launcher\powers2.bmp'
      'launcher\server0.bmp'
      'launcher\server1.bmp'
      'launcher\single0.bmp'
      'launcher\single1.bmp'
      'launcher\vq0.bmp'
      'launcher\vq1.bmp'
      'launcher\weapons0.bmp'
      'launcher\weapons1.bmp'
      'launcher\weapons2.bmp'
      'launcher\winq0.bmp'
      'launcher\winq1.bmp'
      'launcher\lload0.bmp'
      'launcher\lload1.bmp'
      'launcher\lcancel0.bmp'
      'launcher\lcancel1.bmp'
      'launcher\credtxt0.bmp')
    TabOrder = 3
    Visible = False
  end
  object Timer2: TTimer
    Enabled = False
    Interval = 1000
    OnTimer = Timer2Timer
  end
  object MainTranslator: TTranslator
  end
  object InstallShellLink1: TInstallShellLink
    DestDir = '\Halvard Interactive'
    DestDirType = ddProgramMenuDir
    HotKey = 0
    LinkKind = lkCustom
    LinkName = 'Skyreach; Embers of Orrin.LNK'
    Method = mtProgramManager
    ObjectLocationType = ddAbsolute
  end
end
