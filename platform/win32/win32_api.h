// Private to platform/win32: the Windows headers, with the ANSI/wide selector macros
// removed that would otherwise rename our own functions of the same names. Include
// this before any platform/*.h header, and call the A-suffixed API by its full name.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>

#undef CreateFile
#undef CopyFile
#undef MoveFileEx
#undef CreateDirectory
#undef RemoveDirectory
#undef DeleteFile
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetFullPathName
#undef GetTempPath
#undef GetTempFileName
#undef GetShortPathName
#undef GetDiskFreeSpace
#undef GetDiskFreeSpaceEx
#undef FindFirstFile
#undef FindNextFile
#undef WritePrivateProfileString
#undef GetPrivateProfileString
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef GetVersionEx
#undef LoadLibrary
#undef GetModuleFileName
#undef GetCommandLine
#undef RegOpenKey
#undef RegCreateKey
#undef RegDeleteKey
#undef RegDeleteValue
#undef RegQueryValue
#undef RegSetValue
#undef RegEnumKey
#undef RegEnumValue
#undef GetFileVersionInfo
#undef GetFileVersionInfoSize
#undef VerQueryValue
#undef CompareString
#undef CharUpper
#undef CharLower
