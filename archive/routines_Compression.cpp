#include "archive/routines_Compression.h"

#include <zlib.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "platform/files.h"
#include "platform/thread.h"

#if defined(ZARN_WIN32)
// The 32-bit layout of the record that deflate and inflate are initialised with.
static_assert(sizeof(z_stream) == 56, "zlib's stream record of the 32-bit build");
#endif

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const Bytef*>(data);
    while (size > 0) {
        const uInt n = uInt(std::min<std::size_t>(size, 1u << 30));
        crc = std::uint32_t(crc32(crc, p, n));
        p += n;
        size -= n;
    }
    return crc;
}

ZARN_DEFINE_CLASS(TZarnStream, TStream, [](auto&) {})
ZARN_DEFINE_CLASS(TZarnNormalHandleStream, TZarnStream, [](auto&) {})
ZARN_DEFINE_CLASS(TCustomZlibStream, TStream, [](auto&) {})
ZARN_DEFINE_CLASS(TCompressionStream, TCustomZlibStream, [](auto&) {})
ZARN_DEFINE_CLASS(TParallelCompressionStream, TCustomZlibStream, [](auto&) {})

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

// ---------------------------------------------------------------------------------------
// TParallelCompressionStream

struct TParallelCompressionStream::Block {
    enum class State : std::uint8_t { Pending, Running, Done };
    std::vector<Bytef> input;  // the dictionary, then the block's data
    uInt dictionary = 0;
    bool last = false;
    State state = State::Pending;
    std::vector<Bytef> output;  // raw deflate data, ending on a byte boundary
    uLong adler = 0;
    int error = Z_OK;

    uLong DataSize() const { return uLong(input.size() - dictionary); }
};

namespace {

// One raw deflate state per thread, reset for every block.
class BlockDeflater {
public:
    explicit BlockDeflater(int level) {
        ok_ = deflateInit2_(&zs_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, ZlibInterfaceVersion,
                            int(sizeof(z_stream))) == Z_OK;
    }
    ~BlockDeflater() {
        if (ok_) deflateEnd(&zs_);
    }
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;
    bool Ok() const { return ok_; }

    template <class Block>
    void Run(Block& b) {
        try {
            b.error = Deflate(b);
        } catch (...) {  // no memory for the output
            b.error = Z_MEM_ERROR;
        }
    }

private:
    template <class Block>
    int Deflate(Block& b) {
        if (!ok_ || deflateReset(&zs_) != Z_OK) return Z_STREAM_ERROR;
        Bytef* data = b.input.data() + b.dictionary;
        const uLong size = b.DataSize();
        if (b.dictionary > 0 && size > 0 && deflateSetDictionary(&zs_, b.input.data(), b.dictionary) != Z_OK)
            return Z_STREAM_ERROR;
        b.adler = adler32(adler32(0, nullptr, 0), data, uInt(size));
        b.output.resize(deflateBound(&zs_, size) + 64);
        zs_.next_in = data;
        zs_.avail_in = uInt(size);
        zs_.next_out = b.output.data();
        zs_.avail_out = uInt(b.output.size());
        const int flush = b.last ? Z_FINISH : Z_SYNC_FLUSH;
        for (;;) {
            int code = deflate(&zs_, flush);
            if (code < 0 && code != Z_BUF_ERROR) return code;
            // A sync flush is complete when room is left behind it.
            if (b.last ? code == Z_STREAM_END : zs_.avail_in == 0 && zs_.avail_out > 0) break;
            if (zs_.avail_out == 0) {
                const std::size_t used = b.output.size();
                b.output.resize(used + 65536);
                zs_.next_out = b.output.data() + used;
                zs_.avail_out = 65536;
            } else if (code == Z_BUF_ERROR) {
                return code;  // no progress with room left: cannot happen with a sound state
            }
        }
        b.output.resize(b.output.size() - zs_.avail_out);
        return Z_OK;
    }

    z_stream zs_{};
    bool ok_ = false;
};

}  // namespace

