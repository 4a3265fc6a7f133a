#include "installer/cmp_TSetupWizard.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/stdctrls.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_Destinations.h"
#include "install/routines_MetaVariables.h"
#include "installer/cmp_TMainInstall.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/system.h"

// ---------------------------------------------------------------------------------------
// TSetupWizard

ZARN_DEFINE_CLASS(TSetupWizard, TComponent, [](TClassBuilder<TSetupWizard>& b) {
    b.Object("LicenceText", &TSetupWizard::LicenceText)
        .Str("LicenceFile", &TSetupWizard::LicenceFile, &TSetupWizard::SetLicenceFile)
        .Str("FinishProgram", &TSetupWizard::FinishProgram, &TSetupWizard::SetFinishProgram)
        .Str("FinishProgramCaption", &TSetupWizard::FinishProgramCaption, &TSetupWizard::SetFinishProgramCaption)
        .Creatable();
})

TSetupWizard::TSetupWizard(TComponent* owner) : TComponent(owner), licenceText_(std::make_unique<TStringList>()) {}
TSetupWizard::~TSetupWizard() = default;

TStrings* TSetupWizard::LicenceText() const { return licenceText_.get(); }
void TSetupWizard::SetLicenceText(TStrings* value) { licenceText_->Assign(value); }

void RegisterSetupWizardClasses() { RegisterClasses({&TSetupWizard::StaticClass()}); }

