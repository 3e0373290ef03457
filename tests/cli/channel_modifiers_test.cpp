// A rig whose envelopes carry channel modifiers (tests/data/made/
// rig_modifiers.lws): check, scan and plot name the modified rotation
// channels and say their curves are the keys'; the scan fixes the keys and
// leaves every other byte.

#include <gtest/gtest.h>

#include <algorithm>

#include "program_runner.h"
#include "support/build_paths.h"

namespace {

using namespace cli_testing;

std::string made_scene_path(const std::string &name) {
  return std::string(testing_support::build_paths::source_dir()) + "/tests/data/made/" + name;
}

// The lines of `text`, each with its ending.
std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

class ChannelModifiers : public testing::Test {
 protected:
  void SetUp() override {
    write_file(folder.file("rig.lws"), read_file(made_scene_path("rig_modifiers.lws")));
  }
  TemporaryFolder folder;
};

TEST_F(ChannelModifiers, CheckNamesEveryModifiedRotationChannel) {
  const ProgramResult result = tavorix({"check", "rig.lws"}, folder.path());
  EXPECT_EQ(result.exit_code, 1) << result.err;
  EXPECT_TRUE(
      contains(result.out,
               "Spine2:\n  channel modifiers: heading (.EnvExprLink); the flips and spins here are those "
               "of the keys' curves, not of the modified motion\n  flip at frame 15"))
      << result.out;
  EXPECT_TRUE(
      contains(result.out, "Spine3:\n  channel modifiers: bank (.EnvExprLink, Made_Noise, Made_Follower);"))
      << result.out;
  // body.lwo's modifier is on a position channel: not the module's concern.
  EXPECT_FALSE(contains(result.out, "body.lwo:")) << result.out;
  EXPECT_TRUE(contains(result.out,
                       "2 rotation channels in 2 items carry channel modifiers, which this program cannot "
                       "evaluate: checked on the keys' curves, not on the modified motion (listed above)\n"
                       "2 flips in 1 item: key triples that tavorix scan rewrites\n"))
      << result.out;

  // Among several scenes, each gets its line; one without modifiers as before.
  const ProgramResult several =
      tavorix({"check", "rig.lws", real_scene_path("M02.seq_takeoff_02.lws")}, folder.path());
  EXPECT_TRUE(contains(several.out,
                       "rig.lws: 2 flips in 1 item; 2 rotation channels in 2 items carry channel modifiers "
                       "(checked on the keys)\n"))
      << several.out;
  EXPECT_TRUE(contains(several.out, "M02.seq_takeoff_02.lws: 1 flip in 1 item\n")) << several.out;
}

TEST_F(ChannelModifiers, ScanFixesTheKeysAndLeavesEveryOtherByte) {
  const ProgramResult result = tavorix({"scan", "rig.lws", "-o", "fixed.lws"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(contains(result.out,
                       "2 rotation channels in 2 items carry channel modifiers, which this program cannot "
                       "evaluate: the keys are worked on as on any channel, and the spins are those of the "
                       "keys' curves, not of the modified motion\n  Spine2: heading (.EnvExprLink)\n"
                       "  Spine3: bank (.EnvExprLink, Made_Noise, Made_Follower)\n"))
      << result.out;

  const auto before = lines_of(read_file(folder.file("rig.lws")));
  const auto after = lines_of(read_file(folder.file("fixed.lws")));
  ASSERT_EQ(after.size(), before.size());
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (after[i] != before[i]) changed.push_back(after[i]);
  }
  EXPECT_EQ(changed, (std::vector<std::string>{"  Key 3.183185307179586 0.5 0 0 0 0 0 0 0\r\n",
                                               "  Key 3.3831853071795863 1 0 0 0 0 0 0 0\r\n"}));
  EXPECT_EQ(tavorix({"check", "fixed.lws"}, folder.path()).exit_code, 0);

  // Written as JSON, the scene still says which channels are modified.
  ASSERT_EQ(tavorix({"scan", "rig.lws", "-o", "fixed.json", "-q"}, folder.path()).exit_code, 0);
  const ProgramResult json = tavorix({"check", "fixed.json"}, folder.path());
  EXPECT_EQ(json.exit_code, 0) << json.out;
  EXPECT_TRUE(contains(json.out, "Spine2:\n  channel modifiers: heading (.EnvExprLink);")) << json.out;
}

TEST_F(ChannelModifiers, PlotSaysItShowsTheKeysCurves) {
  const ProgramResult result =
      tavorix({"plot", "rig.lws", "--select", "Spine2", "-o", "rig.svg"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out,
            "plot written to rig.svg\n1 rotation channel in 1 item carries a channel modifier, which this "
            "program cannot evaluate: the plot shows the keys' curves, not the modified motion\n"
            "  Spine2: heading (.EnvExprLink)\n");
  const std::string svg = read_file(folder.file("rig.svg"));
  EXPECT_TRUE(
      contains(svg,
               "class=\"modifier-note\" style=\"fill:#d62728;font-size:12px\">channel modifiers: heading "
               "(.EnvExprLink); these curves show the keys, not the modified motion</text>"))
      << svg;
}

}  // namespace
