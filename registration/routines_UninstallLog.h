// The uninstall file log: the files and shortcuts an installation put on the machine,
// recorded below the product's uninstall key (HKEY_LOCAL_MACHINE) for a separate
// uninstall program.
#pragma once
#include <functional>
#include <string>

// Appends `fullPath()` as the next "File" entry of the uninstall file log below
// `productKey`: key "Files", or the continuation keys "Files1", "Files2", ... when an
// attempt fails (a count that is not a number, a key that cannot be written, a path
// that cannot be resolved). After MaxUninstallLogKeys failed attempts the last error is
// raised.
constexpr int MaxUninstallLogKeys = 100;
void AppendUninstallFileLog(const std::string& productKey, const std::function<std::string()>& fullPath);
