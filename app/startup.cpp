#include "app/startup.h"

#include "app/install.h"
#include "app/main.h"
#include "framework/resources.h"
#include "framework/startup.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"
#include "registration/cmp_TVersion.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TProgramManager.h"

namespace setupapp {

void InitialiseLibrary() {
    InitResources();
    RegisterFrameworkClasses();
    RegisterLocalisationClasses();
    RegisterInstallClasses();
    RegisterShellClasses();
    RegisterClasses({&TMainForm::StaticClass(), &TInstallForm::StaticClass()});

    InitVersionUnit();
    InitProgramManager();
    InitialiseSystemFolders();
    InitialiseInstallContainers();
}

void CreateForms() {
    InitApplication();
    Application->CreateForm(MainForm);
    Application->CreateForm(InstallForm);
}

}  // namespace setupapp
