// The sample installer: a program written as a user of the install library writes one. It
// installs the Zarn Sample (a read-me file, a help file, a vendor-shared library, a COM
// server and an uninstall program, with links in the Programs menu and on the desktop)
// from the folder it is started in: a compress pass builds the archive there, an install
// pass installs from it while a progress window shows how far it got.
#pragma once
#include <string>
#include <vector>

#include "framework/comctrls.h"
#include "framework/stdctrls.h"
#include "install/cmp_TInstallContainer.h"
#include "installer/cmp_TMainInstall.h"
#include "localisation/cmp_TTranslator.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TUninstallEXE.h"

namespace sampleinstaller {

// How a run ended; the program's exit code (an installation that a restart completes
// ends with ExitCodeRestartNeeded, 3010).
enum class TOutcome : int { Installed = 0, Failed = 1, Aborted = 2, NotRun = 3 };

// Initialises the library's units and registers the classes the forms name (the
// framework's, the library's and the sample's own) and the sample's embedded forms.
// Raises the library's exceptions when the Windows or System folder cannot be read.
void InitialiseLibrary();

// Creates the two forms, the installer's window first so that it is the main form.
void CreateForms();

}  // namespace sampleinstaller

// The progress window: the step, the file at work, the progress bar of the whole pass and
// Cancel, which asks the archive engine to stop.
class TSampleProgressForm : public TBaseBriskoForm {
    ZARN_CLASS(TSampleProgressForm, TBaseBriskoForm)
public:
    explicit TSampleProgressForm(TComponent* owner);

    TLabel* StepLbl = nullptr;
    TLabel* FileLbl = nullptr;
    TProgressBar* ProgressBar = nullptr;
    TButton* CancelBtn = nullptr;

    // Shows the window (unless the run is silent) for a new step, from 0.
    void Start(const std::string& step);
    // One file's progress and the pass's total percentage.
    void Progress(const std::string& file, int totalPercent);
    void Finish();

    void FormCreate(TObject* sender);
    void CancelBtnClick(TObject* sender);

    bool Silent = false;
};

// The installer's window. It holds the whole installation as components of its form
// description: the main install object, the file group with its install files, the link
// groups with their links and the translator.
class TSampleForm : public TBaseBriskoForm {
    ZARN_CLASS(TSampleForm, TBaseBriskoForm)
public:
    explicit TSampleForm(TComponent* owner);

    TLabel* IntroLbl = nullptr;
    TLabel* FolderLbl = nullptr;
    TEdit* FolderEdit = nullptr;
    TButton* InstallBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TTranslator* Translator = nullptr;
    TMainInstall* SampleInstall = nullptr;
    TInstallFileGroup* SampleFiles = nullptr;
    TInstallFile* ReadmeFile = nullptr;
    TInstallFile* HelpFile = nullptr;
    TInstallFile* VendorDll = nullptr;
    TInstallFile* ComServer = nullptr;
    TUninstallEXE* Uninstaller = nullptr;
    TShellLinkGroup* MainFolder = nullptr;
    TShellLinkGroup* DesktopFolder = nullptr;
    TInstallShellLink* ReadmeLink = nullptr;
    TInstallShellLink* UninstallLink = nullptr;
    TInstallShellLink* DesktopLink = nullptr;

    // A silent run shows no window and no message box; it reports on the standard output
    // and error streams instead.
    bool Silent = false;
    sampleinstaller::TOutcome Outcome = sampleinstaller::TOutcome::NotRun;

    // Builds the archive and installs from it into the folder of FolderEdit, then reports
    // how it went (and closes the window unless the run is silent).
    void Install();

    void FormCreate(TObject* sender);
    void InstallBtnClick(TObject* sender);
    void CancelBtnClick(TObject* sender);
    // The file group's events: progress, and the frame of its install pass.
    void FilesStatus(TInstallFile* file, int filePercent, int totalPercent);
    void ShowProgress(TInstallContainer* container);
    void CloseProgress(TInstallContainer* container, bool wasAborted);

private:
    void RunInstallation();
    void Report(const std::string& text, TMsgDlgType type);

    // Set when this Windows cannot load the COM server (the host build's own Windows
    // loads no Windows images): it is then installed without registering itself.
    bool comServerUnregistered_ = false;
};

extern TSampleForm* SampleForm;
extern TSampleProgressForm* SampleProgressForm;
