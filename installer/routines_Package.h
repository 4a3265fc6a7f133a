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
//     +40  4   size of the payload (header, description, archive and zero padding)
//     +44  4   CRC-32 of bytes 0..43 of the header, the description and the archive
//   (whatever follows: the certificate table a signing tool adds, its padding)
//
// All integers little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TStream;

namespace package {

constexpr std::uint32_t HeaderSize = 48;
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
void WritePackage(TStream* out, TStream* runtime, const std::string& description, TStream* archive,
                  std::uint32_t archiveSize, std::uint32_t compression = CompressionArchive);

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
};

// Finds and checks the payload of the setup program in `stream`: its header, the CRC
// over the description and the archive. Reads nothing but the stream.
TPackageState ReadPackage(TStream* stream, TPackage& package);

// The size of the archive that the solid container of `package` in `stream` unpacks to;
// ELzmaError when its header is damaged.
std::uint64_t SolidArchiveSize(TStream* stream, const TPackage& package);

// Unpacks the solid container of `package` in `stream` into `out` (from its position),
// checking every block's CRC; `progress` gets the bytes unpacked so far after each
// chunk (an exception it raises stops the unpacking). Memory: the decoder's dictionary
// (at most 64 MB) and fixed buffers. ELzmaError for a damaged container, EWriteError when
// `out` takes less than it is given.
void UnpackSolid(TStream* stream, const TPackage& package, TStream* out,
                 const std::function<void(std::uint64_t done)>& progress = {});

}  // namespace package
