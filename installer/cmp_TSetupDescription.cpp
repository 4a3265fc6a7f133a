#include "installer/cmp_TSetupDescription.h"

#include <algorithm>

#include "framework/formreader.h"
#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"
#include "platform/files.h"

namespace {

using PS = TPathSpecifiers;

std::string Backslashed(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

std::string Joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return AddTrailingBackslash(a) + b;
}

bool StartsWithWord(const std::string& line, const char* word, std::string& rest) {
    const std::size_t n = std::char_traits<char>::length(word);
    if (line.size() <= n || !SameText(line.substr(0, n), word) || (line[n] != ' ' && line[n] != '\t')) return false;
    rest = Trim(line.substr(n));
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TSetupDescription

ZARN_DEFINE_CLASS(TSetupDescription, TComponent, [](TClassBuilder<TSetupDescription>& b) {
    using D = TSetupDescription;
    b.Bool("AddUninstaller", &D::AddUninstaller, &D::SetAddUninstaller)
        .Enum("Compression", PayloadCompressionNames(), &D::Compression, &D::SetCompression);
})

const std::vector<std::string>& PayloadCompressionNames() {
    static const std::vector<std::string> names{"pcZlib", "pcSolid"};
    return names;
}

TSetupDescription::TSetupDescription(TComponent* owner) : TComponent(owner) {}

// ---------------------------------------------------------------------------------------
// TInstallFolder

ZARN_DEFINE_CLASS(TInstallFolder, TComponent, [](TClassBuilder<TInstallFolder>& b) {
    using F = TInstallFolder;
    b.Ref("Container", &TFileContainer::StaticClass(), &F::SetContainer)
        .Str("SourceDir", &F::SourceDir, &F::SetSourceDir)
        .Str("DestDir", &F::DestDir, &F::SetDestDir)
        .Bool("Recursive", &F::Recursive, &F::SetRecursive)
        .Enum<TOverwriteType>("OverwriteMode", OverwriteTypeNames(), &F::OverwriteMode, &F::SetOverwriteMode)
        .Object<TStringList>("Exclude", &F::Exclude)
        .Object<TStringList>("Files", &F::Files)
        .Creatable();
})

TInstallFolder::TInstallFolder(TComponent* owner)
    : TComponent(owner), exclude_(std::make_unique<TStringList>()), files_(std::make_unique<TStringList>()) {}

TInstallFolder::~TInstallFolder() = default;

void TInstallFolder::SetSourceDir(const std::string& v) { sourceDir_ = RemoveTrailingBackslash(Backslashed(v)); }

bool MatchesWildcard(const std::string& text, const std::string& pattern) {
    std::size_t t = 0, p = 0, star = std::string::npos, mark = 0;
    const auto same = [](char a, char b) {
        return (a >= 'a' && a <= 'z' ? a - 32 : a) == (b >= 'a' && b <= 'z' ? b - 32 : b);
    };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
            ++t, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool TInstallFolder::Excluded(const std::string& relative, const std::string& name) const {
    for (int i = 0; i < exclude_->Count(); ++i) {
        const std::string pattern = Backslashed(Trim(exclude_->Get(i)));
        if (pattern.empty()) continue;
        if (MatchesWildcard(pattern.find('\\') == std::string::npos ? name : relative, pattern)) return true;
    }
    return false;
}

void TInstallFolder::Scan() {
    const std::string root = sourceDir_.empty() ? std::string(".") : sourceDir_;
    if (!platform::DirectoryExists(root)) throw Exception("The folder " + root + " does not exist");
    files_->Clear();
    ScanFolder("");
}

void TInstallFolder::ScanFolder(const std::string& relative) {
    const std::string folder = Joined(sourceDir_.empty() ? std::string(".") : sourceDir_, relative);
    std::vector<platform::FindData> entries;
    platform::FindFiles(AddTrailingBackslash(folder) + "*", entries);
    // The same order on every machine: by the upper-case name, then by the bytes.
    std::sort(entries.begin(), entries.end(), [](const platform::FindData& a, const platform::FindData& b) {
        const std::string ua = UpperCase(a.name), ub = UpperCase(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    std::vector<std::string> folders;
    for (const platform::FindData& e : entries) {
        const std::string path = Joined(relative, e.name);
        if (Excluded(path, e.name)) continue;
        if (e.attributes & platform::FileAttributeDirectory)
            folders.push_back(path);
        else
            files_->Add(path);
    }
    if (!recursive_) return;
    for (const std::string& f : folders) ScanFolder(f);
}

void TInstallFolder::Expand() {
    if (expanded_ || !container_) return;
    expanded_ = true;
    std::string base = Backslashed(destDir_);
    if (!base.empty() && base[0] != '\\') base = "\\" + base;
    base = RemoveTrailingBackslash(base);
    for (int i = 0; i < files_->Count(); ++i) {
        const std::string path = Backslashed(files_->Get(i));
        const std::string name = ExtractFileName(path);
        const std::string sub = RemoveTrailingBackslash(ExtractFilePath(path));
        auto* file = new TInstallFile(Owner());
        // Set as a description would set them: the setters store without deriving
        // anything from the file (its registration stays as the folder says).
        file->BeginLoading();
        file->SetIncludeFromDir(Joined(sourceDir_, sub));
        file->SetFileName(name);
        file->SetDestName(name);
        file->SetDestDir(sub.empty() ? base : base + "\\" + sub);
        file->SetDestDirType(PS::ddContainerDestDir);
        file->SetArchiveFileType(PS::ddContainerArchiveFile);
        file->SetOverwriteMode(overwriteMode_);
        file->SetContainer(container_);
        file->Loaded();
    }
}

// ---------------------------------------------------------------------------------------
// Reading

std::vector<TObjectSpan> ScanObjectSpans(const std::string& text) {
    std::vector<TObjectSpan> spans;
    std::vector<std::size_t> open;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        ++lineNo;
        std::string rest;
        if (StartsWithWord(line, "object", rest) || StartsWithWord(line, "inherited", rest) ||
            StartsWithWord(line, "inline", rest)) {
            TObjectSpan s;
            const std::size_t colon = rest.find(':');
            if (colon == std::string::npos) {
                s.className = rest;
            } else {
                s.name = Trim(rest.substr(0, colon));
                s.className = Trim(rest.substr(colon + 1));
            }
            s.line = lineNo;
            s.depth = int(open.size());
            open.push_back(spans.size());
            spans.push_back(s);
        } else if (SameText(line, "end") && !open.empty()) {
            spans[open.back()].endLine = lineNo;
            open.pop_back();
        }
        if (end == text.size()) break;
        pos = end + 1;
    }
    return spans;
}

const TObjectSpan* ObjectAtLine(const std::vector<TObjectSpan>& spans, int line) {
    const TObjectSpan* best = nullptr;
    for (const TObjectSpan& s : spans)
        if (s.line <= line && (s.endLine == 0 || line <= s.endLine) && (!best || s.depth > best->depth)) best = &s;
    return best;
}

std::string TDescriptionError::Text() const {
    std::string t = file;
    if (line > 0) t += ":" + std::to_string(line);
    if (!t.empty()) t += ": ";
    if (!component.empty()) t += component + ": ";
    return t + message;
}

void ReadSetupDescription(TSetupDescription* root, const std::string& text, const std::string& sourceName) {
    try {
        ReadComponentFromText(root, text, sourceName);
    } catch (const EParserError& e) {
        TDescriptionError d;
        d.file = sourceName;
        d.line = e.Line;
        const auto spans = ScanObjectSpans(text);
        if (const TObjectSpan* s = ObjectAtLine(spans, e.Line)) d.component = s->name.empty() ? s->className : s->name;
        // The reader's message leads with the source and the line, which are said above.
        std::string m = e.Message();
        const std::string lead = (sourceName.empty() ? std::string() : sourceName + " ") + "line " +
                                 std::to_string(e.Line) + ": ";
        if (m.compare(0, lead.size(), lead) == 0) m = m.substr(lead.size());
        d.message = m;
        throw EDescriptionError(d);
    }
}

void ExpandInstallFolders(TSetupDescription* root) {
    std::vector<TInstallFolder*> folders;
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TInstallFolder*>(root->Components(i))) folders.push_back(f);
    for (TInstallFolder* f : folders) f->Expand();
}

void RegisterSetupDescriptionClasses() {
    RegisterClasses({&TSetupDescription::StaticClass(), &TInstallFolder::StaticClass()});
}
