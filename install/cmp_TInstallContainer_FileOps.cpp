// What an install file does when it runs: compressing its source into its archive,
// copying it, installing it from the archive with the registrations and uninstall records
// that follow, the handlers it gives the shared archive engine, and the replacement of a
// destination file that is in use at the next restart.
#include "framework/dialogs.h"
#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_SystemRegistration.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/version.h"
#include "registration/routines_RegistryWriter.h"
#include "registration/routines_UninstallLog.h"

namespace {

using PS = TPathSpecifiers;

const char* const BlankDestDirMessage =
    "The GetDestDir returned a blank value for the TInstallFile %s. You need to set either the DestDir property or "
    "the DestDirType property or both";

// The Windows short-path buffer holds 400 characters and a terminator.
constexpr std::size_t MaxShortPathLength = 400;
// The temporary-folder buffer holds 260 characters and a terminator.
constexpr std::size_t MaxTempPathLength = 260;

// Whether anything (a file or a folder) has that name.
bool NameTaken(const std::string& path) { return platform::GetFileAttributes(path) != platform::InvalidFileAttributes; }

// A fresh temporary file name for the restart batch, with the extension ".bat".
std::string TemporaryBatchName() {
    auto fail = [] { throw Exception(TranslateText("Cannot create temporary file in OnReplace")); };
    const std::string folder = platform::GetTempPath();
    if (folder.empty() || folder.size() > MaxTempPathLength) fail();
    std::string name;
    if (platform::GetTempFileName(folder, "bat", 0, name) == 0 || name.empty()) fail();
    return ChangeFileExt(name, ".bat");
}

void WriteTextFile(const std::string& path, const std::string& text) {
    platform::FileHandle h(platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways));
    platform::DWORD done = 0;
    if (!h || !platform::WriteFile(h.get(), text.data(), platform::DWORD(text.size()), done) || done != text.size()) {
        const platform::DWORD code = platform::GetLastError();
        throw EInOutError(Format("I/O error %d", {(long long)code}), code);
    }
}

// A published property of a component made through the class registry.
const TPropInfo& PropertyOf(TComponent* c, const char* name) {
    const TPropInfo* p = c->ClassType().FindProperty(name);
    if (!p) throw EPropertyError(Format("Property %s does not exist in %s", {std::string(name), c->ClassName()}));
    return *p;
}
void SetOrdProp(TComponent* c, const char* name, long long value) { PropertyOf(c, name).setInt(c, value); }
void SetStrProp(TComponent* c, const char* name, const std::string& value) { PropertyOf(c, name).setStr(c, value); }
std::string GetStrProp(TComponent* c, const char* name) { return PropertyOf(c, name).getStr(c); }

// The install files whose handlers the shared engine holds, by handler.
struct EngineHandlerOwners {
    TInstallFile* aborted = nullptr;
    TInstallFile* newDisk = nullptr;
    TInstallFile* replace = nullptr;
    TInstallFile* status = nullptr;
} engineHandlers;

}  // namespace

TInstallFile::~TInstallFile() {
    // The engine keeps the handlers of the files that used it last: none may outlive its
    // file.
    if (!SharedCompress) return;
    auto release = [this](TInstallFile*& owner, auto& handler) {
        if (owner != this) return;
        handler = nullptr;
        owner = nullptr;
    };
    release(engineHandlers.aborted, SharedCompress->OnAborted);
    release(engineHandlers.newDisk, SharedCompress->OnNewDisk);
    release(engineHandlers.replace, SharedCompress->OnReplace);
    release(engineHandlers.status, SharedCompress->OnStatus);
}

void TInstallFile::SetEngineHandlers(bool aborted, bool newDisk, bool replace, bool status) {
    TZarnCompress* engine = SharedCompress;
    if (aborted) {
        engine->OnAborted = [this](TObject* sender) { EngineAborted(sender); };
        engineHandlers.aborted = this;
    }
    if (newDisk) {
        engine->OnNewDisk = [this](TZarnCompress* e, int disk, std::string& path) { EngineNewDisk(e, disk, path); };
        engineHandlers.newDisk = this;
    }
    if (replace) {
        engine->OnReplace = [this](TZarnCompress* e, const TlzhFileStats& s) { EngineReplace(e, s); };
        engineHandlers.replace = this;
    }
    if (status) {
        engine->OnStatus = [this](TZarnCompress* e, const TlzhFileStats& s) { EngineStatus(e, s); };
        engineHandlers.status = this;
    }
}

