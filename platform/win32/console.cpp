// The console of command-line programs over the Win32 console API (the raw input of the
// terminal front end is the host's alone).
#include "platform/win32/win32_api.h"

#include "platform/console.h"

#include <atomic>

namespace platform::console {

namespace {

HANDLE StdHandle(StdStream s) {
    return ::GetStdHandle(s == StdStream::Input    ? STD_INPUT_HANDLE
                          : s == StdStream::Output ? STD_OUTPUT_HANDLE
                                                   : STD_ERROR_HANDLE);
}

std::atomic<bool> g_interrupt{false};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // The second one takes the default course: the process ends.
    if (g_interrupt.exchange(true)) return FALSE;
    return TRUE;
}

}  // namespace

bool IsTerminal(StdStream stream) {
    HANDLE h = StdHandle(stream);
    DWORD mode = 0;
    // The NUL device is a character device too, but no console.
    return h && h != INVALID_HANDLE_VALUE && ::GetFileType(h) == FILE_TYPE_CHAR && ::GetConsoleMode(h, &mode);
}

int Columns(StdStream stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (stream == StdStream::Input || !IsTerminal(stream) || !::GetConsoleScreenBufferInfo(StdHandle(stream), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool RewindLines(StdStream stream, int lines) {
    HANDLE h = StdHandle(stream);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (stream == StdStream::Input || !IsTerminal(stream) || !::GetConsoleScreenBufferInfo(h, &info)) return false;
    COORD to;
    to.X = 0;
    to.Y = SHORT(info.dwCursorPosition.Y - lines < 0 ? 0 : info.dwCursorPosition.Y - lines);
    const DWORD cells = DWORD(info.dwSize.X) * DWORD(info.dwSize.Y - to.Y);
    DWORD done = 0;
    ::FillConsoleOutputCharacterA(h, ' ', cells, to, &done);
    ::FillConsoleOutputAttribute(h, info.wAttributes, cells, to, &done);
    return ::SetConsoleCursorPosition(h, to) != FALSE;
}

void CatchInterrupt() { ::SetConsoleCtrlHandler(&OnControl, TRUE); }

bool InterruptRequested() { return g_interrupt.load(); }
void SetInterruptRequested(bool requested) { g_interrupt.store(requested); }

}  // namespace platform::console
