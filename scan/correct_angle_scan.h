#pragma once

#include <cstdint>

#include "keys/key_info.h"

namespace KeyFrame {

// Walks every record's pitch keys in time order through a three-stage
// pipeline (read keys, align each triple to the previous one, write keys
// back), one token per record. `info` was filled by the collection in scan
// mode; the keys it created at the current time are removed before each
// item's walk. If the scan is cut short by an exception, the created keys of
// every record not yet walked are removed before the exception leaves, so no
// temporary key ever stays in the scene; a record's created flags are
// cleared as its created keys are removed. Needs the envelope service in
// host_services.
//
// Counts in `items_written` the records whose corrected keys have been
// written: the output stage writes records in order, each as a whole and
// without allocating, so when the scan is cut short the first
// `items_written` items are scanned and every other item is as it was.
void correct_angle_scan(KeyInfo *info, std::uint64_t &items_written);

}  // namespace KeyFrame
