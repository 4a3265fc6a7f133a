// Install files: their fields and published properties, the setters with their file-kind,
// folder and name rules, and the reading of a file's size, date and version from the
// source file or the archive.
#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "registration/cmp_TVersion.h"

namespace {

using PS = TPathSpecifiers;
using IFT = TInstallFileType;

std::string Msg(const char* text, const std::string& arg) { return Format(TranslateText(text), {arg}); }

// The extension of a name's file part, dot included; empty when it has none.
std::string ExtensionOf(const std::string& name) {
    std::size_t p = name.find_last_of(".\\:");
    if (p == std::string::npos || name[p] != '.') return {};
    return name.substr(p);
}

// 12 characters is the longest 8.3 name.
constexpr std::size_t Max83NameLength = 12;
constexpr const char* Placeholder83Name = "12345678.DLL";

}  // namespace

bool RestartNeeded = false;

const std::vector<std::string>& InstallFileTypeNames() {
    static const std::vector<std::string> names = {"iftNormal", "iftJustADLL", "iftApplicationSpecificDLL",
                                                   "iftVendorSharedDLL", "iftSystemWideDLL"};
    return names;
}

const std::vector<std::string>& InstallFileStateNames() {
    static const std::vector<std::string> names = {"ifsNone", "ifsCompress", "ifsInstall", "ifsCopying"};
    return names;
}

// ---------------------------------------------------------------------------------------
// Exceptions

EAIIFNotFileContainer::EAIIFNotFileContainer(const std::string& name)
    : EAIIF(Msg("The following TInstallFile component %s requires the Container property to be a component "
                "descended from the TFileContainer component",
                name)) {}

EAIIFDLLNameConflict::EAIIFDLLNameConflict(const std::string& fileName)
    : EAIIF(Msg("The following file :%s: is specified to be a Shared DLL file. To be installed on the user's "
                "system, shared DLLs must be loaded into the WININIT.INI. When the system reboots, the DLL will be "
                "installed.  However, the WININIT.INI supports only old 8.3 character filenames. Therefore, please "
                "rename the DESTNAME property of the TInstallFile component",
                fileName)) {}

EAIIFCouldNotOpenFileImage::EAIIFCouldNotOpenFileImage(const std::string& sourcePath)
    : EAIIF(Msg("Could not open or find the following file when trying to read the Size, Date, and Version :%s",
                sourcePath)) {}

EAIIFDuplicateFileInGroup::EAIIFDuplicateFileInGroup(const std::string& sourcePath)
    : EAIIF(Msg("There is already a file with the name :%s", sourcePath)) {}

EAIIFCannotUpdateDLLCountInRegistry::EAIIFCannotUpdateDLLCountInRegistry(const std::string& fileName)
    : EAIIF(Msg("Cannot update the DLL count for the following file :%s:", fileName)) {}

EAIIFBlankArchiveFile::EAIIFBlankArchiveFile(const std::string& fileName)
    : EAIIF(Msg("Cannot either compress or decompress the following file because it's archive file property is "
                "blank. File is :%s",
                fileName)) {}

// ---------------------------------------------------------------------------------------
// TInstallFile

ZARN_DEFINE_CLASS(TInstallFile, TFileRelated, [](TClassBuilder<TInstallFile>& b) {
    using F = TInstallFile;
    b.Str("ArchiveFile", &F::ArchiveFile, &F::SetArchiveFile)
        .Enum<PS>("ArchiveFileType", PathSpecifierNames(), &F::ArchiveFileType, &F::SetArchiveFileType)
        .Enum<TlzhCommand>("AddToArchive", LzhCommandNames(), &F::AddToArchive, &F::SetAddToArchive)
        .Str("DestDir", &F::DestDir, &F::SetDestDir)
        .Enum<PS>("DestDirType", PathSpecifierNames(), &F::DestDirType, &F::SetDestDirType)
        .Str("DestName", &F::DestName, &F::SetDestName)
        .Str("FileName", &F::FileName, &F::SetFileName)
        .Enum<IFT>("FileType", InstallFileTypeNames(), &F::FileType, &F::SetFileType)
        .Bool("Include", &F::Include, &F::SetInclude)
        .Str("IncludeFromDir", &F::IncludeFromDir, &F::SetIncludeFromDir)
        .Set<TInstallType>("InstallTypes", InstallTypeNames(), &F::InstallTypes, &F::SetInstallTypes)
        .Int<int>("Order", &F::Order, &F::SetOrder)
        .Enum<TOverwriteType>("OverwriteMode", OverwriteTypeNames(), &F::OverwriteMode, &F::SetOverwriteMode)
        .Bool("RegisterAsActiveX_DLLStyle", &F::RegisterAsActiveX_DLLStyle, &F::SetRegisterAsActiveX_DLLStyle)
        .Bool("RegisterAsActiveX_EXEStyle", &F::RegisterAsActiveX_EXEStyle, &F::SetRegisterAsActiveX_EXEStyle)
        .Bool("RegisterAsHelp", &F::RegisterAsHelp, &F::SetRegisterAsHelp)
        .Object<TRepository>("Repository", &F::Repository)
        .Enum<TInstallFileState>("State", InstallFileStateNames(), &F::State, &F::SetState)
        .Bool("UpdateDLLCounter", &F::UpdateDLLCounter, &F::SetUpdateDLLCounter)
        .Event("OnAfterCompress", &F::OnAfterCompress)
        .Event("OnAfterCopy", &F::OnAfterCopy)
        .Event("OnAfterInstallFile", &F::OnAfterInstallFile)
        .Event("OnBeforeCompress", &F::OnBeforeCompress)
        .Event("OnBeforeCopy", &F::OnBeforeCopy)
        .Event("OnBeforeInstallFile", &F::OnBeforeInstallFile)
        .Event("OnStatus", &F::OnStatus)
        .Event("OnNewDisk", &F::OnNewDisk)
        .Event("OnReplacing", &F::OnReplacing)
        .Creatable();
})

