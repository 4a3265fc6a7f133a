// Case folding of ANSI text, the one place where the system decides what a letter's
// other case is. No OS calls; header only. Two rules, because the system has two:
//
// - ASCII: only 'a'..'z' and 'A'..'Z' change. The framework's UpperCase, LowerCase and
//   SameText fold this way (class, property and method names, identifiers of form
//   descriptions), as do drive letters and the sample files' names.
// - Windows-1252: the letters of the ANSI code page the host's Windows runs under, as
//   CharUpperA / CharLowerA change them: ASCII, then à..þ <-> À..Þ (not ÷ and ×),
//   š œ ž <-> Š Œ Ž and ÿ <-> Ÿ; ß has no upper case. The host's file and folder names,
//   registry names, profile sections and keys, DDE names, link paths and its
//   AnsiUpperCase / AnsiLowerCase fold this way (the win32 build asks the system).
//
// Latin1Upper is the Windows-1252 rule read on UTF-16 text, for the letters both share
// (keys of version resources).
#pragma once
#include <cstddef>
#include <string>

namespace platform::fold {

constexpr unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
constexpr unsigned char AsciiLower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

constexpr unsigned char Cp1252Upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
    }
}

constexpr unsigned char Cp1252Lower(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

// The upper case of a UTF-16 unit where Latin-1 and Windows-1252 agree (below 0x80 and
// 0xA0..0xFE); every other unit stays as it is.
constexpr char16_t Latin1Upper(char16_t c) {
    return c < 0x80 || (c >= 0xA0 && c < 0xFF) ? char16_t(Cp1252Upper(static_cast<unsigned char>(c))) : c;
}

namespace detail {
template <unsigned char (*Fold)(unsigned char)>
std::string Map(std::string s) {
    for (char& c : s) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return s;
}
template <unsigned char (*Fold)(unsigned char)>
bool Equal(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}
}  // namespace detail

inline std::string AsciiUpperCase(const std::string& s) { return detail::Map<AsciiUpper>(s); }
inline std::string AsciiLowerCase(const std::string& s) { return detail::Map<AsciiLower>(s); }
inline bool EqualAscii(const std::string& a, const std::string& b) { return detail::Equal<AsciiUpper>(a, b); }

inline std::string Cp1252UpperCase(const std::string& s) { return detail::Map<Cp1252Upper>(s); }
inline std::string Cp1252LowerCase(const std::string& s) { return detail::Map<Cp1252Lower>(s); }
inline bool EqualCp1252(const std::string& a, const std::string& b) { return detail::Equal<Cp1252Upper>(a, b); }

}  // namespace platform::fold
