#pragma once

#include <string>
#include <utility>
#include <vector>

#include "rotation/angle_triple.h"
#include "scene/scene.h"

// Helpers for building stand-in host scenes with keys, shared by the test
// programs. Angles are radians, times seconds.
namespace testing_support {

// One rotation key of an item: its time and the heading, pitch and bank.
struct TimedRotation {
  double time = 0.0;
  KeyFrame::AngleTriple angles;
};

// Adds an item with the nine standard channels and keys its three rotation
// channels at each of `keys`.
scene::Item &add_rotating_item(scene::Scene &scene, const std::string &name,
                               const std::vector<TimedRotation> &keys,
                               scene::ItemKind kind = scene::ItemKind::Null);

// Adds `count` items named "<prefix>0", "<prefix>1", ..., each keyed with
// `keys`, and makes them the selection in that order.
std::vector<scene::Item *> add_selected_items(scene::Scene &scene, int count,
                                              const std::vector<TimedRotation> &keys,
                                              const std::string &prefix = "Item");

// Creates keys (time, value) in `envelope`.
void add_keys(scene::Envelope &envelope, const std::vector<std::pair<double, double>> &keys);

// The keys of `envelope` as (time, value), walked forward through the links.
std::vector<std::pair<double, double>> keys_of(const scene::Envelope &envelope);
std::vector<double> key_times(const scene::Envelope &envelope);

// Checks that the links of `envelope` agree with its size, first and last:
// the forward walk has strictly increasing times, the backward walk visits
// the same keys in reverse, every key is found by its own time. Returns an
// empty string when all holds, else a description of the first fault.
std::string link_fault(const scene::Envelope &envelope);

}  // namespace testing_support
