// Windows-1252, the ANSI code page of the host's Windows, to and from UTF-16, as
// MultiByteToWideChar and WideCharToMultiByte convert with code page 1252. Used wherever
// a host file format stores UTF-16 (shell links, version resources).
#pragma once
#include <string>

namespace platform::host {

// MultiByteToWideChar(1252): bytes 0x80..0x9F through the code page's table (the five
// it leaves undefined become the code point of the same number), the rest as Latin-1.
std::u16string AnsiToUtf16(const std::string& text);
// WideCharToMultiByte(1252, 0): every unit that has a byte, then the system's best-fit
// substitutions (U+0100 -> 'A', U+2014 -> 0x97, ...), '?' for the rest; each half of a
// surrogate pair becomes '?', as the system gives it.
std::string Utf16ToAnsi(const std::u16string& text);

}  // namespace platform::host
