// tavorix scan on the real LightWave scenes: only rotation key values change,
// and each rewritten key triple describes the orientation it did before.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "program_runner.h"
#include "scene_files/lws_scene_file.h"
#include "support/orientation.h"
#include "text/text_lines.h"

namespace {

using namespace cli_testing;

const std::vector<std::string> kRealScenes = {"M02.seq_takeoff_02.lws", "M01.seq_takeoff_01.lws",
                                              "D01.seq_03_ride.lws", "seq_stonehenge_03.lws",
                                              "QuickDraw_v.2.2.lws"};

struct ReadScene {
  explicit ReadScene(const std::string &text)
      : file(scene_files::LwsSceneFile::read(text, "scene.lws", scene)) {}
  scene::Scene scene;
  scene_files::LwsSceneFile file;
};

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  for (const text::TextLine &line : text::split_lines(text)) {
    lines.push_back(text.substr(line.offset, line.length + line.ending_length));
  }
  return lines;
}

std::vector<std::string> words(const std::string &line) {
  std::vector<std::string> out;
  for (const auto &token : text::split_tokens(line)) out.emplace_back(token.text);
  return out;
}

// The item and time of a key line of a rotation channel.
struct RotationKeyLine {
  std::string item;
  double time = 0.0;
  int channel = 0;
};

// Line index → item and time, for every key line of a rotation channel of
// `scene`, the scene `file` was read into.
std::map<int, RotationKeyLine> rotation_key_lines(const scene_files::LwsSceneFile &file,
                                                  const scene::Scene &scene) {
  std::map<int, RotationKeyLine> lines;
  for (const auto &item : file.items()) {
    for (int channel : {scene::kHeading, scene::kPitch, scene::kBank}) {
      if (!item.channels[channel]) continue;
      const scene::Envelope &envelope = *scene.find_item(item.id)->envelope(scene::kChannelNames[channel]);
      for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
        lines[item.channels[channel]->key_line(envelope.origin(key))] = {item.name, key->time, channel};
      }
    }
  }
  return lines;
}

KeyFrame::AngleTriple triple_at(const scene::Item &item, double time) {
  const scene::Key *h = item.envelope("Rotation.H")->find(time);
  const scene::Key *p = item.envelope("Rotation.P")->find(time);
  const scene::Key *b = item.envelope("Rotation.B")->find(time);
  if (h == nullptr || p == nullptr || b == nullptr)
    throw std::runtime_error(item.name + ": no key triple there");
  return KeyFrame::AngleTriple{h->value, p->value, b->value};
}

class ScanOfRealScene : public testing::TestWithParam<std::string> {};

// Only values change, and a pitch key's stored slopes where its triple
// became the other triple (the slopes are then negated).
TEST_P(ScanOfRealScene, ChangesOnlyRotationValuesAndKeepsEveryOrientation) {
  TemporaryFolder folder;
  const std::string original = read_file(real_scene_path(GetParam()));
  write_file(folder.file("scene.lws"), original);
  const ProgramResult result = tavorix({"scan", "scene.lws", "-o", "fixed.lws"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(read_file(folder.file("scene.lws")), original);
  const std::string fixed = read_file(folder.file("fixed.lws"));
  const ProgramResult check = tavorix({"check", "fixed.lws"}, folder.path());
  EXPECT_EQ(check.exit_code, 0) << check.out;

  const ReadScene before(original);
  const ReadScene after(fixed);  // our reader, which follows the format's rules, accepts it
  const auto rotation_lines = rotation_key_lines(before.file, before.scene);
  const auto old_lines = lines_of(original);
  const auto new_lines = lines_of(fixed);
  ASSERT_EQ(new_lines.size(), old_lines.size());

  std::set<std::pair<std::string, double>> rewritten;  // (item, time) of changed keys
  for (std::size_t i = 0; i < old_lines.size(); ++i) {
    if (old_lines[i] == new_lines[i]) continue;
    const auto where = rotation_lines.find(static_cast<int>(i));
    ASSERT_NE(where, rotation_lines.end()) << "line " << i + 1 << " is no rotation key:\n"
                                           << old_lines[i] << new_lines[i];
    const auto old_words = words(old_lines[i]), new_words = words(new_lines[i]);
    ASSERT_EQ(old_words.size(), new_words.size());
    for (std::size_t w = 0; w < old_words.size(); ++w) {
      if (w == 1 || new_words[w] == old_words[w]) continue;
      EXPECT_TRUE(where->second.channel == scene::kPitch && w >= 4 &&
                  std::stod(new_words[w]) == -std::stod(old_words[w]))
          << "line " << i + 1 << ": " << old_words[w] << " became " << new_words[w];
    }
    const std::string ending = old_lines[i].substr(old_lines[i].find_last_not_of("\r\n") + 1);
    EXPECT_EQ(new_lines[i].substr(new_lines[i].size() - ending.size()), ending) << "line " << i + 1;
    rewritten.emplace(where->second.item, where->second.time);
  }

  for (const auto &[name, time] : rewritten) {
    const KeyFrame::AngleTriple old_triple = triple_at(*before.scene.find_item(name), time);
    const KeyFrame::AngleTriple new_triple = triple_at(*after.scene.find_item(name), time);
    EXPECT_LE(testing_support::frame_distance(old_triple, new_triple),
              testing_support::orientation_tolerance(old_triple))
        << name << " at " << time << ": (" << old_triple.heading << ", " << old_triple.pitch << ", "
        << old_triple.bank << ") became (" << new_triple.heading << ", " << new_triple.pitch << ", "
        << new_triple.bank << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(Cli, ScanOfRealScene, testing::ValuesIn(kRealScenes),
                         [](const testing::TestParamInfo<std::string> &param_info) {
                           std::string name = param_info.param.substr(0, param_info.param.find(".lws"));
                           for (char &c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(ScanOfM02, TurnsTheCamNullsLastHeadingAWholeTurnAround) {
  TemporaryFolder folder;
  write_file(folder.file("m02.lws"), read_file(real_scene_path("M02.seq_takeoff_02.lws")));
  const ProgramResult result =
      tavorix({"scan", "m02.lws", "--select", "Cam", "-o", "fixed.lws"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const ReadScene after(read_file(folder.file("fixed.lws")));
  EXPECT_NEAR(after.scene.find_item("Cam")->envelope("Rotation.H")->last()->value,
              -2.4466765 + 6.283185307179586, 1e-12);
  EXPECT_TRUE(contains(result.out, "-266.2° → 93.8°")) << result.out;
}

}  // namespace
