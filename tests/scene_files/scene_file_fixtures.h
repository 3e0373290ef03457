#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "support/build_paths.h"

namespace scene_file_fixtures {

// The real LightWave scenes kept in tests/data/scenes (see its MANIFEST.txt).
inline const std::vector<std::string> &real_scene_names() {
  static const std::vector<std::string> names = {"M02.seq_takeoff_02.lws", "M01.seq_takeoff_01.lws",
                                                 "D01.seq_03_ride.lws", "seq_stonehenge_03.lws",
                                                 "QuickDraw_v.2.2.lws"};
  return names;
}

inline std::string scene_path(const std::string &name) {
  return std::string(testing_support::build_paths::source_dir()) + "/tests/data/scenes/" + name;
}

inline std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The error of reading `text` as the .lws file `file_name`; fails the test
// when the read succeeds.
inline scene_files::SceneFileError read_lws_error(const std::string &text, const std::string &file_name) {
  scene::Scene scene;
  try {
    scene_files::LwsSceneFile::read(text, file_name, scene);
  } catch (const scene_files::SceneFileError &error) {
    return error;
  }
  ADD_FAILURE() << "reading " << file_name << " succeeded";
  return scene_files::SceneFileError("", 0, "");
}

// A scene read from .lws text, with what is needed to write it back.
struct LoadedLws {
  explicit LoadedLws(const std::string &text, const std::string &name = "test.lws")
      : file(scene_files::LwsSceneFile::read(text, name, scene)) {}

  scene::Item &item(const std::string &name) const {
    scene::Item *found = scene.find_item(name);
    if (found == nullptr) throw std::runtime_error("no item " + name);
    return *found;
  }
  scene::Envelope &envelope(const std::string &item_name, int channel) const {
    return *item(item_name).envelope(scene::kChannelNames[channel]);
  }

  scene::Scene scene;
  scene_files::LwsSceneFile file;
};

// The values of an envelope's keys in time order.
inline std::vector<double> key_values(const scene::Envelope &envelope) {
  std::vector<double> values;
  for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next)
    values.push_back(key->value);
  return values;
}

inline std::vector<std::string> split_lines_keeping_endings(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// A small version 3 scene: one null with nine channels, its rotation keys
// given as "Key" lines for channel 3 (heading).
inline std::string small_scene(const std::string &heading_keys, int heading_count,
                               const char *ending = "\n") {
  auto line = [&](const std::string &text) { return text + ending; };
  auto envelope = [&](const std::string &keys, int count) {
    return line("{ Envelope") + line("  " + std::to_string(count)) + keys + line("  Behaviors 1 1") +
           line("}");
  };
  std::string text = line("LWSC") + line("3") + line("") + line("FramesPerSecond 30") + line("") +
                     line("AddNullObject Spinner") + line("ObjectMotion") + line("NumChannels 9");
  for (int channel = 0; channel < 9; ++channel) {
    text += line("Channel " + std::to_string(channel));
    if (channel == 3) {
      text += envelope(heading_keys, heading_count);
    } else {
      text += envelope(line("  Key 0 0 0 0 0 0 0 0 0"), 1);
    }
  }
  text += line("") + line("ShadowOptions 7");
  return text;
}

}  // namespace scene_file_fixtures
