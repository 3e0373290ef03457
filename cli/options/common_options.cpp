#include "cli/options/common_options.h"

#include <cmath>
#include <cstdlib>

#include "text/frame_time.h"
#include "text/printable_text.h"

namespace cli::options {
namespace {

// Times and frames are finite numbers; "nan" and "inf" read as numbers but
// name no time.
const CLI::Validator kFiniteNumber(
    [](std::string &text) -> std::string {
      char *end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0') return "expected a number, found " + text::quoted_token(text);
      if (!std::isfinite(value)) return "expected a finite number, found " + text::quoted_token(text);
      return {};
    },
    "NUMBER");

}  // namespace

void add_module_options(CLI::App &command, ModuleOptions &options) {
  command
      .add_option("--module", options.module_path,
                  "The module file to load. Without it: the file TAVORIX_MODULE names, else tavorix.p beside "
                  "the program, else the installed one ('tavorix --version' shows where it looks)")
      ->type_name("PATH");
  command.add_flag("-q,--quiet", options.quiet,
                   "Print nothing but errors: no progress bar, no module messages, no summary");
}

void add_output_options(CLI::App &command, OutputOptions &options) {
  auto *output = command
                     .add_option("-o,--output", options.output,
                                 "Write the fixed scene to OUT (.lws or .json by its extension; a .lws "
                                 "can only come from a .lws). Without -o or --in-place nothing is written")
                     ->type_name("OUT");
  command
      .add_flag("--in-place", options.in_place,
                "Replace SCENE itself, first copying it to the first free SCENE.bak, SCENE.bak.1, ...")
      ->excludes(output);
  command.add_option("--plot", options.plot, "Also draw the rotation curves before and after as an SVG file")
      ->type_name("FILE.svg");
}

void add_time_options(CLI::App &command, TimeOptions &options, bool required) {
  auto *time =
      command
          .add_option("--time", options.time,
                      "Current time in seconds (within 0.001 frames of a whole frame it is that frame)")
          ->check(kFiniteNumber)
          ->type_name("T");
  auto *frame = command.add_option("--frame", options.frame, "Current time as a frame number")
                    ->check(kFiniteNumber)
                    ->type_name("F");
  time->excludes(frame);
  if (required) {
    // CLI11 has no "one of these is required"; the group says it.
    auto *group = command.add_option_group("time", "The time to work at (one of them is required)");
    group->add_option(time);
    group->add_option(frame);
    group->require_option(1);
  }
}

void apply_time(scene::Scene &scene, const TimeOptions &options) {
  const double fps = scene.frames_per_second();
  if (options.frame) scene.set_current_time(text::frame_time(*options.frame, fps));
  if (options.time) scene.set_current_time(text::snap_to_frame(*options.time, fps));
}

void add_anchor_option(CLI::App &command, bool &anchor) {
  command.add_flag("--anchor-near-zero", anchor,
                   "First move each item's first key triple by whole turns to within half a turn of zero "
                   "(the scan keeps the first triple as it is and carries it along)");
}

void add_motion_options(CLI::App &command, MotionOptions &options, bool key_missing) {
  command
      .add_option("--hermite-tangents", options.hermite_tangents,
                  "How Hermite and 1D Bezier keys' stored tangents shape the curve between keys: 'scaled' "
                  "by the spacing of the keys around them (the published reference, the default) or "
                  "'stored' as they are (LightWave's own TCB-to-Hermite conversion reads smooth only so)")
      ->check(CLI::IsMember({"scaled", "stored"}))
      ->type_name("scaled|stored");
  if (key_missing) {
    command.add_flag("--key-missing", options.key_missing,
                     "First add keys where the rotation channels are keyed apart (a heading key where the "
                     "pitch has one and the heading none, ...), each on its curve and shaped so that the "
                     "curve keeps its motion, so that the scan pairs every pitch key");
  }
}

void apply_motion_options(host::Host &host, const MotionOptions &options) {
  host.set_hermite_tangents(options.hermite_tangents == "stored" ? scene::HermiteTangents::as_stored
                                                                 : scene::HermiteTangents::scaled_by_spacing);
}

void add_report_options(CLI::App &command, ReportOptions &options) {
  command
      .add_option("--report-format", options.format,
                  "Write the report as 'text' for people (the default) or as one 'json' document for "
                  "scripts (docs/report-format.md): every finding, each error with its file and line")
      ->check(CLI::IsMember({"text", "json"}))
      ->type_name("text|json");
  command
      .add_option("--report", options.file,
                  "Write the report to FILE (whole, once the run is done) instead of the standard output; "
                  "needed for a JSON report when the scene itself goes to the standard output (-o -)")
      ->type_name("FILE");
}

void add_item_options(CLI::App &command, ItemChoice &choice, const std::string &default_text) {
  auto *select =
      command
          .add_option("--select", choice.names, "Work on the item of that name (repeatable). " + default_text)
          ->type_name("NAME")
          ->take_all()
          ->allow_extra_args(false);
  command.add_flag("--all", choice.all, "Work on every item of the scene")->excludes(select);
}

}  // namespace cli::options