TInstallFile::TInstallFile(TComponent* owner)
    : TFileRelated(owner), repository_(std::make_unique<TRepository>(this)) {
    autoProcess_ = true;
    include_ = true;
    processRank_ = 2000;
}

std::string TInstallFile::SourcePath() const { return AddTrailingBackslash(includeFromDir_) + fileName_; }

std::string TInstallFile::DestPath() { return AddTrailingBackslash(GetDestDir()) + destName_; }

bool TInstallFile::IsDLLKind(TInstallFileType type) { return type != IFT::iftNormal; }

void TInstallFile::CheckNoDuplicate(TInstallContainer* container, const std::string& sourcePath) const {
    auto* files = dynamic_cast<TFileContainer*>(container);
    if (!files) return;
    TInstallFile* found = files->FindFile(sourcePath);
    if (found && found != this) throw EAIIFDuplicateFileInGroup(sourcePath);
}

void TInstallFile::SetContainer(TInstallContainer* value) {
    containerAssigned_ = true;
    if (!IsLoading() && value) {
        if (!dynamic_cast<TFileContainer*>(value)) throw EAIIFNotFileContainer(Name());
        CheckNoDuplicate(value, SourcePath());
    }
    TFileRelated::SetContainer(value);
}

void TInstallFile::SetDestName(const std::string& value) {
    destName_ = value;
    if (IsLoading()) return;
    if (IsDLLKind(fileType_) && destName_.size() > Max83NameLength) {
        destName_ = Placeholder83Name;
        throw EAIIFDLLNameConflict(fileName_);
    }
}

void TInstallFile::SetFileName(const std::string& value) {
    if (IsLoading()) {
        fileName_ = value;
        return;
    }
    if (value == fileName_) return;
    CheckNoDuplicate(container_, AddTrailingBackslash(includeFromDir_) + value);
    fileName_ = value;
    SetDestName(value);
    ApplyNamePresets();
}

void TInstallFile::SetIncludeFromDir(const std::string& value) {
    if (IsLoading()) {
        includeFromDir_ = value;
        return;
    }
    if (value == includeFromDir_) return;
    CheckNoDuplicate(container_, AddTrailingBackslash(value) + fileName_);
    includeFromDir_ = value;
    ApplyNamePresets();
}

void TInstallFile::ApplyNamePresets() {
    const std::string ext = UpperCase(ExtensionOf(fileName_));
    registerAsHelp_ = ext == ".HLP" || ext == ".CNT";
    bool selfRegistering = false;
    try {
        selfRegistering = IsOLESelfRegister();
    } catch (const Exception&) {
        selfRegistering = false;
    }
    if (ext == ".OCX")
        SetRegisterAsActiveX_DLLStyle(true);
    else if (ext == ".EXE" && selfRegistering)
        SetRegisterAsActiveX_EXEStyle(true);
    else
        SetRegisterAsActiveX_DLLStyle(selfRegistering);
    if (registerAsActiveX_DLLStyle_ || registerAsActiveX_EXEStyle_) updateDLLCounter_ = true;
}

void TInstallFile::SetFileType(TInstallFileType value) {
    if (!IsLoading()) {
        if (IsDLLKind(value) && destName_.size() > Max83NameLength) {
            destName_ = Placeholder83Name;
            throw EAIIFDLLNameConflict(fileName_);
        }
        switch (value) {
        case IFT::iftApplicationSpecificDLL:
            destDirType_ = PS::ddMainInstallDir;
            destDir_ = "\\System";
            break;
        case IFT::iftVendorSharedDLL:
            destDirType_ = PS::ddCommonFilesDir;
            destDir_ = "\\System";
            updateDLLCounter_ = true;
            break;
        case IFT::iftSystemWideDLL:
            destDirType_ = PS::ddSystem;
            destDir_.clear();
            overwriteMode_ = TOverwriteType::owVersionDate;
            updateDLLCounter_ = true;
            break;
        case IFT::iftNormal:
        case IFT::iftJustADLL:
            break;
        }
    }
    fileType_ = value;
}

