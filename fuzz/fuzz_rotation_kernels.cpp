// The rotation kernels fed arbitrary doubles: correct_key in every mode,
// align_key, apply_rotation_offset and nearest_turn.
//
// What must hold:
// - Finite input gives finite output, whatever the magnitudes.
// - correct_key and align_key rewrite a key into a triple of the same
//   orientation (within orientation_tolerance of the key) and place its
//   heading and bank within half a turn of the reference's.
// - apply_rotation_offset, for a small step away from the gimbal limits,
//   gives a triple of the orientation of key + offset (loosely: its
//   read-back rounds headings near a quarter turn of forward.z to the exact
//   quarter turn, which costs up to a few 1e-3 rad).
// - nearest_turn moves x by whole turns only and lands within half a turn of r.
//
// The orientation checks are restricted to magnitudes below kPreciseAngle.
// A kernel's result is a read-back in [-π, π] plus n·2π, with 2π itself
// rounded: at magnitude M the sum carries an error of a few ulps of M, and
// sin/cos of the input angle are only as good as the input's own last bit.
// Below 1e6 an ulp is about 1.2e-10, well inside the 1e-9 base tolerance;
// a few powers of ten above, the rounding alone exceeds it and no double
// triple can describe the orientation more precisely than that.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "fuzz_input.h"
#include "rotation/angle_constants.h"
#include "rotation/key_kernels.h"
#include "rotation/nearest_turn.h"
#include "rotation/rotation_offset.h"
#include "support/orientation.h"

