#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "archive/cmp_TFileHeaders.h"
#include "archive/routines_Lzma.h"
#include "archive/routines_ShareData.h"
#include "framework/paths.h"
#include "framework/streams.h"
#include "install/cmp_TInstallContainer.h"
#include "localisation/cmp_TTranslator.h"
#include "installer/cmp_TMainInstall.h"
#include "installer/cmp_TSetupDescription.h"
#include "installer/cmp_TSetupWizard.h"
#include "installer/routines_Package.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/thread.h"
#include "shell/cmp_TInstallShellLink.h"
#include "shell/cmp_TUninstallEXE.h"
#include "shell/startup.h"
#include "tools/zarc/diskset.h"
#include "tools/zarc/progress.h"
#include "tools/zbuild/zbuild.h"

#include "zbuild_runtime.h"

namespace zbuild {

namespace {

using PS = TPathSpecifiers;

constexpr std::uint32_t SolidDictionary = 64u << 20;
constexpr int SolidLevel = 4;

const char* const kUsage =
    "usage: zbuild DESCRIPTION [-o SETUP.EXE] [options]\n"
    "       zbuild --classes\n"
    "\n"
    "Builds one setup program from an installer description: the runtime, the\n"
    "description and an archive of every file it names. Paths in the description are\n"
    "relative to its folder. Every error is reported with its file, line and component\n"
    "before anything is written.\n"
    "\n"
    "options:\n"
    "  -o, --output FILE   the setup program to write (default: setup.exe in the\n"
    "                      description's folder)\n"
    "  --runtime DIR       the folder of the Windows runtime programs (zsetup.exe,\n"
    "                      zrestart.exe, uninstall.exe); default: beside zbuild, else\n"
    "                      the folder the build set up\n"
    "  --compression KIND  zlib: every file a zlib stream of its own, as the archive\n"
    "                      engine writes it; solid: the archive, its files stored, packed\n"
    "                      whole as LZMA (much smaller where files resemble each other;\n"
    "                      the setup program unpacks it while it installs).\n"
    "                      Default: the description's Compression (pcZlib, pcSolid)\n"
    "  --jobs N            threads that compress (default: one per processor core, at\n"
    "                      least 2; the output is the same for every N above 1, and\n"
    "                      differs for 1, which compresses exactly as the library does;\n"
    "                      solid: one block unless N is given, then up to N blocks of\n"
    "                      at least 32 MB packed side by side, each losing the repeats\n"
    "                      across its boundary)\n"
    "  -q, --quiet         no progress, only errors\n"
    "  --classes           lists the classes a description may use, with their\n"
    "                      properties\n"
    "\n"
    "Exit codes: 0 built, 1 errors in the description or a failed or stopped build,\n"
    "2 wrong command line.\n";

struct Options {
    std::string description;
    std::string output;
    std::string runtime;
    int jobs = 0;
    // Empty: the description says.
    std::string compression;
    bool quiet = false;
    bool classes = false;
};

class UsageError : public Exception {
    using Exception::Exception;
};

Options Parse(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "-o" || a == "--output") {
            o.output = value();
        } else if (a == "--runtime") {
            o.runtime = value();
        } else if (a == "--jobs" || a == "-j") {
            long long n = 0;
            const std::string v = value();
            if (!TryStrToInt(v, n) || n < 1 || n > TZarnCompress::MaxJobs)
                throw UsageError("--jobs needs a number from 1 to " + std::to_string(TZarnCompress::MaxJobs));
            o.jobs = int(n);
        } else if (a == "--compression") {
            o.compression = value();
            if (o.compression != "zlib" && o.compression != "solid")
                throw UsageError("--compression is zlib or solid");
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "--classes") {
            o.classes = true;
        } else if (a == "-h" || a == "--help" || a == "/?") {
            throw UsageError("");
        } else if (!a.empty() && a[0] == '-' && a.size() > 1) {
            throw UsageError("unknown option " + a);
        } else if (o.description.empty()) {
            o.description = a;
        } else {
            throw UsageError("one description only (" + a + ")");
        }
    }
    if (!o.classes && o.description.empty()) throw UsageError("no description given");
    return o;
}