namespace {

// ---------------------------------------------------------------------------------------
// The wizard's own texts. They are added to the translator behind the texts it already
// has, so an installer's description can word any of them its own way.

struct TWizardText {
    const char* english;
    const char* german;
};

const TWizardText kTexts[] = {
    {"Setup - %s", "Installation - %s"},
    {"< &Back", "< &Zur\xfc" "ck"},
    {"&Next >", "&Weiter >"},
    {"Cancel", "Abbrechen"},
    {"&Install", "&Installieren"},
    {"&Finish", "&Fertig stellen"},
    {"Welcome to the setup of %s", "Willkommen bei der Installation von %s"},
    {"This wizard installs %s on your computer.", "Dieser Assistent installiert %s auf Ihrem Computer."},
    {"Close all other programs before you continue. Click Next to continue or Cancel to leave the setup.",
     "Schlie\xdf" "en Sie alle anderen Programme, bevor Sie fortfahren. Klicken Sie auf Weiter, um fortzufahren, "
     "oder auf Abbrechen, um die Installation zu verlassen."},
    {"Version: %s", "Version: %s"},
    {"Publisher: %s", "Herausgeber: %s"},
    {"Licence agreement", "Lizenzvertrag"},
    {"Please read the following licence agreement. You must accept it before the installation can continue.",
     "Bitte lesen Sie den folgenden Lizenzvertrag. Sie m\xfcssen ihn annehmen, bevor die Installation "
     "fortgesetzt werden kann."},
    {"I &accept the agreement", "Ich &nehme den Vertrag an"},
    {"Destination folder", "Zielordner"},
    {"Setup will install %s into the following folder. To choose another folder, type it or click Browse.",
     "%s wird in den folgenden Ordner installiert. Um einen anderen Ordner zu w\xe4hlen, geben Sie ihn ein "
     "oder klicken Sie auf Durchsuchen."},
    {"B&rowse...", "D&urchsuchen..."},
    {"Space needed: %s", "Ben\xf6tigter Speicherplatz: %s"},
    {"Space free on %s: %s", "Freier Speicherplatz auf %s: %s"},
    {"Space free: unknown", "Freier Speicherplatz: unbekannt"},
    {"Choose the destination folder", "Zielordner w\xe4hlen"},
    {"This folder", "Dieser Ordner"},
    {"Enter a complete folder path with a drive letter (C:\\...) or a network share (\\\\server\\share\\...).",
     "Geben Sie einen vollst\xe4ndigen Ordnerpfad mit Laufwerksbuchstaben (C:\\...) oder einer Netzwerkfreigabe "
     "(\\\\Server\\Freigabe\\...) ein."},
    {"There is not enough space on %s: %s are needed, but only %s are free. Choose another folder or fewer "
     "components.",
     "Auf %s ist nicht genug Platz: %s werden ben\xf6tigt, aber nur %s sind frei. W\xe4hlen Sie einen anderen "
     "Ordner oder weniger Komponenten."},
    {"The drive of the folder %s cannot be found.", "Das Laufwerk des Ordners %s wurde nicht gefunden."},
    {"Components", "Komponenten"},
    {"Choose the components of %s to install.", "W\xe4hlen Sie die Komponenten von %s, die installiert werden "
                                                "sollen."},
    {"Installation type", "Installationsart"},
    {"Full", "Vollst\xe4ndig"},
    {"Typical", "Standard"},
    {"Compact", "Minimal"},
    {"Custom", "Benutzerdefiniert"},
    {"Choose at least one component.", "W\xe4hlen Sie mindestens eine Komponente."},
    {"Ready to install", "Bereit zur Installation"},
    {"Setup is ready to install %s. Click Install to begin, or Back to change the settings.",
     "%s kann jetzt installiert werden. Klicken Sie auf Installieren, um zu beginnen, oder auf Zur\xfc" "ck, "
     "um die Einstellungen zu \xe4ndern."},
    {"Destination folder:", "Zielordner:"},
    {"Installation type:", "Installationsart:"},
    {"Components:", "Komponenten:"},
    {"Installing", "Installation"},
    {"Please wait while %s is installed.", "Bitte warten Sie, w\xe4hrend %s installiert wird."},
    {"Overall progress", "Gesamtfortschritt"},
    {"Do you want to cancel the installation?", "M\xf6" "chten Sie die Installation abbrechen?"},
    {"The setup is not complete. Do you want to leave it?",
     "Die Installation ist nicht abgeschlossen. M\xf6" "chten Sie sie verlassen?"},
    {"Cancelling...", "Wird abgebrochen..."},
    {"Setup has finished", "Die Installation ist abgeschlossen"},
    {"%s has been installed on your computer.", "%s wurde auf Ihrem Computer installiert."},
    {"Windows must be restarted to complete the installation. Restart Windows before you use %s.",
     "Windows muss neu gestartet werden, um die Installation abzuschlie\xdf" "en. Starten Sie Windows neu, "
     "bevor Sie %s verwenden."},
    {"Setup was cancelled", "Die Installation wurde abgebrochen"},
    {"The installation of %s was cancelled.", "Die Installation von %s wurde abgebrochen."},
    {"Setup failed", "Die Installation ist fehlgeschlagen"},
    {"The installation of %s failed:", "Die Installation von %s ist fehlgeschlagen:"},
    {"Start %s now", "%s jetzt starten"},
    {"%s cannot be started (error %d).", "%s kann nicht gestartet werden (Fehler %d)."},
    {"Click Finish to leave the setup.", "Klicken Sie auf Fertig stellen, um die Installation zu verlassen."},
};

// Adds the texts the translator does not know yet, under identifiers above its own.
void AddWizardTexts(TTranslator* translator) {
    TLanguage* english = translator->Language(TZarnLanguage::zlEnglish);
    TLanguage* german = translator->Language(TZarnLanguage::zlGerman);
    int next = 0;
    for (TLanguage* l : translator->Languages()) {
        for (TLanguageString* s : l->StringItems()) next = std::max(next, s->GLID);
        for (TLanguageMemo* m : l->MemoItems()) next = std::max(next, m->GLID);
    }
    TStringList en, de;
    for (const TWizardText& t : kTexts) {
        if (english->FindStringByText(t.english)) continue;
        ++next;
        en.Add(std::to_string(next) + ";" + t.english);
        de.Add(std::to_string(next) + ";" + t.german);
    }
    if (en.Count() == 0) return;
    english->Strings()->AddStrings(&en);
    german->Strings()->AddStrings(&de);
}

std::string Tr(const std::string& s) { return TranslateText(s); }

// Sizes as people read them: "340 KB", "12.5 MB", "1.25 GB".
std::string SizeText(std::uint64_t bytes) {
    constexpr std::uint64_t KB = 1024, MB = KB * 1024, GB = MB * 1024;
    auto fixed = [](std::uint64_t v, std::uint64_t unit, int decimals) {
        std::uint64_t scale = decimals == 1 ? 10 : 100;
        std::uint64_t n = (v * scale + unit / 2) / unit;
        std::string frac = std::to_string(n % scale);
        while (int(frac.size()) < decimals) frac = "0" + frac;
        return std::to_string(n / scale) + "." + frac;
    };
    if (bytes < MB) return std::to_string((bytes + KB - 1) / KB) + " KB";
    if (bytes < GB) return fixed(bytes, MB, 1) + " MB";
    return fixed(bytes, GB, 2) + " GB";
}

// "C:\Games\X" -> "C:", "\\server\share\X" -> "\\server\share"; empty for other texts.
std::string DriveOf(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
        return path.substr(0, 2);
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return {};
        std::size_t share = path.find('\\', server + 1);
        std::string root = path.substr(0, share);
        return root.size() > server + 1 ? root : std::string{};
    }
    return {};
}

// Free space of the drive that `folder` would be on: asked of its nearest folder that
// exists (the folder itself is usually made by the installation).
bool FreeSpaceFor(const std::string& folder, std::uint64_t& free) {
    std::string at = RemoveTrailingBackslash(folder);
    const std::string drive = DriveOf(folder);
    for (;;) {
        if (at.size() <= drive.size()) at = drive + "\\";
        if (platform::DirectoryExists(at)) break;
        if (at == drive + "\\") return false;
        at = RemoveTrailingBackslash(ExtractFilePath(at));
    }
    std::uint64_t total = 0;
    return platform::GetDiskFreeSpace(AddTrailingBackslash(at), free, total);
}

