#include "shell/startup.h"

#include "framework/startup.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"
#include "registration/cmp_TVersion.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TProgramManager.h"

void InitialiseInstallLibrary() {
    RegisterFrameworkClasses();
    RegisterLocalisationClasses();
    RegisterInstallClasses();
    RegisterShellClasses();

    InitialiseInstallServices();
    InitialiseInstallContainers();
}

