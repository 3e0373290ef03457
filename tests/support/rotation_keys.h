#pragma once

#include <cmath>
#include <optional>

#include "rotation/angle_triple.h"
#include "scene/scene.h"

namespace testing_support {

// Keys all three rotation channels of `item` at `time`.
inline void set_rotation_key(scene::Item &item, double time, const KeyFrame::AngleTriple &a) {
  item.envelope("Rotation.H")->create(time, a.heading);
  item.envelope("Rotation.P")->create(time, a.pitch);
  item.envelope("Rotation.B")->create(time, a.bank);
}

// The rotation keys of `item` at exactly `time`, or nothing when a channel has
// no key there.
inline std::optional<KeyFrame::AngleTriple> rotation_key(const scene::Item &item, double time) {
  const scene::Key *h = item.envelope("Rotation.H")->find(time);
  const scene::Key *p = item.envelope("Rotation.P")->find(time);
  const scene::Key *b = item.envelope("Rotation.B")->find(time);
  if (h == nullptr || p == nullptr || b == nullptr) return std::nullopt;
  return KeyFrame::AngleTriple{h->value, p->value, b->value};
}

// Largest difference between two triples, component by component.
inline double triple_distance(const KeyFrame::AngleTriple &a, const KeyFrame::AngleTriple &b) {
  return std::fmax(std::fabs(a.heading - b.heading),
                   std::fmax(std::fabs(a.pitch - b.pitch), std::fabs(a.bank - b.bank)));
}

}  // namespace testing_support
