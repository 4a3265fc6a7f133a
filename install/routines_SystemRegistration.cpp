#include "install/routines_SystemRegistration.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/classes.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/version.h"
#include "registration/routines_RegistryWriter.h"

namespace {

[[noreturn]] void Raise(const char* text, std::initializer_list<FormatArg> args) {
    throw Exception(Format(TranslateText(text), args));
}

long long LastError() { return static_cast<long long>(platform::GetLastError()); }

// The two checks both self-registrations make before touching the file.
void CheckDestination(const std::string& destinationPath, const std::string& componentName) {
    if (Trim(destinationPath).empty())
        Raise("Cannot not get support information for the file because the GetDestDir + DestName is blank. "
              "File component: %s",
              {componentName});
    if (!platform::FileExists(destinationPath))
        Raise("Cannot not get support information for the file %s. File component: %s",
              {destinationPath, componentName});
}

// OLE for the calling thread for as long as the object lives. A failed initialisation
// has nothing to undo.
class OleSession {
public:
    OleSession() : initialised_(platform::OleInitialize() >= 0) {}
    ~OleSession() {
        if (!initialised_) return;
        const platform::DWORD error = platform::GetLastError();
        platform::OleUninitialize();
        platform::SetLastError(error);
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool initialised_;
};

// A loaded library, freed when the object goes.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : module_(platform::LoadLibrary(path)) {}
    ~LoadedLibrary() {
        if (!module_) return;
        const platform::DWORD error = platform::GetLastError();
        platform::FreeLibrary(module_);
        platform::SetLastError(error);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    platform::Module get() const { return module_; }

private:
    platform::Module module_;
};

}  // namespace

bool UpdateSharedDLLCount(const std::string& destinationPath, const std::string& componentName) {
    platform::KeyHandle key;
    if (platform::LONG rc = platform::RegCreateKey(platform::HKeyLocalMachine, SharedDLLsKey + 1, key.receive())) {
        // The registry answers with its code rather than through the last error: report
        // that code, not whatever an earlier call left behind.
        platform::SetLastError(static_cast<platform::DWORD>(rc));
        Raise("Could not open the key SharedDLLs key in the registry. File component %s. GetLastError return: %d",
              {componentName, LastError()});
    }
    platform::DWORD count = 0;
    if (platform::RegGetDword(key.get(), destinationPath, count) != 0) count = 0;
    return platform::RegSetDword(key.get(), destinationPath, count + 1) == 0;
}

bool IsOLESelfRegister(const std::string& sourcePath) {
    platform::DWORD handle = 0;
    const platform::DWORD size = platform::GetFileVersionInfoSize(sourcePath, handle);
    if (size == 0) return false;
    std::vector<platform::BYTE> data;
    if (!platform::GetFileVersionInfo(sourcePath, size, data)) return false;

    const void* value = nullptr;
    platform::UINT length = 0;
    if (!platform::VerQueryValue(data, "\\VarFileInfo\\Translation", value, length) || value == nullptr ||
        length < sizeof(platform::DWORD))
        return false;
    platform::DWORD translation;
    std::memcpy(&translation, value, sizeof translation);

    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\OLESelfRegister",
                  unsigned(translation & 0xFFFFu), unsigned(translation >> 16));
    return platform::VerQueryValue(data, block, value, length);
}

void RegisterActiveXDLL(const std::string& destinationPath, const std::string& componentName) {
    CheckDestination(destinationPath, componentName);
    OleSession ole;
    LoadedLibrary library(destinationPath);
    if (!library.get())
        Raise("Could not register the ActiveX component, %s, because the LoadLibrary(%s) procedure returned a "
              "value of 0. The file component is %s. The following value is the value of the GetLastError "
              "function: %d",
              {destinationPath, destinationPath, componentName, LastError()});
    void* entry = platform::GetProcAddress(library.get(), "DllRegisterServer");
    if (!entry)
        Raise("Could not register the ActiveX component, %s, because the DllRegisterServer function could not "
              "be found. The file component is %s. The following value is the value of the GetLastError "
              "function: %d",
              {destinationPath, componentName, LastError()});
    const platform::LONG status = platform::CallStatusEntry(entry);
    if (status != 0)
        Raise("Could not register the ActiveX component, %s, because the DllRegisterServer function returned a "
              "value of %d. The file component is %s.",
              {destinationPath, static_cast<long long>(status), componentName});
}

void RegisterActiveXEXE(const std::string& destinationPath, const std::string& componentName) {
    CheckDestination(destinationPath, componentName);
    if (platform::WinExec(destinationPath + " /REGSERVER", platform::SwHide) < 32)
        Raise("Could not register the ActiveX component, %s, because the WinExec(%s,SW_HIDE) function returned "
              "a value < 32. The file component is %s. The following value is the value of the GetLastError "
              "function: %d",
              {destinationPath, destinationPath, componentName, LastError()});
}

void RegisterHelpFile(const std::string& destName, const std::string& destDir) {
    WriteRegString(RootLocalMachine, HelpFilesKey, platform::AnsiUpperCase(destName), destDir);
}
