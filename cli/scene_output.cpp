#include "cli/scene_output.h"

#include <iostream>

#include "cli/cli_failure.h"
#include "cli/file_io.h"

namespace cli {

void check_output_options(const OutputOptions &options, const std::string &scene_path) {
  if (!options.output.empty() && same_file(options.output, scene_path)) {
    throw bad_input(options.output +
                    ": this is the input scene; to replace it use --in-place (which keeps a backup)");
  }
  if (!options.plot.empty() && (same_file(options.plot, scene_path) || options.plot == options.output)) {
    throw bad_input(options.plot + ": --plot must name a file of its own");
  }
}

void write_scene_output(const SceneDocument &document, const host::Scene &scene, const OutputOptions &options,
                        bool quiet, std::ostream &report) {
  if (options.output.empty() && !options.in_place) {
    if (!quiet) report << "nothing written: give -o OUT or --in-place to keep the result\n";
    return;
  }
  const std::string target = options.in_place ? document.path() : options.output;
  std::vector<std::string> warnings;
  const std::string text =
      document.render(scene, SceneDocument::format_for_output(target, document.format()), warnings);
  for (const std::string &warning : warnings) std::cerr << "tavorix: warning: " << warning << '\n';
  if (options.in_place) {
    const std::string backup = free_backup_path(document.path());
    write_file_atomically(backup, document.original_text());
    write_file_atomically(target, text);
    if (!quiet) report << "wrote " << target << " (the original is kept as " << backup << ")\n";
  } else {
    write_file_atomically(target, text);
    if (!quiet) report << "wrote " << target << '\n';
  }
}

void write_plot_output(const std::string &path, const std::string &svg, bool quiet, std::ostream &report) {
  write_file_atomically(path, svg);
  if (!quiet) report << "plot written to " << path << '\n';
}

}  // namespace cli
