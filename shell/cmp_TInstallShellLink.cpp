#include "shell/cmp_TInstallShellLink.h"

#include <memory>

#include "framework/paths.h"
#include "install/routines_MetaVariables.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/shelllink.h"
#include "platform/system.h"
#include "registration/routines_UninstallLog.h"
#include "shell/cmp_TProgramManager.h"
#include "shell/cmp_TUninstallEXE.h"

namespace {

using PS = TPathSpecifiers;
using LK = TShellLinkKind;
using GK = TShellGroupKind;

template <typename T, typename Pred>
T* FindLast(Pred pred) {
    if (!InstallContainers) return nullptr;
    for (auto it = InstallContainers->rbegin(); it != InstallContainers->rend(); ++it)
        if (auto* c = dynamic_cast<T*>(*it); c && pred(c)) return c;
    return nullptr;
}

// Every live link, for the role resets that touch many at once.
std::vector<TInstallShellLink*> AllLinks() {
    std::vector<TInstallShellLink*> links;
    if (InstallContainers)
        for (TInstallContainer* c : *InstallContainers)
            if (auto* l = dynamic_cast<TInstallShellLink*>(c)) links.push_back(l);
    return links;
}

// Whether `c` is an install file (nil is not).
bool IsAnInstallFile(const TInstallContainer* c) { return c && c->IsInstallFile(); }

std::string ShellErrorText(platform::HRESULT outcome) {
    switch (static_cast<std::uint32_t>(outcome)) {
    case 0x8007000Eu:
        return TranslateText("Out of memory");
    case 0x80070057u:
        return TranslateText("Indicates one or more arguments are invalid");
    case 0x8000FFFFu:
        return TranslateText("Indicates an unexpected error occurred");
    case 0x80040110u:
        return TranslateText("Indicates this class cannot be created as part of an aggregate");
    case 0x80040154u:
        return TranslateText("Indicates that a specified class is not registered in the registration database");
    default:
        return Format(TranslateText("Unknown error. Error value: %d"), {(long long)outcome});
    }
}

}  // namespace

const std::vector<std::string>& ShellLinkKindNames() {
    static const std::vector<std::string> names = {"lkCustom", "lkMainExecutable", "lkLinkToSubFolder",
                                                   "lkLinkInSubFolder", "lkLinkInMainFolder"};
    return names;
}

const std::vector<std::string>& ShellGroupKindNames() {
    static const std::vector<std::string> names = {"gkCustom", "gkMainFolder", "gkMainSubFolder"};
    return names;
}

const std::vector<std::string>& MethodTypeNames() {
    static const std::vector<std::string> names = {"mtAutoDetect", "mtShellLinkInterface", "mtProgramManager"};
    return names;
}

ESHELLCannotInitialize::ESHELLCannotInitialize(std::int32_t errorCode)
    : Exception("Could not initialize IShellLink with following error code returned: " + IntToStr(errorCode)),
      ErrorCode(errorCode) {}

// ---------------------------------------------------------------------------------------
// Role lookups

TShellLinkGroup* FindMainFolder() {
    return FindLast<TShellLinkGroup>([](TShellLinkGroup* g) { return g->GroupKind() == GK::gkMainFolder; });
}
TShellLinkGroup* FindMainSubFolder() {
    return FindLast<TShellLinkGroup>([](TShellLinkGroup* g) { return g->GroupKind() == GK::gkMainSubFolder; });
}
TInstallShellLink* FindMainExecutableLink() {
    return FindLast<TInstallShellLink>([](TInstallShellLink* l) { return l->LinkKind() == LK::lkMainExecutable; });
}
TInstallShellLink* FindLinkToSubFolder() {
    return FindLast<TInstallShellLink>([](TInstallShellLink* l) { return l->LinkKind() == LK::lkLinkToSubFolder; });
}

// ---------------------------------------------------------------------------------------
// TInstallShellLink

