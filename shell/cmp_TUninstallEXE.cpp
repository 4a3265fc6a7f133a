#include "shell/cmp_TUninstallEXE.h"

#include "framework/paths.h"
#include "registration/routines_UninstallLog.h"

// Adds no published property: everything is the install file's.
ZARN_DEFINE_CLASS(TUninstallEXE, TInstallFile, [](TClassBuilder<TUninstallEXE>& b) { b.Creatable(); })

TUninstallEXE::TUninstallEXE(TComponent* owner) : TInstallFile(owner) {}

void TUninstallEXE::WriteUninstallInfo(const std::string& key) {
    if (!MainInstall)
        throw Exception("Cannot write installation information for " + Name() + " because there is no TInstall");
    const std::string program = DestPath();
    WriteUninstallProgramEntry(key, MainInstall->ProductName(), program);
    TUninstallDetails details;
    details.displayVersion = MainInstall->ProductVersion();
    details.publisher = MainInstall->Publisher();
    details.installLocation = RemoveTrailingBackslash(MainInstall->GetDestDir());
    details.displayIcon = program;
    // What the log names by now, with this program: the uninstall program comes after the
    // product's files in an installation.
    details.estimatedSizeKB = InstalledSizeKB(key, {program});
    WriteUninstallDetails(key, details);
}

bool TUninstallEXE::IsUninstallProgram() const { return true; }