// ---------------------------------------------------------------------------------------
// Compressing and copying

void TInstallFile::CompressFile() {
    state_ = TInstallFileState::ifsCompress;
    TryFinally(
        [&] {
            try {
                if (OnBeforeCompress) OnBeforeCompress(this);
                if (container_) container_->DoInformationEventControl(this, "eieBeforeCompressFile", this);
                const std::string archive = GetArchiveFile();
                if (Trim(archive).empty()) throw EAIIFBlankArchiveFile(fileName_);
                if (!include_) Abort();
                ForceDirectories(ExtractFilePath(archive));
                SharedCompress->SetCompressedFile(archive);
                SetEngineHandlers(true, false, false, true);
                SharedCompress->FilesToProcess()->Clear();
                SharedCompress->FilesToProcess()->Add(SourcePath());
                SharedCompress->Compress(addToArchive_);
                if (OnAfterCompress) OnAfterCompress(this);
                if (container_) container_->DoInformationEventControl(this, "eieAfterCompressFile", this);
            } catch (const EAbort&) {
                // The file is skipped quietly.
            }
        },
        [&] {
            state_ = TInstallFileState::ifsNone;
            TryFinally([&] { NotifyContainerEvent(this, "DoneCopyingFiles", nullptr); },
                       [&] { SharedCompress->SetAbort(true); });
        });
}

void TInstallFile::CopyFile() {
    state_ = TInstallFileState::ifsCopying;
    TryFinally(
        [&] {
            try {
                if (OnBeforeCopy) OnBeforeCopy(this);
                if (container_) container_->DoInformationEventControl(this, "eieBeforeCopyFile", this);
                if (!include_) Abort();
                const std::string destDir = GetDestDir();
                if (Trim(destDir).empty()) throw Exception(Format(TranslateText(BlankDestDirMessage), {Name()}));
                ForceDirectories(destDir);
                // The copy runs under whatever overwrite policy the engine holds.
                SetEngineHandlers(false, false, true, true);
                SharedCompress->CopyFile(SourcePath(), AddTrailingBackslash(destDir) + destName_);
                if (OnAfterCopy) OnAfterCopy(this);
                if (container_) container_->DoInformationEventControl(this, "eieAfterCopyFile", this);
            } catch (const EAbort&) {
                // The file is skipped quietly.
            }
        },
        [&] {
            state_ = TInstallFileState::ifsNone;
            NotifyContainerEvent(this, "DoneCopyingFiles", nullptr);
        });
}

// ---------------------------------------------------------------------------------------
// Installing

void TInstallFile::Install() {
    state_ = TInstallFileState::ifsInstall;
    TryFinally(
        [&] {
            pendingReboot_ = false;
            if (container_) container_->DoInformationEventControl(this, "eieBeforeInstallFile", this);
            if (OnBeforeInstallFile) OnBeforeInstallFile(this);
            const std::string destDir = GetDestDir();
            if (Trim(destDir).empty()) throw Exception(Format(TranslateText(BlankDestDirMessage), {Name()}));
            ForceDirectories(destDir);
            const std::string archive = GetArchiveFile();
            if (Trim(archive).empty()) throw EAIIFBlankArchiveFile(fileName_);
            TZarnCompress* engine = SharedCompress;
            engine->SetCompressedFile(archive);
            engine->SetExtractDirectory(destDir);
            engine->DestName = destName_;
            engine->SetOverwrite(overwriteMode_);
            SetEngineHandlers(true, true, true, true);
            engine->FilesToProcess()->Clear();
            engine->FilesToProcess()->Add(SourcePath());
            engine->Extract();

            if (registerAsHelp_) RegisterHelpFile(destName_, destDir);
            if (updateDLLCounter_ && !UpdateSharedDLLCount()) throw EAIIFCannotUpdateDLLCountInRegistry(fileName_);
            repository_->Register();
            if (pendingReboot_ && MainInstall) {
                // The file is exchanged at the restart; its self-registration waits for it.
                MainInstall->AddToRestartList(Name(), 0);
            } else {
                if (registerAsActiveX_DLLStyle_) RegisterActiveXDLL();
                if (registerAsActiveX_EXEStyle_) RegisterActiveXEXE();
            }
            if (OnAfterInstallFile) OnAfterInstallFile(this);
            if (container_) container_->DoInformationEventControl(this, "eieAfterInstallFile", this);
            // The file's own helpers, such as links to it.
            TFileRelated::Install();
        },
        [&] {
            try {
                NotifyContainerEvent(this, "DoneCopyingFiles", nullptr);
            } catch (...) {
                SharedCompress->SetAbort(true);
                throw;
            }
            state_ = TInstallFileState::ifsNone;
        });
}

