/* A program that imports GetTickCount64 (Windows Vista): the import check must refuse it. */
#include <windows.h>

/* Declared here: the headers declare it only for Vista and later. */
__declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

int main(void) { return (int)(GetTickCount64() & 1u); }
