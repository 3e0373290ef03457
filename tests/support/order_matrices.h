#pragma once

#include <array>
#include <cmath>
#include <string>

// Rotation matrices of a heading/pitch/bank triple in any rotation order,
// multiplied out here from the three axis rotations and the order's letters,
// independently of the program's quaternions and the module's frame code.
namespace order_matrices {

using Matrix = std::array<std::array<double, 3>, 3>;

// Column vectors: heading turns about y, pitch about x, bank about z.
inline Matrix about_axis(char letter, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  switch (letter) {
    case 'H': return Matrix{{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    case 'P': return Matrix{{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
    default: return Matrix{{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
  }
}

inline Matrix product(const Matrix &a, const Matrix &b) {
  Matrix m{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
  return m;
}

// `letters` ("PHB") from the outside in: Rx(p)·Ry(h)·Rz(b) for P-H-B.
inline Matrix rotation(const std::string &letters, double heading, double pitch, double bank) {
  const auto angle = [&](char letter) { return letter == 'H' ? heading : letter == 'P' ? pitch : bank; };
  return product(
      product(about_axis(letters[0], angle(letters[0])), about_axis(letters[1], angle(letters[1]))),
      about_axis(letters[2], angle(letters[2])));
}

inline double distance(const Matrix &a, const Matrix &b) {
  double worst = 0.0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) worst = std::fmax(worst, std::fabs(a[r][c] - b[r][c]));
  return worst;
}

constexpr std::array<const char *, 6> kAllOrders = {"HPB", "HBP", "PHB", "PBH", "BHP", "BPH"};

}  // namespace order_matrices
