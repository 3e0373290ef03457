#pragma once

#include <string>

namespace cli {

// What `tavorix --version` prints: the program's version and what it was
// built for.
std::string version_text();

}  // namespace cli
