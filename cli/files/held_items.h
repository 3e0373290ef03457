#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/files/scene_document.h"
#include "scene/scene.h"

namespace cli::files {

// The items of a .lws scene that tavorix keeps exactly as they were because
// a line of theirs names a rotation order it cannot read
// (scene_files/lws_order_lines.h). A file with one is a file that cannot be
// fully read: the run works on the other items and ends with exit code 2.
struct HeldItem {
  scene::Item *item = nullptr;
  std::string message;  // "shot.lws:57: 'Cam' is kept as it was: ..."
  std::string file;     // "shot.lws"
  int line = 0;         // 57: the line that names the order
};

std::vector<HeldItem> held_items(const SceneDocument &document, const scene::Scene &scene);

// `items` without the held ones, in their order.
std::vector<scene::Item *> without_held(const std::vector<scene::Item *> &items,
                                        const std::vector<HeldItem> &held);

// Each held item's message on a line of its own, each after `prefix`, then
// "1 item kept as it was: its rotation order could not be read" (`outcome`
// says what became of them: "not checked" for check).
void print_held_items(std::ostream &out, const std::vector<HeldItem> &held, const char *prefix = "",
                      const char *outcome = "kept as it was");

// Writing the scene as JSON would give a held item the order H-P-B: a guess.
// Throws CliFailure (bad input) naming the first held item when `document`
// has one.
void refuse_json_with_held_items(const SceneDocument &document);

// Every key of every channel of `item` (times, values, shapes, behaviours),
// to tell afterwards whether anything changed it.
std::vector<double> item_keys(const scene::Item &item);

}  // namespace cli::files
