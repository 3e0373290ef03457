#pragma once

#include <string>

namespace cli::options {

// What `tavorix --version` prints: the program's version, the platform the
// program and the module were built for, the task library the module runs
// on, and where the program looks for the module and which file it found.
std::string version_text();

// The program's version alone: "1.4.0".
std::string program_version();

}  // namespace cli::options
