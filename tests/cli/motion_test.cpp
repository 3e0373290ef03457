// What the program says of motion: spins measured on the evaluated curves,
// tangents that follow a key rewritten into the other triple, keys added
// where channels are keyed apart, plots of the curves and angular speed.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "motion/missing_keys.h"
#include "program_runner.h"
#include "scene/envelope_evaluation.h"
#include "scene/scene.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/lws_scene_file.h"
#include "support/build_paths.h"

namespace {

using namespace cli_testing;

constexpr double kPi = 3.141592653589793;
double degrees(double d) { return d * kPi / 180.0; }

std::string made_scene_path(const std::string &name) {
  return std::string(testing_support::build_paths::source_dir()) + "/tests/data/made/" + name;
}

TEST(MotionCheck, FindsTheCameraRigsSpinInM02AndNoneAfterAScan) {
  TemporaryFolder folder;
  write_file(folder.file("m02.lws"), read_file(real_scene_path("M02.seq_takeoff_02.lws")));
  const ProgramResult check = tavorix({"check", "m02.lws"}, folder.path());
  EXPECT_EQ(check.exit_code, 1) << check.err;
  EXPECT_TRUE(
      contains(check.out,
               "spin from frame 84 to 140: turns 266.2\u00b0 on its way to a pose 93.8\u00b0 away, as the "
               "scene is"))
      << check.out;
  EXPECT_FALSE(contains(check.out, "after a scan\n")) << check.out;
  EXPECT_TRUE(contains(check.out, "1 spin the viewer sees between keys as the scene is, 0 after a scan"));

  const ProgramResult scan = tavorix({"scan", "m02.lws"}, folder.path());
  const std::size_t row = scan.out.find("\n  Cam ");
  ASSERT_NE(row, std::string::npos) << scan.out;
  const std::string cam = scan.out.substr(row + 1, scan.out.find('\n', row + 1) - row - 1);
  const std::string spins = "1 \u2192 0";
  ASSERT_GT(cam.size(), spins.size()) << cam;
  EXPECT_EQ(cam.substr(cam.size() - spins.size()), spins) << cam;
}

// The slope (per second) of a curve just inside the span on one side of
// its key `k`, by the span's type, read through the evaluation's own
// tangent rules and Bezier handles.
double slope_beside(const scene::Envelope &envelope, const scene::Key *key, bool after) {
  const auto curve_key = [&](const scene::Key *k) {
    return scene::CurveKey{k->time, k->value, envelope.shape(k)};
  };
  const scene::Key *start = after ? key : key->prev;
  const scene::Key *end = after ? key->next : key;
  const scene::CurveKey a = curve_key(start), b = curve_key(end);
  const double span = b.time - a.time;
  switch (b.shape.span_type) {
    case scene::kSpanLinear: return (b.value - a.value) / span;
    case scene::kSpanStepped: return 0.0;
    case scene::kSpanBezier2D: {
      const scene::BezierControls c = scene::bezier_2d_controls(a, b);
      return after ? (c.value[1] - c.value[0]) / (c.time[1] - c.time[0])
                   : (c.value[3] - c.value[2]) / (c.time[3] - c.time[2]);
    }
    default: break;
  }
  if (after) {
    const scene::CurveKey before = start->prev ? curve_key(start->prev) : scene::CurveKey{};
    return scene::out_tangent(start->prev ? &before : nullptr, a, b,
                              scene::HermiteTangents::scaled_by_spacing) /
           span;
  }
  const scene::CurveKey beyond = end->next ? curve_key(end->next) : scene::CurveKey{};
  return scene::in_tangent(a, b, end->next ? &beyond : nullptr, scene::HermiteTangents::scaled_by_spacing) /
         span;
}

// The item's angular velocity (world axes, radians per second) just inside
// the span on one side of its key triple at `time`: from the Euler rates,
// ω = ḣ·y + ṗ·Ry(h)·x + ḃ·Ry(h)·Rx(p)·z.
std::array<double, 3> angular_velocity(const scene::Item &item, double time, bool after) {
  double angle[3], rate[3];
  const char *names[3] = {"Rotation.H", "Rotation.P", "Rotation.B"};
  for (int c = 0; c < 3; ++c) {
    const scene::Envelope &envelope = *item.envelope(names[c]);
    const scene::Key *key = envelope.find(time);
    angle[c] = key->value;
    rate[c] = slope_beside(envelope, key, after);
  }
  const double h = angle[0], p = angle[1];
  return {rate[1] * std::cos(h) + rate[2] * std::sin(h) * std::cos(p), rate[0] - rate[2] * std::sin(p),
          -rate[1] * std::sin(h) + rate[2] * std::cos(h) * std::cos(p)};
}

// The Key lines of Channel 3, 4 and 5 (heading, pitch, bank) of an .lws
// text, split into words.
std::vector<std::vector<std::vector<std::string>>> rotation_key_words(const std::string &text) {
  std::vector<std::vector<std::vector<std::string>>> channels(3);
  std::istringstream lines(text);
  std::string line;
  int channel = -1;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> split;
    for (std::string word; words >> word;) split.push_back(word);
    if (split.size() == 2 && split[0] == "Channel") channel = std::atoi(split[1].c_str()) - 3;
    if (!split.empty() && split[0] == "Key" && channel >= 0 && channel < 3)
      channels[channel].push_back(split);
  }
  return channels;
}

