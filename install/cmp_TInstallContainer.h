// The install component model's base classes: install containers, helper components and
// file-related helpers, the main install object interface, the global lists of live
// containers and base forms, and the library's base form.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/forms.h"
#include "localisation/cmp_TTranslator.h"
#include "shell/routines_SystemFolders.h"

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

// How a file is put into its archive: replacing the archive, or added to it. The archive
// engine shares this enumeration.
#ifndef ZARN_TLZHCOMMAND_DECLARED
#define ZARN_TLZHCOMMAND_DECLARED
enum class TlzhCommand : std::uint8_t { lzcOverwrite, lzcOnlyAdd };
#endif

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

protected:
    // The translated "not allowed for the DestDir property" error.
    [[noreturn]] void DestDirNotAllowed() const;
    // Resolution of the kinds every container knows (all but 6 and 10).
    std::string ResolveCommonDestDir();

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
// Class tests by name along the class chain (for classes of later units, such as the
// file containers and install files, that this unit does not see).

bool InheritsFromClassName(const TObject* obj, const std::string& className);

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
