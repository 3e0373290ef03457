#pragma once

#include <string>

// The process environment as the tavorix program reads it, in one small file
// per platform (environment_posix.cpp, environment_windows.cpp).
namespace platform {

// The value of the environment variable `name` as UTF-8 text; empty when it
// is not set (a variable set to the empty text reads the same).
std::string environment_variable(const char *name);

}  // namespace platform
