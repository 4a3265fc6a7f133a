// Object repository entries: an install file that delivers a template for one of the
// supported development environments adds it to that environment's object repository,
// an INI-format catalogue file, once the file is installed.
//
// Every install file owns a TRepository with one entry per environment. The entries
// name install files (the owning one, an icon, an ancestor) only through IRepositoryFile,
// which the install files implement; they reach the references of a form description as
// plain components and check that each one is such a file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "framework/classes.h"

// What an entry needs of an install file: where it is installed.
class IRepositoryFile {
public:
    virtual ~IRepositoryFile() = default;
    // The resolved destination folder (may raise the resolver's errors) and the name of
    // the file there.
    virtual std::string RepositoryDestDir() = 0;
    virtual std::string RepositoryDestName() const = 0;
};

// The destination folder with a trailing backslash, followed by the name.
std::string RepositoryDestPath(IRepositoryFile& file);

// A catalogue file that cannot be written.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// Repository kinds: where an entry is registered.
constexpr std::uint8_t RepositoryDelphi3 = 0;
constexpr std::uint8_t RepositoryDelphi2 = 1;
constexpr std::uint8_t RepositoryCBuilder = 2;

class TCustomObjectRepositoryEntry : public TPersistent {
    ZARN_CLASS(TCustomObjectRepositoryEntry, TPersistent)
public:
    // Raises Exception when `installFile` is nil.
    TCustomObjectRepositoryEntry(std::uint8_t kind, IRepositoryFile* installFile);
    ~TCustomObjectRepositoryEntry() override;

    // Writes the entry into its catalogue when RegisterIt is set. A failure is raised
    // when RaiseExceptionOnFailure is set and ignored otherwise.
    virtual void Register();
    // Copies every published property of another entry (the owning file and the kind
    // stay); anything else fails as the framework's assignment does.
    void Assign(TPersistent* source) override;

    std::uint8_t Kind() const { return kind_; }
    IRepositoryFile* InstallFile() const { return installFile_; }

    TComponent* Ancestor() const { return ancestor_; }
    // Only install files (IRepositoryFile) are accepted; EConvertError for others.
    void SetAncestor(TComponent* value);
    std::string Author() const { return author_; }
    void SetAuthor(const std::string& v) { author_ = v; }
    std::string Description() const { return description_; }
    void SetDescription(const std::string& v) { description_ = v; }
    std::string EntryName() const { return entryName_; }
    void SetEntryName(const std::string& v) { entryName_ = v; }
    std::string EntryType() const { return entryType_; }
    void SetEntryType(const std::string& v) { entryType_ = v; }
    TComponent* IconFile() const { return iconFile_; }
    void SetIconFile(TComponent* value);
    bool OverwriteSameFileName() const { return overwriteSameFileName_; }
    void SetOverwriteSameFileName(bool v) { overwriteSameFileName_ = v; }
    std::string Page() const { return page_; }
    void SetPage(const std::string& v) { page_ = v; }
    bool RaiseExceptionOnFailure() const { return raiseExceptionOnFailure_; }
    void SetRaiseExceptionOnFailure(bool v) { raiseExceptionOnFailure_ = v; }
    bool RegisterIt() const { return registerIt_; }
    void SetRegisterIt(bool v) { registerIt_ = v; }

    // A component that is going away: references to it are dropped.
    void ForgetComponent(const TComponent* component);

private:
    void WriteEntry();

    std::uint8_t kind_;
    IRepositoryFile* installFile_;
    TComponent* ancestor_ = nullptr;
    std::string author_, description_, entryName_, entryType_;
    TComponent* iconFile_ = nullptr;
    bool overwriteSameFileName_ = true;
    std::string page_;
    bool raiseExceptionOnFailure_ = false;
    bool registerIt_ = false;
};

class TObjectRepositoryEntry : public TCustomObjectRepositoryEntry {
    ZARN_CLASS(TObjectRepositoryEntry, TCustomObjectRepositoryEntry)
public:
    using TCustomObjectRepositoryEntry::TCustomObjectRepositoryEntry;
};

// The three entries of an install file: Delphi 2.0, Delphi 3.0 and C++Builder 1.0.
class TCustomRepository : public TPersistent {
    ZARN_CLASS(TCustomRepository, TPersistent)
public:
    explicit TCustomRepository(IRepositoryFile* installFile);
    ~TCustomRepository() override;

    // Registers Delphi2, then Delphi3, then CBuilder.
    virtual void Register();

    TObjectRepositoryEntry* Delphi2() const { return delphi2_.get(); }
    TObjectRepositoryEntry* Delphi3() const { return delphi3_.get(); }
    TObjectRepositoryEntry* CBuilder() const { return cBuilder_.get(); }
    void ForgetComponent(const TComponent* component);

protected:
    std::unique_ptr<TObjectRepositoryEntry> delphi2_;
    std::unique_ptr<TObjectRepositoryEntry> delphi3_;
    std::unique_ptr<TObjectRepositoryEntry> cBuilder_;
};

class TRepository : public TCustomRepository {
    ZARN_CLASS(TRepository, TCustomRepository)
public:
    using TCustomRepository::TCustomRepository;
    // Each copies the given entry into the owned one.
    void SetDelphi2(TObjectRepositoryEntry* value);
    void SetDelphi3(TObjectRepositoryEntry* value);
    void SetCBuilder(TObjectRepositoryEntry* value);
    // Copies the three entries of another repository.
    void Assign(TPersistent* source) override;
};

// The full path of the catalogue file of a kind: "BaseDir" of the user's repository key,
// else "RootDir" of the machine's key followed by "Bin". Raises Exception when neither
// names one or the file does not exist.
std::string LocateRepositoryFile(std::uint8_t kind);
// The section names of an INI-format file, into `list` (nothing happens when it is nil).
void ReadSectionNames(const std::string& fileName, TStrings* list);
// Erases every section whose upper-cased name contains `base`, when the file has more
// than one section. EIniFileException when a section cannot be erased.
void EraseMatchingSections(const std::string& fileName, const std::string& base);
