// CreateApplication lives apart from InitApplication: a program that calls only this one
// must not link the unit that registers every control.
#include "framework/forms.h"
#include "framework/startup.h"
#include "platform/system.h"

void CreateApplication() {
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) {
        Application = new TApplication(nullptr);
        Application->SetExeName(platform::GetModuleFileName());
    }
}
