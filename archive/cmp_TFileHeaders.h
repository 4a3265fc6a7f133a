// The archive format's header records and the header table that holds an archive's
// directory in memory, with the archive exception family.
//
// An archive: HeaderCount (int32) and MultiDisk (byte) at archive offset 0, then a chain
// of 164-byte header records, each followed by its file's compressed data (one zlib
// stream). Every integer is little-endian; archive offsets count from the archive's first
// byte, which may lie at any position of a larger file.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/datetime.h"
#include "framework/eai.h"
#include "framework/streams.h"

// ---------------------------------------------------------------------------------------
// Exceptions of the archive engine and its header table

class EZC : public EAI {
public:
    using EAI::EAI;
};
class EZCCannotCreateTemp : public EZC {
public:
    EZCCannotCreateTemp() : EZC("Cannot open a temporary file into which to compress a file") {}
};
class EZCCouldNotOpenFile : public EZC {
public:
    explicit EZCCouldNotOpenFile(const std::string& fileName)
        : EZC("Could not open the following file: " + fileName), FileName(fileName) {}
    std::string FileName;

protected:
    // For subclasses with a message of their own; FileName stays empty.
    struct OwnMessage {};
    EZCCouldNotOpenFile(OwnMessage, const std::string& message) : EZC(message) {}
};
class EZCCouldNotOpenCompressedFile : public EZCCouldNotOpenFile {
public:
    explicit EZCCouldNotOpenCompressedFile(const std::string& archiveName)
        : EZCCouldNotOpenFile(OwnMessage{},
                              "Could not open the compressed file. The following value is the current value of "
                              "the CompressedFile property: " +
                                  archiveName) {}
};
class EZCCouldNotCreateFile : public EZC {
public:
    explicit EZCCouldNotCreateFile(const std::string& fileName)
        : EZC("Could not create the file " + fileName), FileName(fileName) {}
    std::string FileName;
};
class EZCDiskFull : public EZC {
public:
    EZCDiskFull() : EZC("Disk is full") {}
};
class EZCStop : public EZC {
public:
    EZCStop() : EZC("Operation aborted by user") {}
};
class EZCWrongDecompressedSize : public EZC {
public:
    explicit EZCWrongDecompressedSize(const std::string& fileName)
        : EZC("The decompressed file's size does not match with the actual size the file.  The file is " + fileName),
          FileName(fileName) {}
    std::string FileName;
};
// A stored name (or a DestName) that gives no plain file name to write inside the
// extraction folder: empty, only dots, reserved characters or a device name.
class EZCUnsafeFileName : public EZC {
public:
    explicit EZCUnsafeFileName(const std::string& fileName)
        : EZC("The following name does not give a file name that can be extracted into the extract directory: " +
              fileName),
          FileName(fileName) {}
    std::string FileName;
};
class EZCFH : public EZC {
public:
    using EZC::EZC;
};
class EZCFHInvalidNewFileHeader : public EZCFH {
public:
    EZCFHInvalidNewFileHeader() : EZCFH("Tried to add an invalid file header") {}
};
class EZCFHFileNotInArchive : public EZCFH {
public:
    explicit EZCFHFileNotInArchive(const std::string& fileName)
        : EZCFH("The following file was not found in the archive: " + fileName), FileName(fileName) {}
    std::string FileName;
};
class EZCFHCannotReadHeaders : public EZCFH {
public:
    EZCFHCannotReadHeaders()
        : EZCFH("Could not read the file headers for the compressed file. The Archive file could possible be "
                "corrupt.") {}
};
class EZCFHCannotWriteHeaders : public EZCFH {
public:
    EZCFHCannotWriteHeaders() : EZCFH("Could not write the file headers for the compressed file") {}
};
class EZCFHCannotReadHeaderCount : public EZCFH {
public:
    EZCFHCannotReadHeaderCount() : EZCFH("Could not read the file header count for the compressed file") {}
};

// ---------------------------------------------------------------------------------------
// The 164-byte header record, held verbatim

struct TFileHeaderRecord {
    static constexpr int Size = 164;
    static constexpr int MaxFileName = 100;
    static constexpr int MaxFileVersion = 20;

