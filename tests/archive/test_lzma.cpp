// Solid LZMA: the block encoder and the decoding stream, together; Python's lzma checks
// the container from outside (lzma_check.py).
#include <gtest/gtest.h>

#include <random>

#include "archive/routines_Lzma.h"
#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

std::string Payload(std::size_t n) {
    std::string s = TextBytes(n / 3) + NoiseBytes(n / 6, 3) + std::string(n / 6, '\0');
    s += s.substr(0, n / 6);  // a repeat far back
    return s + TextBytes(n - s.size());
}

struct Encoded {
    std::string bytes;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
};

Encoded Encode(const std::string& data, int jobs, std::int64_t blockSize, std::uint32_t dictionary = 1u << 20,
               int level = 6) {
    TMemoryStream source, dest;
    source.WriteBuffer(data.data(), std::int32_t(data.size()));
    source.SetPosition(0);
    TLzmaEncodeOptions o;
    o.DictionarySize = dictionary;
    o.Level = level;
    o.Jobs = jobs;
    o.BlockSize = blockSize;
    Encoded e;
    const std::int64_t size =
        LzmaEncode(&source, &dest, -1, o, [&](std::int64_t in, std::int64_t out) { e.progress.push_back({in, out}); });
    EXPECT_EQ(size, dest.Size());
    e.bytes.assign(dest.Data().begin(), dest.Data().end());
    return e;
}

// Decodes everything with reads of odd sizes.
std::string Decode(const std::string& container, std::uint32_t limit = TLzmaDecompressionStream::DefaultDictionaryLimit) {
    TMemoryStream source;
    source.WriteBuffer(container.data(), std::int32_t(container.size()));
    source.SetPosition(0);
    TLzmaDecompressionStream z(&source, limit);
    std::string out;
    const std::int32_t sizes[] = {1, 4093, 65537, 3, 300000};
    std::vector<char> buf(300000);
    for (int i = 0;; ++i) {
        const std::int32_t n = z.Read(buf.data(), sizes[i % 5]);
        if (n == 0) break;
        out.append(buf.data(), std::size_t(n));
    }
    EXPECT_EQ(source.Position(), source.Size());  // read to its end, not past it
    return out;
}

TEST(LzmaTest, RoundTripInParallelBlocksWithOddReadsSeeksAndProgress) {
    const std::string data = Payload(3 << 20);
    const Encoded one = Encode(data, 1, 0);
    EXPECT_EQ(Decode(one.bytes), data);
    EXPECT_LT(one.bytes.size(), data.size() / 4);

    // The blocks do not depend on which thread encoded them, nor in which order.
    const Encoded serial = Encode(data, 1, 700 << 10);
    for (int jobs : {2, 3}) {
        const Encoded parallel = Encode(data, jobs, 700 << 10);
        EXPECT_EQ(parallel.bytes, serial.bytes) << jobs << " jobs";
        // Progress goes forward and ends with the totals.
        ASSERT_FALSE(parallel.progress.empty());
        for (std::size_t i = 1; i < parallel.progress.size(); ++i)
            EXPECT_GE(parallel.progress[i].first, parallel.progress[i - 1].first);
        EXPECT_EQ(parallel.progress.back(), std::make_pair(std::int64_t(data.size()), std::int64_t(serial.bytes.size())));
    }
    EXPECT_EQ(Decode(serial.bytes), data);
    // Jobs alone cut the input into that many blocks.
    EXPECT_EQ(Decode(Encode(data, 2, 0).bytes), data);

    // Forward seeks decode what they skip; Size and Position come from the header.
    TMemoryStream source;
    source.WriteBuffer(serial.bytes.data(), std::int32_t(serial.bytes.size()));
    source.SetPosition(0);
    TLzmaDecompressionStream z(&source);
    EXPECT_EQ(z.Size(), std::int64_t(data.size()));
    EXPECT_EQ(z.BlockCount(), 5u);
    EXPECT_EQ(z.Seek(1000000, TSeekOrigin::soBeginning), 1000000);
    char buf[10];
    z.ReadBuffer(buf, 10);
    EXPECT_EQ(std::string(buf, 10), data.substr(1000000, 10));
    EXPECT_EQ(z.Seek(1500000, TSeekOrigin::soCurrent), 2500010);
    EXPECT_EQ(z.Position(), 2500010);
    EXPECT_THROW(z.Seek(10, TSeekOrigin::soBeginning), ELzmaError);
    EXPECT_THROW(z.Seek(1, TSeekOrigin::soEnd), ELzmaError);
    EXPECT_THROW(z.Write(buf, 1), ELzmaError);
    EXPECT_EQ(z.Seek(0, TSeekOrigin::soEnd), std::int64_t(data.size()));
    EXPECT_EQ(z.Read(buf, 10), 0);

    // Nothing at all is a header without blocks.
    const Encoded empty = Encode("", 2, 0);
    EXPECT_EQ(empty.bytes.size(), std::size_t(LzmaHeaderSize));
    EXPECT_EQ(Decode(empty.bytes), "");
}

