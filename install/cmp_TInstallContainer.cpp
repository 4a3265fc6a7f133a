#include "install/cmp_TInstallContainer.h"

#include <algorithm>

#include "archive/cmp_TZarnCompress.h"
#include "framework/paths.h"

std::vector<TInstallContainer*>* InstallContainers = nullptr;
std::vector<TBaseBriskoForm*>* BaseForms = nullptr;
TInstall* MainInstall = nullptr;

namespace {

using PS = TPathSpecifiers;

// Containers destroyed so far: a walk over a snapshot of the live ones needs to check
// each one only once some container has gone during the walk.
std::size_t g_containersDestroyed = 0;

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

// ---------------------------------------------------------------------------------------
// Path properties

namespace {

constexpr TPathSpecifiersSet SystemKinds{PS::ddSystem,         PS::ddWindows,      PS::ddProgramFilesDir,
                                         PS::ddCommonFilesDir, PS::ddDesktopMenuDir, PS::ddProgramMenuDir,
                                         PS::ddStartMenuDir,   PS::ddFontDir,        PS::ddStartUpMenuDir};

// The DestDir kinds only helpers resolve (plain containers refuse them).
constexpr TPathSpecifiersSet HelperDestDirKinds{PS::ddContainerDestDir, PS::ddMainInstallDir};

TPathProperty MakeDestDirProperty() {
    TPathProperty p;
    p.settable = p.resolvable = SystemKinds | TPathSpecifiersSet{PS::ddAbsolute, PS::ddContainerDestDir, PS::ddMainInstallDir};
    p.notAllowed = "That path specifier is not allowed for the DestDir property for %s";
    p.setMissing[int(PS::ddContainerDestDir)] =
        "Cannot set the DestDir property of %s because the Container property is Nil";
    p.setMissing[int(PS::ddMainInstallDir)] = "Cannot set the DestDir property of %s because there is no Install component";
    p.expandMissing[int(PS::ddContainerDestDir)] = "Cannot expand the DestDir of %s because the Container is Nil";
    p.expandMissing[int(PS::ddMainInstallDir)] =
        "Cannot expand the DestDir of %s because there is no TInstall component";
    return p;
}

TPathProperty MakeArchiveFileProperty() {
    TPathProperty p;
    p.settable = p.resolvable = {PS::ddAbsolute,       PS::ddSystem,  PS::ddWindows,          PS::ddProgramFilesDir,
                                 PS::ddCommonFilesDir, PS::ddLoading, PS::ddContainerDestDir, PS::ddContainerArchiveFile};
    p.notAllowed = "That path specifier is not allowed for the ArchiveFile property for %s";
    p.setMissing[int(PS::ddLoading)] = "Cannot set the ArchiveFile property of %s because there is not TInstall";
    p.setMissing[int(PS::ddContainerDestDir)] = p.setMissing[int(PS::ddContainerArchiveFile)] =
        "Cannot set the ArchiveFile property of %s because the Container property is Nil";
    p.expandMissing[int(PS::ddLoading)] = "Cannot expand the ArchiveFile property of %s because there is no TInstall";
    p.expandMissing[int(PS::ddContainerDestDir)] =
        "Cannot expand the ArchiveFile property of %s because the Container is Nil";
    p.expandMissing[int(PS::ddContainerArchiveFile)] = "Cannot expand the ArchiveFile of %s because the Container is Nil";
    p.containerNotFileRelated = "Cannot expand the ArchiveFile of %s because the Container is not TFileRelated";
    return p;
}

// A link's target: the setter takes fewer kinds than the resolver, which also resolves
// the menu folders a form description may hold; most folder kinds keep what the text
// ends with.
TPathProperty MakeObjectLocationProperty() {
    TPathProperty p;
    p.settable = {PS::ddAbsolute,       PS::ddSystem,           PS::ddWindows,   PS::ddProgramFilesDir,
                  PS::ddCommonFilesDir, PS::ddContainerDestDir, PS::ddObjectLink};
    p.resolvable = p.settable | TPathSpecifiersSet{PS::ddDesktopMenuDir, PS::ddProgramMenuDir, PS::ddStartMenuDir};
    p.keepEnd = {PS::ddProgramFilesDir, PS::ddCommonFilesDir, PS::ddContainerDestDir,
                 PS::ddDesktopMenuDir,  PS::ddProgramMenuDir, PS::ddStartMenuDir};
    p.translated = false;
    p.notAllowed = "That path specifier is not allowed for the ObjectLocation property for %s";
    p.setMissing[int(PS::ddContainerDestDir)] =
        "Cannot set the ObjectLocation property of %s because the Container property is Nil";
    p.setMissing[int(PS::ddObjectLink)] = "Cannot set the ObjectLocation property of %s because the ObjectLink property is Nil";
    p.expandMissing[int(PS::ddContainerDestDir)] =
        "Cannot expand the ObjectLocation property of %s because the Container is Nil";
    p.expandMissing[int(PS::ddObjectLink)] = "Cannot expand the ObjectLocation property of %s because the ObjectLink is Nil";
    return p;
}

// Whether the object `kind` is taken from is there.
bool HasSource(TPathSpecifiers kind, const TPathOwner& owner) {
    switch (kind) {
    case PS::ddLoading:
    case PS::ddMainInstallDir:
        return MainInstall != nullptr;
    case PS::ddContainerDestDir:
    case PS::ddContainerArchiveFile:
        return owner.container != nullptr;
    case PS::ddObjectLink:
        return owner.objectLink != nullptr;
    default:
        return true;
    }
}

}  // namespace

const TPathProperty DestDirProperty = MakeDestDirProperty();
const TPathProperty ArchiveFileProperty = MakeArchiveFileProperty();
const TPathProperty ObjectLocationProperty = MakeObjectLocationProperty();

void TPathProperty::Raise(const char* message, const TPathOwner& owner) const {
    const std::string name = owner.component ? owner.component->Name() : std::string();
    throw Exception(Format(translated ? TranslateText(message) : std::string(message), {name}));
}

void TPathProperty::Check(TPathSpecifiers kind, const TPathOwner& owner, TPathSpecifiersSet accepted) const {
    if (int(kind) >= PathSpecifierCount || !accepted.Contains(kind)) Raise(notAllowed, owner);
    if (!HasSource(kind, owner) && setMissing[int(kind)]) Raise(setMissing[int(kind)], owner);
}

std::string TPathProperty::Resolve(TPathSpecifiers kind, const std::string& text, const TPathOwner& owner,
                                   TPathSpecifiersSet kinds) const {
    if (int(kind) >= PathSpecifierCount || !kinds.Contains(kind)) Raise(notAllowed, owner);
    if (!HasSource(kind, owner)) Raise(expandMissing[int(kind)] ? expandMissing[int(kind)] : notAllowed, owner);
    std::string base;
    switch (kind) {
    case PS::ddAbsolute:
        return RemoveTrailingBackslash(text);
    case PS::ddLoading:
        base = MainInstall->LoadingDir();
        break;
    case PS::ddMainInstallDir:
        base = MainInstall->GetDestDir();
        break;
    case PS::ddContainerDestDir:
        base = owner.container->GetDestDir();
        break;
    case PS::ddContainerArchiveFile: {
        auto* related = dynamic_cast<TFileRelated*>(owner.container);
        if (!related) Raise(containerNotFileRelated ? containerNotFileRelated : notAllowed, owner);
        base = related->GetArchiveFile();
        break;
    }
    case PS::ddObjectLink:
        return owner.objectLink->LinkTarget();
    default: {
        std::optional<std::string> folder = SystemFolderOf(kind);
        if (!folder) Raise(notAllowed, owner);
        base = *folder;
        break;
    }
    }
    if (keepEnd.Contains(kind)) return base + text;
    return RemoveTrailingBackslash(RemoveTrailingBackslash(base) + text);
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
    const std::size_t destroyed = ++g_containersDestroyed;
    // Nobody may keep a reference to this container: every other live container hears of
    // its end, last created first. A container that reacts by destroying itself (a link
    // whose target goes) leaves the list on the way, so once one has gone, each is checked
    // before its turn (checking them all would make tearing down a tree of thousands of
    // files take a noticeable time).
    if (InstallContainers) {
        std::vector<TInstallContainer*> snapshot(*InstallContainers);
        for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
            if (*it == this || (g_containersDestroyed != destroyed && !IsLiveContainer(*it))) continue;
            if (!(*it)->destroying_) (*it)->ContainerDestroyed(this);
        }
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

int TInstallContainer::FileContainerCount() const { return CompCountOf(TFileContainer::StaticClass()); }

TFileContainer* TInstallContainer::FileContainers(int index) const {
    return static_cast<TFileContainer*>(Comp(index, TFileContainer::StaticClass()));
}

void TInstallContainer::SetDestDir(const std::string& value) { destDir_ = value; }

void TInstallContainer::SetDestDirType(TPathSpecifiers value) {
    if (!IsLoading()) DestDirProperty.Check(value, {this}, allowedDestDirTypes_);
    destDirType_ = value;
}

void TInstallContainer::SetInfoStrings(TStrings* value) { infoStrings_->Assign(value); }

void TInstallContainer::ContainerDestroyed(TInstallContainer* obj) { RemoveComp(obj); }

void TInstallContainer::DoInformationEventControl(TObject*, const std::string&, TObject*) {}

void TInstallContainer::ContainerEvent(TInstallContainer*, const std::string&, TObject*) {}

std::string TInstallContainer::GetDestDir() {
    return DestDirProperty.Resolve(destDirType_, destDir_, {this}, DestDirProperty.resolvable - HelperDestDirKinds);
}

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

bool TInstallContainer::IsInstallFile() const { return false; }
bool TInstallContainer::IsUninstallProgram() const { return false; }
std::string TInstallContainer::LinkTarget() { return GetDestDir(); }
std::string TInstallContainer::NameForLinks() const { return Name() + ".lnk"; }

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
    if (!IsLoading()) DestDirProperty.Check(value, {this, container_}, allowedDestDirTypes_);
    destDirType_ = value;
}

void TBaseHelperComponent::ContainerDestroyed(TInstallContainer* obj) {
    TInstallContainer::ContainerDestroyed(obj);
    if (obj && obj == container_) SetContainer(nullptr);
}

std::string TBaseHelperComponent::GetDestDir() {
    return DestDirProperty.Resolve(destDirType_, destDir_, {this, container_});
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
    if (!IsLoading()) ArchiveFileProperty.Check(value, {this, container_});
    archiveFileType_ = value;
}

std::string TFileRelated::GetArchiveFile() {
    return ArchiveFileProperty.Resolve(archiveFileType_, archiveFile_, {this, container_});
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
                     &TFileRelated::StaticClass(), &TFileContainer::StaticClass(),
                     &TInstallFileGroup::StaticClass(), &TInstallFile::StaticClass(),
                     &TBaseBriskoForm::StaticClass()});
}
