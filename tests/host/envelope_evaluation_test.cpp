// Envelopes evaluated as Layout does: the worked examples of the span
// shapes and behaviours to every digit they are given with, and the
// properties every curve has.

#include "scene/envelope_evaluation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/envelope_service.h"
#include "host/handles.h"
#include "host/service_tables.h"
#include "scene/envelope.h"
#include "scene/scene.h"

namespace {

using scene::CurveKey;
using scene::CurveSettings;
using scene::HermiteTangents;

struct Keys {
  std::vector<CurveKey> keys;
  std::size_t size() const { return keys.size(); }
  CurveKey operator[](std::size_t i) const { return keys[i]; }
};

CurveKey key(double time, double value, int type = scene::kSpanTcb, std::vector<double> params = {}) {
  CurveKey k;
  k.time = time;
  k.value = value;
  k.shape.span_type = type;
  for (std::size_t i = 0; i < params.size(); ++i) k.shape.params[i] = params[i];
  return k;
}

double at(const Keys &keys, double time, CurveSettings settings = {}) {
  return scene::evaluate_curve(keys, settings, time);
}

// K0 (0, 0), K1 (1, 10), K2 (3, 4), in the shapes of the worked examples.
Keys three(int type1 = scene::kSpanTcb, std::vector<double> p1 = {}, int type0 = scene::kSpanTcb,
           std::vector<double> p0 = {}, int type2 = scene::kSpanTcb, std::vector<double> p2 = {}) {
  return Keys{{key(0, 0, type0, p0), key(1, 10, type1, p1), key(3, 4, type2, p2)}};
}

constexpr double kGiven = 5e-7;  // the examples give six decimals

TEST(EnvelopeEvaluation, WorkedExamplesOfEverySpanShape) {
  EXPECT_NEAR(at(three(), 0.5), 6.083333, kGiven);
  EXPECT_NEAR(at(three(), 2.0), 8.083333, kGiven);
  EXPECT_NEAR(at(three(0, {0.5}), 0.5), 6.166667, kGiven);  // tension
  EXPECT_NEAR(at(three(0, {0.5}), 2.0), 7.916667, kGiven);
  EXPECT_NEAR(at(three(0, {0, 0, 0.5}), 0.5), 5.75, kGiven);  // bias
  EXPECT_NEAR(at(three(0, {0, 0, 0.5}), 2.0), 8.75, kGiven);
  EXPECT_NEAR(at(three(0, {0, -0.5}), 0.5), 5.75, kGiven);  // continuity
  EXPECT_NEAR(at(three(0, {0, -0.5}), 2.0), 7.416667, kGiven);

  const Keys hermite = three(1, {0, 0, 0, 9, 9}, 1, {0, 0, 0, 0, 12}, 1, {0, 0, 0, -6});
  EXPECT_NEAR(at(hermite, 0.5), 6.125, kGiven);
  EXPECT_NEAR(at(hermite, 2.0), 8.5, kGiven);
  CurveSettings stored;
  stored.hermite = HermiteTangents::as_stored;
  EXPECT_NEAR(at(hermite, 0.5, stored), 5.375, kGiven);
  EXPECT_NEAR(at(hermite, 2.0, stored), 8.875, kGiven);

  const Keys linear = three(3, {}, 3, {}, 3, {});
  EXPECT_NEAR(at(linear, 0.5), 5.0, kGiven);
  EXPECT_NEAR(at(linear, 2.0), 7.0, kGiven);
  EXPECT_NEAR(at(three(3), 0.5), 5.0, kGiven);  // TCB, Linear, TCB
  EXPECT_NEAR(at(three(3), 2.0), 8.083333, kGiven);

  const Keys stepped = three(4, {}, 0, {}, 4, {});
  EXPECT_EQ(at(stepped, 0.5), 0.0);
  EXPECT_EQ(at(stepped, 2.0), 10.0);
  EXPECT_EQ(at(stepped, 1.0), 10.0);
  EXPECT_EQ(at(stepped, 3.0), 4.0);

  const Keys bezier{
      {key(0, 0, 5, {0, 0, 0.5, 4}), key(1, 10, 5, {-0.2, -3, 0.5, -2}), key(3, 4, 5, {-1, 1, 0, 0})}};
  EXPECT_NEAR(at(bezier, 0.5), 4.286872, kGiven);  // the bisection's own answer
  EXPECT_NEAR(at(bezier, 2.0), 5.993036, kGiven);
  CurveSettings extrapolated;
  extrapolated.pre_behavior = scene::kBehaviorLinear;
  extrapolated.post_behavior = scene::kBehaviorLinear;
  EXPECT_NEAR(at(bezier, -1.0, extrapolated), -8.0, 1e-12);  // 8 per second
  EXPECT_NEAR(at(bezier, 4.0, extrapolated), 3.0, 1e-12);    // -1 per second
}

TEST(EnvelopeEvaluation, WorkedExamplesOfEveryBehavior) {
  struct Row {
    int code;
    double pre, post4, post75;
  };
  const Row rows[] = {{0, 0, 0, 0},
                      {1, 0, 4, 4},
                      {2, 5.90625, 10, 9.71875},
                      {3, 6.083333, 8.083333, 9.71875},
                      {4, 1.90625, 14, 17.71875},
                      {5, -5, 1, -9.5}};
  for (const Row &row : rows) {
    CurveSettings settings;
    settings.pre_behavior = row.code;
    settings.post_behavior = row.code;
    EXPECT_NEAR(at(three(), -0.5, settings), row.pre, kGiven) << row.code;
    EXPECT_NEAR(at(three(), 4.0, settings), row.post4, kGiven) << row.code;
    EXPECT_NEAR(at(three(), 7.5, settings), row.post75, kGiven) << row.code;
  }
  // Keys that do not start at 0: the repeat wraps by the keys' own period.
  const Keys shifted{{key(1, 0), key(2, 10), key(4, 4)}};
  CurveSettings repeat;
  repeat.post_behavior = scene::kBehaviorRepeat;
  EXPECT_NEAR(at(shifted, 5.5, repeat), 9.71875, kGiven);
}

TEST(EnvelopeEvaluation, FewKeys) {
  EXPECT_EQ(at(Keys{}, 3.0), 0.0);
  CurveSettings reset;
  reset.pre_behavior = reset.post_behavior = scene::kBehaviorReset;
  EXPECT_EQ(at(Keys{{key(2, 7)}}, -5.0, reset), 7.0);  // one key: its value, behaviours ignored
}

// A random curve of every span shape: through every key, linear and stepped
// spans as they say, repeat and oscillate periodic, and TCB 0/0/0 the
// Catmull-Rom curve of the keys (for even spacing).
TEST(EnvelopeEvaluation, PropertiesOfRandomCurves) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> value(-4.0, 4.0), unit(0.0, 1.0);
  for (int round = 0; round < 200; ++round) {
    Keys keys;
    double time = value(rng);
    for (int k = 0; k < 7; ++k) {
      time += 0.2 + unit(rng);
      const int type = static_cast<int>(unit(rng) * 6) % 6;
      std::vector<double> params(6);
      for (double &p : params) p = value(rng) * 0.2;
      if (type == scene::kSpanBezier2D) {
        params[0] = -0.1 * unit(rng);
        params[2] = 0.1 * unit(rng);
      }
      keys.keys.push_back(key(time, value(rng), type, params));
    }
    for (const CurveKey &k : keys.keys) ASSERT_EQ(at(keys, k.time), k.value);
    for (std::size_t k = 1; k < keys.size(); ++k) {
      const CurveKey &a = keys.keys[k - 1], &b = keys.keys[k];
      const double t = a.time + 0.37 * (b.time - a.time);
      if (b.shape.span_type == scene::kSpanLinear) {
        EXPECT_NEAR(at(keys, t), a.value + 0.37 * (b.value - a.value), 1e-12);
      }
      if (b.shape.span_type == scene::kSpanStepped) {
        EXPECT_EQ(at(keys, t), a.value);
      }
    }
    const double first = keys.keys.front().time, period = keys.keys.back().time - first;
    for (int code : {scene::kBehaviorRepeat, scene::kBehaviorOscillate}) {
      CurveSettings settings;
      settings.pre_behavior = settings.post_behavior = code;
      const double t = first + 0.3 * period;
      EXPECT_NEAR(at(keys, t + 2 * period, settings), at(keys, t, settings), 1e-9) << code;
      EXPECT_NEAR(at(keys, t - 2 * period, settings), at(keys, t, settings), 1e-9) << code;
    }
  }

