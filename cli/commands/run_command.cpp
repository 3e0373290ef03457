// tavorix run: a script of Layout commands on a scene, optionally with the
// module's real-time watcher added first.

#include <iostream>
#include <memory>
#include <sstream>

#include "cli/commands/command_report.h"
#include "cli/commands/subcommands.h"
#include "cli/files/file_io.h"
#include "cli/files/held_items.h"
#include "cli/files/scene_document.h"
#include "cli/files/scene_output.h"
#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/report/fix_summary.h"
#include "cli/report/json_document.h"
#include "cli/report/json_report.h"
#include "cli/report/svg_plot.h"
#include "cli/session/module_session.h"
#include "cli/session/scene_session.h"
#include "cli/session/triple_changes.h"
#include "layout_commands/command_interpreter.h"
#include "loader/master_handlers.h"

namespace cli::commands {
namespace {

struct RunOptions {
  std::string scene_path;
  std::string script_path;
  std::vector<std::string> masters;
  options::ItemChoice items;
  options::TimeOptions time;
  options::OutputOptions output;
  options::MotionOptions motion;
  options::ModuleOptions module;
  options::ReportOptions report;
};

// Prints what the interpreter reports: each RefreshNow, and each progress
// message of a server the script ran ("Tavorix: Scan: Scanning...").
class RunReporter {
 public:
  explicit RunReporter(std::ostream &out) : out_(out) {}

