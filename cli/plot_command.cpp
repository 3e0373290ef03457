// tavorix plot: the rotation curves of a scene's items, with what a scan
// would make of them, as an SVG file. The scene file is not changed.

#include <iostream>
#include <memory>

#include "cli/cli_failure.h"
#include "cli/common_options.h"
#include "cli/file_io.h"
#include "cli/module_session.h"
#include "cli/scene_document.h"
#include "cli/scene_output.h"
#include "cli/subcommands.h"
#include "cli/svg_plot.h"

namespace cli {
namespace {

struct PlotOptions {
  std::string scene_path;
  std::vector<std::string> item_names;
  std::string output;
  ModuleOptions module;
};

// SCENE's file name without folders and extension, plus ".svg".
std::string default_plot_path(const std::string &scene_path) {
  std::string name = base_name(scene_path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name + ".svg";
}

int run_plot(const PlotOptions &options) {
  host::Host host;
  set_host_output(host, options.module.quiet);
  host::Scene &scene = host.scene();
  SceneDocument::load(options.scene_path, scene);
  ItemChoice choice;
  choice.names = options.item_names;
  const std::vector<host::Item *> items =
      choose_items(scene, choice, DefaultChoice::kAllItems, options.scene_path);
  scene.select(items);

  const std::vector<ItemRotation> before = snapshot_rotations(items);
  const std::unique_ptr<host::LoadedModule> module = load_module(options.module.module_path);
  run_module_command(*module, host, "Tavorix:Scan");
  const std::vector<ItemRotation> after = snapshot_rotations(items);

  const std::vector<PlotPanel> panels = options.item_names.empty() ? animated_panels(before, after) : [&] {
    std::vector<PlotPanel> named;
    for (std::size_t i = 0; i < before.size(); ++i) named.push_back(PlotPanel{before[i], after[i]});
    return named;
  }();
  const std::string path = options.output.empty() ? default_plot_path(options.scene_path) : options.output;
  if (same_file(path, options.scene_path))
    throw bad_input(path + ": this is the scene; name another file for the plot");
  write_plot_output(
      path,
      render_rotation_plot(base_name(options.scene_path) + ": rotation keys as they are, and after a scan",
                           panels, scene.frames_per_second()),
      options.module.quiet, std::cout);
  return 0;
}

}  // namespace

Subcommand add_plot_command(CLI::App &program) {
  auto options = std::make_shared<PlotOptions>();
  CLI::App *parser =
      program.add_subcommand("plot", "Draw rotation curves as they are and after a scan, as an SVG file");
  parser
      ->add_option("SCENE", options->scene_path,
                   "The scene: a LightWave .lws (version 3, 4 or 5) or .json file")
      ->required();
  parser
      ->add_option("--item", options->item_names,
                   "Plot the item of that name (repeatable); without it, every item with animated rotation")
      ->type_name("NAME")
      ->allow_extra_args(false);
  parser
      ->add_option("-o,--output", options->output,
                   "Where to write the plot (default: SCENE's name with .svg, here)")
      ->type_name("FILE.svg");
  add_module_options(*parser, options->module);
  parser->footer(
      "Draws each item's heading, pitch and bank (degrees over frames): the keys as they are, dashed,\n"
      "and what Tavorix:Scan would make of them, solid; flips are shaded. A self-contained SVG that\n"
      "opens in any browser. The scene file is not changed.\n\n"
      "Examples:\n"
      "  tavorix plot shot.lws --item Cam -o cam.svg\n"
      "  tavorix plot shot.lws                 (writes shot.svg here)");
  return Subcommand{parser, [options] { return run_plot(*options); }};
}

}  // namespace cli
