// The project's JSON scene format: round trips and errors with their paths.

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"

namespace {

using namespace scene_file_fixtures;

scene_files::SceneFileError json_error(const std::string &text) {
  scene::Scene scene;
  try {
    scene_files::read_json_scene(text, "bad.json", scene);
  } catch (const scene_files::SceneFileError &error) {
    return error;
  }
  ADD_FAILURE() << "read succeeded:\n" << text;
  return scene_files::SceneFileError("", 0, "");
}

void expect_json_error(const std::string &text, const std::string &message) {
  const scene_files::SceneFileError error = json_error(text);
  EXPECT_EQ(std::string(error.what()), "bad.json: " + message);
}

std::string with_items(const std::string &items, const std::string &rest = "") {
  return "{\"fps\": 30, \"items\": [" + items + "]" + rest + "}";
}

TEST(JsonSceneFile, WritesAndReadsBackTheSameScene) {
  scene::Scene scene;
  scene.set_frames_per_second(24);
  scene.set_current_time(0.3);
  scene::Item &rig = scene.add_item("Rig \"main\"", scene::ItemKind::Null);
  scene::Item &arm = scene.add_item("Arm", scene::ItemKind::Bone, 0x40010000);
  scene.add_item("Key Light", scene::ItemKind::Light);
  arm.parent_id = rig.id;
  rig.envelope("Rotation.H")->create(0.0, 3.5709419);
  rig.envelope("Rotation.H")->create(text::frame_time(7, 24), -2.4466765 + 6.283185307179586);
  rig.envelope("Position.Y")->create(-1.0 / 3.0, 1e-300);
  arm.envelope("Rotation.B")->create(2.5, -0.1);
  scene.select({&arm, &rig});

  const std::string text = scene_files::write_json_scene(scene, "out.json");
  scene::Scene again;
  scene_files::read_json_scene(text, "out.json", again);
  EXPECT_EQ(scene_files::write_json_scene(again, "out.json"), text);

  ASSERT_EQ(again.items().size(), 3u);
  EXPECT_EQ(again.frames_per_second(), 24.0);
  EXPECT_EQ(again.current_time(), 0.3);
  const scene::Item &rig_again = *again.find_item("Rig \"main\"");
  EXPECT_EQ(rig_again.id, rig.id);
  EXPECT_EQ(again.find_item("Arm")->id, 0x40010000u);
  EXPECT_EQ(again.find_item("Arm")->parent_id, rig.id);
  EXPECT_EQ(again.find_item("Key Light")->kind, scene::ItemKind::Light);
  EXPECT_EQ(key_values(*rig_again.envelope("Rotation.H")), key_values(*rig.envelope("Rotation.H")));
  EXPECT_EQ(rig_again.envelope("Rotation.H")->last()->time, text::frame_time(7, 24));
  EXPECT_EQ(rig_again.envelope("Position.Y")->first()->value, 1e-300);
  ASSERT_EQ(again.selection().size(), 2u);
  EXPECT_EQ(again.selection()[0]->name, "Arm");
}

TEST(JsonSceneFile, CarriesTheKeysOfARealSceneAcross) {
  LoadedLws loaded(read_file(scene_path("D01.seq_03_ride.lws")));
  scene::Scene again;
  scene_files::read_json_scene(scene_files::write_json_scene(loaded.scene, "d01.json"), "d01.json", again);
  ASSERT_EQ(again.items().size(), loaded.scene.items().size());
  for (const auto &item : loaded.scene.items()) {
    const scene::Item *copy = again.find_item(item->name);
    ASSERT_NE(copy, nullptr) << item->name;
    EXPECT_EQ(copy->parent_id, item->parent_id) << item->name;
    for (int channel = 0; channel < scene::kChannelCount; ++channel) {
      const scene::Envelope &original = item->channels[channel]->envelope;
      const scene::Envelope &read = copy->channels[channel]->envelope;
      ASSERT_EQ(read.size(), original.size()) << item->name << " " << channel;
      for (const scene::Key *a = original.first(), *b = read.first(); a != nullptr;
           a = a->next, b = b->next) {
        EXPECT_EQ(b->time, a->time);
        EXPECT_EQ(b->value, a->value);
      }
    }
  }
  EXPECT_EQ(again.current_time(), text::frame_time(14, 30));
}

TEST(JsonSceneFile, SnapsRoundedTimesToWholeFrames) {
  scene::Scene scene;
  scene_files::read_json_scene(with_items("{\"name\": \"N\", \"kind\": \"null\", \"channels\": "
                                          "{\"Rotation.P\": [[0, 0.1], [0.0333333, 0.2]]}}",
                                          ", \"time\": 0.0333333"),
                               "s.json", scene);
  const double frame_one = text::frame_time(1, 30);
  EXPECT_EQ(scene.current_time(), frame_one);
  ASSERT_NE(scene.find_item("N")->envelope("Rotation.P")->find(frame_one), nullptr);
}

TEST(JsonSceneFile, NamesThePathOfUnknownFields) {
  expect_json_error(with_items("", ", \"colour\": 1"),
                    "colour: unknown field; expected one of fps, frame, items, "
                    "selection, time, version");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"null\"}, {\"name\": \"B\", \"kind\": \"null\", "
                               "\"colour\": \"red\"}"),
                    "items[1].colour: unknown field; expected one of channels, id, kind, name, parent, "
                    "rotation_order");
  expect_json_error(
      with_items("{\"name\": \"A\", \"kind\": \"null\"}, {\"name\": \"B\", \"kind\": \"null\"}, "
                 "{\"name\": \"C\", \"kind\": \"null\", \"channels\": {\"Rotation.X\": []}}"),
      "items[2].channels.Rotation.X: unknown channel; expected one of Position.X, Position.Y, "
      "Position.Z, Rotation.H, Rotation.P, Rotation.B, Scale.X, Scale.Y, Scale.Z");
}

