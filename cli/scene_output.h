#pragma once

#include <ostream>
#include <string>

#include "cli/option_values.h"
#include "cli/scene_document.h"

namespace cli {

// Refuses output options that would write over the input without
// --in-place. Called before any work, so that nothing is done in vain.
void check_output_options(const OutputOptions &options, const std::string &scene_path);

// Writes the scene where the options say (-o OUT, or SCENE itself with a
// backup for --in-place; nothing otherwise) and says so on `report` unless
// `quiet`. The text is made before any file is touched; each file is
// written through a temporary file and a rename.
void write_scene_output(const SceneDocument &document, const host::Scene &scene, const OutputOptions &options,
                        bool quiet, std::ostream &report);

// Writes `svg` to `path` the same way and says so unless `quiet`.
void write_plot_output(const std::string &path, const std::string &svg, bool quiet, std::ostream &report);

}  // namespace cli
