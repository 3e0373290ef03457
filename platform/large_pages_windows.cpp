#include "platform/large_pages.h"

namespace platform {

// Windows gives large pages only to memory allocated as such, by a process
// holding the "lock pages in memory" privilege: nothing to ask for here.
void prefer_large_pages(void *, std::size_t) {}

}  // namespace platform
