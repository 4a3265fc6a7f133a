// Locating the version resource inside a PE image. Every offset and length read from the
// image is checked against the image before use; the resource tree is walked exactly
// three levels deep (type, name, language), so a directory that points back at itself
// cannot make the walk loop.
#include "platform/host/version_pe.h"

#include <cstring>
#include <optional>

#include "platform/byteorder.h"

namespace platform::hostver {

bool MemorySource::Read(std::uint64_t offset, void* dst, std::size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    if (length) std::memcpy(dst, data_ + offset, length);
    return true;
}

namespace {

constexpr WORD RtVersion = 16;
constexpr WORD VsVersionInfo = 1;
// Windows refuses images with more sections than this.
constexpr WORD MaxSections = 96;

struct Section {
    DWORD virtualAddress = 0;
    DWORD virtualSize = 0;
    DWORD rawSize = 0;
    DWORD rawPointer = 0;
};

class Image {
public:
    explicit Image(ByteSource& src) : src_(src) {}

    bool U16(std::uint64_t off, WORD& v) {
        BYTE b[2];
        if (!src_.Read(off, b, 2)) return false;
        v = le::Get16(b);
        return true;
    }
    bool U32(std::uint64_t off, DWORD& v) {
        BYTE b[4];
        if (!src_.Read(off, b, 4)) return false;
        v = le::Get32(b);
        return true;
    }
    bool Bytes(std::uint64_t off, void* dst, std::size_t n) { return src_.Read(off, dst, n); }

private:
    ByteSource& src_;
};

// File offset of `length` bytes at relative virtual address `rva`, when they lie wholly
// inside the raw data of one section.
std::optional<std::uint64_t> RvaToOffset(const std::vector<Section>& sections, DWORD rva,
                                         DWORD length) {
    for (const Section& s : sections) {
        std::uint64_t start = s.virtualAddress;
        std::uint64_t span = std::max(s.virtualSize, s.rawSize);
        if (rva < start || rva - start >= span) continue;
        std::uint64_t delta = rva - start;
        if (delta + length > s.rawSize) return std::nullopt;
        return std::uint64_t(s.rawPointer) + delta;
    }
    return std::nullopt;
}

struct Entry {
    DWORD name = 0;
    DWORD target = 0;
};

// The entries of the resource directory at `dirOffset` (relative to the resource section).
bool ReadDirectory(Image& img, std::uint64_t base, DWORD resSize, DWORD dirOffset,
                   std::vector<Entry>& entries) {
    entries.clear();
    if (dirOffset > resSize || resSize - dirOffset < 16) return false;
    WORD named = 0, ids = 0;
    if (!img.U16(base + dirOffset + 12, named) || !img.U16(base + dirOffset + 14, ids))
        return false;
    std::uint64_t count = std::uint64_t(named) + ids;
    if (count * 8 > resSize - dirOffset - 16) return false;
    entries.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        Entry e;
        std::uint64_t at = base + dirOffset + 16 + i * 8;
        if (!img.U32(at, e.name) || !img.U32(at + 4, e.target)) return false;
        entries.push_back(e);
    }
    return true;
}

constexpr DWORD HighBit = 0x80000000u;

// Subdirectory offset of the entry with numeric id `id`.
std::optional<DWORD> FindId(const std::vector<Entry>& entries, WORD id) {
    for (const Entry& e : entries)
        if (!(e.name & HighBit) && e.name == id && (e.target & HighBit)) return e.target & ~HighBit;
    return std::nullopt;
}

}  // namespace