struct TParallelCompressionStream::Shared {
    explicit Shared(int lvl) : level(lvl), own(lvl) {}

    int level;
    platform::Mutex mutex;
    platform::Event work;  // a block is pending, or the workers are to stop
    platform::Event done;  // a worker finished a block
    std::deque<std::unique_ptr<Block>> blocks;  // in stream order, not joined yet
    bool stop = false;
    std::vector<std::unique_ptr<platform::Thread>> workers;
    BlockDeflater own;  // the calling thread's

    std::unique_ptr<Block> current;  // being filled by Write
    std::vector<Bytef> tail;         // the last 32 KB of input, the next block's dictionary
    std::size_t maxInFlight = 2;
    std::uint64_t totalIn = 0;
    uLong adler = 1;
    std::int32_t used = 0;  // bytes in the output buffer
    bool finishing = false;

    // The first pending block, now running; nullptr when none. Under the mutex.
    Block* TakePending(bool* more) {
        Block* taken = nullptr;
        for (auto& b : blocks) {
            if (b->state != Block::State::Pending) continue;
            if (taken) {
                *more = true;
                break;
            }
            taken = b.get();
            b->state = Block::State::Running;
        }
        return taken;
    }

    void WorkerLoop() {
        BlockDeflater deflater(level);
        for (;;) {
            Block* b = nullptr;
            bool more = false;
            {
                platform::MutexLock lock(mutex);
                if (stop) break;
                b = TakePending(&more);
            }
            if (!b) {
                work.Wait();
                continue;
            }
            if (more) work.Set();  // wake another worker for the next one
            deflater.Run(*b);
            {
                platform::MutexLock lock(mutex);
                b->state = Block::State::Done;
            }
            done.Set();
        }
        work.Set();  // pass the stop on to the next worker
    }
};

TParallelCompressionStream::TParallelCompressionStream(TCompressionLevel level, TStream* dest, int jobs)
    : TCustomZlibStream(dest) {
    const int lvl = DeflateLevelOf(level);
    s_ = std::make_unique<Shared>(lvl);
    if (!s_->own.Ok()) throw ECompressionError("error");
    jobs = std::max(jobs, 1);
    s_->maxInFlight = std::size_t(jobs) * 2;
    // The zlib header as deflate writes it: 32 KB window, deflate, the level's flags.
    const int effective = lvl == Z_DEFAULT_COMPRESSION ? 6 : lvl;
    const unsigned flags = effective < 2 ? 0 : effective < 6 ? 1 : effective == 6 ? 2 : 3;
    unsigned header = (0x78u << 8) | (flags << 6);
    header += 31 - header % 31;
    buffer_[0] = std::uint8_t(header >> 8);
    buffer_[1] = std::uint8_t(header);
    s_->used = 2;
    for (int i = 1; i < jobs; ++i) {
        auto t = std::make_unique<platform::Thread>();
        Shared* shared = s_.get();
        if (!t->Start([shared] { shared->WorkerLoop(); })) break;  // fewer workers: still correct
        s_->workers.push_back(std::move(t));
    }
}

TParallelCompressionStream::~TParallelCompressionStream() {
    {
        platform::MutexLock lock(s_->mutex);
        s_->stop = true;
    }
    s_->work.Set();
    for (auto& t : s_->workers) t->Join();
}

std::int32_t TParallelCompressionStream::Write(const void* buffer, std::int32_t count) {
    if (inputEnded_) throw ECompressionError("Invalid stream operation");
    if (target_->Position() != targetPosition_) target_->Seek(targetPosition_, TSeekOrigin::soBeginning);
    const Bytef* in = static_cast<const Bytef*>(buffer);
    std::int64_t left = count < 0 ? 0 : count;
    s_->totalIn += std::uint64_t(left);
    while (left > 0) {
        if (!s_->current) {
            s_->current = std::make_unique<Block>();
            s_->current->input.reserve(s_->tail.size() + BlockSize);
            s_->current->input.assign(s_->tail.begin(), s_->tail.end());
            s_->current->dictionary = uInt(s_->tail.size());
        }
        Block& b = *s_->current;
        const std::int64_t room = BlockSize - std::int64_t(b.DataSize());
        const std::int64_t take = std::min(room, left);
        b.input.insert(b.input.end(), in, in + take);
        in += take;
        left -= take;
        if (b.DataSize() == uLong(BlockSize)) Submit(false);
    }
    Pump(false, 0);
    return count;
}

