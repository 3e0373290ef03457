#pragma once

// The canonical read-back of one vector of keys, one key per lane: the body
// of read_back_canonical (canonical_readback.h) for every instruction set.
//
// Included only by the files of rotation/readback_isa/, each compiled for its
// own instruction set. Everything here is a template on that file's
// instruction-set type `Isa`, which each file defines in an anonymous
// namespace, so every instantiation is local to the file that makes it: the
// linker can never take a copy compiled for a wider instruction set in place
// of a narrower one's. For the same reason nothing here calls or constructs
// anything that the linker merges across files (inline functions and
// templates of the standard library, AngleTriple's constructor): only
// operators on vector types, member access, and the Isa's own functions.
//
// `Isa` provides:
//   kWidth                 lanes per vector
//   Vec                    kWidth doubles, double __attribute__((vector_size(8 * kWidth)))
//   sincos(x, s, c)        sine and cosine of every lane, within 1 ulp
//   kQuickSincosLimit, kHugeSincosArgument
//                          0, or the magnitudes where sincos switches the way it
//                          reduces a whole vector (see sincos_by_lane)
//   asin(x), atan2(y, x)   within 1 ulp; atan2 takes the ordinate first, result in [-π, π]
//   sqrt(x)                correctly rounded
//   all(mask)              whether every lane of a comparison's result is set
// The files compile this arithmetic without contraction into fused
// multiply-adds, so it rounds alike on every instruction set.

#include <cstddef>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"

