#include "cli/files/scene_output.h"

#include <iostream>
#include <vector>

#include "cli/files/held_items.h"
#include "cli/options/cli_failure.h"

namespace cli::files {
namespace {

void refuse_the_input(const OutputTarget &target, const std::string &scene_path, const std::string &option) {
  if (!target.standard_output() && same_file(target.file, scene_path)) {
    throw options::bad_input(target.shown() + ": " + option +
                             " names the input scene; to replace it use --in-place (which keeps a backup)");
  }
}

}  // namespace

void check_scene_output_name(const OutputTarget &target, const std::string &option) {
  if (target.standard_output() || has_extension(target.given, ".lws") || has_extension(target.given, ".json"))
    return;
  throw options::bad_input(
      target.given + ": " + option +
      " must name a .lws or .json file (the extension says which format is written), or - for "
      "the standard output");
}

OutputTarget plan_plot_output(const std::string &path, const std::string &option) {
  OutputTarget target = check_output_path(path);
  if (!target.standard_output() && !has_extension(target.given, ".svg")) {
    throw options::bad_input(path + ": " + option + " must name a .svg file (or - for the standard output)");
  }
  return target;
}

SceneOutputs SceneOutputs::plan(const options::OutputOptions &options, const std::string &scene_path) {
  SceneOutputs outputs;
  outputs.in_place_ = options.in_place;
  if (options.in_place) {
    outputs.scene_ = check_output_path(scene_path);
    if (outputs.scene_->standard_output())
      throw options::bad_input("--in-place needs a scene file, not the standard output");
  } else if (!options.output.empty()) {
    outputs.scene_ = check_output_path(options.output);
    check_scene_output_name(*outputs.scene_, "-o");
    refuse_the_input(*outputs.scene_, scene_path, "-o");
  }
  if (!options.plot.empty()) {
    outputs.plot_ = plan_plot_output(options.plot, "--plot");
    refuse_the_input(*outputs.plot_, scene_path, "--plot");
    if (outputs.scene_ && same_output(*outputs.plot_, *outputs.scene_)) {
      throw options::bad_input(options.plot + ": --plot must name a file of its own, not the scene's output");
    }
  }
  return outputs;
}

void SceneOutputs::check_document(const SceneDocument &document) const {
  if (!scene_ || in_place_) return;
  const SceneDocument::Format format = SceneDocument::format_for_output(scene_->given, document.format());
  if (format == SceneDocument::Format::Json) refuse_json_with_held_items(document);
  if (format == SceneDocument::Format::Lws && document.format() != SceneDocument::Format::Lws) {
    throw options::bad_input(scene_->given +
                             ": a .lws scene can only be written from a .lws scene; write this one as .json");
  }
}

bool SceneOutputs::writes_standard_output() const {
  return (scene_ && scene_->standard_output()) || (plot_ && plot_->standard_output());
}

void SceneOutputs::write(const SceneDocument &document, const scene::Scene &scene, const std::string &svg,
                         bool quiet, std::ostream &report, WrittenFiles *written) const {
  WrittenFiles ignored;
  WrittenFiles &done = written != nullptr ? *written : ignored;
  if (!scene_ && !plot_) {
    done.not_written = "no -o or --in-place";
    if (!quiet) report << "nothing written: give -o OUT or --in-place to keep the result\n";
    return;
  }
  WrittenFiles will;
  if (!scene_) will.not_written = "no -o or --in-place";
  OutputBatch batch;
  std::vector<std::string> said;
  if (scene_) {
    std::vector<std::string> warnings;
    const SceneDocument::Format format =
        in_place_ ? document.format() : SceneDocument::format_for_output(scene_->given, document.format());
    text::PieceText text = document.render(scene, format, warnings);
    for (const std::string &warning : warnings) std::cerr << "tavorix: warning: " << warning << '\n';
    if (in_place_ && text.equals(document.original_text())) {
      said.push_back(document.path() + " is unchanged: left as it was, no backup made");
      will.not_written = "unchanged";
    } else if (in_place_) {
      const std::string backup = free_backup_path(scene_->file);
      batch.add_kept(check_output_path(backup), document.original_text());
      batch.add(*scene_, std::move(text));
      said.push_back("wrote " + scene_->shown() + " (the original is kept as " + backup + ")");
      will.scene = scene_->given;
      will.backup = backup;
    } else {
      batch.add(*scene_, std::move(text));
      will.scene = scene_->standard_output() ? "-" : scene_->given;
      if (!scene_->standard_output()) said.push_back("wrote " + scene_->shown());
    }
  }
  if (plot_) {
    batch.add(*plot_, svg);
    will.plot = plot_->standard_output() ? "-" : plot_->given;
    if (!plot_->standard_output()) said.push_back("plot written to " + plot_->shown());
  }
  batch.commit();
  done = will;
  if (!quiet) {
    for (const std::string &line : said) report << line << '\n';
  }
}

}  // namespace cli::files
