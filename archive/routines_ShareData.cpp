#include "archive/routines_ShareData.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "archive/cmp_TFileHeaders.h"
#include "framework/streams.h"

namespace {

struct Range {
    std::int64_t sourceStart;  // in the source, to compare with
    std::int32_t start, last;  // in the destination
};

void ReadExactly(TStream& s, std::int64_t pos, std::uint8_t* buffer, std::int32_t size) {
    s.Seek(pos, TSeekOrigin::soBeginning);
    s.ReadBuffer(buffer, size);
}

// Whether `size` bytes at `a` and at `b` of `s` are equal.
bool SameBytes(TStream& s, std::int64_t a, std::int64_t b, std::int64_t size) {
    std::vector<std::uint8_t> x(65536), y(65536);
    for (std::int64_t done = 0; done < size;) {
        const std::int32_t n = std::int32_t(std::min<std::int64_t>(size - done, 65536));
        ReadExactly(s, a + done, x.data(), n);
        ReadExactly(s, b + done, y.data(), n);
        if (!std::equal(x.begin(), x.begin() + n, y.begin())) return false;
        done += n;
    }
    return true;
}

}  // namespace

TShareResult ShareIdenticalData(const std::string& source, const std::string& dest) {
    TFileStream in(source, fmOpenRead | fmShareDenyWrite);
    TFileHeaders headers;
    headers.LoadFromStream(&in, 0);
    if (headers.MultiDisk != 0) throw Exception("A multi-disk archive cannot share data: " + source);
    TFileStream out(dest, fmCreate);
    std::uint8_t preamble[5] = {};
    const std::uint32_t count = std::uint32_t(headers.Count());
    for (int i = 0; i < 4; ++i) preamble[i] = std::uint8_t(count >> (8 * i));
    out.WriteBuffer(preamble, 5);

    TShareResult result;
    // (compressed size, file size, CRC of the data): the ranges written with them.
    std::map<std::tuple<std::int32_t, std::int32_t, std::uint32_t>, std::vector<Range>> written;
    std::vector<std::uint8_t> buffer(65536);
    for (int i = 0; i < headers.Count(); ++i) {
        TFileHeaderRecord& r = headers.GetFileHeaders(i)->Record;
        const std::int64_t start = r.DataStart(), size = std::int64_t(r.LastByte()) - start + 1;
        if (start < 0 || size < 0 || size != r.CompressedSize() || start + size > in.Size())
            throw EZCFHCannotReadHeaders();
        uLong crc = crc32(0, nullptr, 0);
        for (std::int64_t done = 0; done < size;) {
            const std::int32_t n = std::int32_t(std::min<std::int64_t>(size - done, std::int64_t(buffer.size())));
            ReadExactly(in, start + done, buffer.data(), n);
            crc = crc32(crc, buffer.data(), uInt(n));
            done += n;
        }
        auto& candidates = written[{r.CompressedSize(), r.FileSize(), std::uint32_t(crc)}];
        const Range* same = nullptr;
        for (const Range& c : candidates)
            if (!same && SameBytes(in, c.sourceStart, start, size)) same = &c;

        const std::int64_t at = out.Position();
        if (at + TFileHeaderRecord::Size + size > 0x7FFFFFFF)
            throw Exception("The compressed file would grow beyond 2 GB: " + dest);
        if (same) {
            r.SetDataStart(same->start);
            r.SetLastByte(same->last);
            r.SetNextHeader(std::int32_t(at + TFileHeaderRecord::Size));
            headers.GetFileHeaders(i)->WriteRecord(&out);
            ++result.shared;
            result.saved += size;
            continue;
        }
        const Range range{start, std::int32_t(at + TFileHeaderRecord::Size), std::int32_t(at + TFileHeaderRecord::Size + size - 1)};
        r.SetDataStart(range.start);
        r.SetLastByte(range.last);
        r.SetNextHeader(range.last + 1);
        headers.GetFileHeaders(i)->WriteRecord(&out);
        for (std::int64_t done = 0; done < size;) {
            const std::int32_t n = std::int32_t(std::min<std::int64_t>(size - done, std::int64_t(buffer.size())));
            ReadExactly(in, start + done, buffer.data(), n);
            out.WriteBuffer(buffer.data(), n);
            done += n;
        }
        candidates.push_back(range);
    }
    return result;
}