std::string InstallTypeText(TInstallType t) {
    switch (t) {
        case TInstallType::itFull: return Tr("Full");
        case TInstallType::itDefault: return Tr("Typical");
        case TInstallType::itCompact: return Tr("Compact");
        case TInstallType::itCustom: return Tr("Custom");
        case TInstallType::itAlways: break;
    }
    return {};
}

enum class TPage : int { Welcome, Licence, Destination, Components, Ready, Progress, Finish };
enum class TOutcome : std::uint8_t { Cancelled, Installed, Failed };

constexpr int kWidth = 497, kHeight = 360;
constexpr int kPageTop = 64, kPageHeight = 246, kMargin = 24;

// ---------------------------------------------------------------------------------------
// The wizard's window: a heading, one panel per page and the buttons below.

class TSetupWizardForm : public TForm {
public:
    TSetupWizardForm(TMainInstall* install, TSetupWizard* settings, const std::function<void()>& run)
        : TForm(nullptr), install_(install), settings_(settings), run_(run) {
        SetName("SetupWizard");
        Build();
    }

    int ExitCode() const {
        switch (outcome_) {
            case TOutcome::Installed: return install_->RestartNeeded() ? ExitCodeRestartNeeded : SetupExitInstalled;
            case TOutcome::Failed: return SetupExitFailed;
            case TOutcome::Cancelled: break;
        }
        return SetupExitCancelled;
    }

    void Start() {
        ShowPage(TPage::Welcome);
        // Now that the window is there, the page's control can take the focus.
        OnShow = [this](TObject*) { ShowPage(page_); };
    }

private:
    // ---- building

    template <typename T>
    T* Make(TWinControl* parent, const std::string& name, int left, int top, int width, int height) {
        T* c = new T(this);
        if (!name.empty()) c->SetName(name);
        c->SetParent(parent);
        c->SetBounds(left, top, width, height);
        return c;
    }
    TLabel* Para(TWinControl* parent, const std::string& name, int top, int height, const std::string& caption) {
        auto* l = Make<TLabel>(parent, name, kMargin, top, kWidth - 2 * kMargin, height);
        l->SetAutoSize(false);
        l->SetWordWrap(true);
        l->SetShowAccelChar(false);
        l->SetCaption(caption);
        return l;
    }
    TPanel* Page(const std::string& name) {
        auto* p = Make<TPanel>(this, name, 0, kPageTop, kWidth, kPageHeight);
        p->SetBevelOuter(TPanelBevel::bvNone);
        p->SetVisible(false);
        return p;
    }

    std::string Product() const { return install_->ProductName(); }

    void Build() {
        SetCaption(Format(Tr("Setup - %s"), {Product()}));
        SetBorderStyle(TFormBorderStyle::bsDialog);
        SetBorderIcons({TBorderIcon::biSystemMenu});
        SetPosition(TPosition::poScreenCenter);
        SetClientWidth(kWidth);
        SetClientHeight(kHeight);
        Font()->SetName("MS Sans Serif");
        Font()->SetHeight(-11);
        TranslateFormFont(this);

        titleLbl_ = Make<TLabel>(this, "TitleLbl", 16, 12, kWidth - 32, 18);
        titleLbl_->SetAutoSize(false);
        titleLbl_->SetShowAccelChar(false);
        titleLbl_->SetParentFont(false);
        titleLbl_->Font()->Assign(Font());
        titleLbl_->Font()->SetStyle({TFontStyle::fsBold});
        subtitleLbl_ = Make<TLabel>(this, "SubtitleLbl", 24, 32, kWidth - 40, 28);
        subtitleLbl_->SetAutoSize(false);
        subtitleLbl_->SetWordWrap(true);
        subtitleLbl_->SetShowAccelChar(false);
        Make<TBevel>(this, "TopLine", 0, kPageTop - 4, kWidth, 2)->SetShape(TBevelShape::bsTopLine);
        Make<TBevel>(this, "BottomLine", 0, kPageTop + kPageHeight, kWidth, 2)->SetShape(TBevelShape::bsTopLine);

        BuildWelcome();
        BuildLicence();
        BuildDestination();
        BuildComponents();
        BuildReady();
        BuildProgress();
        BuildFinish();

        const int by = kHeight - 35;
        backBtn_ = Make<TButton>(this, "BackBtn", kWidth - 255, by, 75, 23);
        backBtn_->SetCaption(Tr("< &Back"));
        backBtn_->OnClick = [this](TObject*) { Back(); };
        nextBtn_ = Make<TButton>(this, "NextBtn", kWidth - 180, by, 75, 23);
        nextBtn_->SetDefault(true);
        nextBtn_->OnClick = [this](TObject*) { Next(); };
        cancelBtn_ = Make<TButton>(this, "CancelBtn", kWidth - 91, by, 75, 23);
        cancelBtn_->SetCaption(Tr("Cancel"));
        cancelBtn_->SetCancel(true);
        cancelBtn_->OnClick = [this](TObject*) { CancelClicked(); };
        int order = 0;
        for (TButton* b : {backBtn_, nextBtn_, cancelBtn_}) {
            b->SetTabOrder(order++);
        }

        OnCloseQuery = [this](TObject*, bool& canClose) { canClose = MayClose(); };
    }

