#include "installer/routines_Package.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "archive/cmp_TFileHeaders.h"
#include "archive/routines_Compression.h"
#include "archive/routines_Lzma.h"
#include "framework/streams.h"
#include "platform/thread.h"

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

constexpr std::size_t IndexEntrySize = 4 + TFileHeaderRecord::Size;

// An index that reads: its count matches its size, and the records follow each other
// in the archive without overlapping (a header table can be no other way).
bool IndexFits(const std::string& index) {
    if (index.empty()) return true;
    if (index.size() < 5 || (index.size() - 5) % IndexEntrySize != 0) return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(index.data());
    if (Le32(p) != (index.size() - 5) / IndexEntrySize) return false;
    std::int64_t next = 5;
    for (std::size_t at = 5; at < index.size(); at += IndexEntrySize) {
        const std::int64_t position = Le32(p + at);
        if (position < next) return false;
        next = position + TFileHeaderRecord::Size;
    }
    return true;
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
                  std::uint32_t archiveSize, std::uint32_t compression, const std::string& index) {
    std::uint32_t imageEnd = 0;
    if (!ImageEnd(runtime, imageEnd)) throw Exception("The runtime is not a Windows program");
    runtime->SetPosition(0);
    out->CopyFrom(runtime, imageEnd);

    const std::uint32_t descriptionOffset = HeaderSize;
    const std::uint32_t archiveOffset = descriptionOffset + std::uint32_t(description.size());
    const std::uint32_t indexOffset = index.empty() ? 0 : archiveOffset + archiveSize;
    const std::uint32_t used = archiveOffset + archiveSize + std::uint32_t(index.size());
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
    Put32(h + 48, indexOffset);
    Put32(h + 52, std::uint32_t(index.size()));
    std::uint32_t crc = Crc32(Crc32(0, h, 44), h + 48, HeaderSize - 48);
    crc = Crc32(crc, description.data(), description.size());
    if (!CrcOf(archive, 0, archiveSize, crc)) throw EReadError("The archive could not be read");
    crc = Crc32(crc, index.data(), index.size());
    Put32(h + 44, crc);

    WriteAll(out, h, HeaderSize);
    WriteAll(out, description.data(), description.size());
    archive->SetPosition(0);
    if (archiveSize && out->CopyFrom(archive, archiveSize) != archiveSize) throw EReadError("The archive could not be read");
    WriteAll(out, index.data(), index.size());
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
    if (!ReadAt(stream, start, h, ShortHeaderSize)) return TPackageState::Damaged;
    const std::uint32_t headerSize = Le32(h + 8), version = Le32(h + 12), compression = Le32(h + 16);
    const bool hasIndexFields = headerSize >= HeaderSize;
    if (hasIndexFields && !ReadAt(stream, start + ShortHeaderSize, h + ShortHeaderSize, HeaderSize - ShortHeaderSize))
        return TPackageState::Damaged;
    const std::uint32_t indexOffset = hasIndexFields ? Le32(h + 48) : 0, indexSize = hasIndexFields ? Le32(h + 52) : 0;
    const std::uint32_t descOffset = Le32(h + 24), descSize = Le32(h + 28);
    const std::uint32_t archOffset = Le32(h + 32), archSize = Le32(h + 36), payloadSize = Le32(h + 40);
    const auto fits = [&](std::uint64_t offset, std::uint64_t size) {
        return offset >= headerSize && offset + size <= payloadSize;
    };
    if (headerSize < ShortHeaderSize || !fits(descOffset, descSize) || !fits(archOffset, archSize) ||
        (indexSize && !fits(indexOffset, indexSize)) ||
        std::uint64_t(start) + payloadSize > std::uint64_t(fileSize) || std::uint64_t(start) + payloadSize > 0x7FFFFFFF)
        return TPackageState::Damaged;

    std::uint32_t crc = Crc32(0, h, 44);
    if (hasIndexFields) crc = Crc32(crc, h + 48, HeaderSize - 48);
    std::string description(descSize, '\0');
    if (descSize && !ReadAt(stream, std::int64_t(start) + descOffset, description.data(), std::int32_t(descSize)))
        return TPackageState::Damaged;
    crc = Crc32(crc, description.data(), description.size());
    std::string index(indexSize, '\0');
    if (!CrcOf(stream, std::int64_t(start) + archOffset, archSize, crc) ||
        (indexSize && !ReadAt(stream, std::int64_t(start) + indexOffset, index.data(), std::int32_t(indexSize))) ||
        Crc32(crc, index.data(), index.size()) != Le32(h + 44) || !IndexFits(index))
        return TPackageState::Damaged;
    if (version > FormatVersion || (compression != CompressionArchive && compression != CompressionSolid)) return TPackageState::Unsupported;

    package.payloadStart = start;
    package.compression = compression;
    package.description = std::move(description);
    package.archiveOffset = start + archOffset;
    package.archiveSize = archSize;
    package.index = std::move(index);
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

std::string ArchiveIndex(TStream* archive) {
    TFileHeaders headers;
    headers.LoadFromStream(archive, 0);
    std::string index(5 + IndexEntrySize * std::size_t(headers.Count()), '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(index.data());
    Put32(p, std::uint32_t(headers.Count()));
    p[4] = headers.MultiDisk;
    for (int i = 0; i < headers.Count(); ++i) {
        std::uint8_t* e = p + 5 + IndexEntrySize * std::size_t(i);
        const std::int64_t at = headers.GetFileHeaders(i)->Position;
        Put32(e, std::uint32_t(at));
        if (!ReadAt(archive, at, e + 4, TFileHeaderRecord::Size)) throw EReadError("The archive could not be read");
    }
    return index;
}

std::uint64_t SolidArchiveSize(TStream* stream, const TPackage& package) {
    TWindowStream window(stream, package.archiveOffset, package.archiveSize);
    TLzmaDecompressionStream lzma(&window);
    return std::uint64_t(lzma.Size());
}

// What the worker and the reading thread share, under the lock.
struct TSolidArchiveStream::Shared {
    platform::Mutex lock;
    platform::Event changed;  // the worker made progress, or ended
    std::int64_t unpacked = 0;
    bool ended = false;
    bool stop = false;
    std::string error;  // why the unpacking failed (ended with it)
    bool writeFailed = false;  // the temporary file took less than it was given
    platform::Thread worker;
};

TSolidArchiveStream::TSolidArchiveStream(const std::string& image, const TPackage& package, const std::string& tempFile)
    : shared_(std::make_unique<Shared>()) {
    auto source = std::make_shared<TFileStream>(image, fmOpenRead | fmShareDenyNone);
    auto window = std::make_shared<TWindowStream>(source.get(), package.archiveOffset, package.archiveSize);
    auto lzma = std::make_shared<TLzmaDecompressionStream>(window.get());
    total_ = lzma->Size();
    { TFileStream create(tempFile, fmCreate); }
    auto writer = std::make_shared<TFileStream>(tempFile, fmOpenWrite | fmShareDenyNone);
    reader_ = std::make_unique<TFileStream>(tempFile, fmOpenRead | fmShareDenyNone);

    const auto* p = reinterpret_cast<const std::uint8_t*>(package.index.data());
    if (!package.index.empty()) {
        preamble_ = package.index.substr(0, 5);
        for (std::size_t at = 5; at + IndexEntrySize <= package.index.size(); at += IndexEntrySize)
            records_.emplace_back(Le32(p + at), package.index.substr(at + 4, TFileHeaderRecord::Size));
    }

    // The destructor waits for the worker before the shared state goes.
    Shared* shared = shared_.get();
    const bool started = shared->worker.Start([shared, source, window, lzma, writer] {
        std::vector<std::uint8_t> buffer(1 << 18);
        std::string error;
        bool writeFailed = false;
        try {
            std::int64_t done = 0;
            while (true) {
                {
                    platform::MutexLock hold(shared->lock);
                    if (shared->stop) break;
                }
                const std::int32_t n = lzma->Read(buffer.data(), std::int32_t(buffer.size()));
                if (n <= 0) break;
                writer->WriteBuffer(buffer.data(), n);
                done += n;
                platform::MutexLock hold(shared->lock);
                shared->unpacked = done;
                shared->changed.Set();
            }
            if (done != lzma->Size() && !shared->stop) error = "The solid payload ends early";
        } catch (const EWriteError& e) {
            error = e.Message();
            writeFailed = true;
        } catch (const Exception& e) {
            error = e.Message().empty() ? std::string("The solid payload cannot be unpacked") : e.Message();
        } catch (...) {
            error = "The solid payload cannot be unpacked";
        }
        platform::MutexLock hold(shared->lock);
        shared->error = error;
        shared->writeFailed = writeFailed;
        shared->ended = true;
        shared->changed.Set();
    });
    if (!started) throw Exception("The solid payload cannot be unpacked: no thread");
}

TSolidArchiveStream::~TSolidArchiveStream() {
    {
        platform::MutexLock hold(shared_->lock);
        shared_->stop = true;
    }
    shared_->worker.Join();
}

std::int64_t TSolidArchiveStream::WaitFor(std::int64_t end) {
    while (true) {
        {
            platform::MutexLock hold(shared_->lock);
            if (shared_->unpacked >= end) return shared_->unpacked;
            if (shared_->ended) {
                if (shared_->writeFailed) throw EWriteError(shared_->error);
                if (!shared_->error.empty()) throw ELzmaError(shared_->error);
                return shared_->unpacked;
            }
        }
        shared_->changed.Wait();
    }
}

void TSolidArchiveStream::Finish() {
    WaitFor(total_);
    {
        platform::MutexLock hold(shared_->lock);
        if (shared_->ended) return;
    }
    // Every byte is there; the worker's check of the last block ends it.
    while (true) {
        shared_->changed.Wait();
        platform::MutexLock hold(shared_->lock);
        if (!shared_->ended) continue;
        if (shared_->writeFailed) throw EWriteError(shared_->error);
        if (!shared_->error.empty()) throw ELzmaError(shared_->error);
        return;
    }
}

std::int32_t TSolidArchiveStream::Read(void* buffer, std::int32_t count) {
    if (count <= 0 || position_ >= total_) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t n = std::min<std::int64_t>(count, total_ - position_);
    if (!records_.empty()) {
        // The preamble and the header records from the index; what lies between them is
        // unpacked data, read no further than the next record.
        const std::string* from = nullptr;
        std::int64_t at = 0;
        if (position_ < std::int64_t(preamble_.size())) {
            from = &preamble_;
        } else {
            auto it = std::upper_bound(records_.begin(), records_.end(), position_,
                                       [](std::int64_t pos, const auto& r) { return pos < r.first; });
            if (it != records_.begin() && position_ < std::prev(it)->first + std::int64_t(std::prev(it)->second.size())) {
                from = &std::prev(it)->second;
                at = std::prev(it)->first;
            } else if (it != records_.end()) {
                n = std::min(n, it->first - position_);
            }
        }
        if (from) {
            n = std::min<std::int64_t>(n, at + std::int64_t(from->size()) - position_);
            std::memcpy(out, from->data() + (position_ - at), std::size_t(n));
            position_ += n;
            return std::int32_t(n);
        }
    }
    const std::int64_t there = WaitFor(position_ + n);
    n = std::min(n, there - position_);
    if (n <= 0 || reader_->Seek(position_, TSeekOrigin::soBeginning) != position_) return 0;
    const std::int32_t got = reader_->Read(out, std::int32_t(n));
    if (got > 0) position_ += got;
    return got;
}

std::int64_t TSolidArchiveStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : total_;
    position_ = std::clamp<std::int64_t>(base + offset, 0, total_);
    return position_;
}

}  // namespace package
