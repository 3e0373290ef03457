#pragma once

#include <cstdint>

// Control of the collection this test program links in place of the
// module's (failing_collection.cpp).
namespace append_faults {

// Makes the next collection's append of record `index` (0 for the first
// rotating item of the selection) fail: that append's allocation of a new
// block of the records vector throws std::bad_alloc. The records vector
// starts a block at appends 0, 2, 4, 8, 16, ...; at 8 it also moves its
// table of blocks, whose allocation is then the one that fails.
void fail_append(std::uint64_t index);

// What the armed append came to.
struct FailedAppend {
  bool failed = false;           // the append threw
  std::uint64_t item_count = 0;  // the records appended whole before it
};

// The outcome of the append armed by the latest fail_append.
FailedAppend last_failed_append();

}  // namespace append_faults