DWORD ExtractVersionResource(ByteSource& src, LANGID userLanguage, std::vector<BYTE>& resource) {
    resource.clear();
    Image img(src);
    constexpr DWORD NotImage = err::ResourceDataNotFound;

    WORD mz = 0;
    DWORD peOffset = 0;
    if (!img.U16(0, mz) || mz != 0x5A4D || !img.U32(0x3C, peOffset)) return NotImage;
    DWORD sig = 0;
    if (!img.U32(peOffset, sig) || sig != 0x00004550) return NotImage;
    std::uint64_t coff = std::uint64_t(peOffset) + 4;
    WORD sectionCount = 0, optSize = 0, magic = 0;
    if (!img.U16(coff + 2, sectionCount) || !img.U16(coff + 16, optSize)) return NotImage;
    if (sectionCount > MaxSections) return NotImage;
    std::uint64_t opt = coff + 20;
    if (!img.U16(opt, magic)) return NotImage;
    std::uint64_t countField = 0;
    if (magic == 0x10B)
        countField = 92;
    else if (magic == 0x20B)
        countField = 108;
    else
        return NotImage;
    DWORD dirCount = 0;
    if (optSize < countField + 4 || !img.U32(opt + countField, dirCount)) return NotImage;
    // The resource table is data directory 2.
    if (dirCount < 3 || optSize < countField + 4 + 3 * 8) return err::ResourceTypeNotFound;
    DWORD resRva = 0, resSize = 0;
    if (!img.U32(opt + countField + 4 + 2 * 8, resRva) ||
        !img.U32(opt + countField + 4 + 2 * 8 + 4, resSize))
        return NotImage;
    if (resRva == 0 || resSize == 0) return err::ResourceTypeNotFound;

    std::vector<Section> sections;
    std::uint64_t sectionTable = opt + optSize;
    for (WORD i = 0; i < sectionCount; ++i) {
        std::uint64_t at = sectionTable + std::uint64_t(i) * 40;
        Section s;
        if (!img.U32(at + 8, s.virtualSize) || !img.U32(at + 12, s.virtualAddress) ||
            !img.U32(at + 16, s.rawSize) || !img.U32(at + 20, s.rawPointer))
            return NotImage;
        sections.push_back(s);
    }

    // Offsets inside the resource tree are relative to its start; the tree is read from
    // the section holding it, up to the end of that section's raw data.
    std::optional<std::uint64_t> base = RvaToOffset(sections, resRva, 16);
    if (!base) return err::ResourceTypeNotFound;
    DWORD available = 0;
    for (const Section& s : sections)
        if (resRva >= s.virtualAddress && resRva - s.virtualAddress < s.rawSize)
            available = s.rawSize - (resRva - s.virtualAddress);
    DWORD treeSize = available;

    std::vector<Entry> entries;
    if (!ReadDirectory(img, *base, treeSize, 0, entries)) return err::ResourceTypeNotFound;
    std::optional<DWORD> typeDir = FindId(entries, RtVersion);
    if (!typeDir) return err::ResourceTypeNotFound;
    if (!ReadDirectory(img, *base, treeSize, *typeDir, entries)) return err::ResourceTypeNotFound;
    std::optional<DWORD> nameDir = FindId(entries, VsVersionInfo);
    if (!nameDir) return err::ResourceTypeNotFound;
    if (!ReadDirectory(img, *base, treeSize, *nameDir, entries)) return err::ResourceTypeNotFound;

    // Language level: leaves only (a further directory here is not a resource).
    const Entry* chosen = nullptr;
    auto pick = [&](DWORD lang) {
        for (const Entry& e : entries)
            if (!(e.name & HighBit) && !(e.target & HighBit) && e.name == lang) return &e;
        return static_cast<const Entry*>(nullptr);
    };
    const DWORD preferences[] = {0x0000, 0x0400, userLanguage,
                                 DWORD(userLanguage & 0x3FF), 0x0409, 0x0009};
    for (DWORD lang : preferences)
        if (!chosen) chosen = pick(lang);
    if (!chosen)
        for (const Entry& e : entries)
            if (!(e.target & HighBit)) {
                chosen = &e;
                break;
            }
    if (!chosen) return err::ResourceTypeNotFound;

    DWORD leaf = chosen->target;
    if (leaf > treeSize || treeSize - leaf < 16) return err::ResourceTypeNotFound;
    DWORD dataRva = 0, dataSize = 0;
    if (!img.U32(*base + leaf, dataRva) || !img.U32(*base + leaf + 4, dataSize))
        return err::ResourceTypeNotFound;
    // Only what the root block claims belongs to it.
    if (dataSize < 6) return err::ResourceTypeNotFound;
    std::optional<std::uint64_t> at = RvaToOffset(sections, dataRva, 6);
    WORD rootLength = 0;
    if (!at || !img.U16(*at, rootLength) || rootLength < 6) return err::ResourceTypeNotFound;
    dataSize = std::min<DWORD>(dataSize, rootLength);
    at = RvaToOffset(sections, dataRva, dataSize);
    if (!at) return err::ResourceTypeNotFound;
    std::vector<BYTE> bytes(dataSize);
    if (!img.Bytes(*at, bytes.data(), bytes.size())) return err::ResourceTypeNotFound;
    // A root block longer than the resource is cut to the resource.
    le::Put16(bytes.data(), WORD(dataSize));
    resource = std::move(bytes);
    return 0;
}

}  // namespace platform::hostver
