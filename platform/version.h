// Version resources of executable images, with the semantics of the ANSI Win32 API
// (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA).
//
// The buffer that GetFileVersionInfo fills is opaque: only VerQueryValue reads it. String
// queries answer with ANSI text, converted from the resource's UTF-16 text the way the
// ANSI API converts it, and the text lives inside the buffer (as on Windows), so the
// buffer must outlive the pointers VerQueryValue hands out.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

// VS_FIXEDFILEINFO, as the root block "\" holds it.
struct FixedFileInfo {
    DWORD signature = 0;  // 0xFEEF04BD
    DWORD strucVersion = 0;
    DWORD fileVersionMS = 0;
    DWORD fileVersionLS = 0;
    DWORD productVersionMS = 0;
    DWORD productVersionLS = 0;
    DWORD fileFlagsMask = 0;
    DWORD fileFlags = 0;
    DWORD fileOS = 0;
    DWORD fileType = 0;
    DWORD fileSubtype = 0;
    DWORD fileDateMS = 0;
    DWORD fileDateLS = 0;
};
static_assert(sizeof(FixedFileInfo) == 52);
constexpr DWORD FixedFileInfoSignature = 0xFEEF04BDu;

// GetFileVersionInfoSizeA: the buffer size GetFileVersionInfo needs, or 0 when the file
// is missing, unreadable, not an image or has no version resource (last error set).
// `handle` is always set to 0, as Windows does.
DWORD GetFileVersionInfoSize(const std::string& path, DWORD& handle);

// GetFileVersionInfoA: fills `data` (resized to `size` bytes) with the version
// information of `path`. A size smaller than GetFileVersionInfoSize's answer truncates.
bool GetFileVersionInfo(const std::string& path, DWORD size, std::vector<BYTE>& data);

// VerQueryValueA over a buffer from GetFileVersionInfo:
//   "\"                                 -> the FixedFileInfo (length in bytes)
//   "\VarFileInfo\Translation"          -> pairs of WORDs, language and code page (bytes)
//   "\StringFileInfo\<lang><cp>\<key>"  -> zero-terminated ANSI text (length in
//                                          characters, as the API reports it)
// Key names compare without regard to case. False when the block does not exist.
// `data` is not const: string answers are converted into the buffer's spare area.
bool VerQueryValue(std::vector<BYTE>& data, const std::string& subBlock, const void*& value,
                   UINT& length);

}  // namespace platform
