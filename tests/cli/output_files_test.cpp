// Where tavorix writes: only regular files (through links to them) or the
// standard output, every output checked before any work, all written or
// none. Run as root on a farm machine, it must never replace a device node,
// a FIFO or a link.

#include <gtest/gtest.h>

#if defined(_WIN32)

TEST(OutputFiles, MadeOfPosixFileKinds) {
  GTEST_SKIP() << "these cases are made of device nodes, FIFOs, symbolic links and permission bits, "
                  "which Windows does not have as POSIX systems do (its file layer is tested through "
                  "the other command-line tests, FileNames.* among them)";
}

#else

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "program_runner.h"

namespace {

using namespace cli_testing;

class OutputFiles : public testing::Test {
 protected:
  OutputFiles() : m02(read_file(real_scene_path("M02.seq_takeoff_02.lws"))) {
    write_file(folder.file("base.lws"), m02);
  }

  // The run fails with exit code 2, names `path` and what is wrong, writes
  // no file and leaves every file of the folder as it was.
  void expect_refused(const std::vector<std::string> &arguments, const std::string &path,
                      const std::string &why) {
    const std::vector<std::string> names = folder.names();
    const std::vector<std::string> contents = regular_file_contents();
    const ProgramResult result = tavorix(arguments, folder.path());
    EXPECT_EQ(result.exit_code, 2) << result.err;
    EXPECT_TRUE(contains(result.err, path)) << result.err;
    EXPECT_TRUE(contains(result.err, why)) << result.err;
    EXPECT_EQ(folder.names(), names) << "a file was written or left behind";
    EXPECT_TRUE(regular_file_contents() == contents) << "a file was changed";
    EXPECT_FALSE(contains(result.out, "wrote ")) << result.out;
  }

  // The contents of the folder's regular files, in name order.
  std::vector<std::string> regular_file_contents() const {
    std::vector<std::string> contents;
    for (const std::string &name : folder.names()) {
      if (is_kind(name, S_IFREG)) contents.push_back(read_file(folder.file(name)));
    }
    return contents;
  }

  bool is_kind(const std::string &name, mode_t kind) const {
    struct stat info;
    return lstat(folder.file(name).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
  }

  TemporaryFolder folder;
  std::string m02;
};

TEST_F(OutputFiles, ADeviceNodeIsNeverReplaced) {
  if (mknod(folder.file("fakenull").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "making a device node needs root";
  expect_refused({"scan", "base.lws", "-o", "fakenull"}, "fakenull",
                 "is a character device, not a regular file");
  EXPECT_TRUE(is_kind("fakenull", S_IFCHR));
  expect_refused({"scan", "base.lws", "-o", "/dev/null"}, "/dev/null", "is a character device");
}

TEST_F(OutputFiles, AFifoIsNeverReplaced) {
  ASSERT_EQ(mkfifo(folder.file("fifo.svg").c_str(), 0644), 0);
  expect_refused({"plot", "base.lws", "-o", "fifo.svg"}, "fifo.svg",
                 "is a FIFO (named pipe), not a regular file");
  EXPECT_TRUE(is_kind("fifo.svg", S_IFIFO));
}

TEST_F(OutputFiles, AFolderIsRefused) {
  ASSERT_EQ(mkdir(folder.file("shots.lws").c_str(), 0755), 0);
  expect_refused({"scan", "base.lws", "-o", "shots.lws"}, "shots.lws", "is a folder");
}

// A link is written through: the file it names gets the new content (in one
// step there), the link stays a link.
TEST_F(OutputFiles, ALinkIsWrittenThroughAndStaysALink) {
  ASSERT_EQ(mkdir(folder.file("store").c_str(), 0755), 0);
  write_file(folder.file("store/shot.lws"), "old");
  ASSERT_EQ(symlink("store/shot.lws", folder.file("link.lws").c_str()), 0);
  ASSERT_EQ(symlink("link.lws", folder.file("link2.lws").c_str()), 0);
  const ProgramResult result = tavorix({"scan", "base.lws", "-o", "link2.lws"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "wrote link2.lws (a link to store/shot.lws)")) << result.out;
  EXPECT_TRUE(is_kind("link.lws", S_IFLNK));
  EXPECT_TRUE(is_kind("link2.lws", S_IFLNK));
  EXPECT_NE(read_file(folder.file("store/shot.lws")), "old");
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"base.lws", "link.lws", "link2.lws", "store"}));

  // A link to nothing yet: the file it names is made.
  ASSERT_EQ(symlink("store/new.lws", folder.file("dangling.lws").c_str()), 0);
  ASSERT_EQ(tavorix({"scan", "base.lws", "-o", "dangling.lws", "-q"}, folder.path()).exit_code, 0);
  EXPECT_TRUE(is_kind("dangling.lws", S_IFLNK));
  EXPECT_TRUE(file_exists(folder.file("store/new.lws")));

