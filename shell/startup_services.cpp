// InitialiseInstallServices lives apart from InitialiseInstallLibrary: a program that calls
// only this one must not link the unit that registers every class.
#include "install/routines_Destinations.h"
#include "registration/cmp_TVersion.h"
#include "shell/cmp_TProgramManager.h"
#include "shell/startup.h"

// Messages reach a translator once one exists: a translator that becomes the global one
// registers its lookup behind TranslateText.
void InitialiseInstallServices() {
    InitVersionUnit();
    InitProgramManager();
    InitialiseSystemFolders();
}