    void BuildWelcome() {
        pages_[TPage::Welcome] = TPanelAndHeading{Page("WelcomePage"), Format(Tr("Welcome to the setup of %s"), {Product()}), ""};
        TPanel* p = pages_[TPage::Welcome].panel;
        Para(p, "WelcomeLbl", 8, 28, Format(Tr("This wizard installs %s on your computer."), {Product()}));
        int top = 40;
        if (!install_->ProductVersion().empty()) {
            Para(p, "VersionLbl", top, 16, Format(Tr("Version: %s"), {install_->ProductVersion()}));
            top += 18;
        }
        if (!install_->Publisher().empty()) {
            Para(p, "PublisherLbl", top, 16, Format(Tr("Publisher: %s"), {install_->Publisher()}));
            top += 18;
        }
        Para(p, "WelcomeNextLbl", top + 12, 42,
             Tr("Close all other programs before you continue. Click Next to continue or Cancel to leave the setup."));
    }

    bool HasLicence() const { return settings_ && settings_->LicenceText()->Count() > 0; }

    void BuildLicence() {
        pages_[TPage::Licence] = {Page("LicencePage"), Tr("Licence agreement"),
                                  Tr("Please read the following licence agreement. You must accept it before the "
                                     "installation can continue.")};
        if (!HasLicence()) return;
        TPanel* p = pages_[TPage::Licence].panel;
        auto* memo = Make<TMemo>(p, "LicenceMemo", kMargin, 8, kWidth - 2 * kMargin, 196);
        memo->SetReadOnly(true);
        memo->SetScrollBars(TScrollStyle::ssVertical);
        memo->Lines()->Assign(settings_->LicenceText());
        memo->SetTabOrder(0);
        licenceBox_ = Make<TCheckBox>(p, "LicenceAcceptBox", kMargin, 214, kWidth - 2 * kMargin, 17);
        licenceBox_->SetCaption(Tr("I &accept the agreement"));
        licenceBox_->SetTabOrder(1);
        licenceBox_->OnClick = [this](TObject*) { UpdateButtons(); };
    }

    void BuildDestination() {
        pages_[TPage::Destination] = {Page("DestinationPage"), Tr("Destination folder"), ""};
        TPanel* p = pages_[TPage::Destination].panel;
        Para(p, "DestLbl", 8, 42,
             Format(Tr("Setup will install %s into the following folder. To choose another folder, type it or click "
                       "Browse."),
                    {Product()}));
        destEdit_ = Make<TEdit>(p, "DestEdit", kMargin, 56, kWidth - 2 * kMargin - 88, 21);
        destEdit_->SetText(install_->GetDestDir());
        destEdit_->SetTabOrder(0);
        destEdit_->OnChange = [this](TObject*) { UpdateSpace(); };
        auto* browse = Make<TButton>(p, "BrowseBtn", kWidth - kMargin - 80, 55, 80, 23);
        browse->SetCaption(Tr("B&rowse..."));
        browse->SetTabOrder(1);
        browse->OnClick = [this](TObject*) { Browse(); };
        neededLbl_ = Para(p, "SpaceNeededLbl", 190, 16, "");
        freeLbl_ = Para(p, "SpaceFreeLbl", 208, 16, "");
    }

