#pragma once

#include "scan/scan_token.h"

namespace KeyFrame {

// Rewrites the token's values along the chain, in increasing index: each
// triple is aligned (align_key) against the triple before it as already
// rewritten, so the chain is carried from the anchor to the last key.
// Element 0 and `keys` are never changed. Runs serially on one token and
// touches nothing but its values.
//
// A triple with a component that is not a finite number is left exactly as
// it is and is never used as a reference: the next finite triple is aligned
// against the last finite one before it, so one damaged key neither spreads
// nor stops the rest of the item from being cleaned. While no finite triple
// has been seen (the anchor itself is damaged), the first finite one is kept
// as it is and carries the chain on, as the anchor would have. A triple with
// a component beyond kLargestPlacedAngle is treated as damaged in the same
// way: no triple placed near it could hold its orientation.
void transform_token(ScanToken &token);

}  // namespace KeyFrame
