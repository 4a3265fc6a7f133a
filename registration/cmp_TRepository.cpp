#include "registration/cmp_TRepository.h"

#include "framework/msgtranslation.h"
#include "framework/paths.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "registration/routines_RegistryWriter.h"

namespace {

struct RepositoryLocation {
    const char* versionPart;
    const char* catalogue;
};

RepositoryLocation LocationOf(std::uint8_t kind) {
    switch (kind) {
    case RepositoryDelphi3: return {"\\Delphi\\3.0", "DELPHI32.DRO"};
    case RepositoryDelphi2: return {"\\Delphi\\2.0", "DELPHI32.DRO"};
    case RepositoryCBuilder: return {"\\C++Builder\\1.0", "BCB.DRO"};
    }
    throw Exception(Format("Unknown object repository kind %d", {(long long)kind}));
}

void WriteProfile(const std::string& fileName, const std::string& section, const std::string& key,
                  const std::string& value) {
    if (!platform::WritePrivateProfileString(section, &key, &value, fileName))
        throw EIniFileException(Format("Unable to write to %s", {fileName}));
}

IRepositoryFile* RepositoryFileOf(TComponent* value) {
    if (!value) return nullptr;
    auto* file = dynamic_cast<IRepositoryFile*>(value);
    if (!file) throw EConvertError(Format("Cannot assign a %s to a %s", {value->ClassName(), std::string("TInstallFile")}));
    return file;
}

}  // namespace

std::string RepositoryDestPath(IRepositoryFile& file) {
    return AddTrailingBackslash(file.RepositoryDestDir()) + file.RepositoryDestName();
}

// ---------------------------------------------------------------------------------------
// Entries

ZARN_DEFINE_CLASS(TCustomObjectRepositoryEntry, TPersistent, [](auto&) {})

ZARN_DEFINE_CLASS(TObjectRepositoryEntry, TCustomObjectRepositoryEntry, [](TClassBuilder<TObjectRepositoryEntry>& b) {
    using E = TCustomObjectRepositoryEntry;
    b.Ref<TComponent>("Ancestor", &TComponent::StaticClass(), &E::SetAncestor)
        .Str("Author", &E::Author, &E::SetAuthor)
        .Str("Description", &E::Description, &E::SetDescription)
        .Str("EntryName", &E::EntryName, &E::SetEntryName)
        .Str("EntryType", &E::EntryType, &E::SetEntryType)
        .Ref<TComponent>("IconFile", &TComponent::StaticClass(), &E::SetIconFile)
        .Bool("OverwriteSameFileName", &E::OverwriteSameFileName, &E::SetOverwriteSameFileName)
        .Str("Page", &E::Page, &E::SetPage)
        .Bool("RaiseExceptionOnFailure", &E::RaiseExceptionOnFailure, &E::SetRaiseExceptionOnFailure)
        .Bool("RegisterIt", &E::RegisterIt, &E::SetRegisterIt);
})

TCustomObjectRepositoryEntry::TCustomObjectRepositoryEntry(std::uint8_t kind, IRepositoryFile* installFile)
    : kind_(kind), installFile_(installFile) {
    if (!installFile)
        throw Exception(TranslateText("Cannot create the TObjectRepositoryEntry because the file component passed "
                                         "to the contructor was NIL"));
}

TCustomObjectRepositoryEntry::~TCustomObjectRepositoryEntry() = default;

void TCustomObjectRepositoryEntry::SetAncestor(TComponent* value) {
    RepositoryFileOf(value);
    ancestor_ = value;
}

void TCustomObjectRepositoryEntry::SetIconFile(TComponent* value) {
    RepositoryFileOf(value);
    iconFile_ = value;
}

void TCustomObjectRepositoryEntry::ForgetComponent(const TComponent* component) {
    if (!component) return;
    if (ancestor_ == component) ancestor_ = nullptr;
    if (iconFile_ == component) iconFile_ = nullptr;
}

void TCustomObjectRepositoryEntry::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TCustomObjectRepositoryEntry*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    ancestor_ = other->ancestor_;
    author_ = other->author_;
    description_ = other->description_;
    entryName_ = other->entryName_;
    entryType_ = other->entryType_;
    iconFile_ = other->iconFile_;
    overwriteSameFileName_ = other->overwriteSameFileName_;
    page_ = other->page_;
    raiseExceptionOnFailure_ = other->raiseExceptionOnFailure_;
    registerIt_ = other->registerIt_;
}

void TCustomObjectRepositoryEntry::Register() {
    if (!registerIt_) return;
    try {
        WriteEntry();
    } catch (const Exception&) {
        if (raiseExceptionOnFailure_) throw;
    }
}

