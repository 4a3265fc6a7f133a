// Shell link objects: the shell's shortcut (.lnk) files, with the results of the COM
// interface (HRESULT values). win32: CLSID_ShellLink through IShellLinkA and IPersistFile.
// Host: the same binary file format written and read by our own code.
#pragma once
#include <memory>
#include <string>

#include "platform/types.h"

namespace platform {

using HRESULT = LONG;

// HRESULT values reported by the link object and by COM.
namespace hr {
constexpr HRESULT Ok = 0;                                           // S_OK
constexpr HRESULT False = 1;                                        // S_FALSE
constexpr HRESULT OutOfMemory = static_cast<HRESULT>(0x8007000Eu);  // E_OUTOFMEMORY
constexpr HRESULT InvalidArg = static_cast<HRESULT>(0x80070057u);   // E_INVALIDARG
constexpr HRESULT Unexpected = static_cast<HRESULT>(0x8000FFFFu);   // E_UNEXPECTED
constexpr HRESULT NoInterface = static_cast<HRESULT>(0x80004002u);  // E_NOINTERFACE
constexpr HRESULT Fail = static_cast<HRESULT>(0x80004005u);         // E_FAIL
constexpr HRESULT NoAggregation = static_cast<HRESULT>(0x80040110u);  // CLASS_E_NOAGGREGATION
constexpr HRESULT ClassNotRegistered = static_cast<HRESULT>(0x80040154u);  // REGDB_E_CLASSNOTREG
constexpr HRESULT NotInitialized = static_cast<HRESULT>(0x800401F0u);      // CO_E_NOTINITIALIZED
// HRESULT_FROM_WIN32 of a Win32 error code.
constexpr HRESULT FromWin32(DWORD code) {
    return code == 0 ? 0 : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}
constexpr bool Failed(HRESULT h) { return h < 0; }
}  // namespace hr

// Show commands a link can carry (SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE).
constexpr int LinkShowNormal = 1;
constexpr int LinkShowMaximized = 3;
constexpr int LinkShowMinNoActive = 7;

// One shell link object (an IShellLinkA with its IPersistFile). Setters and getters
// return the interface's HRESULT; strings are ANSI. The object is released when
// destroyed.
class ShellLink {
public:
    ~ShellLink();
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;

    HRESULT SetPath(const std::string& path);
    HRESULT SetArguments(const std::string& arguments);
    HRESULT SetWorkingDirectory(const std::string& folder);
    HRESULT SetDescription(const std::string& description);
    HRESULT SetIconLocation(const std::string& path, int index);
    // Low byte virtual-key code, high byte modifier flags (HOTKEYF_*).
    HRESULT SetHotkey(WORD hotKey);
    HRESULT SetShowCmd(int showCommand);

    HRESULT GetPath(std::string& path);
    HRESULT GetArguments(std::string& arguments);
    HRESULT GetWorkingDirectory(std::string& folder);
    HRESULT GetDescription(std::string& description);
    HRESULT GetIconLocation(std::string& path, int& index);
    HRESULT GetHotkey(WORD& hotKey);
    HRESULT GetShowCmd(int& showCommand);

    // QueryInterface for IPersistFile: Ok when the object offers it, NoInterface if not.
    HRESULT QueryPersistFile();
    // IPersistFile::Save / Load. The ANSI path is converted to UTF-16 with the ANSI code
    // page into a buffer of MaxPath wide characters; a longer path is refused with
    // FromWin32(FilenameExcedRange) and nothing is written.
    HRESULT Save(const std::string& linkPath, bool remember = true);
    HRESULT Load(const std::string& linkPath);

    struct Impl;

private:
    friend HRESULT CreateShellLink(std::unique_ptr<ShellLink>& link);
    explicit ShellLink(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// CoCreateInstance(CLSID_ShellLink, IID_IShellLinkA). On success (a result that is not
// negative) `link` holds the new object; otherwise it is left empty. The win32 build
// needs COM initialised on the calling thread (CoInitialize).
HRESULT CreateShellLink(std::unique_ptr<ShellLink>& link);

}  // namespace platform
