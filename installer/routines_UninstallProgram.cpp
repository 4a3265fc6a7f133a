#include "installer/routines_UninstallProgram.h"

#include <cstdio>

#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "installer/routines_Uninstall.h"
#include "localisation/cmp_TTranslator.h"

namespace {

const char* const EnglishTexts[] = {
    "1;%s cannot be removed: this computer holds no uninstall information for it.",
    "2;%s cannot be removed: its uninstall information holds no list of installed files.",
    "3;error %d",
    "4;it ended with exit code %d",
    "5;DllUnregisterServer returned %d",
    "6;it has no DllUnregisterServer",
    "7;%s: in use, it is removed when Windows restarts",
    "8;%s: kept, it holds files that were not installed with it",
    "9;%s: skipped, the record names no full local path",
    "10;%s: could not be removed",
    "11;%s: could not be unregistered",
    "12;%s: kept, other programs still use it",
    "13;Remove %s and all of its components?",
    "14;Removing %s",
    "15;%s was removed from your computer.",
    "16;Some items were not removed:",
    "17;Restart Windows to finish removing %s.",
    "18;Uninstall",
    "19;%s could not be removed completely.",
    "20;No product was named: start the program with the name of the product to remove.",
};
const char* const GermanTexts[] = {
    "1;%s kann nicht entfernt werden: Dieser Computer hat keine Deinstallationsdaten daf\xfcr.",
    "2;%s kann nicht entfernt werden: Seine Deinstallationsdaten enthalten keine Liste der installierten Dateien.",
    "3;Fehler %d",
    "4;es endete mit dem Code %d",
    "5;DllUnregisterServer gab %d zur\xfc" "ck",
    "6;es hat kein DllUnregisterServer",
    "7;%s: in Gebrauch, wird beim Neustart von Windows entfernt",
    "8;%s: behalten, es enth\xe4lt Dateien, die nicht mit installiert wurden",
    "9;%s: \xfc" "bersprungen, der Eintrag nennt keinen vollst\xe4ndigen lokalen Pfad",
    "10;%s: konnte nicht entfernt werden",
    "11;%s: konnte nicht abgemeldet werden",
    "12;%s: behalten, andere Programme verwenden es noch",
    "13;%s und alle zugeh\xf6rigen Komponenten entfernen?",
    "14;%s wird entfernt",
    "15;%s wurde von Ihrem Computer entfernt.",
    "16;Einige Elemente wurden nicht entfernt:",
    "17;Starten Sie Windows neu, um das Entfernen von %s abzuschlie\xdf" "en.",
    "18;Deinstallation",
    "19;%s konnte nicht vollst\xe4ndig entfernt werden.",
    "20;Kein Produkt angegeben: Starten Sie das Programm mit dem Namen des zu entfernenden Produkts.",
};

std::string Tr(const char* text) { return TranslateText(text); }

// The progress window: what is being removed, the file at work, how far it got.
class TUninstallProgress {
public:
    explicit TUninstallProgress(const std::string& product) {
        form_ = new TForm(Application);
        form_->SetName("UninstallForm");
        form_->SetCaption(Tr("Uninstall"));
        form_->SetBorderStyle(TFormBorderStyle::bsDialog);
        form_->SetPosition(TPosition::poScreenCenter);
        form_->SetClientWidth(420);
        form_->SetClientHeight(100);
        step_ = AddLabel("StepLbl", 16, Format(Tr("Removing %s"), {product}));
        file_ = AddLabel("FileLbl", 40, "");
        bar_ = new TProgressBar(form_);
        bar_->SetName("ProgressBar");
        bar_->SetParent(form_);
        bar_->SetBounds(16, 66, 388, 18);
        form_->Show();
    }
    ~TUninstallProgress() {
        form_->Hide();
        delete form_;
    }
    void Show(const std::string& path, int percent) {
        file_->SetCaption(path);
        bar_->SetPosition(percent);
        Application->ProcessMessages();
    }

private:
    TLabel* AddLabel(const char* name, int top, const std::string& caption) {
        auto* l = new TLabel(form_);
        l->SetName(name);
        l->SetParent(form_);
        l->SetAutoSize(false);
        l->SetBounds(16, top, 388, 18);
        l->SetCaption(caption);
        return l;
    }
    TForm* form_;
    TLabel* step_;
    TLabel* file_;
    TProgressBar* bar_;
};

}  // namespace

void LoadUninstallTexts(TTranslator* t) {
    t->lgEnglish()->SetLines(EnglishTexts);
    t->lgGerman()->SetLines(GermanTexts);
}

int RunUninstallProgram(const std::string& commandLine, const std::string& self, bool removeSelf) {
    const TUninstallCommand cmd = ParseUninstallCommandLine(commandLine, self);
    if (cmd.worker) {
        if (cmd.workerPaths.empty()) return 1;
        SelfRemovalWorker(cmd.workerPaths[0], {cmd.workerPaths.begin() + 1, cmd.workerPaths.end()}, 60000);
        return 0;
    }
    auto report = [&](const std::string& text, TMsgDlgType type) {
        if (cmd.silent)
            std::fprintf(type == TMsgDlgType::mtError ? stderr : stdout, "%s\n", text.c_str());
        else
            MessageDlg(text, type, {TMsgDlgBtn::mbOK});
    };
    if (Trim(cmd.product).empty()) {
        report(Tr("No product was named: start the program with the name of the product to remove."),
               TMsgDlgType::mtError);
        return 1;
    }

    // Every record is read and checked before anything is removed.
    TUninstallRecords records;
    try {
        records = ReadUninstallRecords(cmd.product);
    } catch (const Exception& e) {
        report(e.Message(), TMsgDlgType::mtError);
        return 1;
    }
    if (!cmd.silent && MessageDlg(Format(Tr("Remove %s and all of its components?"), {cmd.product}),
                                  TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}) != mrYes)
        return 1;

    TUninstallOptions options;
    options.self = self;
    TUninstallResult result;
    {
        std::unique_ptr<TUninstallProgress> window;
        if (!cmd.silent) {
            window = std::make_unique<TUninstallProgress>(cmd.product);
            options.progress = [&](const std::string& path, int percent) { window->Show(path, percent); };
        }
        result = Uninstall(records, options);
    }
    std::string text = Format(Tr(result.failed ? "%s could not be removed completely." : "%s was removed from your computer."),
                              {cmd.product});
    if (!result.left.empty()) text += "\r\n\r\n" + Tr("Some items were not removed:") + DescribeLeftItems(result.left);
    if (result.restartNeeded && !result.failed)
        text += "\r\n\r\n" + Format(Tr("Restart Windows to finish removing %s."), {cmd.product});
    report(text, result.failed ? TMsgDlgType::mtError : TMsgDlgType::mtInformation);
    // Last, once nothing waits for the person any more: the program's own file and the
    // folders it alone still holds.
    if (removeSelf && (!result.selfFolders.empty() || SameText(records.program, self)))
        if (!RemoveSelf(self, result.selfFolders)) result.restartNeeded = true;
    return result.ExitCode();
}