void TInstallFile::RegisterServer() {
    if (registerAsActiveX_DLLStyle_) RegisterActiveXDLL();
    if (registerAsActiveX_EXEStyle_) RegisterActiveXEXE();
}

void TInstallFile::WriteUninstallInfo(const std::string& key) {
    if (registerAsActiveX_DLLStyle_ || registerAsActiveX_EXEStyle_)
        AppendUninstallActiveXList(key, DestPath(), registerAsActiveX_EXEStyle_);
    else
        AppendUninstallFileLog(key, [this] { return DestPath(); });
}

// ---------------------------------------------------------------------------------------
// Engine handlers

void TInstallFile::EngineStatus(TZarnCompress*, const TlzhFileStats& fileStats) {
    TFileStatusParameter p;
    p.BytesDone = fileStats.BytesDone;
    p.FilePercentDone = fileStats.Percent;
    p.FileName = fileName_;
    p.FileStats = fileStats;
    p.TotalDone = fileStats.TotalDone;
    p.TotalPercentDone = fileStats.TotalPercent;
    TList list;
    list.Add(this);
    list.Add(&p);
    if (OnStatus) OnStatus(this, fileStats.Percent, fileStats.TotalPercent);
    NotifyContainerEvent(this, "CopyingFile", &p);
    if (!container_) return;
    switch (state_) {
    case TInstallFileState::ifsCompress: container_->DoInformationEventControl(this, "eieCompressingFile", &list); break;
    case TInstallFileState::ifsInstall: container_->DoInformationEventControl(this, "eieInstallingFile", &list); break;
    case TInstallFileState::ifsCopying: container_->DoInformationEventControl(this, "eieCopyingFile", &list); break;
    case TInstallFileState::ifsNone: break;
    }
}

void TInstallFile::EngineNewDisk(TZarnCompress* engine, int diskNumber, std::string& path) {
    SetTag(0);
    TDiskParameter disk;
    disk.DiskNumber = diskNumber;
    disk.Path = RemoveTrailingBackslash(ExtractFilePath(GetArchiveFile()));
    TList list;
    list.Add(this);
    list.Add(&disk);
    TryFinally(
        [&] {
            std::string temp = disk.Path;
            if (OnNewDisk) OnNewDisk(this, diskNumber, temp);
            disk.Path = temp;
            NotifyContainerEvent(this, "ChangeDisk", &list);
            // A container with a handler of its own marks the change handled (Tag 1).
            if (container_) container_->DoInformationEventControl(this, "eieChangeDisk", &list);
            if (!OnNewDisk && Tag() == 0) {
                const TModalResult answer =
                    MessageDlg(Format(TranslateText("Please insert disk #%d"), {(long long)diskNumber}),
                               TMsgDlgType::mtInformation, mbOKCancel);
                engine->SetAbort(answer == mrCancel);
            }
            path = RemoveTrailingBackslash(disk.Path);
        },
        [&] { SetTag(0); });
}

void TInstallFile::EngineAborted(TObject*) { throw EAIUserAbort(); }