void TInstallFile::SetDestDir(const std::string& value) {
    if (IsLoading()) {
        destDir_ = value;
        return;
    }
    switch (fileType_) {
    case IFT::iftApplicationSpecificDLL:
    case IFT::iftVendorSharedDLL: destDir_ = "\\System"; break;
    case IFT::iftSystemWideDLL: destDir_.clear(); break;
    default: destDir_ = value; break;
    }
}

void TInstallFile::SetDestDirType(TPathSpecifiers value) {
    if (IsLoading()) {
        destDirType_ = value;
        return;
    }
    switch (fileType_) {
    case IFT::iftApplicationSpecificDLL:
        if (value != PS::ddMainInstallDir)
            throw Exception(TranslateText("DestDirType must be set to ddMainInstall for iftApplicationSpecificDLL files"));
        break;
    case IFT::iftVendorSharedDLL:
        if (value != PS::ddCommonFilesDir)
            throw Exception(TranslateText("DestDirType must be set to ddCommonFiles for iftVendorSharedDLL"));
        break;
    case IFT::iftSystemWideDLL:
        if (value != PS::ddSystem)
            throw Exception(TranslateText("DestDirType must be set to ddSystem for iftSystemWideDLL files"));
        break;
    default: break;
    }
    TFileRelated::SetDestDirType(value);
}

void TInstallFile::SetRegisterAsActiveX_DLLStyle(bool value) {
    registerAsActiveX_DLLStyle_ = value;
    if (IsLoading() || !value) return;
    registerAsActiveX_EXEStyle_ = false;
    updateDLLCounter_ = true;
}

void TInstallFile::SetRegisterAsActiveX_EXEStyle(bool value) {
    registerAsActiveX_EXEStyle_ = value;
    if (IsLoading() || !value) return;
    registerAsActiveX_DLLStyle_ = false;
    updateDLLCounter_ = true;
}

void TInstallFile::SetRepository(TRepository* value) { repository_->Assign(value); }

void TInstallFile::SetState(TInstallFileState value) {
    // The stored value is always ifsNone: nothing runs while a form is read.
    if (IsLoading()) return;
    TryFinally(
        [&] {
            switch (value) {
            case TInstallFileState::ifsCompress: CompressFile(); break;
            case TInstallFileState::ifsInstall: Process(); break;
            case TInstallFileState::ifsCopying: CopyFile(); break;
            case TInstallFileState::ifsNone: break;
            }
        },
        [&] { state_ = TInstallFileState::ifsNone; });
}

void TInstallFile::ContainerDestroyed(TInstallContainer* obj) {
    TFileRelated::ContainerDestroyed(obj);
    // Repository entries may name the file that goes (as icon or ancestor).
    repository_->ForgetComponent(obj);
}

bool TInstallFile::IsInstallFile() const { return true; }

std::string TInstallFile::LinkTarget() { return DestPath(); }

std::string TInstallFile::NameForLinks() const { return ChangeFileExt(destName_, ".lnk"); }

std::string TInstallFile::RepositoryDestDir() { return GetDestDir(); }

std::string TInstallFile::RepositoryDestName() const { return destName_; }

// ---------------------------------------------------------------------------------------
// Size, date and version

void TInstallFile::ReadSourceInfo() {
    const std::string source = SourcePath();
    {
        platform::FileHandle h(platform::CreateFile(source, platform::GenericRead,
                                                    platform::FileShareRead | platform::FileShareWrite |
                                                        platform::FileShareDelete,
                                                    platform::OpenExisting));
        if (!h) throw EAIIFCouldNotOpenFileImage(source);
        fileDate_ = FileGetDate(h.get());
        fileSize_ = int(platform::GetFileSize(h.get()));
    }
    if (!VersionReader) InitVersionUnit();
    VersionReader->SetFileName(source);
    fileVersion_ = VersionReader->VersionInfo()->FileVersion();
}

void TInstallFile::ReadArchiveInfo() {
    const std::string archive = GetArchiveFile();
    if (Trim(archive).empty()) throw EAIIFBlankArchiveFile(fileName_);
    SharedCompress->SetCompressedFile(archive);
    const int index = SharedCompress->IndexOfFile(SourcePath());
    if (index < 0) return;
    TlzhFileStats stats;
    SharedCompress->GetFileStats(index, stats);
    compressedSize_ = stats.Header.CompressedSize();
    fileDate_ = stats.Header.FileDate();
    fileSize_ = stats.Header.FileSize();
    fileVersion_ = stats.Header.FileVersion();
}