  // Links that go round in a circle.
  ASSERT_EQ(symlink("loop-b.lws", folder.file("loop-a.lws").c_str()), 0);
  ASSERT_EQ(symlink("loop-a.lws", folder.file("loop-b.lws").c_str()), 0);
  expect_refused({"scan", "base.lws", "-o", "loop-a.lws"}, "loop-a.lws", "go round in a circle");
}

TEST_F(OutputFiles, TheInputThroughALinkIsStillTheInput) {
  ASSERT_EQ(symlink("base.lws", folder.file("alias.lws").c_str()), 0);
  expect_refused({"scan", "base.lws", "-o", "alias.lws"}, "alias.lws", "names the input scene");
}

TEST_F(OutputFiles, DashWritesTheStandardOutputAndTheReportGoesToStandardError) {
  const ProgramResult scene = tavorix({"scan", "base.lws", "--select", "Cam", "-o", "-"}, folder.path());
  ASSERT_EQ(scene.exit_code, 0) << scene.err;
  EXPECT_EQ(scene.out.rfind("LWSC\r\n3\r\n", 0), 0u);
  EXPECT_TRUE(contains(scene.out, "  Key 3.836508807179586 4.6666665 0 0 0 0 -4.6451941 0 0\r\n"));
  EXPECT_TRUE(contains(scene.err, "1 key triple rewritten in 1 item")) << scene.err;

  const ProgramResult plot =
      tavorix({"plot", "base.lws", "--select", "Cam", "-o", "/dev/stdout"}, folder.path());
  ASSERT_EQ(plot.exit_code, 0) << plot.err;
  EXPECT_EQ(plot.out.rfind("<?xml", 0), 0u);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"base.lws"}));
}

// "Nothing was written" holds: every output is checked before any work,
// and when one cannot be written none is.
TEST_F(OutputFiles, AnOutputThatCannotBeWrittenStopsTheRunBeforeAnyWork) {
  expect_refused({"scan", "base.lws", "--select", "Cam", "-o", "fixed.lws", "--plot", "/nonexistent/p.svg"},
                 "/nonexistent/p.svg", "the folder /nonexistent does not exist");
  expect_refused({"scan", "base.lws", "-o", "out.txt"}, "out.txt", "must name a .lws or .json file");
  expect_refused({"scan", "base.lws", "-o", "fixed.lws", "--plot", "p.png"}, "p.png",
                 "must name a .svg file");
  expect_refused({"scan", "base.lws", "-o", "same.svg", "--plot", "same.svg"}, "same.svg",
                 "must name a .lws");
  expect_refused({"demo", "--save-scene", "d.lws"}, "d.lws", "name a .json file");
  expect_refused({"demo", "-o", "demo.json"}, "demo.json", "must name a .svg file");
  if (getuid() != 0) {
    ASSERT_EQ(mkdir(folder.file("locked").c_str(), 0555), 0);
    expect_refused({"scan", "base.lws", "-o", "locked/fixed.lws"}, "locked", "cannot be written");
  }
}

TEST_F(OutputFiles, AReplacedFileKeepsItsPermissions) {
  write_file(folder.file("fixed.lws"), "old");
  ASSERT_EQ(chmod(folder.file("fixed.lws").c_str(), 0640), 0);
  ASSERT_EQ(tavorix({"scan", "base.lws", "-o", "fixed.lws", "-q"}, folder.path()).exit_code, 0);
  struct stat info;
  ASSERT_EQ(stat(folder.file("fixed.lws").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// --in-place with nothing to change leaves the file alone and makes no
// backup, however often it runs.
TEST_F(OutputFiles, InPlaceWithNothingToChangeWritesNothing) {
  const std::string clean = read_file(real_scene_path("seq_stonehenge_03.lws"));
  write_file(folder.file("clean.lws"), clean);
  struct stat before;
  ASSERT_EQ(stat(folder.file("clean.lws").c_str(), &before), 0);
  for (int run = 0; run < 2; ++run) {
    const ProgramResult result = tavorix({"scan", "clean.lws", "--in-place"}, folder.path());
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(contains(result.out, "clean.lws is unchanged: left as it was, no backup made")) << result.out;
  }
  struct stat after;
  ASSERT_EQ(stat(folder.file("clean.lws").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(read_file(folder.file("clean.lws")), clean);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"base.lws", "clean.lws"}));
}

// Several scenes in place, one line each; a scene that cannot be read is
// reported and the others are still fixed.
TEST_F(OutputFiles, SeveralScenesInPlace) {
  write_file(folder.file("other.lws"), m02);
  write_file(folder.file("broken.lws"), "LWSC\n3\nFirstFrame x\n{ Envelope\n");
  const ProgramResult result =
      tavorix({"scan", "base.lws", "broken.lws", "other.lws", "--in-place"}, folder.path());
  EXPECT_EQ(result.exit_code, 2) << result.err;
  EXPECT_TRUE(contains(result.out,
                       "base.lws: 1 key triple rewritten in 1 item\n  wrote base.lws (the original is "
                       "kept as base.lws.bak)\n"))
      << result.out;
  EXPECT_TRUE(contains(result.out, "other.lws: 1 key triple rewritten in 1 item")) << result.out;
  EXPECT_TRUE(contains(result.err, "tavorix: broken.lws:")) << result.err;
  EXPECT_EQ(read_file(folder.file("base.lws.bak")), m02);
  EXPECT_EQ(read_file(folder.file("other.lws.bak")), m02);
  EXPECT_FALSE(file_exists(folder.file("broken.lws.bak")));
  expect_refused({"scan", "base.lws", "other.lws", "-o", "x.lws"}, "-o",
                 "with several scenes use --in-place");
}

}  // namespace

#endif
