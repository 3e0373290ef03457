// tavorix plot: the rotation curves of a scene's items, with what a scan
// would make of them, as an SVG file. The scene file is not changed.

#include <iostream>
#include <memory>
#include <sstream>

#include "cli/commands/subcommands.h"
#include "cli/files/file_io.h"
#include "cli/files/held_items.h"
#include "cli/files/scene_document.h"
#include "cli/files/scene_output.h"
#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/report/modified_channels.h"
#include "cli/report/svg_plot.h"
#include "cli/session/fix_run.h"
#include "cli/session/module_session.h"
#include "cli/session/scene_session.h"

namespace cli::commands {
namespace {

struct PlotOptions {
  std::string scene_path;
  options::ItemChoice items;
  std::string output;
  bool anchor = false;
  options::MotionOptions motion;
  options::ModuleOptions module;
};

// SCENE's file name without folders and extension, plus ".svg".
std::string default_plot_path(const std::string &scene_path) {
  std::string name = files::base_name(scene_path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name + ".svg";
}

int run_plot(const PlotOptions &options) {
  const std::string path = options.output.empty() ? default_plot_path(options.scene_path) : options.output;
  const files::OutputTarget target = files::plan_plot_output(path, "-o");
  if (!target.standard_output() && files::same_file(target.file, options.scene_path))
    throw options::bad_input(path + ": this is the scene; name another file for the plot");

  session::SceneSession session(options.scene_path, options.motion, options.module.quiet);
  host::Host &host = session.host();
  if (!options.module.quiet) session.document().print_notes(std::cerr);
  // An item whose order cannot be read is not drawn: its orientation is not known.
  session.choose_items(options.items, options::DefaultChoice::kAllItems);
  const std::vector<files::HeldItem> &held = session.held();
  const std::vector<scene::Item *> &items = session.items();
  const std::unique_ptr<loader::LoadedModule> module = session::load_module(options.module.module_path);
  const double fps = session.frames_per_second();
  report::PlotMotions motions;
  motions.before = report::sample_motions(items, fps, host.hermite_tangents());
  const session::FixRun run =
      session.run_module(*module, "Tavorix:Scan", options.anchor, session::Repeat::until_settled);
  motions.after = report::sample_motions(items, fps, host.hermite_tangents());

  files::print_held_items(std::cerr, held, "tavorix: ", "not drawn");
  // Items named or taken with --all are drawn whatever they do; by default
  // only those whose rotation changes over time.
  const bool chosen = !options.items.names.empty() || options.items.all;
  const std::vector<report::PlotPanel> panels =
      chosen ? report::every_panel(run, motions) : report::moving_panels(run, &motions);
  if (panels.empty()) {
    throw options::bad_input(
        options.scene_path +
        ": no item's rotation changes over time, so there is nothing to draw; name items with "
        "--select NAME or take all with --all to draw them anyway");
  }
  files::OutputBatch batch;
  batch.add(target,
            report::render_rotation_plot(
                files::base_name(options.scene_path) + ": rotation as it is, and after a scan", panels, fps));
  batch.commit();
  if (!options.module.quiet) {
    std::ostream &report = target.standard_output() ? std::cerr : std::cout;
    if (!target.standard_output()) report << "plot written to " << target.shown() << '\n';
    std::vector<session::ItemRotation> drawn;
    for (const report::PlotPanel &panel : panels) drawn.push_back(panel.before);
    report::print_modified_channels(report, drawn,
                                    "the plot shows the keys' curves, not the modified motion");
  }
  return session.exit_code();
}

}  // namespace

Subcommand add_plot_command(CLI::App &program) {
  auto options = std::make_shared<PlotOptions>();
  CLI::App *parser =
      program.add_subcommand("plot", "Draw rotation curves as they are and after a scan, as an SVG file");
  parser
      ->add_option("SCENE", options->scene_path,
                   "The scene: a LightWave .lws (versions 3 to 8) or .json file")
      ->required();
  options::add_item_options(
      *parser, options->items,
      "Without --select or --all, every item whose rotation changes over time is drawn");
  parser
      ->add_option("-o,--output", options->output,
                   "Where to write the plot: a .svg file, or - for the standard output (default: SCENE's "
                   "name with .svg, here)")
      ->type_name("FILE.svg");
  options::add_anchor_option(*parser, options->anchor);
  options::add_motion_options(*parser, options->motion, false);
  options::add_module_options(*parser, options->module);
  parser->footer(
      "Draws each item's heading, pitch and bank (degrees over frames) as Layout evaluates the curves\n"
      "between keys, with the keys as points: as they are, dashed, and as Tavorix:Scan would leave\n"
      "them, solid; the spans up to each key triple the scan rewrites are shaded. Under each item, the\n"
      "angular speed of its orientation in degrees per frame, before and after: a flip shows as a\n"
      "spike. A self-contained SVG that opens in any browser. The scene file is not changed. Rotation\n"
      "channels that carry channel modifiers are named: their curves are the keys', not the modified "
      "motion.\n\n"
      "Examples:\n"
      "  tavorix plot shot.lws --select Cam -o cam.svg\n"
      "  tavorix plot shot.lws                 (writes shot.svg here)");
  return Subcommand{parser, [options] { return run_plot(*options); }};
}

}  // namespace cli::commands
