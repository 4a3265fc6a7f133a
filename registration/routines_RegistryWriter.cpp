#include "registration/routines_RegistryWriter.h"

#include "platform/handles.h"

std::string SubKeyOf(const std::string& key) {
    std::size_t i = 0;
    while (i < key.size() && key[i] == '\\') ++i;
    return key.substr(i);
}

platform::HKEY RegistryRootFromIndex(std::uint8_t rootIndex) {
    switch (rootIndex & 0x7F) {
    case 0: return platform::HKeyClassesRoot;
    case 1: return platform::HKeyCurrentConfig;
    case RootCurrentUser: return platform::HKeyCurrentUser;
    case 3: return platform::HKeyDynData;
    case RootLocalMachine: return platform::HKeyLocalMachine;
    case 5: return platform::HKeyUsers;
    default: return platform::HKeyCurrentUser;
    }
}

void WriteRegString(std::uint8_t rootIndex, const std::string& key, const std::string& ident,
                    const std::string& value) {
    const std::string message =
        "Cannot install into registry. Key: " + key + " Ident: " + ident + " Value " + value;
    platform::KeyHandle k;
    if (platform::RegCreateKey(RegistryRootFromIndex(rootIndex), SubKeyOf(key), k.receive()) != 0)
        throw EIRCannotWriteValue(message);
    if (platform::RegSetString(k.get(), ident, value) != 0)
        throw EIRCannotWriteValue(message);
}

void ReadRegString(std::uint8_t rootIndex, const std::string& key, const std::string& ident,
                   std::string& value, const std::string& def) {
    // `value` may be the same string as any of the others: take copies first.
    const std::string subKey = SubKeyOf(key);
    const std::string name = ident;
    value = def;
    platform::KeyHandle k;
    if (platform::RegOpenKey(RegistryRootFromIndex(rootIndex), subKey, platform::KeyRead, k.receive()) != 0)
        return;
    if (!platform::RegValueExists(k.get(), name)) return;
    std::string read;
    if (platform::RegGetString(k.get(), name, read) == 0) value = std::move(read);
}
