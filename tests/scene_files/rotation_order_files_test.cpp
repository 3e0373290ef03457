// Rotation orders in scene files: kept across JSON, and in .lws files a line
// naming an order holds its item as it was.

#include <gtest/gtest.h>

#include <algorithm>

#include "scene_file_fixtures.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/lws_order_lines.h"
#include "scene_files/scene_file_error.h"
#include "support/order_matrix.h"

namespace {

using namespace scene_file_fixtures;

std::string one_item(const std::string &order_field) {
  return "{\"items\": [{\"name\": \"Rig\", \"kind\": \"null\"" + order_field +
         ", \"channels\": {\"Rotation.H\": [[0, 0.5]]}}]}";
}

std::string read_and_write(const std::string &text, scene::Scene &scene) {
  scene_files::read_json_scene(text, "in.json", scene);
  return scene_files::write_json_scene(scene, "out.json");
}

TEST(JsonRotationOrder, EveryOrderRoundTripsAsItWasWritten) {
  for (const std::string &letters : testing_support::kOrderLetters) {
    std::string lower = letters;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(c - 'A' + 'a'); });
    const std::string mixed = std::string(1, lower[0]) + letters[1] + lower[2];
    for (const std::string &given : {std::string(letters), lower, mixed}) {
      scene::Scene scene;
      const std::string written = read_and_write(one_item(", \"rotation_order\": \"" + given + "\""), scene);
      EXPECT_EQ(scene.items()[0]->rotation_order, *KeyFrame::rotation_order_from_letters(letters));
      EXPECT_NE(written.find("\"rotation_order\": \"" + given + "\""), std::string::npos) << written;
      scene::Scene again;
      EXPECT_EQ(read_and_write(written, again), written);
      EXPECT_EQ(again.items()[0]->rotation_order, scene.items()[0]->rotation_order);
    }
  }
}

TEST(JsonRotationOrder, IsWrittenOnlyWhereGivenOrNotHpb) {
  scene::Scene scene;
  EXPECT_EQ(read_and_write(one_item(""), scene).find("rotation_order"), std::string::npos);
  EXPECT_EQ(scene.items()[0]->rotation_order, KeyFrame::RotationOrder::kHPB);

  // Set in the scene (a command, a test) without text of its own.
  scene::Scene made;
  made.add_item("Rig").rotation_order = KeyFrame::RotationOrder::kBPH;
  EXPECT_NE(scene_files::write_json_scene(made, "out.json").find("\"rotation_order\": \"BPH\""),
            std::string::npos);
  // Changed after reading: the text read no longer says it.
  scene::Scene changed;
  scene_files::read_json_scene(one_item(", \"rotation_order\": \"phb\""), "in.json", changed);
  changed.items()[0]->rotation_order = KeyFrame::RotationOrder::kHBP;
  EXPECT_NE(scene_files::write_json_scene(changed, "out.json").find("\"rotation_order\": \"HBP\""),
            std::string::npos);
}

TEST(JsonRotationOrder, AnythingButTheSixLetterTriplesIsAnErrorNamingTheItem) {
  for (const std::string bad : {"\"XYZ\"", "\"HPBB\"", "\"HHB\"", "\"\"", "3", "null", "\"H-P-B\""}) {
    scene::Scene scene;
    try {
      scene_files::read_json_scene(one_item(", \"rotation_order\": " + bad), "bad.json", scene);
      ADD_FAILURE() << bad << " was read";
    } catch (const scene_files::SceneFileError &error) {
      const std::string what = error.what();
      EXPECT_EQ(what.rfind("bad.json: items[0].rotation_order: ", 0), 0u) << what;
      EXPECT_NE(what.find("rotation order"), std::string::npos) << what;
    }
  }
  scene::Scene scene;
  try {
    scene_files::read_json_scene(one_item(", \"rotation_order\": \"XYZ\""), "bad.json", scene);
  } catch (const scene_files::SceneFileError &error) {
    EXPECT_EQ(
        std::string(error.what()),
        "bad.json: items[0].rotation_order: item 'Rig': expected a rotation order, one of HPB, HBP, PHB, "
        "PBH, BHP, BPH (the letters from the outside in, any case), found 'XYZ'");
  }
}

