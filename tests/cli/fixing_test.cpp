// The fixing subcommands end to end: where they write, backups, times set by
// frame, command scripts and plots.

#include <gtest/gtest.h>

#include "scene_files/lws_scene_file.h"
#include "program_runner.h"

namespace {

using namespace cli_testing;

class Fixing : public testing::Test {
 protected:
  Fixing() : m02(read_file(real_scene_path("M02.seq_takeoff_02.lws"))) {
    write_file(folder.file("m02.lws"), m02);
  }

  std::size_t line_count(const std::string &name) const {
    const std::string text = read_file(folder.file(name));
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  }

  TemporaryFolder folder;
  std::string m02;
};

TEST_F(Fixing, InPlaceKeepsEveryEarlierVersionAsABackup) {
  const ProgramResult first = tavorix({"scan", "m02.lws", "--in-place"}, folder.path());
  ASSERT_EQ(first.exit_code, 0) << first.err;
  EXPECT_TRUE(contains(first.out, "wrote m02.lws (the original is kept as m02.lws.bak)")) << first.out;
  EXPECT_EQ(read_file(folder.file("m02.lws.bak")), m02);
  const std::string scanned = read_file(folder.file("m02.lws"));
  EXPECT_NE(scanned, m02);

  ASSERT_EQ(tavorix({"inferior", "m02.lws", "--select", "Cam", "--frame", "84", "--in-place"}, folder.path())
                .exit_code,
            0);
  EXPECT_EQ(read_file(folder.file("m02.lws.bak")), m02);
  EXPECT_EQ(read_file(folder.file("m02.lws.bak.1")), scanned);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"m02.lws", "m02.lws.bak", "m02.lws.bak.1"}));
}

TEST_F(Fixing, WithoutAnOutputNothingIsWritten) {
  const ProgramResult result = tavorix({"scan", "m02.lws"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "nothing written")) << result.out;
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"m02.lws"}));
}

TEST_F(Fixing, AFrameFindsTheKeyStoredAtARoundedTime) {
  // Cam's keys sit at 0.93333334 s and 2.8 s: frames 28 and 84.
  for (const std::vector<std::string> &time :
       {std::vector<std::string>{"--frame", "28"}, {"--time", "0.9333333"}}) {
    std::vector<std::string> arguments = {"inferior", "m02.lws", "--select", "Cam", "-o", "out.lws"};
    arguments.insert(arguments.end(), time.begin(), time.end());
    const ProgramResult result = tavorix(arguments, folder.path());
    ASSERT_EQ(result.exit_code, 0) << result.err;
    // The keys at that time were rewritten in place: no key was added.
    EXPECT_EQ(line_count("out.lws"), line_count("m02.lws")) << time[0];
    EXPECT_TRUE(contains(result.out, "1 key triple rewritten in 1 item")) << result.out;
  }
  // Between keys the command makes new ones.
  ASSERT_EQ(
      tavorix({"superior", "m02.lws", "--select", "Cam", "--frame", "70", "-o", "out.lws"}, folder.path())
          .exit_code,
      0);
  EXPECT_EQ(line_count("out.lws"), line_count("m02.lws") + 3);
  EXPECT_TRUE(contains(read_file(folder.file("out.lws")), " 2.3333333 3 0 0 0 -1.2495759 -2.3997223 0\r\n"));
}

TEST_F(Fixing, RunPrintsEachRefreshAndProgressReport) {
  write_file(folder.file("turn.txt"),
             "SelectByName Cam\nGoToFrame 84\nAddRotation 10 0 0\nRefreshNow\nGeneric_Tavorix:Scan\n");
  const ProgramResult plain =
      tavorix({"run", "m02.lws", "--script", "turn.txt", "-o", "out.lws"}, folder.path());
  ASSERT_EQ(plain.exit_code, 0) << plain.err;
  EXPECT_EQ(plain.out.find("RefreshNow\nprogress: Tavorix: Scan: Scanning...\n"
                           "progress: Tavorix: Scan: Scanned: 1 items\n"),
            0u)
      << plain.out;
  EXPECT_TRUE(contains(plain.out, "5 commands, rotation keys changed on 1 of 10 items")) << plain.out;
  EXPECT_TRUE(file_exists(folder.file("out.lws")));

  const ProgramResult watched =
      tavorix({"run", "m02.lws", "--script", "turn.txt", "--master", "Tavorix:RealTime", "-o", "out.lws"},
              folder.path());
  ASSERT_EQ(watched.exit_code, 0) << watched.err;
  // The watcher answers the rotation with a RefreshNow of its own.
  EXPECT_EQ(watched.out.find("RefreshNow\nRefreshNow\nprogress: "), 0u) << watched.out;

  const ProgramResult unknown =
      tavorix({"run", "m02.lws", "--script", "turn.txt", "--master", "Tavorix:Nothing"}, folder.path());
  EXPECT_EQ(unknown.exit_code, 3) << unknown.err;
  EXPECT_TRUE(contains(unknown.err, "Tavorix:Nothing")) << unknown.err;
}

TEST_F(Fixing, PlotDrawsTheNamedItemsNextToTheScene) {
  const ProgramResult result =
      tavorix({"plot", "m02.lws", "--select", "Cam", "--select", "Camera"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "plot written to m02.svg")) << result.out;
  const std::string svg = read_file(folder.file("m02.svg"));
  EXPECT_TRUE(contains(svg, "data-item=\"Cam\""));
  EXPECT_TRUE(contains(svg, "data-item=\"Camera\""));
  EXPECT_EQ(read_file(folder.file("m02.lws")), m02);

  ASSERT_EQ(tavorix({"scan", "m02.lws", "--plot", "scan.svg", "-q"}, folder.path()).exit_code, 0);
  EXPECT_TRUE(contains(read_file(folder.file("scan.svg")), "data-item=\"Cam\""));
}

}  // namespace
