// Scene format versions 6 to 8 (LightWave 2015 to 2019), plug-in bodies and
// byte-order marks: what newer files add around the motions is kept as text,
// their motion envelopes are held to what they say, and every byte comes
// back as it was.

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"
#include "scene_files/scene_file_error.h"
#include "support/build_paths.h"

namespace {

using namespace scene_file_fixtures;

std::string made_scene_path(const std::string &name) {
  return std::string(testing_support::build_paths::source_dir()) + "/tests/data/made/" + name;
}

// small_scene() as version `version`.
std::string small_scene_of_version(int version,
                                   const std::string &heading_keys = "  Key 0.5 0 3 0 0 0 0 0 0\n",
                                   int heading_count = 1) {
  std::string text = small_scene(heading_keys, heading_count);
  text.replace(text.find("\n3\n") + 1, 1, std::to_string(version));
  // From version 4 on the declaring line carries the item's id.
  if (version >= 4) text.replace(text.find("AddNullObject Spinner"), 21, "AddNullObject 10000000 Spinner");
  return text;
}

std::string read_error(const std::string &text) {
  scene::Scene scene;
  try {
    scene_files::LwsSceneFile::read(text, "new.lws", scene);
  } catch (const scene_files::SceneFileError &error) {
    return error.what();
  }
  return "read succeeded";
}

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

TEST(LwsVersions, AVersionEightRigReadsAndComesBackByteForByte) {
  const std::string text = read_file(made_scene_path("rig_v8.lws"));
  LoadedLws loaded(text);
  EXPECT_EQ(loaded.file.version(), 8);
  EXPECT_TRUE(loaded.file.notes().empty());
  EXPECT_EQ(loaded.scene.items().size(), 3u);
  // Only the motions' envelopes: the envelope-like lines inside the plug-in
  // body and the block closed by EndAttribute are text.
  EXPECT_EQ(loaded.envelope("Rig", 3).size(), 3u);
  EXPECT_EQ(loaded.envelope("Rig", 3).first()->value, 0.5);  // written with 20 significant digits
  EXPECT_EQ(loaded.envelope("Arm", 4).first()->value, 1.5707963);
  EXPECT_EQ(loaded.item("Arm").parent_id, loaded.item("Rig").id);
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
}

TEST(LwsVersions, SixAndSevenAreReadWithANoteNineIsRefused) {
  for (int version : {6, 7}) {
    const std::string text = small_scene_of_version(version);
    LoadedLws loaded(text, "new.lws");
    ASSERT_EQ(loaded.file.notes().size(), 1u) << version;
    EXPECT_TRUE(contains(loaded.file.notes()[0], "scene format version " + std::to_string(version) +
                                                     " was found in no file this program was tried on"));
    EXPECT_EQ(loaded.file.write(loaded.scene), text);
  }
  EXPECT_TRUE(
      contains(read_error(small_scene_of_version(9)),
               "new.lws:2: scene format version 9 is newer than this program reads: the newest it knows "
               "is version 8 (LightWave 2019)"));
}

// Older files may write a one-key count with no key line; newer ones are
// held to the count, nine numbers a key and a Behaviors line.
TEST(LwsVersions, NewerFilesListTheKeysTheySayTheyHave) {
  const std::string two_keys = "  Key 0.5 0 3 0 0 0 0 0 0\n  Key 0.6 1 3 0 0 0 0 0 0\n";
  EXPECT_TRUE(contains(read_error(small_scene_of_version(8, two_keys, 3)), "says it has 3 keys but lists 2"));
  EXPECT_TRUE(contains(read_error(small_scene_of_version(8, "", 1)), "says it has 1 key but lists 0"));
  LoadedLws old(small_scene_of_version(5, "", 1));  // accepted: an empty envelope
  EXPECT_EQ(old.envelope("Spinner", 3).size(), 0u);
  EXPECT_TRUE(contains(read_error(small_scene_of_version(8, "  Key 0.5 0 3 0 0 0 0 0\n", 1)), "(9 numbers)"));

  std::string no_behaviors = small_scene_of_version(8);
  const std::size_t behaviors = no_behaviors.find("  Behaviors 1 1\n", no_behaviors.find("Channel 3"));
  no_behaviors.erase(behaviors, std::string("  Behaviors 1 1\n").size());
  EXPECT_TRUE(contains(read_error(no_behaviors), "expected 'Behaviors <pre> <post>' before the '}'"));
}

// A plug-in's body is its own business, in every version: lines that look
// like channels and envelopes there are not an item's motion.
TEST(LwsVersions, PluginBodiesAreTextInEveryVersion) {
  const std::string plugin =
      "Plugin MasterHandler 1 \"Some Handler\"\nNumChannels 2\nChannel 4\n{ Envelope\n  2\n}\n"
      "Plugin Inner 2 \"\"\n  Channel 1\nEndPlugin\nEndPlugin\n";
  for (int version : {3, 8}) {
    std::string text = small_scene_of_version(version);
    text += plugin;
    LoadedLws loaded(text);
    EXPECT_EQ(loaded.envelope("Spinner", 3).size(), 1u) << version;
    EXPECT_EQ(loaded.file.write(loaded.scene), text) << version;
  }
  EXPECT_TRUE(contains(read_error(small_scene_of_version(8) + "Plugin Open 1 x\nChannel 2\n"),
                       "the plug-in block opened here is not closed: expected 'EndPlugin'"));
}

TEST(LwsVersions, AByteOrderMarkIsAcceptedAndKept) {
  const std::string text = "\xEF\xBB\xBF" + small_scene_of_version(3);
  LoadedLws loaded(text);
  loaded.envelope("Spinner", 3).first()->value = 1.25;
  const std::string written = loaded.file.write(loaded.scene);
  EXPECT_EQ(written.rfind("\xEF\xBB\xBFLWSC\n3\n", 0), 0u);
  EXPECT_TRUE(contains(written, "  Key 1.25 0 3 0 0 0 0 0 0\n"));
}

// What a message quotes of a file is never raw bytes: a NUL does not cut
// it short, escape sequences do not reach the terminal, a long token is cut.
TEST(LwsVersions, TokensAreQuotedSafely) {
  std::string text = small_scene("  Key 0.5 0 3 0 0 0 0 0 0\n", 1);
  const std::string crafted = std::string("ze\0ro\x1b[2J\x1b]0;owned\x07", 18);
  text.replace(text.find("Key 0.5 0 3") + 8, 1, crafted);
  const std::string message = read_error(text);
  EXPECT_TRUE(contains(message, "found 'ze\\0ro\\x1B[2J\\x1B]0;owned'")) << message;
  EXPECT_FALSE(contains(message, "\x1b"));
  EXPECT_FALSE(contains(message, std::string(1, '\0')));

  std::string long_token = small_scene("  Key 0.5 0 3 0 0 0 0 0 0\n", 1);
  long_token.replace(long_token.find("Key 0.5 0 3") + 8, 1, std::string(500, '7') + "x");
  EXPECT_TRUE(contains(read_error(long_token), "...' (501 bytes)")) << read_error(long_token);
}

}  // namespace
