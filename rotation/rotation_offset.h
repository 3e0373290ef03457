#pragma once

#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"

namespace KeyFrame {

// The real-time read-back: composes the offset D with the key angles A (as the
// triple A + D), builds its frame and reads it back as angles close to A. For
// small offsets each angle of the result keeps A's whole turns and lies within
// a quarter turn of A's, so a key moves continuously. Near pitch ±π/2 (beyond
// kLiveGimbalLimit) the change goes to the channel whose offset is outside
// kLiveDeadBand; a channel whose offset is inside keeps its value exactly.
//
// If A + D overflows a double in some component, no orientation can be formed
// and A is returned unchanged.
AngleTriple apply_rotation_offset(const AngleTriple &key, const AngleTriple &offset);

// The new heading near the old heading a, for heading offset d, old bank q and
// the frame of the composed rotation.
double follow_heading(double a, double d, double q, const RotationFrame &frame);

// The new bank near the old bank a, for bank offset d, old heading q and the
// frame of the composed rotation.
double follow_bank(double a, double d, double q, const RotationFrame &frame);

// The new pitch near the old pitch a, consistent with the new bank nb (from
// follow_bank) and the frame of the composed rotation.
double follow_pitch(double a, double nb, const RotationFrame &frame);

}  // namespace KeyFrame
