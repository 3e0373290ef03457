#pragma once

#include <cmath>

#include "motion/channel_roles.h"
#include "rotation/rotation_order.h"

namespace motion {

// An item's orientation as a unit quaternion (w, x, y, z), for measuring how
// far it turns. Heading h turns about the item's up axis (y), pitch p about
// its right axis (x), bank b about its forward axis (z), composed in the
// item's rotation order from the outside in: H-P-B, the classic order, is
// R = Ry(h)·Rx(p)·Rz(b); H-B-P is Ry(h)·Rz(b)·Rx(p).
struct Orientation {
  double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
};

inline Orientation compose(const Orientation &a, const Orientation &b) {
  return Orientation{
      a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

// `roles`: the item's rotation order as channel_roles gives it, for callers
// that sample one item many times and take the roles once.
inline Orientation orientation_of(double heading, double pitch, double bank, const ChannelRoles &roles) {
  const Orientation about[3] = {
      {std::cos(heading / 2), 0.0, std::sin(heading / 2), 0.0},
      {std::cos(pitch / 2), std::sin(pitch / 2), 0.0, 0.0},
      {std::cos(bank / 2), 0.0, 0.0, std::sin(bank / 2)},
  };
  return compose(compose(about[roles.first], about[roles.middle]), about[roles.last]);
}

inline Orientation orientation_of(double heading, double pitch, double bank, KeyFrame::RotationOrder order) {
  return orientation_of(heading, pitch, bank, channel_roles(order));
}

// The angle of the shortest rotation from `a` to `b`, in [0, π]: from the
// distance between the quaternions (of either sign), which keeps small
// angles exact where an arccosine would not.
inline double turn_between(const Orientation &a, const Orientation &b) {
  const double dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  const double s = dot < 0.0 ? -1.0 : 1.0;
  const double dw = a.w - s * b.w, dx = a.x - s * b.x, dy = a.y - s * b.y, dz = a.z - s * b.z;
  const double sw = a.w + s * b.w, sx = a.x + s * b.x, sy = a.y + s * b.y, sz = a.z + s * b.z;
  return 4.0 * std::atan2(std::sqrt(dw * dw + dx * dx + dy * dy + dz * dz),
                          std::sqrt(sw * sw + sx * sx + sy * sy + sz * sz));
}

}  // namespace motion
