#pragma once

#include <string>

// The system's loader for shared libraries (module files), in one small
// layer per platform: dlopen on POSIX systems (shared_library_posix.cpp),
// LoadLibraryW on Windows (shared_library_windows.cpp). Paths are UTF-8.
namespace platform {

// Why `path` cannot be opened as a module file before the loader is even
// asked: "file not found", "is a directory, expected a module file", or
// "cannot access the file: REASON". Empty when it is a file.
std::string module_file_refusal(const std::string &path);

// Loads the shared library at `path`, resolving all its references now and
// keeping its symbols to itself. Returns its handle, or null with `reason`
// set to the system loader's own words.
void *open_library(const std::string &path, std::string &reason);

// The address of the exported symbol `name` in `library`, or null.
void *find_symbol(void *library, const char *name);

// Unloads a library opened by open_library.
void close_library(void *library);

}  // namespace platform
