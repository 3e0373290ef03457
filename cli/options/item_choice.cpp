#include "cli/options/item_choice.h"

#include "cli/options/cli_failure.h"

namespace cli::options {
namespace {

constexpr std::size_t kNamesListed = 12;

std::string some_item_names(const scene::Scene &scene) {
  std::string list;
  std::size_t shown = 0;
  for (const auto &item : scene.items()) {
    if (shown == kNamesListed) {
      list += ", ... (" + std::to_string(scene.items().size()) + " items)";
      break;
    }
    list += (list.empty() ? "'" : ", '") + item->name + "'";
    ++shown;
  }
  return list.empty() ? "none" : list;
}

}  // namespace

std::vector<scene::Item *> choose_items(const scene::Scene &scene, const ItemChoice &choice,
                                        DefaultChoice by_default, const std::string &scene_path) {
  std::vector<scene::Item *> chosen;
  if (!choice.names.empty()) {
    for (const std::string &name : choice.names) {
      scene::Item *item = scene.find_item(name);
      if (item == nullptr) {
        throw bad_input(scene_path + ": no item is named '" + name + "'; its items are " +
                        some_item_names(scene));
      }
      chosen.push_back(item);
    }
    return chosen;
  }
  if (choice.all || by_default == DefaultChoice::kAllItems) {
    for (const auto &item : scene.items()) chosen.push_back(item.get());
    return chosen;
  }
  if (!scene.selection().empty()) return scene.selection();
  throw bad_input(scene_path + ": no item is selected; name items with --select NAME or take all with --all");
}

}  // namespace cli::options