void InitialiseLibrary() {
    static bool done = false;
    if (done) return;
    done = true;
    InitialiseInstallLibrary();
    RegisterInstallerClasses();
    RegisterSetupDescriptionClasses();
    RegisterSetupWizardClasses();
}

// ---- --classes

std::string TypeOf(const TPropInfo& p, TObject* sample) {
    auto joined = [](const std::vector<std::string>& names, const char* sep) {
        std::string s;
        for (const std::string& n : names) s += (s.empty() ? "" : sep) + n;
        return s;
    };
    switch (p.kind) {
        case TPropKind::Integer: return "Integer";
        case TPropKind::Boolean: return "Boolean";
        case TPropKind::Enum: return joined(p.enumNames, " | ");
        case TPropKind::Set: return "set of [" + joined(p.enumNames, ", ") + "]";
        case TPropKind::String: return "String";
        case TPropKind::Float: return "Float";
        case TPropKind::Object: {
            TObject* sub = sample && p.getObject ? p.getObject(sample) : nullptr;
            if (dynamic_cast<TStrings*>(sub)) return "string list: " + p.name + ".Strings = ( 'a' 'b' )";
            return "object" + (sub ? " " + sub->ClassName() : std::string()) + ": " + p.name + ".Property = ...";
        }
        case TPropKind::Component: {
            const TClassInfo* c = p.componentClass ? p.componentClass : p.componentClassOf ? &p.componentClassOf() : nullptr;
            return "reference to a " + (c ? c->name : std::string("component"));
        }
        case TPropKind::Event: return "event";
        case TPropKind::Binary: return "binary { hex }";
    }
    return "?";
}

// The classes a description is made of: the root, the install components, the
// translator and the wizard's settings (when the runtime has a wizard).
bool DescriptionClass(const TClassInfo* c) {
    if (c == &TSetupDescription::StaticClass()) return true;
    if (!c->create) return false;
    return c->InheritsFrom(&TInstallContainer::StaticClass()) || c->InheritsFrom(&TInstallFolder::StaticClass()) ||
           c->InheritsFrom(&TTranslator::StaticClass()) || c == FindClass("TSetupWizard");
}

void ListClasses(zarc::Console& console) {
    std::string out =
        "Classes an installer description may use (the root object is a TSetupDescription),\n"
        "with their published properties, inherited ones included. Events are not listed:\n"
        "a description has no handlers to bind.\n";
    for (const TClassInfo* c : RegisteredClasses()) {
        if (!DescriptionClass(c)) continue;
        out += "\n" + c->name;
        if (c->parent) out += " (" + c->parent->name + ")";
        out += "\n";
        std::vector<const TClassInfo*> chain;
        for (const TClassInfo* k = c; k; k = k->parent) chain.insert(chain.begin(), k);
        // An instance tells what its sub-objects are.
        std::unique_ptr<TComponent> sample(c->create ? c->create(nullptr) : nullptr);
        std::set<std::string> seen{"NAME"};
        for (const TClassInfo* k : chain)
            for (const TPropInfo& p : k->props) {
                if (p.kind == TPropKind::Event || !seen.insert(UpperCase(p.name)).second) continue;
                out += "  " + p.name + ": " + TypeOf(p, sample.get()) + "\n";
            }
    }
    console.Out(out);
}

// ---- the description

std::string ReadText(const std::string& path) {
    TFileStream f(path, fmOpenRead | fmShareDenyNone);
    const std::int64_t size = f.Size();
    std::string text(std::size_t(size), '\0');
    if (size) f.ReadBuffer(text.data(), std::int32_t(size));
    return text;
}

