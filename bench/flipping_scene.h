#pragma once

#include <cmath>
#include <string>

#include "scene/scene.h"

namespace bench_support {

constexpr double kPi = 3.141592653589793;

// A slow spin, every third key stored as its flipped twin and every fifth a
// whole turn away, so every command has work on every item. Keys every frame
// from time 0, the current time.
inline void add_selected_items(scene::Scene &scene, int items, int keys) {
  for (int i = 0; i < items; ++i) {
    scene::Item &item = scene.add_item("Item" + std::to_string(i));
    scene::Envelope *heading = item.envelope("Rotation.H");
    scene::Envelope *pitch = item.envelope("Rotation.P");
    scene::Envelope *bank = item.envelope("Rotation.B");
    for (int k = 0; k < keys; ++k) {
      double h = 0.01 * k + 0.1 * i, p = 0.5 * std::sin(0.003 * k + 0.01 * i), b = -0.02 * k;
      if (k % 3 == 1) {
        h += kPi;
        p = kPi - p;
        b += kPi;
      }
      if (k % 5 == 2) h += 2 * kPi;
      const double time = k / 30.0;
      heading->create(time, h);
      pitch->create(time, p);
      bank->create(time, b);
    }
    scene.add_to_selection(&item);
  }
}

}  // namespace bench_support
