// The uninstall program: removes a product from its uninstall records alone.
//
//   UNINST.EXE PRODUCT          asks, shows its progress and what was left
//   UNINST.EXE PRODUCT /S       silent: asks nothing, reports on the standard streams
//
// The program's path may be quoted or not. Exit code 0 removed, 1 cancelled or failed,
// 3010 a restart finishes the removal.
#include <cstdio>

#include "framework/forms.h"
#include "framework/startup.h"
#include "installer/routines_UninstallProgram.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/system.h"
#include "shell/startup.h"

int main() {
    try {
        InitialiseInstallServices();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    CreateApplication();
    TTranslator translator(nullptr);
    LoadUninstallTexts(&translator);
    return RunUninstallProgram(platform::GetCommandLine(), platform::GetModuleFileName());
}
