// The registry over the ANSI Win32 API.
#include "platform/win32/win32_api.h"

#include "platform/registry.h"
#include "platform/handles.h"

namespace platform {

namespace {

::HKEY ToWin(HKEY k) { return reinterpret_cast<::HKEY>(k); }
HKEY FromWin(::HKEY k) { return reinterpret_cast<HKEY>(k); }

}  // namespace

LONG RegOpenKey(HKEY parent, const std::string& subKey, DWORD access, HKEY& result) {
    ::HKEY k = nullptr;
    LONG rc = ::RegOpenKeyExA(ToWin(parent), subKey.c_str(), 0, access, &k);
    result = rc == ERROR_SUCCESS ? FromWin(k) : 0;
    return rc;
}

LONG RegCreateKey(HKEY parent, const std::string& subKey, HKEY& result, bool* created) {
    ::HKEY k = nullptr;
    ::DWORD disposition = 0;
    LONG rc = ::RegCreateKeyExA(ToWin(parent), subKey.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                                &disposition);
    result = rc == ERROR_SUCCESS ? FromWin(k) : 0;
    if (created) *created = rc == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return rc;
}

LONG RegCloseKey(HKEY key) { return ::RegCloseKey(ToWin(key)); }

LONG RegDeleteKey(HKEY parent, const std::string& subKey) {
    return ::RegDeleteKeyA(ToWin(parent), subKey.c_str());
}

LONG RegDeleteValue(HKEY key, const std::string& name) {
    return ::RegDeleteValueA(ToWin(key), name.c_str());
}

LONG RegQueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
    data.clear();
    ::DWORD t = 0, size = 0;
    LONG rc = ::RegQueryValueExA(ToWin(key), name.c_str(), nullptr, &t, nullptr, &size);
    // The value may grow between the two calls; try again with the new size.
    for (int attempt = 0; attempt < 4 && rc == ERROR_SUCCESS; ++attempt) {
        data.resize(size);
        ::DWORD got = size;
        rc = ::RegQueryValueExA(ToWin(key), name.c_str(), nullptr, &t,
                                data.empty() ? nullptr : data.data(), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got > size ? got : size * 2 + 16;
            rc = ERROR_SUCCESS;
            continue;
        }
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            type = t;
            return rc;
        }
    }
    data.clear();
    return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
}

LONG RegSetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    return ::RegSetValueExA(ToWin(key), name.c_str(), 0, type,
                            static_cast<const ::BYTE*>(data), size);
}

LONG RegEnumKey(HKEY key, DWORD index, std::string& name) {
    char buf[256];
    ::DWORD len = sizeof buf;
    LONG rc = ::RegEnumKeyExA(ToWin(key), index, buf, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buf, len);
    return rc;
}

LONG RegEnumValue(HKEY key, DWORD index, std::string& name) {
    std::string buf(16384, '\0');
    ::DWORD len = static_cast<::DWORD>(buf.size());
    LONG rc = ::RegEnumValueA(ToWin(key), index, buf.data(), &len, nullptr, nullptr, nullptr,
                              nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buf.data(), len);
    return rc;
}

LONG RegSetString(HKEY key, const std::string& name, const std::string& value) {
    return RegSetValue(key, name, RegSz, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

LONG RegSetDword(HKEY key, const std::string& name, DWORD value) {
    return RegSetValue(key, name, RegDword, &value, sizeof value);
}

LONG RegSetMultiString(HKEY key, const std::string& name, const std::vector<std::string>& value) {
    std::string block;
    for (const auto& s : value) {
        block += s;
        block += '\0';
    }
    block += '\0';
    return RegSetValue(key, name, RegMultiSz, block.data(), static_cast<DWORD>(block.size()));
}

LONG RegGetString(HKEY key, const std::string& name, std::string& value) {
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG rc = RegQueryValue(key, name, type, data);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != RegSz && type != RegExpandSz) return ERROR_DATATYPE_MISMATCH;
    // Stored data need not carry its terminator; stop at the first zero if it does.
    std::size_t n = 0;
    while (n < data.size() && data[n] != 0) ++n;
    value.assign(reinterpret_cast<const char*>(data.data()), n);
    return ERROR_SUCCESS;
}

LONG RegGetDword(HKEY key, const std::string& name, DWORD& value) {
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG rc = RegQueryValue(key, name, type, data);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != RegDword || data.size() != sizeof(DWORD)) return ERROR_DATATYPE_MISMATCH;
    value = DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
    return ERROR_SUCCESS;
}

LONG RegGetMultiString(HKEY key, const std::string& name, std::vector<std::string>& value) {
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG rc = RegQueryValue(key, name, type, data);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != RegMultiSz) return ERROR_DATATYPE_MISMATCH;
    value.clear();
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t j = i;
        while (j < data.size() && data[j] != 0) ++j;
        if (j == i) break;  // the empty string that ends the list
        value.emplace_back(reinterpret_cast<const char*>(data.data()) + i, j - i);
        i = j + 1;
    }
    return ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& subKey) {
    KeyHandle k;
    return RegOpenKey(root, subKey, KeyRead, k.receive()) == ERROR_SUCCESS;
}

bool RegValueExists(HKEY key, const std::string& name) {
    ::DWORD type = 0, size = 0;
    LONG rc = ::RegQueryValueExA(ToWin(key), name.c_str(), nullptr, &type, nullptr, &size);
    return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

}  // namespace platform
