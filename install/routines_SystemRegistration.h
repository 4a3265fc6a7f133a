// Announcing an installed file to Windows: the shared-DLL reference count, COM
// self-registration of a library or a program, and help-file registration.
//
// Each routine takes the values it needs (the file's destination path, the component's
// Name for the messages) so an install file only passes them on. Failures raise the
// standard Exception with the translated message; nothing is rolled back.
#pragma once
#include <string>

// Registry keys below HKEY_LOCAL_MACHINE.
inline constexpr const char* SharedDLLsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* HelpFilesKey = "\\SOFTWARE\\Microsoft\\Windows\\Help";

// Adds one to the DWORD value named `destinationPath` (with its letter case) under
// SharedDLLs; a missing value or one that is not a DWORD counts as 0. Raises when the key
// cannot be opened or created. Returns false when the new count cannot be written.
bool UpdateSharedDLLCount(const std::string& destinationPath, const std::string& componentName);

// True when the version information of `sourcePath` has the "OLESelfRegister" entry in
// the string table that its first translation entry names. False for a file without
// version information or translation, and for a missing file; never raises.
bool IsOLESelfRegister(const std::string& sourcePath);

// Loads the library at `destinationPath` and calls its "DllRegisterServer", with OLE
// initialised around it. Raises when the path is blank or missing, the library does not
// load, the export is missing, or the export returns a status other than 0.
void RegisterActiveXDLL(const std::string& destinationPath, const std::string& componentName);

// Starts `destinationPath` + " /REGSERVER" (the path unquoted, as built) hidden and
// without waiting. Raises for a blank or missing path and when the start fails.
void RegisterActiveXEXE(const std::string& destinationPath, const std::string& componentName);

// Writes the help file `destName` (upper case) with its folder `destDir` (as given) under
// the Help key. Raises EIRCannotWriteValue when that fails.
void RegisterHelpFile(const std::string& destName, const std::string& destDir);
