#pragma once

#include "keys/key_info.h"

namespace KeyFrame {

// Destroys the keys of `record` that the collection created (created flag
// set). Used to leave the scene as it was when a run cannot finish.
void remove_created_keys(const KeyRecord &record);

// remove_created_keys for every record of `info` the collection completed.
// Safe however the collection ended, also when an exception cut it short
// (the record it was appending then had its keys taken back already).
void take_back_created_keys(const KeyInfo *info);

}  // namespace KeyFrame
