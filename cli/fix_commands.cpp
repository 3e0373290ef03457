// tavorix scan | inferior | superior: run one of the module's correction
// commands on the chosen items of a scene and write the result.

#include <iostream>
#include <memory>

#include "cli/common_options.h"
#include "cli/file_io.h"
#include "cli/fix_summary.h"
#include "cli/module_session.h"
#include "cli/scene_document.h"
#include "cli/scene_output.h"
#include "cli/subcommands.h"
#include "cli/svg_plot.h"

namespace cli {
namespace {

struct FixOptions {
  std::string scene_path;
  ItemChoice items;
  TimeOptions time;
  OutputOptions output;
  ModuleOptions module;
};

struct FixCommand {
  const char *name;
  const char *server;
  const char *summary;  // one line, for the list of subcommands
  const char *details;  // the rest of --help: what it does, with examples
  bool is_scan;
};

const FixCommand kScan = {
    "scan", "Tavorix:Scan", "Fix flips along every chosen item's rotation keys (Tavorix:Scan)",
    "Walks each item's rotation keys in time order and gives every key the Euler triple of its\n"
    "orientation that lies closest to the key before it: whole turns added or taken away, or the\n"
    "other triple (h+180, 180-p, b+180). The first key of each item stays as it is. Heading, pitch\n"
    "and bank keys are taken together where all three have a key at the same time.\n\n"
    "Examples:\n"
    "  tavorix scan shot.lws -o shot-fixed.lws\n"
    "  tavorix scan shot.lws --select Cam --select Camera --in-place --plot shot.svg\n"
    "  tavorix scan shot.lws                  (report only, nothing written)",
    true};

const FixCommand kInferior = {
    "inferior", "Tavorix:InferiorAngle", "Switch the key triple at one time to its other Euler triple",
    "At the current time, makes sure each chosen item has heading, pitch and bank keys (made from\n"
    "the neighbouring key where missing) and rewrites that key triple into the other triple of the\n"
    "same orientation, each angle the nearest whole number of turns from the neighbouring key.\n\n"
    "Examples:\n"
    "  tavorix inferior shot.lws --select Cam --frame 84 -o shot-fixed.lws\n"
    "  tavorix inferior rig.json --all --time 2.8 --in-place",
    false};

const FixCommand kSuperior = {
    "superior", "Tavorix:SuperiorAngle", "Like inferior, with the pitch one whole turn further out",
    "Like inferior (see 'tavorix inferior --help'), with the pitch placed one whole turn further out.\n\n"
    "Examples:\n"
    "  tavorix superior shot.lws --select Cam --frame 84 -o shot-fixed.lws",
    false};

int run_fix(const FixCommand &command, const FixOptions &options) {
  check_output_options(options.output, options.scene_path);
  host::Host host;
  set_host_output(host, options.module.quiet);
  host::Scene &scene = host.scene();
  const SceneDocument document = SceneDocument::load(options.scene_path, scene);
  const std::vector<host::Item *> items = choose_items(
      scene, options.items, command.is_scan ? DefaultChoice::kAllItems : DefaultChoice::kSceneSelection,
      options.scene_path);
  scene.select(items);
  apply_time(scene, options.time);

  const std::vector<ItemRotation> before = snapshot_rotations(items);
  const std::unique_ptr<host::LoadedModule> module = load_module(options.module.module_path);
  run_module_command(*module, host, command.server);
  const std::vector<ItemRotation> after = snapshot_rotations(items);

  std::ostream &report = std::cout;
  if (!options.module.quiet) {
    report << command.name << " " << options.scene_path << ": " << items.size()
           << (items.size() == 1 ? " item" : " items") << "\n";
    print_fix_totals(report, print_fix_summary(report, before, after));
  }
  write_scene_output(document, scene, options.output, options.module.quiet, report);
  if (!options.output.plot.empty()) {
    const std::string title =
        std::string(command.name) + " " + base_name(options.scene_path) + ": rotation keys before and after";
    write_plot_output(options.output.plot,
                      render_rotation_plot(title, animated_panels(before, after), scene.frames_per_second()),
                      options.module.quiet, report);
  }
  return 0;
}

Subcommand add_fix_command(CLI::App &program, const FixCommand &command) {
  auto options = std::make_shared<FixOptions>();
  CLI::App *parser = program.add_subcommand(command.name, command.summary);
  parser
      ->add_option("SCENE", options->scene_path,
                   "The scene: a LightWave .lws (version 3, 4 or 5) or .json file")
      ->required();
  add_item_options(*parser, options->items,
                   command.is_scan ? "Without --select, every item is scanned"
                                   : "Without --select or --all, the items the scene selects (JSON)");
  if (!command.is_scan) add_time_options(*parser, options->time, true);
  add_output_options(*parser, options->output);
  add_module_options(*parser, options->module);
  parser->footer(command.details);
  return Subcommand{parser, [command, options] { return run_fix(command, *options); }};
}

}  // namespace

Subcommand add_scan_command(CLI::App &program) { return add_fix_command(program, kScan); }
Subcommand add_inferior_command(CLI::App &program) { return add_fix_command(program, kInferior); }
Subcommand add_superior_command(CLI::App &program) { return add_fix_command(program, kSuperior); }

}  // namespace cli
