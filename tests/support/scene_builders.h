#pragma once

#include <string>
#include <utility>
#include <vector>

#include "scene/scene.h"
#include "rotation/angle_triple.h"

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
host::Item &add_rotating_item(host::Scene &scene, const std::string &name,
                              const std::vector<TimedRotation> &keys,
                              host::ItemKind kind = host::ItemKind::Null);

// Adds `count` items named "<prefix>0", "<prefix>1", ..., each keyed with
// `keys`, and makes them the selection in that order.
std::vector<host::Item *> add_selected_items(host::Scene &scene, int count,
                                             const std::vector<TimedRotation> &keys,
                                             const std::string &prefix = "Item");

// Creates keys (time, value) in `envelope`.
void add_keys(host::Envelope &envelope, const std::vector<std::pair<double, double>> &keys);

// The keys of `envelope` as (time, value), walked forward through the links.
std::vector<std::pair<double, double>> keys_of(const host::Envelope &envelope);
std::vector<double> key_times(const host::Envelope &envelope);

// Checks that the links of `envelope` agree with its size, first and last:
// the forward walk has strictly increasing times, the backward walk visits
// the same keys in reverse, every key is found by its own time. Returns an
// empty string when all holds, else a description of the first fault.
std::string link_fault(const host::Envelope &envelope);

}  // namespace testing_support
