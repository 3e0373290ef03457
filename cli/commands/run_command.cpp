// tavorix run: a script of Layout commands on a scene, optionally with the
// module's real-time watcher added first.

#include <iostream>
#include <memory>
#include <sstream>

#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/files/file_io.h"
#include "cli/report/fix_summary.h"
#include "cli/files/held_items.h"
#include "cli/session/module_session.h"
#include "cli/files/scene_document.h"
#include "cli/files/scene_output.h"
#include "cli/commands/subcommands.h"
#include "cli/report/svg_plot.h"
#include "cli/session/triple_changes.h"
#include "layout_commands/command_interpreter.h"
#include "loader/master_handlers.h"

namespace cli {
namespace {

struct RunOptions {
  std::string scene_path;
  std::string script_path;
  std::vector<std::string> masters;
  ItemChoice items;
  TimeOptions time;
  OutputOptions output;
  MotionOptions motion;
  ModuleOptions module;
};

// Prints what the interpreter reports: each RefreshNow, and each progress
// message of a server the script ran ("Tavorix: Scan: Scanning...").
class RunReporter {
 public:
  explicit RunReporter(std::ostream &out) : out_(out) {}

  host::InterpreterHooks hooks() {
    host::InterpreterHooks hooks;
    hooks.on_refresh = [this] { out_ << "RefreshNow\n"; };
    hooks.on_progress = [this](const host::MonitorCall &call) { progress(call); };
    return hooks;
  }

 private:
  void progress(const host::MonitorCall &call) {
    if (call.op == "setup") title_ = call.text;
    if ((call.op == "init" || call.op == "step") && !call.text.empty()) {
      out_ << "progress: " << (title_.empty() ? "" : title_ + ": ") << call.text << '\n';
    }
  }

  std::ostream &out_;
  std::string title_;
};

// "line 3: AddRotation 1 x 0: 'x' is ..." as "SCRIPT:3: AddRotation 1 x 0: 'x' is ...".
std::string script_error(const std::string &script_path, const host::CommandResult &result) {
  const std::string prefix = "line " + std::to_string(result.line) + ": ";
  const std::string reason =
      result.error.rfind(prefix, 0) == 0 ? result.error.substr(prefix.size()) : result.error;
  return script_path + ":" + std::to_string(result.line) + ": " + reason;
}

int run_script(const RunOptions &options) {
  const SceneOutputs outputs = SceneOutputs::plan(options.output, options.scene_path);
  const std::string script = read_whole_file(options.script_path);
  host::Host host;
  set_host_output(host, options.module.quiet);
  apply_motion_options(host, options.motion);
  host::Scene &scene = host.scene();
  const SceneDocument document = SceneDocument::load(options.scene_path, scene);
  outputs.check_document(document);
  if (!options.module.quiet) document.print_notes(std::cerr);
  if (!options.items.names.empty() || options.items.all) {
    scene.select(choose_items(scene, options.items, DefaultChoice::kSceneSelection, options.scene_path));
  }
  apply_time(scene, options.time);

  // A script may name any item; one whose rotation order cannot be read must
  // come out of it as it was, or nothing is written.
  const std::vector<HeldItem> held = held_items(document, scene);
  std::vector<std::vector<double>> held_keys;
  for (const HeldItem &item : held) held_keys.push_back(item_keys(*item.item));
  std::vector<host::Item *> all_items;
  for (const auto &item : scene.items()) all_items.push_back(item.get());
  all_items = without_held(all_items, held);
  const std::vector<ItemRotation> before = snapshot_rotations(all_items);
  PlotMotions motions;
  if (outputs.writes_plot())
    motions.before = sample_motions(all_items, scene.frames_per_second(), host.hermite_tangents());

  const std::unique_ptr<host::LoadedModule> module = load_module(options.module.module_path);
  std::ostringstream discarded;
  std::ostream &out = options.module.quiet               ? static_cast<std::ostream &>(discarded)
                      : outputs.writes_standard_output() ? std::cerr
                                                         : std::cout;
  RunReporter reporter(out);
  host::CommandResult result;
  {
    host::MasterHandlers handlers(host);
    for (const std::string &master : options.masters) {
      try {
        handlers.add(*module, master);
      } catch (const std::exception &error) {
        throw module_failed("cannot add the master handler " + master + ": " + error.what());
      }
    }
    host::CommandInterpreter interpreter(host, module.get(), &handlers);
    interpreter.set_hooks(reporter.hooks());
    result = interpreter.run_script(script);
  }
  if (!result.ok) {
    const std::string message = script_error(options.script_path, result) + "; nothing was written";
    if (result.module_failed) throw module_failed(message);
    throw bad_input(message);
  }

  for (std::size_t i = 0; i < held.size(); ++i) {
    if (item_keys(*held[i].item) == held_keys[i]) continue;
    throw bad_input(held[i].message + "; the script changed its keys, so nothing was written");
  }

  const std::vector<ItemRotation> after = snapshot_rotations(all_items);
  std::vector<ItemRotation> changed_before, changed_after;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (compare_rotations(before[i], after[i]).empty()) continue;
    changed_before.push_back(before[i]);
    changed_after.push_back(after[i]);
  }
  out << "run " << options.script_path << " on " << options.scene_path << ": " << result.commands_run
      << (result.commands_run == 1 ? " command" : " commands") << ", rotation keys changed on "
      << changed_before.size() << " of " << all_items.size() << (all_items.size() == 1 ? " item" : " items")
      << "\n";
  if (!changed_before.empty()) print_fix_summary(out, changed_before, changed_after);
  std::string svg;
  if (outputs.writes_plot()) {
    motions.after = sample_motions(all_items, scene.frames_per_second(), host.hermite_tangents());
    svg = render_rotation_plot(
        base_name(options.scene_path) + " before and after the script " + base_name(options.script_path),
        moving_panels(before, after, &motions), scene.frames_per_second());
  }
  print_held_items(out, held);
  if (options.module.quiet) print_held_items(std::cerr, held, "tavorix: ");
  outputs.write(document, scene, svg, options.module.quiet, out);
  return held.empty() ? kExitOk : kExitBadInput;
}

}  // namespace

