// Starting the install library as a program that uses it does: every class of the
// library registered for form descriptions, and the units that keep state of their own
// set up (version reader, Program Manager conversation, system folders, install
// containers with the shared compression engine). The program's own classes and its
// resources are its own business.
#pragma once

// Safe to call more than once.
void InitialiseInstallLibrary();

// The units that keep state, without the install model and without any class registered
// for form descriptions: the message translator, the version reader, the Program Manager
// conversation and the system folders. For a program that reads no description and
// installs nothing itself (the restart program): it then links no install container, no
// compression engine and no control it does not use. Safe to call more than once.
void InitialiseInstallServices();
