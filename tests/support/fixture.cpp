#include "tests/support/fixture.h"

namespace zarn::test {

void InitialiseLibraryForTests() {}

}  // namespace zarn::test
