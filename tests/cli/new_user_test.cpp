// What a new user of tavorix meets: unknown subcommands and --version, times
// that are no times, names that would speak to the terminal, values the
// module only rounds, ties in the summary, and plots of what moves.

#include <gtest/gtest.h>

#include "program_runner.h"

namespace {

using namespace cli_testing;

class NewUser : public testing::Test {
 protected:
  NewUser() { write_file(folder.file("m02.lws"), read_file(real_scene_path("M02.seq_takeoff_02.lws"))); }
  TemporaryFolder folder;
};

TEST_F(NewUser, UnknownSubcommandsAndTheVersionAnswerAsTheDocsSay) {
  const ProgramResult unknown = tavorix({"frobnicate"}, folder.path());
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_EQ(
      unknown.err.rfind("tavorix: unknown subcommand 'frobnicate'; the subcommands are demo, scan, inferior, "
                        "superior, run, check, plot",
                        0),
      0u)
      << unknown.err;
  const ProgramResult none = tavorix({}, folder.path());
  EXPECT_EQ(none.exit_code, 2);
  EXPECT_EQ(none.err.rfind("tavorix: ", 0), 0u) << none.err;
  const ProgramResult version = tavorix({"--version"}, folder.path());
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("tavorix ", 0), 0u) << version.out;
  const ProgramResult bad_option = tavorix({"scan", "m02.lws", "--bogus"}, folder.path());
  EXPECT_EQ(bad_option.exit_code, 2);
  EXPECT_EQ(bad_option.err.rfind("tavorix: scan: ", 0), 0u) << bad_option.err;
}

TEST_F(NewUser, TimesThatAreNotFiniteAreRefused) {
  for (const char *option : {"--frame", "--time"}) {
    for (const char *value : {"nan", "inf", "-inf", "1e999"}) {
      const ProgramResult result =
          tavorix({"inferior", "m02.lws", "--select", "Cam", option, value, "-o", "x.lws"}, folder.path());
      EXPECT_EQ(result.exit_code, 2) << option << " " << value;
      EXPECT_TRUE(contains(result.err, "expected a finite number")) << result.err;
    }
  }
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"m02.lws"}));
}

// An item named with escape sequences (a clear-screen, a window title) is
// shown with them escaped.
TEST_F(NewUser, ItemNamesAreShownEscaped) {
  write_file(
      folder.file("named.json"),
      "{\"fps\": 30, \"items\": [{\"name\": \"Cam\\u001b[2J\\u001b]0;owned\\u0007\", \"kind\": \"null\", "
      "\"channels\": {\"Rotation.H\": [[0, 3.0], [1, -3.1]], \"Rotation.P\": [[0, 0], [1, 0]], "
      "\"Rotation.B\": [[0, 0], [1, 0]]}}]}");
  for (const char *subcommand : {"check", "scan"}) {
    const ProgramResult result = tavorix({subcommand, "named.json"}, folder.path());
    EXPECT_TRUE(contains(result.out, "Cam\\x1B[2J\\x1B]0;owned\\x07")) << result.out;
    EXPECT_FALSE(contains(result.out + result.err, "\x1b")) << subcommand;
  }
}

// Keys at pitch 1.5707963 (as files store 90°) come back from the module's
// read-back as 1.5707963009853283: that is no rewrite, and the file keeps
// its text.
TEST_F(NewUser, RoundingAtTheGimbalLimitIsNoChange) {
  const std::string rig = read_file(real_scene_path("QuickDraw_v.2.2.lws"));
  write_file(folder.file("rig.lws"), rig);
  const ProgramResult scan = tavorix({"scan", "rig.lws", "-o", "out.lws"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_TRUE(contains(scan.out, "0 key triples rewritten in 0 items")) << scan.out;
  EXPECT_EQ(read_file(folder.file("out.lws")), rig);
  EXPECT_EQ(tavorix({"check", "rig.lws", "-q"}, folder.path()).exit_code, 0);
}

// Steps of exactly +50° and -50°: the summary names the same one before and
// after, whatever rounding the scan's values carry.
TEST_F(NewUser, TiedStepsAreToldTheSameWayBeforeAndAfter) {
  write_file(folder.file("tie.json"),
             "{\"fps\": 30, \"items\": [{\"name\": \"Tie\", \"kind\": \"null\", \"channels\": {"
             "\"Rotation.H\": [[0, 0.1], [1, 0.97266463], [2, 0.1]], \"Rotation.P\": [[0, 0.2], [1, 0.2], "
             "[2, 0.2]], "
             "\"Rotation.B\": [[0, 0.3], [1, 0.3], [2, 0.3]]}}]}");
  const ProgramResult scan = tavorix({"scan", "tie.json"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_TRUE(contains(scan.out, "  Tie             3          0  50.0° → 50.0°  0 → 0\n")) << scan.out;
}

// plot draws what moves, unless asked for more.
TEST_F(NewUser, PlotDrawsOnlyItemsWhoseRotationChanges) {
  const ProgramResult moving = tavorix({"plot", "m02.lws", "-o", "all.svg"}, folder.path());
  ASSERT_EQ(moving.exit_code, 0) << moving.err;
  const std::string svg = read_file(folder.file("all.svg"));
  EXPECT_TRUE(contains(svg, "data-item=\"Cam\""));
  EXPECT_FALSE(contains(svg, "data-item=\"mesh_astroport.lwo\""));  // one key per channel: still
  EXPECT_FALSE(contains(svg, "data-item=\"Light\""));

  ASSERT_EQ(tavorix({"plot", "m02.lws", "--select", "Light", "-o", "light.svg"}, folder.path()).exit_code, 0);
  EXPECT_TRUE(contains(read_file(folder.file("light.svg")), "data-item=\"Light\""));

  write_file(folder.file("still.lws"), read_file(real_scene_path("seq_stonehenge_03.lws")));
  const ProgramResult still = tavorix({"plot", "still.lws"}, folder.path());
  EXPECT_EQ(still.exit_code, 2);
  EXPECT_TRUE(contains(still.err, "no item's rotation changes over time")) << still.err;
  EXPECT_FALSE(file_exists(folder.file("still.svg")));
}

TEST_F(NewUser, AByteOrderMarkBeforeLwscIsReadAndKept) {
  const std::string m02 = read_file(folder.file("m02.lws"));
  write_file(folder.file("bom.lws"), "\xEF\xBB\xBF" + m02);
  const ProgramResult scan = tavorix({"scan", "bom.lws", "--in-place", "-q"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_EQ(read_file(folder.file("bom.lws")).rfind("\xEF\xBB\xBFLWSC\r\n", 0), 0u);
}

}  // namespace
