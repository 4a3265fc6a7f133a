// The host's PE and version-block readers on broken and hostile input: truncated images,
// offsets past the end, resource directories that point back at themselves, lengths that
// overflow. None may crash, hang or read outside the input; each gives no information.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/host/version_pe.h"
#include "version_images.h"

using namespace platform;
using namespace platform::hostver;

namespace {

void Put16(std::vector<BYTE>& b, std::size_t at, WORD v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = BYTE(v);
    b[at + 1] = BYTE(v >> 8);
}
void Put32(std::vector<BYTE>& b, std::size_t at, DWORD v) {
    Put16(b, at, WORD(v));
    Put16(b, at + 2, WORD(v >> 16));
}
void Align4(std::vector<BYTE>& b) {
    while (b.size() % 4) b.push_back(0);
}

// One version block in the 32-bit layout.
struct Block {
    std::u16string key;
    WORD type = 1;
    std::vector<BYTE> value;  // raw value bytes
    WORD valueLength = 0;     // as stored
    std::vector<Block> children;

    std::vector<BYTE> Bytes() const {
        std::vector<BYTE> b(6, 0);
        for (char16_t c : key) Put16(b, b.size(), c);
        Put16(b, b.size(), 0);
        Align4(b);
        b.insert(b.end(), value.begin(), value.end());
        Align4(b);
        for (const Block& c : children) {
            std::vector<BYTE> cb = c.Bytes();
            b.insert(b.end(), cb.begin(), cb.end());
            Align4(b);
        }
        Put16(b, 0, WORD(b.size()));
        Put16(b, 2, valueLength);
        Put16(b, 4, type);
        return b;
    }
};

Block Text(const std::u16string& key, const std::u16string& text) {
    Block b{key, 1, {}, WORD(text.size() + 1), {}};
    for (char16_t c : text) Put16(b.value, b.value.size(), c);
    Put16(b.value, b.value.size(), 0);
    return b;
}

Block VersionBlock() {
    Block root{u"VS_VERSION_INFO", 0, std::vector<BYTE>(52, 0), 52, {}};
    Put32(root.value, 0, 0xFEEF04BD);
    Put32(root.value, 8, 0x00010002);
    Put32(root.value, 12, 0x00030004);
    Block table{u"040904E4", 1, {}, 0, {Text(u"CompanyName", u"Halvard"),
                                        Text(u"ProductName", u"Skyreach")}};
    root.children.push_back(Block{u"StringFileInfo", 1, {}, 0, {table}});
    Block translation{u"Translation", 0, {}, 4, {}};
    Put32(translation.value, 0, 0x04E40409);
    root.children.push_back(Block{u"VarFileInfo", 1, {}, 0, {translation}});
    return root;
}

// Offsets of the interesting fields in the image MakeImage builds.
constexpr std::size_t kPe = 0x40, kOpt = kPe + 24, kSection = kOpt + 224, kRaw = 0x200;
constexpr DWORD kRva = 0x1000;
constexpr std::size_t kTypeDir = 0x18, kNameDir = 0x30, kLeaf = 0x48, kData = 0x58;

// A minimal 32-bit image whose only section holds a resource tree with the block.
std::vector<BYTE> MakeImage(const std::vector<BYTE>& block, bool pe64 = false) {
    std::vector<BYTE> b(kRaw, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, kPe);
    Put32(b, kPe, 0x00004550);
    Put16(b, kPe + 4, pe64 ? 0x8664 : 0x14C);
    Put16(b, kPe + 6, 1);
    std::size_t optSize = pe64 ? 240 : 224;
    Put16(b, kPe + 20, WORD(optSize));
    Put16(b, kOpt, pe64 ? 0x20B : 0x10B);
    std::size_t dirs = kOpt + (pe64 ? 112 : 96);
    Put32(b, dirs - 4, 16);
    std::size_t resSize = kData + block.size();
    Put32(b, dirs + 16, kRva);
    Put32(b, dirs + 20, DWORD(resSize));
    std::size_t sec = kOpt + optSize;
    std::memcpy(&b[sec], ".rsrc", 5);
    Put32(b, sec + 8, DWORD(resSize));
    Put32(b, sec + 12, kRva);
    Put32(b, sec + 16, DWORD((resSize + 0x1FF) & ~0x1FFu));
    Put32(b, sec + 20, kRaw);
    b.resize(kRaw + ((resSize + 0x1FF) & ~0x1FFu), 0);
    auto dir = [&](std::size_t at, DWORD name, DWORD target) {
        Put16(b, kRaw + at + 14, 1);
        Put32(b, kRaw + at + 16, name);
        Put32(b, kRaw + at + 20, target);
    };
    dir(0, 16, 0x80000000u | kTypeDir);
    dir(kTypeDir, 1, 0x80000000u | kNameDir);
    dir(kNameDir, 0x409, kLeaf);
    Put32(b, kRaw + kLeaf, kRva + DWORD(kData));
    Put32(b, kRaw + kLeaf + 4, DWORD(block.size()));
    std::memcpy(&b[kRaw + kData], block.data(), block.size());
    return b;
}

DWORD Extract(const std::vector<BYTE>& image, std::vector<BYTE>& resource) {
    MemorySource src(image.data(), image.size());
    return ExtractVersionResource(src, 0x409, resource);
}

// Everything a reader would ask of a buffer; only checks that it answers safely.
void QueryAll(std::vector<BYTE>& data) {
    const void* p = nullptr;
    UINT len = 0;
    for (const char* q : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo",
                          "\\StringFileInfo\\040904E4\\CompanyName",
                          "\\StringFileInfo\\040904E4\\ProductName", "\\x\\y\\z"}) {
        if (QueryValue(data, q, p, len)) {
            ASSERT_NE(p, nullptr);
            auto* bp = static_cast<const BYTE*>(p);
            ASSERT_GE(bp, data.data());
            ASSERT_LE(bp + len, data.data() + data.size());
        }
    }
}

