// The setup program for the demo of "Skyreach: The Embers of Orrin".
#include <cstdio>

#include "app/startup.h"
#include "framework/forms.h"

int main() {
    try {
        setupapp::InitialiseLibrary();
    } catch (const Exception& e) {
        // The Windows or System folder could not be read: no window is shown.
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    setupapp::CreateForms();
    Application->Run();
    return 0;
}
