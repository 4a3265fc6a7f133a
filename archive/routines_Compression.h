// Streams of the archive engine: a stream over a raw file handle, and a write-only stream
// that deflates everything written to it into another stream. Inflation is driven by the
// engine itself (cmp_TZarnCompress); it shares the error classes declared here.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "framework/classes.h"
#include "framework/streams.h"
#include "platform/types.h"

// Compression levels of added files; deflate levels 0, 1, zlib's default (-1) and 9.
enum class TCompressionLevel : std::uint8_t { colNone, colFastest, colDefault, colMax };
const std::vector<std::string>& CompressionLevelNames();
int DeflateLevelOf(TCompressionLevel level);

// zlib failures: "error" when a zlib call returns a negative code, "Invalid stream
// operation" for a call the compression stream does not support.
ZARN_EXCEPTION(EZlibError, Exception);
ZARN_EXCEPTION(ECompressionError, EZlibError);
ZARN_EXCEPTION(EDecompressionError, EZlibError);

// The zlib version text handed to the stream initialisations.
constexpr const char* ZlibInterfaceVersion = "1.0.4";

// The standard CRC-32 (zlib's crc32, Python's zlib.crc32) of `size` bytes, continuing
// from `crc` (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

// A stream with a size query and a size setter of its own.
class TZarnStream : public TStream {
    ZARN_CLASS(TZarnStream, TStream)
public:
    // Remembers the position, seeks to the end (the size) and back.
    virtual std::int64_t GetSize();
    std::int64_t Size() override { return GetSize(); }
    // The new size is taken as a 32-bit signed value; nothing happens here.
    void SetSize(std::int64_t newSize) override;
};

// A stream over an open file handle. The handle belongs to the creator, which closes it
// after freeing the stream. Failed reads and writes report 0 bytes, never -1.
class TZarnNormalHandleStream : public TZarnStream {
    ZARN_CLASS(TZarnNormalHandleStream, TZarnStream)
public:
    explicit TZarnNormalHandleStream(platform::Handle handle) : handle_(handle) {}
    platform::Handle Handle() const { return handle_; }
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // The new position, -1 when the platform refuses the seek.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Seeks to the new size and ends the file there; Exception "Could not set file Size:
    // routines_Compression::TZarnHandleStream.SetSize" when that fails.
    void SetSize(std::int64_t newSize) override;

private:
    platform::Handle handle_;
};

// Common part of the zlib streams: the target stream (not owned), where the next output
// goes in it, the zlib stream record and a 65,536-byte output buffer.
class TCustomZlibStream : public TStream {
    ZARN_CLASS(TCustomZlibStream, TStream)
public:
    static constexpr std::int32_t BufferSize = 65536;

    explicit TCustomZlibStream(TStream* target);
    ~TCustomZlibStream() override;
    TCustomZlibStream(const TCustomZlibStream&) = delete;
    TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

    // Raised (Sender: this stream) after every full output block written to the target.
    TNotifyEvent OnProgress;

protected:
    virtual void Progress(TObject* sender);
    // The zlib stream record, handed to zlib by address (opaque here to keep zlib's
    // header out of this one).
    struct ZRecord;
    std::unique_ptr<ZRecord> z_;
    TStream* target_;
    std::int64_t targetPosition_;
    std::unique_ptr<std::uint8_t[]> buffer_;
};

// A write-only stream that deflates what is written to it into the target. The zlib
// stream is finished (its rest written to the target) by Finish, or at the latest when
// the stream is destroyed.
class TCompressionStream : public TCustomZlibStream {
    ZARN_CLASS(TCompressionStream, TCustomZlibStream)
public:
    // ECompressionError "error" when deflate cannot be initialised.
    TCompressionStream(TCompressionLevel level, TStream* dest);
    // Finishes the stream if Finish was not called; errors are dropped there.
    ~TCompressionStream() override;

    // Always returns `count`. A short write to the target raises EWriteError.
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // ECompressionError "Invalid stream operation".
    std::int32_t Read(void* buffer, std::int32_t count) override;
    // Seek(0, soCurrent) gives the bytes written into the stream so far; any other seek
    // raises ECompressionError "Invalid stream operation".
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    // Ends the zlib stream and writes what is left of it to the target, then ends deflate.
    // Further calls do nothing.
    void Finish();

private:
    bool finished_ = false;
};

// A write-only stream like TCompressionStream whose output is one standard zlib stream
// as well, deflated by several threads: the input is cut into blocks of BlockSize bytes,
// each deflated on its own (primed with the 32 KB of input before it, and ended on a
// byte boundary with a sync flush; the last one finishes the stream), and the calling
// thread joins the blocks in order behind the zlib header, combines their Adler-32
// checks into the trailer and writes the output to the target in 65,536-byte blocks,
// calling Progress after each one as TCompressionStream does. `jobs` - 1 worker threads
// deflate beside the calling thread, which deflates blocks itself while it waits.
// Everything but the deflating (the target, Progress and its handlers) stays on the
// calling thread. The output differs from TCompressionStream's in its bytes (each block
// starts new code tables, and a flush marker ends it) and a little in its size.
class TParallelCompressionStream : public TCustomZlibStream {
    ZARN_CLASS(TParallelCompressionStream, TCustomZlibStream)
public:
    static constexpr std::int32_t BlockSize = 256 * 1024;
    static constexpr std::int32_t DictionarySize = 32768;

    // ECompressionError "error" when deflate cannot be initialised.
    TParallelCompressionStream(TCompressionLevel level, TStream* dest, int jobs);
    // Stops the workers; a stream that was not finished stays unfinished.
    ~TParallelCompressionStream() override;

    // Always returns `count`. A short write to the target raises EWriteError, a failed
    // deflate of a block ECompressionError "error".
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // ECompressionError "Invalid stream operation".
    std::int32_t Read(void* buffer, std::int32_t count) override;
    // Seek(0, soCurrent) gives the bytes written into the stream so far; any other seek
    // raises ECompressionError "Invalid stream operation".
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    // The input is complete: deflates the last block and joins every block, writing
    // full output blocks to the target with a Progress call each. Write is refused after
    // it. Further calls do nothing.
    void EndInput();
    // Ends the input if that was not done, then writes the rest of the stream (with its
    // trailer) to the target, without Progress calls. Further calls do nothing.
    void Finish();

private:
    struct Block;
    struct Shared;
    void Submit(bool last);
    // Joins finished blocks in order; with `wait`, helps or waits until at most `keep`
    // blocks remain in flight.
    void Pump(bool wait, std::size_t keep);
    void Emit(const std::uint8_t* data, std::size_t size);
    std::unique_ptr<Shared> s_;
    bool inputEnded_ = false;
    bool finished_ = false;
};
