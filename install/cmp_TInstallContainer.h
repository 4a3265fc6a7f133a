// The install component model's base classes: install containers, helper components and
// file-related helpers, the main install object interface, the global lists of live
// containers and base forms, the library's base form, and the one resolver that turns a
// destination kind and its relative text into a path for every path property.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "framework/classes.h"
#include "framework/forms.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"

class TInstallContainer;
class TBaseHelperComponent;
class TFileRelated;
class TInstall;
class TBaseBriskoForm;

// ---------------------------------------------------------------------------------------
// Installation types

enum class TInstallType : std::uint8_t { itFull, itDefault, itCompact, itAlways, itCustom };
using TInstallTypeSet = TSet<TInstallType>;
const std::vector<std::string>& InstallTypeNames();


using TInstallContainerNotifyEvent = std::function<void(TInstallContainer* container)>;

// ---------------------------------------------------------------------------------------
// Exceptions

class EAIIC : public EAI {
public:
    using EAI::EAI;
};
class EAIICBadCompCall : public EAIIC {
public:
    EAIICBadCompCall(int index, const TClassInfo* compClass);
    int Index;
    const TClassInfo* CompClass;
};
class EAIICAddingNilHelperComponent : public EAIIC {
public:
    EAIICAddingNilHelperComponent(TInstallContainer* container);
    TInstallContainer* Container;
};
class EAIICCircularInstallContainer : public EAIIC {
public:
    using EAIIC::EAIIC;
};

// ---------------------------------------------------------------------------------------
// Global lists: created by InitialiseInstallContainers, live for the whole process.

// Every live install container, in creation order.
extern std::vector<TInstallContainer*>* InstallContainers;
// Every live base form.
extern std::vector<TBaseBriskoForm*>* BaseForms;
// The main install object; nullptr unless one registers itself (none does here).
extern TInstall* MainInstall;

// Creates BaseForms, the archive engine SharedCompress and InstallContainers (in that
// order) and registers the translator's language-change hook. Later calls do nothing.
void InitialiseInstallContainers();
// Registers the install classes for form descriptions.
void RegisterInstallClasses();

// ---------------------------------------------------------------------------------------
// Path properties: DestDir, ArchiveFile and ObjectLocation are checked by their setters
// and resolved by one resolver; what differs between them is data.

// The component a path property belongs to, and the objects its relative kinds are taken
// from (nil where the component has none).
struct TPathOwner {
    const TComponent* component = nullptr;    // named in the messages
    TInstallContainer* container = nullptr;   // a helper's container
    TInstallContainer* objectLink = nullptr;  // a link's ObjectLink
};

struct TPathProperty {
    // The kinds the setter accepts and the resolver resolves. The DestDir setter checks
    // the component's AllowedDestDirTypes instead, and plain containers (not helpers)
    // resolve no kind that needs a container or the main install object.
    TPathSpecifiersSet settable;
    TPathSpecifiersSet resolvable;
    // Kinds whose result is the base with the text appended as it stands. Every other
    // kind joins the base without its trailing backslash and the text, and drops one
    // trailing backslash of the whole. (ddObjectLink takes the linked component's target
    // and ignores the text.)
    TPathSpecifiersSet keepEnd;
    // Messages hold one %s for the component's Name; translated ones pass through the
    // translator first, the others are used as they stand.
    bool translated = true;
    const char* notAllowed = nullptr;
    // By kind: the message when the object the kind needs (the container, the main
    // install object, the ObjectLink) is missing, from the setter and from the resolver.
    std::array<const char*, PathSpecifierCount> setMissing{};
    std::array<const char*, PathSpecifierCount> expandMissing{};
    // ddContainerArchiveFile with a container that has no archive.
    const char* containerNotFileRelated = nullptr;

    // Raises the property's message when `kind` is not accepted or needs an object that
    // is missing.
    void Check(TPathSpecifiers kind, const TPathOwner& owner, TPathSpecifiersSet accepted) const;
    void Check(TPathSpecifiers kind, const TPathOwner& owner) const { Check(kind, owner, settable); }
    // The path for `kind` and `text`; raises the property's message when the kind is not
    // resolvable or needs an object that is missing.
    std::string Resolve(TPathSpecifiers kind, const std::string& text, const TPathOwner& owner,
                        TPathSpecifiersSet kinds) const;
    std::string Resolve(TPathSpecifiers kind, const std::string& text, const TPathOwner& owner) const {
        return Resolve(kind, text, owner, resolvable);
    }

private:
    [[noreturn]] void Raise(const char* message, const TPathOwner& owner) const;
};

