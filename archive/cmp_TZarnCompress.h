// The archive engine: adds files to an archive, extracts them, and copies plain files
// under the same overwrite rules, with progress events, disk prompts for multi-disk
// archives and a stop request that the user interface can set while it works.
//
// Everything runs on the calling thread. Between blocks the engine processes pending
// window messages through the application object, so a Cancel button can set Abort.
// With Jobs above 1, worker threads deflate parts of large files beside it; events,
// message processing and the Abort tests stay on the calling thread all the same.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/cmp_TFileHeaders.h"
#include "archive/routines_Compression.h"
#include "framework/classes.h"
#include "framework/datetime.h"

// How files are put into an archive: a new archive in place of any old one, or added to
// the end of an existing one (created when missing). The install files share it.
enum class TlzhCommand : std::uint8_t { lzcOverwrite, lzcOnlyAdd };
const std::vector<std::string>& LzhCommandNames();

// What happens to a file that is to be written where one exists already.
enum class TOverwriteType : std::uint8_t { owAlways, owNever, owVersion, owDate, owVersionDate };
const std::vector<std::string>& OverwriteTypeNames();

// Progress statistics, handed to every statistics event.
struct TlzhFileStats {
    std::uint8_t Percent = 0;          // of the current file
    std::int32_t BytesDone = 0;        // of the current file
    std::string FileName;              // the current file's stored name
    std::int32_t CompressedSize = 0;   // while adding: compressed bytes written so far
    std::uint8_t Ratio = 0;            // CompressedSize / FileSize x 100
    std::int32_t FileSize = 0;         // uncompressed size of the current file
    TFileHeaderRecord Header;          // the current file's record as it was when the file started
    bool Finished = false;             // only during a file's final status report
    std::uint8_t TotalPercent = 0;
    std::int32_t TotalDone = 0;
    std::int32_t TotalCompressed = 0;
    std::uint8_t TotalRatio = 0;       // TotalCompressed / TotalSize x 100
    std::int32_t TotalSize = 0;        // sum of FileSize over the archive's headers
};

// part / whole x 100, rounded with halves to even, kept in a byte (its low 8 bits); 0
// when the division fails.
std::uint8_t StatPercent(double part, double whole);

// Compares two version texts part by part ("." separated, each part as text, byte by
// byte): 0 equal, 1 when `a` is greater, 2 when it is smaller. A version with more parts
// is greater when the common parts are equal; an empty version has no parts.
int CompareVersions(const std::string& a, const std::string& b);

class TZarnCompress;
using TlzhFileStatsEvent = std::function<void(TZarnCompress* zarnCompress, const TlzhFileStats& fileStats)>;
// The handler may change the folder in which the disk file is looked for.
using TlzhNewDiskEvent = std::function<void(TZarnCompress* zarnCompress, int diskNumber, std::string& path)>;

class TZarnCompress : public TComponent {
    ZARN_CLASS(TZarnCompress, TComponent)
public:
    static constexpr std::int32_t CopyBufferSize = 8192;
    // Inflation reads the archive in blocks of this size and produces output blocks of
    // InflateBlockSize bytes, each followed by a progress step; the blocks are written to
    // the file in gathered runs of InflateWriteSize bytes (a short write is noticed then).
    static constexpr std::int32_t InflateReadSize = 65536;
    static constexpr std::int32_t InflateBlockSize = 4096;
    static constexpr std::int32_t InflateWriteSize = 65536;

    explicit TZarnCompress(TComponent* owner);
    ~TZarnCompress() override;

    // ---- published
    // A stop request: cleared when an operation starts, set by the user interface (or by
    // the engine after a failure); the running operation stops at its next block.
    bool Abort() const { return abort_; }
    void SetAbort(bool v) { abort_ = v; }
    std::string CompressedFile() const { return compressedFile_; }
    // A different name makes the next operation read that archive's headers (for a
    // multi-disk archive: a different base name).
    void SetCompressedFile(const std::string& value);
    TCompressionLevel CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(TCompressionLevel v) { compressionLevel_ = v; }
    std::string ExtractDirectory() const { return extractDirectory_; }
    void SetExtractDirectory(const std::string& v) { extractDirectory_ = v; }
    // Source paths when adding, stored names when extracting.
    TStrings* FilesToProcess() const { return filesToProcess_.get(); }
    // Deletes from `value` itself every entry that is blank, then copies it.
    void SetFilesToProcess(TStrings* value);
    // Byte position of the archive inside CompressedFile, added to every archive offset.
    std::int32_t Offset() const { return offset_; }
    void SetOffset(std::int32_t v) { offset_ = v; }
    // A stream (not owned) that the header table and the data of extractions are read
    // from instead of the file CompressedFile names, at Offset as ever; nullptr (the
    // default): that file. Set it together with the name, which the header table and
    // messages still go by. Reads may block (a stream still being filled); a stream that
    // raises fails the operation as a failed read of the file would. Adding never uses it.
    TStream* SourceStream() const { return sourceStream_; }
    void SetSourceStream(TStream* stream) {
        sourceStream_ = stream;
        headersLoaded_ = false;
    }
    TOverwriteType Overwrite() const { return overwrite_; }
    void SetOverwrite(TOverwriteType v) { overwrite_ = v; }

