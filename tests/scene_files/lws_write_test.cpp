// Writing changed, new and deleted keys back into .lws text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "scene/rounding.h"
#include "scene_file_fixtures.h"
#include "scene_files/scene_file_error.h"
#include "support/test_platform.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace {

using namespace scene_file_fixtures;
using scene::kHeading;

constexpr double kTwoPi = 6.283185307179586;

// Lines of `after` that differ from `before`, as (line index, before, after);
// both texts must have the same number of lines.
std::vector<std::tuple<std::size_t, std::string, std::string>> changed_lines(const std::string &before,
                                                                             const std::string &after) {
  const auto old_lines = split_lines_keeping_endings(before);
  const auto new_lines = split_lines_keeping_endings(after);
  EXPECT_EQ(old_lines.size(), new_lines.size());
  std::vector<std::tuple<std::size_t, std::string, std::string>> changes;
  for (std::size_t i = 0; i < std::min(old_lines.size(), new_lines.size()); ++i) {
    if (old_lines[i] != new_lines[i]) changes.emplace_back(i, old_lines[i], new_lines[i]);
  }
  return changes;
}

std::vector<std::string> words(const std::string &line) {
  std::vector<std::string> out;
  for (const auto &token : text::split_tokens(line)) out.emplace_back(token.text);
  return out;
}

class M02Scene : public testing::Test {
 protected:
  M02Scene() : text(read_file(scene_path("M02.seq_takeoff_02.lws"))), loaded(text) {}
  scene::Envelope &cam_heading() { return loaded.envelope("Cam", kHeading); }

  std::string text;
  LoadedLws loaded;
};

TEST_F(M02Scene, AChangedValueRewritesOnlyThatValueWord) {
  scene::Key *last = cam_heading().last();
  const double turned = last->value + kTwoPi;  // -2.4466765 + 2 pi: the same heading
  last->value = turned;
  const std::string written = loaded.file.write(loaded.scene);

  const auto changes = changed_lines(text, written);
  ASSERT_EQ(changes.size(), 1u);
  const auto &[index, before, after] = changes.front();
  EXPECT_EQ(before, "  Key -2.4466765 4.6666665 0 0 0 0 -4.6451941 0 0\r\n");
  ASSERT_EQ(after.substr(after.size() - 2), "\r\n");
  const auto old_words = words(before.substr(0, before.size() - 2));
  const auto new_words = words(after.substr(0, after.size() - 2));
  ASSERT_EQ(new_words.size(), old_words.size());
  for (std::size_t w = 0; w < old_words.size(); ++w) {
    if (w != 1) {
      EXPECT_EQ(new_words[w], old_words[w]) << "word " << w;
    }
  }
  double read_back = 0.0;
  ASSERT_TRUE(text::parse_double_token(new_words[1], read_back));
  EXPECT_EQ(read_back, turned);
  EXPECT_EQ(after.find("  Key "), 0u);

  LoadedLws again(written);
  EXPECT_EQ(again.envelope("Cam", kHeading).last()->value, turned);
}

TEST_F(M02Scene, AValueSetToWhatItWasIsNotRewritten) {
  for (scene::Key *key = cam_heading().first(); key != nullptr; key = key->next)
    key->value = key->value + 0.0;
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
}

