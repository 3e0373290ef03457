#include "cli/file_io.h"

#include "cli/cli_failure.h"
#include "cli/platform_files.h"

namespace cli {

std::string base_name(const std::string &path) { return platform::base_name(path); }

std::string read_whole_file(const std::string &path) {
  if (platform::inspect(path).kind == platform::PathKind::folder) {
    throw bad_input(path + ": is a folder; expected a scene file");
  }
  std::string text;
  std::string reason;
  if (!platform::read_file(path, text, reason)) throw bad_input(path + ": cannot be read (" + reason + ")");
  return text;
}

void write_file_atomically(const std::string &path, const std::string &text) {
  std::string reason;
  const std::string temporary = platform::write_temporary_beside(path, text, path, reason);
  if (temporary.empty()) throw bad_input(path + ": writing failed (" + reason + ")");
  if (!platform::replace(temporary, path, reason)) {
    platform::remove_quietly(temporary);
    throw bad_input(path + ": cannot be replaced (" + reason + ")");
  }
}

std::string free_backup_path(const std::string &path) {
  std::string candidate = path + ".bak";
  for (int number = 1; platform::inspect(candidate).kind != platform::PathKind::missing; ++number) {
    candidate = path + ".bak." + std::to_string(number);
  }
  return candidate;
}

bool same_file(const std::string &a, const std::string &b) { return platform::same_file(a, b); }

}  // namespace cli
