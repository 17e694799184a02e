#pragma once
// The version both programs print for --version.

#include <string>

namespace platform {

// "profilora 0.4.0", followed by " (commit 1a2b3c4d5e6f)" when the program
// was built from a git checkout.
std::string VersionText();

}  // namespace platform
