// The install component model: install containers, helper components and file-related
// helpers, file containers with their compress, install and copy passes, file groups and
// install files with their operations and replacement of files in use at the next
// restart, the main install object interface, the global lists of live containers and
// base forms, the library's base form, and the one resolver that turns a destination kind
// and its relative text into a path for every path property.
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
#include "registration/cmp_TRepository.h"

class TInstallContainer;
class TBaseHelperComponent;
class TFileRelated;
class TFileContainer;
class TInstallFile;
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
    virtual TFileContainer* FileContainers(int index) const;
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
    // these say so. Only an install file can be the target of a link with a role; a link
    // to the uninstall program passes it the product name.
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
// Install events and their parameter objects

using TAfterProcessFilesEvent = std::function<void(TInstallContainer* container, bool wasAborted)>;
using TInstallFileNotifyEvent = std::function<void(TInstallFile* installFile)>;
using TInstallFileStatusEvent =
    std::function<void(TInstallFile* installFile, int filePercentDone, int totalPercentDone)>;
// The handler may change the folder in which the disk file is looked for.
using TInstallFileNewDiskEvent = std::function<void(TInstallFile* installFile, int newDisk, std::string& path)>;

// Progress of one file, as the containers up the tree see it.
class TFileStatusParameter : public TObject {
    ZARN_CLASS(TFileStatusParameter, TObject)
public:
    int BytesDone = 0;          // of the current file
    int FilePercentDone = 0;    // of the current file
    std::string FileName;       // the install file's FileName
    TlzhFileStats FileStats;    // the engine's record at the time of the report
    int TotalDone = 0;          // of the pass, as the last container that handled it saw it
    int TotalPercentDone = 0;
};

// A disk the engine wants, and the folder it is looked for in (no trailing backslash).
class TDiskParameter : public TObject {
    ZARN_CLASS(TDiskParameter, TObject)
public:
    int DiskNumber = 0;
    std::string Path;
};

// ---------------------------------------------------------------------------------------
// File containers

enum class TFileContainerState : std::uint8_t { fcsNone, fcsCompress, fcsInstall, fcsCopy };
const std::vector<std::string>& FileContainerStateNames();

// Holds install files and further file containers and runs the three passes over them:
// compress (every source file into its archive), install (every file from its archive to
// its destination) and copy (every source file straight to its destination). While a
// pass runs, the files report progress, disk changes and replacements through
// DoInformationEventControl; each container on the way up turns them into its own figures
// and events and hands them further up.
class TFileContainer : public TFileRelated {
    ZARN_CLASS(TFileContainer, TFileRelated)
public:
    explicit TFileContainer(TComponent* owner);
    ~TFileContainer() override;

    // Size total and finished bytes of the running (or last) pass.
    int TotalBytes() const { return totalBytes_; }
    int DoneBytes() const { return doneBytes_; }
    bool AllowChangeDir() const { return allowChangeDir_; }
    void SetAllowChangeDir(bool v) { allowChangeDir_ = v; }
    bool AllowChoice() const { return allowChoice_; }
    void SetAllowChoice(bool v) { allowChoice_ = v; }
    TStringList* Description() const { return description_.get(); }
    // Copies the given lines into Description.
    void SetDescription(TStrings* value);
    std::string GroupName() const { return groupName_; }
    void SetGroupName(const std::string& v) { groupName_ = v; }
    TFileContainerState State() const { return state_; }

    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;
    TInstallFileNotifyEvent OnReplacing;
    TAfterProcessFilesEvent OnCloseCopyFileDlg;
    TInstallContainerNotifyEvent OnShowCopyFileDlg;

    // The direct helpers that are install files, in list order.
    int FileCount() const;
    TInstallFile* Files(int index) const;

    // Virtual operations, in slot order
    virtual void DoNewDisk(TInstallFile* installFile, TDiskParameter* diskParameter);
    virtual void DoReplacing(TInstallFile* installFile);
    virtual void DoStatus(TInstallFile* installFile, TFileStatusParameter* statusParameter);
    // Runs the pass the value names (fcsInstall: Process), then State is fcsNone again,
    // also after a failure. Ignored while loading.
    virtual void SetState(TFileContainerState value);
    virtual void CopyFiles();
    virtual void FreeFiles();
    virtual void CompressFiles(bool compressAll);
    // The direct install file whose source path is `sourcePath` (without regard to case).
    virtual TInstallFile* FindFile(const std::string& sourcePath) const;
    virtual void ReadArchiveInfo();
    virtual void ReadSourceInfo();
    virtual int CompressedSizeSum(bool all) const;
    virtual int SizeSum(bool all) const;

