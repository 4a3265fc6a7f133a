// Archive files of zarc: paths from the command line, temporary files beside a target,
// replacing a file by another, and multi-disk sets (writing one from a single-file
// archive, finding and reading its disk files).
//
// A multi-disk set as the engine reads it: disk files named like the archive with the
// extension .1, .2, ...; disk 1 starts with the file count, a multi-disk byte of 1 and
// every header record one behind the other, then the compressed data of the files in
// order, running on from the end of one disk file to the start of the next. A header's
// FirstDisk/DataStart and LastDisk/LastByte name where its data starts and ends, each an
// offset in that disk file.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "archive/cmp_TFileHeaders.h"
#include "platform/types.h"

namespace zarc {

// A path from the command line as a Windows path: on the host an absolute POSIX path
// ("/home/...") becomes the Windows path it maps to; anything else stays as it is.
std::string CommandLinePath(const std::string& arg);
// A local Windows path as the user knows it: on the host the POSIX path it maps to.
std::string DisplayPath(const std::string& path);
// Absolute form of a Windows path.
std::string FullPath(const std::string& path);

// A new empty file beside `target` (same folder) with a unique name. Exception when none
// can be made.
std::string TempFileBeside(const std::string& target);
// Puts `from` in the place of `to` (replacing it) and removes `from`. Exception on failure.
void ReplaceFile(const std::string& from, const std::string& to);

// The file that holds the headers of archive `name`: the file itself when it exists,
// otherwise the first disk of a set of that name when that exists, otherwise `name`.
std::string ResolveArchive(const std::string& name);
// The name of disk `disk` of the set that `name` belongs to.
std::string DiskFileName(const std::string& name, int disk);

// Asked for a missing disk file: may change `folder`; false when there is no answer.
using DiskQuestion = std::function<bool(int disk, const std::string& fileName, std::string& folder)>;

// Writes the single-file archive `single` (as the engine writes it) as a multi-disk set
// named after `target`, no disk file larger than `diskSize` bytes. The disk files are
// written under temporary names beside the target and take their places when all are
// complete; disk files of an older set of that name beyond the new last disk are deleted.
// `step` is called after every block written (it may throw to stop). Returns the number
// of disks. Exception when the headers do not fit on the first disk or more than 255
// disks would be needed.
int WriteDiskSet(const std::string& single, const std::string& target, std::int64_t diskSize,
                 const std::function<void(std::int64_t written)>& step);

// The compressed data of one archived file, read as the engine reads it: from DataStart
// on its first disk to LastByte on its last, through the disk files of a set.
class DataReader {
public:
    // `archive` is the file the headers came from; like the engine's CompressedFile it
    // follows the folder where a missing disk was found.
    DataReader(std::string& archive, bool multiDisk, std::int32_t offset, const TFileHeaderRecord& record,
               const DiskQuestion& ask);
    ~DataReader();
    DataReader(const DataReader&) = delete;
    DataReader& operator=(const DataReader&) = delete;
    // Up to `count` bytes; 0 at the end of the data. Exception "Could not open the correct
    // disk file N" when a disk cannot be found.
    std::int32_t Read(std::uint8_t* buffer, std::int32_t count);

private:
    void Open(int disk);
    std::string& archive_;
    bool multiDisk_;
    std::int32_t offset_;
    TFileHeaderRecord record_;
    DiskQuestion ask_;
    platform::Handle handle_;
    int disk_ = 0;
    std::int64_t position_ = 0;
    bool readable_ = false;
};

}  // namespace zarc
