// The console on POSIX: termios for raw mode, poll for input with a time-out, and the
// terminal put back as it was at exit and on the signals that end a process.
#include "platform/console.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace platform::console {

namespace {

termios g_saved;
bool g_raw = false;
// Written from a signal handler, so kept in a fixed buffer.
char g_leave[64];
std::size_t g_leaveSize = 0;

void WriteAll(const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(1, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
}

void Restore() {
    if (!g_raw) return;
    WriteAll(g_leave, g_leaveSize);
    ::tcsetattr(0, TCSANOW, &g_saved);
    g_raw = false;
}

void OnSignal(int sig) {
    Restore();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

bool IsInteractive() { return ::isatty(0) && ::isatty(1); }

bool EnterRawMode(const std::string& onEnter, const std::string& onLeave) {
    if (g_raw) return true;
    if (::tcgetattr(0, &g_saved) != 0) return false;
    termios raw = g_saved;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_iflag &= ~tcflag_t(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(0, TCSANOW, &raw) != 0) return false;
    g_leaveSize = onLeave.copy(g_leave, sizeof g_leave);
    g_raw = true;
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        std::atexit(Restore);
        ::signal(SIGINT, OnSignal);
        ::signal(SIGTERM, OnSignal);
        ::signal(SIGHUP, OnSignal);
    }
    Write(onEnter);
    return true;
}

void LeaveRawMode() { Restore(); }

bool InRawMode() { return g_raw; }

ReadResult ReadByte(int timeoutMs, unsigned char& byte) {
    pollfd p{0, POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (r == 0 || (r < 0 && errno == EINTR)) return ReadResult::Timeout;
    if (r < 0) return ReadResult::End;
    for (;;) {
        ssize_t n = ::read(0, &byte, 1);
        if (n == 1) return ReadResult::Byte;
        if (n < 0 && errno == EINTR) continue;
        return ReadResult::End;
    }
}

void Write(const std::string& text) { WriteAll(text.data(), text.size()); }

// ---- the standard streams of command-line programs

namespace {

int Fd(StdStream s) { return s == StdStream::Input ? 0 : s == StdStream::Output ? 1 : 2; }

std::atomic<bool> g_interrupt{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void OnInterrupt(int) {
    // SA_RESETHAND has put the default action back: a second signal ends the process.
    g_interrupt.store(true);
}

}  // namespace

bool IsTerminal(StdStream stream) { return ::isatty(Fd(stream)) == 1; }

int Columns(StdStream stream) {
    winsize ws{};
    if (!IsTerminal(stream) || ::ioctl(Fd(stream), TIOCGWINSZ, &ws) != 0) return 0;
    return ws.ws_col;
}

bool RewindLines(StdStream stream, int lines) {
    if (stream == StdStream::Input || !IsTerminal(stream)) return false;
    std::string seq = "\r";
    if (lines > 0) seq += "\x1b[" + std::to_string(lines) + "A";
    seq += "\x1b[J";
    std::size_t done = 0;
    while (done < seq.size()) {
        ssize_t n = ::write(Fd(stream), seq.data() + done, seq.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

void CatchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

bool InterruptRequested() { return g_interrupt.load(); }
void SetInterruptRequested(bool requested) { g_interrupt.store(requested); }

}  // namespace platform::console
