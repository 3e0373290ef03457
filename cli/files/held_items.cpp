#include "cli/files/held_items.h"

#include <algorithm>
#include <iterator>

#include "cli/options/cli_failure.h"
#include "scene_files/lws_order_lines.h"
#include "text/printable_text.h"

namespace cli::files {

std::vector<HeldItem> held_items(const SceneDocument &document, const scene::Scene &scene) {
  std::vector<HeldItem> held;
  const scene_files::LwsSceneFile *file = document.lws_file();
  if (file == nullptr) return held;
  for (const scene_files::LwsSceneFile::ItemSource &source : file->items()) {
    if (source.order_line < 0) continue;
    held.push_back(HeldItem{scene.find_item(source.id), scene_files::held_item_message(*file, source),
                            file->file_name(), source.order_line + 1});
  }
  return held;
}

std::vector<scene::Item *> without_held(const std::vector<scene::Item *> &items,
                                        const std::vector<HeldItem> &held) {
  std::vector<scene::Item *> kept;
  kept.reserve(items.size());
  for (scene::Item *item : items) {
    const bool is_held =
        std::any_of(held.begin(), held.end(), [item](const HeldItem &h) { return h.item == item; });
    if (!is_held) kept.push_back(item);
  }
  return kept;
}

void print_held_items(std::ostream &out, const std::vector<HeldItem> &held, const char *prefix,
                      const char *outcome) {
  if (held.empty()) return;
  for (const HeldItem &item : held) out << prefix << item.message << '\n';
  out << prefix << held.size() << (held.size() == 1 ? " item " : " items ") << outcome << ": "
      << (held.size() == 1 ? "its" : "their") << " rotation order could not be read\n";
}

void refuse_json_with_held_items(const SceneDocument &document) {
  const scene_files::LwsSceneFile *file = document.lws_file();
  if (file == nullptr) return;
  for (const scene_files::LwsSceneFile::ItemSource &source : file->items()) {
    if (source.order_line < 0) continue;
    throw options::CliFailure(
        options::kExitBadInput, file->file_name(), source.order_line + 1,
        "'" + text::printable(source.name) +
            "' has a rotation order tavorix cannot read from a .lws file, and a JSON scene would "
            "give it H-P-B: write this scene as .lws (which keeps the item as it was); nothing was "
            "written");
  }
}

std::vector<double> item_keys(const scene::Item &item) {
  std::vector<double> keys;
  for (const auto &channel : item.channels) {
    const scene::Envelope &envelope = channel->envelope;
    keys.push_back(static_cast<double>(envelope.size()));
    keys.push_back(envelope.pre_behavior);
    keys.push_back(envelope.post_behavior);
    for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
      keys.push_back(key->time);
      keys.push_back(key->value);
      const scene::KeyShape shape = envelope.shape(key);
      keys.push_back(shape.span_type);
      keys.insert(keys.end(), std::begin(shape.params), std::end(shape.params));
    }
  }
  return keys;
}

}  // namespace cli::files
