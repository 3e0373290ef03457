// Reading the real LightWave scenes of tests/data/scenes and writing them
// back unchanged.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "scene_file_fixtures.h"
#include "text/frame_time.h"

namespace {

constexpr double kPi = 3.141592653589793;

using namespace scene_file_fixtures;
using scene::kBank;
using scene::kHeading;
using scene::kPitch;

class RealScene : public testing::TestWithParam<std::string> {};

TEST_P(RealScene, WritesBackByteForByteWhenNothingChanged) {
  const std::string text = read_file(scene_path(GetParam()));
  LoadedLws loaded(text, GetParam());
  std::vector<std::string> warnings;
  EXPECT_EQ(loaded.file.write(loaded.scene, &warnings), text);
  EXPECT_TRUE(warnings.empty());
}

TEST_P(RealScene, EveryItemHasNineChannelsAndEveryMotionItsRotationChannels) {
  LoadedLws loaded(read_file(scene_path(GetParam())), GetParam());
  ASSERT_FALSE(loaded.file.items().empty());
  ASSERT_EQ(loaded.file.items().size(), loaded.scene.items().size());
  for (const auto &source : loaded.file.items()) {
    const scene::Item *item = loaded.scene.find_item(source.id);
    ASSERT_NE(item, nullptr) << source.name;
    EXPECT_EQ(item->name, source.name);
    EXPECT_EQ(item->channels.size(), 9u) << source.name;
    EXPECT_GE(source.motion_line, 0) << source.name;
    for (int channel : {kHeading, kPitch, kBank}) {
      EXPECT_TRUE(source.channels[channel].has_value()) << source.name << " channel " << channel;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(LwsSceneFile, RealScene, testing::ValuesIn(real_scene_names()),
                         [](const testing::TestParamInfo<std::string> &param_info) {
                           std::string name = param_info.param.substr(0, param_info.param.find(".lws"));
                           for (char &c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(LwsSceneFile, ReadsTheTakeoffCameraRigOfM02) {
  LoadedLws loaded(read_file(scene_path("M02.seq_takeoff_02.lws")));
  EXPECT_EQ(loaded.file.version(), 3);
  EXPECT_EQ(loaded.scene.frames_per_second(), 30.0);
  EXPECT_EQ(loaded.scene.current_time(), text::frame_time(87, 30));

  const scene::Item &cam = loaded.item("Cam");
  EXPECT_EQ(cam.kind, scene::ItemKind::Null);
  EXPECT_EQ(cam.id, 0x10000003u);  // fourth object-kind item of the file
  EXPECT_EQ(key_values(loaded.envelope("Cam", kHeading)),
            (std::vector<double>{3.5709419, 2.3527682, 2.199209, -2.4466765}));
  EXPECT_EQ(key_values(loaded.envelope("Cam", kBank)),
            (std::vector<double>{-0.13962632, -0.14835207, -0.1570783, -0.1919823}));

  const scene::Item &camera = loaded.item("Camera");
  EXPECT_EQ(camera.kind, scene::ItemKind::Camera);
  EXPECT_EQ(camera.id, 0x30000000u);
  EXPECT_EQ(camera.parent_id, cam.id);
  for (double heading : key_values(loaded.envelope("Camera", kHeading))) EXPECT_LT(heading, -kPi);
  // The camera's motion has six channels; the scale channels exist in the
  // host but stay empty and unrecorded.
  const auto &camera_source = loaded.file.items().back();
  EXPECT_EQ(camera_source.name, "Camera");
  EXPECT_TRUE(camera_source.channels[5].has_value());
  EXPECT_FALSE(camera_source.channels[6].has_value());
  EXPECT_EQ(loaded.envelope("Camera", 6).size(), 0u);

  const scene::Key *second = loaded.envelope("Cam", kHeading).first()->next;
  EXPECT_EQ(second->time, text::frame_time(28, 30));  // written as 0.93333334
  const scene::Envelope &heading = loaded.envelope("Cam", kHeading);
  ASSERT_EQ(heading.origin(second), 1);
  const auto &source = *loaded.file.items()[3].channels[kHeading];
  const scene::KeyShape shape = loaded.file.key_shape(source, heading.origin(second));
  EXPECT_EQ(shape.span_type, 3);
  EXPECT_EQ(shape.params[3], -0.41652131);
  EXPECT_EQ(shape.params[4], -0.83304262);
  EXPECT_EQ(loaded.file.key_shape(source, heading.origin(heading.last())).span_type, 0);
  EXPECT_EQ(loaded.envelope("Cam", kHeading).pre_behavior, 5);
}

TEST(LwsSceneFile, LeavesPlugInEnvelopesOfM01OutOfTheMotion) {
  LoadedLws loaded(read_file(scene_path("M01.seq_takeoff_01.lws")));
  EXPECT_EQ(key_values(loaded.envelope("Cam", kHeading)),
            (std::vector<double>{1.5865345, 0.044684544, -3.0390663}));
  // The morph mixer's nested envelopes follow this object's motion; none of
  // their keys may land in its channels.
  for (int channel = 0; channel < 9; ++channel) {
    EXPECT_EQ(loaded.envelope("mesh_redlines_central.lwo", channel).size(), 1u) << channel;
  }
  EXPECT_EQ(loaded.item("Camera").parent_id, loaded.item("Cam").id);
}

TEST(LwsSceneFile, ReadsNamesParentsAndStaticLightsOfD01) {
  LoadedLws loaded(read_file(scene_path("D01.seq_03_ride.lws")));
  EXPECT_EQ(loaded.item("mesh_resto.lwo (2)").kind, scene::ItemKind::Null);
  EXPECT_EQ(loaded.item("mesh_lunette_resto.lwo").parent_id, loaded.item("mesh_resto.lwo").id);
  EXPECT_EQ(loaded.item("bl").kind, scene::ItemKind::Light);
  EXPECT_EQ(loaded.item("bl").id, 0x20000001u);
  EXPECT_EQ(key_values(loaded.envelope("bl", kHeading)), (std::vector<double>{3.6110861}));
  // The 17-key envelope after "MorphAmount (envelope)" belongs to no channel.
  for (int channel = 0; channel < 9; ++channel) {
    EXPECT_LT(loaded.envelope("mesh_ballon_resto.lwo", channel).size(), 17u) << channel;
  }
  EXPECT_GT(loaded.envelope("center", kHeading).size(), 1u);
  EXPECT_GT(loaded.envelope("Cam", kPitch).size(), 1u);
  EXPECT_EQ(loaded.item("Camera").parent_id, loaded.item("Cam").id);
}

TEST(LwsSceneFile, ReadsStaticRotationsOfStonehenge) {
  LoadedLws loaded(read_file(scene_path("seq_stonehenge_03.lws")));
  EXPECT_EQ(key_values(loaded.envelope("bl", kHeading)), (std::vector<double>{-5.4943037}));
  EXPECT_EQ(key_values(loaded.envelope("bl", kPitch)), (std::vector<double>{-2.7262042}));
}

TEST(LwsSceneFile, ReadsQuickDrawWithItsForwardParentReferences) {
  const std::string text = read_file(scene_path("QuickDraw_v.2.2.lws"));
  ASSERT_EQ(text.find('\r'), std::string::npos);
  LoadedLws loaded(text);
  const scene::Item &master = loaded.item("Quick Draw == HANDLE == MASTER");
  EXPECT_EQ(master.id, 0x1000000eu);
  EXPECT_EQ(loaded.item("QuickDraw--Chasis.lwo").parent_id, master.id);  // declared before its parent
  EXPECT_EQ(loaded.item("QuickDraw--Arm-Tip.lwo").parent_id, loaded.item("QuickDraw--Arm-ForeArm.lwo").id);

  std::vector<double> pitch_ends;
  for (const auto &item : loaded.scene.items()) {
    const scene::Envelope &pitch = *item->envelope("Rotation.P");
    if (pitch.size() == 2 && pitch.last()->value != 0.0) pitch_ends.push_back(pitch.last()->value);
  }
  EXPECT_EQ(pitch_ends.size(), 7u);
  EXPECT_EQ(*std::max_element(pitch_ends.begin(), pitch_ends.end()), 2.4434609);
}

}  // namespace
