// VerQueryValueA over a version resource in its 32-bit layout: blocks of
//   WORD length, WORD valueLength, WORD type (1 text, 0 binary), UTF-16 key, zero,
//   padding to 4 bytes, the value (valueLength characters for text, bytes otherwise),
//   padding to 4 bytes, then the child blocks, each starting on a 4-byte boundary.
// Every length is clamped to the enclosing block and to the buffer.
#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/byteorder.h"
#include "platform/casefold.h"
#include "platform/host/cp1252.h"
#include "platform/host/version_pe.h"

namespace platform::hostver {

namespace {

using host::AnsiToUtf16;
using host::Utf16ToAnsi;

WORD Rd16(const std::vector<BYTE>& d, std::size_t off) { return le::Get16(d.data() + off); }

std::size_t Align4(std::size_t v) { return (v + 3) & ~std::size_t(3); }

struct Block {
    std::size_t start = 0;
    std::size_t end = 0;  // clamped to the parent
    WORD valueLength = 0;
    WORD type = 0;
    std::size_t keyStart = 0;
    std::size_t keyChars = 0;
    std::size_t value = 0;     // offset of the value
    std::size_t children = 0;  // offset of the first child
};

std::optional<Block> ReadBlock(const std::vector<BYTE>& d, std::size_t start, std::size_t limit) {
    if (start + 6 > limit) return std::nullopt;
    Block b;
    b.start = start;
    WORD length = Rd16(d, start);
    if (length < 6) return std::nullopt;
    b.end = std::min(limit, start + length);
    b.valueLength = Rd16(d, start + 2);
    b.type = Rd16(d, start + 4);
    b.keyStart = start + 6;
    std::size_t p = b.keyStart;
    for (;;) {
        if (p + 2 > b.end) return std::nullopt;  // key without its terminator
        if (Rd16(d, p) == 0) break;
        p += 2;
    }
    b.keyChars = (p - b.keyStart) / 2;
    b.value = Align4(p + 2);
    std::size_t valueBytes = b.type == 1 ? std::size_t(b.valueLength) * 2 : b.valueLength;
    b.children = Align4(b.value + valueBytes);
    return b;
}

// Keys match without regard to case, for the letters Latin-1 and Windows-1252 share.
bool KeyEquals(const std::vector<BYTE>& d, const Block& b, const std::u16string& key) {
    if (b.keyChars != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (fold::Latin1Upper(Rd16(d, b.keyStart + 2 * i)) != fold::Latin1Upper(key[i])) return false;
    return true;
}

}  // namespace

std::vector<BYTE> MakeInfoBuffer(const std::vector<BYTE>& resource) {
    std::vector<BYTE> buf(resource.size() * 2 + 4, 0);
    std::copy(resource.begin(), resource.end(), buf.begin());
    return buf;
}

bool QueryValue(std::vector<BYTE>& d, const std::string& subBlock, const void*& value,
                UINT& length) {
    value = nullptr;
    length = 0;
    if (d.size() < 6) {
        SetLastError(err::InvalidParameter);
        return false;
    }
    // The resource occupies the front of the buffer; its conversions live behind it.
    std::size_t resourceEnd = std::min<std::size_t>(Rd16(d, 0), d.size());
    std::optional<Block> block = ReadBlock(d, 0, resourceEnd);
    if (!block) {
        SetLastError(err::InvalidData);
        return false;
    }

    std::u16string path = AnsiToUtf16(subBlock);
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t slash = path.find(u'\\', pos);
        if (slash == pos) {
            ++pos;
            continue;
        }
        if (slash == std::u16string::npos) slash = path.size();
        std::u16string key = path.substr(pos, slash - pos);
        pos = slash;
        std::optional<Block> found;
        for (std::size_t child = block->children; child + 6 <= block->end;) {
            std::optional<Block> c = ReadBlock(d, child, block->end);
            if (!c) break;
            if (KeyEquals(d, *c, key)) {
                found = c;
                break;
            }
            child = Align4(c->end);
            if (child <= c->start) break;
        }
        if (!found) {
            SetLastError(err::ResourceTypeNotFound);
            return false;
        }
        block = found;
    }

    if (block->type != 1) {
        // Binary: the value as stored, cut to what the block holds.
        std::size_t bytes = block->valueLength;
        if (block->value > block->end) bytes = 0;
        else bytes = std::min(bytes, block->end - block->value);
        value = d.data() + std::min(block->value, d.size());
        length = static_cast<UINT>(bytes);
        return true;
    }

    // Text: read up to the terminator within the block, convert into the spare area at
    // the same distance from its start as the UTF-16 text is from the buffer's start.
    std::u16string text;
    if (block->valueLength > 0)
        for (std::size_t p = block->value; p + 2 <= block->end; p += 2) {
            char16_t c = Rd16(d, p);
            if (c == 0) break;
            text += c;
        }
    std::string ansi = Utf16ToAnsi(text);
    std::size_t area = resourceEnd + 4;
    std::size_t at = area + std::min(block->value, resourceEnd);
    if (at + ansi.size() + 1 > d.size()) {
        SetLastError(err::InsufficientBuffer);
        return false;
    }
    std::memcpy(d.data() + at, ansi.c_str(), ansi.size() + 1);
    value = d.data() + at;
    length = block->valueLength == 0 ? 0 : static_cast<UINT>(ansi.size() + 1);
    return true;
}

}  // namespace platform::hostver
