#include "cli/commands/demo_scene.h"

#include <array>
#include <cmath>
#include <functional>
#include <set>

#include "scene/rotation_channels.h"
#include "text/frame_time.h"

namespace cli::commands {
namespace {

using scene::kHalfTurn;
constexpr double kFps = 30.0;
constexpr int kLastFrame = 120;
constexpr int kFramesBetweenKeys = 4;

double radians(double degrees) { return degrees * (kHalfTurn / 180.0); }

// Into (-π, π], as a bake that reads angles back from matrices leaves them.
double wrapped(double angle) {
  const double turns = std::ceil((angle - kHalfTurn) / (2 * kHalfTurn));
  return angle - turns * 2 * kHalfTurn;
}

using Triple = std::array<double, 3>;

// The other Euler triple of the same orientation.
Triple other_triple(const Triple &a) { return {a[0] + kHalfTurn, kHalfTurn - a[1], a[2] + kHalfTurn}; }

// Keys the item's heading, pitch and bank at every key frame with what
// `stored` gives for s = frame / last frame (0..1).
void key_item(scene::Item &item, const std::function<Triple(int key_index, double s)> &stored) {
  for (int frame = 0, index = 0; frame <= kLastFrame; frame += kFramesBetweenKeys, ++index) {
    const Triple angles = stored(index, static_cast<double>(frame) / kLastFrame);
    const double time = text::frame_time(frame, kFps);
    item.envelope(scene::kRotationChannelNames[0])->create(time, angles[0]);
    item.envelope(scene::kRotationChannelNames[1])->create(time, angles[1]);
    item.envelope(scene::kRotationChannelNames[2])->create(time, angles[2]);
  }
}

}  // namespace

void build_demo_scene(scene::Scene &scene) {
  scene.set_frames_per_second(kFps);
  scene.set_current_time(0.0);

  scene::Item &turntable = scene.add_item("Turntable", scene::ItemKind::Null);
  key_item(turntable, [](int index, double s) {
    const double heading = radians(330.0 * s);
    const double stored_heading = index == 5 ? heading + 2 * kHalfTurn : wrapped(heading);
    return Triple{stored_heading, radians(10.0 * std::sin(2 * kHalfTurn * s)),
                  radians(5.0 * std::sin(4 * kHalfTurn * s))};
  });

  scene::Item &camera = scene.add_item("Camera", scene::ItemKind::Camera);
  const std::set<int> flipped_camera_keys = {7, 8, 19};
  key_item(camera, [&](int index, double s) {
    const Triple angles = {radians(-40.0 + 100.0 * s), radians(15.0 - 30.0 * s),
                           radians(6.0 * std::sin(2 * kHalfTurn * s))};
    if (flipped_camera_keys.count(index) == 0) return angles;
    const Triple other = other_triple(angles);
    return Triple{wrapped(other[0]), wrapped(other[1]), wrapped(other[2])};
  });

  scene::Item &flyer = scene.add_item("Flyer", scene::ItemKind::Null);
  key_item(flyer, [](int, double s) {
    const Triple angles = {radians(20.0 + 30.0 * s), radians(110.0 * std::sin(kHalfTurn * s)),
                           radians(10.0 * s)};
    if (angles[1] <= kHalfTurn / 2) return angles;
    const Triple other = other_triple(angles);
    return Triple{wrapped(other[0]), other[1], wrapped(other[2])};
  });

  scene::Item &lamp = scene.add_item("Lamp", scene::ItemKind::Light);
  lamp.envelope(scene::kRotationChannelNames[0])->create(0.0, radians(200.0));
  lamp.envelope(scene::kRotationChannelNames[1])->create(0.0, radians(-35.0));
  lamp.envelope(scene::kRotationChannelNames[2])->create(0.0, 0.0);

  scene.select({&turntable, &camera, &flyer, &lamp});
}

}  // namespace cli::commands
