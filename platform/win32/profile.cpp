// Profile (INI) strings over the ANSI Win32 API.
#include "platform/win32/win32_api.h"

#include "platform/profile.h"

namespace platform {

bool WritePrivateProfileString(const std::string& section, const std::string* key,
                               const std::string* value, const std::string& fileName) {
    return ::WritePrivateProfileStringA(section.c_str(), key ? key->c_str() : nullptr,
                                        value ? value->c_str() : nullptr,
                                        fileName.c_str()) != FALSE;
}

namespace {

// GetPrivateProfileStringA signals a short buffer by filling it to the brim (size - 1,
// or size - 2 for a list of names); grow until it does not.
std::string ReadProfile(const char* section, const char* key, const char* def,
                        const char* fileName, bool list) {
    std::string buf(1024, '\0');
    for (;;) {
        ::DWORD size = static_cast<::DWORD>(buf.size());
        ::DWORD n = ::GetPrivateProfileStringA(section, key, def, buf.data(), size, fileName);
        ::DWORD full = list ? size - 2 : size - 1;
        if (n < full || buf.size() >= (1u << 24)) {
            buf.resize(n);
            return buf;
        }
        buf.assign(buf.size() * 4, '\0');
    }
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& fileName) {
    return ReadProfile(section.c_str(), key.c_str(), def.c_str(), fileName.c_str(), false);
}

std::vector<std::string> GetPrivateProfileSectionKeys(const std::string& section,
                                                      const std::string& fileName) {
    std::string block = ReadProfile(section.c_str(), nullptr, "", fileName.c_str(), true);
    std::vector<std::string> keys;
    std::size_t i = 0;
    while (i < block.size()) {
        std::size_t j = block.find('\0', i);
        if (j == std::string::npos) j = block.size();
        if (j > i) keys.push_back(block.substr(i, j - i));
        i = j + 1;
    }
    return keys;
}

}  // namespace platform