ZARN_DEFINE_CLASS(TInstallShellLink, TBaseHelperComponent, [](TClassBuilder<TInstallShellLink>& b) {
    using L = TInstallShellLink;
    b.Str("DestDir", &L::DestDir, &L::SetDestDir)
        .Enum<TPathSpecifiers>("DestDirType", PathSpecifierNames(), &L::DestDirType, &L::SetDestDirType)
        .Int<std::uint16_t>("HotKey", &L::HotKey, &L::SetHotKey)
        .Bool("Include", &L::Include, &L::SetInclude)
        .Enum<TShellLinkKind>("LinkKind", ShellLinkKindNames(), &L::LinkKind, &L::SetLinkKind)
        .Str("LinkName", &L::LinkName, &L::SetLinkName)
        .Enum<TMethodType>("Method", MethodTypeNames(), &L::Method, &L::SetMethod)
        .Ref<TInstallContainer>("ObjectLink", &TInstallContainer::StaticClass(), &L::SetObjectLink)
        .Str("ObjectLocation", &L::ObjectLocation, &L::SetObjectLocation)
        .Enum<TPathSpecifiers>("ObjectLocationType", PathSpecifierNames(), &L::ObjectLocationType,
                               &L::SetObjectLocationType)
        .Str("Parameters", &L::Parameters, &L::SetParameters)
        .Event<void(TInstallContainer*)>("OnAfterProcess", &L::OnAfterProcess)
        .Event<void(TInstallContainer*)>("OnBeforeProcess", &L::OnBeforeProcess)
        .Creatable();
})

TInstallShellLink::TInstallShellLink(TComponent* owner) : TBaseHelperComponent(owner) {
    include_ = true;
    method_ = TMethodType::mtAutoDetect;
    autoProcess_ = true;
    processRank_ = 8000;
}

TInstallShellLink::~TInstallShellLink() = default;

bool TInstallShellLink::HasRole() const {
    return linkKind_ == LK::lkMainExecutable || linkKind_ == LK::lkLinkToSubFolder ||
           linkKind_ == LK::lkLinkInSubFolder || linkKind_ == LK::lkLinkInMainFolder;
}

void TInstallShellLink::SetLinkName(const std::string& value) {
    linkName_ = IsLoading() ? value : ChangeFileExt(value, ".LNK");
}

void TInstallShellLink::SetObjectLocation(const std::string& value) {
    objectLocation_ = objectLocationType_ == PS::ddObjectLink ? std::string() : value;
    if (IsLoading()) return;
    std::string current = Trim(linkName_);
    if (current.empty() || UpperCase(current) == ".LNK") SetLinkName(ChangeFileExt(ExtractFileName(value), ""));
}

void TInstallShellLink::SetObjectLocationType(TPathSpecifiers value) {
    if (!IsLoading()) {
        ObjectLocationProperty.Check(value, {this, container_, objectLink_});
        if (value == PS::ddObjectLink)
            objectLocation_.clear();
        else
            linkKind_ = LK::lkCustom;
    }
    objectLocationType_ = value;
}

void TInstallShellLink::SetObjectLink(TInstallContainer* value) {
    if (IsLoading()) {
        objectLink_ = value;
        return;
    }
    if (!value) {
        objectLink_ = nullptr;
        objectLocationType_ = PS::ddAbsolute;
        if (linkKind_ == LK::lkMainExecutable || linkKind_ == LK::lkLinkInSubFolder ||
            linkKind_ == LK::lkLinkInMainFolder)
            linkKind_ = LK::lkCustom;
        return;
    }
    if (linkKind_ == LK::lkMainExecutable || linkKind_ == LK::lkLinkInSubFolder ||
        linkKind_ == LK::lkLinkInMainFolder) {
        if (!IsAnInstallFile(value))
            throw Exception(
                "For lkMainExecutable, lkLinkInSubFolder, or lkLinkMainFolder ObjectLink must be a TInstallFile");
    } else if (linkKind_ == LK::lkLinkToSubFolder) {
        auto* group = dynamic_cast<TShellLinkGroup*>(value);
        if (!group || group->GroupKind() != GK::gkMainSubFolder)
            throw Exception("For lkLinkToSubFolder, ObjectLink must be a ShellLinkGroup that is the main sub folder");
    }
    objectLocationType_ = PS::ddObjectLink;
    objectLocation_.clear();
    linkName_ = value->NameForLinks();
    if (!container_) SetContainer(value);
    objectLink_ = value;
}

