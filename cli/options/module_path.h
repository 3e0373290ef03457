#pragma once

#include <string>

namespace cli::options {

// tavorix.p in the folder of the running program; "tavorix.p" when that
// folder cannot be told.
std::string default_module_path();

}  // namespace cli::options