extern const TPathProperty DestDirProperty;
extern const TPathProperty ArchiveFileProperty;
extern const TPathProperty ObjectLocationProperty;

// ---------------------------------------------------------------------------------------
// TInstallContainer

class TInstallContainer : public TComponent {
    ZARN_CLASS(TInstallContainer, TComponent)
public:
    explicit TInstallContainer(TComponent* owner);
    ~TInstallContainer() override;
    void Loaded() override;

    // Fields
    TPathSpecifiersSet AllowedDestDirTypes() const { return allowedDestDirTypes_; }
    bool AutoProcess() const { return autoProcess_; }
    void SetAutoProcess(bool v) { autoProcess_ = v; }
    bool Include() const { return include_; }
    void SetInclude(bool v) { include_ = v; }
    bool Processed() const { return processed_; }
    void SetProcessed(bool v) { processed_ = v; }
    TInstallTypeSet InstallTypes() const { return installTypes_; }
    TStringList* InfoStrings() const { return infoStrings_.get(); }
    std::string CreatedClassName() const { return createdClassName_; }
    int ProcessRank() const { return processRank_; }
    void SetProcessRank(int rank) { processRank_ = rank; }
    TInstallType CurrentInstallType() const { return currentInstallType_; }
    void SetCurrentInstallType(TInstallType t) { currentInstallType_ = t; }
    TBaseHelperComponent* EventTarget() const { return eventTarget_; }
    void SetEventTarget(TBaseHelperComponent* t) { eventTarget_ = t; }
    std::string DestDir() const { return destDir_; }
    TPathSpecifiers DestDirType() const { return destDirType_; }
    int Order() const { return order_; }

    TInstallContainerNotifyEvent OnAfterProcess;
    TInstallContainerNotifyEvent OnBeforeProcess;
    TInstallContainerNotifyEvent OnInstallTypeDialog;

    // The helper list
    int CompCount() const { return int(comps_.size()); }
    // Raises Exception for an index out of range.
    TBaseHelperComponent* Comps(int index) const;
    // The index-th helper that is a `compClass` (or derived); EAIICBadCompCall if none.
    TBaseHelperComponent* Comp(int index, const TClassInfo& compClass) const;
    int CompCountOf(const TClassInfo& compClass) const;
    // Destroys, last first, every helper that is a `compClass` (or derived).
    void FreeCompsOf(const TClassInfo& compClass);
    void NotifyContainerEvent(TInstallContainer* sender, const std::string& eventName, TObject* parameter);
    void RenumberOrders();
    // Whether the component takes part in the run of CurrentInstallType.
    bool PassesInstallTypeTest() const;

    // Virtual operations, in slot order
    virtual int FileContainerCount() const;
    virtual TBaseHelperComponent* FileContainers(int index) const;
    virtual void SetDestDir(const std::string& value);
    virtual void SetDestDirType(TPathSpecifiers value);
    virtual void SetInfoStrings(TStrings* value);
    virtual void ContainerDestroyed(TInstallContainer* obj);
    virtual void DoInformationEventControl(TObject* sender, const std::string& eventName, TObject* parameterObject);
    virtual void ContainerEvent(TInstallContainer* container, const std::string& eventName, TObject* parameter);
    virtual std::string GetDestDir();
    virtual void FreeComps();
    virtual bool ContainsComp(TInstallContainer* comp) const;
    virtual void Process();
    virtual void Install();
    virtual void RegisterServer();
    virtual void LanguageChanged(TZarnLanguage newLanguage);
    virtual void WriteUninstallInfo(const std::string& key);
    virtual void AddComp(TBaseHelperComponent* comp);
    virtual void RemoveComp(TInstallContainer* comp);