void TParallelCompressionStream::Submit(bool last) {
    if (!s_->current) {  // an empty last block
        s_->current = std::make_unique<Block>();
    }
    std::unique_ptr<Block> b = std::move(s_->current);
    b->last = last;
    const std::size_t keep = std::min<std::size_t>(b->input.size(), DictionarySize);
    s_->tail.assign(b->input.end() - std::ptrdiff_t(keep), b->input.end());
    // Room in the window first: join, help or wait.
    if (s_->blocks.size() >= s_->maxInFlight) Pump(true, s_->maxInFlight - 1);
    {
        platform::MutexLock lock(s_->mutex);
        s_->blocks.push_back(std::move(b));
    }
    if (!s_->workers.empty()) s_->work.Set();
}

void TParallelCompressionStream::Pump(bool wait, std::size_t keep) {
    for (;;) {
        std::unique_ptr<Block> front;
        {
            platform::MutexLock lock(s_->mutex);
            if (!s_->blocks.empty() && s_->blocks.front()->state == Block::State::Done) {
                front = std::move(s_->blocks.front());
                s_->blocks.pop_front();
            }
        }
        if (front) {
            if (front->error != Z_OK) throw ECompressionError("error");
            s_->adler = adler32_combine(s_->adler, front->adler, z_off_t(front->DataSize()));
            Emit(front->output.data(), front->output.size());
            continue;
        }
        if (!wait) return;
        Block* mine = nullptr;
        {
            platform::MutexLock lock(s_->mutex);
            if (s_->blocks.size() <= keep) return;
            bool more = false;
            mine = s_->TakePending(&more);
        }
        if (mine) {
            s_->own.Run(*mine);
            platform::MutexLock lock(s_->mutex);
            mine->state = Block::State::Done;
            continue;
        }
        s_->done.Wait();
    }
}

void TParallelCompressionStream::Emit(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t take = std::min<std::size_t>(size, std::size_t(BufferSize - s_->used));
        std::copy(data, data + take, buffer_.get() + s_->used);
        s_->used += std::int32_t(take);
        data += take;
        size -= take;
        if (s_->used == BufferSize) {
            target_->WriteBuffer(buffer_.get(), BufferSize);
            s_->used = 0;
            targetPosition_ = target_->Position();
            if (!s_->finishing) Progress(this);
        }
    }
}

std::int32_t TParallelCompressionStream::Read(void*, std::int32_t) {
    throw ECompressionError("Invalid stream operation");
}

std::int64_t TParallelCompressionStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (offset == 0 && origin == TSeekOrigin::soCurrent) return std::int64_t(s_->totalIn);
    throw ECompressionError("Invalid stream operation");
}

void TParallelCompressionStream::EndInput() {
    if (inputEnded_) return;
    inputEnded_ = true;
    if (target_->Position() != targetPosition_) target_->Seek(targetPosition_, TSeekOrigin::soBeginning);
    Submit(true);
    Pump(true, 0);
}

void TParallelCompressionStream::Finish() {
    if (finished_) return;
    s_->finishing = true;
    EndInput();
    finished_ = true;
    if (target_->Position() != targetPosition_) target_->Seek(targetPosition_, TSeekOrigin::soBeginning);
    const std::uint8_t trailer[4] = {std::uint8_t(s_->adler >> 24), std::uint8_t(s_->adler >> 16),
                                     std::uint8_t(s_->adler >> 8), std::uint8_t(s_->adler)};
    Emit(trailer, 4);
    if (s_->used > 0) target_->WriteBuffer(buffer_.get(), s_->used);
    s_->used = 0;
}
