#include "app/install.h"

#include <cmath>

#include "framework/dialogs.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"

TInstallForm* InstallForm = nullptr;

ZARN_DEFINE_CLASS(TInstallForm, TForm, [](TClassBuilder<TInstallForm>& b) {
    b.Field("ProgressBox", &TInstallForm::ProgressBox)
        .Field("Label3", &TInstallForm::Label3)
        .Field("FilenameLbl", &TInstallForm::FilenameLbl)
        .Field("ProgressBar1", &TInstallForm::ProgressBar1)
        .Field("Button2", &TInstallForm::Button2)
        .Field("FilenameEdit", &TInstallForm::FilenameEdit)
        .Field("FileList", &TInstallForm::FileList)
        .Field("Timer2", &TInstallForm::Timer2)
        .Field("MainTranslator", &TInstallForm::MainTranslator)
        .Field("InstallShellLink1", &TInstallForm::InstallShellLink1)
        .Method("FormCreate", &TInstallForm::FormCreate)
        .Method("FormShow", &TInstallForm::FormShow)
        .Method("Timer2Timer", &TInstallForm::Timer2Timer)
        .Method("Button2Click", &TInstallForm::Button2Click);
})

namespace {

constexpr std::int32_t BlockSize = 1000;
// WinExec takes the command line from a buffer of 256 bytes.
constexpr std::size_t MaxCommandLine = 255;

const char* const GlQuakeCaches[] = {
    "..\\id1\\glquake\\bolt2.ms2",    "..\\id1\\glquake\\bolt3.ms2",    "..\\id1\\glquake\\invulner.ms2",
    "..\\id1\\glquake\\laser.ms2",    "..\\id1\\glquake\\quaddama.ms2", "..\\id1\\glquake\\backpack.ms2",
    "..\\id1\\glquake\\lavaball.ms2",
};

bool IsDiskFull(platform::DWORD error) {
    return error == platform::err::DiskFull || error == platform::err::HandleDiskFull;
}

}  // namespace

namespace setupapp {

std::string GameFolderFor(const std::string& quakeExePath) {
    std::string path = LowerCase(quakeExePath);
    std::size_t at = path.find("\\quake.exe");
    // No "\quake.exe" leaves an empty folder part: the game folder goes to the root of
    // the current drive.
    std::string quakeFolder = at == std::string::npos ? std::string() : path.substr(0, at);
    return quakeFolder + "\\skyrdemo";
}

}  // namespace setupapp

TInstallForm::TInstallForm(TComponent* owner) : TForm(owner) {}

void TInstallForm::PlainBox(const std::string& text) { Application->MessageBox(text, Application->Title(), MbOk); }

void TInstallForm::WarningBox(const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK});
}

void TInstallForm::FormCreate(TObject*) { CopyInProgress = false; }

void TInstallForm::FormShow(TObject*) { Timer2->SetEnabled(true); }

