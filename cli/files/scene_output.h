#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/files/file_io.h"
#include "cli/files/scene_document.h"
#include "cli/options/option_values.h"

namespace cli::files {

// What SceneOutputs::write did, for a report that gives it apart from its
// words. Paths as given; empty for what was not written.
struct WrittenFiles {
  std::string scene;        // "-" for the standard output
  std::string backup;       // --in-place: the copy of the original
  std::string plot;         // "-" for the standard output
  std::string not_written;  // why the scene was not written, when it was not
};

// Where a run that changes a scene writes: checked before any work (paths,
// kinds of file, folders, formats by extension, that no two outputs and no
// output and the input are one file), written together at the end.
class SceneOutputs {
 public:
  // Checks the output options for the scene at `scene_path`. Throws
  // CliFailure (bad input) naming what is wrong.
  static SceneOutputs plan(const options::OutputOptions &options, const std::string &scene_path);

  // Checks that the scene read can be written where the options say (a .lws
  // is written only from a .lws). Throws CliFailure (bad input).
  void check_document(const SceneDocument &document) const;

  // Whether a summary written to standard output would mix with a file
  // written there: then it goes to standard error.
  bool writes_standard_output() const;
  bool writes_scene() const { return scene_.has_value(); }
  bool writes_plot() const { return plot_.has_value(); }

  // Writes the scene (and for --in-place first its backup; an in-place scene
  // that did not change is left alone and gets no backup) and the plot,
  // `svg`, when asked for: all or nothing. Says what it wrote on `report`
  // unless `quiet`, and in `written` when given.
  void write(const SceneDocument &document, const scene::Scene &scene, const std::string &svg, bool quiet,
             std::ostream &report, WrittenFiles *written = nullptr) const;

 private:
  std::optional<OutputTarget> scene_;
  bool in_place_ = false;
  std::optional<OutputTarget> plot_;
};

// The plot of `plot` alone (plot -o, demo -o): checked before any work and
// written through an OutputBatch.
OutputTarget plan_plot_output(const std::string &path, const std::string &option);

// Refuses a scene output whose name says no scene format: .lws or .json, or
// the standard output.
void check_scene_output_name(const OutputTarget &target, const std::string &option);

}  // namespace cli::files
