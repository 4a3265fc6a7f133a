// Start-up of the setup program, shared by the program and its end-to-end tests.
#pragma once

namespace setupapp {

// Initialises the install library (every class its forms may name, the version reader,
// the Program Manager client, the Windows and System folders, which may fail with the
// library's exceptions, and the global lists), the embedded resources and the
// program's form classes.
void InitialiseLibrary();

// Initialises the application object and creates the two forms, the wizard first so it
// is the main form.
void CreateForms();

}  // namespace setupapp
