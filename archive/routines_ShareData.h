// Identical files stored once: a builder's pass over a finished single-file archive. Every
// file whose compressed data is byte for byte an earlier file's (the same contents at the
// same level give the same stream) keeps its own header record, but its data range
// (DataStart, LastByte, CompressedSize) becomes the earlier file's, and its data is left
// out. Readers that seek to DataStart, as the engine does, read such an archive as any;
// the engine still refuses a range that overlaps a header record.
#pragma once
#include <cstdint>
#include <string>

struct TShareResult {
    int shared = 0;              // files that now use an earlier file's data
    std::int64_t saved = 0;      // bytes of data left out
};

// Writes `dest` (created or replaced) from the archive `source`. Exception when the
// source is a multi-disk archive; the archive errors of the header table when it cannot
// be read; EWriteError when `dest` cannot be written.
TShareResult ShareIdenticalData(const std::string& source, const std::string& dest);