void TInstallShellLink::SetLinkKind(TShellLinkKind value) {
    if (IsLoading()) {
        linkKind_ = value;
        return;
    }
    const char* const needMain = "You must first specify a folder as the main folder";
    const char* const needSub = "You must first specify a folder as the main sub folder";
    const char* const needFile = "You must be pointing to a TInstallFile component with the ObjectLink property";
    switch (value) {
    case LK::lkCustom:
        break;
    case LK::lkMainExecutable: {
        TShellLinkGroup* main = FindMainFolder();
        if (!main) throw Exception(needMain);
        if (TInstallShellLink* previous = FindMainExecutableLink()) previous->linkKind_ = LK::lkCustom;
        if (objectLocationType_ != PS::ddObjectLink) throw Exception("You must the ObjectLocationType set to ddObjectLink");
        if (!IsAnInstallFile(objectLink_)) throw Exception(needFile);
        SetContainer(main);
        break;
    }
    case LK::lkLinkToSubFolder: {
        TShellLinkGroup* main = FindMainFolder();
        if (!main) throw Exception(needMain);
        TShellLinkGroup* sub = FindMainSubFolder();
        if (!sub) throw Exception(needSub);
        if (TInstallShellLink* previous = FindLinkToSubFolder()) previous->linkKind_ = LK::lkCustom;
        SetContainer(main);
        objectLink_ = sub;
        objectLocationType_ = PS::ddObjectLink;
        break;
    }
    case LK::lkLinkInSubFolder: {
        TShellLinkGroup* sub = FindMainSubFolder();
        if (!sub) throw Exception(needSub);
        if (objectLocationType_ != PS::ddObjectLink) throw Exception("You must set the ObjectLocationType to ddObjectLink");
        if (!IsAnInstallFile(objectLink_)) throw Exception(needFile);
        SetContainer(sub);
        break;
    }
    case LK::lkLinkInMainFolder: {
        TShellLinkGroup* main = FindMainFolder();
        if (!main) throw Exception(needMain);
        if (objectLocationType_ != PS::ddObjectLink) throw Exception("You must the ObjectLocationType set to ddObjectLink");
        if (!IsAnInstallFile(objectLink_)) throw Exception(needFile);
        SetContainer(main);
        break;
    }
    }
    linkKind_ = value;
}

void TInstallShellLink::SetContainer(TInstallContainer* value) {
    TBaseHelperComponent::SetContainer(value);
    if (IsLoading()) return;
    auto* group = dynamic_cast<TShellLinkGroup*>(container_);
    switch (linkKind_) {
    case LK::lkMainExecutable:
    case LK::lkLinkToSubFolder:
    case LK::lkLinkInMainFolder:
        if (!group || group->GroupKind() != GK::gkMainFolder) linkKind_ = LK::lkCustom;
        break;
    case LK::lkLinkInSubFolder:
        if (!group || group->GroupKind() != GK::gkMainSubFolder) linkKind_ = LK::lkCustom;
        break;
    case LK::lkCustom:
        break;
    }
}

void TInstallShellLink::SetDestDirType(TPathSpecifiers value) {
    if (!IsLoading() && HasRole()) value = PS::ddContainerDestDir;
    TBaseHelperComponent::SetDestDirType(value);
}

void TInstallShellLink::ContainerDestroyed(TInstallContainer* obj) {
    if (obj && obj == objectLink_) {
        SetObjectLink(nullptr);
        delete this;
        return;
    }
    if (obj && obj == container_) {
        container_ = nullptr;
        delete this;
        return;
    }
    TBaseHelperComponent::ContainerDestroyed(obj);
}

std::string TInstallShellLink::GetObjectLocation() {
    return ObjectLocationProperty.Resolve(objectLocationType_, objectLocation_, {this, container_, objectLink_});
}

void TInstallShellLink::InitializeCom() {
    if (comInitialized_) return;
    platform::LONG result = platform::CoInitialize();
    if (result != 0 && result != 1) throw ESHELLCannotInitialize(result);
    comInitialized_ = true;
}

std::string TInstallShellLink::ShortcutPath() { return AddTrailingBackslash(GetDestDir()) + linkName_; }

