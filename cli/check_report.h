#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// The report of "tavorix check": per item its rotation keys per channel and
// each flip (jump over a quarter turn, key beyond a whole turn) with its
// frames and angles; then a closing line. Returns the number of flips.
std::size_t print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                               const std::vector<ItemRotation> &items);

}  // namespace cli