TEST_F(M02Scene, ANewKeyGetsALineInTimeOrderShapedLikeTheSpanItSplits) {
  const double time = text::frame_time(60, 30);  // between the keys at 0.93 s and 2.8 s
  scene::Key *added = cam_heading().create(time, 2.25);
  ASSERT_EQ(cam_heading().origin(added), -1);
  const std::string written = loaded.file.write(loaded.scene);

  const auto old_lines = split_lines_keeping_endings(text);
  const auto new_lines = split_lines_keeping_endings(written);
  ASSERT_EQ(new_lines.size(), old_lines.size() + 1);
  const auto at =
      std::find(old_lines.begin(), old_lines.end(), "  Key 2.199209 2.8 3 0 0 0 -1.2495759 -2.3997223 0\r\n");
  ASSERT_NE(at, old_lines.end());
  const std::size_t insert_index = static_cast<std::size_t>(at - old_lines.begin());
  EXPECT_EQ(new_lines[insert_index], "  Key 2.25 2 3 0 0 0 -1.2495759 -2.3997223 0\r\n");
  EXPECT_EQ(new_lines[insert_index + 1], old_lines[insert_index]);
  // The count line of that envelope now says 5.
  const std::size_t count_index = insert_index - 3;
  EXPECT_EQ(old_lines[count_index], "  4\r\n");
  EXPECT_EQ(new_lines[count_index], "  5\r\n");
  for (std::size_t i = 0; i < insert_index; ++i) {
    if (i != count_index) {
      EXPECT_EQ(new_lines[i], old_lines[i]) << i;
    }
  }
  for (std::size_t i = insert_index; i < old_lines.size(); ++i)
    EXPECT_EQ(new_lines[i + 1], old_lines[i]) << i;

  LoadedLws again(written);
  EXPECT_EQ(key_values(again.envelope("Cam", kHeading)),
            (std::vector<double>{3.5709419, 2.3527682, 2.25, 2.199209, -2.4466765}));
  EXPECT_NE(again.envelope("Cam", kHeading).find(time), nullptr);
}

TEST_F(M02Scene, AValueMovedOnlyByRoundingKeepsItsText) {
  scene::Key *first = cam_heading().first();
  first->value = std::nextafter(std::nextafter(first->value, 10.0), 10.0);  // what a sine round trip leaves
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
  first->value = 3.5709419 + 1e-10;  // a real change, however small
  EXPECT_NE(loaded.file.write(loaded.scene).find("  Key 3.5709419001 0 3 "), std::string::npos);
}

TEST_F(M02Scene, NewKeyTimesOnAFrameAreWrittenAsLightWaveWritesThem) {
  cam_heading().create(text::frame_time(70, 30), 2.25);  // 2.3333333333333335 s
  cam_heading().create(1.234567891, 2.2);                // between frames: exact
  const std::string written = loaded.file.write(loaded.scene);
  EXPECT_NE(written.find("  Key 2.25 2.3333333 3 "), std::string::npos);
  EXPECT_NE(written.find("  Key 2.2 1.234567891 3 "), std::string::npos);
  LoadedLws again(written);
  EXPECT_NE(again.envelope("Cam", kHeading).find(text::frame_time(70, 30)), nullptr);
  EXPECT_NE(again.envelope("Cam", kHeading).find(1.234567891), nullptr);
}

TEST_F(M02Scene, ANewLastKeyTakesTheShapeOfTheKeyBeforeIt) {
  cam_heading().create(text::frame_time(150, 30), -2.5);
  const std::string written = loaded.file.write(loaded.scene);
  EXPECT_NE(written.find("  Key -2.4466765 4.6666665 0 0 0 0 -4.6451941 0 0\r\n"
                         "  Key -2.5 5 0 0 0 0 -4.6451941 0 0\r\n"
                         "  Behaviors 5 5\r\n"),
            std::string::npos);
}

TEST_F(M02Scene, ADeletedKeyLosesItsLineAndTheCountFollows) {
  ASSERT_TRUE(cam_heading().destroy(cam_heading().first()->next));
  const std::string written = loaded.file.write(loaded.scene);
  const auto old_lines = split_lines_keeping_endings(text);
  const auto new_lines = split_lines_keeping_endings(written);
  ASSERT_EQ(new_lines.size() + 1, old_lines.size());
  EXPECT_EQ(written.find("  Key 2.3527682 0.93333334"), std::string::npos);
  LoadedLws again(written);
  EXPECT_EQ(key_values(again.envelope("Cam", kHeading)),
            (std::vector<double>{3.5709419, 2.199209, -2.4466765}));
}