TEST(TangentsFollow, HermiteAndBezierKeysKeepTheirAngularVelocityAndOtherParametersTheirText) {
  TemporaryFolder folder;
  const std::string original = read_file(made_scene_path("hermite_bezier_flips.lws"));
  write_file(folder.file("arm.lws"), original);
  const ProgramResult scan = tavorix({"scan", "arm.lws", "-o", "fixed.lws"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_TRUE(contains(scan.out, "3 pitch keys' stored slopes negated")) << scan.out;
  const std::string fixed = read_file(folder.file("fixed.lws"));

  scene::Scene before_scene, after_scene;
  scene_files::LwsSceneFile::read(original, "arm.lws", before_scene);
  scene_files::LwsSceneFile::read(fixed, "fixed.lws", after_scene);
  const scene::Item &before = *before_scene.find_item("Arm");
  const scene::Item &after = *after_scene.find_item("Arm");
  int rewritten = 0;
  for (const scene::Key *key = before.envelope("Rotation.H")->first(); key != nullptr; key = key->next) {
    const double time = key->time;
    if (after.envelope("Rotation.H")->find(time)->value == key->value) continue;
    ++rewritten;
    for (const bool side : {false, true}) {
      if ((side ? key->next : key->prev) == nullptr) continue;
      const std::array<double, 3> was = angular_velocity(before, time, side);
      const std::array<double, 3> now = angular_velocity(after, time, side);
      for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(now[axis], was[axis], 1e-9) << time << " " << side;
    }
  }
  EXPECT_EQ(rewritten, 6);

  // Every key keeps its type and parameters word for word, but for the
  // slopes of the pitch keys written into the other triple, which are
  // negated.
  const auto words_before = rotation_key_words(original), words_after = rotation_key_words(fixed);
  int negated = 0;
  for (int channel = 0; channel < 3; ++channel) {
    ASSERT_EQ(words_before[channel].size(), words_after[channel].size());
    for (std::size_t k = 0; k < words_before[channel].size(); ++k) {
      const auto &was = words_before[channel][k], &now = words_after[channel][k];
      ASSERT_EQ(was.size(), 10u);
      EXPECT_EQ(now[2], was[2]) << "time";
      EXPECT_EQ(now[3], was[3]) << "span type";
      for (int p = 4; p < 10; ++p) {
        if (now[p] == was[p]) continue;
        EXPECT_EQ(channel, 1) << "only pitch slopes change";
        EXPECT_EQ(std::stod(now[p]), -std::stod(was[p])) << "key " << k << " word " << p;
        ++negated;
      }
    }
  }
  // Of the three reflected pitch keys one is Hermite (p4, p5), one 2D
  // Bezier (p2, p4, p5) and one 1D Bezier (p4, p5).
  EXPECT_EQ(negated, 2 + 3 + 2);
}

// Heading and bank keyed every 3 frames, pitch every 4, from an
// orientation whose pitch passes 90° near frame 46.5, written as its Euler
// triple with the pitch within ±90° (heading and bank jump half a turn
// there), and with a whole turn added to the heading from frame 72 on.
std::string keyed_apart_scene() {
  const auto wrapped = [](double a) { return std::atan2(std::sin(a), std::cos(a)); };
  std::string heading, pitch, bank;
  for (int frame = 0; frame <= 96; ++frame) {
    double h = degrees(-30 + 0.9 * frame), p = degrees(90 + (frame - 46.5) * 1.2),
           b = degrees(10 - 0.3 * frame);
    if (std::cos(p) < 0) h += kPi, b += kPi, p = kPi - p;
    h = wrapped(h), p = wrapped(p), b = wrapped(b);
    if (frame >= 72) h += 2 * kPi;
    const std::string time = std::to_string(frame / 30.0);
    const auto key = [&](double value) { return "[" + time + ", " + std::to_string(value) + "]"; };
    if (frame % 3 == 0) heading += (heading.empty() ? "" : ", ") + key(h);
    if (frame % 3 == 0) bank += (bank.empty() ? "" : ", ") + key(b);
    if (frame % 4 == 0) pitch += (pitch.empty() ? "" : ", ") + key(p);
  }
  return "{\"fps\": 30, \"items\": [{\"name\": \"Rig\", \"kind\": \"null\", \"channels\": {\"Rotation.H\": "
         "[" +
         heading + "], \"Rotation.P\": [" + pitch + "], \"Rotation.B\": [" + bank + "]}}]}";
}

TEST(KeyMissing, PairsEveryPitchKeyAndTheScanThenMakesHeadingAndBankContinuous) {
  TemporaryFolder folder;
  const std::string scene_text = keyed_apart_scene();
  write_file(folder.file("apart.json"), scene_text);

  const ProgramResult check = tavorix({"check", "apart.json"}, folder.path());
  EXPECT_TRUE(contains(check.out, "16 pitch keys the scan skips")) << check.out;

  const ProgramResult scan =
      tavorix({"scan", "apart.json", "--key-missing", "-o", "fixed.json"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  EXPECT_TRUE(
      contains(scan.out, "key-missing: 56 keys added in 1 item where the rotation channels were keyed apart"))
      << scan.out;
  const std::string said = "no curve moved by more than ";
  const std::size_t at = scan.out.find(said);
  ASSERT_NE(at, std::string::npos) << scan.out;
  const double bound = degrees(std::stod(scan.out.substr(at + said.size())));

  scene::Scene fixed;
  scene_files::read_json_scene(read_file(folder.file("fixed.json")), "fixed.json", fixed);
  const scene::Item &item = *fixed.find_item("Rig");
  const scene::Envelope &h = *item.envelope("Rotation.H"), &p = *item.envelope("Rotation.P"),
                        &b = *item.envelope("Rotation.B");
  for (const scene::Key *key = p.first(); key != nullptr; key = key->next) {
    EXPECT_NE(h.find(key->time), nullptr) << key->time;
    EXPECT_NE(b.find(key->time), nullptr) << key->time;
  }
  for (const scene::Envelope *channel : {&h, &b}) {
    for (const scene::Key *key = channel->first(); key->next != nullptr; key = key->next) {
      EXPECT_LT(std::fabs(key->next->value - key->value), degrees(45)) << key->time * 30;
    }
  }

  // The bound holds for the curves as completed before the scan, sampled
  // far finer than the report samples them.
  scene::Scene read, completed;
  scene_files::read_json_scene(scene_text, "apart.json", read);
  scene_files::read_json_scene(scene_text, "apart.json", completed);
  motion::add_missing_keys(*completed.find_item("Rig"), 30.0, scene::HermiteTangents::scaled_by_spacing);
  for (const char *name : {"Rotation.H", "Rotation.P", "Rotation.B"}) {
    const scene::CurveSampler was(*read.find_item("Rig")->envelope(name),
                                  scene::HermiteTangents::scaled_by_spacing);
    const scene::CurveSampler now(*completed.find_item("Rig")->envelope(name),
                                  scene::HermiteTangents::scaled_by_spacing);
    for (int i = 0; i <= 96 * 50; ++i) {
      const double time = i / (30.0 * 50);
      EXPECT_LE(std::fabs(now.at(time) - was.at(time)), bound * 1.01 + 1e-9) << name << " " << time * 30;
    }
  }
}

TEST(HermiteTangentsOption, TakesOneOfTwoReadingsAndRefusesOthers) {
  TemporaryFolder folder;
  write_file(folder.file("arm.lws"), read_file(made_scene_path("hermite_bezier_flips.lws")));
  EXPECT_EQ(tavorix({"check", "arm.lws", "--hermite-tangents", "stored", "-q"}, folder.path()).exit_code, 1);
  const ProgramResult wrong = tavorix({"check", "arm.lws", "--hermite-tangents", "raw"}, folder.path());
  EXPECT_EQ(wrong.exit_code, 2);
  EXPECT_TRUE(contains(wrong.err, "--hermite-tangents")) << wrong.err;
}

TEST(MotionPlot, DrawsTheEvaluatedCurvesWithTheKeysAsPointsAndTheAngularSpeed) {
  TemporaryFolder folder;
  write_file(folder.file("m02.lws"), read_file(real_scene_path("M02.seq_takeoff_02.lws")));
  ASSERT_EQ(tavorix({"plot", "m02.lws", "--select", "Cam", "-o", "cam.svg"}, folder.path()).exit_code, 0);
  const std::string svg = read_file(folder.file("cam.svg"));
  for (const char *part : {"class=\"speed before\"", "class=\"speed after\"", "degrees per frame"}) {
    EXPECT_TRUE(contains(svg, part)) << part;
  }
  // Cam has 4 keys a channel; its curves are drawn through many more points.
  const std::size_t curve = svg.find("class=\"curve after heading\"");
  ASSERT_NE(curve, std::string::npos);
  const std::string points = svg.substr(curve, svg.find("/>", curve) - curve);
  EXPECT_GT(std::count(points.begin(), points.end(), ','), 1000);
}

}  // namespace
