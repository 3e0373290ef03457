#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "rotation/angle_triple.h"

namespace KeyFrame {

// The order in which an item's three rotation channels are applied, named by
// their letters from the outside in: H-P-B is R = Ry(H)·Rx(P)·Rz(B) (H about
// y, P about x, B about z, column vectors), the classic order and the only
// one of hosts before 2020. The values are those of the host's
// LWRotationOrder enumeration.
enum class RotationOrder : std::int32_t {
  kPHB = 0,
  kHBP = 1,
  kBPH = 2,
  kHPB = 3,
  kPBH = 4,
  kBHP = 5,
};

// The order the host reports as `value`, or nothing for a value outside the
// six known ones (an item the module must leave as it is).
constexpr std::optional<RotationOrder> rotation_order_from_value(std::int64_t value) {
  if (value < 0 || value > 5) return std::nullopt;
  return static_cast<RotationOrder>(value);
}

// "HPB", "PHB", ...: the three letters from the outside in.
constexpr std::string_view rotation_order_letters(RotationOrder order) {
  switch (order) {
    case RotationOrder::kPHB: return "PHB";
    case RotationOrder::kHBP: return "HBP";
    case RotationOrder::kBPH: return "BPH";
    case RotationOrder::kHPB: return "HPB";
    case RotationOrder::kPBH: return "PBH";
    case RotationOrder::kBHP: return "BHP";
  }
  return "";
}

// The order whose letters are `letters` ("HPB", "bph", ...: any case), or
// nothing.
constexpr std::optional<RotationOrder> rotation_order_from_letters(std::string_view letters) {
  if (letters.size() != 3) return std::nullopt;
  char upper[3] = {};
  for (int i = 0; i < 3; ++i) {
    const char c = letters[static_cast<std::size_t>(i)];
    upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  for (std::int64_t value = 0; value <= 5; ++value) {
    const std::string_view candidate = rotation_order_letters(static_cast<RotationOrder>(value));
    if (candidate == std::string_view(upper, 3)) return static_cast<RotationOrder>(value);
  }
  return std::nullopt;
}

// Every order is the classic one seen through a permutation of the axes: with
// Q sending y to the first letter's axis, x to the middle one's and z to the
// last one's, Ra(α)·Rb(β)·Rc(γ) = Q·Ry(s·α)·Rx(s·β)·Rz(s·γ)·Qᵀ, s = det Q.
// So the H-P-B kernels handle any item exactly when they are given
//   (heading, pitch, bank)' = s·(first letter's value, middle's, last's)
// and their result is mapped back the same way. s is +1 for the even
// permutations of H-P-B (H-P-B, P-B-H, B-H-P) and −1 for the odd ones. The
// mapping only moves and negates values, so it is exact, and it commutes
// with placing an angle whole turns from a reference. Continuity of heading
// and bank becomes continuity of the first and last letters' channels.

// The channel triple of an item of `order` as the H-P-B triple of the same
// rotation, up to the change of axes.
constexpr AngleTriple to_classic_order(const AngleTriple &channels, RotationOrder order) {
  const double h = channels.heading, p = channels.pitch, b = channels.bank;
  switch (order) {
    case RotationOrder::kHPB: return {h, p, b};
    case RotationOrder::kPBH: return {p, b, h};
    case RotationOrder::kBHP: return {b, h, p};
    case RotationOrder::kPHB: return {-p, -h, -b};
    case RotationOrder::kHBP: return {-h, -b, -p};
    case RotationOrder::kBPH: return {-b, -p, -h};
  }
  return channels;
}

// The inverse of to_classic_order: the channel triple (heading, pitch, bank)
// of an item of `order` from the H-P-B triple the kernels worked on.
constexpr AngleTriple from_classic_order(const AngleTriple &classic, RotationOrder order) {
  const double first = classic.heading, middle = classic.pitch, last = classic.bank;
  switch (order) {
    case RotationOrder::kHPB: return {first, middle, last};
    case RotationOrder::kPBH: return {last, first, middle};
    case RotationOrder::kBHP: return {middle, last, first};
    case RotationOrder::kPHB: return {-middle, -first, -last};
    case RotationOrder::kHBP: return {-first, -last, -middle};
    case RotationOrder::kBPH: return {-last, -middle, -first};
  }
  return classic;
}

}  // namespace KeyFrame
