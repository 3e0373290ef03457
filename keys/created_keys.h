#pragma once

#include "keys/key_info.h"

namespace KeyFrame {

// Destroys the keys of `record` that the collection created (created flag
// set). Used to leave the scene as it was when a run cannot finish.
void remove_created_keys(const KeyRecord &record);

}  // namespace KeyFrame
