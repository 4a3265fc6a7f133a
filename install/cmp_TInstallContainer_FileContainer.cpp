// File containers and file groups: the compress, install and copy passes, the size sums,
// and the information events that carry progress, disk changes and replacements up the
// container tree.
#include <cmath>

#include "framework/forms.h"
#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"
#include "platform/files.h"

namespace {

using PS = TPathSpecifiers;

bool IsStatusEvent(const std::string& name) {
    return SameText(name, "eieInstallingFile") || SameText(name, "eieCopyingFile") ||
           SameText(name, "eieCompressingFile");
}

[[noreturn]] void Fail(const char* message) { throw Exception(TranslateText(message)); }

// The parameter list of a status or disk event: the install file and a parameter object
// of class P.
template <class P>
std::pair<TInstallFile*, P*> EventParameters(TObject* parameterObject) {
    if (!parameterObject) Fail("The ParameterObject is Nil in the DoInformationEventControl method of the TInstallFileGroup");
    auto* list = dynamic_cast<TList*>(parameterObject);
    if (!list) Fail("DoInformationEventControl--PO is not a TList object");
    if (list->Count() < 2) Fail("DoInformationEventControl--Not engouh parameters for status event");
    auto* file = dynamic_cast<TInstallFile*>(list->Items(0));
    if (!file) Fail("DoInformationEventControl says bad first parameter");
    auto* parameter = dynamic_cast<P*>(list->Items(1));
    if (!parameter) Fail("DoInformationEventControl says bad second parameter");
    return {file, parameter};
}

// Whether a component counts in the size sums: only by its own sets, so a run of
// itCustom counts what is marked for it, unlike the test of Process.
bool CountsInSums(const TInstallContainer& c, bool all) {
    if (all) return true;
    return c.Include() && (c.CurrentInstallType() == TInstallType::itAlways ||
                           c.InstallTypes().Contains(TInstallType::itAlways) ||
                           c.InstallTypes().Contains(c.CurrentInstallType()));
}

// part / whole x 100 with halves to even, not capped; 0 when the division fails.
int PercentOf(long long part, long long whole) {
    if (whole == 0) return 0;
    return int(std::nearbyint(double(part) / double(whole) * 100.0));
}

// What a pass changes on a helper it compresses, put back afterwards.
struct SavedArchiveSettings {
    TlzhCommand addToArchive;
    PS archiveFileType;
    std::string archiveFile;
    bool include;
};

}  // namespace

const std::vector<std::string>& FileContainerStateNames() {
    static const std::vector<std::string> names = {"fcsNone", "fcsCompress", "fcsInstall", "fcsCopy"};
    return names;
}

ZARN_DEFINE_CLASS(TFileStatusParameter, TObject, [](auto&) {})
ZARN_DEFINE_CLASS(TDiskParameter, TObject, [](auto&) {})

// ---------------------------------------------------------------------------------------
// TFileContainer

ZARN_DEFINE_CLASS(TFileContainer, TFileRelated, [](TClassBuilder<TFileContainer>& b) {
    using C = TFileContainer;
    b.Enum<TlzhCommand>("AddToArchive", LzhCommandNames(), &C::AddToArchive, &C::SetAddToArchive)
        .Str("ArchiveFile", &C::ArchiveFile, &C::SetArchiveFile)
        .Enum<PS>("ArchiveFileType", PathSpecifierNames(), &C::ArchiveFileType, &C::SetArchiveFileType)
        .Set<TInstallType>("InstallTypes", InstallTypeNames(), &C::InstallTypes, &C::SetInstallTypes)
        .Enum<TFileContainerState>("State", FileContainerStateNames(), &C::State, &C::SetState)
        .Event("OnCloseCopyFileDlg", &C::OnCloseCopyFileDlg)
        .Event("OnNewDisk", &C::OnNewDisk)
        .Event("OnReplacing", &C::OnReplacing)
        .Event("OnShowCopyFileDlg", &C::OnShowCopyFileDlg)
        .Event("OnStatus", &C::OnStatus)
        .Creatable();
})

TFileContainer::TFileContainer(TComponent* owner)
    : TFileRelated(owner), description_(std::make_unique<TStringList>()) {}

