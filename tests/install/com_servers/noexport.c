/* A library that exports something, but not DllRegisterServer. */
#include <windows.h>

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow(void) { return S_OK; }
