#pragma once

#include <vector>

#include "keys/cache_aligned_allocator.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_order.h"
#include "scan/key_triple.h"

namespace KeyFrame {

// Plain vectors: a token is only ever in one stage at a time, so nothing is
// shared, and the fill reserves its exact size before appending, so they
// never reallocate.
using TokenKeys = std::vector<KeyTriple, CacheAlignedAllocator<KeyTriple>>;
using TokenValues = std::vector<AngleTriple, CacheAlignedAllocator<AngleTriple>>;

// One item's part of a scan: its key triples in time order of their pitch
// keys and, at the same index, their values. Element 0 is the anchor (read,
// never rewritten or written); the scan rewrites elements 1 onward. A token
// is filled once (input stage), its values rewritten (transform stage) and
// written back (output stage); it is never cleared or reused.
//
// Aligned to two cache lines: neighbouring tokens of the array are handled by
// different stages on different threads at the same moment, and their
// vectors' size counters must not share a line.
struct alignas(128) ScanToken {
  TokenKeys keys;
  TokenValues values;
  // The item's rotation order; `values` are channel values (heading, pitch,
  // bank) whatever it is.
  RotationOrder order = RotationOrder::kHPB;
};

}  // namespace KeyFrame
