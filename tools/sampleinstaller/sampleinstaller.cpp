#include "tools/sampleinstaller/sampleinstaller.h"

#include <cstdio>

#include "framework/dialogs.h"
#include "framework/paths.h"
#include "framework/resources.h"
#include "framework/startup.h"
#include "platform/files.h"
#include "platform/system.h"
#include "shell/startup.h"

TSampleForm* SampleForm = nullptr;
TSampleProgressForm* SampleProgressForm = nullptr;

namespace {

// What LoadLibrary says of a file that is no image of this Windows.
constexpr platform::DWORD BadExeFormat = 193;

std::string Tr(const char* text) { return TranslateText(text); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TSampleProgressForm

ZARN_DEFINE_CLASS(TSampleProgressForm, TBaseBriskoForm, [](TClassBuilder<TSampleProgressForm>& b) {
    using F = TSampleProgressForm;
    b.Field("StepLbl", &F::StepLbl)
        .Field("FileLbl", &F::FileLbl)
        .Field("ProgressBar", &F::ProgressBar)
        .Field("CancelBtn", &F::CancelBtn)
        .Method("FormCreate", &F::FormCreate)
        .Method("CancelBtnClick", &F::CancelBtnClick);
})

TSampleProgressForm::TSampleProgressForm(TComponent* owner) : TBaseBriskoForm(owner) {}

void TSampleProgressForm::FormCreate(TObject*) { TranslateForm(); }

void TSampleProgressForm::Start(const std::string& step) {
    StepLbl->SetCaption(step);
    FileLbl->SetCaption("");
    ProgressBar->SetPosition(0);
    CancelBtn->SetEnabled(true);
    if (!Silent && !Visible()) Show();
}

void TSampleProgressForm::Progress(const std::string& file, int totalPercent) {
    FileLbl->SetCaption(file);
    ProgressBar->SetPosition(totalPercent);
}

void TSampleProgressForm::Finish() {
    if (Visible()) Hide();
}

void TSampleProgressForm::CancelBtnClick(TObject*) {
    // The engine stops at its next test of the flag; the install file then raises
    // "Installation aborted by the user".
    SharedCompress->SetAbort(true);
    CancelBtn->SetEnabled(false);
}

// ---------------------------------------------------------------------------------------
// TSampleForm

ZARN_DEFINE_CLASS(TSampleForm, TBaseBriskoForm, [](TClassBuilder<TSampleForm>& b) {
    using F = TSampleForm;
    b.Field("IntroLbl", &F::IntroLbl)
        .Field("FolderLbl", &F::FolderLbl)
        .Field("FolderEdit", &F::FolderEdit)
        .Field("InstallBtn", &F::InstallBtn)
        .Field("CancelBtn", &F::CancelBtn)
        .Field("Translator", &F::Translator)
        .Field("SampleInstall", &F::SampleInstall)
        .Field("SampleFiles", &F::SampleFiles)
        .Field("ReadmeFile", &F::ReadmeFile)
        .Field("HelpFile", &F::HelpFile)
        .Field("VendorDll", &F::VendorDll)
        .Field("ComServer", &F::ComServer)
        .Field("Uninstaller", &F::Uninstaller)
        .Field("MainFolder", &F::MainFolder)
        .Field("DesktopFolder", &F::DesktopFolder)
        .Field("ReadmeLink", &F::ReadmeLink)
        .Field("UninstallLink", &F::UninstallLink)
        .Field("DesktopLink", &F::DesktopLink)
        .Method("FormCreate", &F::FormCreate)
        .Method("InstallBtnClick", &F::InstallBtnClick)
        .Method("CancelBtnClick", &F::CancelBtnClick)
        .Method("FilesStatus", &F::FilesStatus)
        .Method("ShowProgress", &F::ShowProgress)
        .Method("CloseProgress", &F::CloseProgress);
})

TSampleForm::TSampleForm(TComponent* owner) : TBaseBriskoForm(owner) {}

void TSampleForm::FormCreate(TObject*) {
    TranslateForm();
    // The source files lie in the loading folder beside the archive. Setting the folder
    // at run time presets each file's registration from the file itself: the help file's
    // extension, the COM server's "OLESelfRegister".
    const std::string source = SampleInstall->LoadingDir();
    for (TInstallFile* f : {ReadmeFile, HelpFile, VendorDll, ComServer, static_cast<TInstallFile*>(Uninstaller)})
        f->SetIncludeFromDir(source);
    if (ComServer->RegisterAsActiveX_DLLStyle()) {
        platform::Module m = platform::LoadLibrary(ComServer->SourcePath());
        if (m)
            platform::FreeLibrary(m);
        else if (platform::GetLastError() == BadExeFormat) {
            ComServer->SetRegisterAsActiveX_DLLStyle(false);
            comServerUnregistered_ = true;
        }
    }
    FolderEdit->SetText(SampleInstall->GetDestDir());
}

void TSampleForm::InstallBtnClick(TObject*) { Install(); }

void TSampleForm::CancelBtnClick(TObject*) {
    Outcome = sampleinstaller::TOutcome::NotRun;
    Close();
}

void TSampleForm::Report(const std::string& text, TMsgDlgType type) {
    if (Silent)
        std::fprintf(type == TMsgDlgType::mtInformation ? stdout : stderr, "%s\n", text.c_str());
    else
        MessageDlg(text, type, {TMsgDlgBtn::mbOK});
}

void TSampleForm::Install() {
    SampleProgressForm->Silent = Silent;
    InstallBtn->SetEnabled(false);
    CancelBtn->SetEnabled(false);
    std::string failure;
    try {
        RunInstallation();
        Outcome = sampleinstaller::TOutcome::Installed;
    } catch (const EAIUserAbort& e) {
        Outcome = sampleinstaller::TOutcome::Aborted;
        failure = e.Message();
    } catch (const Exception& e) {
        Outcome = sampleinstaller::TOutcome::Failed;
        failure = Format(Tr("The installation failed: %s"), {e.Message()});
    }
    SampleProgressForm->Finish();

    if (Outcome == sampleinstaller::TOutcome::Installed) {
        std::string text = Format(Tr("The Zarn Sample has been installed in %s."), {SampleInstall->GetDestDir()});
        if (comServerUnregistered_)
            text += "\r\n\r\n" + Tr("This Windows cannot load the COM server: it was installed without registering "
                                     "its class.");
        if (SampleInstall->RestartNeeded())
            text += "\r\n\r\n" + Tr("Restart Windows to complete the installation.");
        Report(text, TMsgDlgType::mtInformation);
    } else {
        Report(failure, TMsgDlgType::mtError);
    }
    if (!Silent) Close();
}

void TSampleForm::RunInstallation() {
    // The folder the person chose.
    SampleInstall->SetDestDirType(TPathSpecifiers::ddAbsolute);
    SampleInstall->SetDestDir(RemoveTrailingBackslash(Trim(FolderEdit->Text())));

    // The group writes a new archive in place of the old one (its AddToArchive).
    SampleProgressForm->Start(Tr("Building the archive"));
    SampleFiles->CompressFiles(false);

    // The install pass of the file group, then the link groups: everything the main
    // install object holds, each component recording itself under the uninstall key.
    SampleInstall->Process();
}

void TSampleForm::FilesStatus(TInstallFile* file, int, int totalPercent) {
    SampleProgressForm->Progress(file->DestName(), totalPercent);
}

void TSampleForm::ShowProgress(TInstallContainer*) { SampleProgressForm->Start(Tr("Installing files")); }

void TSampleForm::CloseProgress(TInstallContainer*, bool) { SampleProgressForm->Finish(); }

// ---------------------------------------------------------------------------------------

namespace sampleinstaller {

void InitialiseLibrary() {
    InitResources();
    InitialiseInstallLibrary();
    RegisterInstallerClasses();
    RegisterClasses({&TSampleForm::StaticClass(), &TSampleProgressForm::StaticClass()});
}

void CreateForms() {
    InitApplication();
    Application->CreateForm(SampleForm);
    Application->CreateForm(SampleProgressForm);
}

}  // namespace sampleinstaller
