#include "cli/options/module_path.h"

#include "platform/platform_files.h"

namespace cli::options {

std::string default_module_path() {
  const std::string folder = platform::program_folder();
  return folder.empty() ? "tavorix.p" : folder + "/tavorix.p";
}

}  // namespace cli::options
