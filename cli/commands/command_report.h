#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/files/report_output.h"
#include "cli/options/option_values.h"
#include "cli/report/json_document.h"

namespace cli::commands {

// How a command reports, from --report-format and --report: as text on its
// usual stream (nothing changes), as text into the --report file, or as one
// JSON document (docs/report-format.md) on the standard output or into the
// file. Both files are written whole once the run is done.
class CommandReport {
 public:
  // Checks --report before any work (files::ReportOutput::plan). Throws
  // CliFailure (bad input).
  CommandReport(const options::ReportOptions &options, const std::string &command, report::Json options_json,
                const std::vector<std::string> &scene_paths, const options::OutputOptions *outputs);

  bool json() const { return document_.has_value(); }
  // The stream the text report goes to instead of its usual one, or null
  // when it goes where it always has.
  std::ostream *text_file() { return text_file_ ? &text_ : nullptr; }

  // Runs the whole command, then writes the report. With JSON, a failure is
  // recorded in the document, the document written, and the failure goes on
  // to become the exit code as without it.
  int run(const std::function<int()> &body);

  // Runs one scene of the command: with JSON, `body` gets the scene's entry
  // to fill in, and its exit code or its failure is recorded there; null
  // otherwise.
  int scene(const std::string &path, const std::function<int(report::Json *)> &body);

 private:
  files::ReportOutput output_;
  bool text_file_ = false;
  std::ostringstream text_;
  std::optional<report::JsonDocument> document_;
};

// The options every command with a report shares, as the document's
// "options" gives them.
report::Json common_options_json(const std::vector<std::string> &scene_paths,
                                 const options::ModuleOptions &module, const options::ReportOptions &report);

// --time/--frame (null when not given) into `json`.
void add_time_json(report::Json &json, const options::TimeOptions &time);

// -o, --in-place and --plot (null when not given) into `json`.
void add_output_json(report::Json &json, const options::OutputOptions &output);

}  // namespace cli::commands
