// Channel modifiers: blocks nested in a motion envelope after its keys and
// Behaviors line. They are kept byte for byte in .lws files, named in the
// scene by server name and carried by JSON; a block left open is refused
// with its line.

#include <gtest/gtest.h>

#include "scene_file_fixtures.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/scene_file_error.h"

namespace {

using namespace scene_file_fixtures;

const std::string kLink = "  { ChannelHandler\n    \".EnvExprLink\"\n    0\n    1\n    \"Spine2_H\"\n  }\n";
// A modifier whose data holds blocks of its own, two deep.
const std::string kFollower =
    "  { ChannelHandler\n    \"Made_Follower\"\n    { Follow\n      \"Spine2\"\n      { Range\n        0 1\n"
    "      }\n    }\n    1\n  }\n";
const std::string kNoise = "  { ChannelHandler\n    \"Made_Noise\"\n    0.25\n  }\n";

std::string with_endings(std::string text, const std::string &ending) {
  if (ending == "\n") return text;
  std::string out;
  for (char c : text) out += c == '\n' ? ending : std::string(1, c);
  return out;
}

// A scene of one null "Rig" whose heading is keyed 3.0 then -3.1 (a flip)
// and whose heading and Position.X envelopes end with `heading_blocks` and
// `position_blocks` after their Behaviors lines.
std::string modified_scene(const std::string &heading_blocks, const std::string &position_blocks = "",
                           const std::string &ending = "\n", int version = 3) {
  std::string text = "LWSC\n" + std::to_string(version) + "\n\nFramesPerSecond 30\n\nAddNullObject " +
                     (version >= 4 ? "10000000 " : "") + "Rig\nObjectMotion\nNumChannels 9\n";
  for (int channel = 0; channel < 9; ++channel) {
    const bool heading = channel == 3;
    text += "Channel " + std::to_string(channel) + "\n{ Envelope\n  2\n" +
            (heading ? "  Key 3.0 0 0 0 0 0 0 0 0\n  Key -3.1 1 0 0 0 0 0 0 0\n"
                     : "  Key 0 0 0 0 0 0 0 0 0\n  Key 0 1 0 0 0 0 0 0 0\n") +
            "  Behaviors 1 1\n" +
            (heading        ? heading_blocks
             : channel == 0 ? position_blocks
                            : "") +
            "}\n";
  }
  return with_endings(text + "\nShadowOptions 7\n", ending);
}

// The 1-based number of the line of `text` that begins with `start`, after
// line `after`.
int line_of(const std::string &text, const std::string &start, int after = 0) {
  const auto lines = split_lines_keeping_endings(text);
  for (std::size_t i = static_cast<std::size_t>(after); i < lines.size(); ++i) {
    if (lines[i].rfind(start, 0) == 0) return static_cast<int>(i) + 1;
  }
  ADD_FAILURE() << "no line begins with " << start;
  return 0;
}

std::string read_error(const std::string &text) {
  scene::Scene scene;
  try {
    scene_files::LwsSceneFile::read(text, "rig.lws", scene);
  } catch (const scene_files::SceneFileError &error) {
    return error.what();
  }
  return "read succeeded";
}

std::vector<std::string> modifiers_of(const LoadedLws &loaded, const char *channel) {
  return loaded.item("Rig").channel(channel)->modifiers;
}

TEST(LwsChannelModifiers, OneModifierIsNamedAndEveryByteOutsideARewrittenKeyComesBack) {
  for (const std::string ending : {"\n", "\r\n"}) {
    const std::string text = modified_scene(kLink, "", ending);
    LoadedLws loaded(text, "rig.lws");
    EXPECT_EQ(modifiers_of(loaded, "Rotation.H"), std::vector<std::string>{".EnvExprLink"});
    EXPECT_TRUE(modifiers_of(loaded, "Rotation.P").empty());
    EXPECT_EQ(key_values(loaded.envelope("Rig", 3)), (std::vector<double>{3.0, -3.1}));
    EXPECT_EQ(loaded.file.write(loaded.scene), text);

    // As a scan leaves it: the second heading key a whole turn on.
    loaded.envelope("Rig", 3).first()->next->value = -3.1 + 6.283185307179586;
    const auto before = split_lines_keeping_endings(text);
    const auto after = split_lines_keeping_endings(loaded.file.write(loaded.scene));
    ASSERT_EQ(after.size(), before.size());
    const int key_line = line_of(text, "  Key -3.1 1");
    for (std::size_t i = 0; i < before.size(); ++i) {
      if (static_cast<int>(i) + 1 == key_line) {
        EXPECT_EQ(after[i], "  Key 3.183185307179586 1 0 0 0 0 0 0 0" + ending);
      } else {
        EXPECT_EQ(after[i], before[i]) << "line " << i + 1;
      }
    }
  }
}

TEST(LwsChannelModifiers, SeveralBlocksOfAnyNameAndDepthFollowTheKeysAndStayAsWritten) {
  // A modifier whose data begins with a block names no server: the block's
  // name stands for it, as for a block of another name.
  const std::string unnamed = "  { ChannelHandler\n    { Settings\n      1\n    }\n  }\n";
  const std::string blocks = kLink + kFollower + "  { Other\n    7\n  }\n" + unnamed;
  const std::string text = modified_scene(blocks, kNoise, "\r\n");
  LoadedLws loaded(text, "rig.lws");
  EXPECT_EQ(modifiers_of(loaded, "Rotation.H"),
            (std::vector<std::string>{".EnvExprLink", "Made_Follower", "Other", "ChannelHandler"}));
  // A modifier on a channel the module never touches is kept the same way.
  EXPECT_EQ(modifiers_of(loaded, "Position.X"), std::vector<std::string>{"Made_Noise"});
  EXPECT_EQ(loaded.envelope("Rig", 3).size(), 2u);
  EXPECT_EQ(loaded.file.write(loaded.scene), text);

  // Keys deleted and added: the count and key lines change, the blocks not.
  scene::Envelope &heading = loaded.envelope("Rig", 3);
  heading.destroy(heading.first());
  heading.create(2.0, 0.5);
  const std::string written = loaded.file.write(loaded.scene);
  EXPECT_NE(
      written.find(with_endings("{ Envelope\n  2\n  Key -3.1 1 0 0 0 0 0 0 0\n  Key 0.5 2 0 0 0 0 0 0 0\n"
                                "  Behaviors 1 1\n" +
                                    blocks + "}\n",
                                "\r\n")),
      std::string::npos)
      << written;
}

TEST(LwsChannelModifiers, OlderFilesMayPutABlockRightAfterTheKeys) {
  std::string text = modified_scene(kLink);
  // Version 3 envelopes need no Behaviors line; the key lines end at the block.
  const std::size_t behaviors = text.find("  Behaviors 1 1\n  { ChannelHandler");
  text.erase(behaviors, std::string("  Behaviors 1 1\n").size());
  LoadedLws loaded(text, "rig.lws");
  EXPECT_EQ(modifiers_of(loaded, "Rotation.H"), std::vector<std::string>{".EnvExprLink"});
  loaded.envelope("Rig", 3).create(2.0, 0.5);
  EXPECT_NE(loaded.file.write(loaded.scene).find("  Key 0.5 2 0 0 0 0 0 0 0\n  { ChannelHandler\n"),
            std::string::npos);
}

TEST(LwsChannelModifiers, ABlockLeftOpenIsRefusedNamingItsLine) {
  const std::string open_link = "  { ChannelHandler\n    \".EnvExprLink\"\n    0\n";
  {
    // LightWave indents blocks: the '}' in the envelope's column closes the
    // envelope, so the modifier lacks its own.
    const std::string text = modified_scene(open_link);
    const int block = line_of(text, "  { ChannelHandler");
    const int envelope = line_of(text, "{ Envelope", block - 10);
    EXPECT_EQ(read_error(text),
              "rig.lws:" + std::to_string(block) +
                  ": the block '{ ChannelHandler' opened here is not closed: expected a line "
                  "'}' before line " +
                  std::to_string(block + 3) + ", whose '}' is indented as the envelope of line " +
                  std::to_string(envelope) + " and closes it");
  }
  {
    std::string text = modified_scene(kFollower);
    text.erase(text.find("      }\n    }\n    1\n  }\n}"));  // the file ends inside the Range block
    EXPECT_EQ(read_error(text), "rig.lws:" + std::to_string(line_of(text, "      { Range")) +
                                    ": the block '{ Range' opened here is not closed: expected a line '}' "
                                    "before the end of file");
  }
  {
    // Without indentation the braces alone count: the envelope's '}' closes
    // the modifier and the envelope then finds the next channel.
    std::string text = modified_scene("{ ChannelHandler\n\".EnvExprLink\"\n0\n");
    const int block = line_of(text, "{ ChannelHandler");
    EXPECT_EQ(read_error(text), "rig.lws:" + std::to_string(block + 4) +
                                    ": expected '}' or another block after the block that closes on line " +
                                    std::to_string(block + 3) +
                                    " in the envelope of channel 3, found 'Channel 4'");
  }
}

TEST(LwsChannelModifiers, BlocksComeAfterTheKeysAndBehaviors) {
  // A Key line after a block is refused.
  std::string text = modified_scene(kLink + "  Key 1 2 0 0 0 0 0 0 0\n");
  EXPECT_NE(read_error(text).find(": expected '}' or another block after the block that closes on line "),
            std::string::npos)
      << read_error(text);
  // Newer files keep their Behaviors line before any block.
  text = modified_scene(kLink, "", "\n", 8);
  text.erase(text.find("  Behaviors 1 1\n  { ChannelHandler"), std::string("  Behaviors 1 1\n").size());
  EXPECT_EQ(read_error(text),
            "rig.lws:" + std::to_string(line_of(text, "  { ChannelHandler")) +
                ": expected 'Behaviors <pre> <post>' before the block '{ ChannelHandler' in "
                "the envelope of channel 3");
}

TEST(JsonChannelModifiers, AJsonSceneWrittenFromAModifiedFileKeepsTheModifiers) {
  // Position.X: a modifier on an envelope without keys (an older file's).
  std::string text = modified_scene(kLink + kNoise, kNoise);
  const std::size_t position_keys = text.find("  Key 0 0 0 0 0 0 0 0 0\n  Key 0 1 0 0 0 0 0 0 0\n");
  text.erase(position_keys, std::string("  Key 0 0 0 0 0 0 0 0 0\n  Key 0 1 0 0 0 0 0 0 0\n").size());
  LoadedLws loaded(text, "rig.lws");
  const std::string json = scene_files::write_json_scene(loaded.scene, "rig.json");
  EXPECT_NE(json.find("\"Position.X\": {\"keys\": [\n        ], \"modifiers\": [\"Made_Noise\"]}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("], \"modifiers\": [\".EnvExprLink\", \"Made_Noise\"]}"), std::string::npos) << json;

