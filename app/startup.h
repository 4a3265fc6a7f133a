// Start-up of the setup program, shared by the program and its end-to-end tests.
#pragma once

namespace setupapp {

// Initialises the install library's units in link order: the version reader, the
// Program Manager client, the Windows and System folders (which may fail with the
// library's exceptions), and the global lists; registers the classes that the forms'
// descriptions name, and the embedded resources.
void InitialiseLibrary();

// Initialises the application object and creates the two forms, the wizard first so it
// is the main form.
void CreateForms();

}  // namespace setupapp
