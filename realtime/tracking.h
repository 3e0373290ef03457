#pragma once

#include "keys/key_info.h"

namespace KeyFrame {

// Acquires the four scene services and collects the selected items' rotation
// keys at the current time into `info` (creating keys where an envelope has
// none there). Returns false, holding nothing and with `records` empty, when
// a service is missing. If the collection fails (out of memory), the keys it
// created are removed again, the services released, and the exception
// passed on.
bool start_tracking(KeyInfo *info);

// Whether every tracked key is still a key of its envelope at the collection
// time. The records hold the host's key handles across events; a key deleted
// since (a "DeleteKey" at the current time, say) leaves a handle that must
// not be written through. Only looks keys up; reads and writes no value.
bool tracked_keys_present(const KeyInfo *info);

// Empties `records` (keeping their storage for the next collection) and
// releases the four scene services. The other fields keep their values.
void stop_tracking(KeyInfo *info);

}  // namespace KeyFrame
