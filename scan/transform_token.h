#pragma once

#include "scan/scan_token.h"

namespace KeyFrame {

// Rewrites the token's values along the chain, in increasing index: each
// triple is aligned (align_key) against the triple before it as already
// rewritten, so the chain is carried from the anchor to the last key.
// The walk is in the item's rotation order (`token.order`): continuity of
// heading and bank becomes that of its first and last letters' channels.
// Element 0 and `keys` are never changed; nothing but the token's values is
// touched. The canonical read-backs, which depend on each key alone, are
// taken a block of keys at a time ahead of the chain (read_back_canonical);
// a long token's are spread over the scheduler's threads first. The result
// is bit for bit that of align_key key by key.
//
// A triple with a component that is not a finite number is left exactly as
// it is and is never used as a reference; the triple after it is kept as it
// is too (it has no usable predecessor) and starts the chain again, as an
// anchor does, so one damaged key neither spreads nor stops the rest of the
// item from being cleaned. A triple with a component beyond
// kLargestPlacedAngle is treated as damaged in the same way: no triple placed
// near it could hold its orientation.
void transform_token(ScanToken &token);

}  // namespace KeyFrame
