#include "installer/cmp_TMainInstall.h"

#include "framework/paths.h"
#include "platform/files.h"
#include "platform/system.h"
#include "registration/routines_UninstallLog.h"

namespace {

using PS = TPathSpecifiers;

constexpr const char* RestartProgramName = "ZRESTART.EXE";

void ApplyTo(TInstallContainer* c, TInstallType type) {
    c->SetCurrentInstallType(type);
    for (int i = 0; i < c->CompCount(); ++i) ApplyTo(c->Comps(i), type);
}

// The live install file called `name`; the one waiting for the restart first.
TInstallFile* FindInstallFile(const std::string& name) {
    TInstallFile* found = nullptr;
    if (!InstallContainers) return nullptr;
    for (TInstallContainer* c : *InstallContainers) {
        if (!c->IsInstallFile() || !SameText(c->Name(), name)) continue;
        auto* f = static_cast<TInstallFile*>(c);
        if (f->PendingReboot()) return f;
        if (!found) found = f;
    }
    return found;
}

}  // namespace

ZARN_DEFINE_CLASS(TMainInstall, TInstall, [](TClassBuilder<TMainInstall>& b) {
    using I = TMainInstall;
    b.Str("ProductName", &I::ProductName, &I::SetProductName)
        .Str("ProductVersion", &I::ProductVersion, &I::SetProductVersion)
        .Str("Publisher", &I::Publisher, &I::SetPublisher)
        .Str("LoadingFolder", &I::LoadingFolder, &I::SetLoadingFolder)
        .Str("DestDir", &I::DestDir, &I::SetDestDir)
        .Enum<PS>("DestDirType", PathSpecifierNames(), &I::DestDirType, &I::SetDestDirType)
        .Enum<TInstallType>("InstallType", InstallTypeNames(), &I::InstallType, &I::SetInstallType)
        .Str("RestartProgram", &I::RestartProgram, &I::SetRestartProgram)
        .Event<void(TInstallContainer*)>("OnInstallTypeDialog", &I::OnInstallTypeDialog)
        .Event<void(TInstallContainer*)>("OnBeforeProcess", &I::OnBeforeProcess)
        .Event<void(TInstallContainer*)>("OnAfterProcess", &I::OnAfterProcess)
        .Creatable();
})

TMainInstall::TMainInstall(TComponent* owner) : TInstall(owner), startFolder_(platform::GetCurrentDirectory()) {
    if (!MainInstall) MainInstall = this;
}

TMainInstall::~TMainInstall() {
    if (MainInstall == this) MainInstall = nullptr;
}

std::string TMainInstall::LoadingDir() const {
    return RemoveTrailingBackslash(loadingFolder_.empty() ? startFolder_ : loadingFolder_);
}

void TMainInstall::SetInstallType(TInstallType v) {
    installType_ = v;
    ApplyInstallType();
}

void TMainInstall::ApplyInstallType() { ApplyTo(this, installType_); }

void TMainInstall::Process() {
    ApplyInstallType();
    TUninstallLogSession log("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ProductName());
    TInstall::Process();
}

bool TMainInstall::RestartNeeded() const { return ::RestartNeeded || !restartList_.empty(); }

std::string TMainInstall::FindRestartProgram() const {
    if (!restartProgram_.empty()) return restartProgram_;
    const std::string loading = AddTrailingBackslash(LoadingDir()) + RestartProgramName;
    if (platform::FileExists(loading)) return loading;
    return ExtractFilePath(platform::GetModuleFileName()) + RestartProgramName;
}

std::string TMainInstall::CopyRestartProgram() const {
    const std::string program = FindRestartProgram();
    if (!platform::FileExists(program))
        throw Exception(Format(TranslateText("The program that completes the installation after the restart is "
                                             "missing: %s"),
                               {program}));
    // A name of our own in the temporary folder: the installation's media may be gone
    // at the restart. The program removes itself when its work is done.
    const std::string folder = platform::GetTempPath();
    std::string temp;
    if (folder.empty() || platform::GetTempFileName(folder, "zrs", 0, temp) == 0 || temp.empty())
        throw Exception(TranslateText("Cannot create temporary file in OnReplace"));
    const std::string copy = ChangeFileExt(temp, ".exe");
    const bool copied = platform::CopyFile(program, copy, false);
    const platform::DWORD code = platform::GetLastError();
    platform::DeleteFile(temp);
    if (!copied) throw EInOutError(Format("I/O error %d", {(long long)code}), code);
    return copy;
}

void TMainInstall::AddToRestartList(const std::string& text, int kind) {
    std::vector<TRestartItem> items;
    if (kind == 0) {
        // The component is gone after the restart: its server's path and styles are
        // taken now.
        TInstallFile* file = FindInstallFile(text);
        if (!file) return;
        for (bool exe : {false, true}) {
            if (exe ? !file->RegisterAsActiveX_EXEStyle() : !file->RegisterAsActiveX_DLLStyle()) continue;
            items.push_back({0, text, file->DestPath(), exe});
        }
        if (items.empty()) return;
    } else {
        items.push_back({kind, text, {}, false});
    }
    if (!store_.Assigned()) {
        // An earlier run of this installation before the restart left a list of its own:
        // this run's items join it.
        TRestartListStore earlier;
        std::vector<TRestartItem> waiting = LoadRestartList(productName_, earlier);
        restartCopy_ = !earlier.program.empty() && platform::FileExists(earlier.program) ? earlier.program
                                                                                          : CopyRestartProgram();
        restartList_.insert(restartList_.begin(), waiting.begin(), waiting.end());
        if (earlier.Assigned()) store_ = earlier;
        store_.product = productName_;
    }
    restartList_.insert(restartList_.end(), items.begin(), items.end());
    SaveRestartList(store_, restartCopy_, restartList_);
}

void RegisterInstallerClasses() { RegisterClasses({&TMainInstall::StaticClass()}); }