namespace {

using KeyFrame::AngleTriple;

constexpr double kPreciseAngle = 1e6;
// nearest_turn's whole-turn check holds to rounding below this magnitude;
// beyond 2^31 turns it places by fmod instead, checked only for finiteness.
constexpr double kTurnCheckLimit = 1e9;
// apply_rotation_offset's orientation check: steps below this (about 3
// degrees, a generous interactive drag step), pitches whose |sin| stays
// below kOffsetPitchLimit (clear of the real-time gimbal limit 0.9995).
constexpr double kSmallStep = 0.05;
constexpr double kOffsetPitchLimit = 0.99;
constexpr double kOffsetTolerance = 0.01;

bool finite(const AngleTriple &a) {
  return std::isfinite(a.heading) && std::isfinite(a.pitch) && std::isfinite(a.bank);
}

bool below(const AngleTriple &a, double limit) {
  return std::fabs(a.heading) < limit && std::fabs(a.pitch) < limit && std::fabs(a.bank) < limit;
}

[[noreturn]] void fail(const char *kernel, const char *what, const AngleTriple &in, const AngleTriple &other,
                       const AngleTriple &out) {
  std::fprintf(stderr,
               "%s: %s\n  in    (%.17g, %.17g, %.17g)\n  other (%.17g, %.17g, %.17g)\n"
               "  out   (%.17g, %.17g, %.17g)\n",
               kernel, what, in.heading, in.pitch, in.bank, other.heading, other.pitch, other.bank,
               out.heading, out.pitch, out.bank);
  std::abort();
}

// Distance from v to the nearest whole number of turns, radians.
double off_whole_turns(double v) {
  return std::fabs(v - std::round(v / KeyFrame::kTwoPi) * KeyFrame::kTwoPi);
}

// A rewritten key: finite, same orientation, heading and bank placed near ref.
void check_rewritten(const char *kernel, const AngleTriple &key, const AngleTriple &ref,
                     const AngleTriple &out, double pitch_reach) {
  if (!finite(key) || !finite(ref)) return;
  if (!finite(out)) fail(kernel, "finite key and reference gave a non-finite result", key, ref, out);
  if (!below(key, kPreciseAngle) || !below(ref, kPreciseAngle)) return;
  const double tolerance = testing_support::orientation_tolerance(key);
  if (!(testing_support::frame_distance(key, out) <= tolerance)) {
    fail(kernel, "the result describes another orientation", key, ref, out);
  }
  const double reach = KeyFrame::kPi + 1e-9;
  if (!(std::fabs(out.heading - ref.heading) <= reach) || !(std::fabs(out.bank - ref.bank) <= reach)) {
    fail(kernel, "heading or bank not placed within half a turn of the reference", key, ref, out);
  }
  if (!(std::fabs(out.pitch - ref.pitch) <= pitch_reach + 1e-9)) {
    fail(kernel, "pitch placed too far from the reference", key, ref, out);
  }
}

void check_correct_key(std::int32_t mode, const AngleTriple &key, const AngleTriple &ref) {
  AngleTriple out = key;
  KeyFrame::correct_key(mode, ref, out);
  // The superior pitch is the read-back's moved one turn out, not placed near
  // the reference's pitch.
  const double pitch_reach =
      mode == KeyFrame::kSuperiorCorrection ? std::numeric_limits<double>::infinity() : KeyFrame::kPi;
  char name[32];
  std::snprintf(name, sizeof name, "correct_key(mode %d)", static_cast<int>(mode));
  check_rewritten(name, key, ref, out, pitch_reach);
}

void check_align_key(const AngleTriple &key, const AngleTriple &ref) {
  AngleTriple out = key;
  KeyFrame::align_key(ref, out);
  check_rewritten("align_key", key, ref, out, KeyFrame::kPi);
}

void check_rotation_offset(const AngleTriple &key, const AngleTriple &offset) {
  const AngleTriple out = KeyFrame::apply_rotation_offset(key, offset);
  if (!finite(key) || !finite(offset)) return;
  if (!finite(out))
    fail("apply_rotation_offset", "finite key and offset gave a non-finite result", key, offset, out);
  if (!below(key, kPreciseAngle) || !below(offset, kSmallStep)) return;
  const AngleTriple sum{key.heading + offset.heading, key.pitch + offset.pitch, key.bank + offset.bank};
  if (std::fabs(std::sin(key.pitch)) >= kOffsetPitchLimit ||
      std::fabs(std::sin(sum.pitch)) >= kOffsetPitchLimit) {
    return;
  }
  if (!(testing_support::frame_distance(sum, out) <= kOffsetTolerance)) {
    fail("apply_rotation_offset", "a small step gave another orientation than key + offset", key, offset,
         out);
  }
}

void check_nearest_turn(double x, double r) {
  const double out = KeyFrame::nearest_turn(x, r);
  const AngleTriple report{x, r, out};
  if (!std::isfinite(x) || !std::isfinite(r)) {
    // Not finite: x comes back as it is (bit for bit up to NaN payloads).
    if (!(out == x || (std::isnan(out) && std::isnan(x))))
      fail("nearest_turn", "non-finite input changed", report, {}, {});
    return;
  }
  if (!std::isfinite(out)) fail("nearest_turn", "finite input gave a non-finite result", report, {}, {});
  if (std::fabs(x) >= kTurnCheckLimit || std::fabs(r) >= kTurnCheckLimit) return;
  // Rounding of x ± n·2π: a few ulps of the largest magnitude involved.
  const double scale = std::fmax(std::fmax(std::fabs(x), std::fabs(r)), std::fabs(out)) + 1.0;
  const double rounding = 8.0 * scale * 2.220446049250313e-16;
  if (!(off_whole_turns(x - out) <= rounding))
    fail("nearest_turn", "moved by other than whole turns", report, {}, {});
  if (!(std::fabs(out - r) <= KeyFrame::kPi + rounding)) {
    fail("nearest_turn", "result not within half a turn of r", report, {}, {});
  }
}

AngleTriple triple(fuzz_input::Bytes &in) {
  AngleTriple a;
  a.heading = in.number();
  a.pitch = in.number();
  a.bank = in.number();
  return a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  fuzz_input::Bytes in(data, size);
  const std::int32_t mode = in.byte() % 4;
  const AngleTriple key = triple(in);
  const AngleTriple ref = triple(in);
  const AngleTriple offset = triple(in);
  const double x = in.number();
  const double r = in.number();

  check_correct_key(mode, key, ref);
  check_align_key(key, ref);
  check_rotation_offset(key, offset);
  check_nearest_turn(x, r);
  check_nearest_turn(key.heading, ref.heading);
  return 0;
}