void TInstallForm::Button2Click(TObject*) {
    if (!CopyInProgress) {
        // Before the copy starts Cancel closes the window, and the copy never begins.
        Timer2->SetEnabled(false);
        Close();
        return;
    }
    if (MessageDlgDef("This will abort the installation. Are you sure?", TMsgDlgType::mtWarning,
                      {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, TMsgDlgBtn::mbYes) == mrYes)
        AbortRequested = true;
}

void TInstallForm::Timer2Timer(TObject*) {
    CopyInProgress = true;
    InstallSucceeded = false;
    try {
        Install();
    } catch (...) {
        CopyInProgress = false;
        Close();
        throw;  // shown by the application's error report
    }
    CopyInProgress = false;
    Close();
}

void TInstallForm::Install() {
    Timer2->SetEnabled(false);
    Repaint();
    platform::SetCurrentDirectory(SourceDir);
    AbortRequested = false;

    const std::string gameFolder = setupapp::GameFolderFor(FilenameEdit->Text());
    bool failed = false;
    if (!platform::DirectoryExists(gameFolder) && !platform::CreateDirectory(gameFolder)) {
        WarningBox("Cannot create directory: " + gameFolder);
        failed = true;
    }
    const std::string launcherFolder = gameFolder + "\\launcher";
    if (!platform::DirectoryExists(launcherFolder) && !platform::CreateDirectory(launcherFolder)) {
        WarningBox("Cannot create directory: " + launcherFolder);
        failed = true;
    }
    InstallDir = gameFolder + "\\";
    if (failed) return;

    TStrings* files = FileList->Lines();
    for (int i = 0; i < files->Count(); ++i) {
        const std::string file = files->Get(i);
        FilenameLbl->SetCaption(file);
        if (!CopyOneFile(file)) return;
    }

    WriteShortcuts();
    RemoveGlQuakeCaches();
    OfferLauncher(gameFolder);
    InstallSucceeded = true;
}

bool TInstallForm::CopyOneFile(const std::string& relativePath) {
    // The source is opened by its relative path, against the current folder (SourceDir).
    platform::FileHandle source(
        platform::CreateFile(relativePath, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
    if (!source) {
        std::string sep = !SourceDir.empty() && SourceDir.back() == '\\' ? "" : "\\";
        PlainBox("Error opening file: " + SourceDir + sep + relativePath);
        return false;
    }
    const std::string destPath = InstallDir + relativePath;
    platform::FileHandle dest(platform::CreateFile(destPath, platform::GenericWrite, 0, platform::CreateAlways));
    if (!dest) {
        PlainBox("Error creating file: " + destPath);
        return false;
    }
    const platform::DWORD size = platform::GetFileSize(source.get());
    char buffer[BlockSize];
    for (;;) {
        platform::DWORD read = 0;
        if (!platform::ReadFile(source.get(), buffer, BlockSize, read)) {
            PlainBox("Error copying file: " + relativePath);
            return false;
        }
        platform::DWORD written = 0;
        bool ok = read == 0 || platform::WriteFile(dest.get(), buffer, read, written);
        if (!ok && !IsDiskFull(platform::GetLastError())) {
            PlainBox("Error copying file: " + relativePath);
            return false;
        }
        if (written < read) {
            PlainBox("Unable to write to disk.\r\n\nProbable cause: destination disk full");
            return false;
        }
        const platform::DWORD position = platform::SetFilePointer(source.get(), 0, platform::FileCurrent);
        // An empty file is complete at once.
        int percent = size == 0 || size == platform::InvalidFileSize
                          ? 100
                          : int(std::nearbyint(double(position) / double(size) * 100.0));
        ProgressBar1->SetPosition(percent);
        Application->ProcessMessages();
        if (AbortRequested) return false;
        if (read != platform::DWORD(BlockSize)) return true;
    }
}

void TInstallForm::WriteShortcuts() {
    InstallShellLink1->SetLinkName("Skyreach  Embers of Orrin (demo).lnk");
    InstallShellLink1->SetObjectLocation(InstallDir + "skyr.exe");
    InstallShellLink1->InstallWithShellLink();

    InstallShellLink1->SetLinkName("Readme.txt.lnk");
    InstallShellLink1->SetObjectLocation(InstallDir + "readme.txt");
    InstallShellLink1->InstallWithShellLink();

    InstallShellLink1->SetDestDirType(TPathSpecifiers::ddDesktopMenuDir);
    InstallShellLink1->SetDestDir("");
    InstallShellLink1->SetLinkName("Skyreach  Embers of Orrin (demo).lnk");
    InstallShellLink1->SetObjectLocation(InstallDir + "skyr.exe");
    InstallShellLink1->InstallWithShellLink();
}

void TInstallForm::RemoveGlQuakeCaches() {
    // A cache that is missing or cannot be deleted is no error.
    for (const char* cache : GlQuakeCaches) platform::DeleteFile(InstallDir + cache);
}

void TInstallForm::OfferLauncher(const std::string& gameFolder) {
    if (MessageDlgDef("Installation Successful\r\n\nRun Skyreach launcher now?", TMsgDlgType::mtConfirmation,
                      {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, TMsgDlgBtn::mbYes) != mrYes) {
        MessageDlg("Double-click the 'Skyreach; The Embers of Orrin' icon on your desktop to play.",
                   TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return;
    }
    platform::SetCurrentDirectory(gameFolder);
    const std::string commandLine = platform::GetCurrentDirectory() + "\\skyr.exe";
    if (commandLine.size() > MaxCommandLine) {
        // A cut command line would start something else, or nothing: say so instead.
        MessageDlg("The Skyreach launcher could not be started because its path is too long:\r\n" + commandLine,
                   TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return;
    }
    platform::WinExec(commandLine, platform::SwShowDefault);
}
