// tavorix check: tell what the scan would change in a scene's rotation keys,
// without changing anything; exit code 1 when it would change something.

#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/commands/command_report.h"
#include "cli/commands/subcommands.h"
#include "cli/files/held_items.h"
#include "cli/files/scene_document.h"
#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/options/several_scenes.h"
#include "cli/report/check_report.h"
#include "cli/report/json_document.h"
#include "cli/report/json_report.h"
#include "cli/report/key_missing_note.h"
#include "cli/session/fix_run.h"
#include "cli/session/key_missing.h"
#include "cli/session/module_session.h"
#include "cli/session/scene_session.h"
#include "motion/spins.h"

namespace cli::commands {
namespace {

struct CheckOptions {
  std::vector<std::string> scene_paths;
  options::ItemChoice items;
  bool anchor = false;
  options::MotionOptions motion;
  options::ModuleOptions module;
  options::ReportOptions report;
};

// The exit code of a scene's findings.
int check_exit_code(const report::CheckFindings &findings) {
  if (findings.held_items != 0) return options::kExitBadInput;  // the file could not be fully read
  return findings.flips == 0 ? options::kExitOk : options::kExitFlipsFound;
}

// What check found, in the scene's entry of a JSON report.
void describe_findings(report::Json &entry, const report::CheckFindings &findings) {
  entry["totals"] =
      report::Json{{"flips", findings.flips},           {"flipped_items", findings.flipped_items},
                   {"spins", findings.spins},           {"spins_after", findings.spins_after},
                   {"held_items", findings.held_items}, {"modified_channels", findings.modified.channels}};
}

// How check_scene reports a scene.
enum class CheckReport {
  full,      // the report of the scene
  one_line,  // one line among several scenes'
  unread,    // --quiet without --report: only what the exit code and the errors need
};

// Checks one scene: the scan runs on a copy read from the file, which is
// never written. Returns the findings and prints the report as `how` says;
// with `entry`, fills in the scene's entry of a JSON report.
report::CheckFindings check_scene(const CheckOptions &options, const std::string &scene_path,
                                  loader::LoadedModule &module, CheckReport how, std::ostream &out,
                                  report::Json *entry) {
  // The module's progress and messages are not the report.
  session::SceneSession session(scene_path, options.motion, true);
  host::Host &host = session.host();
  if (!options.module.quiet) session.document().print_notes(std::cerr);
  session.choose_items(options.items, options::DefaultChoice::kAllItems);
  const std::vector<files::HeldItem> &held = session.held();
  const std::vector<scene::Item *> &items = session.items();
  std::optional<session::KeyMissingReport> key_missing;
  if (options.motion.key_missing) key_missing = session::add_missing_rotation_keys(host, items);
  if (how != CheckReport::full) {
    // No spins, no tables: the findings of the scan alone.
    const session::FixRun run =
        session.run_module(module, "Tavorix:Scan", options.anchor, session::Repeat::until_settled);
    report::CheckFindings findings = report::count_flips(run);
    findings.held_items = held.size();
    if (how == CheckReport::one_line) {
      print_check_line(out, scene_path, findings);
      print_held_items(out, held, "  ", "not checked");
    } else {
      print_held_items(std::cerr, held, "tavorix: ", "not checked");
    }
    return findings;
  }
  const double fps = session.frames_per_second();
  if (entry != nullptr) report::describe_scene_file(*entry, session.document(), fps);
  motion::RunSpins spins;
  spins.before = motion::find_spins(items, fps, host.hermite_tangents());
  const session::FixRun run =
      session.run_module(module, "Tavorix:Scan", options.anchor, session::Repeat::until_settled);
  spins.after = motion::find_spins(items, fps, host.hermite_tangents());
  if (key_missing) report::print_key_missing(out, *key_missing, fps);
  report::CheckFindings findings = report::print_check_report(out, scene_path, fps, run, spins);
  findings.held_items = held.size();
  print_held_items(out, held, "", "not checked");
  if (options.module.quiet) print_held_items(std::cerr, held, "tavorix: ", "not checked");
  if (entry != nullptr) {
    (*entry)["items"] = report::items_json(run, fps, &spins, nullptr);
    describe_findings(*entry, findings);
    (*entry)["key_missing"] =
        key_missing ? report::key_missing_json(*key_missing, fps) : report::Json(nullptr);
    (*entry)["held_items"] = report::held_items_json(held);
    (*entry)["written"] = report::written_json(files::WrittenFiles{{}, {}, {}, "check writes nothing"});
  }
  return findings;
}

int run_check(const CheckOptions &options) {
  report::Json options_json = common_options_json(options.scene_paths, options.module, options.report);
  options_json["select"] = options.items.names;
  options_json["all"] = options.items.all;
  options_json["anchor_near_zero"] = options.anchor;
  options_json["key_missing"] = options.motion.key_missing;
  options_json["hermite_tangents"] = options.motion.hermite_tangents;
  CommandReport reporting(options.report, "check", std::move(options_json), options.scene_paths, nullptr);
  std::ostringstream discarded;
  std::ostream &out = reporting.text_file() != nullptr           ? *reporting.text_file()
                      : options.module.quiet || reporting.json() ? static_cast<std::ostream &>(discarded)
                                                                 : std::cout;
  return reporting.run([&] {
    const std::unique_ptr<loader::LoadedModule> module = session::load_module(options.module.module_path);
    // A JSON report holds every scene in full.
    const CheckReport how = &out == &discarded && !reporting.json()               ? CheckReport::unread
                            : options.scene_paths.size() > 1 && !reporting.json() ? CheckReport::one_line
                                                                                  : CheckReport::full;
    return options::for_each_scene(options.scene_paths, [&](const std::string &scene_path) {
      return reporting.scene(scene_path, [&](report::Json *entry) {
        return check_exit_code(check_scene(options, scene_path, *module, how, out, entry));
      });
    });
  });
}

}  // namespace

Subcommand add_check_command(CLI::App &program) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App *parser = program.add_subcommand(
      "check",
      "Tell what a scan would fix in a scene's rotation keys; exit code 1 when it would fix anything");
  parser
      ->add_option("SCENE", options->scene_paths,
                   "The scene: a LightWave .lws (versions 3 to 8) or .json file; several may be given")
      ->required();
  options::add_item_options(*parser, options->items, "Without --select, every item is checked");
  options::add_anchor_option(*parser, options->anchor);
  options::add_motion_options(*parser, options->motion, true);
  options::add_module_options(*parser, options->module);
  options::add_report_options(*parser, options->report);
  parser->footer(
      "Runs the module's scan on the scene as read, writes nothing, and lists the flips: each key triple\n"
      "(the heading, pitch and bank keys at one time) that 'tavorix scan' would rewrite, with its frame\n"
      "and its angles before and after. Exit code 0 when there is none, so that 'check || scan\n"
      "--in-place' ends with a clean scene. Also listed, for information only, are what the scan keeps:\n"
      "turns of more than a quarter turn between consecutive keys (a spin keyed on purpose stays a spin)\n"
      "and keys beyond a whole turn; the spins the viewer sees as the scene is and after a scan (spans\n"
      "between keys along which the orientation, sampled on the curves as Layout evaluates them,\n"
      "travels more than a quarter turn further than the shortest turn between the span's ends: \"turns\n"
      "266.2 degrees on its way to a pose 93.8 degrees away\"); and the pitch keys the scan skips because\n"
      "heading and bank have no keys at their time (--key-missing checks as 'scan --key-missing' would\n"
      "scan).\n\n"
      "Rotation channels that carry channel modifiers (expressions, links: blocks after an envelope's\n"
      "keys) are named: their keys are checked, not the modified motion, which this program cannot\n"
      "evaluate.\n\n"
      "With several scenes, one line each; the exit code is that of the worst: 3 when the module failed\n"
      "on one, else 2 when one could not be read, else 1 when one has flips, else 0.\n\n"
      "Examples:\n"
      "  tavorix check shot.lws\n"
      "  tavorix check shot.lws --select Cam --quiet || tavorix scan shot.lws --select Cam --in-place\n"
      "  tavorix check shots/*.lws");
  return Subcommand{parser, [options] { return run_check(*options); }};
}

}  // namespace cli::commands
