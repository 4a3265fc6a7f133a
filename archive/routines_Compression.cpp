#include "archive/routines_Compression.h"

#include <zlib.h>

#include "platform/files.h"

#if defined(ZARN_WIN32)
// The 32-bit layout of the record that deflate and inflate are initialised with.
static_assert(sizeof(z_stream) == 56, "zlib's stream record of the 32-bit build");
#endif

ZARN_DEFINE_CLASS(TZarnStream, TStream, [](auto&) {})
ZARN_DEFINE_CLASS(TZarnNormalHandleStream, TZarnStream, [](auto&) {})
ZARN_DEFINE_CLASS(TCustomZlibStream, TStream, [](auto&) {})
ZARN_DEFINE_CLASS(TCompressionStream, TCustomZlibStream, [](auto&) {})

const std::vector<std::string>& CompressionLevelNames() {
    static const std::vector<std::string> names = {"colNone", "colFastest", "colDefault", "colMax"};
    return names;
}

int DeflateLevelOf(TCompressionLevel level) {
    switch (level) {
        case TCompressionLevel::colNone: return Z_NO_COMPRESSION;
        case TCompressionLevel::colFastest: return Z_BEST_SPEED;
        case TCompressionLevel::colDefault: return Z_DEFAULT_COMPRESSION;
        case TCompressionLevel::colMax: return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

// ---------------------------------------------------------------------------------------
// TZarnStream

std::int64_t TZarnStream::GetSize() {
    std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TZarnStream::SetSize(std::int64_t) {}

// ---------------------------------------------------------------------------------------
// TZarnNormalHandleStream

std::int32_t TZarnNormalHandleStream::Read(void* buffer, std::int32_t count) {
    platform::DWORD done = 0;
    if (count <= 0) return 0;
    if (!platform::ReadFile(handle_, buffer, platform::DWORD(count), done)) return 0;
    return std::int32_t(done);
}

std::int32_t TZarnNormalHandleStream::Write(const void* buffer, std::int32_t count) {
    platform::DWORD done = 0;
    if (count <= 0) return 0;
    // A write that comes up short reports what it did store: the caller compares.
    platform::WriteFile(handle_, buffer, platform::DWORD(count), done);
    return std::int32_t(done);
}

std::int64_t TZarnNormalHandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    platform::DWORD o = origin == TSeekOrigin::soBeginning ? platform::FileBegin
                        : origin == TSeekOrigin::soCurrent ? platform::FileCurrent
                                                           : platform::FileEnd;
    if (offset < INT32_MIN || offset > INT32_MAX) return -1;
    platform::DWORD r = platform::SetFilePointer(handle_, platform::LONG(offset), o);
    if (r == platform::InvalidSetFilePointer) return -1;
    return std::int64_t(r);
}

void TZarnNormalHandleStream::SetSize(std::int64_t newSize) {
    const std::int32_t size = std::int32_t(newSize);
    if (Seek(size, TSeekOrigin::soBeginning) != size || !platform::SetEndOfFile(handle_))
        throw Exception("Could not set file Size: routines_Compression::TZarnHandleStream.SetSize");
}

// ---------------------------------------------------------------------------------------
// TCustomZlibStream

struct TCustomZlibStream::ZRecord {
    z_stream zs{};
};

TCustomZlibStream::TCustomZlibStream(TStream* target)
    : z_(std::make_unique<ZRecord>()),
      target_(target),
      targetPosition_(target->Position()),
      buffer_(new std::uint8_t[BufferSize]) {}

TCustomZlibStream::~TCustomZlibStream() = default;

void TCustomZlibStream::Progress(TObject* sender) {
    if (OnProgress) OnProgress(sender);
}

// ---------------------------------------------------------------------------------------
// TCompressionStream

namespace {
void CheckDeflate(int code) {
    if (code < 0) throw ECompressionError("error");
}
}  // namespace

TCompressionStream::TCompressionStream(TCompressionLevel level, TStream* dest) : TCustomZlibStream(dest) {
    z_stream& zs = z_->zs;
    zs.next_out = buffer_.get();
    zs.avail_out = BufferSize;
    CheckDeflate(deflateInit_(&zs, DeflateLevelOf(level), ZlibInterfaceVersion, int(sizeof(z_stream))));
}

TCompressionStream::~TCompressionStream() {
    try {
        Finish();
    } catch (...) {
        // The stream is going away after a failure; deflate is ended below.
    }
    if (!finished_) deflateEnd(&z_->zs);
}

std::int32_t TCompressionStream::Write(const void* buffer, std::int32_t count) {
    z_stream& zs = z_->zs;
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    zs.avail_in = uInt(count < 0 ? 0 : count);
    if (target_->Position() != targetPosition_) target_->Seek(targetPosition_, TSeekOrigin::soBeginning);
    while (zs.avail_in > 0) {
        CheckDeflate(deflate(&zs, Z_NO_FLUSH));
        if (zs.avail_out == 0) {
            target_->WriteBuffer(buffer_.get(), BufferSize);
            zs.next_out = buffer_.get();
            zs.avail_out = BufferSize;
            targetPosition_ = target_->Position();
            Progress(this);
        }
    }
    return count;
}

std::int32_t TCompressionStream::Read(void*, std::int32_t) { throw ECompressionError("Invalid stream operation"); }

std::int64_t TCompressionStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (offset == 0 && origin == TSeekOrigin::soCurrent) return std::int64_t(z_->zs.total_in);
    throw ECompressionError("Invalid stream operation");
}

void TCompressionStream::Finish() {
    if (finished_) return;
    finished_ = true;
    z_stream& zs = z_->zs;
    try {
        zs.next_in = nullptr;
        zs.avail_in = 0;
        if (target_->Position() != targetPosition_) target_->Seek(targetPosition_, TSeekOrigin::soBeginning);
        for (;;) {
            int code = deflate(&zs, Z_FINISH);
            CheckDeflate(code);
            if (code == Z_STREAM_END || zs.avail_out > 0) break;
            target_->WriteBuffer(buffer_.get(), BufferSize);
            zs.next_out = buffer_.get();
            zs.avail_out = BufferSize;
        }
        if (zs.avail_out < uInt(BufferSize))
            target_->WriteBuffer(buffer_.get(), std::int32_t(BufferSize - zs.avail_out));
    } catch (...) {
        deflateEnd(&zs);
        throw;
    }
    deflateEnd(&zs);
}
