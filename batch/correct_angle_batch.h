#pragma once

#include "keys/key_info.h"

namespace KeyFrame {

// Rewrites every record's `angles` with correct_key (the KeyInfo's mode, the
// record's `reference`) in parallel, then writes all of them into the host's
// keys on the calling thread, in record order, heading, pitch, bank. A record
// holding a value that is not a finite number, or lies beyond
// kLargestPlacedAngle (key or reference), keeps its angles unchanged. Needs the envelope service in
// host_services.
void correct_angle_batch(KeyInfo *info);

// The in-memory half alone: records [begin, end) corrected in index order.
void correct_records(KeyInfo *info, std::uint64_t begin, std::uint64_t end);

// The host half alone: writes the three angles of every record into its keys.
void write_back_records(const KeyInfo *info);

}  // namespace KeyFrame