Subcommand add_run_command(CLI::App &program) {
  auto options = std::make_shared<RunOptions>();
  CLI::App *parser = program.add_subcommand("run", "Run a script of Layout commands on a scene");
  parser
      ->add_option("SCENE", options->scene_path,
                   "The scene: a LightWave .lws (versions 3 to 8) or .json file")
      ->required();
  parser->add_option("--script", options->script_path, "The command script")->type_name("FILE")->required();
  parser
      ->add_option("--master", options->masters,
                   "Add the module's master handler of that name before the script runs (repeatable), "
                   "e.g. Tavorix:RealTime")
      ->type_name("NAME")
      ->allow_extra_args(false);
  add_item_options(*parser, options->items, "Without either, the scene's own selection (JSON) or none");
  add_time_options(*parser, options->time, false);
  add_output_options(*parser, options->output);
  add_motion_options(*parser, options->motion, false);
  add_module_options(*parser, options->module);
  parser->footer(
      "Runs the commands of a script, one a line ('#' starts a comment): SelectByName, GoToFrame,\n"
      "Rotation, AddRotation, CreateKey, Generic_Tavorix:Scan, RefreshNow, ... Prints each RefreshNow\n"
      "and each progress report of the module as it comes. A command that cannot run stops the\n"
      "script with its line, and nothing is written.\n\n"
      "With --master Tavorix:RealTime, mind AutoKey (on by default here, as in Layout): with it on, the\n"
      "host itself keys each AddRotation, and the watcher, which starts following the rotation on the\n"
      "first AddRotation of a period, turns those keys once more, so the first step lands twice. Put\n"
      "'AutoKey 0' first to leave the keys to the watcher alone.\n\n"
      "Example script (turn.txt):\n"
      "  SelectByName Cam\n"
      "  GoToFrame 30\n"
      "  AddRotation 45 0 0\n"
      "  Generic_Tavorix:Scan\n"
      "Examples:\n"
      "  tavorix run shot.lws --script turn.txt -o shot-turned.lws\n"
      "  tavorix run shot.lws --script turn.txt --master Tavorix:RealTime");
  return Subcommand{parser, [options] { return run_script(*options); }};
}

}  // namespace cli
