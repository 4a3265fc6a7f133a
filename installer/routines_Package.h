// The package inside a setup program: the runtime's own PE image, followed by the
// payload, which the runtime finds through the image's section table (never by assuming
// it ends the file, so a signature appended later does not disturb it):
//
//   image      the runtime program, cut at the end of its last section (and of its COFF
//              symbol table, if it has one)
//   payload    at the first byte past the image, a multiple of 8 bytes long:
//     +0   8   magic "ZARNPKG" 0x1A
//     +8   4   header size (48; a reader skips what it does not know)
//     +12  4   format version (1)
//     +16  4   payload compression: 0 = the archive as the engine writes it; 1 = solid:
//              the archive (its files stored) packed whole as one LZMA container of
//              archive/routines_Lzma.h, which the runtime unpacks before it installs
//     +20  4   reserved, 0
//     +24  4   offset of the installer description (from the payload's start)
//     +28  4   size of the description (ANSI text)
//     +32  4   offset of the archive (from the payload's start; the engine reads it
//              with this position plus the payload's as its Offset), or of the container
//     +36  4   size of the archive (of the container)
//     +40  4   size of the payload (header, description, archive, index and zero padding)
//     +44  4   CRC-32 of bytes 0..43 and 48.. of the header, the description, the archive
//              and the index
//     +48  4   offset of the index (0: none): a copy of the header table of a solid
//              payload's archive, so that the runtime knows every file before the
//              archive is unpacked: the archive's count (4 bytes) and multi-disk byte, then
//              per header the position of its record in the archive (4 bytes) and the
//              record as stored there (archive/cmp_TFileHeaders.h)
//     +52  4   size of the index
//   (whatever follows: the certificate table a signing tool adds, its padding)
//
// All integers little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/streams.h"

namespace package {

// What a setup program writes; a header of 48 bytes (no index) is read as well.
constexpr std::uint32_t HeaderSize = 56;
constexpr std::uint32_t ShortHeaderSize = 48;
constexpr std::uint32_t FormatVersion = 1;
// Payload compression kinds; later kinds pack the archive as a whole.
constexpr std::uint32_t CompressionArchive = 0;
constexpr std::uint32_t CompressionSolid = 1;

// Where the PE image in `stream` ends: the byte past its last section's data (or past its
// COFF symbols and their names). False when the stream holds no PE image.
bool ImageEnd(TStream* stream, std::uint32_t& end);

// Writes a setup program: the runtime image (cut where ImageEnd says), then the payload
// of `description` and `archiveSize` bytes of `archive` from its start. Raises
// EWriteError when the output cannot be written, Exception when `runtime` is no image.
// `compression` says what `archive` holds (CompressionSolid: a container).
// `index`: ArchiveIndex of the archive a solid container packs (empty: none).
void WritePackage(TStream* out, TStream* runtime, const std::string& description, TStream* archive,
                  std::uint32_t archiveSize, std::uint32_t compression = CompressionArchive,
                  const std::string& index = {});

// The index of the archive in `archive` (from its start): its header table as the
// payload carries it. Exception when the archive's headers cannot be read.
std::string ArchiveIndex(TStream* archive);

enum class TPackageState : std::uint8_t {
    Ok,
    NoPayload,    // an image without a payload (or no image at all)
    Damaged,      // cut short, changed, or sizes that do not fit
    Unsupported,  // a payload of a newer format or compression
};

struct TPackage {
    std::uint32_t payloadStart = 0;
    std::uint32_t compression = 0;
    std::string description;
    // Position of the archive in the file: the engine's Offset.
    std::uint32_t archiveOffset = 0;
    std::uint32_t archiveSize = 0;
    std::string index;  // empty: none
};

// Finds and checks the payload of the setup program in `stream`: its header, the CRC
// over the description and the archive. Reads nothing but the stream.
TPackageState ReadPackage(TStream* stream, TPackage& package);

// The size of the archive that the solid container of `package` in `stream` unpacks to;
// ELzmaError when its header is damaged.
std::uint64_t SolidArchiveSize(TStream* stream, const TPackage& package);

// The archive of a solid payload while a worker thread unpacks it into a temporary file,
// as a read-only stream for the archive engine (its SourceStream): the installation
// starts at once and runs beside the unpacking. A read of bytes not unpacked yet waits
// for them; the header records come from the package's index at once (without one they
// wait like the rest). Memory: the decoder's dictionary and fixed buffers, whatever the
// payload's size. A damaged container (a block whose CRC does not match: the package's
// CRC matched, so the payload was made so) fails the read that waits for its bytes, and
// Finish, with ELzmaError.
class TSolidArchiveStream : public TStream {
public:
    // Starts unpacking the container of `package` in the file `image` into `tempFile`,
    // which it creates (and leaves to the caller to delete). EFCreateError when it cannot.
    TSolidArchiveStream(const std::string& image, const TPackage& package, const std::string& tempFile);
    // Stops the worker and waits for it.
    ~TSolidArchiveStream() override;
    TSolidArchiveStream(const TSolidArchiveStream&) = delete;
    TSolidArchiveStream& operator=(const TSolidArchiveStream&) = delete;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return total_; }
    void SetSize(std::int64_t) override {}

    // Waits until the whole archive is unpacked; ELzmaError (or the write's error) when
    // that failed.
    void Finish();

private:
    struct Shared;
    // The bytes unpacked so far once at least `end` are there (or the unpacking ended).
    std::int64_t WaitFor(std::int64_t end);
    std::unique_ptr<Shared> shared_;
    std::unique_ptr<TStream> reader_;
    std::int64_t total_ = 0;
    std::int64_t position_ = 0;
    // The index: record positions in order, each with its bytes; the preamble.
    std::vector<std::pair<std::int64_t, std::string>> records_;
    std::string preamble_;
};

}  // namespace package