void TInstallFile::EngineReplace(TZarnCompress* engine, const TlzhFileStats&) {
    if (OnReplacing) OnReplacing(this);
    NotifyContainerEvent(this, "ReplacingFile", this);
    if (container_) container_->DoInformationEventControl(this, "eieReplaceInstallFile", this);

    const std::string folder = AddTrailingBackslash(GetDestDir());
    const std::string target = folder + destName_;
    if (!platform::FileExists(target) || platform::DeleteFile(target)) return;

    // The file is in use: the new one is written beside it under the next free ".N" name
    // and the two are exchanged at the next restart.
    pendingReboot_ = true;
    std::string tempName;
    for (int n = 1;; ++n) {
        tempName = ChangeFileExt(destName_, Format(".%d", {(long long)n}));
        if (!NameTaken(folder + tempName)) break;
    }
    const std::string tempPath = folder + tempName;
    engine->DestName = tempName;

    std::string shortTarget = platform::GetShortPathName(target);
    if (shortTarget.empty() || shortTarget.size() > MaxShortPathLength) shortTarget = target;
    const std::string shortTemp = ExtractFilePath(shortTarget) + tempName;

    if (GetWindowsPlatform() == 1) {
        // At the next start Windows replaces the file named by the key by the one named
        // by the value. The profile file lives in the Windows folder.
        if (!platform::WritePrivateProfileString("Rename", &shortTarget, &shortTemp, "WININIT.INI")) {
            const platform::DWORD code = platform::GetLastError();
            throw EInOutError(Format("I/O error %d", {(long long)code}), code);
        }
        RestartNeeded = true;
        return;
    }
    RestartNeeded = true;
    // A replacing move: without MOVEFILE_REPLACE_EXISTING Windows drops the rename onto
    // the existing file at the restart, and the new file never takes its place.
    if (platform::MoveFileEx(tempPath, target, platform::MoveFileDelayUntilReboot | platform::MoveFileReplaceExisting) ||
        !MainInstall)
        return;
    ScheduleBatchExchange(shortTarget, shortTemp);
}

void TInstallFile::ScheduleBatchExchange(const std::string& shortTarget, const std::string& shortTemp) {
    const std::string batch = TemporaryBatchName();
    WriteTextFile(batch, "erase " + shortTarget + "\r\nmove " + shortTemp + " " + shortTarget + "\r\n");
    MainInstall->AddToRestartList(batch, 1);

    // A shortcut in the Startup folder runs the batch at the next logon. The link class
    // lives above this unit and is made by name.
    const TClassInfo* linkClass = FindClass("TInstallShellLink");
    if (!linkClass || !linkClass->create)
        throw EClassNotFound(Format("Class %s not found", {std::string("TInstallShellLink")}));
    std::unique_ptr<TComponent> made(linkClass->create(this));
    auto* link = dynamic_cast<TInstallContainer*>(made.get());
    if (!link) throw EClassNotFound(Format("Class %s not found", {std::string("TInstallShellLink")}));
    SetOrdProp(link, "ObjectLocationType", (long long)PS::ddAbsolute);
    SetStrProp(link, "ObjectLocation", batch);
    link->SetName("BriskoBatLink");
    switch (GetWindowsPlatform()) {
    case 2:
        SetOrdProp(link, "DestDirType", (long long)PS::ddStartUpMenuDir);
        SetStrProp(link, "DestDir", "");
        MainInstall->AddToRestartList(AddTrailingBackslash(link->GetDestDir()) + GetStrProp(link, "LinkName"), 1);
        break;
    case 3:
        // The Startup group of Program Manager.
        SetOrdProp(link, "DestDirType", (long long)PS::ddProgramMenuDir);
        SetStrProp(link, "DestDir", "\\Startup");
        MainInstall->AddToRestartList(ChangeFileExt(GetStrProp(link, "LinkName"), ""), 2);
        break;
    default:
        break;
    }
    link->Process();
}

// ---------------------------------------------------------------------------------------
// Shared-DLL count and self-registration

bool TInstallFile::UpdateSharedDLLCount() { return ::UpdateSharedDLLCount(DestPath(), Name()); }

bool TInstallFile::IsOLESelfRegister() { return ::IsOLESelfRegister(SourcePath()); }

void TInstallFile::RegisterActiveXDLL() { ::RegisterActiveXDLL(DestPath(), Name()); }

void TInstallFile::RegisterActiveXEXE() { ::RegisterActiveXEXE(DestPath(), Name()); }
