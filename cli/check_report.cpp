#include "cli/check_report.h"

#include "cli/angle_text.h"
#include "cli/flip_finder.h"
#include "cli/text_table.h"

namespace cli {

std::size_t print_check_report(std::ostream &out, const std::string &scene_path, double fps,
                               const std::vector<ItemRotation> &items) {
  out << scene_path << ": " << items.size() << (items.size() == 1 ? " item" : " items") << " checked at "
      << fps << " fps\n";
  TextTable table({"item", "kind", "keys H/P/B", "jumps > 90\u00b0", "beyond 360\u00b0", ""});
  std::vector<std::vector<std::string>> details(items.size());
  std::size_t flips = 0, flipped_items = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemRotation &item = items[i];
    const FlipFindings findings = find_flips(item);
    flips += findings.count();
    if (findings.count() != 0) ++flipped_items;
    table.add_row({item.name, host::item_kind_name(item.kind),
                   std::to_string(item.channels[0].size()) + "/" + std::to_string(item.channels[1].size()) + "/" +
                       std::to_string(item.channels[2].size()),
                   std::to_string(findings.jumps.size()), std::to_string(findings.beyond_turn.size()),
                   findings.count() == 0 ? "ok" : "FLIPS"});
    for (const RotationJump &jump : findings.jumps) {
      details[i].push_back(std::string(kRotationChannelWords[jump.channel]) + " jumps " +
                           signed_degrees_text(jump.to.value - jump.from.value) + " from frame " +
                           frame_text(jump.from.time, fps) + " to " + frame_text(jump.to.time, fps) + " (" +
                           degrees_text(jump.from.value) + " \u2192 " + degrees_text(jump.to.value) + ")");
    }
    for (const KeyBeyondTurn &key : findings.beyond_turn) {
      details[i].push_back(std::string(kRotationChannelWords[key.channel]) + " at frame " +
                           frame_text(key.key.time, fps) + " is " + degrees_text(key.key.value) +
                           ", beyond a whole turn");
    }
  }
  table.print(out, "  ");
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (details[i].empty()) continue;
    out << "\n" << items[i].name << ":\n";
    for (const std::string &line : details[i]) out << "  " << line << '\n';
  }
  out << '\n';
  if (flips == 0) {
    out << "clean: no jump over a quarter turn and no key beyond a whole turn\n";
  } else {
    out << flips << (flips == 1 ? " flip" : " flips") << " in " << flipped_items
        << (flipped_items == 1 ? " item" : " items")
        << " (jumps over a quarter turn between keys, keys beyond a whole turn)\n";
  }
  return flips;
}

}  // namespace cli
