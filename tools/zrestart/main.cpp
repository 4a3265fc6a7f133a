// The restart program: Windows starts it once after the restart, from the RunOnce entry
// an installation left ("ZRESTART.EXE" "<product>"), to finish what had to wait for the
// restart: servers that were in use are registered, the fallback's batch file and its
// shortcut or Program Manager item are removed. It then removes its own copy at the
// following restart. What it cannot do it says in a message box and leaves nothing
// behind that would run again, except what must wait for yet another restart (a file
// still in use), for which it schedules itself again.
//
//   zrestart PRODUCT        exit 0 when everything was done, 1 otherwise
#include <cstdio>
#include <string>

#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/paths.h"
#include "install/routines_Destinations.h"
#include "installer/routines_RestartList.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "shell/startup.h"

namespace {

// The program's own texts, in English and German.
const char* const EnglishTexts[] = {
    "1;The installation of %s could not be completed after the restart:",
    "2;The server %s could not be registered: %s",
    "3;Some files are still in use. The installation of %s will be completed at the next restart.",
    "4;%s could not be removed: %s",
};
const char* const GermanTexts[] = {
    "1;Die Installation von %s konnte nach dem Neustart nicht abgeschlossen werden:",
    "2;Der Server %s konnte nicht registriert werden: %s",
    "3;Einige Dateien sind noch in Gebrauch. Die Installation von %s wird beim n\xe4" "chsten Neustart "
    "abgeschlossen.",
    "4;%s konnte nicht entfernt werden: %s",
};

void LoadTexts(TTranslator* t) {
    t->lgEnglish()->SetLines(EnglishTexts);
    t->lgGerman()->SetLines(GermanTexts);
}

// Removes this copy of the program at the next restart, when it is one of ours in the
// temporary folder.
void RemoveSelfAtRestart() {
    const std::string self = platform::GetModuleFileName();
    const std::string name = ExtractFileName(self);
    if (name.size() < 3 || !SameText(name.substr(0, 3), "zrs")) return;
    if (!SameText(RemoveTrailingBackslash(ExtractFilePath(self)), RemoveTrailingBackslash(platform::GetTempPath())))
        return;
    if (GetWindowsPlatform() == 1) {
        std::string shortSelf = platform::GetShortPathName(self);
        if (shortSelf.empty()) shortSelf = self;
        const std::string key = "NUL";
        platform::WritePrivateProfileString("Rename", &key, &shortSelf, "WININIT.INI");
    } else {
        platform::MoveFileEx(self, "", platform::MoveFileDelayUntilReboot);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !*argv[1]) {
        std::fprintf(stderr, "usage: zrestart PRODUCT\n");
        return 2;
    }
    const std::string product = argv[1];
    try {
        InitialiseInstallServices();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    CreateApplication();
    TTranslator translator(nullptr);
    LoadTexts(&translator);

    TRestartListStore store;
    const std::vector<TRestartItem> items = LoadRestartList(product, store);
    // Nothing of the list may run again: it goes before any of its work is tried.
    DeleteRestartList(store);
    const std::vector<TRestartOutcome> outcomes = WorkOffRestartList(items);

    std::vector<TRestartItem> again;
    std::string failures;
    for (const TRestartOutcome& o : outcomes) {
        if (o.retry) again.push_back(o.item);
        if (o.message.empty()) continue;
        failures += "\r\n\r\n";
        if (o.item.kind == 0)
            failures += Format(TranslateText("The server %s could not be registered: %s"), {o.item.path, o.message});
        else
            failures += Format(TranslateText("%s could not be removed: %s"), {o.item.text, o.message});
    }
    int status = 0;
    if (!failures.empty()) {
        MessageDlg(Format(TranslateText("The installation of %s could not be completed after the restart:"), {product}) +
                       failures,
                   TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        status = 1;
    }
    if (!again.empty()) {
        try {
            TRestartListStore next;
            next.product = product;
            SaveRestartList(next, platform::GetModuleFileName(), again);
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", e.Message().c_str());
        }
        MessageDlg(Format(TranslateText("Some files are still in use. The installation of %s will be completed at "
                                        "the next restart."),
                          {product}),
                   TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return 1;
    }
    RemoveSelfAtRestart();
    return status;
}
