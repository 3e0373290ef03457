#pragma once

#include "keys/key_info.h"
#include "scan/scan_token.h"

namespace KeyFrame {

// Fills an empty `token` from one scan-mode record, through the envelope
// service in host_services:
//
// 1. The starting pitch key F is the pitch envelope's first key. When the
//    record's pitch key is the first key and was created by the collection,
//    F is the key after it (the created key itself when there is none).
// 2. Both vectors are reserved for the pitch keys from F to the end.
// 3. The keys the collection created are destroyed before the walk. Each
//    created flag is cleared (and its key handle nulled) as its key goes, so
//    the record never names a destroyed key and remove_created_keys on it
//    afterwards removes nothing twice.
// 4. Every pitch key K after F is paired with the heading and bank keys at
//    its exact time. K takes part only when both exist and each has a key
//    before it; the first pitch key after F that takes part brings the anchor
//    (the heading and bank keys before those, with F). Pitch keys that do
//    not take part are skipped and keep their values; when the first one
//    after F is skipped, the first triple that takes part is itself the
//    anchor.
//
// Values a read cannot get stay 0. An allocation failure while reserving
// leaves the record's created keys in place (flags set) for the caller to
// remove; the token is then partly filled and must not be used.
void fill_token(KeyRecord &record, ScanToken &token);

}  // namespace KeyFrame
