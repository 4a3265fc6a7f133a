#include "archive/routines_Lzma.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "platform/thread.h"

// The LZMA SDK's Types.h includes the Windows header when _WIN32 is defined, only for a
// type and a calling-convention macro that the encoder and decoder interfaces do not use;
// keep the system header out of this unit.
#pragma push_macro("_WIN32")
#undef _WIN32
#include <LzmaDec.h>
#include <LzmaEnc.h>
#pragma pop_macro("_WIN32")

ZARN_DEFINE_CLASS(TLzmaDecompressionStream, TStream, [](auto&) {})

namespace {

void* SzAlloc(void*, size_t size) { return std::malloc(size); }
void SzFree(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {SzAlloc, SzFree};

constexpr std::uint64_t kUnknownSize = ~std::uint64_t(0);
constexpr std::uint32_t kMinDictionary = 1u << 12;
constexpr std::uint32_t kMaxDictionary = 64u << 20;

void PutLE(std::uint8_t* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

std::uint64_t GetLE(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Reads up to `count` bytes, as many as the stream gives before it reports 0 or an error.
std::int64_t ReadUpTo(TStream* s, std::uint8_t* buffer, std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        const std::int32_t n = s->Read(buffer + done, std::int32_t(std::min<std::int64_t>(count - done, 1 << 20)));
        if (n <= 0) break;
        done += n;
    }
    return done;
}

// ---------------------------------------------------------------------------------------
// Encoding

struct Block {
    std::int64_t start = 0;  // in the input, from the source's starting position
    std::int64_t size = 0;
    std::vector<std::uint8_t> bytes;  // the block as written: P, CRC, the "alone" stream
    std::atomic<std::int64_t> in{0}, out{0};
    bool done = false;  // under EncodeState::lock
};

struct EncodeState {
    TStream* source = nullptr;
    std::int64_t sourceStart = 0;
    platform::Mutex sourceLock;
    std::int64_t sourceAt = 0;  // where the source is, from sourceStart (under sourceLock)
    CLzmaEncProps props{};
    std::vector<std::unique_ptr<Block>> blocks;

    platform::Mutex lock;  // the fields below, and Block::done
    platform::Event changed;  // a worker finished a block or made progress
    std::size_t next = 0;  // the next block to encode
    std::exception_ptr error;  // the first failure of a worker
    std::atomic<bool> abort{false};

    const TLzmaProgress* progress = nullptr;
    std::int64_t written = 0;  // container bytes written to dest
    std::int64_t reportedIn = -1, reportedOut = -1;

    // Takes the next block to encode, or returns nullptr.
    Block* Take() {
        platform::MutexLock l(lock);
        if (abort || next >= blocks.size()) return nullptr;
        return blocks[next++].get();
    }
    void Fail(std::exception_ptr e) {
        {
            platform::MutexLock l(lock);
            if (!error) error = e;
        }
        abort = true;
        changed.Set();
    }
    // Calls the progress handler with the totals so far when they have changed (calling
    // thread only).
    void Report() {
        if (!progress || !*progress) return;
        std::int64_t in = 0, out = written;
        for (auto& b : blocks) {
            in += b->in;
            out += b->out;
        }
        if (in == reportedIn && out == reportedOut) return;
        reportedIn = in;
        reportedOut = out;
        (*progress)(in, out);
    }
};

// The SDK's callbacks for one block; each interface record comes first in its struct so
// that the SDK's `p` is the struct.
struct BlockInput {
    ISeqInStream vt;
    EncodeState* s;
    Block* b;
    std::int64_t done = 0;
    std::uint32_t crc = 0;
    std::exception_ptr error;
};

struct BlockOutput {
    ISeqOutStream vt;
    Block* b;
    bool failed = false;
};

struct BlockProgress {
    ICompressProgress vt;
    EncodeState* s;
    Block* b;
    bool callingThread;
    std::int64_t lastSignal = 0;
    std::exception_ptr error;
};

SRes ReadInput(void* p, void* buffer, size_t* size) {
    auto* in = static_cast<BlockInput*>(p);
    const std::int64_t want = std::min<std::int64_t>(std::int64_t(*size), in->b->size - in->done);
    *size = 0;
    if (want <= 0) return SZ_OK;
    try {
        std::int64_t got;
        {
            platform::MutexLock l(in->s->sourceLock);
            const std::int64_t at = in->b->start + in->done;
            if (in->s->sourceAt != at) {
                const std::int64_t target = in->s->sourceStart + at;
                if (in->s->source->Seek(target, TSeekOrigin::soBeginning) != target)
                    throw ECompressionError("LZMA encoder: cannot seek in the source");
                in->s->sourceAt = at;
            }
            got = ReadUpTo(in->s->source, static_cast<std::uint8_t*>(buffer), want);
            in->s->sourceAt += got;
        }
        if (got == 0) throw ECompressionError("LZMA encoder: the source ended early");
        in->crc = Crc32(in->crc, buffer, std::size_t(got));
        in->done += got;
        *size = size_t(got);
        return SZ_OK;
    } catch (...) {
        in->error = std::current_exception();
        return SZ_ERROR_READ;
    }
}

size_t WriteOutput(void* p, const void* data, size_t size) {
    auto* out = static_cast<BlockOutput*>(p);
    try {
        const auto* d = static_cast<const std::uint8_t*>(data);
        out->b->bytes.insert(out->b->bytes.end(), d, d + size);
        return size;
    } catch (...) {
        out->failed = true;
        return 0;
    }
}

SRes OnProgress(void* p, UInt64 inSize, UInt64 outSize) {
    auto* pr = static_cast<BlockProgress*>(p);
    if (inSize != kUnknownSize) pr->b->in = std::int64_t(inSize);
    if (outSize != kUnknownSize) pr->b->out = LzmaBlockHeaderSize + std::int64_t(outSize);
    if (pr->s->abort) return SZ_ERROR_PROGRESS;
    if (pr->callingThread) {
        try {
            pr->s->Report();
        } catch (...) {
            pr->error = std::current_exception();
            return SZ_ERROR_PROGRESS;
        }
    } else if (pr->b->in - pr->lastSignal >= (1 << 20)) {
        pr->lastSignal = pr->b->in;
        pr->s->changed.Set();
    }
    return SZ_OK;
}

// Encodes one block into b.bytes; raises what went wrong.
void EncodeBlock(EncodeState& s, Block& b, bool callingThread) {
    struct Encoder {
        CLzmaEncHandle h = LzmaEnc_Create(&g_alloc);
        ~Encoder() {
            if (h) LzmaEnc_Destroy(h, &g_alloc, &g_alloc);
        }
    } enc;
    if (!enc.h) throw ECompressionError("LZMA encoder: out of memory");
    CLzmaEncProps props = s.props;
    props.reduceSize = UInt32(std::min<std::int64_t>(b.size, 0xFFFFFFFF));
    if (LzmaEnc_SetProps(enc.h, &props) != SZ_OK) throw ECompressionError("LZMA encoder: invalid settings");

    b.bytes.assign(LzmaBlockHeaderSize, 0);
    SizeT propsSize = LZMA_PROPS_SIZE;
    LzmaEnc_WriteProperties(enc.h, b.bytes.data() + 12, &propsSize);
    PutLE(b.bytes.data() + 17, std::uint64_t(b.size), 8);

    BlockInput in{{ReadInput}, &s, &b, 0, 0, {}};
    BlockOutput out{{WriteOutput}, &b, false};
    BlockProgress progress{{OnProgress}, &s, &b, callingThread, 0, {}};
    const SRes res = LzmaEnc_Encode(enc.h, &out.vt, &in.vt, &progress.vt, &g_alloc, &g_alloc);
    if (in.error) std::rethrow_exception(in.error);
    if (progress.error) std::rethrow_exception(progress.error);
    if (res == SZ_ERROR_PROGRESS && s.abort) throw EAbort();  // another block failed
    if (res == SZ_ERROR_MEM || out.failed) throw ECompressionError("LZMA encoder: out of memory");
    if (res != SZ_OK) throw ECompressionError("LZMA encoder: error " + std::to_string(res));
    if (in.done != b.size) throw ECompressionError("LZMA encoder: the source ended early");

    PutLE(b.bytes.data(), std::uint64_t(b.bytes.size() - 12), 8);
    PutLE(b.bytes.data() + 8, in.crc, 4);
    b.in = b.size;
    b.out = std::int64_t(b.bytes.size());
}

void WriteAll(TStream* dest, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::int32_t n = std::int32_t(std::min<std::size_t>(size, 1 << 20));
        dest->WriteBuffer(data, n);
        data += n;
        size -= std::size_t(n);
    }
}

}  // namespace

std::int64_t LzmaEncode(TStream* source, TStream* dest, std::int64_t count, const TLzmaEncodeOptions& options,
                        const TLzmaProgress& progress) {
    if (options.DictionarySize < kMinDictionary || options.DictionarySize > kMaxDictionary)
        throw ECompressionError("LZMA encoder: the dictionary size must lie between 4 KB and 64 MB");
    if (options.Level < 0 || options.Level > 9) throw ECompressionError("LZMA encoder: the level must lie between 0 and 9");
    if (options.Jobs < 1 || options.Jobs > 64) throw ECompressionError("LZMA encoder: the jobs must lie between 1 and 64");
    if (options.BlockSize < 0) throw ECompressionError("LZMA encoder: negative block size");

    EncodeState s;
    s.source = source;
    s.sourceStart = source->Position();
    if (count < 0) count = source->Size() - s.sourceStart;
    if (count < 0) throw ECompressionError("LZMA encoder: the source ended early");
    const std::int64_t jobs = options.Jobs;
    std::int64_t blockSize = options.BlockSize > 0 ? options.BlockSize : (count + jobs - 1) / jobs;
    blockSize = std::max<std::int64_t>(blockSize, 1);
    const std::int64_t blockCount = (count + blockSize - 1) / blockSize;
    if (blockCount > 0xFFFFFFFF) throw ECompressionError("LZMA encoder: too many blocks");
    for (std::int64_t at = 0; at < count; at += blockSize) {
        auto b = std::make_unique<Block>();
        b->start = at;
        b->size = std::min(blockSize, count - at);
        s.blocks.push_back(std::move(b));
    }

    LzmaEncProps_Init(&s.props);
    s.props.level = options.Level;
    s.props.dictSize = options.DictionarySize;
    s.props.numThreads = 1;
    s.props.writeEndMark = 0;
    LzmaEncProps_Normalize(&s.props);
    s.progress = &progress;

    std::uint8_t header[LzmaHeaderSize];
    PutLE(header, LzmaSignature, 4);
    PutLE(header + 4, LzmaFormatVersion, 4);
    PutLE(header + 8, std::uint64_t(count), 8);
    PutLE(header + 16, std::uint64_t(blockCount), 4);
    dest->WriteBuffer(header, LzmaHeaderSize);
    s.written = LzmaHeaderSize;

    // Workers beside the calling thread; the guard, destroyed first, stops them when the
    // calling thread leaves early, before the threads' destructors wait for them.
    std::vector<std::unique_ptr<platform::Thread>> workers;
    struct StopGuard {
        EncodeState& s;
        ~StopGuard() { s.abort = true; }
    } guard{s};
    const std::int64_t workerCount = std::min<std::int64_t>(jobs, blockCount) - 1;
    for (std::int64_t i = 0; i < workerCount; ++i) {
        auto t = std::make_unique<platform::Thread>();
        const bool started = t->Start([&s] {
            while (Block* b = s.Take()) {
                try {
                    EncodeBlock(s, *b, false);
                } catch (...) {
                    s.Fail(std::current_exception());
                    return;
                }
                {
                    platform::MutexLock l(s.lock);
                    b->done = true;
                }
                s.changed.Set();
            }
            s.changed.Set();
        });
        if (!started) break;  // fewer workers: the calling thread does the rest
        workers.push_back(std::move(t));
    }

    std::size_t written = 0;
    while (written < s.blocks.size()) {
        if (Block* b = s.Take()) {
            try {
                EncodeBlock(s, *b, true);
            } catch (...) {
                // Stopped because a worker failed: its error is the one to report.
                std::exception_ptr first;
                {
                    platform::MutexLock l(s.lock);
                    first = s.error;
                }
                if (first) std::rethrow_exception(first);
                throw;
            }
            platform::MutexLock l(s.lock);
            b->done = true;
        }
        // Writes the blocks finished in order.
        for (;;) {
            bool ready;
            {
                platform::MutexLock l(s.lock);
                if (s.error) std::rethrow_exception(s.error);
                ready = written < s.blocks.size() && s.blocks[written]->done;
            }
            if (!ready) break;
            Block& b = *s.blocks[written];
            WriteAll(dest, b.bytes.data(), b.bytes.size());
            s.written += std::int64_t(b.bytes.size());
            b.out = 0;
            b.in = b.size;
            std::vector<std::uint8_t>().swap(b.bytes);
            ++written;
        }
        s.Report();
        if (written < s.blocks.size()) {
            bool wait;
            {
                platform::MutexLock l(s.lock);
                wait = s.next >= s.blocks.size() && !s.blocks[written]->done && !s.error;
            }
            if (wait) s.changed.Wait();
        }
    }
    s.reportedIn = -1;  // the last call always comes
    s.Report();
    return s.written;
}

// ---------------------------------------------------------------------------------------
// Decoding

struct TLzmaDecompressionStream::Decoder {
    CLzmaDec dec;
    bool allocated = false;
    std::unique_ptr<std::uint8_t[]> in{new std::uint8_t[InputBufferSize]};
    std::int32_t inPos = 0, inLen = 0;
    std::int64_t packLeft = 0;   // LZMA bytes of the block not read from the source yet
    std::int64_t blockLeft = 0;  // uncompressed bytes of the block not produced yet
    bool inBlock = false;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    std::uint32_t crcExpected = 0, crc = 0;
    std::unique_ptr<std::uint8_t[]> scratch;  // for skipping