TEST_F(M02Scene, AKeyMadeAfterADeletionIsNewNotTheDeletedOne) {
  ASSERT_TRUE(cam_heading().destroy(cam_heading().first()->next));
  scene::Key *added = cam_heading().create(text::frame_time(100, 30), 1.5);
  EXPECT_EQ(cam_heading().origin(added), -1);
  LoadedLws again(loaded.file.write(loaded.scene));
  EXPECT_EQ(key_values(again.envelope("Cam", kHeading)),
            (std::vector<double>{3.5709419, 2.199209, 1.5, -2.4466765}));
}

TEST_F(M02Scene, AKeyMadeAndDeletedAgainLeavesTheFileAsItWas) {
  scene::Key *temporary = cam_heading().create(text::frame_time(87, 30), 0.0);
  cam_heading().destroy(temporary);
  EXPECT_EQ(loaded.file.write(loaded.scene), text);
}

TEST_F(M02Scene, KeysOnAChannelTheFileLacksAreReportedAndNotWritten) {
  loaded.envelope("Camera", 6).create(0.0, 2.0);  // the camera's motion has six channels
  std::vector<std::string> warnings;
  EXPECT_EQ(loaded.file.write(loaded.scene, &warnings), text);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("'Camera' has keys on Scale.X"), std::string::npos) << warnings[0];
}

TEST_F(M02Scene, AValueThatIsNotFiniteIsRefused) {
  cam_heading().first()->value = std::nan("");
  EXPECT_THROW(loaded.file.write(loaded.scene), scene_files::SceneFileError);
}

// Envelopes are written on several threads; what is refused is told as a
// walk through the file meets it.
TEST_F(M02Scene, OfSeveralKeysThatAreNotFiniteTheFirstInTheFileIsTold) {
  const auto &items = loaded.file.items();
  const auto first =
      *std::find_if(items.begin(), items.end(), [](const auto &i) { return bool(i.channels[0]); });
  const auto last =
      *std::find_if(items.rbegin(), items.rend(), [](const auto &i) { return bool(i.channels[8]); });
  ASSERT_NE(first.name, last.name);
  loaded.envelope(last.name, 8).first()->value = std::nan("");
  loaded.envelope(first.name, 0).last()->time = INFINITY;
  for (const char *threads : {"1", "2", "4"}) {
    testing_support::platform::set_environment_variable("TAVORIX_THREADS", threads);
    try {
      loaded.file.write(loaded.scene);
      ADD_FAILURE() << "written";
    } catch (const scene_files::SceneFileError &error) {
      EXPECT_EQ(error.line(), first.channels[0]->channel_line + 1) << threads << " threads: " << error.what();
    }
  }
  testing_support::platform::set_environment_variable("TAVORIX_THREADS", "");
}

// One envelope rewritten line by line (values changed), another as a whole
// (a key added, so its lines shift): both land where they belong.
TEST_F(M02Scene, ValuesChangedInOneEnvelopeAndAKeyAddedInAnotherAreBothWritten) {
  const auto &items = loaded.file.items();
  const std::string added_to =
      std::find_if(items.rbegin(), items.rend(), [](const auto &i) { return bool(i.channels[8]); })->name;
  scene::Envelope &changed = cam_heading();
  for (scene::Key *key = changed.first(); key != nullptr; key = key->next) key->value += kTwoPi;
  scene::Envelope &grown = loaded.envelope(added_to, 8);
  const double new_time = grown.last()->time + 1.0;
  grown.create(new_time, 2.5);
  const LoadedLws back(loaded.file.write(loaded.scene));
  for (const auto &[name, channel] : {std::pair<std::string, int>{"Cam", kHeading}, {added_to, 8}}) {
    const scene::Envelope &want = loaded.envelope(name, channel);
    const scene::Envelope &got = back.envelope(name, channel);
    ASSERT_EQ(got.size(), want.size()) << name;
    for (const scene::Key *w = want.first(), *g = got.first(); w != nullptr; w = w->next, g = g->next) {
      EXPECT_EQ(g->time, w->time) << name;
      EXPECT_TRUE(scene::only_rounded(g->value, w->value)) << name << ": " << g->value << " vs " << w->value;
    }
  }
}

