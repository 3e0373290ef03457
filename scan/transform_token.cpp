#include "scan/transform_token.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>

#include <algorithm>
#include <cstddef>

#include "rotation/align_canonical.h"
#include "rotation/canonical_readback.h"
#include "rotation/finite_angles.h"
#include "rotation/rotation_order.h"

namespace KeyFrame {
namespace {

// Keys per read-back block: a block's canonical triples (6 KiB) are still in
// the first-level cache when the chain reaches them.
constexpr std::size_t kBlockKeys = 256;

// A token with at least two spans of this many keys after its anchor has its
// read-back split over the scheduler's threads, a span a task (some 50 µs of
// work); shorter ones run as one task, as the pipeline runs many at once.
constexpr std::size_t kSpanKeys = 4096;

// A key is aligned when it and the key before it are placeable, on their
// values as filled: the read-back pass below replaces a placeable value by
// another placeable one only, so the test gives the same answer before and
// after it.

// Overwrites values[i], begin ≤ i < end (one block at most), with its
// canonical read-back wherever key i will be aligned.
// `predecessor_placeable` is is_placeable of values[begin - 1] as filled.
void read_back_block(TokenValues &values, std::size_t begin, std::size_t end, bool predecessor_placeable) {
  AngleTriple canonical[kBlockKeys];
  read_back_canonical(&values[begin], canonical, end - begin);
  bool previous = predecessor_placeable;
  for (std::size_t i = begin; i < end; ++i) {
    const bool placeable = is_placeable(values[i]);
    if (placeable && previous) values[i] = canonical[i - begin];
    previous = placeable;
  }
}

// The read-back of values[begin, end), block by block; values[begin - 1]
// is only read.
void read_back_run(TokenValues &values, std::size_t begin, std::size_t end) {
  for (std::size_t block = begin; block < end; block += kBlockKeys) {
    read_back_block(values, block, std::min(block + kBlockKeys, end), is_placeable(values[block - 1]));
  }
}

// The chain along values[begin, end), whose aligned keys already hold their
// canonical read-back. `previous_placeable` is is_placeable of
// values[begin - 1] as filled on entry, and of values[end - 1] on return.
void align_run(TokenValues &values, std::size_t begin, std::size_t end, bool &previous_placeable) {
  for (std::size_t i = begin; i < end; ++i) {
    const bool placeable = is_placeable(values[i]);
    if (placeable && previous_placeable) align_canonical(values[i - 1], values[i], values[i]);
    previous_placeable = placeable;
  }
}

// One task: block by block, the read-back and then the chain, while the
// block is in cache.
void transform_in_blocks(TokenValues &values) {
  const std::size_t count = values.size();
  bool previous_placeable = is_placeable(values[0]);
  for (std::size_t block = 1; block < count; block += kBlockKeys) {
    const std::size_t end = std::min(block + kBlockKeys, count);
    read_back_block(values, block, end, previous_placeable);
    align_run(values, block, end, previous_placeable);
  }
}

// Spans of kSpanKeys after the anchor, read back in parallel, then the chain
// along all of them. A span's task leaves the span's first key alone (its
// predecessor belongs to another task, which may be rewriting it); the chain
// reads that key back itself when it gets there.
void transform_in_spans(TokenValues &values) {
  const std::size_t count = values.size();
  const std::size_t span_count = (count - 1 + kSpanKeys - 1) / kSpanKeys;
  auto span_begin = [](std::size_t span) { return 1 + span * kSpanKeys; };
  auto span_end = [count](std::size_t span) { return std::min(1 + (span + 1) * kSpanKeys, count); };
  tbb::parallel_for(
      tbb::blocked_range<std::size_t>(0, span_count, 1),
      [&](const tbb::blocked_range<std::size_t> &spans) {
        for (std::size_t span = spans.begin(); span != spans.end(); ++span) {
          read_back_run(values, span_begin(span) + 1, span_end(span));
        }
      },
      tbb::simple_partitioner());
  bool previous_placeable = is_placeable(values[0]);
  for (std::size_t span = 0; span < span_count; ++span) {
    const std::size_t begin = span_begin(span);
    read_back_block(values, begin, begin + 1, previous_placeable);
    align_run(values, begin, span_end(span), previous_placeable);
  }
}

}  // namespace

void transform_token(ScanToken &token) {
  TokenValues &values = token.values;
  const std::size_t count = values.size();
  if (count < 2) return;
  // The chain works in H-P-B terms: an item of another order has its values
  // seen through its order for the walk and mapped back after it. Both
  // mappings only move and negate values, so they are exact.
  const RotationOrder order = token.order;
  if (order != RotationOrder::kHPB) {
    for (AngleTriple &value : values) value = to_classic_order(value, order);
  }
  if (count - 1 >= 2 * kSpanKeys) {
    transform_in_spans(values);
  } else {
    transform_in_blocks(values);
  }
  if (order != RotationOrder::kHPB) {
    for (AngleTriple &value : values) value = from_classic_order(value, order);
  }
}

}  // namespace KeyFrame
