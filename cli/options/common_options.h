#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/options/item_choice.h"
#include "cli/options/option_values.h"
#include "host/host.h"
#include "scene/scene.h"

namespace cli::options {

// --module PATH and --quiet.
void add_module_options(CLI::App &command, ModuleOptions &options);

// -o OUT, --in-place and --plot FILE.svg of the subcommands that change a scene.
void add_output_options(CLI::App &command, OutputOptions &options);

// --time T / --frame F; `required` makes one of them required.
void add_time_options(CLI::App &command, TimeOptions &options, bool required);

// Sets the scene's current time from --time (snapped to a whole frame within
// the tolerance of text/frame_time.h) or --frame; leaves it when neither.
void apply_time(scene::Scene &scene, const TimeOptions &options);

// --anchor-near-zero (cli/session/anchor_near_zero.h).
void add_anchor_option(CLI::App &command, bool &anchor);

// --hermite-tangents scaled|stored; with `key_missing`, also --key-missing.
void add_motion_options(CLI::App &command, MotionOptions &options, bool key_missing);

// The host's reading of Hermite tangents from --hermite-tangents.
void apply_motion_options(host::Host &host, const MotionOptions &options);

// --report-format text|json and --report FILE.
void add_report_options(CLI::App &command, ReportOptions &options);

// --select NAME (repeatable) and --all.
void add_item_options(CLI::App &command, ItemChoice &choice, const std::string &default_text);

}  // namespace cli::options