namespace KeyFrame {
namespace lanes {

template <class Isa>
struct Vec3 {
  typename Isa::Vec x, y, z;
};

// normalize of rotation_frame.h, bit for bit, without its square root and
// division: a vector that sine and cosine pairs have turned is of unit length
// to within a few ulps, and for n = x² + y² + z² that close to 1 the two
// correctly rounded operations of 1/√n give
//   n = 1 + k·2^-52 (k ≥ 0):  √n → 1 + ⌊k/2⌋·2^-52,  1/√n → 1 − ⌊k/2⌋·2^-52;
//   n = 1 − j·2^-53 (j > 0):  √n → 1 − ⌈j/2⌉·2^-53,  1/√n → 1 + ⌈j/4⌉·2^-52
// (the second-order terms lie far inside half an ulp while |n − 1| < 2^-36;
// the tests compare every n within 2^-33 of 1). With d = n − 1 (exact) the
// two are 1 ∓ (d/2 rounded down, resp. −d/2 rounded up, to a multiple of
// 2^-52), rounded by adding 1.5, which puts them where doubles are 2^-52
// apart; the offsets below make those roundings the floor and the ceiling.
// Other lengths (none occur: a NaN angle gives a NaN frame, which the
// formulas carry through as normalize does) take normalize's own path.
template <class Isa>
inline void normalize(Vec3<Isa> &v) {
  using Vec = typename Isa::Vec;
  const Vec zero{};
  const Vec one = zero + 1.0;
  const Vec xx = v.x * v.x;
  const Vec yy = v.y * v.y;
  const Vec zz = v.z * v.z;
  const Vec n = xx + yy + zz;
  const Vec d = n - one;
  const Vec above_one = (zero + 2.5) - (d * 0.5 - 0x1p-54 + 1.5);
  const Vec below_one = (d * -0.5 + 0x1.8p-54 + 1.5) - 0.5;
  Vec inverse_length = d >= zero ? above_one : below_one;
  const auto near_one = (d < zero + 0x1p-36) & (d > zero - 0x1p-36);
  if (!Isa::all(near_one | (n != n))) {
    const Vec tolerance = zero + kZeroTolerance;
    const auto tiny = (xx > -tolerance) & (xx < tolerance) & (yy > -tolerance) & (yy < tolerance) &
                      (zz > -tolerance) & (zz < tolerance);
    inverse_length = near_one ? inverse_length : one / Isa::sqrt(n);
    v.x = tiny ? zero : v.x;
    v.y = tiny ? zero : v.y;
    v.z = tiny ? zero : v.z;
    inverse_length = tiny ? one : inverse_length;
  }
  v.x *= inverse_length;
  v.y *= inverse_length;
  v.z *= inverse_length;
}

// turn_pair of rotation_frame.cpp: a ← a·c + b·s and b ← b·c − a·s, both from
// the old pair, then a and then b normalised. The full vector arithmetic is
// kept, zero components included, so that even the signs of zero components
// are those of build_frame (atan2 below sees them).
template <class Isa>
inline void turn_pair(Vec3<Isa> &a, Vec3<Isa> &b, typename Isa::Vec c, typename Isa::Vec s) {
  const Vec3<Isa> new_a{a.x * c + b.x * s, a.y * c + b.y * s, a.z * c + b.z * s};
  const Vec3<Isa> new_b{b.x * c - a.x * s, b.y * c - a.y * s, b.z * c - a.z * s};
  a = new_a;
  b = new_b;
  normalize<Isa>(a);
  normalize<Isa>(b);
}

// Isa::sincos, each lane's result a function of that lane's value alone.
// SLEEF's sine and cosine reduce the whole vector one of three ways: quickly
// when every lane lies below kQuickSincosLimit (15), the usual way when every
// lane lies below kHugeSincosArgument (1e14), and by the method for huge
// arguments otherwise (infinities and NaN included). The three can round a
// lane's result differently in its last bit (a lane in a hundred beside a
// huge one, and values such as the double just below −π beside a lane above
// 15), so a key's read-back would depend on the keys beside it in its vector,
// and on how a pass happens to group them. A vector that mixes the three
// kinds of lanes is computed again, once for the quick lanes with the others
// set to 0 and once for the usual ones beside huge ones with the others set
// to 15, and each lane takes the result of its own kind.
template <class Isa>
inline void sincos_by_lane(typename Isa::Vec x, typename Isa::Vec &s, typename Isa::Vec &c) {
  using Vec = typename Isa::Vec;
  Isa::sincos(x, s, c);
  if (Isa::kQuickSincosLimit == 0.0) return;
  const Vec zero{};
  const Vec quick_limit = zero + Isa::kQuickSincosLimit;
  const Vec huge_limit = zero + Isa::kHugeSincosArgument;
  const auto quick = (x < quick_limit) & (x > -quick_limit);
  if (Isa::all(quick)) return;
  const auto huge = ~((x < huge_limit) & (x > -huge_limit));
  if (!Isa::all(~quick)) {
    Vec quick_s, quick_c;
    Isa::sincos(quick ? x : zero, quick_s, quick_c);
    s = quick ? quick_s : s;
    c = quick ? quick_c : c;
  }
  const auto usual = ~quick & ~huge;
  if (!Isa::all(~huge) && !Isa::all(~usual)) {
    Vec usual_s, usual_c;
    Isa::sincos(usual ? x : quick_limit, usual_s, usual_c);
    s = usual ? usual_s : s;
    c = usual ? usual_c : c;
  }
}

// clamped_asin's clamp: into [-1, 1], NaN kept.
template <class Isa>
inline typename Isa::Vec clamp_unit(typename Isa::Vec x) {
  using Vec = typename Isa::Vec;
  const Vec one = Vec{} + 1.0;
  const Vec minus_one = Vec{} - 1.0;
  x = x > one ? one : x;
  return x < minus_one ? minus_one : x;
}

// read_angles(build_frame(k)) for the first `lanes` keys (at most kWidth);
// unused lanes compute the identity and are not stored.
template <class Isa>
inline void read_back_vector(const AngleTriple *keys, AngleTriple *canonical, std::size_t lanes) {
  using Vec = typename Isa::Vec;
  const Vec zero{};
  const Vec one = zero + 1.0;
  Vec h = zero, p = zero, b = zero;
  for (std::size_t j = 0; j < lanes; ++j) {
    h[j] = keys[j].heading;
    p[j] = keys[j].pitch;
    b[j] = keys[j].bank;
  }
  Vec sin_h, cos_h, sin_p, cos_p, sin_b, cos_b;
  sincos_by_lane<Isa>(h, sin_h, cos_h);
  sincos_by_lane<Isa>(p, sin_p, cos_p);
  sincos_by_lane<Isa>(b, sin_b, cos_b);

  // build_frame: the identity frame turned by heading, pitch and bank.
  Vec3<Isa> forward{zero, zero, one};
  Vec3<Isa> up{zero, one, zero};
  Vec3<Isa> right{one, zero, zero};
  turn_pair<Isa>(forward, right, cos_h, sin_h);
  turn_pair<Isa>(forward, up, cos_p, -sin_p);
  turn_pair<Isa>(up, right, cos_b, -sin_b);

  // read_heading: the combined angle at the gimbal limits, else the heading
  // of the solution whose bank is within a quarter turn.
  const Vec gimbal_limit = zero + kBatchGimbalLimit;
  const Vec minus_zero_tolerance = zero - kZeroTolerance;
  const auto pitch_down = forward.y > gimbal_limit;
  const auto pitch_up = forward.y < -gimbal_limit;
  const auto up_down = up.y <= minus_zero_tolerance;
  const Vec atan_y = pitch_down ? -up.x : (pitch_up ? up.x : forward.x);
  const Vec atan_x = pitch_down ? -up.z : (pitch_up ? up.z : (up_down ? -forward.z : forward.z));
  const Vec angle = Isa::atan2(atan_y, atan_x);
  const auto heading_negated = up_down & ~(pitch_down | pitch_up);
  const Vec heading = heading_negated ? -angle : angle;

  // read_angles' pitch: -arcsine(forward.y), moved to π − p (on p's side of
  // zero) when up.y is negative.
  const Vec pitch_asin = -Isa::asin(clamp_unit<Isa>(forward.y));
  const Vec pi = zero + kPi;
  const Vec pitch_beyond = pitch_asin <= minus_zero_tolerance ? -pi - pitch_asin : pi - pitch_asin;
  const Vec pitch = up_down ? pitch_beyond : pitch_asin;

  // read_angles' bank: arcsine(right.y · (1/√s)) with s = cos² p taken as
  // forward.x² + forward.z², negated when up.y is negative, 0 where s is
  // within the zero test or past the gimbal limit, where the heading holds
  // the bank (the lanes there take the square root of 1 instead, and their
  // result is unused).
  const Vec s = forward.x * forward.x + forward.z * forward.z;
  const auto has_bank = (s > zero + kZeroTolerance) & ~(pitch_down | pitch_up);
  const Vec root = Isa::sqrt(has_bank ? s : one);
  const Vec bank_asin = Isa::asin(clamp_unit<Isa>(right.y * (one / root)));
  const Vec bank = has_bank ? (up_down ? -bank_asin : bank_asin) : zero;

  for (std::size_t j = 0; j < lanes; ++j) {
    canonical[j].heading = heading[j];
    canonical[j].pitch = pitch[j];
    canonical[j].bank = bank[j];
  }
}

// read_back_canonical of `count` keys, kWidth at a time. Each vector reads
// all its keys before it writes, so `canonical` may be `keys`.
template <class Isa>
inline void read_back_keys(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  constexpr std::size_t kWidth = Isa::kWidth;
  std::size_t i = 0;
  for (; i + kWidth <= count; i += kWidth) read_back_vector<Isa>(keys + i, canonical + i, kWidth);
  if (i < count) read_back_vector<Isa>(keys + i, canonical + i, count - i);
}

// The elementary functions as the read-back takes them, over arrays, kWidth
// values at a time; a part-filled last vector computes 0 in its unused lanes.
template <class Isa>
inline typename Isa::Vec load_lanes(const double *x, std::size_t lanes) {
  typename Isa::Vec v{};
  for (std::size_t j = 0; j < lanes; ++j) v[j] = x[j];
  return v;
}

template <class Isa>
inline void store_lanes(typename Isa::Vec v, double *out, std::size_t lanes) {
  for (std::size_t j = 0; j < lanes; ++j) out[j] = v[j];
}

template <class Isa>
inline void sincos_values(const double *x, double *sine, double *cosine, std::size_t count) {
  constexpr std::size_t kWidth = Isa::kWidth;
  for (std::size_t i = 0; i < count; i += kWidth) {
    const std::size_t lanes = count - i < kWidth ? count - i : kWidth;
    typename Isa::Vec s, c;
    sincos_by_lane<Isa>(load_lanes<Isa>(x + i, lanes), s, c);
    store_lanes<Isa>(s, sine + i, lanes);
    store_lanes<Isa>(c, cosine + i, lanes);
  }
}

template <class Isa>
inline void asin_values(const double *x, double *out, std::size_t count) {
  constexpr std::size_t kWidth = Isa::kWidth;
  for (std::size_t i = 0; i < count; i += kWidth) {
    const std::size_t lanes = count - i < kWidth ? count - i : kWidth;
    store_lanes<Isa>(Isa::asin(load_lanes<Isa>(x + i, lanes)), out + i, lanes);
  }
}

template <class Isa>
inline void atan2_values(const double *y, const double *x, double *out, std::size_t count) {
  constexpr std::size_t kWidth = Isa::kWidth;
  for (std::size_t i = 0; i < count; i += kWidth) {
    const std::size_t lanes = count - i < kWidth ? count - i : kWidth;
    store_lanes<Isa>(Isa::atan2(load_lanes<Isa>(y + i, lanes), load_lanes<Isa>(x + i, lanes)), out + i,
                     lanes);
  }
}

}  // namespace lanes
}  // namespace KeyFrame
