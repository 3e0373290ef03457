// tavorix demo: the scan on the built-in scene, with a summary and a plot.

#include <iostream>
#include <memory>
#include <optional>

#include "cli/commands/demo_scene.h"
#include "cli/commands/subcommands.h"
#include "cli/files/file_io.h"
#include "cli/files/scene_output.h"
#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/report/fix_summary.h"
#include "cli/report/svg_plot.h"
#include "cli/session/fix_run.h"
#include "cli/session/module_session.h"
#include "scene_files/json_scene_file.h"

namespace cli::commands {
namespace {

struct DemoOptions {
  std::string plot_path = "tavorix-demo.svg";
  std::string scene_path;
  options::ModuleOptions module;
};

int run_demo(const DemoOptions &options) {
  const files::OutputTarget plot = files::plan_plot_output(options.plot_path, "-o");
  std::optional<files::OutputTarget> saved_scene;
  if (!options.scene_path.empty()) {
    saved_scene = files::check_output_path(options.scene_path);
    if (!saved_scene->standard_output() && !files::has_extension(saved_scene->given, ".json")) {
      throw options::bad_input(
          options.scene_path +
          ": the built-in scene is saved as JSON: name a .json file (or - for the standard output)");
    }
    if (files::same_output(*saved_scene, plot))
      throw options::bad_input(options.scene_path +
                               ": --save-scene must name a file of its own, not the plot's");
  }

  host::Host host;
  session::set_host_output(host, options.module.quiet);
  scene::Scene &scene = host.scene();
  build_demo_scene(scene);
  const std::vector<scene::Item *> items = scene.selection();
  files::OutputBatch batch;
  if (saved_scene) batch.add(*saved_scene, scene_files::write_json_scene(scene, options.scene_path));

  const std::unique_ptr<loader::LoadedModule> module = session::load_module(options.module.module_path);
  const double fps = scene.frames_per_second();
  report::PlotMotions motions;
  motions.before = report::sample_motions(items, fps, host.hermite_tangents());
  const session::FixRun run =
      run_fix(host, *module, "Tavorix:Scan", items, false, session::Repeat::until_settled);
  motions.after = report::sample_motions(items, fps, host.hermite_tangents());
  batch.add(plot, report::render_rotation_plot("tavorix demo: rotation before and after Tavorix:Scan",
                                               report::moving_panels(run, &motions), fps));
  batch.commit();

  if (!options.module.quiet) {
    std::ostream &out =
        plot.standard_output() || (saved_scene && saved_scene->standard_output()) ? std::cerr : std::cout;
    out << "tavorix demo: Tavorix:Scan on the built-in scene (" << items.size()
        << " items, keys every 4 frames, " << scene.frames_per_second() << " fps)\n";
    report::print_fix_totals(out, report::print_fix_summary(out, run, nullptr, true));
    if (saved_scene && !saved_scene->standard_output())
      out << "scene (before the scan) written to " << saved_scene->shown() << '\n';
    if (!plot.standard_output()) out << "plot written to " << plot.shown() << '\n';
  }
  return 0;
}

}  // namespace

Subcommand add_demo_command(CLI::App &program) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App *parser = program.add_subcommand(
      "demo", "Fix a built-in scene with planted flips; print a summary and draw a plot");
  parser
      ->add_option("-o,--output", options->plot_path,
                   "Where to write the plot: a .svg file, or - for the standard output")
      ->type_name("FILE.svg")
      ->capture_default_str();
  parser
      ->add_option("--save-scene", options->scene_path,
                   "Also write the built-in scene, as it is before the scan, to a .json file (to try check "
                   "or scan on)")
      ->type_name("FILE.json");
  options::add_module_options(*parser, options->module);
  parser->footer(
      "Runs Tavorix:Scan on a built-in scene whose rotation keys flip the ways baked and exported\n"
      "animation does: whole-turn jumps, keys holding the other Euler triple of their orientation,\n"
      "and a loop over pitch 90 degrees. Prints per item its keys, flips before and after and keys\n"
      "rewritten, and draws the curves before and after as an SVG plot.\n\n"
      "Examples:\n"
      "  tavorix demo                          (writes tavorix-demo.svg here)\n"
      "  tavorix demo -o /tmp/demo.svg --save-scene /tmp/demo.json\n"
      "  tavorix check /tmp/demo.json          (finds the planted flips: exit code 1)");
  return Subcommand{parser, [options] { return run_demo(*options); }};
}

}  // namespace cli::commands
