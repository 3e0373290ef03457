// tavorix check: a flip is a key triple the scan rewrites, and only that;
// what the scan keeps is information. Its exit codes, alone and over
// several scenes.

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

// A heading keyed every second from `first` on in steps of `step`, pitch
// and bank 0.
std::string heading_ramp(double first, double step, int keys) {
  std::string heading, zero;
  for (int i = 0; i < keys; ++i) {
    const std::string time = std::to_string(i);
    heading += (i == 0 ? "[" : ", [") + time + ", " + std::to_string(first + i * step) + "]";
    zero += (i == 0 ? "[" : ", [") + time + ", 0]";
  }
  return one_item_scene(heading, zero, zero);
}

class Check : public testing::Test {
 protected:
  ProgramResult check(const std::string &scene, std::vector<std::string> options = {}) {
    write_file(folder.file("scene.json"), scene);
    std::vector<std::string> arguments = {"check", "scene.json"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return tavorix(arguments, folder.path());
  }
  TemporaryFolder folder;
};

TEST_F(Check, ALargeRealTurnIsListedButIsNoFlip) {
  // 120 degrees of heading in one second: the scan keeps it.
  const ProgramResult result =
      check(one_item_scene("[0, 0], [1, 2.0943951]", "[0, 0], [1, 0]", "[0, 0], [1, 0]"));
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_TRUE(contains(result.out, "heading turns +120.0° from frame 0 to 30: a large turn the scan keeps"))
      << result.out;
  EXPECT_TRUE(contains(result.out,
                       "clean: tavorix scan would rewrite no key triple; 1 turn over a quarter turn "
                       "stays, listed above"))
      << result.out;
}

TEST_F(Check, AStepThatWholeTurnsMakeShortIsAFlip) {
  const ProgramResult result =
      check(one_item_scene("[0, 3.0], [1, -3.1]", "[0, 0], [1, 0]", "[0, 0], [1, 0]"));
  EXPECT_EQ(result.exit_code, 1) << result.out;
  EXPECT_TRUE(contains(result.out,
                       "flip at frame 30: (H -177.6°, P 0.0°, B 0.0°) → (H 182.4°, P 0.0°, B 0.0°), the same "
                       "angles moved by whole turns"))
      << result.out;
  EXPECT_TRUE(contains(result.out, "1 flip in 1 item: key triples that tavorix scan rewrites")) << result.out;
}

TEST_F(Check, TheOtherTripleOfAnOrientationIsOneFlip) {
  // (10°, 20°, 5°) then the same orientation as (190°, 160°, 185°): one key
  // triple, though all three of its channel keys are rewritten.
  const ProgramResult result =
      check(one_item_scene("[0, 0.17453293], [1, 3.3161256]", "[0, 0.34906585], [1, 2.7925268]",
                           "[0, 0.08726646], [1, 3.2288591]"));
  EXPECT_EQ(result.exit_code, 1) << result.out;
  EXPECT_TRUE(contains(result.out, "the other Euler triple of the orientation")) << result.out;
  EXPECT_TRUE(contains(result.out, "1 flip in 1 item")) << result.out;
}

TEST_F(Check, ChannelsKeyedApartHoldNoTripleToRewrite) {
  // Half a turn of heading with pitch and bank keyed elsewhere: the scan
  // pairs no key triple, so nothing is a flip.
  const ProgramResult result = check(one_item_scene("[0, 0], [1, 3.0]", "[0.5, 0]", "[0.5, 0]"));
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_TRUE(contains(result.out, "heading turns +171.9°")) << result.out;
}

// A spin keyed on purpose, 0°, 60°, ..., 1080°: three whole turns, every
// step a sixth of one. Nothing to fix, before or after a scan; the keys
// beyond a whole turn are listed as information.
TEST_F(Check, ATripleSpinIsCleanAndStaysSo) {
  const ProgramResult result = check(heading_ramp(0.0, 1.0471975511965976, 19));
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_TRUE(contains(result.out, "heading at frame 210 is 420.0°, beyond a whole turn")) << result.out;
  EXPECT_TRUE(contains(result.out, "12 keys beyond a whole turn stay")) << result.out;
  const ProgramResult scan = tavorix({"scan", "scene.json", "-o", "fixed.json"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_TRUE(contains(scan.out, "0 key triples rewritten in 0 items")) << scan.out;
  EXPECT_EQ(tavorix({"check", "fixed.json", "--quiet"}, folder.path()).exit_code, 0);
}

// The scan anchors each item on its first key triple: one stored at 401°
// stays there and carries the rest, so check finds nothing; asked to anchor
// near zero, the scan would move the whole chain, and check says so.
TEST_F(Check, AFirstKeyFarFromZeroStaysUnlessAnchoredNearZero) {
  const std::string scene = heading_ramp(6.998720, 0.05, 4);  // 401°, 404°, ...
  EXPECT_EQ(check(scene).exit_code, 0);
  const ProgramResult anchored = check(scene, {"--anchor-near-zero"});
  EXPECT_EQ(anchored.exit_code, 1) << anchored.out;
  EXPECT_TRUE(contains(anchored.out, "4 flips in 1 item")) << anchored.out;

  ASSERT_EQ(
      tavorix({"scan", "scene.json", "--anchor-near-zero", "--in-place", "-q"}, folder.path()).exit_code, 0);
  const ProgramResult after = tavorix({"check", "scene.json"}, folder.path());
  EXPECT_EQ(after.exit_code, 0) << after.out;
  EXPECT_FALSE(contains(after.out, "beyond a whole turn (")) << after.out;
  EXPECT_EQ(tavorix({"check", "scene.json", "--anchor-near-zero", "-q"}, folder.path()).exit_code, 0);
}

TEST_F(Check, ChecksOnlyTheSelectedItemsOfARealScene) {
  const std::string m02 = real_scene_path("M02.seq_takeoff_02.lws");
  const ProgramResult cam = tavorix({"check", m02, "--select", "Cam"}, folder.path());
  EXPECT_EQ(cam.exit_code, 1);
  EXPECT_TRUE(
      contains(cam.out, "flip at frame 140: (H -140.2°, P 0.0°, B -11.0°) → (H 219.8°, P 0.0°, B -11.0°)"))
      << cam.out;
  EXPECT_TRUE(contains(cam.out, "1 flip in 1 item")) << cam.out;
  EXPECT_EQ(tavorix({"check", m02, "--select", "Camera"}, folder.path()).exit_code, 0);
}

// A farm sweeps a folder: one line a scene and one exit code for the run,
// the worst of them; a scene that cannot be read does not stop the others.
TEST_F(Check, SeveralScenesOneLineEachAndTheWorstExitCode) {
  write_file(folder.file("clean.json"), heading_ramp(0.0, 0.1, 3));
  write_file(folder.file("flipped.json"),
             one_item_scene("[0, 3.0], [1, -3.1]", "[0, 0], [1, 0]", "[0, 0], [1, 0]"));
  write_file(folder.file("broken.json"), "{\"fps\": 30, \"items\": [");
  const ProgramResult two = tavorix({"check", "clean.json", "flipped.json"}, folder.path());
  EXPECT_EQ(two.exit_code, 1);
  EXPECT_EQ(two.out, "clean.json: clean\nflipped.json: 1 flip in 1 item\n");

  const ProgramResult three = tavorix({"check", "clean.json", "broken.json", "flipped.json"}, folder.path());
  EXPECT_EQ(three.exit_code, 2);
  EXPECT_EQ(three.out, "clean.json: clean\nflipped.json: 1 flip in 1 item\n");
  EXPECT_TRUE(contains(three.err, "tavorix: broken.json:1: ")) << three.err;

  EXPECT_EQ(tavorix({"check", "clean.json", "clean.json", "--quiet"}, folder.path()).exit_code, 0);
}

}  // namespace
