#pragma once

#include <string>

namespace cli::options {

// What `tavorix --version` prints: the program's version, the platform the
// program and the module were built for, and the task library the module
// runs on.
std::string version_text();

}  // namespace cli::options
