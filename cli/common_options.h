#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/item_choice.h"
#include "host/scene.h"

namespace cli {

// --module PATH and --quiet.
struct ModuleOptions {
  std::string module_path;
  bool quiet = false;
};
void add_module_options(CLI::App &command, ModuleOptions &options);

// -o OUT, --in-place and --plot FILE.svg of the subcommands that change a scene.
struct OutputOptions {
  std::string output;
  bool in_place = false;
  std::string plot;
};
void add_output_options(CLI::App &command, OutputOptions &options);

// --time T / --frame F.
struct TimeOptions {
  std::optional<double> time;
  std::optional<double> frame;
};
void add_time_options(CLI::App &command, TimeOptions &options, bool required);

// Sets the scene's current time from --time (snapped to a whole frame within
// the tolerance of host/frame_time.h) or --frame; leaves it when neither.
void apply_time(host::Scene &scene, const TimeOptions &options);

// --select NAME (repeatable) and --all.
void add_item_options(CLI::App &command, ItemChoice &choice, const std::string &default_text);

}  // namespace cli