// The real scene M02 (CRLF) with `line` put in after line `after` (1-based).
std::string m02_with(const std::string &line, int after) {
  std::vector<std::string> lines =
      split_lines_keeping_endings(read_file(scene_path("M02.seq_takeoff_02.lws")));
  lines.insert(lines.begin() + after, line + "\r\n");
  std::string text;
  for (const std::string &l : lines) text += l;
  return text;
}

constexpr int kCamDeclaration = 219;  // "AddNullObject Cam"

const scene_files::LwsSceneFile::ItemSource &source_of(const LoadedLws &loaded, const std::string &name) {
  for (const auto &source : loaded.file.items()) {
    if (source.name == name) return source;
  }
  throw std::runtime_error("no item " + name);
}

TEST(LwsRotationOrder, ALineNamingAnOrderHoldsItsItemAndTheWriterKeepsItsLines) {
  const std::string text = m02_with("RotationOrder 4", kCamDeclaration);
  LoadedLws loaded(text, "shot.lws");
  const auto &cam = source_of(loaded, "Cam");
  EXPECT_EQ(cam.order_line, kCamDeclaration);  // 0-based: the line after the declaration
  EXPECT_EQ(source_of(loaded, "Camera").order_line, -1);
  EXPECT_EQ(scene_files::held_item_message(loaded.file, cam),
            "shot.lws:220: 'Cam' is kept as it was: 'RotationOrder 4' names a rotation order, which tavorix "
            "cannot read from a .lws file; none of its keys is rewritten");

  // Whatever the scene now holds for the held item, its lines stay; the
  // others' changes are written.
  scene::Envelope &heading = loaded.envelope("Cam", scene::kHeading);
  heading.last()->value = 1.0;
  heading.create(1.5, 0.25);
  loaded.envelope("Cam", scene::kPitch).create(2.0, 0.1);
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
  scene::Envelope &camera = loaded.envelope("Camera", scene::kBank);
  camera.first()->value = 0.5;
  EXPECT_NE(loaded.file.write(loaded.scene), text);
}

TEST(LwsRotationOrder, AnyCaseAndBlocksHoldTheItemASceneSettingEveryItemAPluginBodyNone) {
  // Any case, any place in the word; a block named after its brace.
  for (const std::string line : {"PivotRotationOrder 1", "rotationorder HBP", "ORDER 2",
                                 "{ RotOrder\r\n  3\r\n}", "{RotationOrder 3\r\n}"}) {
    LoadedLws loaded(m02_with(line, kCamDeclaration), "shot.lws");
    EXPECT_EQ(source_of(loaded, "Cam").order_line, kCamDeclaration) << line;
    EXPECT_EQ(source_of(loaded, "Camera").order_line, -1) << line;
  }
  // A keyword the reader knows to name another order holds nothing.
  {
    LoadedLws loaded(m02_with("SubdivisionOrder 0", kCamDeclaration), "shot.lws");
    EXPECT_EQ(source_of(loaded, "Cam").order_line, -1);
  }
  // Before the first item: a setting of the whole scene holds every item.
  {
    LoadedLws loaded(m02_with("DefaultRotationOrder 0", 3), "shot.lws");
    for (const auto &source : loaded.file.items()) EXPECT_EQ(source.order_line, 3) << source.name;
  }
  // Inside a plug-in body: the plug-in's data.
  {
    const std::string text =
        m02_with("Plugin ItemMotionHandler 1 Follower\r\nRotationOrder 4\r\nEndPlugin", kCamDeclaration);
    LoadedLws loaded(text, "shot.lws");
    for (const auto &source : loaded.file.items()) EXPECT_EQ(source.order_line, -1) << source.name;
  }
}

}  // namespace
