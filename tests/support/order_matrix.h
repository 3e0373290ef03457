#pragma once

#include <array>
#include <cmath>
#include <string>

#include "rotation/angle_triple.h"

namespace testing_support {

// Rotation matrices of channel triples in any rotation order, built as the
// plain product of three axis rotations, independently of the module's frame
// code and of its order mapping: H turns about y, P about x, B about z, and
// the order's letters name the factors from the left, so "HPB" is
// Ry(H)·Rx(P)·Rz(B) and "PHB" is Rx(P)·Ry(H)·Rz(B).
using Matrix = std::array<std::array<double, 3>, 3>;

// The six orders as the host numbers them (LWRotationOrder).
inline const std::array<std::string, 6> kOrderLetters = {"PHB", "HBP", "BPH", "HPB", "PBH", "BHP"};

inline Matrix axis_rotation(char letter, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  switch (letter) {
    case 'H':  // about y
      return Matrix{{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    case 'P':  // about x
      return Matrix{{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
    default:  // 'B', about z
      return Matrix{{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
  }
}

inline Matrix product(const Matrix &a, const Matrix &b) {
  Matrix m{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
  return m;
}

// The channel value a letter names.
inline double &channel(KeyFrame::AngleTriple &a, char letter) {
  return letter == 'H' ? a.heading : letter == 'P' ? a.pitch : a.bank;
}
inline double channel(const KeyFrame::AngleTriple &a, char letter) {
  return letter == 'H' ? a.heading : letter == 'P' ? a.pitch : a.bank;
}

inline Matrix order_matrix(const std::string &letters, const KeyFrame::AngleTriple &a) {
  Matrix m = axis_rotation(letters[0], channel(a, letters[0]));
  m = product(m, axis_rotation(letters[1], channel(a, letters[1])));
  return product(m, axis_rotation(letters[2], channel(a, letters[2])));
}
inline Matrix order_matrix(const std::string &letters, double heading, double pitch, double bank) {
  return order_matrix(letters, KeyFrame::AngleTriple{heading, pitch, bank});
}

// Largest difference between two matrices, element by element.
inline double matrix_distance(const Matrix &a, const Matrix &b) {
  double worst = 0.0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) worst = std::fmax(worst, std::fabs(a[r][c] - b[r][c]));
  return worst;
}

// Largest difference between the matrices of two triples in one order.
inline double order_matrix_distance(const std::string &letters, const KeyFrame::AngleTriple &a,
                                    const KeyFrame::AngleTriple &b) {
  return matrix_distance(order_matrix(letters, a), order_matrix(letters, b));
}

// The other triple of the same orientation in the order: the first and last
// letters' channels half a turn on, the middle one's π − x.
inline KeyFrame::AngleTriple other_triple(const std::string &letters, KeyFrame::AngleTriple a) {
  constexpr double kPi = 3.141592653589793;
  channel(a, letters[0]) += kPi;
  channel(a, letters[1]) = kPi - channel(a, letters[1]);
  channel(a, letters[2]) += kPi;
  return a;
}

}  // namespace testing_support
