#include <unistd.h>

#include "platform/terminal.h"

namespace host::platform {

bool standard_error_is_terminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace host::platform