TEST(LzmaTest, AFailingProgressHandlerOrSourceStopsEveryJob) {
    const std::string data = Payload(2 << 20);
    for (int jobs : {1, 2, 4}) {
        TMemoryStream source, dest;
        source.WriteBuffer(data.data(), std::int32_t(data.size()));
        source.SetPosition(0);
        TLzmaEncodeOptions o;
        o.Level = 5;
        o.Jobs = jobs;
        o.BlockSize = 256 << 10;
        int calls = 0;
        EXPECT_THROW(LzmaEncode(&source, &dest, -1, o,
                                [&](std::int64_t, std::int64_t) {
                                    if (++calls == 3) throw EAbort();
                                }),
                     EAbort)
            << jobs << " jobs";
        // A source shorter than the count given.
        source.SetPosition(0);
        EXPECT_THROW(LzmaEncode(&source, &dest, std::int64_t(data.size()) + 1, o), ECompressionError) << jobs << " jobs";
    }
}

TEST(LzmaTest, DamagedOrTruncatedDataRaisesTheDecompressionError) {
    const std::string data = Payload(200000);
    const std::string good = Encode(data, 1, 120000).bytes;  // two blocks
    ASSERT_EQ(Decode(good), data);
    auto raises = [&](const std::string& bad) {
        try {
            Decode(bad);
        } catch (const EDecompressionError& e) {
            return std::string(e.what()).find("LZMA") != std::string::npos;
        }
        return false;
    };
    for (std::size_t n = 0; n < good.size(); n += n < 64 ? 1 : 97) EXPECT_TRUE(raises(good.substr(0, n))) << "cut at " << n;
    EXPECT_TRUE(raises(good.substr(0, good.size() - 1)));
    // Every byte of the headers but the dictionary sizes (a larger one decodes the same),
    // and bytes of the data.
    const std::size_t second = LzmaHeaderSize + 12 + std::uint32_t(good[LzmaHeaderSize] & 0xFF) +
                               (std::uint32_t(good[LzmaHeaderSize + 1] & 0xFF) << 8) +
                               (std::uint32_t(good[LzmaHeaderSize + 2] & 0xFF) << 16);
    std::vector<std::size_t> spots;
    for (std::size_t at : {std::size_t(0), std::size_t(LzmaHeaderSize), second})
        for (std::size_t i = at; i < at + (at == 0 ? LzmaHeaderSize : LzmaBlockHeaderSize); ++i)
            if (at == 0 || i < at + 13 || i > at + 16) spots.push_back(i);
    std::mt19937 rnd(9);
    for (int i = 0; i < 150; ++i) spots.push_back(LzmaHeaderSize + LzmaBlockHeaderSize + rnd() % (good.size() - 50));
    for (std::size_t at : spots) {
        std::string bad = good;
        bad[at] = char(bad[at] ^ (1 << (at % 8)));
        EXPECT_TRUE(raises(bad)) << "flip at " << at;
    }
    // A broken stream stays broken.
    TMemoryStream source;
    const std::string cut = good.substr(0, good.size() - 10);
    source.WriteBuffer(cut.data(), std::int32_t(cut.size()));
    source.SetPosition(0);
    TLzmaDecompressionStream z(&source);
    std::string all(data.size(), '\0');
    EXPECT_THROW(z.Read(all.data(), std::int32_t(all.size())), ELzmaError);
    EXPECT_THROW(z.Read(all.data(), 1), ELzmaError);
}

TEST(LzmaTest, TheDictionaryIsBoundedByTheLimitAndTheBlockSize) {
    // A block that claims a 128 MB dictionary over 1 GB is refused before anything is
    // allocated.
    std::string huge("ZLZM\x01\0\0\0", 8);
    const std::uint64_t total = 1ull << 30;
    for (int i = 0; i < 8; ++i) huge += char(total >> (8 * i));
    huge += std::string("\x01\0\0\0", 4);
    huge += std::string("\x20\0\0\0\0\0\0\0", 8) + std::string(4, '\0');
    huge += char(0x5D) + std::string("\0\0\0\x08", 4);
    for (int i = 0; i < 8; ++i) huge += char(total >> (8 * i));
    huge += std::string(19, '\0');
    try {
        Decode(huge);
        ADD_FAILURE() << "not refused";
    } catch (const ELzmaError& e) {
        EXPECT_NE(std::string(e.what()).find("134217728 bytes exceeds the limit of 67108864"), std::string::npos)
            << e.what();
    }

    // The encoder writes no dictionary larger than the block needs, and the decoder
    // allocates no more than the block holds.
    const std::string data = Payload(100000);
    const std::string small = Encode(data, 1, 0, 16u << 20).bytes;
    TMemoryStream source;
    source.WriteBuffer(small.data(), std::int32_t(small.size()));
    source.SetPosition(0);
    TLzmaDecompressionStream z(&source, 1u << 20);
    char c;
    z.ReadBuffer(&c, 1);
    EXPECT_GE(z.DictionaryBufferSize(), 100000u);
    EXPECT_LE(z.DictionaryBufferSize(), 128u << 10);
    // Above a lower limit, refused.
    const std::string big = Encode(Payload(3 << 20), 1, 0, 4u << 20).bytes;
    EXPECT_THROW(Decode(big, 1u << 20), ELzmaError);
}

}  // namespace
}  // namespace zarn::test
