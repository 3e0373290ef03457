#pragma once

#include <cstddef>

#include "rotation/angle_triple.h"

namespace KeyFrame {

// The canonical read-back of `count` keys at once: canonical[i] is what
// read_angles(build_frame(keys[i])) gives, the solution of keys[i]'s
// orientation whose bank lies within a quarter turn, heading and pitch in
// [-π, π], no whole turns. The keys are independent of one another, so they
// are computed several to a vector register, with the sine, cosine, arcsine
// and arctangent of a vector library where the module is built with one.
//
// The frame is build_frame's: the same three plane rotations term for term
// (the signs of zero components included), each pair normalised bit for bit
// as normalize does, its square root and division replaced, for the lengths
// within a few ulps of 1 that turned unit vectors have, by the values they
// round to. The read-back's tests and formulas are read_angles' own. The
// result therefore differs from read_angles(build_frame(key)) only where the
// vector library's sine, cosine, arcsine or arctangent rounds differently
// from the C library's (each is within 1 ulp): by a few ulps, and by more
// only where the read-back is ill-conditioned (an arcsine argument within
// about 1e-8 of ±1: pitch or bank within about 1e-4 rad of a quarter turn,
// where one ulp of a frame component moves an angle by up to 1e-8 rad) or
// a branch test lies within that rounding of its threshold.
//
// No allocation, no state: any number of threads may call this at once.
// `canonical` may be `keys` itself; otherwise the two must not overlap.
void read_back_canonical(const AngleTriple *keys, AngleTriple *canonical, std::size_t count);

// One way to compute read_back_canonical, for one instruction set, and the
// elementary functions as it computes them, over arrays of `count` values
// (each result a function of its own argument alone), for the tests that
// hold them to the C library.
struct ReadBackVariant {
  const char *name;
  void (*read_back)(const AngleTriple *keys, AngleTriple *canonical, std::size_t count);
  void (*sincos)(const double *x, double *sine, double *cosine, std::size_t count);
  void (*asin)(const double *x, double *out, std::size_t count);
  void (*atan2)(const double *y, const double *x, double *out, std::size_t count);
};

// The variants built into this module that this processor can run, widest
// (fastest) first; read_back_canonical uses the first. Tests run them all.
// Sets `count` and returns the first of them.
const ReadBackVariant *runnable_read_back_variants(std::size_t &count);

}  // namespace KeyFrame
