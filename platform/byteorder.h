// Little-endian reading and writing of integers and doubles in byte buffers, as every
// binary format of the system stores them. No OS calls; header only.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace platform::le {

inline std::uint16_t Get16(const void* p) {
    auto b = static_cast<const unsigned char*>(p);
    return std::uint16_t(b[0] | (b[1] << 8));
}
inline std::uint32_t Get32(const void* p) {
    auto b = static_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
           (std::uint32_t(b[3]) << 24);
}
inline std::uint64_t Get64(const void* p) {
    auto b = static_cast<const unsigned char*>(p);
    return std::uint64_t(Get32(b)) | (std::uint64_t(Get32(b + 4)) << 32);
}
inline std::int32_t GetI32(const void* p) { return std::int32_t(Get32(p)); }
inline double GetDouble(const void* p) {
    std::uint64_t bits = Get64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void Put16(void* p, std::uint16_t v) {
    auto b = static_cast<unsigned char*>(p);
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
}
inline void Put32(void* p, std::uint32_t v) {
    auto b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void Put64(void* p, std::uint64_t v) {
    auto b = static_cast<unsigned char*>(p);
    Put32(b, std::uint32_t(v));
    Put32(b + 4, std::uint32_t(v >> 32));
}
inline void PutDouble(void* p, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Put64(p, bits);
}

// Appending to a growing buffer (std::string or std::vector of bytes).
template <class Buffer>
void Append16(Buffer& out, std::uint16_t v) {
    unsigned char b[2];
    Put16(b, v);
    out.insert(out.end(), b, b + 2);
}
template <class Buffer>
void Append32(Buffer& out, std::uint32_t v) {
    unsigned char b[4];
    Put32(b, v);
    out.insert(out.end(), b, b + 4);
}
template <class Buffer>
void Append64(Buffer& out, std::uint64_t v) {
    unsigned char b[8];
    Put64(b, v);
    out.insert(out.end(), b, b + 8);
}

// Bounds-checked reads at an offset of a buffer: false (and nothing read) when the value
// would run past its end, whatever the offset.
inline bool Read16(std::span<const std::uint8_t> buf, std::uint64_t off, std::uint16_t& v) {
    if (off > buf.size() || buf.size() - off < 2) return false;
    v = Get16(buf.data() + off);
    return true;
}
inline bool Read32(std::span<const std::uint8_t> buf, std::uint64_t off, std::uint32_t& v) {
    if (off > buf.size() || buf.size() - off < 4) return false;
    v = Get32(buf.data() + off);
    return true;
}
inline bool Read64(std::span<const std::uint8_t> buf, std::uint64_t off, std::uint64_t& v) {
    if (off > buf.size() || buf.size() - off < 8) return false;
    v = Get64(buf.data() + off);
    return true;
}

}  // namespace platform::le