    void DoInformationEventControl(TObject* sender, const std::string& eventName, TObject* parameterObject) override;
    // The install pass.
    void Install() override;

protected:
    int totalBytes_ = 0;
    int doneBytes_ = 0;
    bool allowChangeDir_ = true;
    bool allowChoice_ = true;
    std::unique_ptr<TStringList> description_;
    std::string groupName_;
    TFileContainerState state_ = TFileContainerState::fcsNone;
    // Whether the last install pass of this container was stopped (the engine's stop
    // request as the pass found it at its end).
    bool lastPassAborted_ = false;

private:
    void RunPass(TFileContainerState state, bool sizeAll, const std::function<void()>& body);
};

// The user-visible file container: a named group of install files and sub-groups.
class TInstallFileGroup : public TFileContainer {
    ZARN_CLASS(TInstallFileGroup, TFileContainer)
public:
    explicit TInstallFileGroup(TComponent* owner);
    // Removes and destroys, last first, every install file whose source file is missing.
    virtual void RemoveMissingFiles();
    std::string NameForLinks() const override;
};

// ---------------------------------------------------------------------------------------
// Install files

enum class TInstallFileType : std::uint8_t {
    iftNormal,
    iftJustADLL,
    iftApplicationSpecificDLL,
    iftVendorSharedDLL,
    iftSystemWideDLL,
};
enum class TInstallFileState : std::uint8_t { ifsNone, ifsCompress, ifsInstall, ifsCopying };
const std::vector<std::string>& InstallFileTypeNames();
const std::vector<std::string>& InstallFileStateNames();

class EAIIF : public EAI {
public:
    using EAI::EAI;
};
class EAIIFNotFileContainer : public EAIIF {
public:
    explicit EAIIFNotFileContainer(const std::string& name);
};
class EAIIFDLLNameConflict : public EAIIF {
public:
    explicit EAIIFDLLNameConflict(const std::string& fileName);
};
class EAIIFCouldNotOpenFileImage : public EAIIF {
public:
    explicit EAIIFCouldNotOpenFileImage(const std::string& sourcePath);
};
class EAIIFDuplicateFileInGroup : public EAIIF {
public:
    explicit EAIIFDuplicateFileInGroup(const std::string& sourcePath);
};
class EAIIFCannotUpdateDLLCountInRegistry : public EAIIF {
public:
    explicit EAIIFCannotUpdateDLLCountInRegistry(const std::string& fileName);
};
class EAIIFBlankArchiveFile : public EAIIF {
public:
    explicit EAIIFBlankArchiveFile(const std::string& fileName);
};

// Set when an exchange of a file in use has been scheduled for the next restart; there
// for a main install object.
extern bool RestartNeeded;

// One file of an installation: the source file IncludeFromDir\FileName is compressed into
// its archive (stored under that path), later extracted from the archive to its
// destination folder under DestName, or copied there directly. A destination file in use
// is replaced by writing the new file beside it and exchanging the two at the next restart.
class TInstallFile : public TFileRelated, public IRepositoryFile {
    ZARN_CLASS(TInstallFile, TFileRelated)
public:
    explicit TInstallFile(TComponent* owner);
    ~TInstallFile() override;

    bool PendingReboot() const { return pendingReboot_; }
    int CompressedSize() const { return compressedSize_; }
    TDateTime FileDate() const { return fileDate_; }
    std::string DestName() const { return destName_; }
    std::string FileName() const { return fileName_; }
    TInstallFileType FileType() const { return fileType_; }
    std::string IncludeFromDir() const { return includeFromDir_; }
    TOverwriteType OverwriteMode() const { return overwriteMode_; }
    void SetOverwriteMode(TOverwriteType v) { overwriteMode_ = v; }
    bool RegisterAsActiveX_DLLStyle() const { return registerAsActiveX_DLLStyle_; }
    bool RegisterAsActiveX_EXEStyle() const { return registerAsActiveX_EXEStyle_; }
    bool RegisterAsHelp() const { return registerAsHelp_; }
    void SetRegisterAsHelp(bool v) { registerAsHelp_ = v; }
    TRepository* Repository() const { return repository_.get(); }
    int FileSize() const { return fileSize_; }
    TInstallFileState State() const { return state_; }
    bool UpdateDLLCounter() const { return updateDLLCounter_; }
    void SetUpdateDLLCounter(bool v) { updateDLLCounter_ = v; }
    std::string FileVersion() const { return fileVersion_; }

    // IncludeFromDir with a trailing backslash, followed by FileName: the source file and
    // the file's stored name in the archive.
    std::string SourcePath() const;
    // The resolved destination folder with a trailing backslash, followed by DestName.
    std::string DestPath();