    // What the component is to those that treat some kinds apart; the classes that are
    // these say so. File containers are counted by FileContainerCount; only an install
    // file can be the target of a link with a role; a link to the uninstall program
    // passes it the product name.
    virtual bool IsFileContainer() const;
    virtual bool IsInstallFile() const;
    virtual bool IsUninstallProgram() const;
    // For a link whose ObjectLink is this component: the path the link points at (here
    // the destination folder) and the name the link takes (here Name + ".lnk").
    virtual std::string LinkTarget();
    virtual std::string NameForLinks() const;

protected:
    TPathSpecifiersSet allowedDestDirTypes_;
    bool autoProcess_ = false;
    std::vector<TBaseHelperComponent*> comps_;
    bool include_ = true;
    bool processed_ = false;
    TInstallTypeSet installTypes_{TInstallType::itAlways};
    std::unique_ptr<TStringList> infoStrings_;
    std::string createdClassName_;
    int processRank_ = 0;
    TInstallType currentInstallType_ = TInstallType::itAlways;
    TBaseHelperComponent* eventTarget_ = nullptr;
    std::string destDir_;
    TPathSpecifiers destDirType_ = TPathSpecifiers::ddAbsolute;
    int order_ = -1;
    // Set while the container's own destruction runs: it hears of no other's end then.
    bool destroying_ = false;
};

// ---------------------------------------------------------------------------------------
// TBaseHelperComponent: an install container that sits inside another one.

class TBaseHelperComponent : public TInstallContainer {
    ZARN_CLASS(TBaseHelperComponent, TInstallContainer)
public:
    explicit TBaseHelperComponent(TComponent* owner);
    ~TBaseHelperComponent() override;
    void Loaded() override;

    bool ContainerAssigned() const { return containerAssigned_; }
    bool AutoAttached() const { return autoAttached_; }
    TInstallContainer* Container() const { return container_; }

    void SetDestDirType(TPathSpecifiers value) override;
    void ContainerDestroyed(TInstallContainer* obj) override;
    std::string GetDestDir() override;
    virtual void SetContainer(TInstallContainer* value);

protected:
    // The steps of SetContainer after the early exits: attach, detach, store and (unless
    // loading) the destination kind that follows the new container.
    void ChangeContainer(TInstallContainer* value);

    bool containerAssigned_ = false;
    bool autoAttached_ = false;
    TInstallContainer* container_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// TFileRelated: a helper with an archive.

class TFileRelated : public TBaseHelperComponent {
    ZARN_CLASS(TFileRelated, TBaseHelperComponent)
public:
    explicit TFileRelated(TComponent* owner);
    ~TFileRelated() override;

    TlzhCommand AddToArchive() const { return addToArchive_; }
    void SetAddToArchive(TlzhCommand v) { addToArchive_ = v; }
    std::string ArchiveFile() const { return archiveFile_; }
    TPathSpecifiers ArchiveFileType() const { return archiveFileType_; }

    void SetContainer(TInstallContainer* value) override;
    virtual void SetArchiveFile(const std::string& value);
    virtual void SetArchiveFileType(TPathSpecifiers value);
    virtual std::string GetArchiveFile();

    // The setters descendants publish for InstallTypes and Order.
    void SetInstallTypes(TInstallTypeSet value);
    void SetOrder(int value);

protected:
    TlzhCommand addToArchive_ = TlzhCommand::lzcOverwrite;
    std::string archiveFile_;
    TPathSpecifiers archiveFileType_ = TPathSpecifiers::ddAbsolute;
};

// ---------------------------------------------------------------------------------------
// The main install object: an install container (never a helper) that a program may
// register in MainInstall as the installation as a whole.

class TInstall : public TInstallContainer {
    ZARN_CLASS(TInstall, TInstallContainer)
public:
    using TInstallContainer::TInstallContainer;
    // Names the uninstall key and is shown as the program's name.
    virtual std::string ProductName() const = 0;
    // The folder the installation's archives are read from.
    virtual std::string LoadingDir() const = 0;
    // Work for after the next restart: kind 0 = the Name of an install file whose
    // self-registration waits, 1 = a file to remove, 2 = a Program Manager item of the
    // "Startup" group to remove.
    virtual void AddToRestartList(const std::string& text, int kind) = 0;
};

// ---------------------------------------------------------------------------------------
// TBaseBriskoForm: the library's base form, which translates itself when the translator's
// target language changes.

class TBaseBriskoForm : public TForm {
    ZARN_CLASS(TBaseBriskoForm, TForm)
public:
    explicit TBaseBriskoForm(TComponent* owner);
    ~TBaseBriskoForm() override;

    bool TranslateFont = true;
    bool TranslateControls = true;
    TZarnLanguage CurrentLanguage = TZarnLanguage::zlEnglish;  // the language the texts are in
    bool UseOwnLanguage = false;
    TZarnLanguage OwnLanguage = TZarnLanguage::zlUser;

    virtual void LanguageChanged(TZarnLanguage newLanguage);
    // Reserved; does nothing.
    virtual void LanguageReserved();
    virtual void TranslateForm();
};