  // Catmull-Rom: evenly spaced keys, all TCB 0/0/0.
  Keys even;
  for (int k = 0; k < 6; ++k) even.keys.push_back(key(k, value(rng)));
  for (int k = 1; k + 2 < 6; ++k) {
    const double p0 = even.keys[k - 1].value, p1 = even.keys[k].value, p2 = even.keys[k + 1].value,
                 p3 = even.keys[k + 2].value;
    for (double u : {0.25, 0.5, 0.8}) {
      const double catmull_rom = 0.5 * (2 * p1 + (-p0 + p2) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u +
                                        (-p0 + 3 * p1 - 3 * p2 + p3) * u * u * u);
      EXPECT_NEAR(at(even, k + u), catmull_rom, 1e-12) << k << " " << u;
    }
  }
}

// The host's envelopes keep each key's shape, and evaluate with it.
TEST(EnvelopeEvaluation, EnvelopesKeepShapesAndEvaluateThem) {
  scene::Envelope envelope;
  scene::Key *k0 = envelope.create(0, 0);
  scene::Key *k1 = envelope.create(1, 10);
  scene::Key *k2 = envelope.create(3, 4);
  scene::KeyShape hermite;
  hermite.span_type = scene::kSpanHermite;
  hermite.params[4] = 12;
  envelope.set_shape(k0, hermite);
  hermite.params[3] = hermite.params[4] = 9;
  envelope.set_shape(k1, hermite);
  hermite.params[3] = -6;
  hermite.params[4] = 0;
  envelope.set_shape(k2, hermite);
  EXPECT_NEAR(scene::evaluate_envelope(envelope, 0.5), 6.125, kGiven);
  EXPECT_NEAR(scene::evaluate_envelope(envelope, 2.0, HermiteTangents::as_stored), 8.875, kGiven);
  EXPECT_EQ(envelope.shape(k1).params[3], 9.0);
  // A key made in a span takes that span's shape; a key at the end, that of
  // the key before it.
  EXPECT_EQ(envelope.shape(envelope.create(2, 5)).params[3], -6.0);
  EXPECT_EQ(envelope.shape(envelope.create(5, 5)).span_type, scene::kSpanHermite);
  envelope.set_shape(k1, scene::KeyShape{});
  EXPECT_EQ(envelope.shape(k1).params[3], 0.0);
  EXPECT_EQ(envelope.shape(nullptr).span_type, scene::kSpanTcb);
}

