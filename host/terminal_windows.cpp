#include <windows.h>

#include "host/terminal.h"

namespace host::platform {

// A console answers GetConsoleMode; a file or a pipe does not (the C
// library's _isatty also says yes for the NUL device).
bool standard_error_is_terminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace host::platform
