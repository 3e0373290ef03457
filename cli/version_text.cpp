#include "cli/version_text.h"

// The build defines these for this file alone (CMakeLists.txt).
#ifndef TAVORIX_VERSION
#error "TAVORIX_VERSION is not defined"
#endif

namespace cli {

std::string version_text() {
  return std::string("tavorix ") + TAVORIX_VERSION + "\nplatform: " + TAVORIX_PLATFORM +
         "\ntask library: " + TAVORIX_TASK_LIBRARY;
}

}  // namespace cli
