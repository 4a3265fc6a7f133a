#include "app/startup.h"

#include "app/install.h"
#include "app/main.h"
#include "framework/resources.h"
#include "framework/startup.h"
#include "shell/startup.h"

namespace setupapp {

void InitialiseLibrary() {
    InitResources();
    InitialiseInstallLibrary();
    RegisterClasses({&TMainForm::StaticClass(), &TInstallForm::StaticClass()});
}

void CreateForms() {
    InitApplication();
    Application->CreateForm(MainForm);
    Application->CreateForm(InstallForm);
}

}  // namespace setupapp
