#pragma once

#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "scene/scene.h"

namespace cli::session {

// A channel key the module moved by less than this, radians, was not
// corrected: every correction moves a value by a half or a whole turn. Such
// a move is the rounding of the module's read-back (near pitch ±90° the
// arcsine gives back 1.5707963 as 1.5707963009853283), and the orientation
// of the key moves by no more than the value does.
constexpr double kRoundingLimit = 1e-6;

// Puts back into the rotation keys of `items` every value that moved by less
// than kRoundingLimit since `before` (the same items, in that order), so the
// scene file keeps the text of that key. Returns how many were put back.
std::size_t restore_rounded_keys(const std::vector<ItemRotation> &before,
                                 const std::vector<scene::Item *> &items);

}  // namespace cli::session