// A text in the description syntax: printable runs in quotes, the rest as #nn.
std::string Quoted(const std::string& s) {
    std::string out;
    bool open = false;
    for (unsigned char c : s) {
        if (c >= 32 && c < 127) {
            if (!open) out += '\'';
            open = true;
            out += char(c);
            if (c == '\'') out += '\'';
        } else {
            if (open) out += '\'';
            open = false;
            out += "#" + std::to_string(c);
        }
    }
    if (open) out += '\'';
    return out.empty() ? "''" : out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (true) {
        const std::size_t end = text.find('\n', pos);
        lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return lines;
}

std::string Backslashed(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

std::string Indent(const std::string& line) { return line.substr(0, line.find_first_not_of(" \t")); }

template <typename T>
std::vector<T*> ComponentsOf(TComponent* root) {
    std::vector<T*> out;
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<T*>(root->Components(i))) out.push_back(c);
    return out;
}

std::string FreeName(TComponent* root, const std::string& base) {
    std::string name = base;
    for (int n = 2; root->FindComponent(name); ++n) name = base + std::to_string(n);
    return name;
}

class Builder {
public:
    Builder(const Options& o, zarc::Console& console) : o_(o), console_(console), progress_(console, o.quiet) {}

    int Run() {
        descPath_ = zarc::FullPath(zarc::CommandLinePath(o_.description));
        descShown_ = o_.description;
        const std::string folder = RemoveTrailingBackslash(ExtractFilePath(descPath_));
        output_ = o_.output.empty() ? AddTrailingBackslash(folder) + "setup.exe"
                                    : zarc::FullPath(zarc::CommandLinePath(o_.output));
        try {
            text_ = ReadText(descPath_);
        } catch (const Exception&) {
            console_.Err("zbuild: cannot read the description " + descShown_ + "\n");
            return ExitFailed;
        }
        spans_ = ScanObjectSpans(text_);
        FindRuntime();

        const std::string oldFolder = platform::GetCurrentDirectory();
        platform::SetCurrentDirectory(folder);
        int code = ExitFailed;
        try {
            code = Build();
        } catch (const EDescriptionError& e) {
            console_.Err(e.Error.Text() + "\n");
        } catch (const Exception& e) {
            progress_.End();
            console_.Err("zbuild: " + e.Message() + "\n");
        }
        platform::SetCurrentDirectory(oldFolder);
        root_.reset();
        if (!archive_.empty()) platform::DeleteFile(archive_);
        if (!solid_.empty()) platform::DeleteFile(solid_);
        return code;
    }

private:
    void Error(const std::string& component, const std::string& message) {
        TDescriptionError e;
        e.file = descShown_;
        e.component = component;
        e.message = message;
        for (const TObjectSpan& s : spans_)
            if (!component.empty() && SameText(s.name, component)) e.line = s.line;
        errors_.push_back(e);
    }

    void FindRuntime() {
        std::vector<std::string> candidates;
        if (!o_.runtime.empty())
            candidates.push_back(zarc::FullPath(zarc::CommandLinePath(o_.runtime)));
        else {
            candidates.push_back(RemoveTrailingBackslash(ExtractFilePath(platform::GetModuleFileName())));
            if (*ZARN_RUNTIME_DIR) candidates.push_back(ZARN_RUNTIME_DIR);
        }
        for (const std::string& c : candidates)
            if (platform::FileExists(AddTrailingBackslash(c) + RuntimeProgram)) {
                runtime_ = RemoveTrailingBackslash(c);
                return;
            }
        runtime_ = candidates.empty() ? std::string() : candidates.front();
    }

    std::string Runtime(const char* name) const { return AddTrailingBackslash(runtime_) + name; }

    // Reads a description text into a new root.
    void Read(const std::string& text) {
        root_.reset();
        root_ = std::make_unique<TSetupDescription>(nullptr);
        ReadSetupDescription(root_.get(), text, descShown_);
    }

    int Build() {
        // The author's description: what it names, and its folders' files.
        Read(text_);
        auto mains = ComponentsOf<TMainInstall>(root_.get());
        const std::string rootName = root_->Name();
        if (mains.empty()) Error(rootName, "the description has no TMainInstall");
        if (mains.size() > 1) Error(mains[1]->Name(), "a description has one TMainInstall only");
        for (TInstallFolder* f : ComponentsOf<TInstallFolder>(root_.get())) {
            if (!f->Container()) Error(f->Name(), "no Container: a TInstallFolder belongs to a file group");
            try {
                f->Scan();
                if (f->Files()->Count() == 0) Error(f->Name(), "no files in " + f->SourceDir());
            } catch (const Exception& e) {
                Error(f->Name(), e.Message());
            }
        }
        if (!platform::FileExists(Runtime(RuntimeProgram)))
            Error("", "the runtime " + Runtime(RuntimeProgram) + " is missing (see --runtime)");
        if (!platform::FileExists(Runtime(RestartProgram)))
            Error("", "the restart program " + Runtime(RestartProgram) + " is missing (see --runtime)");

        const std::string embedded = EmbeddedText(mains.empty() ? nullptr : mains[0]);
        if (errors_.empty()) {
            // What the runtime will read, read here too: the files compressed are the
            // ones it looks up.
            try {
                Read(embedded);
            } catch (const EDescriptionError& e) {
                throw Exception("internal error in the description written for the package: " + e.Error.Text());
            }
            ExpandInstallFolders(root_.get());
            CheckFiles();
        }
        if (!errors_.empty()) {
            for (const TDescriptionError& e : errors_) console_.Err(e.Text() + "\n");
            console_.Err("zbuild: " + std::to_string(errors_.size()) + (errors_.size() == 1 ? " error" : " errors") +
                         "; nothing written\n");
            return ExitFailed;
        }
        const bool solid = o_.compression.empty() ? root_->Compression() == TPayloadCompression::pcSolid
                                                  : o_.compression == "solid";
        Compress(solid);
        Share();
        if (solid) Pack();
        Write(embedded);
        return ExitOk;
    }

    // The description as the package carries it: each folder's files listed in it, the
    // uninstall program and its link added.
    std::string EmbeddedText(TMainInstall* main) {
        std::vector<std::string> lines = Lines(text_);
        std::map<int, std::vector<std::string>> before;  // inserted before a line (0-based)
        for (TInstallFolder* f : ComponentsOf<TInstallFolder>(root_.get())) {
            const TObjectSpan* span = nullptr;
            for (const TObjectSpan& s : spans_)
                if (SameText(s.name, f->Name())) span = &s;
            if (!span || span->endLine == 0) {
                Error(f->Name(), "write the object's 'object' and 'end' on lines of their own");
                continue;
            }
            const std::string in = Indent(lines[span->endLine - 1]) + "  ";
            auto& add = before[span->endLine - 1];
            add.push_back(in + "Files.Strings = (");
            for (int i = 0; i < f->Files()->Count(); ++i) add.push_back(in + "  " + Quoted(f->Files()->Get(i)));
            add.back() += ")";
        }

        // A licence file becomes the licence text of the package.
        std::map<int, std::vector<std::string>> instead;  // a line (0-based) replaced
        for (TSetupWizard* w : ComponentsOf<TSetupWizard>(root_.get())) {
            if (Trim(w->LicenceFile()).empty()) continue;
            const TObjectSpan* span = nullptr;
            for (const TObjectSpan& s : spans_)
                if (SameText(s.name, w->Name())) span = &s;
            int at = -1;
            for (int i = span ? span->line : 0; span && i < span->endLine - 1 && at < 0; ++i) {
                const std::string l = Trim(lines[i]);
                if (l.size() > 11 && SameText(l.substr(0, 11), "LicenceFile") && Trim(l.substr(11)).rfind('=', 0) == 0)
                    at = i;
            }
            if (at < 0) {
                Error(w->Name(), "write LicenceFile = '...' on a line of its own");
                continue;
            }
            std::string licence;
            try {
                licence = ReadText(Backslashed(w->LicenceFile()));
            } catch (const Exception&) {
                Error(w->Name(), "the licence file " + w->LicenceFile() + " cannot be read");
                continue;
            }
            const std::string in = Indent(lines[at]);
            auto& put = instead[at];
            put.push_back(in + "LicenceText.Strings = (");
            std::vector<std::string> text = Lines(licence);
            if (!text.empty() && text.back().empty()) text.pop_back();
            if (text.empty()) text.push_back("");
            for (std::string t : text) {
                if (!t.empty() && t.back() == '\r') t.pop_back();
                put.push_back(in + "  " + Quoted(t));
            }
            put.back() += ")";
        }

        const TObjectSpan* rootSpan = spans_.empty() ? nullptr : &spans_.front();
        if (root_->AddUninstaller() && ComponentsOf<TUninstallEXE>(root_.get()).empty() && main) {
            TFileContainer* group = nullptr;
            for (TFileContainer* g : ComponentsOf<TFileContainer>(root_.get()))
                if (!group) group = g;
            if (!group) {
                Error(root_->Name(), "no file group to put the uninstall program in (or AddUninstaller = False)");
            } else if (!platform::FileExists(Runtime(UninstallProgram))) {
                Error("", "the uninstall program " + Runtime(UninstallProgram) + " is missing (see --runtime)");
            } else if (!rootSpan || rootSpan->endLine == 0) {
                Error(root_->Name(), "write the object's 'object' and 'end' on lines of their own");
            } else {
                const std::string uninstaller = FreeName(root_.get(), "Uninstaller");
                auto& add = before[rootSpan->endLine - 1];
                add.insert(add.end(), {"  object " + uninstaller + ": TUninstallEXE",
                                       "    Container = " + group->Name(),
                                       "    ArchiveFileType = ddContainerArchiveFile",
                                       "    DestDirType = ddContainerDestDir",
                                       std::string("    DestName = ") + Quoted(UninstallProgram),
                                       std::string("    FileName = ") + Quoted(UninstallProgram), "  end"});
                uninstallerName_ = uninstaller;
                TShellLinkGroup* mainFolder = nullptr;
                for (TShellLinkGroup* g : ComponentsOf<TShellLinkGroup>(root_.get()))
                    if (!mainFolder && g->GroupKind() == TShellGroupKind::gkMainFolder) mainFolder = g;
                if (mainFolder)
                    add.insert(add.end(), {"  object " + FreeName(root_.get(), "UninstallLink") + ": TInstallShellLink",
                                           "    Container = " + mainFolder->Name(),
                                           "    DestDirType = ddContainerDestDir",
                                           "    LinkName = " + Quoted("Uninstall " + main->ProductName() + ".LNK"),
                                           "    ObjectLink = " + uninstaller,
                                           "    ObjectLocationType = ddObjectLink", "  end"});
            }
        }
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (auto it = before.find(int(i)); it != before.end())
                for (const std::string& l : it->second) out += l + "\n";
            if (auto it = instead.find(int(i)); it != instead.end()) {
                for (std::size_t k = 0; k < it->second.size(); ++k)
                    out += it->second[k] + (k + 1 < it->second.size() ? "\n" : "");
            } else {
                out += lines[i];
            }
            if (i + 1 < lines.size()) out += "\n";
        }
        return out;
    }

    // The uninstall program zbuild added (the files of a folder have no name either).
    bool IsUninstaller(TInstallFile* f) const { return !uninstallerName_.empty() && SameText(f->Name(), uninstallerName_); }

    // The component that names a file in the author's description.
    std::string Owner(TInstallFile* f) const {
        if (!f->Name().empty()) return f->Name();
        for (TInstallFolder* folder : ComponentsOf<TInstallFolder>(root_.get()))
            if (f->Container() == folder->Container() &&
                SameText(f->IncludeFromDir().substr(0, folder->SourceDir().size()), folder->SourceDir()))
                return folder->Name();
        return {};
    }

    void CheckFiles() {
        std::map<std::string, std::string> stored;  // upper-case stored name: owner
        for (TInstallFile* f : ComponentsOf<TInstallFile>(root_.get())) {
            const bool ours = IsUninstaller(f);
            const std::string owner = ours ? root_->Name() : Owner(f);
            if (!f->Container()) {
                Error(owner, "no Container: an install file belongs to a file group");
                continue;
            }
            const std::string name = f->SourcePath();
            if (Trim(f->FileName()).empty()) {
                Error(owner, "no FileName");
                continue;
            }
            if (!ours && !platform::FileExists(name)) Error(owner, "the source file " + name + " does not exist");
            if (name.size() > std::size_t(TFileHeaderRecord::MaxFileName))
                Error(owner, "the stored name " + name + " has " + std::to_string(name.size()) +
                                 " characters; the archive holds at most " +
                                 std::to_string(TFileHeaderRecord::MaxFileName));
            if (name.find(';') != std::string::npos) Error(owner, "the stored name " + name + " holds a ';'");
            auto [it, fresh] = stored.emplace(UpperCase(name), owner);
            if (!fresh) Error(owner, "the stored name " + name + " is also " + it->second + "'s (letter case does not count)");
            std::vector<platform::FindData> found;
            if (!ours && platform::FindFiles(name, found) && !found.empty()) total_ += std::int64_t(found[0].size);
            ++files_;
        }
        if (stored.count(RestartProgram))
            Error(stored[RestartProgram], std::string("the stored name ") + RestartProgram +
                                              " is the package's own (the restart program)");
    }

    int Jobs() const { return o_.jobs ? o_.jobs : std::max(2, int(platform::ProcessorCount())); }

    // The archive of every file; for a solid payload its files are stored, for LZMA to
    // pack across them.
    void Compress(bool solid) {
        archive_ = zarc::TempFileBeside(output_);
        platform::DeleteFile(archive_);
        SharedCompress->SetJobs(solid ? 1 : Jobs());
        SharedCompress->SetCompressionLevel(solid ? TCompressionLevel::colNone : TCompressionLevel::colMax);
        const std::string descFolder = platform::GetCurrentDirectory();

        for (TFileContainer* g : ComponentsOf<TFileContainer>(root_.get())) {
            g->SetArchiveFileType(PS::ddAbsolute);
            g->SetArchiveFile(archive_);
            g->SetAddToArchive(TlzhCommand::lzcOnlyAdd);
            g->SetInclude(true);
        }
        std::int64_t done = 0;
        std::vector<std::string> programs;
        for (TInstallFile* f : ComponentsOf<TInstallFile>(root_.get())) {
            if (IsUninstaller(f)) {
                // The package's own programs come from the runtime folder, below.
                f->SetContainer(nullptr);
                programs.push_back(f->SourcePath());
                continue;
            }
            f->SetArchiveFileType(PS::ddContainerArchiveFile);
            f->OnBeforeCompress = [this](TInstallFile* file) {
                std::vector<platform::FindData> found;
                platform::FindFiles(file->SourcePath(), found);
                size_ = found.empty() ? 0 : std::int64_t(found[0].size);
                progress_.StartFile(file->SourcePath(), size_);
            };
            f->OnStatus = [this](TInstallFile*, int percent, int) {
                progress_.Update(size_ * percent / 100);
                if (console_.Interrupted()) SharedCompress->SetAbort(true);
            };
            f->OnAfterCompress = [this, &done](TInstallFile*) {
                progress_.EndFile();
                ++done;
            };
        }
        // The package's own programs come from the runtime folder.
        const auto addPrograms = [&](const std::vector<std::string>& names) {
            platform::SetCurrentDirectory(runtime_);
            try {
                SharedCompress->SetCompressedFile(archive_);
                SharedCompress->OnStatus = nullptr;
                SharedCompress->FilesToProcess()->Clear();
                for (const std::string& p : names) SharedCompress->FilesToProcess()->Add(p);
                SharedCompress->Compress(TlzhCommand::lzcOnlyAdd);
            } catch (...) {
                platform::SetCurrentDirectory(descFolder);
                throw;
            }
            platform::SetCurrentDirectory(descFolder);
        };
        // The archive in the order the runtime reads it, for a solid payload, which it
        // reads while unpacking: first the restart program (outside the description), which
        // it takes before it installs, then the files, then the uninstall program, which
        // is installed last.
        addPrograms({RestartProgram});
        progress_.Begin(total_, files_);
        progress_.Line("zbuild: compressing " + std::to_string(files_) + " files (" + zarc::SizeText(total_) + ")");
        for (TFileContainer* g : ComponentsOf<TFileContainer>(root_.get())) {
            if (dynamic_cast<TFileContainer*>(g->Container())) continue;
            g->CompressFiles(true);
        }
        if (done != files_ - int(programs.size())) throw Exception("the build was stopped");
        if (!programs.empty()) addPrograms(programs);
        progress_.End();
    }

    // Identical files stored once.
    void Share() {
        const std::string shared = zarc::TempFileBeside(output_);
        try {
            const TShareResult r = ShareIdenticalData(archive_, shared);
            platform::DeleteFile(archive_);
            archive_ = shared;
            if (r.shared)
                progress_.Line("zbuild: " + std::to_string(r.shared) + (r.shared == 1 ? " file is" : " files are") +
                               " stored once with an identical one (" + zarc::SizeText(r.saved) + " saved)");
        } catch (...) {
            platform::DeleteFile(shared);
            throw;
        }
    }

    // The archive as one LZMA container: one block, or up to --jobs blocks side by side.
    void Pack() {
        solid_ = zarc::TempFileBeside(output_);
        TFileStream in(archive_, fmOpenRead | fmShareDenyNone);
        const std::int64_t size = in.Size();
        progress_.Begin(size, 1);
        progress_.Line("zbuild: packing the archive (" + zarc::SizeText(size) + ") as solid LZMA");
        progress_.StartFile("solid LZMA", size);
        TFileStream out(solid_, fmCreate);
        TLzmaEncodeOptions options;
        // DLLs of one code base repeat each other tens of megabytes apart: a dictionary
        // that reaches them (the runtime needs as much memory, at most the block's size).
        options.DictionarySize = SolidDictionary;
        // The fast parser over hash chains: on installer payloads (PE images, texts) it
        // packs within a few per cent of level 9 in half the time, and the dictionary
        // gains far more than the optimal parser does.
        options.Level = SolidLevel;
        // One block unless the jobs are asked for: a block boundary loses every repeat
        // across it, and payloads repeat themselves tens of megabytes apart (a DLL and
        // its rebuilt variant): 31 % larger in two blocks on the benchmark's corpus.
        // Blocks below 32 MB lose more than the threads win.
        options.Jobs = o_.jobs ? int(std::max<std::int64_t>(1, std::min<std::int64_t>(o_.jobs, size / (32 << 20)))) : 1;
        LzmaEncode(&in, &out, size, options, [this](std::int64_t done, std::int64_t) {
            progress_.Update(done);
            if (console_.Interrupted()) throw Exception("the build was stopped");
        });
        progress_.EndFile();
        progress_.End();
    }

    void Write(const std::string& embedded) {
        const std::string temp = zarc::TempFileBeside(output_);
        try {
            {
                TFileStream runtime(Runtime(RuntimeProgram), fmOpenRead | fmShareDenyNone);
                TFileStream archive(solid_.empty() ? archive_ : solid_, fmOpenRead | fmShareDenyNone);
                TFileStream out(temp, fmCreate);
                if (archive.Size() > 0x7FFF0000) throw Exception("the payload would grow beyond 2 GB");
                std::string index;
                if (!solid_.empty()) {
                    TFileStream unpacked(archive_, fmOpenRead | fmShareDenyNone);
                    index = package::ArchiveIndex(&unpacked);
                }
                package::WritePackage(&out, &runtime, embedded, &archive, std::uint32_t(archive.Size()),
                                      solid_.empty() ? package::CompressionArchive : package::CompressionSolid, index);
            }
            zarc::ReplaceFile(temp, output_);
        } catch (...) {
            platform::DeleteFile(temp);
            throw;
        }
        std::vector<platform::FindData> found;
        platform::FindFiles(output_, found);
        progress_.Line("zbuild: wrote " + zarc::DisplayPath(output_) + " (" +
                       zarc::SizeText(found.empty() ? 0 : std::int64_t(found[0].size)) + ")");
    }

    const Options& o_;
    zarc::Console& console_;
    zarc::Progress progress_;
    std::string descPath_, descShown_, output_, text_, runtime_, archive_, solid_, uninstallerName_;
    std::vector<TObjectSpan> spans_;
    std::vector<TDescriptionError> errors_;
    std::unique_ptr<TSetupDescription> root_;
    std::int64_t total_ = 0, size_ = 0;
    int files_ = 0;
};

}  // namespace

int Run(const std::vector<std::string>& args, zarc::Console& console) {
    Options o;
    try {
        o = Parse(args);
    } catch (const UsageError& e) {
        if (e.Message().empty()) {
            console.Out(kUsage);
            return ExitOk;
        }
        console.Err("zbuild: " + e.Message() + "\n\n" + kUsage);
        return ExitUsage;
    }
    try {
        InitialiseLibrary();
    } catch (const Exception& e) {
        console.Err("zbuild: " + e.Message() + "\n");
        return ExitFailed;
    }
    if (o.classes) {
        ListClasses(console);
        return ExitOk;
    }
    Builder b(o, console);
    return b.Run();
}

}  // namespace zbuild
