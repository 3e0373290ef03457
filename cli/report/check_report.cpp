#include "cli/report/check_report.h"

#include "cli/report/angle_text.h"
#include "cli/report/order_text.h"
#include "cli/report/rotation_notes.h"
#include "cli/report/text_table.h"
#include "cli/session/triple_changes.h"
#include "motion/channel_roles.h"
#include "text/count_text.h"
#include "text/printable_text.h"

namespace cli::report {
namespace {

std::string count_of(std::size_t n, const char *one, const char *many) {
  return text::counted(static_cast<long long>(n), one, many);
}

// "(H -140.2°, P 0.0°, B -11.0°)", "no key" where a channel has none.
std::string triple_text(const std::array<std::optional<double>, 3> &values) {
  static const char *const kLetters[3] = {"H ", "P ", "B "};
  std::string text;
  for (int channel = 0; channel < 3; ++channel) {
    text += channel == 0 ? "(" : ", ";
    text += kLetters[channel] + (values[channel] ? degrees_text(*values[channel]) : std::string("no key"));
  }
  return text + ")";
}

std::string kind_text(session::TripleChange::Kind kind, KeyFrame::RotationOrder order) {
  switch (kind) {
    case session::TripleChange::Kind::whole_turns: return "the same angles moved by whole turns";
    case session::TripleChange::Kind::other_triple: return "the other Euler triple of the orientation";
    case session::TripleChange::Kind::gimbal_fold: {
      // In H-P-B: at pitch 90° heading and bank turn about one axis.
      const motion::ChannelRoles roles = motion::channel_roles(order);
      const std::string first = session::kRotationChannelWords[roles.first];
      const std::string last = session::kRotationChannelWords[roles.last];
      return "at " + std::string(session::kRotationChannelWords[roles.middle]) + " 90\u00b0 " + first +
             " and " + last + " turn about one axis: the " + last + " goes into the " + first;
    }
    case session::TripleChange::Kind::added: return "keys made where a channel had none";
  }
  return "";
}

std::string flip_text(const session::TripleChange &change, double fps) {
  return "flip at frame " + frame_text(change.time, fps) + ": " + triple_text(change.before) + " \u2192 " +
         triple_text(change.after) + ", " + kind_text(change.kind(), change.order);
}

std::string step_text(const RotationStep &step, double fps) {
  return std::string(session::kRotationChannelWords[step.channel]) + " turns " +
         signed_degrees_text(step.size()) + " from frame " + frame_text(step.from.time, fps) + " to " +
         frame_text(step.to.time, fps) + ": a large turn the scan keeps";
}

std::string beyond_text(const KeyBeyondTurn &key, double fps) {
  return std::string(session::kRotationChannelWords[key.channel]) + " at frame " +
         frame_text(key.key.time, fps) + " is " + degrees_text(key.key.value) +
         ", beyond a whole turn (--anchor-near-zero moves a first key)";
}

}  // namespace

std::string spin_text(const motion::Spin &spin, double fps) {
  return "spin from frame " + frame_text(spin.from, fps) + " to " + frame_text(spin.to, fps) + ": turns " +
         degrees_text(spin.travel) + " on its way to a pose " + degrees_text(spin.shortest) + " away";
}

namespace {

// A long scene would list thousands of lines; the first few of each kind
// show what is wrong, the count says how much.
constexpr std::size_t kLinesListed = 20;

template <typename Found, typename Describe>
void list_some(std::vector<std::string> &lines, const std::vector<Found> &found, Describe describe,
               const char *what) {
  for (std::size_t i = 0; i < found.size() && i < kLinesListed; ++i) lines.push_back(describe(found[i]));
  if (found.size() > kLinesListed)
    lines.push_back("... and " + std::to_string(found.size() - kLinesListed) + " more " + what);
}

}  // namespace

CheckFindings count_flips(const session::FixRun &run) {
  CheckFindings findings;
  for (const std::vector<session::TripleChange> &changes : run.changes) {
    const std::size_t flips = changes.size();
    findings.flips += flips;
    findings.flipped_items += flips != 0 ? 1 : 0;
  }
  findings.modified = count_modified_channels(run.before);
  return findings;
}

CheckFindings print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                                 const session::FixRun &run, const motion::RunSpins &spins) {
  out << scene_path << ": " << count_of(run.before.size(), "item", "items") << " checked at " << fps
      << " fps\n";
  TextTable table(
      {"item", "kind", "channel keys H/P/B", "flips", "turns > 90\u00b0", "beyond 360\u00b0", "spins", ""});
  std::vector<std::vector<std::string>> details(run.before.size());
  std::size_t large_steps = 0, beyond_turn = 0, lone_pitch_keys = 0, spins_before = 0, spins_after = 0;
  static const std::vector<motion::Spin> kNoSpins;
  for (std::size_t i = 0; i < run.changes.size(); ++i) {
    const session::ItemRotation &item = run.before[i];
    const std::vector<session::TripleChange> &flips = run.changes[i];
    // What stays once the scan has run.
    const RotationNotes notes = note_rotation(run.after[i]);
    large_steps += notes.large_steps.size();
    beyond_turn += notes.beyond_turn.size();
    const std::vector<motion::Spin> &seen = i < spins.before.size() ? spins.before[i] : kNoSpins;
    const std::vector<motion::Spin> &seen_after = i < spins.after.size() ? spins.after[i] : kNoSpins;
    spins_before += seen.size();
    spins_after += seen_after.size();
    const std::size_t lone = item.channels[1].size() - session::count_key_triples(item);
    lone_pitch_keys += lone;
    table.add_row({text::printable(item.name), scene::item_kind_name(item.kind),
                   std::to_string(item.channels[0].size()) + "/" + std::to_string(item.channels[1].size()) +
                       "/" + std::to_string(item.channels[2].size()),
                   std::to_string(flips.size()), std::to_string(notes.large_steps.size()),
                   std::to_string(notes.beyond_turn.size()),
                   std::to_string(seen.size()) + " \u2192 " + std::to_string(seen_after.size()),
                   flips.empty() ? "ok" : "FLIPS"});
    if (item.order != KeyFrame::RotationOrder::kHPB) details[i].push_back(order_note(item.order));
    if (const std::string modified = modified_channels_text(item); !modified.empty()) {
      details[i].push_back("channel modifiers: " + modified +
                           "; the flips and spins here are those of the keys' curves, not of the modified "
                           "motion");
    }
    list_some(
        details[i], flips, [fps](const session::TripleChange &change) { return flip_text(change, fps); },
        "flips");
    list_some(
        details[i], notes.large_steps, [fps](const RotationStep &step) { return step_text(step, fps); },
        "large turns");
    list_some(
        details[i], notes.beyond_turn, [fps](const KeyBeyondTurn &key) { return beyond_text(key, fps); },
        "keys beyond a whole turn");
    list_some(
        details[i], seen,
        [fps](const motion::Spin &spin) { return spin_text(spin, fps) + ", as the scene is"; }, "spins");
    list_some(
        details[i], seen_after,
        [fps](const motion::Spin &spin) { return spin_text(spin, fps) + ", after a scan"; },
        "spins after a scan");
    if (lone != 0) {
      details[i].push_back(count_of(lone, "pitch key", "pitch keys") + " without heading and bank keys at " +
                           (lone == 1 ? "its" : "their") + " time: the scan skips " +
                           (lone == 1 ? "it" : "them") +
                           " (tavorix scan --key-missing keys the other channels there first)");
    }
  }
  table.print(out, "  ");
  for (std::size_t i = 0; i < run.before.size(); ++i) {
    if (details[i].empty()) continue;
    out << "\n" << text::printable(run.before[i].name) << ":\n";
    for (const std::string &line : details[i]) out << "  " << line << '\n';
  }
  out << '\n';
  CheckFindings findings = count_flips(run);
  findings.spins = spins_before;
  findings.spins_after = spins_after;
  if (spins_before + spins_after != 0) {
    out << count_of(spins_before, "spin", "spins") << " the viewer sees between keys as the scene is, "
        << spins_after << " after a scan (a spin keyed on purpose stays)\n";
  }
  if (lone_pitch_keys != 0) {
    out << count_of(lone_pitch_keys, "pitch key", "pitch keys")
        << " the scan skips: no heading and bank keys at their time (see --key-missing)\n";
  }
  if (findings.modified.channels != 0) {
    out << modified_count_text(findings.modified)
        << ", which this program cannot evaluate: checked on the keys' curves, not on the modified motion "
           "(listed above)\n";
  }
  if (findings.flips != 0) {
    out << count_of(findings.flips, "flip", "flips") << " in "
        << count_of(findings.flipped_items, "item", "items") << ": key triples that tavorix scan rewrites\n";
  } else {
    out << "clean: tavorix scan would rewrite no key triple";
    std::vector<std::string> kept;
    if (large_steps != 0) kept.push_back(count_of(large_steps, "turn", "turns") + " over a quarter turn");
    if (beyond_turn != 0) kept.push_back(count_of(beyond_turn, "key", "keys") + " beyond a whole turn");
    if (!kept.empty()) {
      out << "; " << kept[0] << (kept.size() > 1 ? " and " + kept[1] : "") << " stay"
          << (large_steps + beyond_turn == 1 ? "s" : "") << ", listed above";
    }
    out << '\n';
  }
  return findings;
}

void print_check_line(std::ostream &out, const std::string &scene_path, const CheckFindings &findings) {
  if (findings.flips == 0) {
    out << scene_path << ": clean";
  } else {
    out << scene_path << ": " << count_of(findings.flips, "flip", "flips") << " in "
        << count_of(findings.flipped_items, "item", "items");
  }
  if (findings.modified.channels != 0) {
    out << "; " << modified_count_text(findings.modified) << " (checked on the keys)";
  }
  out << '\n';
}

}  // namespace cli::report
