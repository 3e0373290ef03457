// tavorix check: which jumps are flips, and its exit codes.

#include <gtest/gtest.h>

#include "program_runner.h"

namespace {

using namespace cli_testing;

// A JSON scene with one null whose heading, pitch and bank keys are given as
// "[time, value], ..." lists (radians).
std::string one_item_scene(const std::string &heading, const std::string &pitch, const std::string &bank) {
  return "{\"fps\": 30, \"items\": [{\"name\": \"Rig\", \"kind\": \"null\", \"channels\": {"
         "\"Rotation.H\": [" +
         heading + "], \"Rotation.P\": [" + pitch + "], \"Rotation.B\": [" + bank + "]}}]}";
}

class Check : public testing::Test {
 protected:
  ProgramResult check(const std::string &scene) {
    write_file(folder.file("scene.json"), scene);
    return tavorix({"check", "scene.json"}, folder.path());
  }
  TemporaryFolder folder;
};

TEST_F(Check, ALargeRealTurnIsListedButIsNoFlip) {
  // 120 degrees of heading in one second: no equivalent is closer.
  const ProgramResult result =
      check(one_item_scene("[0, 0], [1, 2.0943951]", "[0, 0], [1, 0]", "[0, 0], [1, 0]"));
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_TRUE(contains(result.out, "heading turns +120.0° from frame 0 to 30 (0.0° → 120.0°): a large turn"))
      << result.out;
  EXPECT_TRUE(contains(result.out, "clean: no flips; 1 large turn")) << result.out;
}

TEST_F(Check, AStepThatWholeTurnsMakeSmallIsAFlip) {
  const ProgramResult result =
      check(one_item_scene("[0, 3.0], [1, -3.1]", "[0, 0], [1, 0]", "[0, 0], [1, 0]"));
  EXPECT_EQ(result.exit_code, 1) << result.out;
  EXPECT_TRUE(contains(result.out, "flip by whole turns; the short way is +10.5°")) << result.out;
  EXPECT_TRUE(contains(result.out, "1 flip in 1 item")) << result.out;
}

TEST_F(Check, TheOtherTripleOfAnOrientationIsAFlipOnEveryChannel) {
  // (10°, 20°, 5°) then the same orientation as (190°, 160°, 185°).
  const ProgramResult result =
      check(one_item_scene("[0, 0.17453293], [1, 3.3161256]", "[0, 0.34906585], [1, 2.7925268]",
                           "[0, 0.08726646], [1, 3.2288591]"));
  EXPECT_EQ(result.exit_code, 1) << result.out;
  for (const char *channel : {"heading", "pitch", "bank"}) {
    EXPECT_TRUE(contains(result.out, std::string("  ") + channel + " jumps ")) << channel << result.out;
  }
  EXPECT_TRUE(contains(result.out, "within one triple the step is 0.0°")) << result.out;
  EXPECT_TRUE(contains(result.out, "3 flips in 1 item")) << result.out;
}

TEST_F(Check, WithoutMatchingKeysOnlyWholeTurnsCanMakeAFlip) {
  // Half a turn of heading with the pitch and bank keyed elsewhere: the other
  // triple cannot be judged, and whole turns do not shorten it.
  const ProgramResult result = check(one_item_scene("[0, 0], [1, 3.0]", "[0.5, 0]", "[0.5, 0]"));
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_TRUE(contains(result.out, "a large turn")) << result.out;
}

TEST_F(Check, AKeyBeyondAWholeTurnIsAFlipButAWholeTurnIsNot) {
  EXPECT_EQ(check(one_item_scene("[0, 6.2831855]", "[0, 0]", "[0, 0]")).exit_code, 0);
  const ProgramResult result = check(one_item_scene("[0, 6.3]", "[0, 0]", "[0, 0]"));
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_TRUE(contains(result.out, "heading at frame 0 is 361.0°, beyond a whole turn: flip")) << result.out;
}

TEST_F(Check, ChecksOnlyTheSelectedItemsOfARealScene) {
  const std::string m02 = real_scene_path("M02.seq_takeoff_02.lws");
  const ProgramResult cam = tavorix({"check", m02, "--select", "Cam"}, folder.path());
  EXPECT_EQ(cam.exit_code, 1);
  EXPECT_TRUE(contains(cam.out,
                       "heading jumps -266.2° from frame 84 to 140 (126.0° → -140.2°): flip by whole "
                       "turns; the short way is +93.8°"))
      << cam.out;
  EXPECT_EQ(tavorix({"check", m02, "--select", "Camera"}, folder.path()).exit_code, 0);
}

}  // namespace
