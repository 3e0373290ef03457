#include <windows.h>

#include "platform/terminal.h"

namespace platform {

// A console answers GetConsoleMode; a file or a pipe does not (the C
// library's _isatty also says yes for the NUL device). The progress line
// redraws itself with terminal control sequences, which a console takes
// only once asked to; one that refuses counts as no terminal.
bool standard_error_is_terminal() {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode) == 0) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace platform
