#include "scene/scene.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "module/host_interface.h"

namespace {

using scene::Item;
using scene::ItemKind;
using scene::Scene;

std::string add_error(Scene &scene, const std::string &name, std::uint32_t id) {
  try {
    scene.add_item(name, ItemKind::Null, id);
  } catch (const std::invalid_argument &error) {
    return error.what();
  }
  return "no error";
}

TEST(SceneItems, AddItemGivesTheNineMotionChannelsInOrder) {
  Scene scene;
  Item &item = scene.add_item("Box", ItemKind::Object);
  const char *expected[] = {"Position.X", "Position.Y", "Position.Z", "Rotation.H", "Rotation.P",
                            "Rotation.B", "Scale.X",    "Scale.Y",    "Scale.Z"};
  ASSERT_EQ(item.channels.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(item.channels[i]->name, expected[i]);
    bool rotation = i >= scene::kHeading && i <= scene::kBank;
    EXPECT_EQ(item.channels[i]->type == LWET_ANGLE, rotation);
    EXPECT_EQ(item.channels[i]->envelope.size(), 0u);
  }
  EXPECT_EQ(item.envelope("Rotation.P"), &item.channels[scene::kPitch]->envelope);
  EXPECT_EQ(item.channel("Rotation.X"), nullptr);
  EXPECT_EQ(item.envelope("Rotation.X"), nullptr);
}

TEST(SceneItems, DefaultIdsCountWithinEachKindDigit) {
  Scene scene;
  EXPECT_EQ(scene.add_item("Null", ItemKind::Null).id, 0x10000000u);
  EXPECT_EQ(scene.add_item("Box", ItemKind::Object).id, 0x10000001u);  // objects and nulls share a digit
  EXPECT_EQ(scene.add_item("Key light", ItemKind::Light).id, 0x20000000u);
  EXPECT_EQ(scene.add_item("Camera", ItemKind::Camera).id, 0x30000000u);
  EXPECT_EQ(scene.add_item("Bone", ItemKind::Bone).id, 0x40000000u);
  EXPECT_EQ(scene.add_item("Fill light", ItemKind::Light).id, 0x20000001u);
}

TEST(SceneItems, DefaultIdsSkipIdsGivenExplicitly) {
  Scene scene;
  scene.add_item("Explicit", ItemKind::Null, 0x10000001u);
  EXPECT_EQ(scene.add_item("A").id, 0x10000000u);
  EXPECT_EQ(scene.add_item("B").id, 0x10000002u);
}

TEST(SceneItems, ATakenIdIsRefusedNamingBothItems) {
  Scene scene;
  scene.add_item("First", ItemKind::Null, 0x10000005u);
  std::string error = add_error(scene, "Second", 0x10000005u);
  EXPECT_NE(error.find("0x10000005"), std::string::npos) << error;
  EXPECT_NE(error.find("First"), std::string::npos) << error;
  EXPECT_NE(error.find("Second"), std::string::npos) << error;
  EXPECT_EQ(scene.items().size(), 1u);
}

TEST(SceneItems, ItemsWithChosenChannelsTypeOnlyRotationsAsAngles) {
  Scene scene;
  Item &light =
      scene.add_item_with_channels("Light", ItemKind::Light, {"Position.X", "Rotation.H", "Rotation.B"});
  ASSERT_EQ(light.channels.size(), 3u);
  EXPECT_EQ(light.channel("Position.X")->type, 0);
  EXPECT_EQ(light.channel("Rotation.H")->type, LWET_ANGLE);
  EXPECT_EQ(light.channel("Rotation.P"), nullptr);
  EXPECT_THROW(scene.add_item_with_channels("Twice", ItemKind::Null, {"Rotation.H", "Rotation.H"}),
               std::invalid_argument);
}

TEST(SceneSelection, KeepsOrderAndEachItemOnce) {
  Scene scene;
  Item *a = &scene.add_item("A");
  Item *b = &scene.add_item("B");
  Item *c = &scene.add_item("C");

  scene.select({c, a, c, nullptr, b});
  EXPECT_EQ(scene.selection(), (std::vector<Item *>{c, a, b}));

  scene.add_to_selection(a);
  scene.remove_from_selection(c);
  scene.add_to_selection(c);
  EXPECT_EQ(scene.selection(), (std::vector<Item *>{a, b, c}));

  scene.select_only(b);
  EXPECT_EQ(scene.selection(), (std::vector<Item *>{b}));
  scene.clear_selection();
  EXPECT_TRUE(scene.selection().empty());
}

TEST(SceneSelection, RefusesItemsOfAnotherScene) {
  Scene scene, other;
  Item *mine = &scene.add_item("Mine");
  Item *stranger = &other.add_item("Stranger");  // same id as `mine`
  scene.select_only(mine);

  EXPECT_THROW(scene.select({mine, stranger}), std::invalid_argument);
  EXPECT_THROW(scene.add_to_selection(stranger), std::invalid_argument);
  EXPECT_THROW(scene.select_only(stranger), std::invalid_argument);
  EXPECT_EQ(scene.selection(), (std::vector<Item *>{mine}));
}

}  // namespace
