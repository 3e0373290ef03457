#pragma once

#include <cmath>
#include <initializer_list>
#include <random>

#include "scene/envelope.h"
#include "scene/envelope_evaluation.h"

// Curves for the motion tests: keys with shapes, angles in radians, times
// in seconds.
namespace motion_testing {

constexpr double kPi = 3.141592653589793;
inline double degrees(double d) { return d * kPi / 180.0; }

struct ShapedKey {
  double time, value;
  scene::KeyShape shape;
};

inline scene::KeyShape shape_of(int span_type, std::initializer_list<double> params = {}) {
  scene::KeyShape shape;
  shape.span_type = span_type;
  int i = 0;
  for (const double p : params) shape.params[i++] = p;
  return shape;
}

inline void add_shaped_keys(scene::Envelope &envelope, std::initializer_list<ShapedKey> keys) {
  for (const ShapedKey &key : keys) envelope.set_shape(envelope.create(key.time, key.value), key.shape);
}

// The largest difference between two curves over [from, to], sampled
// `samples` times (ends included).
inline double largest_difference(const scene::CurveSampler &a, const scene::CurveSampler &b, double from,
                                 double to, int samples) {
  double largest = 0.0;
  for (int i = 0; i <= samples; ++i) {
    const double time = from + (to - from) * i / samples;
    largest = std::max(largest, std::fabs(a.at(time) - b.at(time)));
  }
  return largest;
}

}  // namespace motion_testing
