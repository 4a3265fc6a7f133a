// System information: Windows folders, OS version, language, ANSI comparison, processes,
// library loading and COM initialisation.
#pragma once
#include <string>

#include "platform/types.h"

namespace platform {

// GetWindowsDirectory / GetSystemDirectory; empty on failure (the API returned 0).
std::string GetWindowsDirectory();
std::string GetSystemDirectory();

// OSVERSIONINFOA as GetVersionEx fills it.
struct OSVersionInfo {
    DWORD sizeOfStruct = 148;
    DWORD majorVersion = 0;
    DWORD minorVersion = 0;
    DWORD buildNumber = 0;
    DWORD platformId = 0;  // 0 Win32s, 1 Windows 95 family, 2 Windows NT
    std::string csdVersion;
};
constexpr DWORD VerPlatformWin32s = 0;
constexpr DWORD VerPlatformWin32Windows = 1;
constexpr DWORD VerPlatformWin32NT = 2;
// Fails (false, InvalidParameter) unless sizeOfStruct is 148 (or 156 for the Ex form).
bool GetVersionEx(OSVersionInfo& info);

LANGID GetUserDefaultLangID();

// CompareStringA(locale 0 / user default, NORM_IGNORECASE): <0, 0, >0.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);
// CharUpperA / CharLowerA of a whole string under the ANSI code page.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);

// WinExec: > 31 on success, otherwise 0 (out of resources), 2 (file not found),
// 3 (path not found), 11 (bad format), as Windows returns them.
UINT WinExec(const std::string& commandLine, UINT showCommand);
constexpr UINT SwHide = 0;
constexpr UINT SwShowDefault = 10;
constexpr UINT SwShowNormal = 1;

// Starts a program as WinExec does and waits until it has ended; `exitCode` receives
// its exit code. False when it could not be started (last error set).
bool RunAndWait(const std::string& commandLine, UINT showCommand, DWORD& exitCode);
// The command line the process was started with (GetCommandLine): the program, as it was
// named, and its arguments.
std::string GetCommandLine();
// LoadLibrary / GetProcAddress / FreeLibrary. A null module means failure (last error set).
using Module = void*;
Module LoadLibrary(const std::string& path);
void* GetProcAddress(Module m, const std::string& name);
bool FreeLibrary(Module m);
// Calls an export that takes no arguments and returns a 32-bit status through the
// system's calling convention for such exports (STDAPI, as DllRegisterServer).
LONG CallStatusEntry(void* entry);

// CoInitialize / OleInitialize; 0 (S_OK) or 1 (S_FALSE, already initialised) on success.
LONG CoInitialize();
LONG OleInitialize();
// OleUninitialize: one for each successful OleInitialize.
void OleUninitialize();

// The process's own executable as a Windows path (GetModuleFileName(0)).
std::string GetModuleFileName();

// Suspends the calling thread for `milliseconds` (Sleep).
void Sleep(DWORD milliseconds);
// Milliseconds since start (GetTickCount).
DWORD GetTickCount();

}  // namespace platform
