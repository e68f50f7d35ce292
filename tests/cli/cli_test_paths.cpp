#include "tests/cli/cli_test_support.h"

namespace korvath::clitest {

// The only source compiled with the build's folders: every other one compiles alike in each clone
// of the tree, so that they share the compiler cache.
const char* const kBuiltCli = KORVATH_CLI;
const char* const kBuiltCliWithTestSeams = KORVATH_CLI_TEST_SEAMS;
const char* const kDemoDir = KORVATH_DEMO_DIR;

}  // namespace korvath::clitest