void TInstallShellLink::InstallWithShellLink() {
    InitializeCom();
    if (auto* group = dynamic_cast<TShellLinkGroup*>(objectLink_)) ForceDirectories(group->GetDestDir());
    if (Trim(linkName_).empty())
        throw Exception("The LinkName is blank for " + Name() + " and therefore could not be installed");
    // The shell link takes its paths from 256-byte buffers: a longer path would be cut
    // off, and a shortcut to (or at) a cut-off path is worse than none. A shortcut path
    // that cannot be saved is refused before any folder is made for it.
    const std::string shortcut = ShortcutPath();
    if (shortcut.size() > MaxLinkPathLength)
        throw Exception("The shortcut path of the link " + Name() + " is longer than 255 characters: " + shortcut);
    ForceDirectories(GetDestDir());

    std::unique_ptr<platform::ShellLink> link;
    platform::HRESULT outcome = platform::CreateShellLink(link);
    if (!platform::hr::Failed(outcome) && link) {
        std::string arguments = ExpandMetaVariables(parameters_, this);
        std::string target = GetObjectLocation();
        if (target.size() > MaxLinkPathLength)
            throw Exception("The target of the link " + Name() + " is longer than 255 characters: " + target);
        if (platform::hr::Failed(link->SetPath(target))) throw Exception("Cannot set the path to the link for " + Name());
        if (platform::hr::Failed(link->SetHotkey(hotKey_)))
            throw Exception("Cannot set the hot key to the link for " + Name());
        if (platform::hr::Failed(link->SetArguments(arguments)))
            throw Exception("Cannot set the arguments to the link for " + Name());
        if (platform::hr::Failed(link->SetWorkingDirectory(RemoveTrailingBackslash(ExtractFilePath(target)))))
            throw Exception("Cannot set the working directory to the link for " + Name());
        if (link->QueryPersistFile() == platform::hr::Ok) outcome = link->Save(shortcut, true);
        link.reset();
    }
    if (outcome != 0)
        throw Exception(
            Format(TranslateText("Shell link %s could not install itself. Error: %s"), {Name(), ShellErrorText(outcome)}));
}

void TInstallShellLink::InstallWithProgramManager() {
    if (linkKind_ != LK::lkLinkInMainFolder && destDirType_ != PS::ddProgramMenuDir) return;
    std::string group = ExtractFileName(GetDestDir());
    if (Trim(group).empty()) throw Exception(Name() + " has a blank group");
    if (!ProgramManager) InitProgramManager();
    ProgramManager->CreateGroup(group);
    std::string item = ChangeFileExt(linkName_, "");
    if (ProgramManager->IndexOfItem(item) != -1) ProgramManager->ReplaceItem(item);
    std::string arguments = ExpandMetaVariables(parameters_, this);
    std::string target = GetObjectLocation();
    ProgramManager->AddItem("\"" + target + "\" " + arguments, item, "", 0,
                            "\"" + RemoveTrailingBackslash(ExtractFilePath(target)) + "\"", "");
}

void TInstallShellLink::Install() {
    if (objectLink_ && objectLink_->IsUninstallProgram()) {
        if (!MainInstall)
            throw Exception("Cannot create a link to the uninstall program because there is no TInstall component");
        parameters_ = MainInstall->ProductName();
    }
    switch (method_) {
    case TMethodType::mtShellLinkInterface:
        InstallWithShellLink();
        break;
    case TMethodType::mtProgramManager:
        InstallWithProgramManager();
        break;
    case TMethodType::mtAutoDetect: {
        int platformKind = GetWindowsPlatform();
        if (platformKind == 1 || platformKind == 2)
            InstallWithShellLink();
        else
            InstallWithProgramManager();
        break;
    }
    }
    TBaseHelperComponent::Install();
}

void TInstallShellLink::WriteUninstallInfo(const std::string& key) {
    AppendUninstallFileLog(key, [this] { return ShortcutPath(); });
}

// ---------------------------------------------------------------------------------------
// TShellLinkGroup

