/* A local COM server: started with /REGSERVER (or -RegServer) it writes its class with
   the program's own path and ends; otherwise it ends at once. No window is shown. */
#include "registry_class.h"

#define ZARN_EXE_CLSID "{5A41524E-0002-4C6F-8164-5465737453F1}"

/* Whether `line` holds /name or -name (any case) as a word of its own. The program's
   path may still be part of the line when it was started unquoted. */
static int HasSwitch(const char* line, const char* name) {
    for (; *line; ++line) {
        const char* p;
        const char* q;
        if (*line != '/' && *line != '-') continue;
        for (p = line + 1, q = name; *p && *q; ++p, ++q) {
            char c = *p;
            if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
            if (c != *q) break;
        }
        if (*q == 0 && (*p == 0 || *p == ' ' || *p == '\t')) return 1;
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    if (!HasSwitch(line, "REGSERVER")) return 0;
    return WriteClassKey(ZARN_EXE_CLSID, "Zarn test local server", "LocalServer32", NULL) == 0 ? 0 : 1;
}
