/* Writes a COM class under HKEY_CLASSES_ROOT\CLSID: its name as the default value and
   the server's own path under `serverKey` ("InprocServer32" or "LocalServer32"). Shared
   by the test servers; returns 0 or a failure status. */
#pragma once
#include <windows.h>

static inline LONG WriteClassKey(const char* clsid, const char* name, const char* serverKey, HMODULE module) {
    char path[MAX_PATH + 1];
    char sub[128];
    HKEY key, server;
    LONG rc;
    DWORD n = GetModuleFileNameA(module, path, sizeof path);
    if (n == 0 || n >= sizeof path) return (LONG)0x80004005; /* E_FAIL */
    lstrcpyA(sub, "CLSID\\");
    lstrcatA(sub, clsid);
    rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, sub, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    if (rc != ERROR_SUCCESS) return (LONG)0x80040201; /* SELFREG_E_CLASS */
    rc = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)name, lstrlenA(name) + 1);
    if (rc == ERROR_SUCCESS)
        rc = RegCreateKeyExA(key, serverKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &server, NULL);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExA(server, NULL, 0, REG_SZ, (const BYTE*)path, n + 1);
        RegCloseKey(server);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 0 : (LONG)0x80040201;
}
