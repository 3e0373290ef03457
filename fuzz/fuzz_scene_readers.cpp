// The .lws and JSON scene readers fed arbitrary bytes. Every input goes to
// both readers (each rejects the other's format at once).
//
// What must hold: a reader either loads the text or throws SceneFileError;
// any other exception, a crash or a hang (libFuzzer's -timeout) is a finding.
// What loads must also come back out:
// - .lws: writing the unchanged scene gives the text that was read, byte for
//   byte;
// - both: the scene written as JSON (or SceneFileError, the writer's one
//   refusal) reads back into the same scene.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "scene/scene.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"

namespace {

[[noreturn]] void fail(const char *what, const std::string &detail = "") {
  std::fprintf(stderr, "scene readers: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}

// Whether two envelopes hold the same keys (times and values, bit for bit
// up to the sign of zero).
bool same_keys(const scene::Envelope &a, const scene::Envelope &b) {
  if (a.size() != b.size()) return false;
  for (const scene::Key *x = a.first(), *y = b.first(); x != nullptr; x = x->next, y = y->next) {
    if (y == nullptr || x->time != y->time || x->value != y->value) return false;
  }
  return true;
}

// What the JSON format carries of a scene: items in order with kind, id,
// parent, rotation order and keyed or modified channels (keys and modifiers' server names),
// the selection by name, the current time.
std::string scene_difference(const scene::Scene &a, const scene::Scene &b) {
  if (a.items().size() != b.items().size()) return "item count";
  for (std::size_t i = 0; i < a.items().size(); ++i) {
    const scene::Item &x = *a.items()[i];
    const scene::Item &y = *b.items()[i];
    const std::string where = "item " + std::to_string(i) + " '" + x.name + "'";
    if (x.name != y.name || x.kind != y.kind || x.id != y.id) return where + ": name, kind or id";
    if (x.parent_id != y.parent_id && a.find_item(x.parent_id) != nullptr) return where + ": parent";
    if (x.rotation_order != y.rotation_order) return where + ": rotation order";
    for (const auto &channel : x.channels) {
      const scene::Channel *other = y.channel(channel->name);
      const bool kept = channel->envelope.size() != 0 || !channel->modifiers.empty();
      if (kept && (other == nullptr || !same_keys(channel->envelope, other->envelope) ||
                   channel->modifiers != other->modifiers))
        return where + ": " + channel->name;
    }
    for (const auto &channel : y.channels) {
      const scene::Channel *other = x.channel(channel->name);
      const bool kept = channel->envelope.size() != 0 || !channel->modifiers.empty();
      if (kept && other == nullptr) return where + ": extra " + channel->name;
    }
  }
  if (a.selection().size() != b.selection().size()) return "selection size";
  for (std::size_t i = 0; i < a.selection().size(); ++i) {
    if (a.selection()[i]->name != b.selection()[i]->name) return "selection entry " + std::to_string(i);
  }
  if (a.current_time() != b.current_time()) return "current time";
  return "";
}

// The scene as JSON must read back as the same scene.
void check_json_round_trip(const scene::Scene &scene) {
  std::string json;
  try {
    json = scene_files::write_json_scene(scene, "fuzz.json");
  } catch (const scene_files::SceneFileError &) {
    return;  // a key that is not a finite number: the writer's documented refusal
  }
  scene::Scene back;
  try {
    scene_files::read_json_scene(json, "fuzz.json", back);
  } catch (const scene_files::SceneFileError &error) {
    fail("the JSON written for a scene does not read back", std::string(error.what()) + "\n" + json);
  }
  const std::string difference = scene_difference(scene, back);
  if (!difference.empty())
    fail("the JSON written for a scene reads back as another scene", difference + "\n" + json);
}

void run_lws(const std::string &text) {
  scene::Scene scene;
  try {
    const scene_files::LwsSceneFile file = scene_files::LwsSceneFile::read(text, "fuzz.lws", scene);
    std::string written;
    try {
      written = file.write(scene);
    } catch (const scene_files::SceneFileError &error) {
      fail("writing an unchanged .lws scene failed", error.what());
    }
    if (written != text) fail("writing an unchanged .lws scene changed its text");
  } catch (const scene_files::SceneFileError &) {
    return;
  }
  check_json_round_trip(scene);
}

void run_json(const std::string &text) {
  scene::Scene scene;
  try {
    scene_files::read_json_scene(text, "fuzz.json", scene);
  } catch (const scene_files::SceneFileError &) {
    return;
  }
  check_json_round_trip(scene);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  try {
    run_lws(text);
    run_json(text);
  } catch (const std::exception &error) {
    fail("an exception other than SceneFileError left a reader or writer", error.what());
  }
  return 0;
}
