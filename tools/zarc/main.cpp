// zarc's program: the commands on the process's own standard streams.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/console.h"
#include "tools/zarc/zarc.h"

namespace {

class ProcessConsole : public zarc::Console {
public:
    // Flushed at once: a build log shows each file as it is done.
    void Out(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    void Err(const std::string& text) override {
        std::fflush(stdout);
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
    bool OutIsTerminal() override { return platform::console::IsTerminal(platform::console::StdStream::Output); }
    int Columns() override { return platform::console::Columns(platform::console::StdStream::Output); }
    void RewindLines(int lines) override {
        std::fflush(stdout);
        platform::console::RewindLines(platform::console::StdStream::Output, lines);
    }
    // C streams only: the C++ ones bring in runtime functions that old msvcrt.dll lacks.
    bool ReadLine(std::string& line) override {
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
    bool Interrupted() override { return platform::console::InterruptRequested(); }
    unsigned long Ticks() override { return platform::GetTickCount(); }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::console::CatchInterrupt();
    ProcessConsole console;
    const int code = zarc::Run(args, console);
    std::fflush(stdout);
    return code;
}