TFileContainer::~TFileContainer() {
    description_.reset();
    FreeFiles();
}

void TFileContainer::SetDescription(TStrings* value) { description_->Assign(value); }

int TFileContainer::FileCount() const { return CompCountOf(TInstallFile::StaticClass()); }

TInstallFile* TFileContainer::Files(int index) const {
    return static_cast<TInstallFile*>(Comp(index, TInstallFile::StaticClass()));
}

void TFileContainer::DoNewDisk(TInstallFile* installFile, TDiskParameter* diskParameter) {
    std::string path = diskParameter->Path;
    if (OnNewDisk) {
        OnNewDisk(installFile, diskParameter->DiskNumber, path);
        // The disk change is handled: the file shows no prompt of its own.
        installFile->SetTag(1);
    }
    diskParameter->Path = path;
}

void TFileContainer::DoReplacing(TInstallFile* installFile) {
    if (OnReplacing) OnReplacing(installFile);
    NotifyContainerEvent(this, "ReplacingFile", installFile);
}

void TFileContainer::DoStatus(TInstallFile* installFile, TFileStatusParameter* statusParameter) {
    if (OnStatus) OnStatus(installFile, statusParameter->FilePercentDone, statusParameter->TotalPercentDone);
    NotifyContainerEvent(this, "CopyingFile", statusParameter);
}

void TFileContainer::SetState(TFileContainerState value) {
    // The stored value is always fcsNone: nothing runs while a form is read.
    if (IsLoading()) return;
    TryFinally(
        [&] {
            switch (value) {
            case TFileContainerState::fcsCompress: CompressFiles(false); break;
            case TFileContainerState::fcsInstall: Process(); break;
            case TFileContainerState::fcsCopy: CopyFiles(); break;
            case TFileContainerState::fcsNone: break;
            }
        },
        [&] { state_ = TFileContainerState::fcsNone; });
}

// The frame of a copy or compress pass: its state and events, the container's
// information events around it, the totals its progress counts against; `body` runs only
// for an included container. State is fcsNone again afterwards, also after a failure.
void TFileContainer::RunPass(TFileContainerState state, bool sizeAll, const std::function<void()>& body) {
    state_ = state;
    TryFinally(
        [&] {
            if (OnBeforeProcess) OnBeforeProcess(this);
            if (!include_) return;
            if (container_) container_->DoInformationEventControl(this, "eieBPFileContainer", this);
            ReadSourceInfo();
            totalBytes_ = SizeSum(sizeAll);
            doneBytes_ = 0;
            body();
            if (OnAfterProcess) OnAfterProcess(this);
            if (container_) container_->DoInformationEventControl(this, "eieAPFileContainer", this);
        },
        [&] {
            state_ = TFileContainerState::fcsNone;
            NotifyContainerEvent(this, "DoneCopyingFiles", nullptr);
        });
}

void TFileContainer::CopyFiles() {
    RunPass(TFileContainerState::fcsCopy, false, [&] {
        // The files of this container first, then its sub-containers.
        const int files = FileCount();
        for (int i = 0; i < files; ++i) Files(i)->CopyFile();
        const int containers = FileContainerCount();
        for (int i = 0; i < containers; ++i) FileContainers(i)->CopyFiles();
    });
}

void TFileContainer::FreeFiles() { FreeCompsOf(TInstallFile::StaticClass()); }