    Decoder() { LzmaDec_Construct(&dec); }
    ~Decoder() {
        if (allocated) LzmaDec_Free(&dec, &g_alloc);
    }
};

TLzmaDecompressionStream::TLzmaDecompressionStream(TStream* source, std::uint32_t dictionaryLimit)
    : d_(std::make_unique<Decoder>()), source_(source), dictionaryLimit_(dictionaryLimit) {
    std::uint8_t h[LzmaHeaderSize];
    if (ReadUpTo(source_, h, LzmaHeaderSize) != LzmaHeaderSize) Fail("truncated header");
    if (GetLE(h, 4) != LzmaSignature) Fail("not an LZMA container");
    if (GetLE(h + 4, 4) != LzmaFormatVersion) Fail("unsupported format version");
    const std::uint64_t total = GetLE(h + 8, 8);
    const std::uint64_t blocks = GetLE(h + 16, 4);
    if (total > std::uint64_t(std::numeric_limits<std::int64_t>::max()) || (total == 0) != (blocks == 0) ||
        blocks > total)
        Fail("sizes in the header do not match");
    total_ = std::int64_t(total);
    blockCount_ = std::uint32_t(blocks);
}

TLzmaDecompressionStream::~TLzmaDecompressionStream() = default;

std::uint32_t TLzmaDecompressionStream::DictionaryBufferSize() const {
    return d_->allocated ? std::uint32_t(d_->dec.dicBufSize) : 0;
}

void TLzmaDecompressionStream::Fail(const char* what) {
    broken_ = true;
    error_ = std::string("LZMA data damaged: ") + what;
    throw ELzmaError(error_);
}

bool TLzmaDecompressionStream::FillInput() {
    Decoder& d = *d_;
    const std::int64_t n = std::min<std::int64_t>(InputBufferSize, d.packLeft);
    if (n <= 0) return false;
    const std::int64_t got = ReadUpTo(source_, d.in.get(), n);
    d.inPos = 0;
    d.inLen = std::int32_t(got);
    d.packLeft -= got;
    return got > 0;
}

void TLzmaDecompressionStream::StartBlock() {
    Decoder& d = *d_;
    if (blocksStarted_ >= blockCount_) Fail("the blocks hold less than the header says");
    std::uint8_t h[LzmaBlockHeaderSize];
    if (ReadUpTo(source_, h, LzmaBlockHeaderSize) != LzmaBlockHeaderSize) Fail("truncated");
    const std::uint64_t packed = GetLE(h, 8);
    const std::uint64_t size = GetLE(h + 17, 8);
    if (packed < 13 || packed > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        Fail("bad block header");
    if (size == kUnknownSize) Fail("a block of unknown size (not supported)");
    if (size == 0 || size > std::uint64_t(total_ - position_)) Fail("the blocks hold more than the header says");

    CLzmaProps props;
    if (LzmaProps_Decode(&props, h + 12, LZMA_PROPS_SIZE) != SZ_OK) Fail("unsupported LZMA properties");
    if (props.dicSize > dictionaryLimit_) {
        broken_ = true;
        error_ = "LZMA data: the dictionary of " + std::to_string(props.dicSize) + " bytes exceeds the limit of " +
                 std::to_string(dictionaryLimit_) + " bytes";
        throw ELzmaError(error_);
    }
    // The block never looks back further than its own size: a smaller buffer does.
    std::uint8_t p[LZMA_PROPS_SIZE];
    std::memcpy(p, h + 12, LZMA_PROPS_SIZE);
    PutLE(p + 1, std::uint32_t(std::min<std::uint64_t>(props.dicSize, std::max<std::uint64_t>(size, kMinDictionary))), 4);
    const SRes res = LzmaDec_Allocate(&d.dec, p, LZMA_PROPS_SIZE, &g_alloc);
    d.allocated = true;  // LzmaDec_Free copes with what a failed allocation left
    if (res != SZ_OK) Fail(res == SZ_ERROR_MEM ? "out of memory for the dictionary" : "unsupported LZMA properties");
    LzmaDec_Init(&d.dec);

    d.crcExpected = std::uint32_t(GetLE(h + 8, 4));
    d.crc = 0;
    d.packLeft = std::int64_t(packed) - 13;
    d.inPos = d.inLen = 0;
    d.blockLeft = std::int64_t(size);
    d.status = LZMA_STATUS_NOT_SPECIFIED;
    d.inBlock = true;
    ++blocksStarted_;
}

void TLzmaDecompressionStream::EndBlock() {
    Decoder& d = *d_;
    // Every output byte is there; the end of the range coder may still want input.
    while (d.status != LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK && d.status != LZMA_STATUS_FINISHED_WITH_MARK) {
        if (d.status != LZMA_STATUS_NEEDS_MORE_INPUT && d.status != LZMA_STATUS_NOT_SPECIFIED)
            Fail("bad end of a block");
        if (d.inPos == d.inLen && !FillInput()) Fail("truncated");
        std::uint8_t none;
        SizeT outLen = 0, srcLen = SizeT(d.inLen - d.inPos);
        if (LzmaDec_DecodeToBuf(&d.dec, &none, &outLen, d.in.get() + d.inPos, &srcLen, LZMA_FINISH_END, &d.status) !=
            SZ_OK)
            Fail("bad end of a block");
        d.inPos += std::int32_t(srcLen);
        if (srcLen == 0 && d.status == LZMA_STATUS_NEEDS_MORE_INPUT && d.inPos < d.inLen) Fail("bad end of a block");
    }
    if (d.inPos != d.inLen || d.packLeft != 0) Fail("data after the end of a block");
    if (d.crc != d.crcExpected) Fail("CRC mismatch");
    d.inBlock = false;
    if (position_ == total_ && blocksStarted_ != blockCount_) Fail("the blocks hold more than the header says");
}

std::int32_t TLzmaDecompressionStream::Read(void* buffer, std::int32_t count) {
    if (broken_) throw ELzmaError(error_);
    if (count <= 0) return 0;
    Decoder& d = *d_;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int32_t done = 0;
    while (done < count && position_ < total_) {
        if (!d.inBlock) StartBlock();
        const std::int64_t want = std::min<std::int64_t>(count - done, d.blockLeft);
        if (d.inPos == d.inLen && d.packLeft > 0 && !FillInput()) Fail("truncated");
        SizeT outLen = SizeT(want), srcLen = SizeT(d.inLen - d.inPos);
        const SRes res = LzmaDec_DecodeToBuf(&d.dec, out + done, &outLen, d.in.get() + d.inPos, &srcLen,
                                             want == d.blockLeft ? LZMA_FINISH_END : LZMA_FINISH_ANY, &d.status);
        d.inPos += std::int32_t(srcLen);
        d.crc = Crc32(d.crc, out + done, outLen);
        done += std::int32_t(outLen);
        d.blockLeft -= std::int64_t(outLen);
        position_ += std::int64_t(outLen);
        if (res != SZ_OK) Fail("bad data");
        if (d.blockLeft == 0) {
            EndBlock();
        } else if (outLen == 0) {
            if (d.status == LZMA_STATUS_FINISHED_WITH_MARK) Fail("a block ends before its size");
            // No progress: the block's data ran out, or the decoder refuses what is there.
            if (srcLen == 0) Fail(d.inPos == d.inLen ? "truncated" : "bad data");
        }
    }
    return done;
}

std::int32_t TLzmaDecompressionStream::Write(const void*, std::int32_t) {
    throw ELzmaError("Invalid stream operation");
}

void TLzmaDecompressionStream::SetSize(std::int64_t) { throw ELzmaError("Invalid stream operation"); }

std::int64_t TLzmaDecompressionStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                              : origin == TSeekOrigin::soCurrent ? position_
                                                                 : total_;
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) || base + offset < position_ ||
        base + offset > total_)
        throw ELzmaError("Invalid stream operation");
    const std::int64_t target = base + offset;
    if (target > position_) {
        if (broken_) throw ELzmaError(error_);
        if (!d_->scratch) d_->scratch.reset(new std::uint8_t[InputBufferSize]);
        while (position_ < target) {
            if (Read(d_->scratch.get(), std::int32_t(std::min<std::int64_t>(InputBufferSize, target - position_))) == 0)
                Fail("truncated");
        }
    }
    return position_;
}
