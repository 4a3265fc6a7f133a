#include "shell/cmp_TUninstallEXE.h"

#include "registration/routines_UninstallLog.h"

// Adds no published property: everything is the install file's.
ZARN_DEFINE_CLASS(TUninstallEXE, TInstallFile, [](TClassBuilder<TUninstallEXE>& b) { b.Creatable(); })

TUninstallEXE::TUninstallEXE(TComponent* owner) : TInstallFile(owner) {}

void TUninstallEXE::WriteUninstallInfo(const std::string& key) {
    if (!MainInstall)
        throw Exception("Cannot write installation information for " + Name() + " because there is no TInstall");
    WriteUninstallProgramEntry(key, MainInstall->ProductName(), DestPath());
}

bool TUninstallEXE::IsUninstallProgram() const { return true; }
