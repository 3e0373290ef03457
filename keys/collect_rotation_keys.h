#pragma once

#include "keys/key_info.h"

namespace KeyFrame {

// Fills `info` (mode set, records empty) from the host's selection at the
// host's current time: per selected item its heading, pitch and bank
// envelopes and the key of each at the current time, creating the key where
// there is none. Except in scan mode the keys' values go into `angles` and
// their neighbours' values into `reference`, and a created key is seeded
// from its neighbour (the earlier key, else the later one). In scan mode the
// progress monitor in host_services counts the items and created keys keep
// the value 0 until the scan removes them.
//
// Each record carries its item's rotation order ("LW Item Info 9"; H-P-B
// where the host has no such table). An item without all three rotation
// channels, or whose order is none of the six known ones, gets no record and
// no key, so
// `item_count` is the number of records. Uses the scene services in
// host_services, which the caller has acquired. Runs on the calling thread.
void collect_rotation_keys(KeyInfo *info);

// Whether a channel name begins with the 10-character rotation channel name
// `pattern` ("Rotation.H", "Rotation.P" or "Rotation.B"); shorter names never
// match. Byte for byte, case-sensitive.
bool rotation_channel_name_matches(const char *name, const char *pattern);

}  // namespace KeyFrame
