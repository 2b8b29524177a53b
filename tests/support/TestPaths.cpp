#include "support/TestPaths.h"

#include "BuildPaths.h"

namespace tw::test {

std::string sourceDir() { return TW_SOURCE_DIR; }
std::string stubLibraryDir() { return TW_TEST_ENGINE_DIR; }
std::string engineDir() { return TW_ENGINE_DIR; }
std::string fetchDir() { return TW_FETCH_DIR; }
std::string twsignPath() { return TW_TWSIGN; }

}  // namespace tw::test
