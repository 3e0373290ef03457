#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/item_choice.h"
#include "cli/option_values.h"
#include "host/scene.h"

namespace cli {

// --module PATH and --quiet.
void add_module_options(CLI::App &command, ModuleOptions &options);

// -o OUT, --in-place and --plot FILE.svg of the subcommands that change a scene.
void add_output_options(CLI::App &command, OutputOptions &options);

// --time T / --frame F; `required` makes one of them required.
void add_time_options(CLI::App &command, TimeOptions &options, bool required);

// Sets the scene's current time from --time (snapped to a whole frame within
// the tolerance of scene_files/frame_time.h) or --frame; leaves it when neither.
void apply_time(host::Scene &scene, const TimeOptions &options);

// --anchor-near-zero (anchor_near_zero.h).
void add_anchor_option(CLI::App &command, bool &anchor);

// --select NAME (repeatable) and --all.
void add_item_options(CLI::App &command, ItemChoice &choice, const std::string &default_text);

}  // namespace cli
