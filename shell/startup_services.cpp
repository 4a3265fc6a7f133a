// InitialiseInstallServices lives apart from InitialiseInstallLibrary: a program that calls
// only this one must not link the unit that registers every class.
#include "framework/msgtranslation.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"
#include "registration/cmp_TVersion.h"
#include "shell/cmp_TProgramManager.h"
#include "shell/startup.h"

void InitialiseInstallServices() {
    SetMessageTranslator(&TranslateText);
    InitVersionUnit();
    InitProgramManager();
    InitialiseSystemFolders();
}
