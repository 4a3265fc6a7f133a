// libFuzzer target: the host's version-resource reader on arbitrary bytes, once as a PE
// image and once as a version resource itself. Neither may crash, hang or read outside.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/host/version_pe.h"

using namespace platform;

namespace {

void QueryAll(std::vector<BYTE>& data) {
    static const char* const queries[] = {
        "\\", "\\VarFileInfo\\Translation", "\\StringFileInfo",
        "\\StringFileInfo\\040904E4\\CompanyName", "\\StringFileInfo\\040904E4\\Comments",
        "\\StringFileInfo\\040704E4\\ProductVersion", "\\\\a\\\\b\\", ""};
    for (const char* q : queries) {
        const void* p = nullptr;
        UINT len = 0;
        if (!hostver::QueryValue(data, q, p, len)) continue;
        // Touch every byte of the answer so that the sanitizer sees any overrun.
        const BYTE* b = static_cast<const BYTE*>(p);
        volatile BYTE sum = 0;
        for (UINT i = 0; i < len && b >= data.data() && b + i < data.data() + data.size(); ++i)
            sum = sum + b[i];
        if (b < data.data() || b + len > data.data() + data.size()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostver::MemorySource src(data, size);
    std::vector<BYTE> resource;
    if (hostver::ExtractVersionResource(src, 0x0409, resource) == 0) {
        std::vector<BYTE> buffer = hostver::MakeInfoBuffer(resource);
        QueryAll(buffer);
    }
    std::vector<BYTE> raw(data, data + size);
    std::vector<BYTE> buffer = hostver::MakeInfoBuffer(raw);
    QueryAll(buffer);
    return 0;
}