void TFileContainer::CompressFiles(bool compressAll) {
    RunPass(TFileContainerState::fcsCompress, compressAll, [&] {
        if (addToArchive_ == TlzhCommand::lzcOverwrite) {
            // A new archive in place of the old one: the files of the pass are added
            // to it one by one, so the old one (and a first disk file beside it) must
            // go first, or they would be appended to it.
            const std::string archive = GetArchiveFile();
            for (const std::string& old : {ChangeFileExt(archive, ".1"), archive})
                if (platform::FileExists(old) && !platform::DeleteFile(old))
                    throw Exception(Format(TranslateText("Cannot delete archive file %s"), {archive}));
        }
        const int n = CompCount();
        for (int i = 0; i < n; ++i) {
            TBaseHelperComponent* h = Comps(i);
            auto* subContainer = dynamic_cast<TFileContainer*>(h);
            auto* file = dynamic_cast<TInstallFile*>(h);
            if (!subContainer && !file) continue;
            auto* related = static_cast<TFileRelated*>(h);
            const SavedArchiveSettings saved{related->AddToArchive(), related->ArchiveFileType(),
                                             related->ArchiveFile(), related->Include()};
            TryFinally(
                [&] {
                    related->SetAddToArchive(TlzhCommand::lzcOnlyAdd);
                    if (compressAll) {
                        related->SetArchiveFileType(PS::ddContainerArchiveFile);
                        related->SetArchiveFile("");
                        related->SetInclude(true);
                    }
                    if (subContainer)
                        subContainer->CompressFiles(compressAll);
                    else
                        file->CompressFile();
                },
                [&] {
                    related->SetAddToArchive(saved.addToArchive);
                    if (compressAll) {
                        related->SetArchiveFileType(saved.archiveFileType);
                        related->SetArchiveFile(saved.archiveFile);
                        related->SetInclude(saved.include);
                    }
                });
        }
    });
}

TInstallFile* TFileContainer::FindFile(const std::string& sourcePath) const {
    const int n = FileCount();
    for (int i = 0; i < n; ++i) {
        TInstallFile* f = Files(i);
        if (SameText(f->SourcePath(), sourcePath)) return f;
    }
    return nullptr;
}

void TFileContainer::ReadArchiveInfo() {
    const TCursor saved = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    TryFinally(
        [&] {
            const int files = FileCount();
            for (int i = 0; i < files; ++i) Files(i)->ReadArchiveInfo();
            const int containers = FileContainerCount();
            for (int i = 0; i < containers; ++i) FileContainers(i)->ReadArchiveInfo();
        },
        [&] {
            if (Screen) Screen->SetCursor(saved);
        });
}

void TFileContainer::ReadSourceInfo() {
    const int files = FileCount();
    for (int i = 0; i < files; ++i) Files(i)->ReadSourceInfo();
    const int containers = FileContainerCount();
    for (int i = 0; i < containers; ++i) FileContainers(i)->ReadSourceInfo();
}

int TFileContainer::CompressedSizeSum(bool all) const {
    long long sum = 0;
    const int files = FileCount();
    for (int i = 0; i < files; ++i)
        if (CountsInSums(*Files(i), all)) sum += Files(i)->CompressedSize();
    const int containers = FileContainerCount();
    for (int i = 0; i < containers; ++i)
        if (CountsInSums(*FileContainers(i), all)) sum += FileContainers(i)->CompressedSizeSum(all);
    return int(sum);
}

int TFileContainer::SizeSum(bool all) const {
    long long sum = 0;
    const int files = FileCount();
    for (int i = 0; i < files; ++i)
        if (CountsInSums(*Files(i), all)) sum += Files(i)->FileSize();
    const int containers = FileContainerCount();
    for (int i = 0; i < containers; ++i)
        if (CountsInSums(*FileContainers(i), all)) sum += FileContainers(i)->SizeSum(all);
    return int(sum);
}

void TFileContainer::DoInformationEventControl(TObject* sender, const std::string& eventName,
                                               TObject* parameterObject) {
    // A container that runs no pass neither handles nor hands on its files' events.
    if (state_ == TFileContainerState::fcsNone) return;
    if (IsStatusEvent(eventName)) {
        auto [file, p] = EventParameters<TFileStatusParameter>(parameterObject);
        p->TotalDone = doneBytes_ + p->BytesDone;
        p->TotalPercentDone = PercentOf(p->TotalDone, totalBytes_);
        DoStatus(file, p);
        if (p->FileStats.Finished) doneBytes_ += p->FileStats.FileSize;
    } else if (SameText(eventName, "eieReplaceInstallFile")) {
        if (!parameterObject) Fail("The ParameterObject is Nil in the DoInformationEventControl method of the TFileContainer");
        auto* file = dynamic_cast<TInstallFile*>(parameterObject);
        if (!file) Fail("DoInformationEventControl parameter is not TInstallFile");
        DoReplacing(file);
    } else if (SameText(eventName, "eieChangeDisk")) {
        auto [file, disk] = EventParameters<TDiskParameter>(parameterObject);
        DoNewDisk(file, disk);
        NotifyContainerEvent(this, "ChangeDisk", parameterObject);
    }
    if (container_) container_->DoInformationEventControl(this, eventName, parameterObject);
}

