#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/piece_text.h"

namespace cli::files {

// The whole content of `path`. Throws CliFailure (bad input) naming the file
// when it cannot be read.
std::string read_whole_file(const std::string &path);

// Where one output of a run goes, found and checked before any work.
struct OutputTarget {
  std::string given;  // the path as the user gave it
  // The regular file that is written: `given`, or where the symbolic links
  // it starts from lead. Empty for the standard output.
  std::string file;
  bool standard_output() const { return file.empty(); }
  // How messages name it: the path given, with where a link leads.
  std::string shown() const;
};

// Checks an output path before any work is done. "-" and /dev/stdout are the
// standard output. A symbolic link is followed to the file it names, so that
// the file is written and the link stays. What is written must then be a
// regular file or nothing yet, in a folder that exists and takes new files:
// a device, a FIFO, a socket or a folder is refused. Throws CliFailure (bad
// input) naming the path and what is wrong.
OutputTarget check_output_path(const std::string &path);

// The outputs of one run, written together at its end so that either all of
// them are written or none is. Each file's text first goes to a temporary
// file beside it, flushed to disk; only when every one of them is written
// are they put in place, each in one step (a reader of a file finds its old
// content or all of the new one). A replaced file keeps its permissions, a
// new one gets the usual ones.
class OutputBatch {
 public:
  OutputBatch() = default;
  OutputBatch(const OutputBatch &) = delete;
  OutputBatch &operator=(const OutputBatch &) = delete;
  ~OutputBatch();  // removes the temporary files of a batch never committed

  // Adds `text` for `target`. Nothing is written yet.
  void add(const OutputTarget &target, std::string text);
  void add(const OutputTarget &target, text::PieceText text);
  // The same for a text the caller keeps until commit() (a scene's original
  // text for its backup: not copied).
  void add_kept(const OutputTarget &target, std::string_view text);
  bool empty() const { return entries_.empty(); }

  // Writes everything. Throws CliFailure (bad input) naming the file when a
  // file cannot be written; nothing has been put in place then.
  void commit();

 private:
  struct Entry {
    OutputTarget target;
    text::PieceText text;
    std::string temporary;
  };
  std::vector<Entry> entries_;
};

// The first of PATH.bak, PATH.bak.1, PATH.bak.2, ... that does not exist,
// so that an earlier backup (the oldest is the original) is never replaced.
std::string free_backup_path(const std::string &path);

// The last part of a path: "shots/a.lws" -> "a.lws".
std::string base_name(const std::string &path);

// Whether two paths name the same existing file.
bool same_file(const std::string &a, const std::string &b);

// Whether two outputs would write the same file.
bool same_output(const OutputTarget &a, const OutputTarget &b);

// Whether `path` ends in `extension` (".svg"), in any case.
bool has_extension(const std::string &path, const std::string &extension);

}  // namespace cli::files
