// Solid LZMA: an encoder that packs a stream into an LZMA container, in one block or in
// several blocks encoded in parallel, and a read-only stream that decodes such a
// container on the fly with bounded memory.
//
// The container (every integer little-endian):
//
//   header, 20 bytes
//     0   4  signature "ZLZM"
//     4   4  format version, 1
//     8   8  total uncompressed size T
//     16  4  block count N (0 exactly when T is 0)
//   then N blocks, one after another, each
//     0   8  P, the size of the LZMA stream that follows (at least 13)
//     8   4  CRC-32 of the block's uncompressed bytes (zlib's crc32, Python's zlib.crc32)
//     12  P  a classic LZMA "alone" stream, as `xz --format=lzma` writes it and Python's
//            lzma reads with FORMAT_ALONE: a properties byte ((pb * 5 + lp) * 9 + lc), the
//            dictionary size (4 bytes), the uncompressed size U of the block (8 bytes,
//            never the "unknown" value; U is at least 1), then the range-coded data,
//            without an end marker, which the decoder consumes to its last byte.
//   The sizes U of the blocks add up to T. The blocks are independent (each starts with
//   an empty dictionary); their uncompressed bytes, in order, are the packed payload.
//
// An outside reader: read the header, then per block read P and the CRC, hand the next P
// bytes to lzma.decompress(data, format=lzma.FORMAT_ALONE) and compare the CRC.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "archive/routines_Compression.h"
#include "framework/streams.h"

// Damaged, truncated or unsupported LZMA data, or a dictionary above the decoder's limit.
ZARN_EXCEPTION(ELzmaError, EDecompressionError);

constexpr std::uint32_t LzmaSignature = 0x4D5A4C5A;  // "ZLZM"
constexpr std::uint32_t LzmaFormatVersion = 1;
constexpr int LzmaHeaderSize = 20;
constexpr int LzmaBlockHeaderSize = 12 + 13;  // P and CRC, then the "alone" header

struct TLzmaEncodeOptions {
    // The LZMA dictionary, 4 KB to 64 MB; a block smaller than it gets a smaller one
    // (the size written is rounded up to 2^n or 3 * 2^(n-1), as every LZMA encoder does).
    // The decoder needs as much memory (at most the block's size). 16 MB is twice the
    // window NSIS uses for solid LZMA; a larger one pays where files repeat further apart.
    std::uint32_t DictionarySize = 16u << 20;
    // 0 (fastest) to 9 (smallest); 5 and above use the optimal parser, 7 and above 64
    // fast bytes.
    int Level = 9;
    // Blocks encoded at the same time: the calling thread and Jobs - 1 workers.
    int Jobs = 1;
    // Uncompressed bytes per block; 0 cuts the input into Jobs blocks of equal size.
    // Every block boundary costs the matches across it (about what the first
    // DictionarySize bytes of the block would gain from the data before it).
    std::int64_t BlockSize = 0;
};

// Called on the calling thread while encoding, with the input bytes encoded so far and
// the container bytes produced so far; last with the totals. An exception it raises stops
// the encoding (the workers too) and leaves LzmaEncode.
using TLzmaProgress = std::function<void(std::int64_t bytesIn, std::int64_t bytesOut)>;

// Packs `count` bytes of `source` from its position (-1: up to its end) into one container
// written to `dest` at its position; returns the container's size. With several blocks the
// source is read from worker threads too (one at a time, under a lock, seeking to each
// block's place), so it must be seekable; with one block it is read straight through. Each
// block's compressed bytes are kept in memory until the blocks before it are written.
// Memory: about 11.5 times the dictionary per job for the match finder, plus those bytes.
// ECompressionError when the options are out of range, the source ends early or the
// encoder fails; EWriteError when `dest` takes less than it is given.
std::int64_t LzmaEncode(TStream* source, TStream* dest, std::int64_t count, const TLzmaEncodeOptions& options,
                        const TLzmaProgress& progress = {});

// A read-only stream of the uncompressed bytes of a container read from `source` (not
// owned) at its current position; the header is read by the constructor. Reads decode
// on the fly; seeks go forward only (by decoding what is skipped) or to where the stream
// is. Size() is the total from the header. Memory: the dictionary of the current block
// (at most the block's size, and refused above `dictionaryLimit`), the probability tables
// (at most 6 MB, 28 KB for the usual lc 3, lp 0) and a 64 KB input buffer.
// ELzmaError for damaged, truncated or unsupported data, or a block whose dictionary
// exceeds `dictionaryLimit`; once raised, every later Read raises it again. The source is
// never read past the container's end.
class TLzmaDecompressionStream : public TStream {
    ZARN_CLASS(TLzmaDecompressionStream, TStream)
public:
    static constexpr std::uint32_t DefaultDictionaryLimit = 64u << 20;
    static constexpr std::int32_t InputBufferSize = 65536;

    explicit TLzmaDecompressionStream(TStream* source, std::uint32_t dictionaryLimit = DefaultDictionaryLimit);
    ~TLzmaDecompressionStream() override;
    TLzmaDecompressionStream(const TLzmaDecompressionStream&) = delete;
    TLzmaDecompressionStream& operator=(const TLzmaDecompressionStream&) = delete;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    // ELzmaError "Invalid stream operation".
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Forward or to the current position, up to Size(); anything else raises ELzmaError
    // "Invalid stream operation".
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return total_; }
    // ELzmaError "Invalid stream operation".
    void SetSize(std::int64_t newSize) override;

    std::uint32_t BlockCount() const { return blockCount_; }
    // The dictionary buffer of the current block (0 before the first one).
    std::uint32_t DictionaryBufferSize() const;

private:
    struct Decoder;
    void StartBlock();
    void EndBlock();
    bool FillInput();
    [[noreturn]] void Fail(const char* what);
    std::unique_ptr<Decoder> d_;
    TStream* source_;
    std::uint32_t dictionaryLimit_;
    std::int64_t total_ = 0;
    std::int64_t position_ = 0;
    std::uint32_t blockCount_ = 0;
    std::uint32_t blocksStarted_ = 0;
    bool broken_ = false;
    std::string error_;
};