// A sampler walks a curve span by span; in whatever order it is asked, it
// answers as the envelope's own evaluation does.
TEST(EnvelopeEvaluation, ASamplerAnswersAsTheEnvelopeInAnyOrder) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> value(-3.0, 3.0), unit(0.0, 1.0);
  scene::Envelope envelope;
  double time = 0.0;
  for (int k = 0; k < 40; ++k) {
    time += 0.05 + unit(rng);
    scene::KeyShape shape;
    shape.span_type = static_cast<int>(unit(rng) * 6) % 6;
    for (double &p : shape.params) p = value(rng) * 0.2;
    if (shape.span_type == scene::kSpanBezier2D) shape.params[0] = -0.02, shape.params[2] = 0.02;
    envelope.set_shape(envelope.create(time, value(rng)), shape);
  }
  envelope.pre_behavior = scene::kBehaviorOscillate;
  envelope.post_behavior = scene::kBehaviorOffsetRepeat;
  // A span is sampled many times in a row (the sampler keeps its tangents),
  // then spans come in any order.
  for (const HermiteTangents hermite : {HermiteTangents::as_stored, HermiteTangents::scaled_by_spacing}) {
    const scene::CurveSampler sampler(envelope, hermite);
    std::vector<double> times;
    for (int i = 0; i <= 4000; ++i) times.push_back(-5.0 + (time + 10.0) * i / 4000);
    for (const CurveKey &k : sampler.keys()) times.push_back(k.time);
    std::vector<double> shuffled = times;
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    for (const std::vector<double> *order : {&times, &shuffled}) {
      for (const double t : *order) {
        ASSERT_EQ(sampler.at(t), scene::evaluate_envelope(envelope, t, hermite)) << t;
      }
    }
  }
}

}  // namespace

namespace {

// The host's own members evaluate as the curves do: "Animation Envelopes"
// evaluate and "Channel Info" channelEvaluate.
TEST(EnvelopeEvaluation, TheHostsEvaluateMembers) {
  scene::Scene scene;
  scene::Item &item = scene.add_item("Null");
  scene::Envelope &heading = *item.envelope("Rotation.H");
  heading.create(0, 0);
  heading.create(1, 10);
  heading.create(3, 4);
  const LWEnvelopeFuncs &envelopes = host::envelope_funcs_table();
  EXPECT_NEAR(envelopes.evaluate(host::to_handle(&heading), 0.5), 6.083333, kGiven);
  const LWChannelInfo &channels = host::channel_info_table();
  LWChannelID channel = nullptr;
  for (LWChannelID c = channels.nextChannel(host::to_group_handle(&item), nullptr); c != nullptr;
       c = channels.nextChannel(host::to_group_handle(&item), c)) {
    if (std::string(channels.channelName(c)) == "Rotation.H") channel = c;
  }
  ASSERT_NE(channel, nullptr);
  EXPECT_NEAR(channels.channelEvaluate(channel, 2.0), 8.083333, kGiven);
  EXPECT_EQ(envelopes.evaluate(nullptr, 1.0), 0.0);
}

}  // namespace
