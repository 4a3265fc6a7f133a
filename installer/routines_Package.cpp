#include "installer/routines_Package.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "archive/routines_Compression.h"
#include "archive/routines_Lzma.h"
#include "framework/streams.h"

namespace package {

namespace {

constexpr char Magic[8] = {'Z', 'A', 'R', 'N', 'P', 'K', 'G', '\x1A'};

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

// Exactly `size` bytes at `pos`, or false.
bool ReadAt(TStream* s, std::int64_t pos, void* buffer, std::int32_t size) {
    if (s->Seek(pos, TSeekOrigin::soBeginning) != pos) return false;
    auto* b = static_cast<std::uint8_t*>(buffer);
    std::int32_t got = 0;
    while (got < size) {
        const std::int32_t n = s->Read(b + got, size - got);
        if (n <= 0) return false;
        got += n;
    }
    return true;
}

// The CRC of `size` bytes at `pos`, continued from `crc`; false when they are not there.
bool CrcOf(TStream* s, std::int64_t pos, std::uint32_t size, std::uint32_t& crc) {
    std::vector<std::uint8_t> buffer(65536);
    while (size > 0) {
        const std::int32_t n = std::int32_t(std::min<std::uint32_t>(size, std::uint32_t(buffer.size())));
        if (!ReadAt(s, pos, buffer.data(), n)) return false;
        crc = Crc32(crc, buffer.data(), std::size_t(n));
        pos += n;
        size -= std::uint32_t(n);
    }
    return true;
}

void WriteAll(TStream* out, const void* data, std::size_t size) {
    if (size) out->WriteBuffer(data, std::int32_t(size));
}

}  // namespace


bool ImageEnd(TStream* stream, std::uint32_t& end) {
    const std::int64_t fileSize = stream->Size();
    std::uint8_t dos[64];
    if (!ReadAt(stream, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const std::uint32_t pe = Le32(dos + 60);
    std::uint8_t head[24];
    if (pe > fileSize || !ReadAt(stream, pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0) return false;
    const std::uint16_t sections = Le16(head + 6);
    const std::uint32_t symbols = Le32(head + 12);
    const std::uint32_t symbolCount = Le32(head + 16);
    const std::uint16_t optionalSize = Le16(head + 20);
    std::int64_t last = std::int64_t(pe) + 24 + optionalSize + 40 * std::int64_t(sections);
    if (last > fileSize) return false;
    for (int i = 0; i < sections; ++i) {
        std::uint8_t sh[40];
        if (!ReadAt(stream, std::int64_t(pe) + 24 + optionalSize + 40 * i, sh, sizeof sh)) return false;
        const std::uint32_t rawSize = Le32(sh + 16), rawPos = Le32(sh + 20);
        if (rawSize && std::int64_t(rawPos) + rawSize > last) last = std::int64_t(rawPos) + rawSize;
    }
    if (symbols && symbolCount) {
        // The names of the symbols follow them, led by their size.
        const std::int64_t names = std::int64_t(symbols) + 18 * std::int64_t(symbolCount);
        std::uint8_t size[4];
        if (names + 4 <= fileSize && ReadAt(stream, names, size, 4)) last = std::max(last, names + Le32(size));
    }
    if (last > fileSize || last > 0x7FFFFFFF) return false;
    end = std::uint32_t(last);
    return true;
}

void WritePackage(TStream* out, TStream* runtime, const std::string& description, TStream* archive,
                  std::uint32_t archiveSize, std::uint32_t compression) {
    std::uint32_t imageEnd = 0;
    if (!ImageEnd(runtime, imageEnd)) throw Exception("The runtime is not a Windows program");
    runtime->SetPosition(0);
    out->CopyFrom(runtime, imageEnd);

    const std::uint32_t descriptionOffset = HeaderSize;
    const std::uint32_t archiveOffset = descriptionOffset + std::uint32_t(description.size());
    const std::uint32_t used = archiveOffset + archiveSize;
    // Signing tools pad a file to 8 bytes before their certificate table: a payload that
    // ends there already leaves nothing between the two.
    const std::uint32_t payloadSize = (used + 7) & ~7u;

    std::uint8_t h[HeaderSize] = {};
    std::memcpy(h, Magic, 8);
    Put32(h + 8, HeaderSize);
    Put32(h + 12, FormatVersion);
    Put32(h + 16, compression);
    Put32(h + 24, descriptionOffset);
    Put32(h + 28, std::uint32_t(description.size()));
    Put32(h + 32, archiveOffset);
    Put32(h + 36, archiveSize);
    Put32(h + 40, payloadSize);
    std::uint32_t crc = Crc32(0, h, 44);
    crc = Crc32(crc, description.data(), description.size());
    if (!CrcOf(archive, 0, archiveSize, crc)) throw EReadError("The archive could not be read");
    Put32(h + 44, crc);

    WriteAll(out, h, HeaderSize);
    WriteAll(out, description.data(), description.size());
    archive->SetPosition(0);
    if (archiveSize && out->CopyFrom(archive, archiveSize) != archiveSize) throw EReadError("The archive could not be read");
    const std::uint8_t zeros[8] = {};
    WriteAll(out, zeros, payloadSize - used);
}

TPackageState ReadPackage(TStream* stream, TPackage& package) {
    std::uint32_t start = 0;
    if (!ImageEnd(stream, start)) return TPackageState::NoPayload;
    const std::int64_t fileSize = stream->Size();
    std::uint8_t h[HeaderSize];
    if (std::int64_t(start) + 8 > fileSize) return TPackageState::NoPayload;
    if (!ReadAt(stream, start, h, 8) || std::memcmp(h, Magic, 8) != 0) return TPackageState::NoPayload;
    // From here on the file says it is a setup program: what does not fit is damage.
    if (!ReadAt(stream, start, h, HeaderSize)) return TPackageState::Damaged;
    const std::uint32_t headerSize = Le32(h + 8), version = Le32(h + 12), compression = Le32(h + 16);
    const std::uint32_t descOffset = Le32(h + 24), descSize = Le32(h + 28);
    const std::uint32_t archOffset = Le32(h + 32), archSize = Le32(h + 36), payloadSize = Le32(h + 40);
    const auto fits = [&](std::uint64_t offset, std::uint64_t size) {
        return offset >= headerSize && offset + size <= payloadSize;
    };
    if (headerSize < HeaderSize || !fits(descOffset, descSize) || !fits(archOffset, archSize) ||
        std::uint64_t(start) + payloadSize > std::uint64_t(fileSize) || std::uint64_t(start) + payloadSize > 0x7FFFFFFF)
        return TPackageState::Damaged;

    std::uint32_t crc = Crc32(0, h, 44);
    std::string description(descSize, '\0');
    if (descSize && !ReadAt(stream, std::int64_t(start) + descOffset, description.data(), std::int32_t(descSize)))
        return TPackageState::Damaged;
    crc = Crc32(crc, description.data(), description.size());
    if (!CrcOf(stream, std::int64_t(start) + archOffset, archSize, crc) || crc != Le32(h + 44))
        return TPackageState::Damaged;
    if (version > FormatVersion || (compression != CompressionArchive && compression != CompressionSolid)) return TPackageState::Unsupported;

    package.payloadStart = start;
    package.compression = compression;
    package.description = std::move(description);
    package.archiveOffset = start + archOffset;
    package.archiveSize = archSize;
    return TPackageState::Ok;
}

namespace {

// A window on `size` bytes of `stream` from `start`: the decoder never reads past the
// container, whatever its header claims.
class TWindowStream : public TStream {
public:
    TWindowStream(TStream* stream, std::int64_t start, std::int64_t size) : s_(stream), start_(start), size_(size) {}
    std::int32_t Read(void* buffer, std::int32_t count) override {
        const std::int64_t n = std::min<std::int64_t>(count, size_ - pos_);
        if (n <= 0 || s_->Seek(start_ + pos_, TSeekOrigin::soBeginning) != start_ + pos_) return 0;
        const std::int32_t got = s_->Read(buffer, std::int32_t(n));
        if (got > 0) pos_ += got;
        return got;
    }
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? pos_ : size_;
        pos_ = std::clamp<std::int64_t>(base + offset, 0, size_);
        return pos_;
    }
    std::int64_t Size() override { return size_; }
    void SetSize(std::int64_t) override {}

private:
    TStream* s_;
    std::int64_t start_, size_, pos_ = 0;
};

}  // namespace

std::uint64_t SolidArchiveSize(TStream* stream, const TPackage& package) {
    TWindowStream window(stream, package.archiveOffset, package.archiveSize);
    TLzmaDecompressionStream lzma(&window);
    return std::uint64_t(lzma.Size());
}

void UnpackSolid(TStream* stream, const TPackage& package, TStream* out,
                 const std::function<void(std::uint64_t done)>& progress) {
    TWindowStream window(stream, package.archiveOffset, package.archiveSize);
    TLzmaDecompressionStream lzma(&window);
    std::vector<std::uint8_t> buffer(1 << 18);
    std::uint64_t done = 0;
    while (true) {
        const std::int32_t n = lzma.Read(buffer.data(), std::int32_t(buffer.size()));
        if (n <= 0) break;
        out->WriteBuffer(buffer.data(), n);
        done += std::uint64_t(n);
        if (progress) progress(done);
    }
    if (done != std::uint64_t(lzma.Size())) throw ELzmaError("The solid payload ends early");
}

}  // namespace package
