// The standard streams over POSIX terminals and signals.
#include "platform/terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace platform::terminal {

namespace {

int Fd(StdStream s) { return s == StdStream::Input ? 0 : s == StdStream::Output ? 1 : 2; }

std::atomic<bool> g_interrupt{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void OnSignal(int) {
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
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

void CatchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

bool InterruptRequested() { return g_interrupt.load(); }
void SetInterruptRequested(bool requested) { g_interrupt.store(requested); }

}  // namespace platform::terminal