std::string Company(std::vector<BYTE>& data) {
    const void* p = nullptr;
    UINT len = 0;
    if (!QueryValue(data, "\\StringFileInfo\\040904E4\\CompanyName", p, len)) return "<none>";
    return static_cast<const char*>(p);
}

std::vector<BYTE> ReadHostFile(const std::string& windowsPath) {
    std::string path = windowsPath.substr(2);  // drive Z: is the host's root
    for (char& c : path)
        if (c == '\\') c = '/';
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(VersionPe, BuiltImageReadsBack) {
    for (bool pe64 : {false, true}) {
        std::vector<BYTE> resource;
        ASSERT_EQ(Extract(MakeImage(VersionBlock().Bytes(), pe64), resource), 0u);
        std::vector<BYTE> data = MakeInfoBuffer(resource);
        EXPECT_EQ(Company(data), "Halvard");
    }
}

TEST(VersionPe, EveryTruncationFailsCleanly) {
    std::vector<BYTE> image = MakeImage(VersionBlock().Bytes());
    std::size_t end = kRaw + kData + VersionBlock().Bytes().size();
    for (std::size_t n = 0; n < image.size(); ++n) {
        std::vector<BYTE> cut(image.begin(), image.begin() + n);
        std::vector<BYTE> resource;
        DWORD e = Extract(cut, resource);
        if (n >= end) {
            EXPECT_EQ(e, 0u) << n;
        } else {
            EXPECT_NE(e, 0u) << n;
            EXPECT_TRUE(resource.empty());
        }
    }
}

TEST(VersionPe, HeadersPointingOutside) {
    std::vector<BYTE> good = MakeImage(VersionBlock().Bytes());
    std::vector<BYTE> resource;
    struct Patch {
        std::size_t at;
        DWORD value;
    } patches[] = {
        {0x3C, 0xFFFFFFF0u},                // PE header beyond the file (and near overflow)
        {kPe + 20, 0xFFFF},                 // optional header size past the end (16 bits)
        {kSection + 20, 0xFFFFFF00u},       // raw data pointer past the end
        {kOpt + 96 + 16, 0xFFFFF000u},      // resource RVA in no section
        {kRaw + kLeaf, 0xFFFFFFFFu},        // data RVA in no section
        {kRaw + kLeaf, kRva + 0x1F0},       // data RVA in the section, size runs past it
        {kRaw + kLeaf + 4, 0},              // empty resource
        {kRaw + 12, 0xFFFFFFFFu},           // 131070 directory entries
        {kRaw + 20, 0x8FFFFFF0u},           // type directory far outside the tree
        {kRaw + kTypeDir + 20, 0x7FFFFFF0u},  // name entry pointing at a bogus leaf
        {kRaw + kNameDir + 20, 0xFFFFFFF0u},  // language entry is a directory, far away
        {kRaw + kData, 0x00000002u},        // root block shorter than its header
    };
    for (const Patch& p : patches) {
        std::vector<BYTE> bad = good;
        Put32(bad, p.at, p.value);
        bad.resize(good.size());
        SCOPED_TRACE(p.at);
        EXPECT_NE(Extract(bad, resource), 0u);
    }
    // A raw size beyond the file: what the file holds is still read, nothing past it.
    std::vector<BYTE> big = good;
    Put32(big, kSection + 16, 0xFFFFFFFFu);
    ASSERT_EQ(Extract(big, resource), 0u);
    std::vector<BYTE> data = MakeInfoBuffer(resource);
    EXPECT_EQ(Company(data), "Halvard");
}

TEST(VersionPe, ResourceDirectoryLoopsEnd) {
    std::vector<BYTE> image = MakeImage(VersionBlock().Bytes());
    // Every level points back at the root directory.
    Put32(image, kRaw + 20, 0x80000000u);
    Put32(image, kRaw + kTypeDir + 20, 0x80000000u);
    std::vector<BYTE> resource;
    EXPECT_NE(Extract(image, resource), 0u);
    // The name level loops onto itself.
    image = MakeImage(VersionBlock().Bytes());
    Put32(image, kRaw + kNameDir + 20, 0x80000000u | kNameDir);
    EXPECT_NE(Extract(image, resource), 0u);
}

TEST(VersionPe, RootLongerThanTheResourceIsCut) {
    std::vector<BYTE> block = VersionBlock().Bytes();
    std::vector<BYTE> image = MakeImage(block);
    Put32(image, kRaw + kLeaf + 4, DWORD(block.size() - 8));  // resource ends early
    std::vector<BYTE> resource;
    ASSERT_EQ(Extract(image, resource), 0u);
    EXPECT_EQ(resource.size(), block.size() - 8);
    std::vector<BYTE> data = MakeInfoBuffer(resource);
    QueryAll(data);
    // The spare area must not be taken for part of the resource.
    EXPECT_EQ(WORD(data[0] | data[1] << 8), resource.size());
}

TEST(VersionPe, HostileBlocks) {
    auto check = [](std::vector<BYTE> resource) {
        std::vector<BYTE> data = MakeInfoBuffer(resource);
        QueryAll(data);
        return data;
    };
    std::vector<BYTE> good = VersionBlock().Bytes();
    // A child of length zero (would never advance) and one longer than its parent.
    for (WORD len : {WORD(0), WORD(2), WORD(0xFFFF)}) {
        std::vector<BYTE> b = good;
        Put16(b, 0x5C, len);  // StringFileInfo's length
        check(b);
    }
    // Keys without terminators up to the end; value lengths far beyond the block.
    std::vector<BYTE> b = good;
    for (std::size_t i = 6; i < b.size(); i += 2) Put16(b, i, 'A');
    check(b);
    b = good;
    Put16(b, 2, 0xFFFF);
    check(b);
    for (std::size_t at = 0; at + 2 <= good.size(); at += 2) {
        for (WORD v : {WORD(0), WORD(1), WORD(0x7FFF), WORD(0xFFFF)}) {
            std::vector<BYTE> x = good;
            Put16(x, at, v);
            check(x);
        }
    }
    // Buffers too small to hold even a header.
    for (std::size_t n = 0; n < 8; ++n) {
        std::vector<BYTE> tiny(n, 0x41);
        const void* p = nullptr;
        UINT len = 0;
        EXPECT_FALSE(QueryValue(tiny, "\\", p, len) && len > tiny.size());
    }
}

TEST(VersionPe, TextRunningToTheEndOfTheBlock) {
    // A string value without a terminator: the text stops at the block's end.
    Block root = VersionBlock();
    Block& company = root.children[0].children[0].children[0];
    company.value.resize(company.value.size() - 2);  // drop the terminator
    company.valueLength = 100;
    std::vector<BYTE> data = MakeInfoBuffer(root.Bytes());
    EXPECT_EQ(Company(data).substr(0, 7), "Halvard");
}

TEST(VersionPe, CorruptedRealImages) {
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP();
    std::vector<BYTE> image = ReadHostFile(std::string(kVersionImages) + "\\app_multi.dll");
    ASSERT_GT(image.size(), 1000u);
    std::vector<BYTE> resource;
    ASSERT_EQ(Extract(image, resource), 0u);
    // Every byte of the headers and of the resource section, set to hostile values.
    for (std::size_t at = 0; at < image.size(); ++at) {
        for (BYTE v : {BYTE(0x00), BYTE(0xFF), BYTE(0x80)}) {
            std::vector<BYTE> bad = image;
            bad[at] = v;
            if (Extract(bad, resource) == 0) {
                std::vector<BYTE> data = MakeInfoBuffer(resource);
                QueryAll(data);
            }
        }
    }
}
