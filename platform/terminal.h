#pragma once

// Whether the standard error stream is a terminal, where the progress
// monitor may redraw its line (terminal_posix.cpp, terminal_windows.cpp).
namespace platform {

bool standard_error_is_terminal();

}  // namespace platform
