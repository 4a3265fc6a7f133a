#include "archive/cmp_TFileHeaders.h"

#include <algorithm>
#include <cstring>

#include "platform/byteorder.h"
#include "platform/files.h"
#include "registration/cmp_TVersion.h"

ZARN_DEFINE_CLASS(TFileHeader, TObject, [](auto&) {})
ZARN_DEFINE_CLASS(TFileHeaders, TObject, [](auto&) {})

namespace le = platform::le;

namespace {

// Field offsets of the record.
constexpr int OffFileNumber = 0;
constexpr int OffFileDate = 4;
constexpr int OffLastByte = 16;
constexpr int OffFileName = 20;
constexpr int OffNextHeader = 124;
constexpr int OffFileSize = 128;
constexpr int OffDataStart = 132;
constexpr int OffCompressedSize = 136;
constexpr int OffFileVersion = 141;

std::string GetShortString(const std::array<std::uint8_t, TFileHeaderRecord::Size>& b, int off, int capacity) {
    int len = std::min<int>(b[std::size_t(off)], capacity);
    return std::string(reinterpret_cast<const char*>(b.data() + off + 1), std::size_t(len));
}

void PutShortString(std::array<std::uint8_t, TFileHeaderRecord::Size>& b, int off, int capacity, const std::string& s) {
    std::size_t len = std::min<std::size_t>(s.size(), std::size_t(capacity));
    std::memset(b.data() + off, 0, std::size_t(capacity) + 1);
    b[std::size_t(off)] = std::uint8_t(len);
    std::memcpy(b.data() + off + 1, s.data(), len);
}

// The earliest and latest values a file stamp can be stored as (the DOS range).
TDateTime ClampToStampRange(const platform::FileTime& utc) {
    TDateTime out;
    if (FileTimeToDateTime(utc, out)) return out;
    // Outside 1980..2107 (local time): the nearest end of the range.
    constexpr std::uint64_t Utc1990 = 0x01B41E2A18D64000ull;  // 1990-01-01 00:00 UTC
    if (utc.value() < Utc1990) return EncodeDate(1980, 1, 1);
    return EncodeDate(2107, 12, 31) + EncodeTime(23, 59, 58, 0);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TFileHeaderRecord

std::int32_t TFileHeaderRecord::FileNumber() const { return le::GetI32(bytes.data() + OffFileNumber); }
void TFileHeaderRecord::SetFileNumber(std::int32_t v) { le::Put32(bytes.data() + OffFileNumber, std::uint32_t(v)); }
TDateTime TFileHeaderRecord::FileDate() const { return le::GetDouble(bytes.data() + OffFileDate); }
void TFileHeaderRecord::SetFileDate(TDateTime v) { le::PutDouble(bytes.data() + OffFileDate, v); }
std::int32_t TFileHeaderRecord::LastByte() const { return le::GetI32(bytes.data() + OffLastByte); }
void TFileHeaderRecord::SetLastByte(std::int32_t v) { le::Put32(bytes.data() + OffLastByte, std::uint32_t(v)); }
std::string TFileHeaderRecord::FileName() const { return GetShortString(bytes, OffFileName, MaxFileName); }
void TFileHeaderRecord::SetFileName(const std::string& v) { PutShortString(bytes, OffFileName, MaxFileName, v); }
std::int32_t TFileHeaderRecord::NextHeader() const { return le::GetI32(bytes.data() + OffNextHeader); }
void TFileHeaderRecord::SetNextHeader(std::int32_t v) { le::Put32(bytes.data() + OffNextHeader, std::uint32_t(v)); }
std::int32_t TFileHeaderRecord::FileSize() const { return le::GetI32(bytes.data() + OffFileSize); }
void TFileHeaderRecord::SetFileSize(std::int32_t v) { le::Put32(bytes.data() + OffFileSize, std::uint32_t(v)); }
std::int32_t TFileHeaderRecord::DataStart() const { return le::GetI32(bytes.data() + OffDataStart); }
void TFileHeaderRecord::SetDataStart(std::int32_t v) { le::Put32(bytes.data() + OffDataStart, std::uint32_t(v)); }
std::int32_t TFileHeaderRecord::CompressedSize() const { return le::GetI32(bytes.data() + OffCompressedSize); }
void TFileHeaderRecord::SetCompressedSize(std::int32_t v) {
    le::Put32(bytes.data() + OffCompressedSize, std::uint32_t(v));
}
std::string TFileHeaderRecord::FileVersion() const { return GetShortString(bytes, OffFileVersion, MaxFileVersion); }
void TFileHeaderRecord::SetFileVersion(const std::string& v) {
    PutShortString(bytes, OffFileVersion, MaxFileVersion, v);
}

// ---------------------------------------------------------------------------------------
// TFileHeader

bool TFileHeader::IsValid() const { return !Trim(Record.FileName()).empty(); }

void TFileHeader::ReadFileInfo(const std::string& entry) {
    std::string name = entry.substr(0, entry.find(';'));
    Record.SetFileName(name);
    const std::string stored = Record.FileName();
    constexpr platform::DWORD shareAll = platform::FileShareRead | platform::FileShareWrite;
    platform::Handle h = platform::CreateFile(stored, platform::GenericRead, shareAll, platform::OpenExisting);
    if (h == platform::InvalidHandle) throw EZCCouldNotOpenFile(stored);
    platform::FileTime stamp;
    bool haveStamp = platform::GetFileTime(h, nullptr, nullptr, &stamp);
    platform::DWORD high = 0;
    platform::DWORD size = platform::GetFileSize(h, &high);
    platform::CloseHandle(h);
    // Sizes and archive offsets are signed 32-bit: a larger file cannot be described.
    if (high != 0 || size == platform::InvalidFileSize || size > 0x7FFFFFFFu)
        throw Exception("The following file is too large to be added to an archive: " + stored);
    Record.SetFileDate(haveStamp ? ClampToStampRange(stamp) : -1);
    Record.SetFileSize(std::int32_t(size));
    if (!VersionReader) InitVersionUnit();
    VersionReader->SetFileName(stored);
    Record.SetFileVersion(VersionReader->VersionInfo()->FileVersion());
}

void TFileHeader::ReadRecord(TStream* stream) {
    if (stream->Read(Record.bytes.data(), TFileHeaderRecord::Size) != TFileHeaderRecord::Size)
        throw EZCFHCannotReadHeaders();
    InArchive = true;
}

void TFileHeader::WriteRecord(TStream* stream) const {
    if (stream->Write(Record.bytes.data(), TFileHeaderRecord::Size) != TFileHeaderRecord::Size)
        throw EZCFHCannotWriteHeaders();
}

// ---------------------------------------------------------------------------------------
// TFileHeaders

TFileHeaders::~TFileHeaders() { Clear(); }

TFileHeader* TFileHeaders::GetFileHeaders(int index) const {
    if (index < 0 || index > Count() - 1)
        throw Exception("GetFileHeaders--module cmp_TFileHeaders--Create constructor");
    return headers_[std::size_t(index)].get();
}

void TFileHeaders::AddHeader(TFileHeader* header) {
    std::unique_ptr<TFileHeader> owned(header);
    if (!header || !header->IsValid()) throw EZCFHInvalidNewFileHeader();
    headers_.push_back(std::move(owned));
}

void TFileHeaders::Clear() {
    while (!headers_.empty()) headers_.pop_back();
}

void TFileHeaders::AddFiles(TStrings* files, bool append) {
    if (!append) Clear();
    for (int i = 0; i < files->Count(); ++i) {
        auto header = std::make_unique<TFileHeader>();
        header->ReadFileInfo(files->Get(i));
        header->Record.SetFileNumber(i + 1);
        AddHeader(header.release());
    }
}

int TFileHeaders::IndexOf(const std::string& key) const {
    const std::string name = key.substr(0, key.find(';'));
    for (std::size_t i = 0; i < headers_.size(); ++i)
        if (SameText(headers_[i]->Record.FileName(), name)) return int(i);
    return -1;
}

void TFileHeaders::LoadFromStream(TStream* stream, std::int32_t base) {
    Clear();
    if (base < 0 || stream->Seek(base, TSeekOrigin::soBeginning) != base) throw EZCFHCannotReadHeaderCount();
    std::uint8_t preamble[5];
    if (stream->Read(preamble, 4) != 4) throw EZCFHCannotReadHeaderCount();
    if (stream->Read(preamble + 4, 1) != 1) throw EZCFHCannotReadHeaderCount();
    const std::int32_t headerCount = le::GetI32(preamble);
    MultiDisk = preamble[4];
    std::int64_t position = std::int64_t(base) + 5;
    // The chain only ever runs forward (every record lies behind the one before it), so
    // however large the count, the walk ends at the end of the stream.
    std::int64_t earliest = position;
    for (std::int32_t i = 0; i < headerCount; ++i) {
        if (position < earliest || stream->Seek(position, TSeekOrigin::soBeginning) != position)
            throw EZCFHCannotReadHeaders();
        auto header = std::make_unique<TFileHeader>();
        header->ReadRecord(stream);
        header->Position = position - base;
        // A single-file archive is disk 0 only: other disk numbers would have the reader
        // open the same file again and again and inflate from its first byte on.
        if (MultiDisk == 0 && (header->Record.FirstDisk() != 0 || header->Record.LastDisk() != 0))
            throw EZCFHCannotReadHeaders();
        earliest = position + TFileHeaderRecord::Size;
        position = std::int64_t(base) + header->Record.NextHeader();
        AddHeader(header.release());
    }
}

void TFileHeaders::SaveToStream(TStream* stream) {
    stream->Seek(0, TSeekOrigin::soBeginning);
    std::uint8_t count[4];
    le::Put32(count, std::uint32_t(Count()));
    if (stream->Write(count, 4) != 4) throw EZCFHCannotWriteHeaders();
    if (stream->Write(&MultiDisk, 1) != 1) throw EZCFHCannotWriteHeaders();
    if (MultiDisk == 0) return;
    for (auto& h : headers_) {
        h->Record.SetNextHeader(std::int32_t(stream->Position() + TFileHeaderRecord::Size));
        h->WriteRecord(stream);
    }
}

void TFileHeaders::GetTotals(std::int32_t& totalSize, std::int32_t& totalCompressed) const {
    std::uint32_t size = 0, compressed = 0;
    for (auto& h : headers_) {
        size += std::uint32_t(h->Record.FileSize());
        compressed += std::uint32_t(h->Record.CompressedSize());
    }
    totalSize = std::int32_t(size);
    totalCompressed = std::int32_t(compressed);
}
