// zbuild's program: the builder on the process's own standard streams.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/system.h"
#include "tools/zbuild/zbuild.h"

namespace {

class ProcessConsole : public zarc::Console {
public:
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
    bool ReadLine(std::string&) override { return false; }
    bool Interrupted() override { return platform::console::InterruptRequested(); }
    unsigned long Ticks() override { return platform::GetTickCount(); }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::console::CatchInterrupt();
    ProcessConsole console;
    const int code = zbuild::Run(args, console);
    std::fflush(stdout);
    return code;
}