    TInstallFileNotifyEvent OnAfterCompress;
    TInstallFileNotifyEvent OnAfterCopy;
    TInstallFileNotifyEvent OnAfterInstallFile;
    TInstallFileNotifyEvent OnBeforeCompress;
    TInstallFileNotifyEvent OnBeforeCopy;
    TInstallFileNotifyEvent OnBeforeInstallFile;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;
    TInstallFileNotifyEvent OnReplacing;

    // Virtual operations, in slot order
    virtual void EngineAborted(TObject* sender);
    virtual void EngineReplace(TZarnCompress* engine, const TlzhFileStats& fileStats);
    virtual void SetDestName(const std::string& value);
    virtual void SetFileName(const std::string& value);
    virtual void SetFileType(TInstallFileType value);
    virtual void SetIncludeFromDir(const std::string& value);
    // Runs CompressFile, Process or CopyFile by the value, then State is ifsNone again,
    // also after a failure. Ignored while loading.
    virtual void SetState(TInstallFileState value);
    virtual void SetRegisterAsActiveX_DLLStyle(bool value);
    virtual void SetRegisterAsActiveX_EXEStyle(bool value);
    // Copies the given repository into the owned one.
    virtual void SetRepository(TRepository* value);
    virtual void CompressFile();
    virtual void CopyFile();
    virtual void RegisterActiveXDLL();
    virtual void RegisterActiveXEXE();
    virtual void ReadArchiveInfo();
    virtual void ReadSourceInfo();
    virtual bool IsOLESelfRegister();
    virtual bool UpdateSharedDLLCount();

    void SetDestDir(const std::string& value) override;
    void SetDestDirType(TPathSpecifiers value) override;
    void ContainerDestroyed(TInstallContainer* obj) override;
    // Installation of the file from its archive.
    void Install() override;
    void RegisterServer() override;
    // Records the installed file under the uninstall key: in the ActiveX list when it is
    // registered as an ActiveX server (EXE style marked ";1", DLL style ";0"), otherwise
    // in the file log.
    void WriteUninstallInfo(const std::string& key) override;
    void SetContainer(TInstallContainer* value) override;
    bool IsInstallFile() const override;
    std::string LinkTarget() override;
    std::string NameForLinks() const override;

    // Handlers of the engine's OnNewDisk and OnStatus.
    void EngineNewDisk(TZarnCompress* engine, int diskNumber, std::string& path);
    void EngineStatus(TZarnCompress* engine, const TlzhFileStats& fileStats);

    // IRepositoryFile
    std::string RepositoryDestDir() override;
    std::string RepositoryDestName() const override;

private:
    static bool IsDLLKind(TInstallFileType type);
    // Raises EAIIFDuplicateFileInGroup when another file of the container has that source.
    void CheckNoDuplicate(TInstallContainer* container, const std::string& sourcePath) const;
    // The registration presets that follow the file's name.
    void ApplyNamePresets();
    // The exchange of a file in use at the next restart through a batch file that a
    // shortcut in the Startup folder starts.
    void ScheduleBatchExchange(const std::string& shortTarget, const std::string& shortTemp);
    // Points the shared engine's handlers named by the flags at this file.
    void SetEngineHandlers(bool aborted, bool newDisk, bool replace, bool status);

    bool pendingReboot_ = false;
    int compressedSize_ = 0;
    TDateTime fileDate_ = 0;
    std::string destName_;
    std::string fileName_;
    TInstallFileType fileType_ = TInstallFileType::iftNormal;
    std::string includeFromDir_;
    TOverwriteType overwriteMode_ = TOverwriteType::owAlways;
    bool registerAsActiveX_DLLStyle_ = false;
    bool registerAsActiveX_EXEStyle_ = false;
    bool registerAsHelp_ = false;
    std::unique_ptr<TRepository> repository_;
    int fileSize_ = 0;
    TInstallFileState state_ = TInstallFileState::ifsNone;
    bool updateDLLCounter_ = false;
    std::string fileVersion_;
};

// Runs `body`, then `final`, also when `body` raises (an exception from `final` then
// replaces the one of `body`).
template <class Body, class Final>
void TryFinally(Body&& body, Final&& final) {
    try {
        body();
    } catch (...) {
        final();
        throw;
    }
    final();
}

// ---------------------------------------------------------------------------------------
// The main install object: an install container (never a helper) that a program may
// register in MainInstall as the installation as a whole.

class TInstall : public TInstallContainer {
    ZARN_CLASS(TInstall, TInstallContainer)
public:
    using TInstallContainer::TInstallContainer;
    // Names the uninstall key and is shown as the program's name.
    virtual std::string ProductName() const = 0;
    // The product's version and its publisher, as Windows' list of programs shows them;
    // empty when the installation does not say.
    virtual std::string ProductVersion() const { return {}; }
    virtual std::string Publisher() const { return {}; }
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
