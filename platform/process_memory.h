#pragma once

namespace platform {

// Sets the C allocator of this process up as a host that runs commands over
// large scenes wants it. A scan allocates its working set (megabytes for
// items with many keys) at the start and frees it at the end; by default
// glibc serves such blocks with fresh mappings and returns them to the
// system on free, so every scan pays a page fault and a zeroed page for each
// 4 KiB it touches, work that grows faster than the keys do once the
// working set leaves the cache. Here all threads share one heap, blocks up to
// 32 MiB come from it, and up to 1 GiB of freed memory stays with the
// process for the next command.
// Call once, early in main(), before other threads start. Returns false if
// the allocator refused a setting (the process then runs with the defaults).
bool tune_allocator_for_large_scenes();

}  // namespace platform