void TFileContainer::Install() {
    state_ = TFileContainerState::fcsInstall;
    // Whatever an earlier operation left in the stop request is not this pass's abort.
    SharedCompress->SetAbort(false);
    TryFinally(
        [&] {
            ReadArchiveInfo();
            NotifyContainerEvent(this, "eccBeforeInstallFileGroup", nullptr);
            if (container_) container_->DoInformationEventControl(this, "eieBPFileContainer", this);
            totalBytes_ = SizeSum(false);
            doneBytes_ = 0;
            if (OnShowCopyFileDlg) OnShowCopyFileDlg(this);
            // The helpers in list order, as the base does. A sub-container's pass ends by
            // setting the stop request; what counts for this pass is whether that pass
            // was stopped.
            processed_ = true;
            const int n = CompCount();
            for (int i = 0; i < n; ++i) {
                TBaseHelperComponent* h = Comps(i);
                if (!h->AutoProcess()) continue;
                auto* sub = dynamic_cast<TFileContainer*>(h);
                if (sub) sub->lastPassAborted_ = SharedCompress->Abort();
                h->Process();
                if (sub) SharedCompress->SetAbort(sub->lastPassAborted_);
            }
            if (container_) container_->DoInformationEventControl(this, "eieAPFileContainer", this);
        },
        [&] {
            const bool wasAborted = SharedCompress->Abort();
            lastPassAborted_ = wasAborted;
            SharedCompress->SetAbort(true);
            TryFinally(
                [&] {
                    NotifyContainerEvent(this, "DoneCopyingFiles", nullptr);
                    if (OnCloseCopyFileDlg) OnCloseCopyFileDlg(this, wasAborted);
                },
                [&] { state_ = TFileContainerState::fcsNone; });
        });
}

// ---------------------------------------------------------------------------------------
// TInstallFileGroup

ZARN_DEFINE_CLASS(TInstallFileGroup, TFileContainer, [](TClassBuilder<TInstallFileGroup>& b) {
    using G = TInstallFileGroup;
    b.Bool("AllowChoice", &G::AllowChoice, &G::SetAllowChoice)
        .Bool("AllowChangeDir", &G::AllowChangeDir, &G::SetAllowChangeDir)
        .Object<TStringList>("Description", &G::Description)
        .Str("DestDir", &G::DestDir, &G::SetDestDir)
        .Enum<PS>("DestDirType", PathSpecifierNames(), &G::DestDirType, &G::SetDestDirType)
        .Bool("Include", &G::Include, &G::SetInclude)
        .Str("GroupName", &G::GroupName, &G::SetGroupName)
        .Int<int>("Order", &G::Order, &G::SetOrder)
        .Event<void(TInstallContainer*)>("OnAfterProcess", &G::OnAfterProcess)
        .Event<void(TInstallContainer*)>("OnBeforeProcess", &G::OnBeforeProcess)
        .Creatable();
})

TInstallFileGroup::TInstallFileGroup(TComponent* owner) : TFileContainer(owner) {
    autoProcess_ = true;
    include_ = true;
    processRank_ = 1000;
    // Only a designer attaches a new group to a container (the main install object).
    if (container_)
        groupName_ = "Group #" + IntToStr(container_->FileContainerCount());
    else
        groupName_ = "Unnamed File Group";
}

void TInstallFileGroup::RemoveMissingFiles() {
    for (int i = FileCount() - 1; i >= 0; --i) {
        if (i >= FileCount()) continue;
        TInstallFile* f = Files(i);
        if (platform::FileExists(f->SourcePath())) continue;
        RemoveComp(f);
        delete f;
    }
}

std::string TInstallFileGroup::NameForLinks() const { return groupName_ + ".lnk"; }
