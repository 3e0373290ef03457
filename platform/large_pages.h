#pragma once

#include <cstddef>

namespace platform {

// Asks the system to back the memory [data, data + size) with large pages
// where it can, before the memory is first touched: a scene of a hundred
// megabytes takes tens of thousands of page faults in ordinary pages, which
// cost more than reading its text (Linux: transparent huge pages, 2 MiB, on
// the whole 2 MiB pages inside the range). Only for large buffers; small
// ones, and systems without such pages, are left as they are. Never fails:
// the memory stays usable either way.
void prefer_large_pages(void *data, std::size_t size);

}  // namespace platform
