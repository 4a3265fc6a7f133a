// Profile (INI) strings with WritePrivateProfileString semantics. A file name without
// a folder lives in the Windows folder.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

// Writes key=value in [section], creating the file and section as needed.
// A null key (keyPresent false) deletes the whole section; a null value deletes the key.
bool WritePrivateProfileString(const std::string& section, const std::string* key,
                               const std::string* value, const std::string& fileName);
// GetPrivateProfileString: the value, or `def` when missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& fileName);
// Every key of a section, in file order.
std::vector<std::string> GetPrivateProfileSectionKeys(const std::string& section,
                                                      const std::string& fileName);

}  // namespace platform
