#include "batch/correct_angle_batch.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>

#include <algorithm>
#include <cstddef>

#include "module/host_services.h"
#include "rotation/canonical_readback.h"
#include "rotation/finite_angles.h"
#include "rotation/key_kernels.h"
#include "rotation/rotation_order.h"

namespace KeyFrame {
namespace {

// Records per read-back block: their angles and canonical triples (3 KiB)
// stay in the first-level cache between the read-back and the choice.
constexpr std::uint64_t kBlockRecords = 64;

}  // namespace

void correct_records(KeyInfo *info, std::uint64_t begin, std::uint64_t end) {
  AngleTriple angles[kBlockRecords];
  AngleTriple canonical[kBlockRecords];
  for (std::uint64_t block = begin; block < end; block += kBlockRecords) {
    const auto count = static_cast<std::size_t>(std::min(kBlockRecords, end - block));
    // The kernels work in H-P-B terms: an item of another order has its
    // triples seen through its order (rotation_order.h) and mapped back.
    for (std::size_t j = 0; j < count; ++j) {
      const KeyRecord &record = info->records[block + j];
      angles[j] =
          record.order == RotationOrder::kHPB ? record.angles : to_classic_order(record.angles, record.order);
    }
    read_back_canonical(angles, canonical, count);
    for (std::size_t j = 0; j < count; ++j) {
      KeyRecord &record = info->records[block + j];
      if (!is_placeable(record.reference) || !is_placeable(record.angles)) continue;
      if (record.order == RotationOrder::kHPB) {
        correct_canonical(info->mode, record.reference, canonical[j], record.angles);
      } else {
        correct_canonical(info->mode, to_classic_order(record.reference, record.order), canonical[j],
                          angles[j]);
        record.angles = from_classic_order(angles[j], record.order);
      }
    }
  }
}

void write_back_records(const KeyInfo *info) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  // item_count is read again before each record.
  for (std::uint64_t i = 0; i < info->item_count; ++i) {
    KeyRecord record = info->records[i];
    env->keySet(record.heading_envelope, record.heading_key, LWKEY_VALUE, &record.angles.heading);
    env->keySet(record.pitch_envelope, record.pitch_key, LWKEY_VALUE, &record.angles.pitch);
    env->keySet(record.bank_envelope, record.bank_key, LWKEY_VALUE, &record.angles.bank);
  }
}

void correct_angle_batch(KeyInfo *info) {
  if (info->item_count > 0) {
    // Grain size 1: a record is a fixed, small amount of trigonometry; the
    // automatic partitioner groups records as load balance allows.
    tbb::parallel_for(
        tbb::blocked_range<std::uint64_t>(0, info->item_count, 1),
        [info](const tbb::blocked_range<std::uint64_t> &range) {
          correct_records(info, range.begin(), range.end());
        },
        tbb::auto_partitioner());
  }
  write_back_records(info);
}

}  // namespace KeyFrame
