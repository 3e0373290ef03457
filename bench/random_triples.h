#pragma once

#include <cstddef>
#include <random>
#include <vector>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"

namespace bench_support {

// Inputs of the per-call benchmarks, cycled through so that no call sees the
// same triple as the one before.
constexpr std::size_t kInputs = 4096;  // a power of two: indices wrap with a mask

// kInputs triples with every angle uniform in [-spread, spread], fixed seed.
inline std::vector<KeyFrame::AngleTriple> random_triples(unsigned seed, double spread) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> angle(-spread, spread);
  std::vector<KeyFrame::AngleTriple> out(kInputs);
  for (KeyFrame::AngleTriple &a : out) a = {angle(rng), angle(rng), angle(rng)};
  return out;
}

// The keys every per-key benchmark runs over (angles within two turns) and
// the references they are placed against (within three), made once.
inline const std::vector<KeyFrame::AngleTriple> &random_keys() {
  static const std::vector<KeyFrame::AngleTriple> k = random_triples(1, 2 * KeyFrame::kTwoPi);
  return k;
}

inline const std::vector<KeyFrame::AngleTriple> &random_references() {
  static const std::vector<KeyFrame::AngleTriple> r = random_triples(2, 3 * KeyFrame::kTwoPi);
  return r;
}

}  // namespace bench_support
