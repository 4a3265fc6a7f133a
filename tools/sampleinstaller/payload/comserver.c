/* An in-process COM server that registers its class itself: DllRegisterServer writes it
   under HKEY_CLASSES_ROOT\CLSID with the library's own path, DllUnregisterServer removes
   it. Its version information says "OLESelfRegister", so an install file presets its
   registration from the file alone. */
#include <windows.h>
#include <olectl.h>

#define SAMPLE_CLSID "CLSID\\{5A41524E-0010-4C6F-8164-53616D706C65}"
#define SAMPLE_CLASS_NAME "Zarn Sample COM server"

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

static LONG SetDefault(HKEY key, const char* text) {
    return RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    char path[MAX_PATH + 1];
    HKEY key, server;
    LONG rc;
    DWORD n = GetModuleFileNameA(self, path, sizeof path);
    if (n == 0 || n >= sizeof path) return E_FAIL;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, SAMPLE_CLSID, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    rc = SetDefault(key, SAMPLE_CLASS_NAME);
    if (rc == ERROR_SUCCESS)
        rc = RegCreateKeyExA(key, "InprocServer32", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &server, NULL);
    if (rc == ERROR_SUCCESS) {
        rc = SetDefault(server, path);
        RegCloseKey(server);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, SAMPLE_CLSID "\\InprocServer32");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, SAMPLE_CLSID);
    return S_OK;
}
