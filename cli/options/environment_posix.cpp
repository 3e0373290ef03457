// The environment on POSIX systems: bytes as they are, UTF-8 by convention.
#include <cstdlib>

#include "cli/options/environment.h"

namespace cli::platform {

std::string environment_variable(const char *name) {
  const char *value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace cli::platform
