/* An in-process COM server whose DllRegisterServer writes its class with the library's
   own path. Built with ZARN_REGISTER_STATUS set, it writes nothing and returns that
   status instead (a server whose registration fails). */
#include "registry_class.h"

#define ZARN_INPROC_CLSID "{5A41524E-0001-4C6F-8164-5465737453F1}"

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer(void) {
#ifdef ZARN_REGISTER_STATUS
    return (HRESULT)ZARN_REGISTER_STATUS;
#else
    return (HRESULT)WriteClassKey(ZARN_INPROC_CLSID, "Zarn test in-process server", "InprocServer32", self);
#endif
}
