// tavorix scan | inferior | superior: run one of the module's correction
// commands on the chosen items of a scene and write the result.

#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/commands/command_report.h"
#include "cli/commands/subcommands.h"
#include "cli/files/file_io.h"
#include "cli/files/held_items.h"
#include "cli/files/scene_document.h"
#include "cli/files/scene_output.h"
#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/options/several_scenes.h"
#include "cli/report/fix_summary.h"
#include "cli/report/json_document.h"
#include "cli/report/json_report.h"
#include "cli/report/key_missing_note.h"
#include "cli/report/modified_channels.h"
#include "cli/report/svg_plot.h"
#include "cli/session/fix_run.h"
#include "cli/session/key_missing.h"
#include "cli/session/module_session.h"
#include "cli/session/scene_session.h"
#include "motion/spins.h"

namespace cli::commands {
namespace {

struct FixOptions {
  std::vector<std::string> scene_paths;
  options::ItemChoice items;
  options::TimeOptions time;
  options::OutputOptions output;
  bool anchor = false;
  options::MotionOptions motion;
  options::ModuleOptions module;
  options::ReportOptions report;
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
    "Walks each item's key triples (its heading, pitch and bank keys at one time) in time order and\n"
    "gives every one the Euler triple of its orientation that lies closest to the triple before it:\n"
    "whole turns added or taken away, or the other triple (h+180, 180-p, b+180). The first key triple\n"
    "of each item stays as it is (--anchor-near-zero first moves it by whole turns near zero). A pitch\n"
    "key without heading and bank keys at its time is left alone (--key-missing first adds them,\n"
    "on the curves). Values the module gives back changed by less than 1e-6 rad only (its rounding)\n"
    "keep their text. Where a key triple becomes the other triple, the pitch key's stored tangents\n"
    "are negated, so that the item moves through the key as it did.\n\n"
    "The report gives, per item, the spins the viewer sees before and after: spans between keys\n"
    "along which the orientation, sampled on the curves as Layout evaluates them, travels more\n"
    "than a quarter turn further than the shortest turn between the span's ends. Rotation channels\n"
    "that carry channel modifiers (expressions, links) are named after the table: their keys are\n"
    "scanned as any others, and their spins are those of the keys' curves, not of the modified motion.\n\n"
    "With several scenes, each is scanned on its own (with --in-place, or to report only), one line each;\n"
    "the exit code is the worst of them.\n\n"
    "Examples:\n"
    "  tavorix scan shot.lws -o shot-fixed.lws\n"
    "  tavorix scan shot.lws --select Cam --select Camera --in-place --plot shot.svg\n"
    "  tavorix scan shot.lws                  (report only, nothing written)\n"
    "  tavorix scan shot.lws --key-missing -o shot-fixed.lws\n"
    "  tavorix scan shots/*.lws --in-place",
    true};

const FixCommand kInferior = {
    "inferior", "Tavorix:InferiorAngle", "Switch the key triple at one time to its other Euler triple",
    "At the current time, makes sure each chosen item has heading, pitch and bank keys (made from\n"
    "the neighbouring key where missing) and rewrites that key triple into the other triple of the\n"
    "same orientation, each angle the nearest whole number of turns from the neighbouring key. Run it\n"
    "again to switch back.\n\n"
    "Examples:\n"
    "  tavorix inferior shot.lws --select Cam --frame 84 -o shot-fixed.lws\n"
    "  tavorix inferior rig.json --all --time 2.8 --in-place",
    false};

const FixCommand kSuperior = {
    "superior", "Tavorix:SuperiorAngle", "Like inferior, with the pitch one whole turn further out",
    "Like inferior (see 'tavorix inferior --help'), with the pitch placed one whole turn further out,\n"
    "on the side nearer the neighbouring key's pitch. The first run on a key that holds its plain\n"
    "triple therefore moves only its pitch by a whole turn (the same orientation, one turn out); the\n"
    "runs after it switch between the two triples, both one turn out. For the plain switch between\n"
    "the two triples, run 'tavorix inferior'.\n\n"
    "Examples:\n"
    "  tavorix superior shot.lws --select Cam --frame 84 -o shot-fixed.lws",
    false};

// Where one scene's report goes beside its usual stream.
struct SceneReport {
  report::Json *json = nullptr;  // the scene's entry of a JSON report: no text then
  std::ostream *text = nullptr;  // the --report file's text
  bool quiet_host = false;       // several scenes: one progress bar would follow another
};

// One scene, in full: its report, then its outputs.
int fix_scene(const FixCommand &command, const FixOptions &options, const std::string &scene_path,
              loader::LoadedModule *loaded_module, const SceneReport &to = SceneReport()) {
  const files::SceneOutputs outputs = files::SceneOutputs::plan(options.output, scene_path);
  session::SceneSession session(scene_path, options.motion, options.module.quiet || to.quiet_host);
  host::Host &host = session.host();
  const files::SceneDocument &document = session.document();
  outputs.check_document(document);
  if (!options.module.quiet) document.print_notes(std::cerr);
  session.choose_items(options.items, command.is_scan ? options::DefaultChoice::kAllItems
                                                      : options::DefaultChoice::kSceneSelection);
  const std::vector<scene::Item *> &items = session.items();
  const std::vector<files::HeldItem> &held = session.held();
  options::apply_time(session.scene(), options.time);

  std::unique_ptr<loader::LoadedModule> own_module;
  if (loaded_module == nullptr) {
    own_module = session::load_module(options.module.module_path);
    loaded_module = own_module.get();
  }
  const double fps = session.frames_per_second();
  if (to.json != nullptr) report::describe_scene_file(*to.json, document, fps);
  // With --quiet and no --report the report is thrown away: no spins for it.
  const bool report_read = to.json != nullptr || to.text != nullptr || !options.module.quiet;
  motion::RunSpins spins;
  if (report_read) spins.before = motion::find_spins(items, fps, host.hermite_tangents());
  report::PlotMotions motions;
  if (outputs.writes_plot()) motions.before = report::sample_motions(items, fps, host.hermite_tangents());
  std::optional<session::KeyMissingReport> key_missing;
  if (options.motion.key_missing) key_missing = session::add_missing_rotation_keys(host, items);
  const session::FixRun run =
      session.run_module(*loaded_module, command.server, options.anchor,
                         command.is_scan ? session::Repeat::until_settled : session::Repeat::once);
  if (report_read) spins.after = motion::find_spins(items, fps, host.hermite_tangents());

  std::ostringstream discarded;
  std::ostream &report = to.json != nullptr                 ? static_cast<std::ostream &>(discarded)
                         : to.text != nullptr               ? *to.text
                         : options.module.quiet             ? discarded
                         : outputs.writes_standard_output() ? std::cerr
                                                            : std::cout;
  report << command.name << " " << scene_path << ": " << items.size()
         << (items.size() == 1 ? " item" : " items") << "\n";
  if (key_missing) report::print_key_missing(report, *key_missing, fps);
  report::print_fix_totals(report, report::print_fix_summary(report, run, report_read ? &spins : nullptr));
  if (run.reflected_slopes != 0) {
    // The middle letter's channel of each item's order: pitch in H-P-B.
    const char *which = run.reflected_not_pitch == 0 ? " pitch key" : " middle-channel key";
    report << run.reflected_slopes << which << (run.reflected_slopes == 1 ? "'s" : "s'")
           << " stored slopes negated with the other triple, so that the motion at "
           << (run.reflected_slopes == 1 ? "it" : "them") << " stays\n";
  }
  report::print_modified_channels(
      report, run.before,
      "the keys are worked on as on any channel, and the spins are those of the keys' "
      "curves, not of the modified motion");
  files::print_held_items(report, held);
  if (options.module.quiet) print_held_items(std::cerr, held, "tavorix: ");
  std::string svg;
  if (outputs.writes_plot()) {
    const std::string title =
        std::string(command.name) + " " + files::base_name(scene_path) + ": rotation before and after";
    motions.after = report::sample_motions(items, fps, host.hermite_tangents());
    svg = report::render_rotation_plot(title, report::moving_panels(run, &motions), fps);
  }
  files::WrittenFiles written;
  outputs.write(document, session.scene(), svg, options.module.quiet, report, &written);
  if (to.json != nullptr) {
    report::Json &entry = *to.json;
    entry["items"] = report::items_json(run, fps, &spins, &run.reflected_by_item);
    const report::FixTotals totals = report::count_fix_totals(run);
    entry["totals"] = report::Json{{"items", totals.items},
                                   {"key_triples_rewritten", totals.triples_rewritten},
                                   {"items_changed", totals.items_changed},
                                   {"middle_slopes_negated", run.reflected_slopes},
                                   {"anchored_items", run.anchored_items},
                                   {"module_runs", run.module_runs}};
    entry["key_missing"] = key_missing ? report::key_missing_json(*key_missing, fps) : report::Json(nullptr);
    entry["held_items"] = report::held_items_json(held);
    entry["written"] = report::written_json(written);
  }
  return session.exit_code();
}

// One scene among several: one line.
int fix_scene_in_one_line(const FixCommand &command, const FixOptions &options, const std::string &scene_path,
                          loader::LoadedModule &module, std::ostream &out) {
  const files::SceneOutputs outputs = files::SceneOutputs::plan(options.output, scene_path);
  session::SceneSession session(scene_path, options.motion, true);
  if (!options.module.quiet) session.document().print_notes(std::cerr);
  session.choose_items(options.items, options::DefaultChoice::kAllItems);
  const std::vector<files::HeldItem> &held = session.held();
  if (options.motion.key_missing) session::add_missing_rotation_keys(session.host(), session.items());
  const session::FixRun run =
      session.run_module(module, command.server, options.anchor, session::Repeat::until_settled);
  std::ostringstream said;
  outputs.write(session.document(), session.scene(), std::string(), false, said);
  const int code = session.exit_code();
  if (options.module.quiet) {
    files::print_held_items(std::cerr, held, "tavorix: ");
    return code;
  }
  out << scene_path << ": ";
  report::print_fix_totals(out, report::count_fix_totals(run));
  if (const report::ModifiedCount modified = report::count_modified_channels(run.before);
      modified.channels != 0)
    out << "  " << report::modified_count_text(modified) << " (worked on the keys)\n";
  std::string lines = said.str();
  if (!lines.empty() && lines.back() == '\n') lines.pop_back();
  out << "  " << lines << '\n';
  files::print_held_items(out, held, "  ");
  return code;
}

report::Json options_json(const FixCommand &command, const FixOptions &options) {
  report::Json json = common_options_json(options.scene_paths, options.module, options.report);
  json["select"] = options.items.names;
  json["all"] = options.items.all;
  if (command.is_scan) {
    json["anchor_near_zero"] = options.anchor;
    json["key_missing"] = options.motion.key_missing;
  } else {
    add_time_json(json, options.time);
  }
  json["hermite_tangents"] = options.motion.hermite_tangents;
  add_output_json(json, options.output);
  return json;
}

int run_fix_command(const FixCommand &command, const FixOptions &options) {
  CommandReport reporting(options.report, command.name, options_json(command, options), options.scene_paths,
                          &options.output);
  return reporting.run([&] {
    if (options.scene_paths.size() == 1) {
      return reporting.scene(options.scene_paths[0], [&](report::Json *entry) {
        return fix_scene(command, options, options.scene_paths[0], nullptr,
                         SceneReport{entry, reporting.text_file(), false});
      });
    }
    if (!options.output.output.empty())
      throw options::bad_input(
          "-o names one output; with several scenes use --in-place (or neither, to report only)");
    if (!options.output.plot.empty())
      throw options::bad_input("--plot draws one scene; give one scene with it");
    const std::unique_ptr<loader::LoadedModule> module = session::load_module(options.module.module_path);
    std::ostream &out = reporting.text_file() != nullptr ? *reporting.text_file() : std::cout;
    return options::for_each_scene(options.scene_paths, [&](const std::string &scene_path) {
      return reporting.scene(scene_path, [&](report::Json *entry) {
        if (entry != nullptr)
          return fix_scene(command, options, scene_path, module.get(), SceneReport{entry, nullptr, true});
        return fix_scene_in_one_line(command, options, scene_path, *module, out);
      });
    });
  });
}

Subcommand add_fix_command(CLI::App &program, const FixCommand &command) {
  auto options = std::make_shared<FixOptions>();
  CLI::App *parser = program.add_subcommand(command.name, command.summary);
  auto *scenes =
      parser->add_option("SCENE", options->scene_paths,
                         command.is_scan ? "The scene: a LightWave .lws (versions 3 to 8) or .json file; "
                                           "several may be given"
                                         : "The scene: a LightWave .lws (versions 3 to 8) or .json file");
  scenes->required();
  if (!command.is_scan) scenes->expected(1);
  options::add_item_options(*parser, options->items,
                            command.is_scan
                                ? "Without --select, every item is scanned"
                                : "Without --select or --all, the items the scene selects (JSON)");
  if (!command.is_scan) options::add_time_options(*parser, options->time, true);
  if (command.is_scan) options::add_anchor_option(*parser, options->anchor);
  options::add_motion_options(*parser, options->motion, command.is_scan);
  options::add_output_options(*parser, options->output);
  options::add_module_options(*parser, options->module);
  options::add_report_options(*parser, options->report);
  parser->footer(command.details);
  return Subcommand{parser, [command, options] { return run_fix_command(command, *options); }};
}

}  // namespace

Subcommand add_scan_command(CLI::App &program) { return add_fix_command(program, kScan); }
Subcommand add_inferior_command(CLI::App &program) { return add_fix_command(program, kInferior); }
Subcommand add_superior_command(CLI::App &program) { return add_fix_command(program, kSuperior); }

}  // namespace cli::commands
