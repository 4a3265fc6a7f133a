#include "tools/zarc/process_console.h"

#include <cstdio>

#include "platform/console.h"
#include "platform/system.h"

namespace zarc {

using platform::console::StdStream;

void ProcessConsole::Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void ProcessConsole::Err(const std::string& text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool ProcessConsole::OutIsTerminal() { return platform::console::IsTerminal(StdStream::Output); }

int ProcessConsole::Columns() { return platform::console::Columns(StdStream::Output); }

void ProcessConsole::RewindLines(int lines) {
    std::fflush(stdout);
    platform::console::RewindLines(StdStream::Output, lines);
}

bool ProcessConsole::ReadLine(std::string& line) {
    std::fflush(stdout);
    line.clear();
    char buf[512];
    bool any = false;
    while (std::fgets(buf, sizeof buf, stdin)) {
        any = true;
        line += buf;
        if (!line.empty() && line.back() == '\n') break;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return any;
}

bool ProcessConsole::Interrupted() { return platform::console::InterruptRequested(); }

unsigned long ProcessConsole::Ticks() { return platform::GetTickCount(); }

}  // namespace zarc
