// The install library's exception root. Every subsystem's exceptions (containers, install
// files, the archive engine, Program Manager, folders) derive from EAI, so it sits below
// them all.
#pragma once
#include "framework/classes.h"

class EAI : public Exception {
public:
    using Exception::Exception;
};
