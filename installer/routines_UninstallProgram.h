// The uninstall program of the library, as it runs: its command line, the confirmation,
// the progress window naming the file at work, the closing message that lists what was
// left and why, its own removal, and its exit code. Its texts pass through the
// translator, in English and German.
#pragma once
#include <string>

class TTranslator;

// The program's own texts, for a translator of its own.
void LoadUninstallTexts(TTranslator* translator);

// Runs the uninstall program for `commandLine` (as GetCommandLine gives it) with `self`
// the running program's path. A silent run ("/S") asks nothing, shows no window and
// reports on the standard streams. Returns the exit code: 0 removed, 1 cancelled or
// failed, 3010 a restart finishes the removal. `removeSelf` false leaves the program's
// own file and folder alone (for tests that run it in-process).
int RunUninstallProgram(const std::string& commandLine, const std::string& self, bool removeSelf = true);
