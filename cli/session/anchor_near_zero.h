#pragma once

#include <vector>

#include "scene/scene.h"

namespace cli::session {

// The scan keeps the first key triple of each item as it is and carries the
// continuity along from there, so a first triple stored far from zero (401°)
// leaves the whole chain there. This moves each item's first key triple by
// whole turns, each angle to within half a turn of zero, which changes no
// orientation; the scan then brings the keys after it along. Only a first
// triple proper is moved: the first keys of the heading, pitch and bank
// channels at one time (a channel whose first key lies elsewhere spans to
// keys the scan does not pair, and moving it would change the motion).
// Returns the number of items whose first triple moved.
std::size_t anchor_near_zero(const std::vector<scene::Item *> &items);

}  // namespace cli::session
