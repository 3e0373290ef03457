#pragma once

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
void correct_angle_scan(KeyInfo *info);

}  // namespace KeyFrame