  scene::Scene again;
  scene_files::read_json_scene(json, "rig.json", again);
  const scene::Item &rig = *again.find_item("Rig");
  EXPECT_EQ(rig.channel("Rotation.H")->modifiers, (std::vector<std::string>{".EnvExprLink", "Made_Noise"}));
  EXPECT_EQ(rig.channel("Position.X")->modifiers, std::vector<std::string>{"Made_Noise"});
  EXPECT_EQ(key_values(rig.channel("Rotation.H")->envelope), (std::vector<double>{3.0, -3.1}));
  EXPECT_EQ(scene_files::write_json_scene(again, "rig.json"), json);
}

TEST(JsonChannelModifiers, ModifiersAreAListOfServerNames) {
  const auto error = [](const std::string &modifiers) {
    scene::Scene scene;
    try {
      scene_files::read_json_scene(
          "{\"items\": [{\"name\": \"Rig\", \"kind\": \"null\", \"channels\": {\"Rotation.H\": "
          "{\"keys\": [[0, 1]], \"modifiers\": " +
              modifiers + "}}}]}",
          "bad.json", scene);
    } catch (const scene_files::SceneFileError &failure) {
      return std::string(failure.what());
    }
    return std::string("read succeeded");
  };
  EXPECT_EQ(
      error("\".EnvExprLink\""),
      "bad.json: items[0].channels.Rotation.H.modifiers: expected an array of server names, found a string");
  EXPECT_EQ(
      error("[\"a\", \"\"]"),
      "bad.json: items[0].channels.Rotation.H.modifiers[1]: expected a server name, found an empty string");
}

}  // namespace
