#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cli::options {

// Runs `one` on each scene in turn and returns the exit code of the whole
// run. With one scene its failure (CliFailure) leaves as it is. With several,
// a scene that fails is reported on standard error ("tavorix: ...") and the
// run goes on with the next; the code returned is the worst of all: 3 (the
// module failed) before 2 (bad input) before 1 (flips) before 0.
int for_each_scene(const std::vector<std::string> &scene_paths,
                   const std::function<int(const std::string &)> &one);

}  // namespace cli::options
