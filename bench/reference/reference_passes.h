#pragma once

// Today's scalar kernels (reference_kernels.h) as the module's passes ran
// them, one key at a time, compiled out of line with the flags the module's
// rotation code had, so that the benchmarks time them as the module ran them.

#include <cstddef>
#include <cstdint>

#include "keys/key_info.h"
#include "rotation/angle_triple.h"

namespace scalar_reference {

// Each of `count` keys aligned (align_key) to the one before it as already
// rewritten, the first to (0, 0, 0); returns the last. `keys` is only read.
KeyFrame::AngleTriple align_chain_from_zero(const KeyFrame::AngleTriple *keys, std::size_t count);

// The scan's transform of one item's values (align_chain).
void align_chain_in_place(KeyFrame::AngleTriple *values, std::size_t count);

// correct_key of key i towards reference i, into out[i].
void correct_keys(std::int32_t mode, const KeyFrame::AngleTriple *keys,
                  const KeyFrame::AngleTriple *references, std::size_t count, KeyFrame::AngleTriple *out);

// The batch pass's in-memory half: records [begin, end) corrected in index
// order, damaged ones left alone.
void correct_records(KeyFrame::KeyInfo *info, std::uint64_t begin, std::uint64_t end);

}  // namespace scalar_reference
