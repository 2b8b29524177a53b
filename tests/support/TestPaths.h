// Where the tests find the checkout and the libraries they load. The paths belong to one build; they
// are compiled into TestPaths.cpp alone, so the other test files compile the same in every clone.
#pragma once

#include <string>

namespace tw::test {

/// The checkout's root folder.
std::string sourceDir();
/// The folder of the recording engine and the scripted fetch library the tests load in place of the real ones.
std::string stubLibraryDir();
/// The folders of the real scoring engine and the real fetch library.
std::string engineDir();
std::string fetchDir();
/// The release tool, built natively.
std::string twsignPath();

}  // namespace tw::test
