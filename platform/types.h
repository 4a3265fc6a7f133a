// Basic Win32-shaped types and constants shared by every platform service.
// Everything above platform/ talks in these terms: Windows paths (ANSI, backslashes,
// drive letters), handles, error codes as GetLastError gives them.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using LANGID = std::uint16_t;

// An open file. Invalid is what CreateFile returns on failure.
using Handle = std::intptr_t;
constexpr Handle InvalidHandle = -1;

// 100-nanosecond intervals since 1601-01-01 UTC, as FILETIME holds them.
struct FileTime {
    DWORD low = 0;
    DWORD high = 0;
    std::uint64_t value() const { return (std::uint64_t(high) << 32) | low; }
    static FileTime from(std::uint64_t v) { return {DWORD(v), DWORD(v >> 32)}; }
    bool operator==(const FileTime&) const = default;
};

// Win32 error codes that the platform reports.
namespace err {
constexpr DWORD Success = 0;
constexpr DWORD InvalidFunction = 1;
constexpr DWORD FileNotFound = 2;
constexpr DWORD PathNotFound = 3;
constexpr DWORD AccessDenied = 5;
constexpr DWORD InvalidHandle = 6;
constexpr DWORD NotEnoughMemory = 8;
constexpr DWORD BadFormat = 11;
constexpr DWORD InvalidDrive = 15;
constexpr DWORD WriteFault = 29;
constexpr DWORD ReadFault = 30;
constexpr DWORD SharingViolation = 32;
constexpr DWORD HandleEof = 38;
constexpr DWORD HandleDiskFull = 39;
constexpr DWORD NotSupported = 50;
constexpr DWORD FileExists = 80;
constexpr DWORD InvalidParameter = 87;
constexpr DWORD DiskFull = 112;
constexpr DWORD InsufficientBuffer = 122;
constexpr DWORD InvalidName = 123;
constexpr DWORD ModNotFound = 126;
constexpr DWORD ProcNotFound = 127;
constexpr DWORD DirNotEmpty = 145;
constexpr DWORD BadExeFormat = 193;
constexpr DWORD AlreadyExists = 183;
constexpr DWORD FilenameExcedRange = 206;
constexpr DWORD MoreData = 234;
constexpr DWORD NoMoreItems = 259;
constexpr DWORD NoMoreFiles = 18;
constexpr DWORD ResourceDataNotFound = 1812;
constexpr DWORD ResourceTypeNotFound = 1813;
constexpr DWORD BadPathname = 161;
constexpr DWORD DatatypeMismatch = 1629;
constexpr DWORD InvalidData = 13;
constexpr DWORD TooManyOpenFiles = 4;
constexpr DWORD NotSameDevice = 17;
constexpr DWORD GenFailure = 31;
constexpr DWORD NegativeSeek = 131;
constexpr DWORD Directory = 267;  // ERROR_DIRECTORY: the name is not a folder
constexpr DWORD BadDb = 1009;      // ERROR_BADDB: the registry file is corrupt
constexpr DWORD KeyDeleted = 1018; // the key behind an open handle was deleted
}  // namespace err

// Last error of the calling thread, as GetLastError / SetLastError.
DWORD GetLastError();
void SetLastError(DWORD code);

// Maximum path length of the ANSI API (MAX_PATH).
constexpr std::size_t MaxPath = 260;

}  // namespace platform
