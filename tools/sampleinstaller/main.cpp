// The sample installer's program: installs the Zarn Sample from the folder it is started
// in. With /S (or -s) it installs at once without showing a window or asking anything,
// reports on its standard streams and ends with the exit code of the outcome (0
// installed, 3010 installed but a restart completes it, 1 failed, 2 cancelled).
#include <cstdio>
#include <string>

#include "framework/forms.h"
#include "tools/sampleinstaller/sampleinstaller.h"

int main(int argc, char** argv) {
    bool silent = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "/S" || a == "/s" || a == "-s" || a == "--silent") {
            silent = true;
        } else {
            std::fprintf(stderr, "usage: sampleinstaller [/S]\n");
            return 64;
        }
    }
    try {
        sampleinstaller::InitialiseLibrary();
    } catch (const Exception& e) {
        // The Windows or System folder could not be read: no window is shown.
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return int(sampleinstaller::TOutcome::Failed);
    }
    sampleinstaller::CreateForms();
    if (silent) {
        SampleForm->Silent = true;
        SampleForm->Install();
    } else {
        Application->Run();
    }
    if (SampleForm->Outcome == sampleinstaller::TOutcome::Installed && SampleForm->SampleInstall->RestartNeeded())
        return ExitCodeRestartNeeded;
    return int(SampleForm->Outcome);
}
