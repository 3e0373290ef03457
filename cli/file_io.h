#pragma once

#include <string>

namespace cli {

// The whole content of `path`. Throws CliFailure (bad input) naming the file
// when it cannot be read.
std::string read_whole_file(const std::string &path);

// Writes `text` to `path` so that `path` holds either its old content or all
// of the new one, never a part: the text goes to a temporary file in the same
// folder, which is flushed to disk and then renamed over `path`. A file that
// is replaced keeps its permissions; a new one gets the usual ones (0666 less
// the umask). Throws CliFailure (bad input) naming the file on failure, after
// removing the temporary file.
void write_file_atomically(const std::string &path, const std::string &text);

// The first of PATH.bak, PATH.bak.1, PATH.bak.2, ... that does not exist,
// so that an earlier backup (the oldest is the original) is never replaced.
std::string free_backup_path(const std::string &path);

// The last part of a path: "shots/a.lws" -> "a.lws".
std::string base_name(const std::string &path);

// Whether two paths name the same existing file.
bool same_file(const std::string &a, const std::string &b);

}  // namespace cli
