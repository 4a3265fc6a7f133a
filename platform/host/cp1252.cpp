#include "platform/host/cp1252.h"

#include <algorithm>
#include <iterator>

#include "platform/types.h"

namespace platform::host {

namespace {

const struct {
    char16_t code;
    BYTE ansi;
} kBestFit[] = {
#include "platform/host/cp1252_bestfit.inc"
};

// Code page 1252's bytes 0x80-0x9F (the rest equals Latin-1).
const char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char AnsiOf(char16_t c) {
    if (c < 0x80) return static_cast<char>(c);
    auto it = std::lower_bound(std::begin(kBestFit), std::end(kBestFit), c,
                               [](const auto& e, char16_t v) { return e.code < v; });
    if (it != std::end(kBestFit) && it->code == c) return static_cast<char>(it->ansi);
    return '?';
}

}  // namespace

std::string Utf16ToAnsi(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += AnsiOf(c);
    return out;
}

std::u16string AnsiToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        out += (c >= 0x80 && c < 0xA0) ? kHigh1252[c - 0x80] : static_cast<char16_t>(c);
    return out;
}

}  // namespace platform::host
