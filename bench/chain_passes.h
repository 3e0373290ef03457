#pragma once

// The per-key benchmarks' passes over the shared random keys, as the module
// now runs its kernels: a block of keys read back at once
// (read_back_canonical), then the choice key by key. The scalar reference's
// passes (reference/reference_passes.h) take one key at a time.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "rotation/align_canonical.h"
#include "rotation/angle_triple.h"
#include "rotation/canonical_readback.h"
#include "rotation/key_kernels.h"

namespace bench_support {

// Keys per read-back block, as the scan's transform takes them.
constexpr std::size_t kChainBlock = 256;

// The scan's chain over `keys`: each key aligned to the one before it as
// already rewritten, the first to (0, 0, 0); returns the last.
inline KeyFrame::AngleTriple align_chain_in_blocks(const std::vector<KeyFrame::AngleTriple> &keys) {
  KeyFrame::AngleTriple canonical[kChainBlock];
  KeyFrame::AngleTriple previous{0, 0, 0};
  for (std::size_t block = 0; block < keys.size(); block += kChainBlock) {
    const std::size_t count = std::min(kChainBlock, keys.size() - block);
    KeyFrame::read_back_canonical(&keys[block], canonical, count);
    for (std::size_t j = 0; j < count; ++j) {
      KeyFrame::AngleTriple key;
      KeyFrame::align_canonical(previous, canonical[j], key);
      previous = key;
    }
  }
  return previous;
}

// correct_key of every key towards its reference, a block read back at once.
inline void correct_in_blocks(std::int32_t mode, const std::vector<KeyFrame::AngleTriple> &keys,
                              const std::vector<KeyFrame::AngleTriple> &references,
                              std::vector<KeyFrame::AngleTriple> &out) {
  KeyFrame::AngleTriple canonical[kChainBlock];
  for (std::size_t block = 0; block < keys.size(); block += kChainBlock) {
    const std::size_t count = std::min(kChainBlock, keys.size() - block);
    KeyFrame::read_back_canonical(&keys[block], canonical, count);
    for (std::size_t j = 0; j < count; ++j) {
      out[block + j] = keys[block + j];
      KeyFrame::correct_canonical(mode, references[block + j], canonical[j], out[block + j]);
    }
  }
}

}  // namespace bench_support
