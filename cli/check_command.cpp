// tavorix check: report flips in a scene's rotation keys; exit code 1 when
// there are any.

#include <iostream>
#include <memory>
#include <sstream>

#include "cli/check_report.h"
#include "cli/cli_failure.h"
#include "cli/common_options.h"
#include "cli/scene_document.h"
#include "cli/subcommands.h"
#include "host/scene.h"

namespace cli {
namespace {

struct CheckOptions {
  std::string scene_path;
  ItemChoice items;
  bool quiet = false;
};

int run_check(const CheckOptions &options) {
  host::Scene scene;
  SceneDocument::load(options.scene_path, scene);
  const std::vector<host::Item *> items =
      choose_items(scene, options.items, DefaultChoice::kAllItems, options.scene_path);
  std::ostringstream discarded;
  std::ostream &out = options.quiet ? static_cast<std::ostream &>(discarded) : std::cout;
  const std::size_t flips =
      print_check_report(out, options.scene_path, scene.frames_per_second(), snapshot_rotations(items));
  return flips == 0 ? kExitOk : kExitFlipsFound;
}

}  // namespace

Subcommand add_check_command(CLI::App &program) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App *parser = program.add_subcommand(
      "check", "Report flips in a scene's rotation keys; exit code 1 when there are any");
  parser
      ->add_option("SCENE", options->scene_path,
                   "The scene: a LightWave .lws (version 3, 4 or 5) or .json file")
      ->required();
  add_item_options(*parser, options->items, "Without --select, every item is checked");
  parser->add_flag("-q,--quiet", options->quiet, "Print nothing; only the exit code tells");
  parser->footer(
      "Lists each item's heading, pitch and bank keys, every jump of more than a quarter turn\n"
      "between consecutive keys of a channel and every key beyond a whole turn. Exit code 0 when\n"
      "there are none, 1 when there are, 2 when the scene cannot be read: usable in a farm\n"
      "pipeline. Changes nothing and needs no module.\n\n"
      "Examples:\n"
      "  tavorix check shot.lws\n"
      "  tavorix check shot.lws --select Cam --quiet || tavorix scan shot.lws --select Cam --in-place");
  return Subcommand{parser, [options] { return run_check(*options); }};
}

}  // namespace cli