ZARN_DEFINE_CLASS(TShellLinkGroup, TBaseHelperComponent, [](TClassBuilder<TShellLinkGroup>& b) {
    using G = TShellLinkGroup;
    b.Str("DestDir", &G::DestDir, &G::SetDestDir)
        .Enum<TPathSpecifiers>("DestDirType", PathSpecifierNames(), &G::DestDirType, &G::SetDestDirType)
        .Bool("Include", &G::Include, &G::SetInclude)
        .Enum<TShellGroupKind>("GroupKind", ShellGroupKindNames(), &G::GroupKind, &G::SetGroupKind)
        .Event<void(TInstallContainer*)>("OnAfterProcess", &G::OnAfterProcess)
        .Event<void(TInstallContainer*)>("OnBeforeProcess", &G::OnBeforeProcess)
        .Creatable();
})

TShellLinkGroup::TShellLinkGroup(TComponent* owner) : TBaseHelperComponent(owner) {
    include_ = true;
    autoProcess_ = true;
    processRank_ = 7000;
}

TShellLinkGroup::~TShellLinkGroup() = default;

void TShellLinkGroup::SetGroupKind(TShellGroupKind value) {
    if (IsLoading()) {
        groupKind_ = value;
        return;
    }
    switch (value) {
    case GK::gkCustom:
        if (groupKind_ == GK::gkMainFolder) {
            if (TInstallShellLink* l = FindMainExecutableLink()) l->linkKind_ = LK::lkCustom;
            if (TInstallShellLink* l = FindLinkToSubFolder()) l->linkKind_ = LK::lkCustom;
        } else if (groupKind_ == GK::gkMainSubFolder) {
            if (TInstallShellLink* l = FindLinkToSubFolder()) l->linkKind_ = LK::lkCustom;
            for (TInstallShellLink* l : AllLinks())
                if (l->linkKind_ == LK::lkLinkInSubFolder) l->linkKind_ = LK::lkCustom;
        }
        groupKind_ = value;
        break;
    case GK::gkMainFolder: {
        if (!MainInstall) throw Exception("Must first have a TInstall component");
        TShellLinkGroup* previous = FindMainFolder();
        groupKind_ = value;
        if (TInstallShellLink* l = FindMainExecutableLink()) l->SetContainer(this);
        if (TInstallShellLink* l = FindLinkToSubFolder()) l->SetContainer(this);
        if (previous && previous != this) previous->groupKind_ = GK::gkCustom;
        SetContainer(MainInstall);
        destDirType_ = PS::ddProgramMenuDir;
        if (IsDesigning() && destDir_.empty()) destDir_ = "\\" + MainInstall->ProductName();
        break;
    }
    case GK::gkMainSubFolder: {
        if (!MainInstall) throw Exception("Must first have a TInstall component");
        TShellLinkGroup* previous = FindMainSubFolder();
        groupKind_ = value;
        if (TInstallShellLink* l = FindLinkToSubFolder()) l->SetObjectLink(this);
        for (TInstallShellLink* l : AllLinks())
            if (l->linkKind_ == LK::lkLinkInSubFolder) l->SetContainer(this);
        if (previous && previous != this) previous->groupKind_ = GK::gkCustom;
        SetContainer(MainInstall);
        destDirType_ = PS::ddContainerDestDir;
        if (IsDesigning() && destDir_.empty()) destDir_ = "\\More stuff";
        break;
    }
    }
}

void TShellLinkGroup::SetContainer(TInstallContainer* value) { TBaseHelperComponent::SetContainer(value); }

void TShellLinkGroup::SetDestDirType(TPathSpecifiers value) {
    if (!IsLoading()) {
        if (groupKind_ == GK::gkMainFolder) value = PS::ddProgramMenuDir;
        if (groupKind_ == GK::gkMainSubFolder) value = PS::ddContainerDestDir;
    }
    TBaseHelperComponent::SetDestDirType(value);
}

void TShellLinkGroup::ContainerDestroyed(TInstallContainer* obj) {
    if (obj && obj == container_) {
        container_ = nullptr;
        delete this;
        return;
    }
    TBaseHelperComponent::ContainerDestroyed(obj);
}

void TShellLinkGroup::Install() {
    NotifyContainerEvent(this, "eccSelectFolder", nullptr);
    ForceDirectories(GetDestDir());
    TBaseHelperComponent::Install();
}

void RegisterShellClasses() {
    RegisterClasses({&TInstallShellLink::StaticClass(), &TShellLinkGroup::StaticClass(),
                     &TUninstallEXE::StaticClass()});
}
