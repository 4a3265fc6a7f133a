// lzma_probe: drives the solid LZMA encoder and decoder from the command line, for the
// outside check with Python's lzma and for measuring sizes and times. Paths are Windows
// paths (Z:\... reaches every host path in both builds).
//
//   lzma_probe pack <in> <out> [dictionary KB] [level] [jobs] [block KB]
//       packs the whole file; prints the sizes, the seconds and the progress calls
//   lzma_probe unpack <in> <out>
//       decodes through the decoding stream with reads of odd sizes
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/routines_Lzma.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: lzma_probe pack|unpack <in> <out> ...\n");
        return 2;
    }
    const std::string command = argv[1];
    try {
        TFileStream in(argv[2], fmOpenRead | fmShareDenyWrite);
        TFileStream out(argv[3], fmCreate);
        const auto start = std::chrono::steady_clock::now();
        if (command == "pack") {
            TLzmaEncodeOptions o;
            if (argc > 4) o.DictionarySize = std::uint32_t(std::atol(argv[4])) << 10;
            if (argc > 5) o.Level = std::atoi(argv[5]);
            if (argc > 6) o.Jobs = std::atoi(argv[6]);
            if (argc > 7) o.BlockSize = std::int64_t(std::atol(argv[7])) << 10;
            long calls = 0;
            std::int64_t lastIn = 0;
            const std::int64_t size = LzmaEncode(&in, &out, -1, o, [&](std::int64_t bytesIn, std::int64_t) {
                if (bytesIn < lastIn) throw Exception("progress went back");
                lastIn = bytesIn;
                ++calls;
            });
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("in %lld out %lld seconds %.2f progress %ld\n", (long long)in.Size(), (long long)size, s, calls);
        } else if (command == "unpack") {
            TLzmaDecompressionStream z(&in);
            std::vector<char> buf(1 << 20);
            const int sizes[] = {1, 4093, 65537, 777, 1 << 20};
            for (int i = 0;; ++i) {
                const std::int32_t n = z.Read(buf.data(), sizes[i % 5]);
                if (n == 0) break;
                out.WriteBuffer(buf.data(), n);
            }
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("out %lld blocks %u seconds %.2f\n", (long long)z.Size(), z.BlockCount(), s);
        } else {
            std::printf("unknown command %s\n", command.c_str());
            return 2;
        }
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
    return 0;
}
