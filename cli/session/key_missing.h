#pragma once

#include <string>
#include <vector>

#include "host/host.h"
#include "motion/missing_keys.h"

namespace cli::session {

// What --key-missing did to a scene's chosen items.
struct KeyMissingReport {
  std::size_t added = 0;      // keys added
  std::size_t not_added = 0;  // keys not added: beyond a channel's range with a repeating end behaviour
  std::size_t items = 0;      // items that got keys
  // The largest sampled change of any curve, and where.
  double largest_change = 0.0;  // radians
  std::string item;
  int channel = -1;
  double time = 0.0;  // seconds
};

// Adds the missing rotation keys of `items` (motion/missing_keys.h) in the
// host's scene.
KeyMissingReport add_missing_rotation_keys(const host::Host &host, const std::vector<scene::Item *> &items);

}  // namespace cli::session