void TCustomObjectRepositoryEntry::WriteEntry() {
    const std::string file = LocateRepositoryFile(kind_);
    const std::string destName = installFile_->RepositoryDestName();
    const std::string plainName = ChangeFileExt(destName, "");
    if (overwriteSameFileName_) EraseMatchingSections(file, UpperCase(plainName));
    WriteProfile(file, "Repository Pages", page_, "");
    const std::string section = AddTrailingBackslash(installFile_->RepositoryDestDir()) + plainName;
    WriteProfile(file, section, "Name", entryName_);
    WriteProfile(file, section, "Page", page_);
    WriteProfile(file, section, "Type", entryType_);
    WriteProfile(file, section, "Description", description_);
    WriteProfile(file, section, "Author", author_);
    if (iconFile_) WriteProfile(file, section, "Icon", RepositoryDestPath(*RepositoryFileOf(iconFile_)));
    if (ancestor_) WriteProfile(file, section, "Ancestor", RepositoryDestPath(*RepositoryFileOf(ancestor_)));
}

// ---------------------------------------------------------------------------------------
// Repositories

ZARN_DEFINE_CLASS(TCustomRepository, TPersistent, [](auto&) {})

ZARN_DEFINE_CLASS(TRepository, TCustomRepository, [](TClassBuilder<TRepository>& b) {
    b.Object<TObjectRepositoryEntry>("Delphi2", &TCustomRepository::Delphi2)
        .Object<TObjectRepositoryEntry>("Delphi3", &TCustomRepository::Delphi3)
        .Object<TObjectRepositoryEntry>("CBuilder", &TCustomRepository::CBuilder);
})

TCustomRepository::TCustomRepository(IRepositoryFile* installFile)
    : delphi2_(std::make_unique<TObjectRepositoryEntry>(RepositoryDelphi2, installFile)),
      delphi3_(std::make_unique<TObjectRepositoryEntry>(RepositoryDelphi3, installFile)),
      cBuilder_(std::make_unique<TObjectRepositoryEntry>(RepositoryCBuilder, installFile)) {}

TCustomRepository::~TCustomRepository() = default;

void TCustomRepository::Register() {
    delphi2_->Register();
    delphi3_->Register();
    cBuilder_->Register();
}

void TCustomRepository::ForgetComponent(const TComponent* component) {
    delphi2_->ForgetComponent(component);
    delphi3_->ForgetComponent(component);
    cBuilder_->ForgetComponent(component);
}

void TRepository::SetDelphi2(TObjectRepositoryEntry* value) { delphi2_->Assign(value); }
void TRepository::SetDelphi3(TObjectRepositoryEntry* value) { delphi3_->Assign(value); }
void TRepository::SetCBuilder(TObjectRepositoryEntry* value) { cBuilder_->Assign(value); }

void TRepository::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TCustomRepository*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    delphi2_->Assign(other->Delphi2());
    delphi3_->Assign(other->Delphi3());
    cBuilder_->Assign(other->CBuilder());
}

// ---------------------------------------------------------------------------------------
// Catalogue files

std::string LocateRepositoryFile(std::uint8_t kind) {
    const RepositoryLocation where = LocationOf(kind);
    const std::string versionPart = where.versionPart;
    std::string result;
    std::string baseDir;
    ReadRegString(RootCurrentUser, "\\Software\\Borland" + versionPart + "\\repository", "BaseDir", baseDir, "");
    if (!baseDir.empty()) {
        result = AddTrailingBackslash(baseDir) + where.catalogue;
    } else {
        std::string rootDir;
        ReadRegString(RootLocalMachine, "\\Software\\Borland" + versionPart, "RootDir", rootDir, "");
        if (rootDir.empty())
            throw Exception(Format(TranslateText("Could find the object repository because the "
                                                    "HKEY_LOCAL_MACHINE\\Software\\Borland%s | RootDir entry was "
                                                    "blank in the registry"),
                                   {versionPart}));
        result = AddTrailingBackslash(rootDir) + "Bin\\" + where.catalogue;
    }
    if (!platform::FileExists(result))
        throw Exception(Format(TranslateText("Could not find the Object Repository file %s"), {result}));
    return result;
}

void ReadSectionNames(const std::string& fileName, TStrings* list) {
    if (!list) return;
    list->Clear();
    TStringList lines;
    lines.LoadFromFile(fileName);
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string line = Trim(lines[i]);
        if (line.size() > 1 && line[0] == '[') list->Add(line.substr(1, line.size() - 2));
    }
}

void EraseMatchingSections(const std::string& fileName, const std::string& base) {
    // An empty name would match every section and empty the whole catalogue.
    if (base.empty()) return;
    TStringList names;
    ReadSectionNames(fileName, &names);
    if (names.Count() <= 1) return;
    for (int i = 0; i < names.Count(); ++i) {
        if (UpperCase(names[i]).find(base) == std::string::npos) continue;
        if (!platform::WritePrivateProfileString(names[i], nullptr, nullptr, fileName))
            throw EIniFileException(Format("Unable to write to %s", {fileName}));
    }
}
