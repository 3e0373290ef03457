#include "cli/check_report.h"

#include "cli/angle_text.h"
#include "cli/flip_finder.h"
#include "cli/text_table.h"

namespace cli {

namespace {

std::string jump_text(const RotationJump &jump, double fps) {
  const std::string where = " from frame " + frame_text(jump.from.time, fps) + " to " +
                            frame_text(jump.to.time, fps) + " (" + degrees_text(jump.from.value) +
                            " \u2192 " + degrees_text(jump.to.value) + "): ";
  const std::string channel = kRotationChannelWords[jump.channel];
  const std::string step = signed_degrees_text(jump.to.value - jump.from.value);
  switch (jump.kind) {
    case JumpKind::kWholeTurnFlip:
      return channel + " jumps " + step + where + "flip by whole turns; the short way is " +
             signed_degrees_text(jump.shortest_step);
    case JumpKind::kOtherTripleFlip:
      return channel + " jumps " + step + where +
             "flip between the two Euler triples of an orientation; within one triple the step is " +
             signed_degrees_text(jump.shortest_step);
    case JumpKind::kLargeTurn: break;
  }
  return channel + " turns " + step + where + "a large turn with no shorter equivalent, not a flip";
}

}  // namespace

std::size_t print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                               const std::vector<ItemRotation> &items) {
  out << scene_path << ": " << items.size() << (items.size() == 1 ? " item" : " items") << " checked at "
      << fps << " fps\n";
  TextTable table({"item", "kind", "keys H/P/B", "jumps > 90\u00b0", "beyond 360\u00b0", "flips", ""});
  std::vector<std::vector<std::string>> details(items.size());
  std::size_t flips = 0, flipped_items = 0, large_turns = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemRotation &item = items[i];
    const FlipFindings findings = find_flips(item);
    flips += findings.count();
    large_turns += findings.jumps.size() - findings.flip_jump_count();
    if (findings.count() != 0) ++flipped_items;
    table.add_row({item.name, host::item_kind_name(item.kind),
                   std::to_string(item.channels[0].size()) + "/" + std::to_string(item.channels[1].size()) +
                       "/" + std::to_string(item.channels[2].size()),
                   std::to_string(findings.jumps.size()), std::to_string(findings.beyond_turn.size()),
                   std::to_string(findings.count()), findings.count() == 0 ? "ok" : "FLIPS"});
    for (const RotationJump &jump : findings.jumps) details[i].push_back(jump_text(jump, fps));
    for (const KeyBeyondTurn &key : findings.beyond_turn) {
      details[i].push_back(std::string(kRotationChannelWords[key.channel]) + " at frame " +
                           frame_text(key.key.time, fps) + " is " + degrees_text(key.key.value) +
                           ", beyond a whole turn: flip");
    }
  }
  table.print(out, "  ");
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (details[i].empty()) continue;
    out << "\n" << items[i].name << ":\n";
    for (const std::string &line : details[i]) out << "  " << line << '\n';
  }
  out << '\n';
  if (flips != 0) {
    out << flips << (flips == 1 ? " flip" : " flips") << " in " << flipped_items
        << (flipped_items == 1 ? " item" : " items") << "\n";
  } else if (large_turns != 0) {
    out << "clean: no flips; " << large_turns << (large_turns == 1 ? " large turn" : " large turns")
        << " over a quarter turn between keys, listed above\n";
  } else {
    out << "clean: no jump over a quarter turn and no key beyond a whole turn\n";
  }
  return flips;
}

}  // namespace cli