  layout_commands::InterpreterHooks hooks() {
    layout_commands::InterpreterHooks hooks;
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

// "line 3: AddRotation 1 x 0: 'x' is ..." as the failure "SCRIPT:3: AddRotation 1 x 0: 'x' is ...".
options::CliFailure script_error(const std::string &script_path,
                                 const layout_commands::CommandResult &result) {
  const std::string prefix = "line " + std::to_string(result.line) + ": ";
  const std::string reason =
      result.error.rfind(prefix, 0) == 0 ? result.error.substr(prefix.size()) : result.error;
  const options::ExitCode code = result.module_failed ? options::kExitModuleFailed : options::kExitBadInput;
  if (result.line <= 0) {
    return options::CliFailure(
        code, script_path + ":" + std::to_string(result.line) + ": " + reason + "; nothing was written");
  }
  return options::CliFailure(code, script_path, result.line, reason + "; nothing was written");
}

int run_script(const RunOptions &options, report::Json *entry, std::ostream *text_file) {
  const files::SceneOutputs outputs = files::SceneOutputs::plan(options.output, options.scene_path);
  const std::string script = files::read_whole_file(options.script_path);
  session::SceneSession session(options.scene_path, options.motion, options.module.quiet);
  host::Host &host = session.host();
  scene::Scene &scene = session.scene();
  const files::SceneDocument &document = session.document();
  outputs.check_document(document);
  if (!options.module.quiet) document.print_notes(std::cerr);
  if (entry != nullptr) report::describe_scene_file(*entry, document, scene.frames_per_second());
  if (!options.items.names.empty() || options.items.all) {
    scene.select(options::choose_items(scene, options.items, options::DefaultChoice::kSceneSelection,
                                       options.scene_path));
  }
  options::apply_time(scene, options.time);

  // A script may name any item; one whose rotation order cannot be read must
  // come out of it as it was, or nothing is written.
  const std::vector<files::HeldItem> &held = session.held();
  std::vector<std::vector<double>> held_keys;
  for (const files::HeldItem &item : held) held_keys.push_back(files::item_keys(*item.item));
  std::vector<scene::Item *> all_items;
  for (const auto &item : scene.items()) all_items.push_back(item.get());
  all_items = files::without_held(all_items, held);
  session::RotationRun run;
  run.before = session::snapshot_rotations(all_items);
  report::PlotMotions motions;
  if (outputs.writes_plot())
    motions.before = report::sample_motions(all_items, scene.frames_per_second(), host.hermite_tangents());

  const std::unique_ptr<loader::LoadedModule> module = session::load_module(options.module.module_path);
  std::ostringstream discarded;
  std::ostream &out = entry != nullptr                   ? static_cast<std::ostream &>(discarded)
                      : text_file != nullptr             ? *text_file
                      : options.module.quiet             ? discarded
                      : outputs.writes_standard_output() ? std::cerr
                                                         : std::cout;
  RunReporter reporter(out);
  layout_commands::CommandResult result;
  {
    loader::MasterHandlers handlers(host);
    for (const std::string &master : options.masters) {
      try {
        handlers.add(*module, master);
      } catch (const std::exception &error) {
        throw options::module_failed("cannot add the master handler " + master + ": " + error.what());
      }
    }
    layout_commands::CommandInterpreter interpreter(host, module.get(), &handlers);
    interpreter.set_hooks(reporter.hooks());
    result = interpreter.run_script(script);
  }
  if (!result.ok) throw script_error(options.script_path, result);

  for (std::size_t i = 0; i < held.size(); ++i) {
    if (files::item_keys(*held[i].item) == held_keys[i]) continue;
    throw options::bad_input(held[i].message + "; the script changed its keys, so nothing was written");
  }

  run.after = session::snapshot_rotations(all_items);
  run.compare();
  const session::RotationRun changed = run.changed_items();
  out << "run " << options.script_path << " on " << options.scene_path << ": " << result.commands_run
      << (result.commands_run == 1 ? " command" : " commands") << ", rotation keys changed on "
      << changed.before.size() << " of " << all_items.size() << (all_items.size() == 1 ? " item" : " items")
      << "\n";
  if (!changed.before.empty()) report::print_fix_summary(out, changed);
  std::string svg;
  if (outputs.writes_plot()) {
    motions.after = report::sample_motions(all_items, scene.frames_per_second(), host.hermite_tangents());
    svg =
        report::render_rotation_plot(files::base_name(options.scene_path) + " before and after the script " +
                                         files::base_name(options.script_path),
                                     report::moving_panels(run, &motions), scene.frames_per_second());
  }
  files::print_held_items(out, held);
  if (options.module.quiet) print_held_items(std::cerr, held, "tavorix: ");
  files::WrittenFiles written;
  outputs.write(document, scene, svg, options.module.quiet, out, &written);
  if (entry != nullptr) {
    // The items the script changed, as the text lists them.
    (*entry)["script"] = options.script_path;
    (*entry)["commands_run"] = result.commands_run;
    (*entry)["items"] = report::items_json(changed, scene.frames_per_second(), nullptr, nullptr);
    const report::FixTotals totals = report::count_fix_totals(changed);
    (*entry)["totals"] = report::Json{{"items", all_items.size()},
                                      {"key_triples_rewritten", totals.triples_rewritten},
                                      {"items_changed", changed.before.size()}};
    (*entry)["held_items"] = report::held_items_json(held);
    (*entry)["written"] = report::written_json(written);
  }
  return session.exit_code();
}

int run_command(const RunOptions &options) {
  report::Json json = common_options_json({options.scene_path}, options.module, options.report);
  json["script"] = options.script_path;
  json["masters"] = options.masters;
  json["select"] = options.items.names;
  json["all"] = options.items.all;
  add_time_json(json, options.time);
  json["hermite_tangents"] = options.motion.hermite_tangents;
  add_output_json(json, options.output);
  CommandReport reporting(options.report, "run", std::move(json), {options.scene_path}, &options.output);
  return reporting.run([&] {
    return reporting.scene(options.scene_path, [&](report::Json *entry) {
      return run_script(options, entry, reporting.text_file());
    });
  });
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
  options::add_item_options(*parser, options->items,
                            "Without either, the scene's own selection (JSON) or none");
  options::add_time_options(*parser, options->time, false);
  options::add_output_options(*parser, options->output);
  options::add_motion_options(*parser, options->motion, false);
  options::add_module_options(*parser, options->module);
  options::add_report_options(*parser, options->report);
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
  return Subcommand{parser, [options] { return run_command(*options); }};
}

}  // namespace cli::commands
