#include "cli/files/report_output.h"

#include <iostream>

#include "cli/options/cli_failure.h"

namespace cli::files {
namespace {

bool writes_standard_output(const options::OutputOptions &outputs) {
  const auto standard = [](const std::string &path) {
    return !path.empty() && check_output_path(path).standard_output();
  };
  return standard(outputs.output) || standard(outputs.plot);
}

void refuse_same(const OutputTarget &report, const std::string &path, const std::string &what) {
  if (path.empty()) return;
  const OutputTarget other = check_output_path(path);
  if (!other.standard_output() && same_output(report, other))
    throw options::bad_input(report.given + ": --report names " + what +
                             "; give the report a file of its own");
}

}  // namespace

ReportOutput ReportOutput::plan(const options::ReportOptions &options,
                                const std::vector<std::string> &scene_paths,
                                const options::OutputOptions *outputs) {
  ReportOutput output;
  const bool scene_on_standard_output = outputs != nullptr && writes_standard_output(*outputs);
  if (options.to_standard_output()) {
    if (options.json() && scene_on_standard_output) {
      throw options::bad_input(
          "the scene or plot goes to the standard output (-); give the JSON report a file with --report "
          "FILE");
    }
    return output;
  }
  OutputTarget target = check_output_path(options.file);
  if (target.standard_output()) {
    if (scene_on_standard_output)
      throw options::bad_input("the scene or plot goes to the standard output (-); give the report a file");
    return output;
  }
  for (const std::string &scene_path : scene_paths) {
    if (same_file(target.file, scene_path))
      throw options::bad_input(target.shown() +
                               ": --report names the input scene; give the report a file of its own");
  }
  if (outputs != nullptr) {
    refuse_same(target, outputs->output, "the scene's output");
    refuse_same(target, outputs->plot, "the plot");
    if (outputs->in_place) {
      for (const std::string &scene_path : scene_paths)
        refuse_same(target, scene_path, "a scene written in place");
    }
  }
  output.file_ = std::move(target);
  return output;
}

void ReportOutput::write(const std::string &text) const {
  if (!file_) {
    std::cout << text;
    std::cout.flush();
    return;
  }
  OutputBatch batch;
  batch.add(*file_, text);
  batch.commit();
}

}  // namespace cli::files