TEST(LwsSceneFile, AKeyAddedToAnEnvelopeListedWithoutKeysIsIndentedLikeItsCount) {
  const std::string text = small_scene("", 1);  // "1" and no key line, as some exporters write
  LoadedLws loaded(text);
  scene::Envelope &heading = loaded.envelope("Spinner", kHeading);
  ASSERT_EQ(heading.size(), 0u);
  heading.create(0.5, 1.25);
  const std::string written = loaded.file.write(loaded.scene);
  EXPECT_NE(written.find("Channel 3\n{ Envelope\n  1\n  Key 1.25 0.5 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"),
            std::string::npos)
      << written;
  EXPECT_EQ(LoadedLws(written).envelope("Spinner", kHeading).size(), 1u);
}

TEST(LwsSceneFile, KeepsLfCrLfAndLoneCrEndingsLineByLine) {
  for (const char *ending : {"\n", "\r\n", "\r"}) {
    const std::string text = small_scene("  Key 0.5 0 3 0 0 0 0 0 0" + std::string(ending), 1, ending);
    LoadedLws loaded(text);
    EXPECT_EQ(loaded.file.write(loaded.scene), text);
    loaded.envelope("Spinner", kHeading).create(1.0, -0.5);
    const std::string written = loaded.file.write(loaded.scene);
    EXPECT_NE(written.find("  Key 0.5 0 3 0 0 0 0 0 0" + std::string(ending) + "  Key -0.5 1 3 0 0 0 0 0 0" +
                           ending),
              std::string::npos);
    EXPECT_EQ(written.find(ending[0] == '\r' && ending[1] == '\0' ? "\n" : "\r\r"), std::string::npos);
  }
}

TEST(LwsSceneFile, AcceptsThreeAndTwoDigitExponents) {
  LoadedLws loaded(small_scene("  Key 2.3840676e-007 0 3 0 0 0 0 0 0\n  Key 1.5e-07 1 3 0 0 0 0 0 0\n", 2));
  EXPECT_EQ(key_values(loaded.envelope("Spinner", kHeading)), (std::vector<double>{2.3840676e-7, 1.5e-7}));
}

TEST(NumberText, ShortestTextReadsBackTheSameDouble) {
  const double samples[] = {0.0,    -0.0,  0.5,   1.0 / 3.0, -2.4466765 + kTwoPi, 3.5709419,  1e-300,
                            5e-324, 1e300, -1e-7, kTwoPi,    0.1 + 0.2,           123456789.0};
  for (double value : samples) {
    const std::string text = text::shortest_double_text(value);
    double back = 1.0;
    ASSERT_TRUE(text::parse_double_token(text, back)) << text;
    EXPECT_EQ(back, value) << text;
    EXPECT_EQ(std::signbit(back), std::signbit(value)) << text;
  }
  EXPECT_EQ(text::shortest_double_text(0.5), "0.5");
  EXPECT_EQ(text::shortest_double_text(3.5709419), "3.5709419");
  EXPECT_EQ(text::shortest_double_text(1e-300), "1e-300");
}

TEST(NumberText, ParsesOnlyWholeFiniteNumbers) {
  double value = 7.0;
  EXPECT_TRUE(text::parse_double_token("2.3840676e-007", value));
  EXPECT_EQ(value, 2.3840676e-7);
  EXPECT_TRUE(text::parse_double_token("+1.5", value));
  EXPECT_EQ(value, 1.5);
  value = 7.0;
  for (const char *bad : {"", "1.0x", "nan", "inf", "-", "1 ", " 1", "++1", "1e999"}) {
    EXPECT_FALSE(text::parse_double_token(bad, value)) << bad;
  }
  EXPECT_EQ(value, 7.0);
  std::uint32_t id = 0;
  EXPECT_TRUE(text::parse_hex_id_token("1000000e", id));
  EXPECT_EQ(id, 0x1000000eu);
  EXPECT_FALSE(text::parse_hex_id_token("100000000", id));
  EXPECT_FALSE(text::parse_hex_id_token("0x10", id));
}

}  // namespace
