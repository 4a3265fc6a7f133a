// The copy window: creates the game folder, copies the game's files with progress and
// Cancel, writes the shortcuts, removes stale GLQuake caches and offers to start the
// launcher.
#pragma once
#include <string>

#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "localisation/cmp_TTranslator.h"
#include "shell/cmp_TInstallShellLink.h"

class TInstallForm : public TForm {
    ZARN_CLASS(TInstallForm, TForm)
public:
    explicit TInstallForm(TComponent* owner);

    TGroupBox* ProgressBox = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* FilenameLbl = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TButton* Button2 = nullptr;
    TEdit* FilenameEdit = nullptr;
    TMemo* FileList = nullptr;
    TTimer* Timer2 = nullptr;
    TTranslator* MainTranslator = nullptr;
    TInstallShellLink* InstallShellLink1 = nullptr;

    // The game folder followed by a backslash, once derived.
    std::string InstallDir;
    // Set when the user confirms Cancel during the copy.
    bool AbortRequested = false;
    // True while the installation handler runs.
    bool CopyInProgress = false;
    // The folder the files are read from; written by the wizard before the form shows.
    std::string SourceDir;
    // True only when every step up to the final question has completed.
    bool InstallSucceeded = false;

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void Timer2Timer(TObject* sender);
    void Button2Click(TObject* sender);
    // Copies one file from the source folder to the same relative path below InstallDir.
    bool CopyOneFile(const std::string& relativePath);

private:
    void Install();
    void PlainBox(const std::string& text);
    void WarningBox(const std::string& text);
    void WriteShortcuts();
    void RemoveGlQuakeCaches();
    void OfferLauncher(const std::string& gameFolder);
};

extern TInstallForm* InstallForm;

namespace setupapp {
// The game folder for a Quake executable path: lower-cased, cut before the first
// "\quake.exe", with "\skyrdemo" appended.
std::string GameFolderFor(const std::string& quakeExePath);
}
