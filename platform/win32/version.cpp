// Version resources through version.dll.
#include "platform/win32/win32_api.h"
#include <winver.h>
#undef GetFileVersionInfo
#undef GetFileVersionInfoSize
#undef VerQueryValue

#include "platform/version.h"

namespace platform {

DWORD GetFileVersionInfoSize(const std::string& path, DWORD& handle) {
    ::DWORD h = 0;
    ::DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &h);
    handle = h;
    return size;
}

bool GetFileVersionInfo(const std::string& path, DWORD size, std::vector<BYTE>& data) {
    data.assign(size, 0);
    if (size == 0) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    return ::GetFileVersionInfoA(path.c_str(), 0, size, data.data()) != FALSE;
}

bool VerQueryValue(std::vector<BYTE>& data, const std::string& subBlock, const void*& value,
                   UINT& length) {
    value = nullptr;
    length = 0;
    if (data.empty()) return false;
    void* out = nullptr;
    ::UINT len = 0;
    if (!::VerQueryValueA(data.data(), subBlock.c_str(), &out, &len)) return false;
    value = out;
    length = len;
    return true;
}

}  // namespace platform