TEST(JsonSceneFile, NamesThePathAndTheExpectedTypeOfWrongValues) {
  expect_json_error("[1, 2]", "expected an object (the scene), found an array");
  expect_json_error("{\"fps\": \"thirty\", \"items\": []}",
                    "fps: expected a number (the frame rate), found a string");
  expect_json_error("{\"fps\": 0, \"items\": []}", "fps: expected a frame rate above 0, found 0");
  expect_json_error("{\"fps\": 30}", "items: missing: expected the list of items (it may be empty: [])");
  expect_json_error(with_items("{\"name\": 7, \"kind\": \"null\"}"),
                    "items[0].name: expected a string (the item's name), found a number");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"lamp\"}"),
                    "items[0].kind: expected object, null, bone, light or camera, found 'lamp'");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"light\", \"id\": \"10000000\"}"),
                    "items[0].id: expected a Light id: 8 hex digits beginning with 2, found '10000000'");
  expect_json_error(
      with_items("{\"name\": \"A\", \"kind\": \"null\", \"channels\": {\"Rotation.H\": "
                 "[[0, 1], [\"1s\", 2]]}}"),
      "items[0].channels.Rotation.H[1][0]: expected a number (the key's time in seconds), found a "
      "string");
  expect_json_error(
      with_items("{\"name\": \"A\", \"kind\": \"null\", \"channels\": {\"Rotation.H\": [[0, 1, 2]]}}"),
      "items[0].channels.Rotation.H[0]: expected a key [time in seconds, value] or [time, value, span type, "
      "p1, ..., p6], found an array of 3");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"null\", \"channels\": {\"Rotation.H\": "
                               "[[0.0333333, 1], [0.03333334, 2]]}}"),
                    "items[0].channels.Rotation.H[1]: a second key at the same time (or frame)");
  expect_json_error(
      with_items("{\"name\": \"A\", \"kind\": \"null\"}, {\"name\": \"A\", \"kind\": \"null\"}"),
      "items[1].name: a second item named 'A'");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"null\", \"parent\": \"B\"}"),
                    "items[0].parent: no item is named 'B'");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"null\", \"parent\": \"B\"}, "
                               "{\"name\": \"B\", \"kind\": \"null\", \"parent\": \"A\"}"),
                    "items: the parents of 'A' go round in a circle");
  expect_json_error(with_items("{\"name\": \"A\", \"kind\": \"null\"}", ", \"selection\": [\"A\", \"Z\"]"),
                    "selection[1]: no item is named 'Z'");
  expect_json_error(with_items("", ", \"time\": 1, \"frame\": 30"),
                    "frame: give the current time either as \"time\" (seconds) or as \"frame\", not both");
  expect_json_error(with_items("", ", \"version\": 2"),
                    "version: expected 1, the only version of this format, found 2");
}

TEST(JsonSceneFile, GivesTheLineOfASyntaxError) {
  const scene_files::SceneFileError error =
      json_error("{\n  \"fps\": 30,\n  \"items\": [\n    {\"name\": \"A\",}\n  ]\n}\n");
  EXPECT_EQ(error.line(), 4);
  EXPECT_EQ(std::string(error.what()).rfind("bad.json:4: ", 0), 0u) << error.what();
  EXPECT_NE(std::string(error.what()).find("expected string literal"), std::string::npos) << error.what();
}

}  // namespace
