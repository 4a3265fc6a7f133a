object SampleForm: TSampleForm
  Left = 200
  Top = 150
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Zarn Sample - Installation'
  ClientHeight = 184
  ClientWidth = 460
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  Scaled = False
  OnCreate = FormCreate
  object IntroLbl: TLabel
    Left = 16
    Top = 16
    Width = 428
    Height = 66
    AutoSize = False
    Caption = 
      'This program installs the Zarn Sample on your computer: a read-m' +
      'e file, a help file, a shared library, a COM server and an unins' +
      'tall program, with links in the Programs menu and on the desktop.'
    WordWrap = True
  end
  object FolderLbl: TLabel
    Left = 16
    Top = 90
    Width = 428
    Height = 16
    AutoSize = False
    Caption = 'Install to:'
  end
  object FolderEdit: TEdit
    Left = 16
    Top = 110
    Width = 428
    Height = 21
    TabOrder = 0
  end
  object InstallBtn: TButton
    Left = 288
    Top = 146
    Width = 75
    Height = 25
    Caption = '&Install'
    Default = True
    TabOrder = 1
    OnClick = InstallBtnClick
  end
  object CancelBtn: TButton
    Left = 369
    Top = 146
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 2
    OnClick = CancelBtnClick
  end
  object Translator: TTranslator
    lgEnglish.Strings = (
      '* The sample installer'#39's texts, in English and in German.'
      '1;Zarn Sample - Installation'
      '2;This program installs the Zarn Sample on your computer: a read-me file, a help file, a shared library, a COM server and an uninstall program, with links in the Programs menu and on the desktop.'
      '3;Install to:'
      '4;&Install'
      '5;Cancel'
      '6;Installing the Zarn Sample'
      '7;Building the archive'
      '8;Installing files'
      '9;The Zarn Sample has been installed in %s.'
      '10;This Windows cannot load the COM server: it was installed without registering its class.'
      '11;Restart Windows to complete the installation.'
      '12;The installation failed: %s'
      '13;Cannot delete archive file %s'
      '14;Installation aborted by the user')
    lgGerman.Strings = (
      '1;Zarn Sample - Installation'
      '2;Dieses Programm installiert das Zarn Sample auf Ihrem Computer: eine Liesmich-Datei, eine Hilfedatei, eine gemeinsame Bibliothek, einen COM-Server und ein Deinstallationsprogramm, mit Verkn'#252'pfungen im Programme-Men'#252' und auf dem Desktop.'
      '3;Installieren nach:'
      '4;&Installieren'
      '5;Abbrechen'
      '6;Das Zarn Sample wird installiert'
      '7;Das Archiv wird erstellt'
      '8;Dateien werden installiert'
      '9;Das Zarn Sample wurde in %s installiert.'
      '10;Dieses Windows kann den COM-Server nicht laden: er wurde installiert, ohne seine Klasse zu registrieren.'
      '11;Starten Sie Windows neu, um die Installation abzuschlie'#223'en.'
      '12;Die Installation ist fehlgeschlagen: %s'
      '13;Die Archivdatei %s kann nicht gel'#246'scht werden'
      '14;Installation durch den Benutzer abgebrochen')
  end
  object SampleInstall: TMainInstall
    ProductName = 'Zarn Sample'
    ProductVersion = '1.0'
    Publisher = 'Zarn'
    DestDir = '\Zarn Sample'
    DestDirType = ddProgramFilesDir
  end
  object SampleFiles: TInstallFileGroup
    Container = SampleInstall
    ArchiveFile = '\SAMPLE.ZRN'
    ArchiveFileType = ddLoading
    OnCloseCopyFileDlg = CloseProgress
    OnShowCopyFileDlg = ShowProgress
    OnStatus = FilesStatus
    Description.Strings = (
      'The files of the Zarn Sample.')
    DestDirType = ddMainInstallDir
    GroupName = 'Zarn Sample files'
  end
  object ReadmeFile: TInstallFile
    Container = SampleFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDirType = ddContainerDestDir
    DestName = 'README.TXT'
    FileName = 'README.TXT'
    Order = 0
  end
  object HelpFile: TInstallFile
    Container = SampleFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDir = '\Help'
    DestDirType = ddContainerDestDir
    DestName = 'SAMPLE.HLP'
    FileName = 'SAMPLE.HLP'
    Order = 1
    RegisterAsHelp = True
  end
  object VendorDll: TInstallFile
    Container = SampleFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDir = '\System'
    DestDirType = ddCommonFilesDir
    DestName = 'ZARNVEND.DLL'
    FileName = 'ZARNVEND.DLL'
    FileType = iftVendorSharedDLL
    Order = 2
    OverwriteMode = owVersion
    UpdateDLLCounter = True
  end
  object ComServer: TInstallFile
    Container = SampleFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDirType = ddContainerDestDir
    DestName = 'ZARNCOM.DLL'
    FileName = 'ZARNCOM.DLL'
    FileType = iftJustADLL
    Order = 3
    RegisterAsActiveX_DLLStyle = True
    UpdateDLLCounter = True
  end
  object Uninstaller: TUninstallEXE
    Container = SampleFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDirType = ddContainerDestDir
    DestName = 'UNINST.EXE'
    FileName = 'UNINST.EXE'
    Order = 4
  end
  object MainFolder: TShellLinkGroup
    Container = SampleInstall
    DestDir = '\Zarn Sample'
    DestDirType = ddProgramMenuDir
    GroupKind = gkMainFolder
  end
  object DesktopFolder: TShellLinkGroup
    Container = SampleInstall
    DestDirType = ddDesktopMenuDir
  end
  object ReadmeLink: TInstallShellLink
    Container = MainFolder
    DestDirType = ddContainerDestDir
    LinkName = 'Read me.LNK'
    ObjectLink = ReadmeFile
    ObjectLocationType = ddObjectLink
  end
  object UninstallLink: TInstallShellLink
    Container = MainFolder
    DestDirType = ddContainerDestDir
    LinkName = 'Uninstall Zarn Sample.LNK'
    ObjectLink = Uninstaller
    ObjectLocationType = ddObjectLink
  end
  object DesktopLink: TInstallShellLink
    Container = DesktopFolder
    DestDirType = ddContainerDestDir
    LinkName = 'Zarn Sample read-me.LNK'
    ObjectLink = ReadmeFile
    ObjectLocationType = ddObjectLink
  end
end
