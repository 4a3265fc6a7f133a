// Single string values of the registry, written and read with one error convention: a
// value that cannot be written raises EIRCannotWriteValue, a value that cannot be read
// yields the caller's default.
//
// A root index selects the root key by its low 7 bits: 0 HKEY_CLASSES_ROOT,
// 1 HKEY_CURRENT_CONFIG, 2 HKEY_CURRENT_USER, 3 HKEY_DYN_DATA, 4 HKEY_LOCAL_MACHINE,
// 5 HKEY_USERS; any other value means HKEY_CURRENT_USER. Keys are written from the root
// with a leading backslash ("\SOFTWARE\Microsoft\Windows\Help").
#pragma once
#include <cstdint>
#include <string>

#include "framework/classes.h"
#include "platform/registry.h"

class EIRCannotWriteValue : public Exception {
public:
    using Exception::Exception;
};

// The root key a root index stands for; the indexes of the two roots the library writes.
platform::HKEY RegistryRootFromIndex(std::uint8_t rootIndex);
// A key path as the platform takes it: without its leading backslashes.
std::string SubKeyOf(const std::string& key);
constexpr std::uint8_t RootCurrentUser = 2;
constexpr std::uint8_t RootLocalMachine = 4;

// Writes the REG_SZ value `ident` = `value` under `key`, creating the key (and every
// missing parent) when needed. Raises EIRCannotWriteValue when the key cannot be opened
// or created, or the value cannot be written.
void WriteRegString(std::uint8_t rootIndex, const std::string& key, const std::string& ident,
                    const std::string& value);

// Reads the string value `ident` under `key` into `value`. A missing key or value, or a
// value that is not a string, gives `def`; nothing is raised and nothing is created.
void ReadRegString(std::uint8_t rootIndex, const std::string& key, const std::string& ident,
                   std::string& value, const std::string& def);
