// Items of every rotation order through tavorix: the scan keeps their
// orientations (matrices multiplied out here) and makes the first and last
// letters' channels continuous; a .lws item whose order cannot be read is
// kept byte for byte.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "program_runner.h"
#include "scene/scene.h"
#include "scene_files/json_scene_file.h"
#include "support/order_matrix.h"

namespace {

using namespace cli_testing;

constexpr double kPi = 3.141592653589793;
constexpr double kQuarterTurn = kPi / 2;
constexpr int kKeys = 40;
constexpr double kFps = 30.0;

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

int channel_of(char letter) { return letter == 'H' ? 0 : letter == 'P' ? 1 : 2; }

// Smooth channel values at key k, by channel place: first, middle (within
// ±40°, away from the gimbal limit), last.
std::array<double, 3> smooth(int k) {
  return {0.8 * std::sin(0.15 * k) + 0.02 * k, 0.6 * std::sin(0.1 * k + 0.3), 0.5 * std::cos(0.12 * k)};
}

// One item per order, keyed every 4 frames along smooth motion, with keys
// planted in the other triple of their order and moved by whole turns.
std::string every_order_scene(const std::string &order_case_of_hpb = "HPB") {
  std::string items;
  for (const std::string &letters : testing_support::kOrderLetters) {
    const std::string order = std::string(letters) == "HPB" ? order_case_of_hpb : letters;
    std::array<std::string, 3> keys;
    for (int k = 0; k < kKeys; ++k) {
      std::array<double, 3> place = smooth(k);  // first, middle, last
      if (k % 5 == 2) place = {place[0] + kPi, kPi - place[1], place[2] + kPi};
      if (k % 7 == 3) place[0] += 2 * kPi;
      if (k % 11 == 5) place[2] -= 2 * kPi;
      std::array<double, 3> channels{};
      for (int i = 0; i < 3; ++i) channels[channel_of(letters[i])] = place[i];
      for (int c = 0; c < 3; ++c)
        keys[c] +=
            std::string(k == 0 ? "" : ", ") + "[" + number(4 * k / kFps) + ", " + number(channels[c]) + "]";
    }
    items += std::string(items.empty() ? "" : ",\n") + "{\"name\": \"" + letters + "\", \"kind\": \"null\"" +
             (order.empty() ? "" : ", \"rotation_order\": \"" + order + "\"") +
             ", \"channels\": {\"Rotation.H\": [" + keys[0] + "], \"Rotation.P\": [" + keys[1] +
             "], \"Rotation.B\": [" + keys[2] + "]}}";
  }
  return "{\"fps\": 30, \"items\": [\n" + items + "\n]}\n";
}

std::array<double, 3> values_at(const scene::Item &item, int k) {
  std::array<double, 3> values{};
  for (int c = 0; c < 3; ++c)
    values[c] = item.envelope(scene::kChannelNames[scene::kHeading + c])->key_at(k)->value;
  return values;
}

TEST(RotationOrders, TheScanKeepsEveryOrdersOrientationAndItsFirstAndLastChannelsContinuous) {
  TemporaryFolder folder;
  write_file(folder.file("orders.json"), every_order_scene());
  const ProgramResult scan = tavorix({"scan", "orders.json", "-o", "fixed.json"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  // The table shows the orders, since not every item is H-P-B.
  EXPECT_TRUE(contains(scan.out, "  item  order  key triples")) << scan.out;
  EXPECT_TRUE(contains(scan.out, "  PHB   P-H-B ")) << scan.out;

  scene::Scene before, after;
  scene_files::read_json_scene(read_file(folder.file("orders.json")), "orders.json", before);
  scene_files::read_json_scene(read_file(folder.file("fixed.json")), "fixed.json", after);
  for (const std::string &letters : testing_support::kOrderLetters) {
    const scene::Item &old_item = *before.find_item(letters);
    const scene::Item &new_item = *after.find_item(letters);
    EXPECT_EQ(new_item.rotation_order, old_item.rotation_order) << letters;
    std::array<double, 3> previous{};
    for (int k = 0; k < kKeys; ++k) {
      const std::array<double, 3> was = values_at(old_item, k), now = values_at(new_item, k);
      EXPECT_LT(
          testing_support::matrix_distance(testing_support::order_matrix(letters, was[0], was[1], was[2]),
                                           testing_support::order_matrix(letters, now[0], now[1], now[2])),
          1e-9)
          << letters << " key " << k;
      if (k > 0) {
        for (const int c : {channel_of(letters[0]), channel_of(letters[2])}) {
          EXPECT_LE(std::fabs(now[c] - previous[c]), kQuarterTurn)
              << letters << " channel " << c << " key " << k;
        }
      }
      previous = now;
    }
  }
}

TEST(RotationOrders, CheckNotesEveryOrderButHpbAndAnHpbSceneReportsAsBefore) {
  TemporaryFolder folder;
  write_file(folder.file("orders.json"), every_order_scene());
  const ProgramResult check = tavorix({"check", "orders.json"}, folder.path());
  EXPECT_EQ(check.exit_code, 1) << check.err;
  EXPECT_TRUE(contains(check.out, "rotation order P-H-B: heading is the middle angle")) << check.out;
  EXPECT_TRUE(contains(check.out, "rotation order H-B-P: bank is the middle angle")) << check.out;
  EXPECT_FALSE(contains(check.out, "rotation order H-P-B")) << check.out;

  // Every item H-P-B, said or not: the reports are those of a scene without orders.
  const auto hpb_only = [](const std::string &order_field) {
    std::string items;
    for (int k = 0; k < kKeys; ++k) {
      std::array<double, 3> v = smooth(k);
      if (k % 5 == 2) v = {v[0] + kPi, kPi - v[1], v[2] + kPi};
      items += std::string(k == 0 ? "" : ", ") + "[" + number(4 * k / kFps) + ", " + number(v[0]) + "]";
    }
    return "{\"items\": [{\"name\": \"Rig\", \"kind\": \"null\"" + order_field +
           ", \"channels\": {\"Rotation.H\": [" + items + "], \"Rotation.P\": [" + items +
           "], \"Rotation.B\": [" + items + "]}}]}";
  };
  write_file(folder.file("plain.json"), hpb_only(""));
  write_file(folder.file("said.json"), hpb_only(", \"rotation_order\": \"hpb\""));
  for (const char *command : {"check", "scan"}) {
    const ProgramResult plain = tavorix({command, "plain.json"}, folder.path());
    const ProgramResult said = tavorix({command, "said.json"}, folder.path());
    EXPECT_EQ(said.exit_code, plain.exit_code) << command;
    std::string expected = plain.out;
    for (std::size_t at = expected.find("plain.json"); at != std::string::npos;
         at = expected.find("plain.json"))
      expected.replace(at, 10, "said.json");
    EXPECT_EQ(said.out, expected) << command;
  }
}

// M02 (CRLF) with `line` put in after line `after` (1-based).
std::string m02_with(const std::string &line, std::size_t after) {
  const std::string text = read_file(real_scene_path("M02.seq_takeoff_02.lws"));
  std::size_t at = 0;
  for (std::size_t n = 0; n < after; ++n) at = text.find('\n', at) + 1;
  return text.substr(0, at) + line + "\r\n" + text.substr(at);
}

constexpr std::size_t kCamDeclaration = 219;     // "AddNullObject Cam": its key at frame 140 is a flip
constexpr std::size_t kCameraDeclaration = 710;  // "CameraName Camera"

TEST(RotationOrders, AnLwsItemWhoseOrderCannotBeReadIsKeptByteForByteAndTheRunExitsTwo) {
  TemporaryFolder folder;
  const std::string held_cam = m02_with("RotationOrder 4", kCamDeclaration);
  write_file(folder.file("cam.lws"), held_cam);

  const ProgramResult scan = tavorix({"scan", "cam.lws", "-o", "out.lws"}, folder.path());
  EXPECT_EQ(scan.exit_code, 2) << scan.err;
  // Cam's flip is the only change a scan makes to M02: held, nothing changes.
  EXPECT_EQ(read_file(folder.file("out.lws")), held_cam);
  EXPECT_TRUE(
      contains(scan.out, "cam.lws:220: 'Cam' is kept as it was: 'RotationOrder 4' names a rotation order"))
      << scan.out;
  EXPECT_TRUE(contains(scan.out, "1 item kept as it was: its rotation order could not be read")) << scan.out;
  EXPECT_TRUE(contains(scan.out, "0 key triples rewritten")) << scan.out;

  const ProgramResult check = tavorix({"check", "cam.lws"}, folder.path());
  EXPECT_EQ(check.exit_code, 2) << check.err;
  EXPECT_TRUE(contains(check.out, "cam.lws:220: 'Cam' is kept as it was")) << check.out;

  // JSON would give Cam H-P-B: refused before any work, nothing written.
  const ProgramResult json = tavorix({"scan", "cam.lws", "-o", "out.json"}, folder.path());
  EXPECT_EQ(json.exit_code, 2);
  EXPECT_TRUE(contains(json.err, "cam.lws:220: 'Cam' has a rotation order tavorix cannot read")) << json.err;
  EXPECT_FALSE(file_exists(folder.file("out.json")));

  // A script that turns the held item: nothing is written.
  write_file(folder.file("turn.txt"), "SelectByName Cam\nGoToFrame 84\nAddRotation 10 0 0\n");
  const ProgramResult run =
      tavorix({"run", "cam.lws", "--script", "turn.txt", "-o", "turned.lws"}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(contains(run.err, "the script changed its keys, so nothing was written")) << run.err;
  EXPECT_FALSE(file_exists(folder.file("turned.lws")));

  // Held elsewhere, Cam's flip is fixed and the held camera's lines stay.
  const std::string held_camera = m02_with("PivotRotationOrder 1", kCameraDeclaration);
  write_file(folder.file("camera.lws"), held_camera);
  const ProgramResult other = tavorix({"scan", "camera.lws", "-o", "other.lws"}, folder.path());
  EXPECT_EQ(other.exit_code, 2) << other.err;
  std::string expected = held_camera;
  const std::string flip = "  Key -2.4466765 4.6666665 0 0 0 0 -4.6451941 0 0";
  ASSERT_NE(expected.find(flip), std::string::npos);
  expected.replace(expected.find(flip), flip.size(),
                   "  Key 3.836508807179586 4.6666665 0 0 0 0 -4.6451941 0 0");
  EXPECT_EQ(read_file(folder.file("other.lws")), expected);
}

}  // namespace
