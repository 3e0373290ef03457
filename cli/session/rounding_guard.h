#pragma once

#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "scene/rounding.h"
#include "scene/scene.h"

namespace cli::session {

// Puts back into the rotation keys of `items` every value that moved only by
// the module's rounding (scene::only_module_rounding) since `before` (the
// same items, in that order), so that the scene holds what the file says.
// Returns how many were put back.
std::size_t restore_rounded_keys(const std::vector<ItemRotation> &before,
                                 const std::vector<scene::Item *> &items);

}  // namespace cli::session
