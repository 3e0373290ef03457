#include "cli/options/several_scenes.h"

#include <algorithm>
#include <iostream>

#include "cli/options/cli_failure.h"

namespace cli::options {

int for_each_scene(const std::vector<std::string> &scene_paths,
                   const std::function<int(const std::string &)> &one) {
  if (scene_paths.size() == 1) return one(scene_paths.front());
  int worst = kExitOk;
  for (const std::string &scene_path : scene_paths) {
    int code = kExitOk;
    try {
      code = one(scene_path);
    } catch (const CliFailure &failure) {
      std::cout.flush();
      std::cerr << "tavorix: " << failure.what() << '\n';
      code = failure.code();
    }
    worst = std::max(worst, code);
  }
  return worst;
}

}  // namespace cli::options
