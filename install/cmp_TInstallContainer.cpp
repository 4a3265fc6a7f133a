#include "install/cmp_TInstallContainer.h"

#include <algorithm>

#include "archive/cmp_TZarnCompress.h"

std::vector<TInstallContainer*>* InstallContainers = nullptr;
std::vector<TBaseBriskoForm*>* BaseForms = nullptr;
TInstall* MainInstall = nullptr;

namespace {

using PS = TPathSpecifiers;

bool IsLiveContainer(TInstallContainer* c) {
    return InstallContainers && std::find(InstallContainers->begin(), InstallContainers->end(), c) != InstallContainers->end();
}

bool IsLiveBaseForm(TBaseBriskoForm* f) {
    return BaseForms && std::find(BaseForms->begin(), BaseForms->end(), f) != BaseForms->end();
}

// Tells every live install container, then every base form, that the translator's target
// language changed. Handlers may destroy components, so each is checked before its turn.
void NotifyLanguageChanged(TZarnLanguage newLanguage) {
    if (InstallContainers) {
        std::vector<TInstallContainer*> snapshot(*InstallContainers);
        for (TInstallContainer* c : snapshot)
            if (IsLiveContainer(c)) c->LanguageChanged(newLanguage);
    }
    if (BaseForms) {
        std::vector<TBaseBriskoForm*> snapshot(*BaseForms);
        for (TBaseBriskoForm* f : snapshot)
            if (IsLiveBaseForm(f)) f->LanguageChanged(newLanguage);
    }
}

std::string Msg(const std::string& text, const std::string& name) { return Format(TranslateText(text), {name}); }

}  // namespace

const std::vector<std::string>& InstallTypeNames() {
    static const std::vector<std::string> names = {"itFull", "itDefault", "itCompact", "itAlways", "itCustom"};
    return names;
}

void InitialiseInstallContainers() {
    if (!BaseForms) BaseForms = new std::vector<TBaseBriskoForm*>();
    InitialiseSharedCompress();
    if (!InstallContainers) InstallContainers = new std::vector<TInstallContainer*>();
    SetLanguageChangeHook(&NotifyLanguageChanged);
}

bool InheritsFromClassName(const TObject* obj, const std::string& className) {
    if (!obj) return false;
    for (const TClassInfo* c = &obj->ClassType(); c; c = c->parent)
        if (SameText(c->name, className)) return true;
    return false;
}

// ---------------------------------------------------------------------------------------
// Exceptions

EAIICBadCompCall::EAIICBadCompCall(int index, const TClassInfo* compClass)
    : EAIIC(TranslateText("Bad call to the Comp procedure which returns a TBaseHelperComponent for a "
                          "TInstallContainer component. The parameters are probably reversed.")),
      Index(index),
      CompClass(compClass) {}

EAIICAddingNilHelperComponent::EAIICAddingNilHelperComponent(TInstallContainer* container)
    : EAIIC(Msg("Tried to add a NIL helper component to the following container: %s", container ? container->Name() : "")),
      Container(container) {}

// ---------------------------------------------------------------------------------------
// TInstallContainer

ZARN_DEFINE_CLASS(TInstallContainer, TComponent, [](auto&) {})

TInstallContainer::TInstallContainer(TComponent* owner)
    : TComponent(owner),
      allowedDestDirTypes_{PS::ddAbsolute,       PS::ddSystem,         PS::ddWindows,      PS::ddProgramFilesDir,
                           PS::ddCommonFilesDir, PS::ddDesktopMenuDir, PS::ddProgramMenuDir, PS::ddStartMenuDir,
                           PS::ddFontDir,        PS::ddStartUpMenuDir},
      infoStrings_(std::make_unique<TStringList>()) {
    if (InstallContainers) InstallContainers->push_back(this);
}

TInstallContainer::~TInstallContainer() {
    destroying_ = true;
    // Nobody may keep a reference to this container: every other live container hears of
    // its end, last created first. A container that reacts by destroying itself (a link
    // whose target goes) leaves the list on the way, so each one is checked before its turn.
    if (InstallContainers) {
        std::vector<TInstallContainer*> snapshot(*InstallContainers);
        for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
            if (*it != this && IsLiveContainer(*it) && !(*it)->destroying_) (*it)->ContainerDestroyed(this);
    }
    comps_.clear();
    infoStrings_.reset();
    if (InstallContainers)
        InstallContainers->erase(std::remove(InstallContainers->begin(), InstallContainers->end(), this),
                                 InstallContainers->end());
    if (MainInstall == this) MainInstall = nullptr;
}