    std::array<std::uint8_t, Size> bytes{};

    std::int32_t FileNumber() const;
    void SetFileNumber(std::int32_t v);
    TDateTime FileDate() const;
    void SetFileDate(TDateTime v);
    std::uint8_t LastDisk() const { return bytes[12]; }
    void SetLastDisk(std::uint8_t v) { bytes[12] = v; }
    std::int32_t LastByte() const;
    void SetLastByte(std::int32_t v);
    // The stored text; a length byte above the capacity reads as the full capacity.
    std::string FileName() const;
    // Cut to 100 characters; the bytes behind the text are zeroed.
    void SetFileName(const std::string& v);
    std::int32_t NextHeader() const;
    void SetNextHeader(std::int32_t v);
    std::int32_t FileSize() const;
    void SetFileSize(std::int32_t v);
    std::int32_t DataStart() const;
    void SetDataStart(std::int32_t v);
    std::int32_t CompressedSize() const;
    void SetCompressedSize(std::int32_t v);
    std::uint8_t FirstDisk() const { return bytes[140]; }
    void SetFirstDisk(std::uint8_t v) { bytes[140] = v; }
    std::string FileVersion() const;
    // Cut to 20 characters.
    void SetFileVersion(const std::string& v);

    bool operator==(const TFileHeaderRecord&) const = default;
};

// ---------------------------------------------------------------------------------------
// TFileHeader: one archived file (or one still to be added)

class TFileHeader : public TObject {
    ZARN_CLASS(TFileHeader, TObject)
public:
    TFileHeaderRecord Record;
    // True when the record was read from an archive; the add operation compresses only
    // headers for which it is false.
    bool InArchive = false;
    // Where the record lies, from the archive's start (the preamble's first byte); -1
    // when not known.
    std::int64_t Position = -1;

    // FileName without blanks at either end is not empty.
    bool IsValid() const;
    // Fills the record from a source file: the entry's text before its first ";" is the
    // name; date, size and file version come from the file. EZCCouldNotOpenFile when the
    // file cannot be opened; Exception when it is 2 GB or larger (sizes are 32-bit).
    void ReadFileInfo(const std::string& entry);
    // 164 bytes at the stream's position; EZCFHCannotReadHeaders / EZCFHCannotWriteHeaders
    // when fewer move.
    void ReadRecord(TStream* stream);
    void WriteRecord(TStream* stream) const;
};

// ---------------------------------------------------------------------------------------
// TFileHeaders: the header table

class TFileHeaders : public TObject {
    ZARN_CLASS(TFileHeaders, TObject)
public:
    TFileHeaders() = default;
    ~TFileHeaders() override;
    TFileHeaders(const TFileHeaders&) = delete;
    TFileHeaders& operator=(const TFileHeaders&) = delete;

    std::uint8_t MultiDisk = 0;

    int Count() const { return int(headers_.size()); }
    // Exception "GetFileHeaders--module cmp_TFileHeaders--Create constructor" outside
    // 0..Count-1.
    TFileHeader* GetFileHeaders(int index) const;
    // Takes ownership; EZCFHInvalidNewFileHeader (and the header is freed) when it is not
    // valid.
    void AddHeader(TFileHeader* header);
    // Frees every header, last first.
    void Clear();
    // One header per entry, numbered from 1 in list order; without `append` the table is
    // cleared first.
    void AddFiles(TStrings* files, bool append);
    // 0-based index of the first header whose FileName equals the key's text before its
    // first ";" (ASCII case-insensitive); -1 when none.
    int IndexOf(const std::string& key) const;
    // Replaces the table by the headers of the archive starting at byte `base`.
    void LoadFromStream(TStream* stream, std::int32_t base);
    // The preamble at the start of the stream; for a multi-disk table also every header,
    // one behind the other.
    void SaveToStream(TStream* stream);
    // Sums of FileSize and CompressedSize (32-bit, wrapping).
    void GetTotals(std::int32_t& totalSize, std::int32_t& totalCompressed) const;

private:
    std::vector<std::unique_ptr<TFileHeader>> headers_;
};
