#include "rotation/rotation_frame.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "rotation_test_support.h"

namespace KeyFrame {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix multiply(const Matrix &a, const Matrix &b) {
  Matrix m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) {
        m[i][j] += a[i][k] * b[k][j];
      }
    }
  }
  return m;
}

// The frame as columns of Ry(h)·Rx(p)·Rz(b), right-hand-rule axis rotations in
// (x right, y up, z forward): an independent statement of the convention.
RotationFrame frame_from_matrices(const AngleTriple &a) {
  const double ch = std::cos(a.heading), sh = std::sin(a.heading);
  const double cp = std::cos(a.pitch), sp = std::sin(a.pitch);
  const double cb = std::cos(a.bank), sb = std::sin(a.bank);
  const Matrix ry{{{ch, 0, sh}, {0, 1, 0}, {-sh, 0, ch}}};
  const Matrix rx{{{1, 0, 0}, {0, cp, -sp}, {0, sp, cp}}};
  const Matrix rz{{{cb, -sb, 0}, {sb, cb, 0}, {0, 0, 1}}};
  const Matrix r = multiply(multiply(ry, rx), rz);
  RotationFrame f;
  f.right = {r[0][0], r[1][0], r[2][0]};
  f.up = {r[0][1], r[1][1], r[2][1]};
  f.forward = {r[0][2], r[1][2], r[2][2]};
  return f;
}

TEST(Normalize, ScalesToUnitLengthOrZeroesNoise) {
  struct Case {
    Vector3 in;
    Vector3 out;
  };
  // Zero test on the squares: below 1e-14 each, the vector is noise.
  const Case cases[] = {
      {{1e-8, 0, 0}, {0, 0, 0}},   {{3, 0, 4}, {0.6, 0, 0.8}}, {{0, 0.9e-7, 0}, {0, 0, 0}},
      {{0, 0, 1.1e-7}, {0, 0, 1}}, {{-2, 0, 0}, {-1, 0, 0}},
  };
  for (const Case &c : cases) {
    Vector3 v = c.in;
    normalize(v);
    EXPECT_NEAR(v.x, c.out.x, 1e-15);
    EXPECT_NEAR(v.y, c.out.y, 1e-15);
    EXPECT_NEAR(v.z, c.out.z, 1e-15);
  }
}

TEST(BuildFrame, ZeroAnglesGiveTheIdentityFrame) {
  const RotationFrame f = build_frame({0, 0, 0});
  EXPECT_EQ(test::frame_distance(f, RotationFrame{}), 0.0);
}

TEST(BuildFrame, EqualsProductOfAxisRotationsAndBothEulerSolutions) {
  test::AngleSource source(1);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const AngleTriple a = source.triple();
    const RotationFrame f = build_frame(a);
    ASSERT_LT(test::frame_distance(f, frame_from_matrices(a)), 1e-12) << a;
    const AngleTriple other{a.heading + kPi, kPi - a.pitch, a.bank + kPi};
    ASSERT_LT(test::frame_distance(f, build_frame(other)), 1e-12) << a;
  }
}

}  // namespace
}  // namespace KeyFrame