    void BuildComponents() {
        pages_[TPage::Components] = {Page("ComponentsPage"), Tr("Components"),
                                     Format(Tr("Choose the components of %s to install."), {Product()})};
        for (int i = 0; i < install_->CompCount(); ++i)
            if (auto* g = dynamic_cast<TInstallFileGroup*>(install_->Comps(i))) groups_.push_back(g);
        if (groups_.size() < 2) return;
        TPanel* p = pages_[TPage::Components].panel;
        int top = 8;
        int order = 0;
        // The installation types the groups are marked for; Custom when there are any.
        for (TInstallType t : {TInstallType::itFull, TInstallType::itDefault, TInstallType::itCompact})
            for (TInstallFileGroup* g : groups_)
                if (g->InstallTypes().Contains(t) && std::find(types_.begin(), types_.end(), t) == types_.end())
                    types_.push_back(t);
        if (!types_.empty()) {
            types_.push_back(TInstallType::itCustom);
            typeGroup_ = Make<TRadioGroup>(p, "InstallTypeGroup", kMargin, top, kWidth - 2 * kMargin, 36);
            typeGroup_->SetCaption(Tr("Installation type"));
            typeGroup_->SetColumns(int(types_.size()));
            for (TInstallType t : types_) typeGroup_->Items()->Add(InstallTypeText(t));
            auto at = std::find(types_.begin(), types_.end(), install_->InstallType());
            typeGroup_->SetItemIndex(at == types_.end() ? 0 : int(at - types_.begin()));
            typeGroup_->SetTabOrder(order++);
            typeGroup_->OnClick = [this](TObject*) { TypeChosen(); };
            top += 46;
        }
        const int rows = std::max(1, (kPageHeight - top - 30) / 20);
        const int columns = int(groups_.size()) > rows ? 2 : 1;
        const int colWidth = (kWidth - 2 * kMargin) / columns;
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            TInstallFileGroup* g = groups_[i];
            const int col = int(i) / rows, row = int(i) % rows;
            auto* box = Make<TCheckBox>(p, "GroupCheck" + std::to_string(i), kMargin + col * colWidth,
                                        top + row * 20, colWidth - 8, 17);
            const std::string name = g->GroupName().empty() ? g->Name() : g->GroupName();
            box->SetCaption(name + " (" + SizeText(GroupSize(g)) + ")");
            box->SetChecked(g->Include());
            // A group marked for every type cannot be left out.
            if (g->InstallTypes().Contains(TInstallType::itAlways) && !types_.empty()) {
                box->SetChecked(true);
                box->SetEnabled(false);
            }
            box->SetTabOrder(order++);
            box->OnClick = [this](TObject*) { GroupToggled(); };
            groupBoxes_.push_back(box);
        }
        componentsSpaceLbl_ = Para(p, "ComponentsSpaceLbl", kPageHeight - 22, 16, "");
        if (typeGroup_) ApplyType();
    }

    void BuildReady() {
        pages_[TPage::Ready] = {Page("ReadyPage"), Tr("Ready to install"),
                                Format(Tr("Setup is ready to install %s. Click Install to begin, or Back to change "
                                          "the settings."),
                                       {Product()})};
        summary_ = Make<TMemo>(pages_[TPage::Ready].panel, "SummaryMemo", kMargin, 8, kWidth - 2 * kMargin, 220);
        summary_->SetReadOnly(true);
        summary_->SetScrollBars(TScrollStyle::ssVertical);
        summary_->SetTabOrder(0);
    }

    void BuildProgress() {
        pages_[TPage::Progress] = {Page("ProgressPage"), Tr("Installing"),
                                   Format(Tr("Please wait while %s is installed."), {Product()})};
        TPanel* p = pages_[TPage::Progress].panel;
        fileLbl_ = Para(p, "FileLbl", 16, 16, "");
        fileBar_ = Make<TProgressBar>(p, "FileBar", kMargin, 36, kWidth - 2 * kMargin, 18);
        Para(p, "OverallLbl", 72, 16, Tr("Overall progress"));
        totalBar_ = Make<TProgressBar>(p, "TotalBar", kMargin, 92, kWidth - 2 * kMargin, 18);
    }

    void BuildFinish() {
        pages_[TPage::Finish] = {Page("FinishPage"), Tr("Setup has finished"), ""};
        TPanel* p = pages_[TPage::Finish].panel;
        resultLbl_ = Para(p, "ResultLbl", 8, 42, "");
        detailLbl_ = Para(p, "DetailLbl", 56, 84, "");
        if (settings_ && !settings_->FinishProgram().empty()) {
            runBox_ = Make<TCheckBox>(p, "FinishRunBox", kMargin, 150, kWidth - 2 * kMargin, 17);
            std::string caption = settings_->FinishProgramCaption();
            runBox_->SetCaption(caption.empty() ? Format(Tr("Start %s now"), {Product()}) : caption);
            runBox_->SetChecked(true);
            runBox_->SetVisible(false);
            runBox_->SetTabOrder(0);
        }
        Para(p, "FinishLbl", 200, 16, Tr("Click Finish to leave the setup."));
    }

    // ---- sizes

    static std::uint64_t GroupSize(TInstallFileGroup* g) { return std::uint64_t(std::max(0, g->SizeSum(true))); }

    bool GroupChosen(std::size_t i) const {
        return groupBoxes_.empty() ? groups_[i]->Include() : groupBoxes_[i]->Checked();
    }

    std::uint64_t Needed() const {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < groups_.size(); ++i)
            if (GroupChosen(i)) sum += GroupSize(groups_[i]);
        return sum;
    }

    std::string Folder() const { return RemoveTrailingBackslash(Trim(destEdit_->Text())); }

    void UpdateSpace() {
        const std::string needed = Format(Tr("Space needed: %s"), {SizeText(Needed())});
        neededLbl_->SetCaption(needed);
        if (componentsSpaceLbl_) componentsSpaceLbl_->SetCaption(needed);
        std::uint64_t free = 0;
        const std::string folder = Folder();
        if (!DriveOf(folder + "\\").empty() && FreeSpaceFor(folder, free))
            freeLbl_->SetCaption(Format(Tr("Space free on %s: %s"), {DriveOf(folder + "\\"), SizeText(free)}));
        else
            freeLbl_->SetCaption(Tr("Space free: unknown"));
    }

    // The folder must be complete and its drive must hold what was chosen.
    bool CheckFolder() {
        const std::string folder = Folder();
        const std::string drive = DriveOf(folder + "\\");
        if (drive.empty()) {
            Refuse(Tr("Enter a complete folder path with a drive letter (C:\\...) or a network share "
                      "(\\\\server\\share\\...)."));
            return false;
        }
        std::uint64_t free = 0;
        if (!FreeSpaceFor(folder, free)) {
            Refuse(Format(Tr("The drive of the folder %s cannot be found."), {folder}));
            return false;
        }
        const std::uint64_t needed = Needed();
        if (needed > free) {
            Refuse(Format(Tr("There is not enough space on %s: %s are needed, but only %s are free. Choose another "
                             "folder or fewer components."),
                          {drive, SizeText(needed), SizeText(free)}));
            return false;
        }
        return true;
    }

    void Refuse(const std::string& text) { MessageDlg(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}); }
    // Yes or No, with No as the default: Enter pressed by mistake changes nothing.
    static bool Confirm(const std::string& text) {
        return MessageDlgDef(text, TMsgDlgType::mtConfirmation, mbYesNo, TMsgDlgBtn::mbNo) == mrYes;
    }

    // ---- pages

    struct TPanelAndHeading {
        TPanel* panel = nullptr;
        std::string title, subtitle;
    };

    bool Shows(TPage p) const {
        if (p == TPage::Licence) return HasLicence();
        if (p == TPage::Components) return groups_.size() >= 2;
        return true;
    }

    void ShowPage(TPage p) {
        page_ = p;
        for (auto& [id, page] : pages_) page.panel->SetVisible(id == p);
        titleLbl_->SetCaption(pages_[p].title);
        subtitleLbl_->SetCaption(pages_[p].subtitle);
        nextBtn_->SetCaption(p == TPage::Ready ? Tr("&Install") : p == TPage::Finish ? Tr("&Finish") : Tr("&Next >"));
        if (p == TPage::Destination || p == TPage::Components) UpdateSpace();
        if (p == TPage::Ready) summary_->Lines()->Assign(Summary().get());
        UpdateButtons();
        // The page's first control takes the focus, else Next.
        TWinControl* first = nullptr;
        for (TWinControl* w : pages_[p].panel->FocusOrder())
            if (w->CanFocus()) {
                first = w;
                break;
            }
        if (p == TPage::Destination) first = destEdit_;
        if (first && first->CanFocus()) first->SetFocus();
        else if (nextBtn_->CanFocus()) nextBtn_->SetFocus();
    }

    void UpdateButtons() {
        const bool running = page_ == TPage::Progress;
        bool first = true;
        for (int q = int(TPage::Welcome); q < int(page_); ++q) first &= !Shows(TPage(q));
        backBtn_->SetEnabled(!running && page_ != TPage::Finish && !first);
        backBtn_->SetVisible(page_ != TPage::Finish);
        nextBtn_->SetEnabled(!running && (page_ != TPage::Licence || licenceBox_->Checked()));
        cancelBtn_->SetEnabled(page_ != TPage::Finish && !(running && cancelling_));
    }

    std::unique_ptr<TStringList> Summary() const {
        auto s = std::make_unique<TStringList>();
        s->Add(Tr("Destination folder:"));
        s->Add("    " + Folder());
        if (groups_.size() >= 2) {
            if (typeGroup_ && typeGroup_->ItemIndex() >= 0) {
                s->Add("");
                s->Add(Tr("Installation type:"));
                s->Add("    " + typeGroup_->Items()->Get(typeGroup_->ItemIndex()));
            }
            s->Add("");
            s->Add(Tr("Components:"));
            for (std::size_t i = 0; i < groups_.size(); ++i)
                if (GroupChosen(i)) s->Add("    " + StripAccelerator(groupBoxes_[i]->Caption()));
        }
        s->Add("");
        s->Add(Format(Tr("Space needed: %s"), {SizeText(Needed())}));
        return s;
    }

    void Next() {
        switch (page_) {
            case TPage::Destination:
                if (!CheckFolder()) return;
                install_->SetDestDirType(TPathSpecifiers::ddAbsolute);
                install_->SetDestDir(Folder());
                break;
            case TPage::Components: {
                bool any = false;
                for (std::size_t i = 0; i < groups_.size(); ++i) any |= GroupChosen(i);
                if (!any) {
                    Refuse(Tr("Choose at least one component."));
                    return;
                }
                // More may have been chosen than the drive holds.
                if (!CheckFolder()) return;
                break;
            }
            case TPage::Ready: Install(); return;
            case TPage::Finish: Finish(); return;
            default: break;
        }
        int q = int(page_) + 1;
        while (!Shows(TPage(q))) ++q;
        ShowPage(TPage(q));
    }

    void Back() {
        if (page_ == TPage::Progress || page_ == TPage::Finish) return;
        int q = int(page_) - 1;
        while (q > 0 && !Shows(TPage(q))) --q;
        if (q >= 0) ShowPage(TPage(q));
    }

    void Browse() {
        TOpenDialog dialog(nullptr);
        dialog.SetTitle(Tr("Choose the destination folder"));
        const std::string folder = Folder();
        std::string parent = RemoveTrailingBackslash(ExtractFilePath(folder));
        while (parent.size() > 2 && !platform::DirectoryExists(parent)) parent = RemoveTrailingBackslash(ExtractFilePath(parent));
        dialog.SetInitialDir(parent);
        // The name typed or chosen is not used, only the folder the dialog ends in; the
        // product's folder name is kept below it.
        dialog.SetFileName(Tr("This folder"));
        dialog.SetOptions({TOpenOption::ofHideReadOnly, TOpenOption::ofPathMustExist, TOpenOption::ofNoChangeDir});
        if (!dialog.Execute()) return;
        std::string chosen = RemoveTrailingBackslash(ExtractFilePath(dialog.FileName()));
        if (chosen.empty()) return;
        const std::string leaf = ExtractFileName(folder);
        destEdit_->SetText(leaf.empty() ? chosen : AddTrailingBackslash(chosen) + leaf);
    }

    // ---- components

    void TypeChosen() {
        if (syncing_ || !typeGroup_ || typeGroup_->ItemIndex() < 0) return;
        ApplyType();
        UpdateSpace();
    }

    // The chosen type's groups are ticked; Custom leaves the boxes as they are.
    void ApplyType() {
        const TInstallType t = types_[std::size_t(typeGroup_->ItemIndex())];
        install_->SetInstallType(t);
        if (t == TInstallType::itCustom) return;
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            const auto types = groups_[i]->InstallTypes();
            groupBoxes_[i]->SetChecked(types.Contains(t) || types.Contains(TInstallType::itAlways));
        }
        ApplyInclude();
    }

    // A box ticked or cleared by hand makes the choice Custom, where each group's Include
    // alone decides.
    void GroupToggled() {
        if (typeGroup_) {
            const int custom = int(types_.size()) - 1;
            if (typeGroup_->ItemIndex() != custom) {
                syncing_ = true;
                typeGroup_->SetItemIndex(custom);
                syncing_ = false;
                install_->SetInstallType(TInstallType::itCustom);
            }
        }
        ApplyInclude();
        UpdateSpace();
    }

    void ApplyInclude() {
        for (std::size_t i = 0; i < groups_.size(); ++i) groups_[i]->SetInclude(groupBoxes_[i]->Checked());
    }

    // ---- the installation

    void Install() {
        ShowPage(TPage::Progress);
        // Every file group reports its files; the previous handlers still hear of them.
        std::vector<std::pair<TFileContainer*, TInstallFileStatusEvent>> saved;
        std::map<TFileContainer*, std::uint64_t> done;
        std::uint64_t total = 0;
        for (int i = 0; i < install_->CompCount(); ++i) {
            auto* g = dynamic_cast<TFileContainer*>(install_->Comps(i));
            if (!g) continue;
            if (g->Include() && g->PassesInstallTypeTest()) total += std::uint64_t(std::max(0, g->SizeSum(false)));
            saved.emplace_back(g, g->OnStatus);
            TInstallFileStatusEvent previous = g->OnStatus;
            g->OnStatus = [this, g, previous, &done, &total](TInstallFile* file, int filePercent, int totalPercent) {
                if (previous) previous(file, filePercent, totalPercent);
                if (file) fileLbl_->SetCaption(file->DestName().empty() ? file->FileName() : file->DestName());
                fileBar_->SetPosition(filePercent);
                // The group's bytes of its pass (estimated when no pass of the group's own runs).
                const int bytes = g->TotalBytes() > 0 ? g->TotalBytes() : g->SizeSum(false);
                done[g] = std::uint64_t(std::max(0, bytes)) * std::uint64_t(std::clamp(totalPercent, 0, 100)) / 100;
                std::uint64_t sum = 0;
                for (auto& [c, bytes] : done) sum += bytes;
                totalBar_->SetPosition(total ? int(std::min<std::uint64_t>(100, sum * 100 / total)) : totalPercent);
                if (Application) Application->ProcessMessages();
            };
        }
        running_ = true;
        cancelling_ = false;
        if (SharedCompress) SharedCompress->SetAbort(false);
        std::string failure;
        try {
            run_();
            outcome_ = TOutcome::Installed;
        } catch (const EAIUserAbort&) {
            outcome_ = TOutcome::Cancelled;
        } catch (const EAbort&) {
            outcome_ = TOutcome::Cancelled;
        } catch (const Exception& e) {
            outcome_ = TOutcome::Failed;
            failure = e.Message();
        } catch (const std::exception& e) {
            outcome_ = TOutcome::Failed;
            failure = e.what();
        } catch (...) {
            outcome_ = TOutcome::Failed;
        }
        running_ = false;
        if (SharedCompress) SharedCompress->SetAbort(false);
        for (auto& [g, handler] : saved) g->OnStatus = handler;
        if (outcome_ == TOutcome::Installed) totalBar_->SetPosition(100);
        ShowResult(failure);
    }

    void ShowResult(const std::string& failure) {
        TPanelAndHeading& finish = pages_[TPage::Finish];
        switch (outcome_) {
            case TOutcome::Installed:
                finish.title = Tr("Setup has finished");
                resultLbl_->SetCaption(Format(Tr("%s has been installed on your computer."), {Product()}));
                if (install_->RestartNeeded())
                    detailLbl_->SetCaption(Format(
                        Tr("Windows must be restarted to complete the installation. Restart Windows before you use %s."),
                        {Product()}));
                else if (runBox_)
                    runBox_->SetVisible(true);
                break;
            case TOutcome::Cancelled:
                finish.title = Tr("Setup was cancelled");
                resultLbl_->SetCaption(Format(Tr("The installation of %s was cancelled."), {Product()}));
                break;
            case TOutcome::Failed:
                finish.title = Tr("Setup failed");
                resultLbl_->SetCaption(Format(Tr("The installation of %s failed:"), {Product()}));
                detailLbl_->SetCaption(failure);
                break;
        }
        ShowPage(TPage::Finish);
    }

    void Finish() {
        if (runBox_ && runBox_->Visible() && runBox_->Checked()) {
            try {
                StartProgram();
            } catch (const Exception& e) {
                Refuse(e.Message());
            }
        }
        SetModalResult(mrOk);
    }

    void StartProgram() {
        // %i and the other meta variables name the folders of the installation.
        TInstall* previous = MainInstall;
        if (!MainInstall) MainInstall = install_;
        std::string program;
        try {
            program = ExpandMetaVariables(settings_->FinishProgram(), nullptr);
        } catch (...) {
            MainInstall = previous;
            throw;
        }
        MainInstall = previous;
        const std::string command = program.find(' ') != std::string::npos && program.front() != '"'
                                        ? "\"" + program + "\""
                                        : program;
        const platform::UINT code = platform::WinExec(command, platform::SwShowNormal);
        if (code <= 31) Refuse(Format(Tr("%s cannot be started (error %d)."), {program, (long long)code}));
    }

    // ---- leaving

    void CancelClicked() {
        if (page_ == TPage::Progress) {
            AskToStop();
            return;
        }
        if (page_ == TPage::Finish) return;
        if (!Confirm(Tr("The setup is not complete. Do you want to leave it?")))
            return;
        leaving_ = true;
        SetModalResult(mrCancel);
    }

    // The installation stops at the engine's next test of the flag and raises
    // EAIUserAbort there.
    void AskToStop() {
        if (cancelling_ || !running_) return;
        if (!Confirm(Tr("Do you want to cancel the installation?")))
            return;
        cancelling_ = true;
        if (SharedCompress) SharedCompress->SetAbort(true);
        fileLbl_->SetCaption(Tr("Cancelling..."));
        UpdateButtons();
    }

    // The window's close command is Cancel; at the end of a script's input, or after Finish
    // or a confirmed Cancel, the window just closes.
    bool MayClose() {
        if (page_ == TPage::Finish || leaving_) return true;
        if (running_) {
            AskToStop();
            return false;
        }
        if (Application && Application->Terminated()) return true;
        if (!Confirm(Tr("The setup is not complete. Do you want to leave it?")))
            return false;
        leaving_ = true;
        return true;
    }

    TMainInstall* install_;
    TSetupWizard* settings_;
    std::function<void()> run_;
    std::map<TPage, TPanelAndHeading> pages_;
    TPage page_ = TPage::Welcome;
    TOutcome outcome_ = TOutcome::Cancelled;
    bool running_ = false, cancelling_ = false, leaving_ = false, syncing_ = false;

    TLabel* titleLbl_ = nullptr;
    TLabel* subtitleLbl_ = nullptr;
    TButton* backBtn_ = nullptr;
    TButton* nextBtn_ = nullptr;
    TButton* cancelBtn_ = nullptr;
    TCheckBox* licenceBox_ = nullptr;
    TEdit* destEdit_ = nullptr;
    TLabel* neededLbl_ = nullptr;
    TLabel* freeLbl_ = nullptr;
    std::vector<TInstallFileGroup*> groups_;
    std::vector<TCheckBox*> groupBoxes_;
    std::vector<TInstallType> types_;
    TRadioGroup* typeGroup_ = nullptr;
    TLabel* componentsSpaceLbl_ = nullptr;
    TMemo* summary_ = nullptr;
    TLabel* fileLbl_ = nullptr;
    TProgressBar* fileBar_ = nullptr;
    TProgressBar* totalBar_ = nullptr;
    TLabel* resultLbl_ = nullptr;
    TLabel* detailLbl_ = nullptr;
    TCheckBox* runBox_ = nullptr;
};

}  // namespace

int RunSetupWizard(TMainInstall* install, TSetupWizard* settings, const std::function<void()>& runInstallation) {
    if (!install) throw Exception("RunSetupWizard needs the main install object");
    // Without a translator of the installation's own, one of the wizard's for its time.
    std::unique_ptr<TTranslator> own;
    if (!GlobalTranslator) own = std::make_unique<TTranslator>(nullptr);
    AddWizardTexts(GlobalTranslator);
    auto form = std::make_unique<TSetupWizardForm>(install, settings, runInstallation);
    form->Start();
    form->ShowModal();
    const int code = form->ExitCode();
    form.reset();
    return code;
}