    TNotifyEvent OnAborted;
    TlzhFileStatsEvent OnAfterAdding;
    TlzhFileStatsEvent OnBeforeAdding;
    TlzhFileStatsEvent OnAfterExtracting;  // published for programs; no operation raises it
    TlzhFileStatsEvent OnBeforeExtracting;
    TNotifyEvent OnFullDisk;
    TlzhFileStatsEvent OnListing;  // published for programs; no operation raises it
    TlzhNewDiskEvent OnNewDisk;
    TlzhFileStatsEvent OnReplace;
    TlzhFileStatsEvent OnStatus;

    // ---- public state
    // Threads that deflate an added file (1 to MaxJobs). With 1 every file is deflated
    // by the calling thread as one zlib stream; above 1 a file larger than one block of
    // TParallelCompressionStream is deflated in blocks side by side and joined into one
    // standard zlib stream of other bytes (and within 1 % of the size) than with 1 job.
    static constexpr int MaxJobs = 64;
    int Jobs() const { return jobs_; }
    void SetJobs(int jobs) { jobs_ = jobs < 1 ? 1 : jobs > MaxJobs ? MaxJobs : jobs; }
    // Name (without folder) of the next extracted file; empty: the stored name's file
    // part. Cleared after every file and at the end of an extraction.
    std::string DestName;
    // Cleared before each file of an extraction; a handler that sets it skips the file.
    bool SkipFile = false;
    TlzhFileStats FileStats;
    TFileHeaders* FileHeaders() const { return fileHeaders_.get(); }
    // 0 before any operation, 1 once an add operation started, 2 once an extraction did.
    std::uint8_t Mode() const { return mode_; }
    bool HeadersLoaded() const { return headersLoaded_; }
    TFileHeader* CurrentHeader() const { return currentHeader_; }
    int CurrentDisk() const { return currentDisk_; }
    // The streams read and written while an operation runs (nullptr otherwise).
    TStream* SourceFile() const;
    TZarnNormalHandleStream* DestFile() const;

    // ---- operations
    int FileCount();
    // Statistics of the file at the 0-based index. Exception "Tried to access the %dth
    // file. This file is not defined" outside the archive.
    void GetFileStats(int index, TlzhFileStats& stats);
    // 0-based index of the stored name equal to `name` (case-insensitive), -1 when none.
    int IndexOfFile(const std::string& name);
    void Compress(TlzhCommand command);
    void Extract();
    void CopyFile(const std::string& source, const std::string& dest);
    // A write stored fewer bytes than asked: OnFullDisk when assigned (the operation
    // carries on), EZCDiskFull otherwise.
    virtual void DiskFull();
    // Progress of the file being added (the compression stream's progress handler).
    void AddStatus(TObject* sender);

protected:
    void LoadHeaders();
    // Opens disk file `diskNumber` of the archive named `fileName` (which is updated
    // in place) into `stream`, asking OnNewDisk for the folder when it is missing.
    void OpenDiskFile(int diskNumber, std::string& fileName);
    std::string GetTempFile();
    void CompressCurrent();
    // Inflates the current file's data into DestFile. True when the zlib stream ended.
    bool InflateCurrent();
    // Whether an existing file `target` is to be replaced by a file of that version and
    // date (asked only when the policy needs them).
    bool ShouldOverwrite(const std::string& target, const std::function<std::string()>& newVersion,
                         const std::function<TDateTime()>& newDate);
    void ProcessMessages();

private:
    struct OpenFile;
    template <class Body>
    void RunOperation(Body&& body);
    void AddOne(TFileHeader* header, OpenFile& archive);
    void ExtractOne(const std::string& target, bool absent);
    void CheckDataRange(const TFileHeaderRecord& record, std::int64_t archiveSize);
    std::string ExtractTarget();
    void ResetTotals();
    void FillFileStats(const TFileHeader& header);
    std::int32_t ReadArchiveBlock(std::uint8_t* buffer);

    bool abort_ = false;
    std::string compressedFile_;
    TCompressionLevel compressionLevel_ = TCompressionLevel::colMax;
    std::string extractDirectory_;
    std::unique_ptr<TStringList> filesToProcess_;
    std::int32_t offset_ = 0;
    int jobs_ = 1;
    TOverwriteType overwrite_ = TOverwriteType::owAlways;

    std::unique_ptr<TFileHeaders> fileHeaders_;
    std::uint8_t mode_ = 0;
    bool headersLoaded_ = false;
    // The archive the header table was read from or written to.
    std::string headerSource_;
    TFileHeader* currentHeader_ = nullptr;
    int currentDisk_ = 0;
    std::unique_ptr<OpenFile> source_;
    TStream* sourceStream_ = nullptr;
    // What an extraction reads: the opened disk file's stream or SourceStream.
    TStream* in_ = nullptr;
    std::unique_ptr<OpenFile> dest_;
    // Inflation state of the current file: where the next archive read starts, whether
    // it may read at all, and how many bytes the zlib stream produced.
    std::int64_t readPosition_ = 0;
    bool readable_ = false;
    std::int64_t produced_ = 0;
};

// The engine every install file uses; created at start-up by InitialiseSharedCompress.
extern TZarnCompress* SharedCompress;
// Registers the engine's class for form descriptions and creates SharedCompress (once).
void InitialiseSharedCompress();
