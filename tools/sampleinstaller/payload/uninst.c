/* The sample's uninstall program. Windows starts it with the product name after the
   program's path ("UninstallString"), as does the link in the Programs menu. It shows what
   the installation recorded under the product's uninstall key and removes nothing: the
   sample leaves removal to the person trying it. */
#include <windows.h>

#define UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

/* The number held in the "Entries" value of `key` below the product's key, or 0. */
static int Entries(const char* product, const char* key) {
    char path[512], text[32];
    DWORD size = sizeof text, type = 0;
    HKEY k;
    int n = 0;
    if (lstrlenA(UNINSTALL_KEY) + lstrlenA(product) + lstrlenA(key) + 2 > (int)sizeof path) return 0;
    lstrcpyA(path, UNINSTALL_KEY);
    lstrcatA(path, product);
    lstrcatA(path, "\\");
    lstrcatA(path, key);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExA(k, "Entries", NULL, &type, (BYTE*)text, &size) == ERROR_SUCCESS && type == REG_SZ) {
        const char* p = text;
        while (*p >= '0' && *p <= '9') n = n * 10 + (*p++ - '0');
    }
    RegCloseKey(k);
    return n;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    char text[1024];
    (void)instance;
    (void)previous;
    (void)show;
    while (*line == ' ') ++line;
    if (!*line || lstrlenA(line) > 200) {
        MessageBoxA(NULL, "Start the uninstall program with the name of the product to remove.", "Uninstall",
                    MB_OK | MB_ICONWARNING);
        return 2;
    }
    wsprintfA(text,
              "The installation of %s recorded %d files and links and %d COM servers.\n\n"
              "This sample uninstall program removes nothing.",
              line, Entries(line, "Files"), Entries(line, "ActiveX"));
    MessageBoxA(NULL, text, "Uninstall", MB_OK | MB_ICONINFORMATION);
    return 0;
}
