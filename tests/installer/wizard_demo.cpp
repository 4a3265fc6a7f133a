// The setup wizard over the sample installation, for people and for the scripted runs:
// the terminal on the host, real windows on Windows and Wine. The installation only
// reports progress (over about three seconds a group, or at once with --quick) and writes
// nothing. --german shows the wizard in German. The exit code is the wizard's.
#include <string>

#include "archive/cmp_TZarnCompress.h"
#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/startup.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/system.h"
#include "shell/startup.h"
#include "tests/installer/wizard_sample.h"

namespace {

void ReportProgress(wizardsample::TSample& s, bool quick) {
    for (TInstallFileGroup* g : {s.game, s.levels}) {
        if (!g->Include() || !g->PassesInstallTypeTest()) continue;
        for (int percent = 0; percent <= 100; percent += 5) {
            if (g->OnStatus) g->OnStatus(g->Files(0), percent, percent);
            const platform::DWORD until = platform::GetTickCount() + (quick ? 0 : 150);
            do {
                Application->ProcessMessages();
                if (SharedCompress->Abort()) throw EAIUserAbort();
            } while (platform::GetTickCount() < until);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false, german = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        quick |= a == "--quick";
        german |= a == "--german";
    }
    InitApplication();
    InitialiseInstallLibrary();
    RegisterInstallerClasses();
    RegisterSetupWizardClasses();
    const std::string source = platform::GetTempPath() + "ZARNWIZD";
    ForceDirectories(source);
    wizardsample::TSample s = wizardsample::Load(source);
    if (german) GlobalTranslator->SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    const int code = RunSetupWizard(s.install, s.wizard, [&] { ReportProgress(s, quick); });
    platform::DeleteFile(source + "\\GAME.DAT");
    platform::DeleteFile(source + "\\LEVELS.DAT");
    platform::RemoveDirectory(source);
    return code;
}
