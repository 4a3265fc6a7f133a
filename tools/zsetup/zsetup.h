// zsetup: the runtime of a setup program built by zbuild. It finds the package in the
// program's image, checks it before it shows a window or writes anything, reads the
// installer description it carries and installs through the library's model, silently
// or with the wizard.
#pragma once
#include <string>
#include <vector>

namespace zsetup {

// Exit codes, as scripts of Windows installers expect them (3010 is the main install
// object's ExitCodeRestartNeeded).
constexpr int ExitInstalled = 0;
constexpr int ExitCancelled = 1;
constexpr int ExitFailed = 2;

struct Switches {
    bool silent = false;            // /S: no window, no question
    bool hasFolder = false;
    std::string folder;             // /D=FOLDER: the rest of the command line
};

// /S and /D=: /D= takes everything after it, blanks included (the arguments as the C
// runtime split them, joined by one blank). Other switches are ignored, as installers do.
Switches ParseSwitches(const std::vector<std::string>& args);

// Installs the package inside the setup program `image` (a Windows path).
int Run(const std::string& image, const Switches& switches);

}  // namespace zsetup
