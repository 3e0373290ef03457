#include "cli/files/file_io.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "cli/options/cli_failure.h"
#include "platform/platform_files.h"

namespace cli::files {
namespace {

using platform::PathKind;

// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinksFollowed = 40;

bool names_standard_output(const std::string &path) { return path == "-" || path == "/dev/stdout"; }

}  // namespace

std::string OutputTarget::shown() const {
  if (standard_output() || file == given) return given;
  return given + " (a link to " + file + ")";
}

std::string base_name(const std::string &path) { return platform::base_name(path); }

std::string read_whole_file(const std::string &path) {
  if (platform::inspect(path).kind == PathKind::folder) {
    throw options::CliFailure(options::kExitBadInput, path, 0, "is a folder; expected a scene file");
  }
  std::string text;
  std::string reason;
  if (!platform::read_file(path, text, reason))
    throw options::CliFailure(options::kExitBadInput, path, 0, "cannot be read (" + reason + ")");
  return text;
}

OutputTarget check_output_path(const std::string &path) {
  OutputTarget target;
  target.given = path;
  if (path.empty()) throw options::bad_input("an output path is empty");
  if (names_standard_output(path)) return target;

  std::string file = path;
  for (int followed = 0;; ++followed) {
    std::string reason;
    const platform::PathInfo info = platform::inspect(file, &reason);
    if (info.kind == PathKind::symbolic_link) {
      if (followed == kMaxLinksFollowed) {
        throw options::bad_input(
            path + ": the symbolic links starting here go round in a circle; nothing was written");
      }
      std::string next;
      if (!platform::read_link(file, next, reason)) {
        throw options::bad_input(path + ": the symbolic link " + file + " cannot be read (" + reason + ")");
      }
      file = next;
      continue;
    }
    target.file = file;
    const std::string shown = target.shown();
    switch (info.kind) {
      case PathKind::regular_file:
      case PathKind::missing: break;
      case PathKind::folder:
        throw options::bad_input(shown + ": is a folder; expected a file name to write to");
      case PathKind::other:
        throw options::bad_input(
            shown + ": is " + info.description +
            ", not a regular file; tavorix writes only regular files (give - for the standard "
            "output)");
      case PathKind::symbolic_link: break;
    }
    if (info.kind == PathKind::missing && !reason.empty()) {
      throw options::bad_input(shown + ": cannot be reached (" + reason + ")");
    }
    const std::string refusal = platform::creation_refusal(platform::folder_of(file));
    if (!refusal.empty()) throw options::bad_input(shown + ": cannot be written: " + refusal);
    return target;
  }
}

OutputBatch::~OutputBatch() {
  for (const Entry &entry : entries_) {
    if (!entry.temporary.empty()) platform::remove_quietly(entry.temporary);
  }
}

void OutputBatch::add(const OutputTarget &target, std::string text) {
  add(target, text::PieceText(std::move(text)));
}

void OutputBatch::add(const OutputTarget &target, text::PieceText text) {
  entries_.push_back(Entry{target, std::move(text), {}});
}

void OutputBatch::add_kept(const OutputTarget &target, std::string_view text) {
  text::PieceText kept;
  kept.add_kept(text);
  add(target, std::move(kept));
}

void OutputBatch::commit() {
  // Every file's temporary first: a file that cannot be written stops the
  // run before anything is in place.
  for (Entry &entry : entries_) {
    if (entry.target.standard_output()) continue;
    std::string reason;
    entry.temporary =
        platform::write_temporary_beside(entry.target.file, entry.text.pieces(), entry.target.file, reason);
    if (entry.temporary.empty()) {
      throw options::bad_input(entry.target.shown() + ": writing failed (" + reason +
                               "); nothing was written");
    }
  }
  for (Entry &entry : entries_) {
    if (!entry.target.standard_output()) continue;
    std::string reason;
    if (!platform::write_standard_output(entry.text.pieces(), reason)) {
      throw options::bad_input("the standard output cannot be written (" + reason + "); no file was written");
    }
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry &entry = entries_[i];
    if (entry.target.standard_output()) continue;
    std::string reason;
    if (!platform::replace(entry.temporary, entry.target.file, reason)) {
      throw options::bad_input(entry.target.shown() + ": cannot be replaced (" + reason + ")" +
                               (i == 0 ? "; nothing was written" : "; the outputs before it were written"));
    }
    entry.temporary.clear();
  }
}

std::string free_backup_path(const std::string &path) {
  std::string candidate = path + ".bak";
  for (int number = 1; platform::inspect(candidate).kind != PathKind::missing; ++number) {
    candidate = path + ".bak." + std::to_string(number);
  }
  return candidate;
}

bool same_file(const std::string &a, const std::string &b) { return platform::same_file(a, b); }

bool same_output(const OutputTarget &a, const OutputTarget &b) {
  if (a.standard_output() || b.standard_output()) return a.standard_output() && b.standard_output();
  // Files not made yet are the same when their paths are, once spelled alike.
  const auto spelled = [](const std::string &path) {
    std::error_code ignored;
    return std::filesystem::absolute(std::filesystem::u8path(path), ignored).lexically_normal();
  };
  return spelled(a.file) == spelled(b.file) || same_file(a.file, b.file);
}

bool has_extension(const std::string &path, const std::string &extension) {
  if (path.size() < extension.size()) return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[path.size() - extension.size() + i]);
    if (std::tolower(c) != std::tolower(static_cast<unsigned char>(extension[i]))) return false;
  }
  return true;
}

}  // namespace cli::files
