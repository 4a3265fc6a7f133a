// libFuzzer target for the host registry's REGEDIT4 parser: any input either parses or
// is refused with a message naming a line; what parses formats to text that parses to
// the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/host/hostenv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace platform::host;
    const std::string text(reinterpret_cast<const char*>(data), size);
    RegKey root;
    std::string error;
    if (!ParseRegFile(text, "HKEY_CURRENT_USER", "fuzz.reg", root, error)) {
        if (error.rfind("fuzz.reg, line ", 0) != 0) std::abort();
        return 0;
    }
    const std::string once = FormatRegFile(root, "HKEY_CURRENT_USER");
    RegKey again;
    if (!ParseRegFile(once, "HKEY_CURRENT_USER", "fuzz.reg", again, error)) std::abort();
    if (FormatRegFile(again, "HKEY_CURRENT_USER") != once) std::abort();
    return 0;
}
