// The module loader's system calls on POSIX systems: dlopen and friends.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/shared_library.h"

namespace platform {

std::string module_file_refusal(const std::string &path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "file not found";
    return std::string("cannot access the file: ") + std::strerror(errno);
  }
  if (S_ISDIR(status.st_mode)) return "is a directory, expected a module file";
  return {};
}

void *open_library(const std::string &path, std::string &reason) {
  // Without a slash dlopen would search the library path instead of opening
  // the file that was just checked.
  const std::string open_path = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  void *library = dlopen(open_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char *text = dlerror();
    reason = text != nullptr ? text : "no reason given";
  }
  return library;
}

void *find_symbol(void *library, const char *name) {
  dlerror();
  return dlsym(library, name);
}

void close_library(void *library) { dlclose(library); }

}  // namespace platform
