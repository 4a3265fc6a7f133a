// The uninstall program as an install file: it installs like any other file and, instead
// of joining the file log, writes the entry that lists the product among removable
// programs.
#pragma once
#include <string>

#include "install/cmp_TInstallContainer.h"

class TUninstallEXE : public TInstallFile {
    ZARN_CLASS(TUninstallEXE, TInstallFile)
public:
    explicit TUninstallEXE(TComponent* owner);

    // Writes "DisplayName" (the product name), "UninstallString" (the installed program's
    // path, quoted when it holds a blank, a blank and the product name) and
    // "QuietUninstallString" (the same with " /S") into `key`, and what Windows' list of
    // programs shows from the main install object: version, publisher, destination
    // folder, icon, the size of the files logged so far, and that it can neither be
    // modified nor repaired. Raises without a main install object.
    void WriteUninstallInfo(const std::string& key) override;
    // A link to this component passes the program the product name.
    bool IsUninstallProgram() const override;
};
