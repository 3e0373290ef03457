#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/files/file_io.h"
#include "cli/options/option_values.h"

namespace cli::files {

// Where a command's report goes: the standard output, or the file --report
// names, checked before any work and written whole at the end through a
// temporary file (file_io.h), so that a reader never finds half a report.
class ReportOutput {
 public:
  // Checks --report against the run's scenes and outputs (`outputs` null for
  // a command that writes none): it must not name an input scene or another
  // output, and a JSON report cannot share the standard output with a scene
  // or plot written there. Throws CliFailure (bad input).
  static ReportOutput plan(const options::ReportOptions &options, const std::vector<std::string> &scene_paths,
                           const options::OutputOptions *outputs);

  bool to_file() const { return file_.has_value(); }

  // Writes `text`: to the file, replacing it in one step, or to the standard
  // output. Throws CliFailure (bad input) when the file cannot be written.
  void write(const std::string &text) const;

 private:
  std::optional<OutputTarget> file_;
};

}  // namespace cli::files
