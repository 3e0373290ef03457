#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"

namespace cli::options {

// Which items a subcommand works on.
struct ItemChoice {
  std::vector<std::string> names;  // --select NAME, in order
  bool all = false;                // --all
};

// What is chosen when neither --select nor --all is given.
enum class DefaultChoice { kAllItems, kSceneSelection };

// The chosen items: those named (in the order given), or every item with
// `all`; otherwise every item or the scene's own selection (a JSON scene may
// carry one), as `by_default` says. Throws CliFailure (bad input) for a name
// the scene does not hold, listing the names it does hold, and when the
// default finds nothing selected.
std::vector<scene::Item *> choose_items(const scene::Scene &scene, const ItemChoice &choice,
                                        DefaultChoice by_default, const std::string &scene_path);

}  // namespace cli::options
