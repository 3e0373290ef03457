// Items of .lws files: kinds, names, ids of versions 3, 4 and 5, bones.

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"

namespace {

using namespace scene_file_fixtures;

std::string motion(const char *keyword, double heading) {
  std::string text = std::string(keyword) + "\nNumChannels 6\n";
  for (int channel = 0; channel < 6; ++channel) {
    text += "Channel " + std::to_string(channel) + "\n{ Envelope\n  1\n  Key " +
            (channel == 3 ? std::to_string(heading) : std::string("0")) +
            " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
  }
  return text;
}

TEST(LwsSceneItems, NumbersVersionThreeItemsByKindInFileOrder) {
  const std::string text =
      "LWSC\n3\n\nLoadObjectLayer 1 Objects/Rig/body.lwo\n" + motion("ObjectMotion", 0.1) +
      "AddBone\nBoneName Hip\n" + motion("BoneMotion", 0.2) + "AddBone\nBoneName Knee\n" +
      "ParentItem 40000000\n" + "AddLight\nLightName Sun\n" + motion("LightMotion", 0.3) +
      "AddNullObject Target Null\n" + "AddBone\n" + "LoadObject C:\\Scenes\\body.lwo\n" +
      "AddCamera\nCameraName Main\n" + motion("CameraMotion", 0.4) + "ParentItem 10000001\n";
  LoadedLws loaded(text);
  const auto &items = loaded.scene.items();
  ASSERT_EQ(items.size(), 8u);
  const std::vector<std::tuple<std::string, scene::ItemKind, std::uint32_t>> expected = {
      {"body.lwo", scene::ItemKind::Object, 0x10000000u},     {"Hip", scene::ItemKind::Bone, 0x40000000u},
      {"Knee", scene::ItemKind::Bone, 0x40010000u},           {"Sun", scene::ItemKind::Light, 0x20000000u},
      {"Target Null", scene::ItemKind::Null, 0x10000001u},    {"Bone", scene::ItemKind::Bone, 0x40000001u},
      {"body.lwo (2)", scene::ItemKind::Object, 0x10000002u}, {"Main", scene::ItemKind::Camera, 0x30000000u}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(items[i]->name, std::get<0>(expected[i])) << i;
    EXPECT_EQ(items[i]->kind, std::get<1>(expected[i])) << i;
    EXPECT_EQ(items[i]->id, std::get<2>(expected[i])) << i;
  }
  EXPECT_EQ(loaded.item("Knee").parent_id, 0x40000000u);
  EXPECT_EQ(loaded.item("Main").parent_id, 0x10000001u);
  EXPECT_EQ(loaded.envelope("Hip", scene::kHeading).first()->value, 0.2);
  EXPECT_EQ(loaded.envelope("Main", scene::kHeading).first()->value, 0.4);
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
}

TEST(LwsSceneItems, TakesIdsFromTheLinesInVersionsFourAndFive) {
  for (const char *version : {"4", "5"}) {
    const std::string text =
        std::string("LWSC\n") + version + "\n\nLoadObjectLayer 1 10000003 Objects/ship.lwo\n" +
        motion("ObjectMotion", 1.0) + "AddBone 40000003\nBoneName Fin\n" + motion("BoneMotion", 2.0) +
        "AddNullObject 10000007 Pivot\nParentItem 10000003\n" + "AddLight 2000000a\n" +
        "LightName Key Light\nAddCamera 30000002\n" + motion("CameraMotion", 3.0) + "ParentItem 10000007\n";
    LoadedLws loaded(text);
    EXPECT_EQ(loaded.item("ship.lwo").id, 0x10000003u);
    EXPECT_EQ(loaded.item("Fin").id, 0x40000003u);
    EXPECT_EQ(loaded.item("Pivot").id, 0x10000007u);
    EXPECT_EQ(loaded.item("Pivot").parent_id, 0x10000003u);
    EXPECT_EQ(loaded.item("Key Light").id, 0x2000000au);
    EXPECT_EQ(loaded.item("Camera").parent_id, 0x10000007u);
    EXPECT_EQ(loaded.envelope("Fin", scene::kHeading).first()->value, 2.0);
    EXPECT_EQ(loaded.file.version(), std::stoi(version));
    EXPECT_EQ(loaded.file.write(loaded.scene), text);
  }
}

TEST(LwsSceneItems, GivesItemsWithoutMotionNineEmptyChannelsThatAreNeverWritten) {
  const std::string text = "LWSC\n3\nAddNullObject Still\nShadowOptions 7\n";
  LoadedLws loaded(text);
  EXPECT_EQ(loaded.item("Still").channels.size(), 9u);
  EXPECT_EQ(loaded.file.items()[0].motion_line, -1);
  loaded.envelope("Still", scene::kHeading).create(0.0, 1.0);
  std::vector<std::string> warnings;
  EXPECT_EQ(loaded.file.write(loaded.scene, &warnings), text);
  EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
