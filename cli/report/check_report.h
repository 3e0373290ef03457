#pragma once

#include <ostream>
#include <string>

#include "cli/report/modified_channels.h"
#include "cli/session/fix_run.h"
#include "motion/spins.h"

namespace cli::report {

// What "tavorix check" found in one scene.
struct CheckFindings {
  std::size_t flips = 0;          // key triples the scan rewrites
  std::size_t flipped_items = 0;  // items with at least one
  std::size_t spins = 0;          // spins the viewer sees, as the scene is
  std::size_t spins_after = 0;    // and as the scan leaves it
  std::size_t held_items = 0;     // items left out: their rotation order could not be read
  ModifiedCount modified;         // rotation channels with channel modifiers
};

// The findings of a dry run of the scan: `run` holds the chosen items'
// rotation keys as they are and as the scan leaves them.
CheckFindings count_flips(const session::FixRun &run);

// The report of "tavorix check" on one scene: per item its channel keys,
// the flips (key triples the scan rewrites, each with its frame and angles
// before and after) and, for information, the steps over a quarter turn and
// the keys beyond a whole turn that the scan keeps, the spins the viewer
// sees before and after the scan, the pitch keys the scan skips and the
// channel modifiers (modified_channels.h); then a closing line.
CheckFindings print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                                 const session::FixRun &run, const motion::RunSpins &spins);

// "spin from frame 84 to 140: turns 266.0° on its way to a pose 94.0° away".
std::string spin_text(const motion::Spin &spin, double fps);

// The one line of a scene among several: "shot.lws: 3 flips in 2 items" or
// "shot.lws: clean", followed by the count of modified rotation channels
// when there are any.
void print_check_line(std::ostream &out, const std::string &scene_path, const CheckFindings &findings);

}  // namespace cli::report
