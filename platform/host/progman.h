// The host's built-in Program Manager DDE service (service and topic PROGMAN): groups
// are folders below the Programs folder named by the "Shell Folders" registry value,
// items are shortcut files in them, and a group request answers in Program Manager's
// group text. Host-internal.
#pragma once
#include <string>
#include <vector>

#include "platform/ddeserver.h"

namespace platform::host {

// One bracketed command of an execute string: "[AddItem(a,"b c")]" gives the name
// AddItem and the parameters a and b c.
struct ProgmanCommand {
    std::string name;
    std::vector<std::string> params;  // without the delimiting quotes, blanks trimmed
    std::vector<std::string> raw;     // as written (quotes kept), blanks trimmed
};
// Splits an execute string into its commands as Program Manager reads them: each command
// in square brackets, parameters in parentheses separated by commas, text in double
// quotes keeps commas, brackets and parentheses; blanks around parameters and between
// commands are ignored. False (and `error` says why) for text that does not
// follow that syntax.
bool ParseProgmanCommands(const std::string& text, std::vector<ProgmanCommand>& commands,
                          std::string& error);

// The built-in service's handler (one per process; it keeps the active group).
dde::ServerHandler& ProgramManagerService();

}  // namespace platform::host
