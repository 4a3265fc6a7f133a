#include "archive/cmp_TZarnCompress.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/paths.h"
#include "platform/files.h"
#include "registration/cmp_TVersion.h"

TZarnCompress* SharedCompress = nullptr;

// ---------------------------------------------------------------------------------------
// Helpers

namespace {

// The file part of a name that may come from an archive: whatever any separator
// Windows knows ("\", "/", ":") leaves in front goes.
std::string PlainNameOf(const std::string& name) {
    std::size_t p = name.find_last_of("\\/:");
    return p == std::string::npos ? name : name.substr(p + 1);
}

// A name that can only mean a file directly inside the folder it is appended to: not
// empty, not made of dots and blanks only ("..", ". ."), none of the characters Windows
// refuses in names, and not a device (CON, NUL, COM1, LPT1, ... also with an extension).
bool IsPlainFileName(const std::string& name) {
    if (name.find_first_not_of(". ") == std::string::npos) return false;
    for (unsigned char c : name)
        if (c < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
    std::string base = UpperCase(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (base == device) return false;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        unsigned char d = static_cast<unsigned char>(base[3]);
        // Digits, and the superscript digits one, two and three of the ANSI code page.
        if ((d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3) return false;
    }
    return true;
}

// Sums of the 32-bit statistics wrap as the record's fields do.
void AddTo(std::int32_t& field, std::int64_t amount) {
    field = std::int32_t(std::uint32_t(field) + std::uint32_t(std::uint64_t(amount)));
}

// Date-time values an archive header may hold that a file stamp can take (years 1..9999;
// the conversion itself refuses what lies outside the stamps' range).
bool IsPlausibleDate(TDateTime v) { return std::isfinite(v) && v > -693594.0 && v < 2958466.0; }

// A date-time value as a stored double. The 32-bit build computes in the x87 registers,
// where a value just returned may carry more precision than the same value read back from
// a header; the overwrite-by-date test compares what would be stored.
TDateTime Stored(TDateTime v) {
    volatile TDateTime s = v;
    return s;
}

// The parallel stream deflates and joins its last blocks (with progress steps) before
// the final report; the single stream has nothing to do there.
void EndInput(TCompressionStream&) {}
void EndInput(TParallelCompressionStream& zip) { zip.EndInput(); }

std::string FileVersionOf(const std::string& path) {
    if (!VersionReader) InitVersionUnit();
    VersionReader->SetFileName(path);
    return VersionReader->VersionInfo()->FileVersion();
}

}  // namespace

std::uint8_t StatPercent(double part, double whole) {
    if (whole == 0 || !std::isfinite(part) || !std::isfinite(whole)) return 0;
    double v = std::nearbyint(part / whole * 100.0);
    if (!std::isfinite(v) || std::fabs(v) > 9.0e18) return 0;
    return std::uint8_t(std::uint64_t(std::int64_t(v)) & 0xFF);
}

int CompareVersions(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::vector<std::string> parts;
        if (s.empty()) return parts;
        std::size_t start = 0;
        for (;;) {
            std::size_t dot = s.find('.', start);
            parts.push_back(s.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        return parts;
    };
    const std::vector<std::string> pa = split(a), pb = split(b);
    const std::size_t common = std::min(pa.size(), pb.size());
    auto digits = [](const std::string& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    for (std::size_t i = 0; i < common; ++i) {
        std::string x = pa[i], y = pb[i];
        int c;
        if (digits(x) && digits(y)) {
            // Numbers of any length: without leading zeros, the longer one is larger.
            x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
            y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
            c = x.size() != y.size() ? (x.size() > y.size() ? 1 : -1) : x.compare(y);
        } else {
            c = x.compare(y);  // byte by byte, as unsigned characters
        }
        if (c > 0) return 1;
        if (c < 0) return 2;
    }
    if (pa.size() == pb.size()) return 0;
    return pa.size() > pb.size() ? 1 : 2;
}

const std::vector<std::string>& LzhCommandNames() {
    static const std::vector<std::string> names = {"lzcOverwrite", "lzcOnlyAdd"};
    return names;
}

const std::vector<std::string>& OverwriteTypeNames() {
    static const std::vector<std::string> names = {"owAlways", "owNever", "owVersion", "owDate", "owVersionDate"};
    return names;
}

// ---------------------------------------------------------------------------------------
// An open file and the handle stream over it; closing frees the stream, then the handle.

struct TZarnCompress::OpenFile {
    platform::Handle handle = platform::InvalidHandle;
    std::unique_ptr<TZarnNormalHandleStream> stream;

    bool Open(const std::string& path, platform::DWORD access, platform::DWORD share, platform::DWORD creation) {
        Close();
        handle = platform::CreateFile(path, access, share, creation);
        if (handle == platform::InvalidHandle) return false;
        stream = std::make_unique<TZarnNormalHandleStream>(handle);
        return true;
    }
    void Close() {
        stream.reset();
        if (handle != platform::InvalidHandle) platform::CloseHandle(handle);
        handle = platform::InvalidHandle;
    }
    ~OpenFile() { Close(); }
};

namespace {
constexpr platform::DWORD ReadWrite = platform::GenericRead | platform::GenericWrite;
constexpr platform::DWORD ShareAll = platform::FileShareRead | platform::FileShareWrite;

// Runs `fn` when the scope ends, however it ends.
template <class F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() {
        try {
            f_();
        } catch (...) {
        }
    }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    F f_;
};
}  // namespace

// ---------------------------------------------------------------------------------------
// TZarnCompress

ZARN_DEFINE_CLASS(TZarnCompress, TComponent, [](TClassBuilder<TZarnCompress>& b) {
    b.Bool("Abort", &TZarnCompress::Abort, &TZarnCompress::SetAbort)
        .Str("CompressedFile", &TZarnCompress::CompressedFile, &TZarnCompress::SetCompressedFile)
        .Enum("CompressionLevel", CompressionLevelNames(), &TZarnCompress::CompressionLevel,
              &TZarnCompress::SetCompressionLevel)
        .Str("ExtractDirectory", &TZarnCompress::ExtractDirectory, &TZarnCompress::SetExtractDirectory)
        .Object("FilesToProcess", &TZarnCompress::FilesToProcess)
        .Int("Offset", &TZarnCompress::Offset, &TZarnCompress::SetOffset)
        .Enum("Overwrite", OverwriteTypeNames(), &TZarnCompress::Overwrite, &TZarnCompress::SetOverwrite)
        .Event("OnAborted", &TZarnCompress::OnAborted)
        .Event("OnAfterAdding", &TZarnCompress::OnAfterAdding)
        .Event("OnBeforeAdding", &TZarnCompress::OnBeforeAdding)
        .Event("OnAfterExtracting", &TZarnCompress::OnAfterExtracting)
        .Event("OnBeforeExtracting", &TZarnCompress::OnBeforeExtracting)
        .Event("OnFullDisk", &TZarnCompress::OnFullDisk)
        .Event("OnListing", &TZarnCompress::OnListing)
        .Event("OnNewDisk", &TZarnCompress::OnNewDisk)
        .Event("OnReplace", &TZarnCompress::OnReplace)
        .Event("OnStatus", &TZarnCompress::OnStatus)
        .Creatable();
})

TZarnCompress::TZarnCompress(TComponent* owner)
    : TComponent(owner),
      filesToProcess_(std::make_unique<TStringList>()),
      fileHeaders_(std::make_unique<TFileHeaders>()),
      source_(std::make_unique<OpenFile>()),
      dest_(std::make_unique<OpenFile>()) {}

TZarnCompress::~TZarnCompress() = default;

TStream* TZarnCompress::SourceFile() const { return source_->stream.get(); }
TZarnNormalHandleStream* TZarnCompress::DestFile() const { return dest_->stream.get(); }

void TZarnCompress::SetCompressedFile(const std::string& value) {
    if (SameText(value, compressedFile_)) return;
    if (headersLoaded_) {
        if (fileHeaders_->MultiDisk != 0) {
            // The disk files of one archive differ only in their extension.
            if (!SameText(ChangeFileExt(compressedFile_, ".1"), ChangeFileExt(value, ".1"))) headersLoaded_ = false;
        } else if (!SameText(value, headerSource_)) {
            // Another archive (a name that a disk prompt changed and the caller sets
            // back is still the same one).
            headersLoaded_ = false;
        }
    }
    compressedFile_ = value;
}

void TZarnCompress::SetFilesToProcess(TStrings* value) {
    if (!value) {
        filesToProcess_->Clear();
        return;
    }
    for (int i = value->Count() - 1; i >= 0; --i)
        if (Trim(value->Get(i)).empty()) value->Delete(i);
    if (value != filesToProcess_.get()) filesToProcess_->Assign(value);
}

void TZarnCompress::ProcessMessages() {
    if (Application) Application->ProcessMessages();
}

void TZarnCompress::DiskFull() {
    if (OnFullDisk) {
        OnFullDisk(this);
        return;
    }
    throw EZCDiskFull();
}

// The failure rules of the add and extract operations.
template <class Body>
void TZarnCompress::RunOperation(Body&& body) {
    try {
        body();
    } catch (const EZCStop&) {
        if (OnAborted) OnAborted(this);
    } catch (const EAbort&) {
    } catch (...) {
        abort_ = true;
        throw;
    }
}

// ---- header table and statistics

void TZarnCompress::LoadHeaders() {
    if (sourceStream_) {
        try {
            fileHeaders_->LoadFromStream(sourceStream_, offset_);
        } catch (const Exception&) {
            throw EZCFHCannotReadHeaders();
        }
        headersLoaded_ = true;
        headerSource_ = compressedFile_;
        return;
    }
    OpenFile archive;
    if (!platform::FileExists(compressedFile_) ||
        !archive.Open(compressedFile_, platform::GenericRead, ShareAll, platform::OpenExisting))
        throw EZCCouldNotOpenCompressedFile(compressedFile_);
    try {
        fileHeaders_->LoadFromStream(archive.stream.get(), offset_);
    } catch (const Exception&) {
        throw EZCFHCannotReadHeaders();
    }
    headersLoaded_ = true;
    headerSource_ = compressedFile_;
}

int TZarnCompress::FileCount() {
    // After an add operation the table in memory describes the archive just written.
    if (!headersLoaded_ && !(mode_ == 1 && SameText(headerSource_, compressedFile_))) LoadHeaders();
    return fileHeaders_->Count();
}

void TZarnCompress::ResetTotals() {
    FileStats.TotalDone = 0;
    FileStats.TotalPercent = 0;
    FileStats.Finished = false;
    fileHeaders_->GetTotals(FileStats.TotalSize, FileStats.TotalCompressed);
    FileStats.TotalRatio = StatPercent(FileStats.TotalCompressed, FileStats.TotalSize);
}

void TZarnCompress::FillFileStats(const TFileHeader& header) {
    FileStats.FileName = header.Record.FileName();
    FileStats.FileSize = header.Record.FileSize();
    FileStats.CompressedSize = header.Record.CompressedSize();
    FileStats.BytesDone = 0;
    FileStats.Percent = 0;
    FileStats.Finished = false;
    FileStats.Ratio = StatPercent(FileStats.CompressedSize, FileStats.FileSize);
    FileStats.Header = header.Record;
}

void TZarnCompress::GetFileStats(int index, TlzhFileStats& stats) {
    int count = FileCount();
    if (index < 0 || index > count - 1)
        throw Exception("Tried to access the " + IntToStr(index) + "th file. This file is not defined");
    ResetTotals();
    FillFileStats(*fileHeaders_->GetFileHeaders(index));
    stats = FileStats;
}

int TZarnCompress::IndexOfFile(const std::string& name) {
    if (!headersLoaded_) LoadHeaders();
    const int count = fileHeaders_->Count();
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (SameText(name, fileHeaders_->GetFileHeaders(i)->Record.FileName())) found = i;
    // FileStats ends as a walk through GetFileStats leaves it: at the file found, or at
    // the last one.
    if (count > 0) {
        TlzhFileStats stats;
        GetFileStats(found >= 0 ? found : count - 1, stats);
    }
    return found;
}

// ---- adding

std::string TZarnCompress::GetTempFile() {
    std::string folder = platform::GetTempPath();
    if (folder.empty() || folder.size() > 260) throw EZCCannotCreateTemp();
    std::string name;
    if (platform::GetTempFileName(folder, "lzh", 0, name) == 0 || name.empty()) throw EZCCannotCreateTemp();
    return name;
}

void TZarnCompress::Compress(TlzhCommand command) {
    abort_ = false;
    mode_ = 1;
    fileHeaders_->MultiDisk = 0;
    offset_ = 0;
    source_->Close();
    dest_->Close();
    RunOperation([&] {
        OpenFile archive;
        bool written = false;
        // The table in memory now differs from the file, whether the add ends well or not;
        // after a stopped or failed add it does not describe the archive either.
        Finally cleanup([&] {
            archive.Close();
            filesToProcess_->Clear();
            headersLoaded_ = false;
            if (!written) headerSource_.clear();
        });
        ForceDirectories(ExtractFilePath(compressedFile_));
        const bool append = command == TlzhCommand::lzcOnlyAdd && platform::FileExists(compressedFile_);
        if (!(append ? archive.Open(compressedFile_, ReadWrite, ShareAll, platform::OpenExisting)
                     : archive.Open(compressedFile_, ReadWrite, 0, platform::CreateAlways)))
            throw EZCCouldNotCreateFile(compressedFile_);
        if (append) {
            fileHeaders_->LoadFromStream(archive.stream.get(), 0);
            // Its headers sit in one block at the start: new ones have no place there.
            if (fileHeaders_->MultiDisk != 0)
                throw Exception("Files cannot be added to a multi-disk archive: " + compressedFile_);
            fileHeaders_->AddFiles(filesToProcess_.get(), true);
        } else {
            fileHeaders_->AddFiles(filesToProcess_.get(), false);
        }
        headerSource_ = compressedFile_;
        fileHeaders_->SaveToStream(archive.stream.get());
        archive.stream->Seek(0, TSeekOrigin::soEnd);
        ResetTotals();
        FileStats.TotalCompressed = 0;
        // Each file is compressed into a temporary file of its own, then appended; the
        // two steps are separate so that the compression of several files could run side
        // by side while the appending stays in table order.
        for (int i = 0; i < fileHeaders_->Count(); ++i) {
            TFileHeader* header = fileHeaders_->GetFileHeaders(i);
            if (!header->InArchive) AddOne(header, archive);
        }
        written = true;
    });
}

void TZarnCompress::AddOne(TFileHeader* header, OpenFile& archive) {
    currentHeader_ = header;
    const std::string temp = GetTempFile();
    Finally cleanup([&] {
        dest_->Close();
        source_->Close();
        platform::DeleteFile(temp);
    });
    const std::string name = header->Record.FileName();
    if (!source_->Open(name, platform::GenericRead, ShareAll, platform::OpenExisting)) {
        const platform::DWORD code = platform::GetLastError();
        EFOpenError failure(Format("Cannot open file %s", {name}));
        ShowMessage("error =" + IntToStr(code));
        ShowMessage(failure.Message());
        ShowMessage(name);
        throw failure;
    }
    if (!dest_->Open(temp, ReadWrite, 0, platform::CreateAlways)) throw EZCCouldNotCreateFile(temp);

    CompressCurrent();

    TZarnNormalHandleStream* out = archive.stream.get();
    TZarnNormalHandleStream* compressed = dest_->stream.get();
    compressed->Seek(0, TSeekOrigin::soBeginning);
    const std::int64_t headerPos = out->Position();
    header->Position = headerPos;
    header->WriteRecord(out);
    header->Record.SetDataStart(std::int32_t(out->Position()));
    // The compressed data into the archive.
    const std::int64_t size = compressed->GetSize();
    std::vector<std::uint8_t> buffer(std::size_t(std::min<std::int64_t>(std::max<std::int64_t>(size, 1), 65536)));
    std::int64_t copied = 0;
    while (copied < size) {
        std::int32_t n = std::int32_t(std::min<std::int64_t>(size - copied, std::int64_t(buffer.size())));
        std::int32_t got = compressed->Read(buffer.data(), n);
        if (got <= 0) break;
        std::int32_t put = out->Write(buffer.data(), got);
        copied += put;
        if (put < got) break;
    }
    if (copied < size) DiskFull();
    AddTo(FileStats.TotalCompressed, size);
    const std::int64_t endPos = out->Position();
    // Offsets in the records are signed 32-bit.
    if (endPos < 0 || endPos > 0x7FFFFFFF)
        throw Exception("The compressed file would grow beyond 2 GB: " + compressedFile_);
    header->Record.SetLastByte(std::int32_t(endPos - 1));
    header->Record.SetNextHeader(std::int32_t(endPos));
    header->Record.SetCompressedSize(std::int32_t(size));
    out->Seek(headerPos, TSeekOrigin::soBeginning);
    header->WriteRecord(out);
    out->Seek(endPos, TSeekOrigin::soBeginning);
    if (OnAfterAdding) OnAfterAdding(this, FileStats);
}

void TZarnCompress::CompressCurrent() {
    FillFileStats(*currentHeader_);
    FileStats.CompressedSize = 0;
    if (OnBeforeAdding) OnBeforeAdding(this, FileStats);
    // The same steps for either stream: progress after every 64 KB written, the final
    // report, then the rest of the stream.
    auto run = [this](auto& zip) {
        zip.OnProgress = [this](TObject* sender) { AddStatus(sender); };
        zip.CopyFrom(source_->stream.get(), 0);
        EndInput(zip);
        FileStats.Finished = true;
        AddStatus(&zip);
        FileStats.Finished = false;
        FileStats.Ratio = StatPercent(FileStats.CompressedSize, FileStats.FileSize);
        zip.Finish();
    };
    if (jobs_ > 1 && FileStats.FileSize > TParallelCompressionStream::BlockSize) {
        TParallelCompressionStream zip(compressionLevel_, dest_->stream.get(), jobs_);
        run(zip);
    } else {
        TCompressionStream zip(compressionLevel_, dest_->stream.get());
        run(zip);
    }
}

void TZarnCompress::AddStatus(TObject*) {
    if (abort_) throw EZCStop();
    ProcessMessages();
    if (!dest_->stream) throw Exception("AddStatus has Nil DestFile");
    const std::int64_t done = source_->stream ? source_->stream->Position() : 0;
    AddTo(FileStats.TotalDone, done - FileStats.BytesDone);
    FileStats.BytesDone = std::int32_t(done);
    FileStats.CompressedSize = std::int32_t(dest_->stream->GetSize());
    FileStats.Percent = StatPercent(FileStats.BytesDone, FileStats.FileSize);
    FileStats.TotalPercent = StatPercent(FileStats.TotalDone, FileStats.TotalSize);
    if (OnStatus) OnStatus(this, FileStats);
}

// ---- extracting

void TZarnCompress::Extract() {
    abort_ = false;
    mode_ = 2;
    dest_->Close();
    source_->Close();
    RunOperation([&] {
        Finally cleanup([&] {
            filesToProcess_->Clear();
            DestName.clear();
        });
        if (!headersLoaded_) LoadHeaders();
        currentDisk_ = 0;
        ResetTotals();
        // Handlers run in between; the list they may change is not the one walked.
        const std::vector<std::string> entries = filesToProcess_->ToVector();
        for (const std::string& entry : entries) {
            SkipFile = false;
            int index = fileHeaders_->IndexOf(entry);
            if (index == -1) throw EZCFHFileNotInArchive(entry);
            currentHeader_ = fileHeaders_->GetFileHeaders(index);
            FillFileStats(*currentHeader_);
            if (Trim(DestName).empty()) DestName = PlainNameOf(currentHeader_->Record.FileName());
            if (OnBeforeExtracting) OnBeforeExtracting(this, FileStats);
            std::string target = ExtractTarget();
            bool write = true;
            // A file known to be absent is created as a new one: that saves the system
            // looking the name up once more (a read-only check and a directory scan on
            // Wine).
            bool absent = true;
            if (platform::FileExists(target)) {
                absent = false;
                const TFileHeaderRecord& r = currentHeader_->Record;
                write = ShouldOverwrite(target, [&] { return r.FileVersion(); }, [&] { return r.FileDate(); });
                if (write && OnReplace) {
                    OnReplace(this, FileStats);
                    target = ExtractTarget();
                }
            }
            if (SkipFile) write = false;
            if (write) ExtractOne(target, absent);
            DestName.clear();
        }
    });
}

// ExtractDirectory plus the file part of DestName, which must be a plain file name:
// whatever the archive holds, nothing is written outside that folder.
std::string TZarnCompress::ExtractTarget() {
    const std::string given = DestName;
    DestName = PlainNameOf(DestName);
    if (!IsPlainFileName(DestName)) {
        // Name the stored file when the name came from it.
        const std::string stored = currentHeader_->Record.FileName();
        throw EZCUnsafeFileName(DestName == PlainNameOf(stored) ? stored : given);
    }
    return AddTrailingBackslash(extractDirectory_) + DestName;
}

void TZarnCompress::ExtractOne(const std::string& target, bool absent) {
    const TFileHeaderRecord& record = currentHeader_->Record;
    Finally cleanup([&] {
        dest_->Close();
        source_->Close();
    });
    OpenDiskFile(record.FirstDisk() == 0 ? 1 : record.FirstDisk(), compressedFile_);
    currentDisk_ = record.FirstDisk();
    CheckDataRange(record, in_->Size() - offset_);
    ForceDirectories(ExtractFilePath(target));
    if (!(absent && dest_->Open(target, ReadWrite, 0, platform::CreateNew)) &&
        !dest_->Open(target, ReadWrite, 0, platform::CreateAlways))
        throw EZCCouldNotCreateFile(target);
    const std::int64_t start = std::int64_t(offset_) + record.DataStart();
    readPosition_ = start;
    readable_ = start >= 0 && in_->Seek(start, TSeekOrigin::soBeginning) == start;
    const bool ended = InflateCurrent();
    // A stop requested while the last block was reported is seen here, as the empty pass
    // after that block would see it; otherwise it would be lost with the file done.
    if (abort_) throw EZCStop();
    FileStats.Finished = true;
    if (OnStatus) OnStatus(this, FileStats);
    FileStats.Finished = false;
    if (produced_ != record.FileSize() || dest_->stream->GetSize() != record.FileSize())
        throw EZCWrongDecompressedSize(record.FileName());
    // All the bytes are there but the stream breaks off before its end (and its check).
    if (!ended) throw ECompressionError("error");
    const TDateTime date = record.FileDate();
    if (!IsPlausibleDate(date) || !FileSetDate(dest_->handle, date))
        throw Exception("Cannot set the date of the file just extracted.");
}

// A single-file archive's data range lies inside the archive, clear of the preamble and
// of every header record. Ranges may be shared (a builder stores identical files once),
// but never over a record: its bytes would be read as data, and the data written over
// it when the table is saved.
void TZarnCompress::CheckDataRange(const TFileHeaderRecord& record, std::int64_t archiveSize) {
    if (fileHeaders_->MultiDisk != 0) return;
    const std::int64_t first = record.DataStart(), last = record.LastByte();
    // Outside the archive: the reads find nothing and the size check reports it.
    if (first < 0 || last < first || last >= archiveSize) return;
    if (first < 5) throw EZCFHCannotReadHeaders();
    for (int i = 0; i < fileHeaders_->Count(); ++i) {
        const std::int64_t at = fileHeaders_->GetFileHeaders(i)->Position;
        if (at >= 0 && first < at + TFileHeaderRecord::Size && at <= last) throw EZCFHCannotReadHeaders();
    }
}

void TZarnCompress::OpenDiskFile(int diskNumber, std::string& fileName) {
    if (sourceStream_) {
        // One stream holds the whole archive (a single-file one: its disk numbers are 0).
        in_ = sourceStream_;
        return;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        source_->Close();
        if (fileHeaders_->MultiDisk != 0)
            fileName = ChangeFileExt(fileName, std::string(".").append(IntToStr(diskNumber)));
        bool exists = platform::FileExists(fileName);
        if (!exists) {
            if (!OnNewDisk) throw Exception("Could not open the correct disk file " + IntToStr(diskNumber));
            std::string path = RemoveTrailingBackslash(ExtractFilePath(fileName));
            OnNewDisk(this, diskNumber, path);
            fileName = AddTrailingBackslash(path) + ExtractFileName(fileName);
            exists = platform::FileExists(fileName);
        }
        if (exists) {
            if (!source_->Open(fileName, platform::GenericRead, ShareAll, platform::OpenExisting))
                throw EZCCouldNotOpenCompressedFile(fileName);
            in_ = source_->stream.get();
            return;
        }
    }
    throw Exception("Could not open the correct disk file " + IntToStr(diskNumber));
}

// One read of the current file's data: up to InflateReadSize bytes, on its last disk no
// further than its last byte.
std::int32_t TZarnCompress::ReadArchiveBlock(std::uint8_t* buffer) {
    if (!readable_) return 0;
    std::int64_t want = InflateReadSize;
    if (currentDisk_ == currentHeader_->Record.LastDisk()) {
        const std::int64_t last = std::int64_t(currentHeader_->Record.LastByte()) + offset_;
        want = std::min(want, last - readPosition_ + 1);
        if (want <= 0) return 0;
    }
    std::int32_t got = in_->Read(buffer, std::int32_t(want));
    if (got <= 0) return 0;
    readPosition_ += got;
    return got;
}

bool TZarnCompress::InflateCurrent() {
    z_stream zs{};
    if (inflateInit_(&zs, ZlibInterfaceVersion, int(sizeof(z_stream))) < 0) throw EDecompressionError("error");
    Finally end([&] { inflateEnd(&zs); });
    produced_ = 0;
    const TFileHeaderRecord& record = currentHeader_->Record;
    // Never more than the header's size is written: the first byte beyond it ends the file.
    const std::int64_t limit = std::max<std::int32_t>(record.FileSize(), 0);
    // Each 4 KB block is inflated straight into a gathering buffer, which goes to the disk
    // once it is full (one write instead of sixteen) and at the end.
    std::vector<std::uint8_t> input(InflateReadSize), gathered(InflateWriteSize);
    std::int32_t used = 0;
    auto writeGathered = [&] {
        const std::int32_t want = used;
        used = 0;
        return want == 0 || dest_->stream->Write(gathered.data(), want) >= want;
    };
    bool ended = false;
    try {
        const int disks = int(record.LastDisk()) - currentDisk_ + 1;
        for (int d = 0; d < disks && !ended && produced_ <= limit; ++d) {
            std::int32_t passBytes;
            do {
                if (used + InflateBlockSize > InflateWriteSize && !writeGathered()) DiskFull();
                zs.next_out = gathered.data() + used;
                zs.avail_out = InflateBlockSize;
                while (zs.avail_out > 0) {
                    if (zs.avail_in == 0) {
                        std::int32_t got = ReadArchiveBlock(input.data());
                        if (got == 0) break;
                        zs.next_in = input.data();
                        zs.avail_in = uInt(got);
                    }
                    // Every call either makes progress or ends the file: Z_BUF_ERROR and
                    // Z_NEED_DICT (no progress possible) are failures, and nothing after
                    // the stream's end is read.
                    int code = inflate(&zs, Z_NO_FLUSH);
                    if (code == Z_STREAM_END) {
                        ended = true;
                        break;
                    }
                    if (code != Z_OK) throw ECompressionError("error");
                }
                passBytes = InflateBlockSize - std::int32_t(zs.avail_out);
                if (abort_) throw EZCStop();
                ProcessMessages();
                if (passBytes > 0) {
                    const std::int32_t room = std::int32_t(std::max<std::int64_t>(limit - produced_, 0));
                    const std::int32_t toWrite = std::min(passBytes, room);
                    produced_ += passBytes;
                    if (toWrite > 0) {
                        used += toWrite;  // what lies beyond the limit is dropped
                        FileStats.BytesDone += toWrite;
                        AddTo(FileStats.TotalDone, toWrite);
                        FileStats.Percent = StatPercent(FileStats.BytesDone, FileStats.FileSize);
                        FileStats.TotalPercent = StatPercent(FileStats.TotalDone, FileStats.TotalSize);
                        if (OnStatus) OnStatus(this, FileStats);
                    }
                }
            } while (passBytes > 0 && !ended && produced_ <= limit);
            if (!ended && produced_ <= limit && currentDisk_ < record.LastDisk()) {
                ++currentDisk_;
                OpenDiskFile(currentDisk_, compressedFile_);
                readPosition_ = 0;
                readable_ = in_->Seek(0, TSeekOrigin::soBeginning) == 0;
            }
        }
    } catch (...) {
        writeGathered();  // what was inflated before the failure stays, as written blocks do
        throw;
    }
    if (!writeGathered()) DiskFull();
    // A stop requested during the last blocks (or by a full-disk handler).
    if (abort_) throw EZCStop();
    return ended;
}

// ---- overwrite policy

bool TZarnCompress::ShouldOverwrite(const std::string& target, const std::function<std::string()>& newVersion,
                                    const std::function<TDateTime()>& newDate) {
    auto existingDate = [&] {
        platform::Handle h = platform::CreateFile(target, platform::GenericRead, ShareAll, platform::OpenExisting);
        if (h == platform::InvalidHandle) throw EZCCouldNotOpenFile(target);
        TDateTime d = FileGetDate(h);
        platform::CloseHandle(h);
        return Stored(d);
    };
    switch (overwrite_) {
        case TOverwriteType::owAlways: return true;
        case TOverwriteType::owNever: return false;
        case TOverwriteType::owVersion: return CompareVersions(newVersion(), FileVersionOf(target)) == 1;
        case TOverwriteType::owDate: return existingDate() < Stored(newDate());
        case TOverwriteType::owVersionDate:
            switch (CompareVersions(newVersion(), FileVersionOf(target))) {
                case 1: return true;
                case 2: return false;
                default: return existingDate() < Stored(newDate());
            }
    }
    throw Exception("Overwrite flag is not in [owNever,owAlways,owVersion,owDate,owVersionDate]");
}

// ---- copying

void TZarnCompress::CopyFile(const std::string& source, const std::string& dest) {
    abort_ = false;
    offset_ = 0;
    extractDirectory_ = ExtractFilePath(dest);
    DestName = ExtractFileName(dest);
    // The name applies to this copy only.
    Finally clearName([&] { DestName.clear(); });
    TlzhFileStats stats;
    std::string target = dest;
    bool write = true;
    if (platform::FileExists(target)) {
        write = ShouldOverwrite(
            target, [&] { return FileVersionOf(source); },
            [&] {
                platform::Handle h =
                    platform::CreateFile(source, platform::GenericRead, ShareAll, platform::OpenExisting);
                if (h == platform::InvalidHandle) throw EZCCouldNotOpenFile(source);
                TDateTime d = FileGetDate(h);
                platform::CloseHandle(h);
                return d;
            });
        if (write && OnReplace) {
            OnReplace(this, stats);
            target = AddTrailingBackslash(extractDirectory_) + ExtractFileName(DestName);
        }
    }
    if (SkipFile || !write) return;

    stats.FileName = source;
    OpenFile in, out;
    if (!in.Open(source, platform::GenericRead, ShareAll, platform::OpenExisting)) throw EZCCouldNotOpenFile(source);
    platform::FileTime stamp;
    const bool haveStamp = platform::GetFileTime(in.handle, nullptr, nullptr, &stamp);
    stats.FileSize = stats.TotalSize = std::int32_t(platform::GetFileSize(in.handle));
    if (!out.Open(target, ReadWrite, 0, platform::CreateAlways)) throw EZCCouldNotCreateFile(target);
    std::vector<std::uint8_t> buffer(CopyBufferSize);
    platform::DWORD got = 0;
    do {
        if (abort_) return;  // quietly; what was written stays
        got = 0;
        if (!platform::ReadFile(in.handle, buffer.data(), CopyBufferSize, got)) got = 0;
        if (got > 0) {
            platform::DWORD put = 0;
            platform::WriteFile(out.handle, buffer.data(), got, put);
            if (put < got) DiskFull();
        }
        AddTo(stats.BytesDone, got);
        AddTo(stats.TotalDone, got);
        stats.Percent = stats.TotalPercent = StatPercent(stats.BytesDone, stats.FileSize);
        if (OnStatus) OnStatus(this, stats);
        ProcessMessages();
    } while (got == platform::DWORD(CopyBufferSize));
    if (haveStamp) platform::SetFileTime(out.handle, nullptr, nullptr, &stamp);
    stats.Finished = true;
    if (OnStatus) OnStatus(this, stats);
}

// ---------------------------------------------------------------------------------------

void InitialiseSharedCompress() {
    RegisterClass(&TZarnCompress::StaticClass());
    if (!SharedCompress) SharedCompress = new TZarnCompress(nullptr);
}