void TInstallContainer::Loaded() { TComponent::Loaded(); }

TBaseHelperComponent* TInstallContainer::Comps(int index) const {
    if (index < 0 || index >= CompCount())
        throw Exception(Format(TranslateText("Tried to reference a helper component in the following component: %s. "
                                             "The following index was used: %d"),
                               {Name(), (long long)index}));
    return comps_[std::size_t(index)];
}

TBaseHelperComponent* TInstallContainer::Comp(int index, const TClassInfo& compClass) const {
    if (index >= 0) {
        int n = 0;
        for (TBaseHelperComponent* h : comps_)
            if (h->InheritsFrom(compClass) && n++ == index) return h;
    }
    throw EAIICBadCompCall(index, &compClass);
}

int TInstallContainer::CompCountOf(const TClassInfo& compClass) const {
    return int(std::count_if(comps_.begin(), comps_.end(), [&](TBaseHelperComponent* h) { return h->InheritsFrom(compClass); }));
}

void TInstallContainer::FreeCompsOf(const TClassInfo& compClass) {
    for (int i = CompCount() - 1; i >= 0; --i) {
        if (i >= CompCount()) continue;
        TBaseHelperComponent* h = comps_[std::size_t(i)];
        if (h->InheritsFrom(compClass)) delete h;
    }
}

void TInstallContainer::NotifyContainerEvent(TInstallContainer* sender, const std::string& eventName,
                                             TObject* parameter) {
    for (int i = 0; i < CompCount(); ++i) {
        TBaseHelperComponent* h = comps_[std::size_t(i)];
        if (eventTarget_) {
            if (static_cast<TInstallContainer*>(h) == static_cast<TInstallContainer*>(eventTarget_))
                h->ContainerEvent(sender, eventName, parameter);
        } else if (h->ProcessRank() == 9000) {
            h->ContainerEvent(sender, eventName, parameter);
        }
    }
}

void TInstallContainer::RenumberOrders() {
    int k = 0;
    int rank = -1;
    for (TBaseHelperComponent* h : comps_) {
        if (h->processRank_ != rank) k = 0;
        h->order_ = k++;
        rank = h->processRank_;
    }
}

bool TInstallContainer::PassesInstallTypeTest() const {
    return currentInstallType_ == TInstallType::itAlways || currentInstallType_ == TInstallType::itCustom ||
           installTypes_.Contains(TInstallType::itAlways) || installTypes_.Contains(currentInstallType_);
}

int TInstallContainer::FileContainerCount() const {
    return int(std::count_if(comps_.begin(), comps_.end(),
                             [](TBaseHelperComponent* h) { return InheritsFromClassName(h, "TFileContainer"); }));
}

TBaseHelperComponent* TInstallContainer::FileContainers(int index) const {
    const TClassInfo* cls = FindClass("TFileContainer");
    if (!cls) throw EAIICBadCompCall(index, nullptr);
    return Comp(index, *cls);
}

void TInstallContainer::SetDestDir(const std::string& value) { destDir_ = value; }

void TInstallContainer::DestDirNotAllowed() const {
    throw Exception(Msg("That path specifier is not allowed for the DestDir property for %s", Name()));
}

void TInstallContainer::SetDestDirType(TPathSpecifiers value) {
    if (!IsLoading() && (int(value) >= PathSpecifierCount || !allowedDestDirTypes_.Contains(value)))
        DestDirNotAllowed();
    destDirType_ = value;
}

void TInstallContainer::SetInfoStrings(TStrings* value) { infoStrings_->Assign(value); }

void TInstallContainer::ContainerDestroyed(TInstallContainer* obj) { RemoveComp(obj); }

void TInstallContainer::DoInformationEventControl(TObject*, const std::string&, TObject*) {}

void TInstallContainer::ContainerEvent(TInstallContainer*, const std::string&, TObject*) {}

std::string TInstallContainer::ResolveCommonDestDir() {
    if (destDirType_ == PS::ddAbsolute) return RemoveTrailingBackslash(destDir_);
    std::optional<std::string> base = SystemFolderOf(destDirType_);
    if (!base) DestDirNotAllowed();
    return RemoveTrailingBackslash(RemoveTrailingBackslash(*base) + destDir_);
}

