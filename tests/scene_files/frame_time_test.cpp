// Key times read from files meet times set by frame.

#include "text/frame_time.h"

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"

namespace {

using namespace scene_file_fixtures;

TEST(FrameTime, HoldsARoundedKeyTimeAsTheExactTimeOfItsFrame) {
  const std::string text = small_scene(
      "  Key 0.1 0 3 0 0 0 0 0 0\n  Key 0.2 0.0333333 3 0 0 0 0 0 0\n  Key 0.3 0.93333334 3 0 0 0 0 0 0\n"
      "  Key 0.4 1.0334 3 0 0 0 0 0 0\n",
      4);
  LoadedLws loaded(text);
  const scene::Envelope &heading = loaded.envelope("Spinner", scene::kHeading);
  // Where "--frame 1" or "GoToFrame 1" puts the current time:
  const double frame_one = text::frame_time(1, loaded.scene.frames_per_second());
  const scene::Key *key = heading.find(frame_one);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->value, 0.2);
  ASSERT_NE(heading.find(text::frame_time(28, 30)), nullptr);
  // 1.0334 s is frame 31.002: two thousandths of a frame off, kept as written.
  EXPECT_EQ(heading.last()->time, 1.0334);
  // The file keeps the time text as written.
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
}

TEST(FrameTime, SnapsWithinATolerancedThousandthOfAFrame) {
  EXPECT_EQ(text::snap_to_frame(0.0333333, 30), 1.0 / 30);
  EXPECT_EQ(text::snap_to_frame(-0.0333333, 30), -1.0 / 30);
  EXPECT_EQ(text::snap_to_frame(0.0416667, 24), 1.0 / 24);
  EXPECT_EQ(text::snap_to_frame(4.6666665, 30), 140.0 / 30);
  EXPECT_EQ(text::snap_to_frame(0.5 / 30, 30), 0.5 / 30);  // half a frame stays
  EXPECT_EQ(text::snap_to_frame((1 + 0.0011) / 30, 30), (1 + 0.0011) / 30);
  EXPECT_EQ(text::snap_to_frame((1 + 0.0009) / 30, 30), 1.0 / 30);
  EXPECT_EQ(text::snap_to_frame(0.25, 0.0), 0.25);  // no frame rate, no frames
}

TEST(FrameTime, AFrameTimeIsTheSameDoubleWhereverItIsComputed) {
  for (double fps : {24.0, 25.0, 29.97, 30.0, 60.0}) {
    for (int frame = -5; frame < 2000; ++frame) {
      const double time = text::frame_time(frame, fps);
      ASSERT_EQ(text::snap_to_frame(time, fps), time) << frame << " at " << fps;
    }
  }
}

}  // namespace
