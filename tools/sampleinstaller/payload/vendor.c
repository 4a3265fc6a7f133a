/* A library that several products of one vendor share: installed once in Common Files and
   counted under SharedDLLs by every product that installs it. */
#include <windows.h>

__declspec(dllexport) DWORD WINAPI ZarnVendorVersion(void) { return 0x00010000; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
