// The console of a command-line program of ours on the process's own standard streams:
// output flushed at once (a build log shows each file as it is done), the terminal's
// width and cursor through the platform's console service, Ctrl+C, and lines read with
// the C streams (the C++ ones bring in runtime functions that old msvcrt.dll lacks).
#pragma once
#include "tools/zarc/zarc.h"

namespace zarc {

class ProcessConsole : public Console {
public:
    void Out(const std::string& text) override;
    void Err(const std::string& text) override;
    bool OutIsTerminal() override;
    int Columns() override;
    void RewindLines(int lines) override;
    bool ReadLine(std::string& line) override;
    bool Interrupted() override;
    unsigned long Ticks() override;
};

}  // namespace zarc
