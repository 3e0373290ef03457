// The file-system layer of the tavorix program on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gathered_writes.h"
#include "platform/large_pages.h"
#include "platform/platform_files.h"

namespace platform {
namespace {

std::string system_reason() { return std::strerror(errno); }

mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool write_all(int fd, std::string_view text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all(int fd, const std::vector<std::string_view> &pieces) {
  return write_gathered(pieces, [&](const char *data, std::size_t size) {
    return write_all(fd, std::string_view(data, size));
  });
}

std::string describe_other(mode_t mode) {
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

}  // namespace

PathInfo inspect(const std::string &path, std::string *reason) {
  struct stat info;
  PathInfo result;
  if (::lstat(path.c_str(), &info) != 0) {
    if (reason != nullptr && errno != ENOENT) *reason = system_reason();
    return result;
  }
  if (S_ISREG(info.st_mode)) {
    result.kind = PathKind::regular_file;
  } else if (S_ISDIR(info.st_mode)) {
    result.kind = PathKind::folder;
  } else if (S_ISLNK(info.st_mode)) {
    result.kind = PathKind::symbolic_link;
  } else {
    result.kind = PathKind::other;
    result.description = describe_other(info.st_mode);
  }
  return result;
}

bool read_link(const std::string &link, std::string &target, std::string &reason) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
      reason = system_reason();
      return false;
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(length));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  if (!target.empty() && target[0] != '/') {
    const std::string folder = folder_of(link);
    if (folder != ".") target = folder + "/" + target;
  }
  return true;
}

std::string folder_of(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_name(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string creation_refusal(const std::string &folder) {
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR
               ? "the folder " + folder + " does not exist"
               : "the folder " + folder + " cannot be used (" + system_reason() + ")";
  }
  if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "the folder " + folder + " cannot be written (" + system_reason() + ")";
  }
  return {};
}

bool read_file(const std::string &path, std::string &text, std::string &reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = system_reason();
    return false;
  }
  // Read into a string of the file's size, so that a large scene is held
  // once and never copied while it grows (a file that grows meanwhile is
  // still read to its end).
  struct stat info;
  std::size_t size = 0;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    size = static_cast<std::size_t>(info.st_size);
  }
  text.clear();
  text.reserve(size);
  prefer_large_pages(text.data(), size);
  text.resize(size);
  std::size_t filled = 0;
  char probe[1 << 12];
  for (;;) {
    // Once the expected size is read, a small read tells the end from more.
    const bool full = filled == text.size();
    char *into = full ? probe : &text[filled];
    const ssize_t n = ::read(fd, into, full ? sizeof probe : text.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      reason = system_reason();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    if (full) {
      text.append(probe, static_cast<std::size_t>(n));
    }
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  text.resize(filled);
  return true;
}

std::string write_temporary_beside(const std::string &target, const std::vector<std::string_view> &pieces,
                                   const std::string &permissions_of, std::string &reason) {
  std::string pattern = folder_of(target) + "/." + base_name(target) + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    reason = system_reason();
    return {};
  }
  const std::string temporary(name.data());
  struct stat old_info;
  const mode_t mode =
      ::stat(permissions_of.c_str(), &old_info) == 0 ? (old_info.st_mode & 07777) : new_file_mode();
  bool ok = write_all(fd, pieces) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  if (!ok) reason = system_reason();
  if (::close(fd) != 0 && ok) {
    ok = false;
    reason = system_reason();
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return {};
  }
  return temporary;
}

bool replace(const std::string &temporary, const std::string &target, std::string &reason) {
  if (::rename(temporary.c_str(), target.c_str()) == 0) return true;
  reason = system_reason();
  return false;
}

void remove_quietly(const std::string &path) { ::unlink(path.c_str()); }

bool same_file(const std::string &a, const std::string &b) {
  struct stat first, second;
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool write_standard_output(const std::vector<std::string_view> &pieces, std::string &reason) {
  std::fflush(stdout);
  if (!write_all(STDOUT_FILENO, pieces)) {
    reason = system_reason();
    return false;
  }
  return true;
}

std::string program_folder() {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return {};
  return folder_of(std::string(buffer.data(), static_cast<std::size_t>(length)));
}

std::vector<std::string> arguments(int argc, char **argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace platform
