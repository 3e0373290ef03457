#include "cli/options/version_text.h"

#include "cli/options/module_search.h"

// The build defines these (CMakeLists.txt).
#if !defined(TAVORIX_VERSION) || !defined(TAVORIX_PLATFORM) || !defined(TAVORIX_TASK_LIBRARY)
#error "TAVORIX_VERSION, TAVORIX_PLATFORM and TAVORIX_TASK_LIBRARY come from the build"
#endif

namespace cli::options {

std::string version_text() {
  return std::string("tavorix ") + TAVORIX_VERSION + "\nplatform: " + TAVORIX_PLATFORM +
         "\ntask library: " + TAVORIX_TASK_LIBRARY + "\n" + describe_module_search(search_for_module());
}

std::string program_version() { return TAVORIX_VERSION; }

}  // namespace cli::options
