// Starting the install library as a program that uses it does: every class of the
// library registered for form descriptions, and the units that keep state of their own
// set up (version reader, Program Manager conversation, system folders, install
// containers with the shared compression engine). The program's own classes and its
// resources are its own business.
#pragma once

// Safe to call more than once.
void InitialiseInstallLibrary();
