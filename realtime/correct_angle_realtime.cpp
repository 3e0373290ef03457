#include "realtime/correct_angle_realtime.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>

#include <algorithm>

#include "module/host_services.h"
#include "rotation/finite_angles.h"
#include "rotation/rotation_offset.h"
#include "rotation/rotation_order.h"

namespace KeyFrame {
namespace {

// How many records ahead of the write-back their angles are fetched.
constexpr std::uint64_t kRecordLookahead = 8;

void write_record(const LWEnvelopeFuncs *env, KeyRecord &record) {
  // A damaged triple was never shifted: its keys are left as the host has them.
  if (!is_placeable(record.angles)) return;
  env->keySet(record.heading_envelope, record.heading_key, LWKEY_VALUE, &record.angles.heading);
  env->keySet(record.pitch_envelope, record.pitch_key, LWKEY_VALUE, &record.angles.pitch);
  env->keySet(record.bank_envelope, record.bank_key, LWKEY_VALUE, &record.angles.bank);
}

}  // namespace

void shift_records(KeyInfo *info, std::uint64_t begin, std::uint64_t end, const AngleTriple &change) {
  for (std::uint64_t i = begin; i < end; ++i) {
    AngleTriple &angles = info->records[i].angles;
    // A triple with a non-finite component is data not to spread: shifting
    // it would rewrite its finite components around the damaged one. Beyond
    // kLargestPlacedAngle the sum would round the change away.
    if (!is_placeable(angles)) continue;
    const AngleTriple shifted{angles.heading + change.heading, angles.pitch + change.pitch,
                              angles.bank + change.bank};
    if (is_placeable(shifted)) angles = shifted;
  }
}

void correct_angle_realtime(KeyInfo *info) {
  const std::uint64_t count = std::min<std::uint64_t>(info->item_count, info->records.size());
  if (count == 0) return;
  KeyRecord &first = info->records[0];
  const AngleTriple start = first.angles;
  if (!is_placeable(start)) return;
  // Only the reference item goes through the orientation math, in its own
  // rotation order (its triple and the command's amounts seen as H-P-B
  // through it); the others follow it by the same change of channel angles.
  const RotationOrder order = first.order;
  const AngleTriple turned =
      order == RotationOrder::kHPB
          ? apply_rotation_offset(start, info->rotation_offset)
          : from_classic_order(apply_rotation_offset(to_classic_order(start, order),
                                                     to_classic_order(info->rotation_offset, order)),
                               order);
  if (!is_placeable(turned)) return;
  const AngleTriple change{turned.heading - start.heading, turned.pitch - start.pitch,
                           turned.bank - start.bank};

  // The following items are shifted before anything is written, so that a
  // failure inside the loop (out of memory) leaves every key as it was. The
  // host still receives its writes in record order.
  if (count > 1) {
    // Grain size 1 with the automatic partitioner: the body is three
    // additions per record, and the partitioner groups records into chunks
    // as large as load balance allows.
    tbb::parallel_for(
        tbb::blocked_range<std::uint64_t>(1, count, 1),
        [info, change](const tbb::blocked_range<std::uint64_t> &range) {
          shift_records(info, range.begin(), range.end(), change);
        },
        tbb::auto_partitioner());
  }
  first.angles = turned;

  // The angles of most records were just written by a worker thread, so
  // each read here fetches a line from another core's cache. Asking for the
  // records a few ahead lets those fetches overlap with the host's calls
  // instead of each one waiting for the last.
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i + kRecordLookahead < count) __builtin_prefetch(&info->records[i + kRecordLookahead].angles);
    write_record(env, info->records[i]);
  }
}

}  // namespace KeyFrame
