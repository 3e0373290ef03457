#include "rotation/rotation_offset.h"

#include <cmath>

#include "rotation/angle_constants.h"
#include "rotation/clamped_asin.h"
#include "rotation/turn_split.h"

namespace KeyFrame {

namespace {

// The farthest a candidate may lie from the old angle for settle to bring it
// within a quarter turn.
constexpr double kSettleReach = 3.5 * kPi;

// Half-width, radians, of the zone around a quarter-turn bank (±π/2, ±3π/2) in
// which the pitch's solution is decided from right.y rather than up.y.
constexpr double kQuarterTurnBand = 1e-6;

// The dead band is tested on the offset less a half turn when it exceeds a
// quarter turn either way: settle keeps every angle within a quarter turn of
// its old value, so only that remainder of an offset can show in the result.
inline double fold_offset(double d) {
  if (d > kHalfPi) {
    return d - kPi;
  }
  if (d < -kHalfPi) {
    return d + kPi;
  }
  return d;
}

inline bool in_dead_band(double folded_offset) {
  return folded_offset > -kLiveDeadBand && folded_offset < kLiveDeadBand;
}

// The angle with the same sine on the other side of ±π/2, keeping the sign of r:
// maps an arcsine result to the solution whose cosine is negative.
inline double half_turn_fix(double r) { return r < 0.0 ? -kPi - r : kPi - r; }

// Places the candidate m (a heading or bank in [-π, π], or at the gimbal limits
// an angle up to a few turns out) within a quarter turn of the reduced old angle
// a: a half turn moves m to the other Euler solution, a whole turn changes
// nothing.
inline double settle(double m, double a) {
  const double delta = m - a;
  if (delta > kThreeHalfPi) {
    const double m2 = m - kTwoPi;
    return m2 - a > kHalfPi ? m2 - kPi : m2;
  }
  if (delta > kHalfPi) {
    return m - kPi;
  }
  if (delta < -kThreeHalfPi) {
    const double m2 = m + kTwoPi;
    return m2 - a < -kHalfPi ? m2 + kPi : m2;
  }
  if (delta < -kHalfPi) {
    return m + kPi;
  }
  return m;
}

// As settle, but the other Euler solution of a pitch m is π − m (or −π − m),
// not m ± π.
inline double settle_pitch(double m, double a) {
  const double delta = m - a;
  if (delta > kThreeHalfPi) {
    const double m2 = m - kTwoPi;
    return m2 - a > kHalfPi ? m2 - kPi : m2;
  }
  if (delta > kHalfPi) {
    return kPi - m;
  }
  if (delta < -kThreeHalfPi) {
    const double m2 = m + kTwoPi;
    return m2 - a < -kHalfPi ? m2 + kPi : m2;
  }
  if (delta < -kHalfPi) {
    return -kPi - m;
  }
  return m;
}

// At pitch -π/2, up = (-sin(h + b), 0, -cos(h + b)); at +π/2,
// up = (sin(h - b), 0, cos(h - b)). The arcsine gives the combined angle within
// a quarter turn; the sign of up.z says when it lies beyond, and the half-turn
// fix moves it there, so the result lies in [-π, π].
inline double gimbal_angle(double sine, bool beyond) {
  const double r = clamped_asin(sine);
  return beyond ? half_turn_fix(r) : r;
}

// settle brings a candidate within a quarter turn of the old angle only when
// the two are at most 7π/2 apart. At the gimbal limits the candidate is the
// combined angle (in [-π, π]) minus or plus the other channel's reduced old
// angle, so it can lie up to 5π from the old angle when both reduced old angles
// are close to a full turn of the same sign; settle would then leave it a half
// turn off, a flip of the key. Such a candidate is first moved one turn closer,
// which changes nothing else: settle's result is the same angle modulo 2π.
inline double within_settle_reach(double m, double a) {
  const double delta = m - a;
  if (delta > kSettleReach) {
    return m - kTwoPi;
  }
  if (delta < -kSettleReach) {
    return m + kTwoPi;
  }
  return m;
}

// Whether the pitch of the frame that goes with the (reduced) bank b is the
// arcsine's pitch half-turn fixed, that is, whether it has cos p < 0.
//
// up.y = cos p cos b: cos p has the sign of up.y when b lies within a quarter
// turn and the opposite sign when it lies beyond (strict bounds). Within
// kQuarterTurnBand of a quarter turn, cos b is too small for that: up.y is
// rounding noise and the bank itself, read by an arcsine near ±1, is only good
// to about 1e-7, so the two tests can disagree and pick the pitch of the other
// solution, a flip. There right.y = cos p sin b decides instead; sin b is ±1
// to well within rounding.
inline bool pitch_takes_half_turn(double b, const RotationFrame &frame) {
  const double to_plus = std::fabs(b - kHalfPi);
  const double to_minus = std::fabs(b + kHalfPi);
  const double to_plus_3 = std::fabs(b - kThreeHalfPi);
  const double to_minus_3 = std::fabs(b + kThreeHalfPi);
  if (to_plus < kQuarterTurnBand || to_minus_3 < kQuarterTurnBand) {
    return frame.right.y < 0.0;  // sin b = +1
  }
  if (to_minus < kQuarterTurnBand || to_plus_3 < kQuarterTurnBand) {
    return frame.right.y > 0.0;  // sin b = -1
  }
  const bool beyond = (kHalfPi < b && b < kThreeHalfPi) || (-kThreeHalfPi < b && b < -kHalfPi);
  const double up_y = frame.up.y;
  return (beyond && up_y >= 0.0) || (!beyond && up_y < 0.0);
}

}  // namespace

double follow_heading(double a, double d, double q, const RotationFrame &frame) {
  const Vector3 &forward = frame.forward;
  const Vector3 &up = frame.up;
  double m;
  bool combined = false;
  if (forward.y > kLiveGimbalLimit) {
    // Pitch near -π/2: the combined angle h + b, less the old bank.
    if (in_dead_band(fold_offset(d))) {
      return a;
    }
    m = gimbal_angle(-up.x, up.z > 0.0) - turn_split(q).reduced;
    combined = true;
  } else if (forward.y < -kLiveGimbalLimit) {
    // Pitch near +π/2: the combined angle h − b, plus the old bank.
    if (in_dead_band(fold_offset(d))) {
      return a;
    }
    m = gimbal_angle(up.x, up.z < 0.0) + turn_split(q).reduced;
    combined = true;
  } else if (up.y > 0.0) {
    // The heading of the solution whose bank is within a quarter turn. Close
    // to forward.z = 0 atan2 is replaced by the exact quarter turn.
    if (forward.z > kLiveDeadBand || forward.z < -kLiveDeadBand) {
      m = std::atan2(forward.x, forward.z);
    } else {
      m = forward.x < 0.0 ? -kHalfPi : kHalfPi;
    }
  } else {
    if (forward.z > kLiveDeadBand || forward.z < -kLiveDeadBand) {
      m = std::atan2(-forward.x, -forward.z);
    } else {
      m = forward.x < 0.0 ? kHalfPi : -kHalfPi;
    }
  }
  const TurnSplit old = turn_split(a);
  if (combined) {
    m = within_settle_reach(m, old.reduced);
  }
  return settle(m, old.reduced) + old.whole;
}

double follow_bank(double a, double d, double q, const RotationFrame &frame) {
  const Vector3 &forward = frame.forward;
  const Vector3 &up = frame.up;
  double m;
  bool combined = false;
  if (forward.y > kLiveGimbalLimit) {
    // Pitch near -π/2: the combined angle h + b, less the old heading.
    if (in_dead_band(fold_offset(d))) {
      return a;
    }
    m = gimbal_angle(-up.x, up.z > 0.0) - turn_split(q).reduced;
    combined = true;
  } else if (forward.y < -kLiveGimbalLimit) {
    // Pitch near +π/2: the combined angle b − h, plus the old heading.
    if (in_dead_band(fold_offset(d))) {
      return a;
    }
    m = gimbal_angle(-up.x, up.z < 0.0) + turn_split(q).reduced;
    combined = true;
  } else {
    // right.y / |cos p| = ±sin b; |forward.y| ≤ kLiveGimbalLimit keeps the
    // square root above 0.03. The bank of the solution with cos p > 0.
    m = clamped_asin(frame.right.y * (1.0 / std::sqrt(1.0 - forward.y * forward.y)));
    if (up.y < 0.0) {
      m = half_turn_fix(m);
    }
  }
  const TurnSplit old = turn_split(a);
  if (combined) {
    m = within_settle_reach(m, old.reduced);
  }
  return settle(m, old.reduced) + old.whole;
}

double follow_pitch(double a, double nb, const RotationFrame &frame) {
  double f = -clamped_asin(frame.forward.y);
  if (pitch_takes_half_turn(turn_split(nb).reduced, frame)) {
    f = half_turn_fix(f);
  }
  const TurnSplit old = turn_split(a);
  return settle_pitch(f, old.reduced) + old.whole;
}

AngleTriple apply_rotation_offset(const AngleTriple &key, const AngleTriple &offset) {
  const AngleTriple sum{key.heading + offset.heading, key.pitch + offset.pitch, key.bank + offset.bank};
  if (!std::isfinite(sum.heading) || !std::isfinite(sum.pitch) || !std::isfinite(sum.bank)) {
    return key;
  }
  const RotationFrame frame = build_frame(sum);
  AngleTriple out;
  out.heading = follow_heading(key.heading, offset.heading, key.bank, frame);
  out.bank = follow_bank(key.bank, offset.bank, key.heading, frame);
  out.pitch = follow_pitch(key.pitch, out.bank, frame);
  return out;
}

}  // namespace KeyFrame
