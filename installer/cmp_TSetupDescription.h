// The installer description: a text in the form-description syntax whose root object is
// a TSetupDescription and whose components are the library's own (the main install
// object, file groups, install files, whole folders, link groups and links, the uninstall
// program, the translator). zbuild reads it and packs it with the files it names; the
// setup runtime reads it again out of its own image and runs it.
//
//   object Setup: TSetupDescription
//     object Product: TMainInstall
//       ProductName = 'Example'
//       DestDir = '\Example'
//       DestDirType = ddProgramFilesDir
//     end
//     object Files: TInstallFileGroup
//       Container = Product
//       DestDirType = ddMainInstallDir
//     end
//     object Docs: TInstallFolder
//       Container = Files
//       SourceDir = 'docs'
//       Exclude.Strings = ( '*.bak' )
//     end
//   end
//
// Paths of source files are relative to the description's folder; they are also the
// names the files are stored under in the package.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "framework/classes.h"

class TFileContainer;
class TInstallFileGroup;

// The root of a description: the settings of the package as a whole.
// How the builder packs the payload: every file as its own zlib stream (the archive as
// the engine writes it), or the whole archive, stored, as one solid LZMA container that
// the runtime unpacks before it installs.
enum class TPayloadCompression : std::uint8_t { pcZlib, pcSolid };
const std::vector<std::string>& PayloadCompressionNames();

class TSetupDescription : public TComponent {
    ZARN_CLASS(TSetupDescription, TComponent)
public:
    explicit TSetupDescription(TComponent* owner);

    // Whether the builder adds the library's uninstall program (as UNINSTALL.EXE in the
    // first file group, with a link in the main link group). A description that holds a
    // TUninstallEXE of its own gets none either.
    bool AddUninstaller() const { return addUninstaller_; }
    void SetAddUninstaller(bool v) { addUninstaller_ = v; }
    // zbuild's --compression overrides it.
    TPayloadCompression Compression() const { return compression_; }
    void SetCompression(TPayloadCompression v) { compression_ = v; }

private:
    bool addUninstaller_ = true;
    TPayloadCompression compression_ = TPayloadCompression::pcZlib;
};

// A whole folder tree taken into a file group. The builder scans SourceDir (recursively
// unless told otherwise, in a stable order: the names of a folder sorted without regard
// to case, its files before its subfolders), leaves out what matches Exclude, and
// records the relative paths in Files; Expand then makes one install file per entry,
// stored as SourceDir\path, installed below the group's folder (and DestDir) under the
// same relative path.
class TInstallFolder : public TComponent {
    ZARN_CLASS(TInstallFolder, TComponent)
public:
    explicit TInstallFolder(TComponent* owner);
    ~TInstallFolder() override;

    TFileContainer* Container() const { return container_; }
    void SetContainer(TFileContainer* v) { container_ = v; }
    std::string SourceDir() const { return sourceDir_; }
    void SetSourceDir(const std::string& v);
    // A folder below the group's destination ('\Docs'); empty: the group's own.
    std::string DestDir() const { return destDir_; }
    void SetDestDir(const std::string& v) { destDir_ = v; }
    bool Recursive() const { return recursive_; }
    void SetRecursive(bool v) { recursive_ = v; }
    TOverwriteType OverwriteMode() const { return overwriteMode_; }
    void SetOverwriteMode(TOverwriteType v) { overwriteMode_ = v; }
    // Wildcards (* and ?, without regard to case): a pattern with a backslash is matched
    // against the path below SourceDir, one without against each file or folder name; a
    // folder that matches is left out whole.
    TStringList* Exclude() const { return exclude_.get(); }
    // The files below SourceDir, as the builder found them (the description need not
    // name them).
    TStringList* Files() const { return files_.get(); }

    // Fills Files from the disk; a relative SourceDir is taken from the current folder.
    // Raises Exception when SourceDir is no folder.
    void Scan();
    // Creates the install files of Files (owned by this component's owner) in the
    // container. Once only.
    void Expand();

private:
    void ScanFolder(const std::string& relative);
    bool Excluded(const std::string& relative, const std::string& name) const;

    TFileContainer* container_ = nullptr;
    std::string sourceDir_;
    std::string destDir_;
    bool recursive_ = true;
    bool expanded_ = false;
    TOverwriteType overwriteMode_ = TOverwriteType::owAlways;
    std::unique_ptr<TStringList> exclude_;
    std::unique_ptr<TStringList> files_;
};

// Wildcard match, * and ?, ASCII letters without regard to case.
bool MatchesWildcard(const std::string& text, const std::string& pattern);

// Where each object of a description text opens and ends, found by its lines (each
// `object Name: TClass` and `end` on a line of its own, as descriptions are written).
struct TObjectSpan {
    std::string name;
    std::string className;
    int line = 0;      // of `object`, 1-based
    int endLine = 0;   // of its `end`; 0 when it has none
    int depth = 0;     // 0 for the root
};
std::vector<TObjectSpan> ScanObjectSpans(const std::string& text);
// The innermost object whose lines hold `line`; nullptr when none.
const TObjectSpan* ObjectAtLine(const std::vector<TObjectSpan>& spans, int line);

// An error in a description, with where it is: "FILE:LINE: COMPONENT: message".
struct TDescriptionError {
    std::string file;
    int line = 0;
    std::string component;
    std::string message;
    std::string Text() const;
};

class EDescriptionError : public Exception {
public:
    explicit EDescriptionError(TDescriptionError e) : Exception(e.Text()), Error(std::move(e)) {}
    TDescriptionError Error;
};

// Reads a description text into `root`; EDescriptionError when it cannot be read.
void ReadSetupDescription(TSetupDescription* root, const std::string& text, const std::string& sourceName);
// Expand on every TInstallFolder of `root`.
void ExpandInstallFolders(TSetupDescription* root);

void RegisterSetupDescriptionClasses();