std::string TInstallContainer::GetDestDir() { return ResolveCommonDestDir(); }

void TInstallContainer::FreeComps() {
    for (int i = CompCount() - 1; i >= 0; --i) {
        if (i >= CompCount()) continue;
        TBaseHelperComponent* h = comps_[std::size_t(i)];
        h->FreeComps();
        // The helper's own helpers may have taken others of this list with them.
        if (i < CompCount() && comps_[std::size_t(i)] == h) delete h;
    }
}

bool TInstallContainer::ContainsComp(TInstallContainer* comp) const {
    for (auto it = comps_.rbegin(); it != comps_.rend(); ++it) {
        if (static_cast<TInstallContainer*>(*it) == comp) return true;
        if ((*it)->ContainsComp(comp)) return true;
    }
    return false;
}

void TInstallContainer::Process() {
    try {
        if (OnBeforeProcess) OnBeforeProcess(this);
        NotifyContainerEvent(this, "eccBeforeProcess", nullptr);
        if (!include_) return;
        if (OnInstallTypeDialog) OnInstallTypeDialog(this);
        NotifyContainerEvent(this, "InstallTypeDialog", nullptr);
        if (!PassesInstallTypeTest()) return;
        Install();
        processed_ = true;
        if (MainInstall)
            WriteUninstallInfo("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + MainInstall->ProductName());
        if (OnAfterProcess) OnAfterProcess(this);
        NotifyContainerEvent(this, "eccAfterProcess", nullptr);
    } catch (const EAbort&) {
        // A silent abort skips the rest of this component quietly.
    }
}

void TInstallContainer::Install() {
    processed_ = true;
    const int n = CompCount();
    for (int i = 0; i < n; ++i) {
        TBaseHelperComponent* h = Comps(i);
        if (h->AutoProcess()) h->Process();
    }
}

void TInstallContainer::RegisterServer() {}

void TInstallContainer::LanguageChanged(TZarnLanguage) {}

void TInstallContainer::WriteUninstallInfo(const std::string&) {}

void TInstallContainer::AddComp(TBaseHelperComponent* comp) {
    if (!comp) throw EAIICAddingNilHelperComponent(this);
    if (static_cast<TInstallContainer*>(comp) == this) throw EAIICCircularInstallContainer("Circular reference");
    auto* self = dynamic_cast<TBaseHelperComponent*>(this);
    for (TInstallContainer* up = self ? self->Container() : nullptr; up;) {
        if (up == static_cast<TInstallContainer*>(comp))
            throw EAIICCircularInstallContainer(Format(TranslateText("Circular reference: Tried to add: %s to %s"),
                                                       {comp->Name(), Name()}));
        auto* helper = dynamic_cast<TBaseHelperComponent*>(up);
        up = helper ? helper->Container() : nullptr;
        // A loop that does not pass through this container (made while loading, when
        // nothing is checked) must not hang the walk.
        if (up == static_cast<TInstallContainer*>(self)) break;
    }
    std::size_t pos = comps_.size();
    for (std::size_t i = 0; i < comps_.size(); ++i) {
        TBaseHelperComponent* h = comps_[i];
        if (h->processRank_ > comp->processRank_ ||
            (h->processRank_ == comp->processRank_ && comp->order_ != -1 && h->order_ >= comp->order_)) {
            pos = i;
            break;
        }
    }
    if (SameText(comp->ClassName(), "TINSTALLBDE")) pos = 0;
    comps_.insert(comps_.begin() + std::ptrdiff_t(pos), comp);
    if (!IsLoading()) RenumberOrders();
}

void TInstallContainer::RemoveComp(TInstallContainer* comp) {
    if (!comp) return;
    auto it = std::find_if(comps_.begin(), comps_.end(),
                           [comp](TBaseHelperComponent* h) { return static_cast<TInstallContainer*>(h) == comp; });
    if (it == comps_.end()) return;
    comps_.erase(it);
    if (!IsLoading()) RenumberOrders();
}

// ---------------------------------------------------------------------------------------
// TBaseHelperComponent

ZARN_DEFINE_CLASS(TBaseHelperComponent, TInstallContainer, [](TClassBuilder<TBaseHelperComponent>& b) {
    b.Ref("Container", &TInstallContainer::StaticClass(), &TBaseHelperComponent::SetContainer);
})

TBaseHelperComponent::TBaseHelperComponent(TComponent* owner) : TInstallContainer(owner) {
    if (IsDesigning() && MainInstall) {
        autoAttached_ = true;
        MainInstall->AddComp(this);
        container_ = MainInstall;
        destDirType_ = PS::ddContainerDestDir;
        destDir_.clear();
    }
    allowedDestDirTypes_.Include(PS::ddContainerDestDir).Include(PS::ddMainInstallDir);
}

TBaseHelperComponent::~TBaseHelperComponent() = default;

void TBaseHelperComponent::Loaded() {
    if (autoAttached_ && !containerAssigned_) SetContainer(nullptr);
    autoAttached_ = false;
    TInstallContainer::Loaded();
}

void TBaseHelperComponent::SetDestDirType(TPathSpecifiers value) {
    if (!IsLoading()) {
        if (value == PS::ddContainerDestDir && !container_)
            throw Exception(Msg("Cannot set the DestDir property of %s because the Container property is Nil", Name()));
        if (value == PS::ddMainInstallDir && !MainInstall)
            throw Exception(Msg("Cannot set the DestDir property of %s because there is no Install component", Name()));
    }
    TInstallContainer::SetDestDirType(value);
}

void TBaseHelperComponent::ContainerDestroyed(TInstallContainer* obj) {
    TInstallContainer::ContainerDestroyed(obj);
    if (obj && obj == container_) SetContainer(nullptr);
}

std::string TBaseHelperComponent::GetDestDir() {
    if (destDirType_ == PS::ddContainerDestDir) {
        if (!container_) throw Exception(Msg("Cannot expand the DestDir of %s because the Container is Nil", Name()));
        return RemoveTrailingBackslash(RemoveTrailingBackslash(container_->GetDestDir()) + destDir_);
    }
    if (destDirType_ == PS::ddMainInstallDir) {
        if (!MainInstall)
            throw Exception(Msg("Cannot expand the DestDir of %s because there is no TInstall component", Name()));
        return RemoveTrailingBackslash(RemoveTrailingBackslash(MainInstall->GetDestDir()) + destDir_);
    }
    return ResolveCommonDestDir();
}

void TBaseHelperComponent::SetContainer(TInstallContainer* value) {
    containerAssigned_ = true;
    if (value == container_) return;
    ChangeContainer(value);
}

void TBaseHelperComponent::ChangeContainer(TInstallContainer* value) {
    if (value) value->AddComp(this);
    if (container_) container_->RemoveComp(this);
    container_ = value;
    if (IsLoading()) return;
    if (container_) {
        destDirType_ = PS::ddContainerDestDir;
        destDir_.clear();
    } else {
        destDirType_ = PS::ddAbsolute;
    }
}

// ---------------------------------------------------------------------------------------
// TFileRelated

ZARN_DEFINE_CLASS(TFileRelated, TBaseHelperComponent, [](auto&) {})

TFileRelated::TFileRelated(TComponent* owner) : TBaseHelperComponent(owner) {
    if (autoAttached_) {
        archiveFileType_ = PS::ddContainerArchiveFile;
        archiveFile_.clear();
    }
}

TFileRelated::~TFileRelated() = default;

void TFileRelated::SetContainer(TInstallContainer* value) {
    containerAssigned_ = true;
    if (value == container_) return;
    ChangeContainer(value);
    if (IsLoading()) return;
    if (container_) {
        archiveFileType_ = PS::ddContainerArchiveFile;
        archiveFile_.clear();
    } else {
        archiveFileType_ = PS::ddAbsolute;
    }
}

void TFileRelated::SetArchiveFile(const std::string& value) { archiveFile_ = value; }

void TFileRelated::SetArchiveFileType(TPathSpecifiers value) {
    if (!IsLoading()) {
        switch (value) {
        case PS::ddAbsolute:
        case PS::ddSystem:
        case PS::ddWindows:
        case PS::ddProgramFilesDir:
        case PS::ddCommonFilesDir:
            break;
        case PS::ddLoading:
            if (!MainInstall)
                throw Exception(Msg("Cannot set the ArchiveFile property of %s because there is not TInstall", Name()));
            break;
        case PS::ddContainerDestDir:
        case PS::ddContainerArchiveFile:
            if (!container_)
                throw Exception(
                    Msg("Cannot set the ArchiveFile property of %s because the Container property is Nil", Name()));
            break;
        default:
            throw Exception(Msg("That path specifier is not allowed for the ArchiveFile property for %s", Name()));
        }
    }
    archiveFileType_ = value;
}

std::string TFileRelated::GetArchiveFile() {
    std::string base;
    switch (archiveFileType_) {
    case PS::ddAbsolute:
        return RemoveTrailingBackslash(archiveFile_);
    case PS::ddSystem:
    case PS::ddWindows:
    case PS::ddProgramFilesDir:
    case PS::ddCommonFilesDir:
        base = *SystemFolderOf(archiveFileType_);
        break;
    case PS::ddLoading:
        if (!MainInstall)
            throw Exception(Msg("Cannot expand the ArchiveFile property of %s because there is no TInstall", Name()));
        base = MainInstall->LoadingDir();
        break;
    case PS::ddContainerDestDir:
        if (!container_)
            throw Exception(Msg("Cannot expand the ArchiveFile property of %s because the Container is Nil", Name()));
        base = container_->GetDestDir();
        break;
    case PS::ddContainerArchiveFile: {
        if (!container_)
            throw Exception(Msg("Cannot expand the ArchiveFile of %s because the Container is Nil", Name()));
        auto* related = dynamic_cast<TFileRelated*>(container_);
        if (!related)
            throw Exception(Msg("Cannot expand the ArchiveFile of %s because the Container is not TFileRelated", Name()));
        base = related->GetArchiveFile();
        break;
    }
    default:
        throw Exception(Msg("That path specifier is not allowed for the ArchiveFile property for %s", Name()));
    }
    return RemoveTrailingBackslash(RemoveTrailingBackslash(base) + archiveFile_);
}

void TFileRelated::SetInstallTypes(TInstallTypeSet value) {
    const bool always = value.Contains(TInstallType::itAlways);
    if (value.Empty() || (always && !installTypes_.Contains(TInstallType::itAlways))) {
        installTypes_ = TInstallTypeSet{TInstallType::itAlways};
        return;
    }
    TInstallTypeSet rest = value;
    rest.Exclude(TInstallType::itAlways);
    installTypes_ = rest.Empty() ? value : rest;
}

void TFileRelated::SetOrder(int value) {
    if (IsLoading()) {
        order_ = value;
        return;
    }
    if (value == order_ || !container_) return;
    TInstallContainer* c = container_;
    c->RemoveComp(this);
    order_ = value;
    c->AddComp(this);
}

// ---------------------------------------------------------------------------------------
// TInstall

ZARN_DEFINE_CLASS(TInstall, TInstallContainer, [](auto&) {})

// ---------------------------------------------------------------------------------------
// TBaseBriskoForm

ZARN_DEFINE_CLASS(TBaseBriskoForm, TForm, [](auto&) {})

TBaseBriskoForm::TBaseBriskoForm(TComponent* owner) : TForm(owner) {
    if (BaseForms) BaseForms->push_back(this);
}

TBaseBriskoForm::~TBaseBriskoForm() {
    if (BaseForms) BaseForms->erase(std::remove(BaseForms->begin(), BaseForms->end(), this), BaseForms->end());
}

void TBaseBriskoForm::LanguageChanged(TZarnLanguage) { TranslateForm(); }

void TBaseBriskoForm::LanguageReserved() {}

void TBaseBriskoForm::TranslateForm() {
    if (TranslateFont) {
        if (UseOwnLanguage)
            TranslateFormFontInto(OwnLanguage, this);
        else
            TranslateFormFont(this);
    }
    if (TranslateControls) {
        if (UseOwnLanguage)
            CurrentLanguage = TranslateFormControlsInto(CurrentLanguage, OwnLanguage, this);
        else
            CurrentLanguage = TranslateFormControls(CurrentLanguage, this);
    }
    if (Application) Application->ProcessMessages();
}

void RegisterInstallClasses() {
    RegisterClasses({&TInstallContainer::StaticClass(), &TBaseHelperComponent::StaticClass(),
                     &TFileRelated::StaticClass(), &TBaseBriskoForm::StaticClass()});
}
