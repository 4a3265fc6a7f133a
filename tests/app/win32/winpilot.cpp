// Drives a Windows program from outside, as a person at the keyboard would, for the
// end-to-end run of setup.exe under Wine: waits for windows, presses buttons, reads
// texts. It talks to the program only through window messages.
//
//   winpilot wait <title part> [seconds]        a visible window whose title contains it
//   winpilot gone <title part> [seconds]        no such window any more
//   winpilot click <title part> <caption>       presses the enabled, visible button
//   winpilot texts <title part>                 prints the window's child controls
//   winpilot shellfolders                       the user's shell folders, as a desktop
//                                               shell records them when the user logs on
//   winpilot hold <seconds> <file>...           holds the files open without sharing, as
//                                               a running program holds its own files,
//                                               until killed or the time is up
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string TextOf(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND w) {
    char buf[256] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string WithoutAccelerator(const std::string& s) {
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') r += '&', ++i;
            continue;
        }
        r += s[i];
    }
    return r;
}

struct Search {
    std::string part;
    HWND found = nullptr;
};

BOOL CALLBACK FindTop(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (IsWindowVisible(w) && TextOf(w).find(s->part) != std::string::npos) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowWith(const std::string& part) {
    Search s{part};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK Collect(HWND w, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

std::vector<HWND> Children(HWND top) {
    std::vector<HWND> v;
    EnumChildWindows(top, Collect, reinterpret_cast<LPARAM>(&v));
    return v;
}

bool WaitFor(const std::string& part, double seconds, bool present) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < DWORD(seconds * 1000);) {
        if ((FindWindowWith(part) != nullptr) == present) return true;
        Sleep(100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "shellfolders") {
        // Asking the shell for each folder makes it record the "Shell Folders" values.
        const int folders[] = {CSIDL_STARTMENU, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_STARTUP, CSIDL_FONTS};
        for (int f : folders) {
            char path[MAX_PATH] = {};
            if (FAILED(SHGetFolderPathA(nullptr, f | CSIDL_FLAG_CREATE, nullptr, 0, path))) return 1;
            std::printf("%s\n", path);
        }
        return 0;
    }
    if (argc > 3 && std::string(argv[1]) == "hold") {
        std::vector<HANDLE> held;
        for (int i = 3; i < argc; ++i) {
            HANDLE h = CreateFileA(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                std::fprintf(stderr, "winpilot: cannot hold %s (%lu)\n", argv[i], GetLastError());
                return 1;
            }
            held.push_back(h);
        }
        std::printf("holding\n");
        std::fflush(stdout);
        Sleep(DWORD(std::atof(argv[2]) * 1000));
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: winpilot wait|gone|click|texts <title part> [...]\n");
        return 2;
    }
    std::string cmd = argv[1], part = argv[2];
    if (cmd == "wait" || cmd == "gone") {
        double seconds = argc > 3 ? std::atof(argv[3]) : 30;
        bool ok = WaitFor(part, seconds, cmd == "wait");
        if (!ok) std::fprintf(stderr, "winpilot: %s \"%s\" timed out\n", cmd.c_str(), part.c_str());
        return ok ? 0 : 1;
    }
    HWND top = FindWindowWith(part);
    if (!top) {
        std::fprintf(stderr, "winpilot: no window \"%s\"\n", part.c_str());
        return 1;
    }
    if (cmd == "texts") {
        std::printf("[%s] %s\n", ClassOf(top).c_str(), TextOf(top).c_str());
        for (HWND c : Children(top))
            std::printf("  [%s]%s%s %s\n", ClassOf(c).c_str(), IsWindowVisible(c) ? "" : " hidden",
                        IsWindowEnabled(c) ? "" : " disabled", TextOf(c).c_str());
        return 0;
    }
    if (cmd == "click" && argc > 3) {
        std::string caption = argv[3];
        for (HWND c : Children(top)) {
            if (!IsWindowVisible(c) || !IsWindowEnabled(c)) continue;
            if (WithoutAccelerator(TextOf(c)) != caption) continue;
            // Posted, not sent: the press may open a modal loop that runs for long.
            PostMessageA(c, BM_CLICK, 0, 0);
            return 0;
        }
        std::fprintf(stderr, "winpilot: no enabled button \"%s\" in \"%s\"\n", caption.c_str(), part.c_str());
        return 1;
    }
    std::fprintf(stderr, "winpilot: unknown command %s\n", cmd.c_str());
    return 2;
}
