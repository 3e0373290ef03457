#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "cli/cli_failure.h"

namespace cli {
namespace {

std::string system_reason() { return std::strerror(errno); }

std::string folder_of(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool exists(const std::string &path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool write_all(int fd, const std::string &text) {
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

}  // namespace

std::string base_name(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string read_whole_file(const std::string &path) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    throw bad_input(path + ": is a folder; expected a scene file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw bad_input(path + ": cannot be read (" + system_reason() + ")");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw bad_input(path + ": reading failed (" + system_reason() + ")");
  return text;
}

void write_file_atomically(const std::string &path, const std::string &text) {
  std::string pattern = folder_of(path) + "/." + base_name(path) + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw bad_input(path + ": cannot write in its folder (" + system_reason() + ")");
  const std::string temporary(name.data());

  struct stat old_info;
  const mode_t mode = ::stat(path.c_str(), &old_info) == 0 ? (old_info.st_mode & 07777) : new_file_mode();
  const bool ok = write_all(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const std::string reason = ok ? std::string() : system_reason();
  if (::close(fd) != 0 || !ok) {
    ::unlink(temporary.c_str());
    throw bad_input(path + ": writing failed (" + (ok ? system_reason() : reason) + ")");
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string rename_reason = system_reason();
    ::unlink(temporary.c_str());
    throw bad_input(path + ": cannot be replaced (" + rename_reason + ")");
  }
}

std::string free_backup_path(const std::string &path) {
  std::string candidate = path + ".bak";
  for (int number = 1; exists(candidate); ++number) candidate = path + ".bak." + std::to_string(number);
  return candidate;
}

bool same_file(const std::string &a, const std::string &b) {
  struct stat first, second;
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace cli
