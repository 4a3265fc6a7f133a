// zarc's program: the commands on the process's own standard streams.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "tools/zarc/process_console.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::console::CatchInterrupt();
    zarc::ProcessConsole console;
    const int code = zarc::Run(args, console);
    std::fflush(stdout);
    return code;
}
