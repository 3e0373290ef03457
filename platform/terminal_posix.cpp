#include <unistd.h>

#include "platform/terminal.h"

namespace platform {

bool standard_error_is_terminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace platform
