// Large envelopes, whose key lines are read ahead on several threads in
// runs of lines: what is read and what is refused does not depend on where
// a run of lines starts or ends, and errors come in the file's order.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene_file_fixtures.h"
#include "scene_files/scene_file_error.h"
#include "support/test_platform.h"

namespace {

using namespace scene_file_fixtures;

// Heading keys of small_scene() start on this line (1-based).
constexpr int kFirstHeadingLine = 30;
// Lines (0-based) where the reader's runs of lines start: multiples of this.
constexpr int kRunLength = 16384;
constexpr int kKeys = 2 * kRunLength + 100;

double value_of(int key) { return std::sin(key * 0.01) * 3.0; }

// `kKeys` heading keys, one a frame at 30 fps; key `shaped` (if any) is a
// Bezier key with parameters.
std::string heading_keys(int shaped = -1) {
  std::string keys;
  char line[160];
  for (int key = 0; key < kKeys; ++key) {
    if (key == shaped) {
      std::snprintf(line, sizeof line, "  Key %.17g %.17g 5 0.25 -0.5 1 2 3 4\n", value_of(key), key / 30.0);
    } else {
      std::snprintf(line, sizeof line, "  Key %.17g %.17g 0 0 0 0 0 0 0\n", value_of(key), key / 30.0);
    }
    keys += line;
  }
  return keys;
}

// The heading key on (1-based) line `line`.
int key_on_line(int line) { return line - kFirstHeadingLine; }

scene_files::SceneFileError read_error(const std::string &text) { return read_lws_error(text, "big.lws"); }

// small_scene() with line (1-based) `line` replaced.
std::string with_line(std::string text, int line, const std::string &replacement) {
  std::size_t start = 0;
  for (int l = 1; l < line; ++l) start = text.find('\n', start) + 1;
  const std::size_t end = text.find('\n', start);
  return text.replace(start, end - start, replacement);
}

TEST(LwsReadAhead, ReadsEveryKeyOfAnEnvelopeThatSpansSeveralRunsOfLines) {
  for (int boundary_key : {key_on_line(kRunLength + 1), key_on_line(kRunLength)}) {
    const LoadedLws loaded(small_scene(heading_keys(boundary_key), kKeys));
    const scene::Envelope &heading = loaded.envelope("Spinner", 3);
    ASSERT_EQ(heading.size(), static_cast<std::size_t>(kKeys));
    int key = 0;
    for (const scene::Key *at = heading.first(); at != nullptr; at = at->next, ++key) {
      ASSERT_EQ(at->value, value_of(key)) << "key " << key;
      ASSERT_EQ(at->time, key / 30.0) << "key " << key;
      const scene::KeyShape shape = heading.shape(at);
      ASSERT_EQ(shape.span_type, key == boundary_key ? 5 : 0) << "key " << key;
      if (key == boundary_key) {
        EXPECT_EQ(shape.params[5], 4.0);
      }
    }
    EXPECT_EQ(loaded.file.write(loaded.scene), small_scene(heading_keys(boundary_key), kKeys));
  }
}

TEST(LwsReadAhead, AKeyNotAfterTheOneBeforeIsRefusedWhereverItsRunStarts) {
  // The first line of a run, the last line of one, and a line inside.
  for (int line : {kRunLength + 1, kRunLength, 2 * kRunLength + 1, kRunLength + 500}) {
    const int key = key_on_line(line);
    const std::string text = with_line(small_scene(heading_keys(), kKeys), line,
                                       "  Key 0 " + std::to_string((key - 2) / 30.0) + " 0 0 0 0 0 0 0");
    const scene_files::SceneFileError error = read_error(text);
    EXPECT_EQ(error.line(), line) << error.what();
    EXPECT_NE(std::string(error.what()).find("is not after the time of the key before it"), std::string::npos)
        << error.what();
  }
}

TEST(LwsReadAhead, TheFirstErrorOfTheFileIsToldWhateverTheThreads) {
  // A key that is no key, then later a key that goes back in time: the
  // first is told, on one thread as on several.
  std::string text = small_scene(heading_keys(), kKeys);
  text = with_line(text, kRunLength + 40, "  Key 0 0 0 0 0 0 0 0 0");
  text = with_line(text, kRunLength + 20, "  Key 0.5 zero 0 0 0 0 0 0 0");
  for (const char *threads : {"1", "2", "4"}) {
    testing_support::platform::set_environment_variable("TAVORIX_THREADS", threads);
    const scene_files::SceneFileError error = read_error(text);
    EXPECT_EQ(error.line(), kRunLength + 20) << threads << " threads: " << error.what();
    EXPECT_NE(std::string(error.what()).find("expected a number for the key's time, found 'zero'"),
              std::string::npos)
        << error.what();
  }
  testing_support::platform::set_environment_variable("TAVORIX_THREADS", "");
}

// Two items whose keys fall on one frame, then an item taking the first one's
// id: the envelopes are filled on several threads, and the error told is the
// first in the file.
TEST(LwsReadAhead, KeysOnOneFrameAreToldForTheFirstItemThatHasThem) {
  auto item = [](const std::string &id, const std::string &name, bool same_frame) {
    std::string text =
        "AddNullObject " + id + " " + name + "\nObjectMotion\nNumChannels 1\nChannel 0\n{ Envelope\n  2\n";
    text += "  Key 0 0 0 0 0 0 0 0 0\n";
    text += same_frame ? "  Key 1 0.00001 0 0 0 0 0 0 0\n" : "  Key 1 1 0 0 0 0 0 0 0\n";
    return text + "  Behaviors 1 1\n}\n";
  };
  const std::string header = "LWSC\n5\n\nFramesPerSecond 30\n\n";
  const std::string text = header + item("10000000", "A", false) + item("10000001", "B", true) +
                           item("10000002", "C", true) + item("10000000", "D", false);
  for (const char *threads : {"1", "3"}) {
    testing_support::platform::set_environment_variable("TAVORIX_THREADS", threads);
    const scene_files::SceneFileError error = read_error(text);
    EXPECT_EQ(error.line(), 6 + 10 + 7) << threads << " threads: " << error.what();  // B's second key
    EXPECT_NE(std::string(error.what()).find("fall on the same frame"), std::string::npos) << error.what();
  }
  testing_support::platform::set_environment_variable("TAVORIX_THREADS", "");
  // Without the frames in the way, the taken id is told.
  const std::string ids = header + item("10000000", "A", false) + item("10000000", "D", false);
  EXPECT_NE(std::string(read_error(ids).what()).find("is already used by an earlier item"),
            std::string::npos);
}

}  // namespace
