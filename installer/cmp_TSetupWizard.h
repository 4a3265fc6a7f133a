// The standard setup wizard of installers made with the library. An installer's
// description may hold one TSetupWizard with the wizard's settings; RunSetupWizard then
// leads the person through the pages
//
//   welcome -> licence -> destination folder -> components -> ready -> progress -> finish
//
// (the licence only when there is a licence text, the components only when the main
// install object holds more than one file group) and runs the installation from the
// progress page. Back works on every page before the progress. The pages are built from
// the framework's controls, so the wizard runs in every ui backend: real windows, the
// terminal (also through its plain commands) and the headless backend of the tests.
//
// The controls a script or a test presses (by name): the form SetupWizard; the buttons
// BackBtn, NextBtn (its caption is "&Install" on the ready page, "&Finish" on the finish
// page) and CancelBtn; LicenceAcceptBox; DestEdit and BrowseBtn; one check box GroupCheck<n>
// per file group (n from 0, in the install object's order) and InstallTypeGroup;
// FinishRunBox.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "framework/classes.h"

class TMainInstall;

class TSetupWizard : public TComponent {
    ZARN_CLASS(TSetupWizard, TComponent)
public:
    explicit TSetupWizard(TComponent* owner);
    ~TSetupWizard() override;

    // The licence the person must accept before the installation; no page when empty.
    TStrings* LicenceText() const;
    void SetLicenceText(TStrings* value);
    // A text file the builder reads into LicenceText (relative to the description's
    // folder). The wizard itself never reads it.
    std::string LicenceFile() const { return licenceFile_; }
    void SetLicenceFile(const std::string& v) { licenceFile_ = v; }
    // A program the finish page offers to start (with a check box, ticked at first),
    // e.g. "%i\GAME.EXE" (%i: the installation's folder; the other meta variables of
    // the library's command lines work too), expanded when it is started. No offer when
    // empty or when the installation needs a restart.
    std::string FinishProgram() const { return finishProgram_; }
    void SetFinishProgram(const std::string& v) { finishProgram_ = v; }
    // The check box's text; empty: "Start <product name> now".
    std::string FinishProgramCaption() const { return finishProgramCaption_; }
    void SetFinishProgramCaption(const std::string& v) { finishProgramCaption_ = v; }

private:
    std::unique_ptr<TStringList> licenceText_;
    std::string licenceFile_;
    std::string finishProgram_;
    std::string finishProgramCaption_;
};

// Registers TSetupWizard for form descriptions.
void RegisterSetupWizardClasses();

// The exit codes of a setup run.
inline constexpr int SetupExitInstalled = 0;
inline constexpr int SetupExitCancelled = 1;
inline constexpr int SetupExitFailed = 2;
// SetupExitRestartNeeded is ExitCodeRestartNeeded (3010) of cmp_TMainInstall.h.

// Runs the wizard modally and returns the exit code: SetupExitInstalled, SetupExitCancelled
// (Cancel before the progress page, or confirmed during it), SetupExitFailed, or
// ExitCodeRestartNeeded when the installation needs a restart to complete
// (install->RestartNeeded()).
//
// `settings` may be null (no licence, no program to start). The wizard sets the install
// object's DestDir (with DestDirType ddAbsolute) from the destination page, and, when it
// shows the components page, each file group's Include and the install object's
// InstallType. On the progress page it hooks OnStatus of every file group of the install
// object (restoring the previous handlers afterwards), clears the archive engine's stop
// request, and calls `runInstallation`, which runs the installation (e.g. install->Process()).
// Cancel there asks, then sets SharedCompress->SetAbort(true); the installation then raises
// EAIUserAbort, which means cancelled. Any other Exception from runInstallation means
// failed; its message is shown on the finish page.
//
// Needs InitApplication (the framework's start) and InitialiseInstallContainers (the
// archive engine); the global translator, when there is one, translates the pages: the
// wizard adds its own English and German texts to it, behind the description's own, so a
// description may give its own wording for any of them.
int RunSetupWizard(TMainInstall* install, TSetupWizard* settings, const std::function<void()>& runInstallation);
