// The environment on POSIX systems: bytes as they are, UTF-8 by convention.
#include <cstdlib>

#include "platform/environment.h"

namespace platform {

std::string environment_variable(const char *name) {
  const char *value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace platform
