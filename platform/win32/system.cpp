// System information, processes, libraries and COM over the ANSI Win32 API.
#include "platform/win32/win32_api.h"

#include "platform/system.h"

namespace platform {

namespace {

std::string FolderFrom(UINT (WINAPI* call)(LPSTR, UINT)) {
    char buf[MAX_PATH + 1];
    UINT n = call(buf, sizeof buf);
    if (n == 0) return {};
    if (n < sizeof buf) return std::string(buf, n);
    std::string big(n + 1, '\0');
    n = call(big.data(), static_cast<UINT>(big.size()));
    if (n == 0 || n >= big.size()) return {};
    big.resize(n);
    return big;
}

}  // namespace

DWORD GetLastError() { return ::GetLastError(); }
void SetLastError(DWORD code) { ::SetLastError(code); }

std::string GetWindowsDirectory() { return FolderFrom(::GetWindowsDirectoryA); }
std::string GetSystemDirectory() { return FolderFrom(::GetSystemDirectoryA); }

bool GetVersionEx(OSVersionInfo& info) {
    if (info.sizeOfStruct != sizeof(OSVERSIONINFOA) &&
        info.sizeOfStruct != sizeof(OSVERSIONINFOEXA)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    OSVERSIONINFOEXA v{};
    v.dwOSVersionInfoSize = info.sizeOfStruct;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v))) return false;
    info.majorVersion = v.dwMajorVersion;
    info.minorVersion = v.dwMinorVersion;
    info.buildNumber = v.dwBuildNumber;
    info.platformId = v.dwPlatformId;
    info.csdVersion = v.szCSDVersion;
    return true;
}

LANGID GetUserDefaultLangID() { return ::GetUserDefaultLangID(); }

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
    int r = ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                             static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    if (r == 0) {
        // The call failed (no such locale, say): fall back to byte order of the upper case.
        std::string ua = AnsiUpperCase(a), ub = AnsiUpperCase(b);
        return ua < ub ? -1 : ua > ub ? 1 : 0;
    }
    return r - CSTR_EQUAL;
}

std::string AnsiUpperCase(const std::string& s) {
    std::string r = s;
    if (!r.empty()) ::CharUpperBuffA(r.data(), static_cast<::DWORD>(r.size()));
    return r;
}

std::string AnsiLowerCase(const std::string& s) {
    std::string r = s;
    if (!r.empty()) ::CharLowerBuffA(r.data(), static_cast<::DWORD>(r.size()));
    return r;
}

UINT WinExec(const std::string& commandLine, UINT showCommand) {
    return ::WinExec(commandLine.c_str(), showCommand);
}

bool RunAndWait(const std::string& commandLine, UINT showCommand, DWORD& exitCode) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::DWORD code = 0;
    const bool ok = ::GetExitCodeProcess(pi.hProcess, &code) != FALSE;
    ::CloseHandle(pi.hProcess);
    exitCode = static_cast<DWORD>(code);
    return ok;
}

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

std::string GetCommandLine() {
    const char* line = ::GetCommandLineA();
    return line ? std::string(line) : std::string();
}

Module LoadLibrary(const std::string& path) {
    return reinterpret_cast<Module>(::LoadLibraryA(path.c_str()));
}

void* GetProcAddress(Module m, const std::string& name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m), name.c_str()));
}

bool FreeLibrary(Module m) { return ::FreeLibrary(static_cast<HMODULE>(m)) != FALSE; }

LONG CallStatusEntry(void* entry) {
    using StatusEntry = HRESULT(STDAPICALLTYPE*)();
    return reinterpret_cast<StatusEntry>(entry)();
}

LONG CoInitialize() { return ::CoInitialize(nullptr); }
LONG OleInitialize() { return ::OleInitialize(nullptr); }
void OleUninitialize() { ::OleUninitialize(); }

std::string GetModuleFileName() {
    std::string buf(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        ::DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<::DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.assign(buf.size() * 2, '\0');
    }
    return {};
}

DWORD GetTickCount() { return ::GetTickCount(); }

}  // namespace platform
