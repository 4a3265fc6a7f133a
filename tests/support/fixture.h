// Shared helpers for the test suites.
#pragma once

namespace zarn::test {

// Runs the library's explicit initialisation once per test program (globals that the
// product creates at start-up), in the product's order. Each subsystem adds its part in
// fixture.cpp as it arrives.
void InitialiseLibraryForTests();

}  // namespace zarn::test
