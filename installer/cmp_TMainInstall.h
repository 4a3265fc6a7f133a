// The library's main install object: the installation as a whole. An installer holds one
// in its form description; the first one created becomes MainInstall. It names the
// product (for the uninstall records and the links to the uninstall program), gives the
// destination folder and the folder the archives are read from, selects the
// installation type of a run, and keeps the work that must wait for the next restart in
// a restart list that outlives the program: a small program of the library, started once
// by Windows after the restart, works it off.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "install/cmp_TInstallContainer.h"
#include "installer/routines_RestartList.h"

// The exit code Windows installers end with when the installation is complete but
// needs a restart (ERROR_SUCCESS_REBOOT_REQUIRED).
inline constexpr int ExitCodeRestartNeeded = 3010;

class TMainInstall : public TInstall {
    ZARN_CLASS(TMainInstall, TInstall)
public:
    explicit TMainInstall(TComponent* owner);
    ~TMainInstall() override;

    std::string ProductName() const override { return productName_; }
    void SetProductName(const std::string& v) { productName_ = v; }
    std::string ProductVersion() const override { return productVersion_; }
    void SetProductVersion(const std::string& v) { productVersion_ = v; }
    std::string Publisher() const override { return publisher_; }
    void SetPublisher(const std::string& v) { publisher_ = v; }
    // The folder the archives are read from; empty: the folder the program was started
    // in. LoadingDir resolves it (no trailing backslash).
    std::string LoadingFolder() const { return loadingFolder_; }
    void SetLoadingFolder(const std::string& v) { loadingFolder_ = v; }
    std::string LoadingDir() const override;

    // The installation type of the run. Setting it gives it to every component of the
    // installation at once (each tests its own CurrentInstallType); Process gives it again
    // before it runs, so components added later follow it too. A program that lets the
    // person choose does so in OnInstallTypeDialog, which Process raises before any
    // component is tested.
    TInstallType InstallType() const { return installType_; }
    void SetInstallType(TInstallType v);

    // The program that works off the restart list after the restart (one of the
    // library's, shipped with the installer). Empty: "ZRESTART.EXE" in the loading folder,
    // else beside the running program. It is copied into the temporary folder when the
    // first item is added, so the installation's media need not be there at the restart.
    std::string RestartProgram() const { return restartProgram_; }
    void SetRestartProgram(const std::string& v) { restartProgram_ = v; }

    // Work for after the next restart (kind 0: the Name of an install file whose
    // self-registration waits; 1: a file to remove once the restart has done its
    // exchanges; 2: a Program Manager item of the "Startup" group to remove). Kept in the
    // registry at once, with the RunOnce entry that starts the restart program.
    void AddToRestartList(const std::string& text, int kind) override;
    const std::vector<TRestartItem>& RestartList() const { return restartList_; }

    // Whether the installation is complete only after a restart: a file in use was
    // scheduled for exchange, or work waits in the restart list.
    bool RestartNeeded() const;

    void Process() override;

private:
    // Sets CurrentInstallType on this object and every component below it.
    void ApplyInstallType();
    std::string FindRestartProgram() const;
    // A copy of the restart program in the temporary folder; raises when there is none.
    std::string CopyRestartProgram() const;

    std::string productName_;
    std::string productVersion_;
    std::string publisher_;
    std::string loadingFolder_;
    std::string startFolder_;
    std::string restartProgram_;
    TInstallType installType_ = TInstallType::itFull;
    std::vector<TRestartItem> restartList_;
    // Where the list is kept once its first item was added.
    TRestartListStore store_;
    std::string restartCopy_;
};

void RegisterInstallerClasses();
