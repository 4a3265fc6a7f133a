// The uninstall records below the product's uninstall key (HKEY_LOCAL_MACHINE): the
// entry Windows lists among removable programs, the file log of the files and shortcuts
// an installation put on the machine, and the list of self-registered ActiveX servers,
// for a separate uninstall program.
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

// Appends `fullPath` to the ActiveX list below `productKey` (key "ActiveX"): the next
// "File" entry is the path + ";0" for a server registered in DLL style or ";1" in EXE
// style (pass true when EXE style is set; it wins when both are), then "Entries" is
// raised. No continuation keys: a failure raises EIRCannotWriteValue, and a count that
// is not a number raises the conversion error.
void AppendUninstallActiveXList(const std::string& productKey, const std::string& fullPath, bool exeStyle);

// Writes the entry that names the product among removable programs: "DisplayName" =
// `productName` and "UninstallString" = `uninstallProgram` (not quoted) + " " +
// `productName`, both in `productKey`. A failed write raises EIRCannotWriteValue.
void WriteUninstallProgramEntry(const std::string& productKey, const std::string& productName,
                                const std::string& uninstallProgram);
