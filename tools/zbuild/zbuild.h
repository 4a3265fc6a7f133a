// zbuild: builds one setup program from an installer description. Reads and checks the
// description (every error with its file, line and component, before anything is
// written), compresses the files it names into an archive, and writes the runtime, the
// description and the archive as one program. The commands run against zarc's Console,
// so that tests can drive them in-process.
#pragma once
#include <string>
#include <vector>

#include "tools/zarc/zarc.h"

namespace zbuild {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;  // errors in the description, or the build failed or was stopped
constexpr int ExitUsage = 2;   // the command line was wrong

// The names of the runtime programs in a runtime folder (and of the two the package
// carries, as they are stored in it).
constexpr const char* RuntimeProgram = "ZSETUP.EXE";
constexpr const char* UninstallProgram = "UNINSTALL.EXE";
constexpr const char* RestartProgram = "ZRESTART.EXE";

int Run(const std::vector<std::string>& args, zarc::Console& console);

}  // namespace zbuild
