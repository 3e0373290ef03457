#pragma once

#include <tbb/concurrent_vector.h>

#include <cstdint>

#include "keys/cache_aligned_allocator.h"
#include "module/host_interface.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_order.h"

namespace KeyFrame {

// The kinds of run. A KeyInfo gets its mode when it is made and keeps it.
enum Mode : std::int32_t {
  kModeRealTime = 0,
  kModeScan = 1,
  kModeInferior = 2,
  kModeSuperior = 3,
};

// One selected item's rotation keys at the current time. Handles belong to
// the host and are never freed here; the record is trivially copyable.
//
// Aligned to 128 bytes (its 116 bytes of fields padded to two whole cache
// lines, on the records vector's 128-byte boundaries): parallel passes write
// the angles of neighbouring records from different threads, and no two
// records share a line, nor a pair of lines fetched together.
struct alignas(128) KeyRecord {
  LWEnvelopeID heading_envelope = nullptr;
  LWEnvelopeID pitch_envelope = nullptr;
  LWEnvelopeID bank_envelope = nullptr;
  LWEnvKeyframeID heading_key = nullptr;
  LWEnvKeyframeID pitch_key = nullptr;
  LWEnvKeyframeID bank_key = nullptr;
  // Per channel the value of the key's neighbour (previous key, else next key,
  // else 0). Zero in scan mode.
  AngleTriple reference;
  // Per channel the key's own value; the corrections rewrite it in place and
  // write it back. Zero in scan mode.
  AngleTriple angles;
  // 1 where the collection had to create the key at the current time.
  std::uint8_t heading_created = 0;
  std::uint8_t pitch_created = 0;
  std::uint8_t bank_created = 0;
  LWItemID item = nullptr;
  // The item's rotation order: which channels `reference` and `angles` hold
  // in which place of the rotation (rotation_order.h). The corrections see
  // the triples through it; the triples themselves stay channel values.
  RotationOrder order = RotationOrder::kHPB;
};

// Records live in a concurrent vector: appending never moves a record.
using RecordVector = tbb::concurrent_vector<KeyRecord, CacheAlignedAllocator<KeyRecord>>;

// The working set of one run: one record per selected item, in selection
// order. A record never moves once appended.
struct KeyInfo {
  explicit KeyInfo(std::int32_t run_mode) : mode(run_mode) {}

  std::int32_t mode;
  std::uint64_t item_count = 0;
  // Real-time watcher only: rotation commands seen since the last correction.
  std::uint64_t command_counter = 0;
  RecordVector records;
  LWTime current_time = 0.0;
  // Real-time watcher only: the amounts of the triggering command, radians.
  AngleTriple rotation_offset;
};

}  // namespace KeyFrame
