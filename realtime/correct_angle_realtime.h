#pragma once

#include <cstdint>

#include "keys/key_info.h"

namespace KeyFrame {

// One rotation step of the real-time watcher. Record 0 is the reference item:
// its `angles` A are turned by `rotation_offset` through
// apply_rotation_offset, giving N (the orientation of A plus the offset, read
// back close to A). Every other record receives the same change of angles,
// D = N - A, as a plain sum. The new angles are stored in the records, so the
// next step starts from them, and written into the records' keys on the
// calling thread in record order: heading, pitch, bank of record 0, then of
// record 1, and so on. No key value is read from the host.
//
// When A or N holds a value that is not a finite number, or one beyond
// kLargestPlacedAngle (where the turned key would round off to another
// orientation), no record and no key changes. A following record whose angles
// hold such a value keeps them and its keys are not written; one whose
// shifted angles would hold one keeps its angles. If the parallel step fails
// (out of memory), the exception leaves some following records shifted and no
// key written; the caller then drops the records. Needs the envelope service
// in host_services and records that hold `item_count` entries (the
// collection's result).
void correct_angle_realtime(KeyInfo *info);

// The in-memory half for the following items: adds `change` to the angles of
// records [begin, end), in index order, except where the angles or their sum
// are not all finite numbers.
void shift_records(KeyInfo *info, std::uint64_t begin, std::uint64_t end, const AngleTriple &change);

}  // namespace KeyFrame
