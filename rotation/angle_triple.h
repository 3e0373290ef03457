#pragma once

namespace KeyFrame {

// An Euler rotation of one key: heading, pitch, bank, in that order, radians.
// Heading turns about the vertical axis, pitch about the item's right axis and
// bank about its forward axis; see rotation_frame.h for the exact convention.
struct AngleTriple {
  double heading = 0.0;
  double pitch = 0.0;
  double bank = 0.0;
};

}  // namespace KeyFrame
