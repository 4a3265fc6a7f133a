// The % meta variables of command-line texts (a link's Parameters): folders of the
// component, its container, the main install object and the system.
#pragma once
#include <string>

class TBaseHelperComponent;

// The text with its % meta variables replaced; `component` is the helper on whose
// behalf it is expanded (may be nil).
std::string ExpandMetaVariables(const std::string& text, TBaseHelperComponent* component);
