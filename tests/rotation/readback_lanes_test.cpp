// The read-back's lane arithmetic on its own, with the C library's
// functions in every lane: the frame and its normalisations, the read-back's
// tests and formulas, bit for bit those of build_frame and read_angles.
#include "rotation/readback_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "boundary_triples.h"
#include "rotation/euler_readback.h"
#include "rotation/rotation_frame.h"
#include "rotation_test_support.h"
#include "sweep_size.h"

namespace KeyFrame {
namespace {

struct LibmLanes {
  static constexpr int kWidth = 2;
  static constexpr double kQuickSincosLimit = 0.0;
  static constexpr double kHugeSincosArgument = 0.0;
  using Vec = double __attribute__((vector_size(16)));
  static void sincos(Vec x, Vec &s, Vec &c) {
    for (int j = 0; j < kWidth; ++j) {
      s[j] = std::sin(x[j]);
      c[j] = std::cos(x[j]);
    }
  }
  static Vec asin(Vec x) {
    for (int j = 0; j < kWidth; ++j) x[j] = std::asin(x[j]);
    return x;
  }
  static Vec atan2(Vec y, Vec x) {
    for (int j = 0; j < kWidth; ++j) y[j] = std::atan2(y[j], x[j]);
    return y;
  }
  static Vec sqrt(Vec x) {
    for (int j = 0; j < kWidth; ++j) x[j] = std::sqrt(x[j]);
    return x;
  }
  template <typename Mask>
  static bool all(Mask mask) {
    return mask[0] != 0 && mask[1] != 0;
  }
};

using Vec = LibmLanes::Vec;

bool same_bits(const Vector3 &a, const Vector3 &b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same_bits(const AngleTriple &a, const AngleTriple &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Two vectors normalised in one call's lanes, against normalize one by one.
void expect_normalized_alike(const Vector3 &a, const Vector3 &b) {
  lanes::Vec3<LibmLanes> v{Vec{a.x, b.x}, Vec{a.y, b.y}, Vec{a.z, b.z}};
  lanes::normalize<LibmLanes>(v);
  Vector3 expected_a = a, expected_b = b;
  normalize(expected_a);
  normalize(expected_b);
  const Vector3 got_a{v.x[0], v.y[0], v.z[0]}, got_b{v.x[1], v.y[1], v.z[1]};
  ASSERT_TRUE(same_bits(got_a, expected_a) || (std::isnan(got_a.x) && std::isnan(expected_a.x)))
      << std::hexfloat << a.x << " " << a.y << " " << a.z;
  ASSERT_TRUE(same_bits(got_b, expected_b) || (std::isnan(got_b.x) && std::isnan(expected_b.x)))
      << std::hexfloat << b.x << " " << b.y << " " << b.z;
}

// Every squared length within 2^-33 of 1 (x from 2^20 ulps below 1 to 2^19
// above, y filling in between), random near-unit vectors, and lengths far
// from 1 (normalize's own path): tiny ones, which become zero, and NaN.
TEST(ReadBackLanes, NormalizeIsTheScalarOneBitForBit) {
  double below = 1.0, above = 1.0;
  for (int k = 0; k < (1 << 20); ++k) {
    below = std::nextafter(below, 0.0);
    if (k < (1 << 19)) above = std::nextafter(above, 2.0);
    expect_normalized_alike({below, 0.0, 0.0}, {0.0, above, 1e-9 * (k % 7)});
  }
  test::AngleSource source(91);
  for (int i = 0; i < test::sweep_cases(500000); ++i) {
    const double t = source.uniform(-kPi, kPi), u = source.uniform(-kPi, kPi);
    const double scale = 1.0 + source.uniform(-0x1p-33, 0x1p-33);
    expect_normalized_alike(
        {std::cos(t) * scale, std::sin(t) * std::cos(u) * scale, std::sin(t) * std::sin(u)},
        {std::sin(u), std::cos(u) * std::cos(t), std::cos(u) * std::sin(t) * scale});
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  expect_normalized_alike({1e-8, 0.0, 0.0}, {3.0, 0.0, 4.0});
  expect_normalized_alike({0.0, 0.0, 0.0}, {nan, 1.0, 0.0});
  expect_normalized_alike({1.0, 0.0, 0.0}, {2.0, 0.0, 0.0});
}

// With the C library's functions the lanes compute build_frame and
// read_angles exactly: every frame component, zero signs included, and every
// branch. Random and boundary triples, and every quarter turn.
TEST(ReadBackLanes, WithTheCLibraryTheyAreTheScalarReadBackBitForBit) {
  test::AngleSource random(92);
  test::BoundaryTriples boundary(93);
  std::vector<AngleTriple> keys;
  for (int i = 0; i < test::sweep_cases(300000); ++i) keys.push_back(random.triple());
  for (int i = 0; i < test::sweep_cases(300000); ++i) keys.push_back(boundary.next());
  for (int h = -4; h <= 4; ++h) {
    for (int p = -4; p <= 4; ++p) {
      for (int b = -4; b <= 4; ++b) keys.push_back({h * kHalfPi, p * kHalfPi, b * kHalfPi});
    }
  }
  std::vector<AngleTriple> canonical(keys.size());
  lanes::read_back_keys<LibmLanes>(keys.data(), canonical.data(), keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const AngleTriple expected = read_angles(build_frame(keys[i]));
    ASSERT_TRUE(same_bits(canonical[i], expected) ||
                (!test::is_finite(expected) && !test::is_finite(canonical[i])))
        << "key " << keys[i] << ": " << canonical[i] << " vs " << expected;
  }
}

}  // namespace
}  // namespace KeyFrame
