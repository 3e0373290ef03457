#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// The report of "tavorix check": per item its rotation keys per channel, its
// jumps over a quarter turn (flips and large turns, see flip_finder.h) and
// keys beyond a whole turn, each with frames and angles; then a closing
// line. Returns the number of flips.
std::size_t print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                               const std::vector<ItemRotation> &items);

}  // namespace cli
