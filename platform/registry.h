// The registry with Win32 semantics. Results are Win32 error codes (0 = success).
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

using HKEY = std::uintptr_t;
constexpr HKEY HKeyClassesRoot = 0x80000000u;
constexpr HKEY HKeyCurrentUser = 0x80000001u;
constexpr HKEY HKeyLocalMachine = 0x80000002u;
constexpr HKEY HKeyUsers = 0x80000003u;
constexpr HKEY HKeyCurrentConfig = 0x80000005u;
constexpr HKEY HKeyDynData = 0x80000006u;

constexpr DWORD RegNone = 0;
constexpr DWORD RegSz = 1;
constexpr DWORD RegExpandSz = 2;
constexpr DWORD RegBinary = 3;
constexpr DWORD RegDword = 4;
constexpr DWORD RegMultiSz = 7;

// Access for RegOpenKey.
constexpr DWORD KeyRead = 0x20019;
constexpr DWORD KeyWrite = 0x20006;
constexpr DWORD KeyAllAccess = 0xF003F;

// Sub keys are given without leading backslash ("SOFTWARE\\Microsoft"); an empty sub key
// opens the key itself again.
LONG RegOpenKey(HKEY parent, const std::string& subKey, DWORD access, HKEY& result);
// Creates every missing key on the way. `created` tells whether the key was new.
LONG RegCreateKey(HKEY parent, const std::string& subKey, HKEY& result, bool* created = nullptr);
LONG RegCloseKey(HKEY key);
// Deletes a key that has no sub keys (as RegDeleteKey on NT).
LONG RegDeleteKey(HKEY parent, const std::string& subKey);
LONG RegDeleteValue(HKEY key, const std::string& name);
// Reads a value's type and raw data (strings with their terminating zero, as Windows
// stores them). FileNotFound when the value does not exist.
LONG RegQueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data);
LONG RegSetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size);
// Enumerations by index; NoMoreItems past the end.
LONG RegEnumKey(HKEY key, DWORD index, std::string& name);
LONG RegEnumValue(HKEY key, DWORD index, std::string& name);

// Typed helpers over the calls above.
LONG RegSetString(HKEY key, const std::string& name, const std::string& value);
LONG RegSetDword(HKEY key, const std::string& name, DWORD value);
LONG RegSetMultiString(HKEY key, const std::string& name, const std::vector<std::string>& value);
// Typed reads: FileNotFound for a missing value, DatatypeMismatch for a value of
// another type.
LONG RegGetString(HKEY key, const std::string& name, std::string& value);   // REG_SZ / REG_EXPAND_SZ only
LONG RegGetDword(HKEY key, const std::string& name, DWORD& value);          // REG_DWORD only
LONG RegGetMultiString(HKEY key, const std::string& name, std::vector<std::string>& value);
bool RegKeyExists(HKEY root, const std::string& subKey);
bool RegValueExists(HKEY key, const std::string& name);

}  // namespace platform
