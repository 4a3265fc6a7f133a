// libFuzzer target for the solid LZMA container as outside data: the input is a
// container, read through the decoding stream with reads of odd sizes and a forward seek.
// Whatever the bytes, this ends with the stream's own error (ELzmaError), never reads more
// than the stream's size, and allocates no dictionary above the limit given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "archive/routines_Lzma.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream source;
    if (size > 0) source.WriteBuffer(data, std::int32_t(size));
    source.SetPosition(0);
    try {
        TLzmaDecompressionStream z(&source, 1u << 20);
        const std::int64_t total = z.Size();
        std::vector<std::uint8_t> buf(70000);
        const std::int32_t sizes[] = {1, 70000, 13, 4096};
        std::int64_t got = 0;
        // At most 8 MB of output, so that a small input claiming a huge size stays quick.
        for (int i = 0; got < (8 << 20); ++i) {
            if (i == 3 && got + 1000 <= total) {
                if (z.Seek(1000, TSeekOrigin::soCurrent) != got + 1000) std::abort();
                got += 1000;
            }
            const std::int32_t want = sizes[i % 4];
            const std::int32_t n = z.Read(buf.data(), want);
            if (n < 0 || n > want || (n < want && got + n != total)) std::abort();
            if (n == 0) break;
            got += n;
            if (z.Position() != got || got > total) std::abort();
            if (z.DictionaryBufferSize() > (1u << 20)) std::abort();
        }
    } catch (const ELzmaError&) {
    }
    return 0;
}
