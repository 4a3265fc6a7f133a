// zarc: the archive tool. Creates, extends, lists, tests and extracts archives of the
// install library's format through the archive engine itself, writes multi-disk sets,
// and deflates large files on several threads.
//
// The commands run against a Console, so that tests can drive them in-process: the
// program's main hands them the process's own standard streams.
#pragma once
#include <string>
#include <vector>

namespace zarc {

// Exit codes.
constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;  // the operation failed, found damage or was stopped
constexpr int ExitUsage = 2;   // the command line was wrong

// What the commands talk to.
class Console {
public:
    virtual ~Console() = default;
    // Standard output and standard error.
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
    // Standard output is a terminal (progress bars) and how wide it is (0: unknown).
    virtual bool OutIsTerminal() = 0;
    virtual int Columns() = 0;
    // Moves the cursor of standard output `lines` lines up and clears from there.
    virtual void RewindLines(int lines) = 0;
    // One line of standard input, without its line end; false at the end of the input.
    virtual bool ReadLine(std::string& line) = 0;
    // Ctrl+C was pressed.
    virtual bool Interrupted() = 0;
    // Milliseconds from some fixed point (for rates and redraw pacing).
    virtual unsigned long Ticks() = 0;
};

// Runs one command line (without the program name); returns the exit code.
int Run(const std::vector<std::string>& args, Console& console);

}  // namespace zarc
