// File names beyond ASCII, and with spaces, reach the file system intact on
// every platform: as command-line words (on Windows not in the ANSI code
// page) and as paths of the files read, written and replaced.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "program_runner.h"

namespace {

using namespace cli_testing;

// The test's own file access by UTF-8 name (std::filesystem::u8path takes
// the name as UTF-8 on every platform).
std::filesystem::path utf8_path(const TemporaryFolder &folder, const std::string &name) {
  return std::filesystem::path(folder.path()) / std::filesystem::u8path(name);
}

std::string read_utf8_named(const TemporaryFolder &folder, const std::string &name) {
  std::ifstream in(utf8_path(folder, name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FileNames, ScanReadsWritesAndReplacesFilesNamedBeyondAscii) {
  TemporaryFolder folder;
  const std::string scene = "Szene \xc3\xbc\xc3\x9f \xe2\x86\x92 \xe6\x97\xa5.lws";  // "Szene üß → 日.lws"
  const std::string fixed =
      "gepr\xc3\xbc"
      "ft \xc3\xa9t\xc3\xa9.lws";  // "geprüft été.lws"
  std::filesystem::copy_file(real_scene_path("M02.seq_takeoff_02.lws"), utf8_path(folder, scene));

  const ProgramResult first = tavorix({"scan", scene, "--all", "-o", fixed}, folder.path());
  ASSERT_EQ(first.exit_code, 0) << first.err;
  EXPECT_TRUE(contains(first.out, "wrote " + fixed)) << first.out;
  const std::string written = read_utf8_named(folder, fixed);
  ASSERT_FALSE(written.empty());
  EXPECT_NE(written, read_utf8_named(folder, scene));

  // Again onto the file that is there now: it is replaced, not added to,
  // and no temporary file is left beside it.
  const ProgramResult second = tavorix({"scan", scene, "--all", "-o", fixed}, folder.path());
  ASSERT_EQ(second.exit_code, 0) << second.err;
  EXPECT_EQ(read_utf8_named(folder, fixed), written);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 2u);
}

TEST(FileNames, AMissingSceneIsNamedAsGiven) {
  TemporaryFolder folder;
  const std::string missing = "fehlt \xc3\xa4.lws";  // "fehlt ä.lws"
  const ProgramResult result = tavorix({"check", missing}, folder.path());
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_TRUE(contains(result.err, missing)) << result.err;
}

}  // namespace
