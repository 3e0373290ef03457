// Files the .lws reader refuses: the message names the line and what was
// expected there.

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"
#include "scene_files/scene_file_error.h"

namespace {

using namespace scene_file_fixtures;

// Reads `text` as "bad.lws" and returns the error, failing the test when the
// read succeeds.
scene_files::SceneFileError read_error(const std::string &text) { return read_lws_error(text, "bad.lws"); }

void expect_error(const std::string &text, int line, const std::string &part) {
  const scene_files::SceneFileError error = read_error(text);
  EXPECT_EQ(error.file(), "bad.lws");
  EXPECT_EQ(error.line(), line) << error.what();
  EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
  EXPECT_EQ(std::string(error.what()).rfind("bad.lws:" + std::to_string(line) + ": ", 0), 0u) << error.what();
}

// small_scene() with one of its lines (1-based) replaced.
std::string with_line(int line, const std::string &replacement) {
  auto lines = split_lines_keeping_endings(small_scene("  Key 0.5 0 3 0 0 0 0 0 0\n", 1));
  lines.at(static_cast<std::size_t>(line - 1)) = replacement + "\n";
  std::string text;
  for (const auto &l : lines) text += l;
  return text;
}

TEST(LwsSceneFileErrors, RefusesVersionsOneAndTwoAsDegreeFormats) {
  for (const char *version : {"1", "2"}) {
    const auto error = read_error(std::string("LWSC\n") + version + "\n\nFirstFrame 1\n");
    EXPECT_EQ(error.line(), 2);
    const std::string message = error.what();
    EXPECT_NE(message.find(std::string("version ") + version + " is not supported"), std::string::npos)
        << message;
    EXPECT_NE(message.find("degrees"), std::string::npos) << message;
  }
  expect_error("LWSC\n9\n", 2,
               "scene format version 9 is newer than this program reads: the newest it knows is version 8");
  expect_error("LWSC\n0\n", 2, "expected scene format version 3 to 8, found 0");
  expect_error("LWSC\nthree\n", 2, "expected the scene format version");
}

TEST(LwsSceneFileErrors, RefusesWhatIsNotASceneFile) {
  expect_error("", 1, "the file is empty");
  expect_error("LWOB\n3\n", 1, "expected 'LWSC' on the first line");
  expect_error("LWSC", 2, "found the end of file");
}

TEST(LwsSceneFileErrors, NamesTheLineOfAMalformedKey) {
  // Line 30 is the heading key of small_scene().
  ASSERT_EQ(split_lines_keeping_endings(small_scene("  Key 0.5 0 3 0 0 0 0 0 0\n", 1))[29],
            "  Key 0.5 0 3 0 0 0 0 0 0\n");
  expect_error(with_line(30, "  Key 0.5 0 3 0 0 0 0 0"), 30, "(9 numbers), found 8 numbers");
  expect_error(with_line(30, "  Key abc 0 3 0 0 0 0 0 0"), 30,
               "expected a number for the key's value, found 'abc'");
  expect_error(with_line(30, "  Key 0.5 1,5 3 0 0 0 0 0 0"), 30, "key's time, found '1,5'");
  expect_error(with_line(30, "  Key 0.5 0 9 0 0 0 0 0 0"), 30, "expected a span type from 0 to 5");
  expect_error(with_line(30, "  Kee 0.5 0 3 0 0 0 0 0 0"), 30, "expected 'Key <value> <time> ...'");
  expect_error(with_line(30, ""), 30, "found an empty line");
  expect_error(small_scene("  Key 0 1 3 0 0 0 0 0 0\n  Key 0 0.5 3 0 0 0 0 0 0\n", 2), 31,
               "is not after the time of the key before it");
  expect_error(small_scene("  Key 0 0 3 0 0 0 0 0 0\n  Key 0 1 3 0 0 0 0 0 0\n", 3), 29,
               "says it has 3 keys but lists 2");
}

TEST(LwsSceneFileErrors, NamesTheLineWhereTheMotionBlockGoesWrong) {
  expect_error(with_line(8, "NumChannel 9"), 8,
               "expected 'NumChannels <count>' after 'ObjectMotion' on line 7");
  expect_error(with_line(8, "NumChannels 10"), 8, "expected a channel count from 0 to 9");
  expect_error(with_line(9, "Channel 9"), 9, "expected a channel number from 0 to 8");
  expect_error(with_line(16, "Envelope"), 16, "expected '{ Envelope' after 'Channel 1' on line 15");
  expect_error(with_line(17, "  one"), 17, "expected the number of keys");
  expect_error(with_line(15, "Channel 0"), 15, "channel 0 appears twice");
  expect_error(with_line(7, "LightMotion"), 7, "expected ObjectMotion");
  // Eight channels where NumChannels says nine: the next statement is wrong.
  std::string text = small_scene("  Key 0.5 0 3 0 0 0 0 0 0\n", 1);
  const std::size_t last_channel = text.find("Channel 8");
  text.erase(last_channel, text.find("}\n", last_channel) + 2 - last_channel);
  expect_error(text, 58,
               "expected 'Channel <number>' (NumChannels on line 8 says 9 channels, 8 read so far)");
}

TEST(LwsSceneFileErrors, NamesUnbalancedBlocks) {
  expect_error("LWSC\n3\n{ Plugin\n  }\n}\n", 5, "this '}' closes no block");
  expect_error("LWSC\n3\nAddNullObject N\n{ Plugin\n  { Inner\n  }\n", 4, "is not closed");
  expect_error(
      "LWSC\n3\nAddNullObject N\nObjectMotion\nNumChannels 1\nChannel 0\n{ Envelope\n  1\n"
      "  Key 0 0 0 0 0 0 0 0 0\n",
      7, "the envelope opened here is not closed");
}

TEST(LwsSceneFileErrors, NamesStatementsWithoutTheirItem) {
  expect_error("LWSC\n3\nAddNullObject N\nLightName Sun\n", 4, "'LightName' without a Light to name");
  expect_error("LWSC\n3\nParentItem 10000000\n", 3, "ParentItem before any item");
  expect_error("LWSC\n3\nAddNullObject N\nParentItem 10000005\n", 4, "ParentItem 10000005 names no item");
  expect_error("LWSC\n3\nAddNullObject N\nParentItem ten\n", 4, "expected 'ParentItem <item id in hex>'");
  expect_error("LWSC\n3\nAddBone\n", 3, "AddBone before any object");
  expect_error("LWSC\n3\nChannel 3\n", 3, "'Channel' outside a motion block");
  expect_error("LWSC\n3\nFramesPerSecond 0\n", 3, "expected 'FramesPerSecond <frames per second, above 0>'");
}

TEST(LwsSceneFileErrors, RefusesMissingOrWrongIdsInVersionsFourAndFive) {
  expect_error("LWSC\n4\nAddNullObject Null\n", 3, "expected 'AddNullObject <id> <name>'");
  expect_error("LWSC\n4\nAddNullObject 20000000 Null\n", 3,
               "expected the Null's id (8 hex digits beginning with 1)");
  expect_error("LWSC\n5\nAddLight 10000000\n", 3, "expected the Light's id (8 hex digits beginning with 2)");
  expect_error("LWSC\n5\nAddNullObject 10000000 A\nAddNullObject 10000000 B\n", 4,
               "item id 10000000 is already used");
  expect_error("LWSC\n4\nLoadObjectLayer 1 box.lwo\n", 3, "expected 'LoadObjectLayer <layer> <id> <file>'");
}

TEST(LwsSceneFileErrors, SaysWhenTwoKeysFallOnOneFrame) {
  expect_error(small_scene("  Key 0 0.0333333 3 0 0 0 0 0 0\n  Key 1 0.03333334 3 0 0 0 0 0 0\n", 2), 31,
               "fall on the same frame");
}

}  // namespace
