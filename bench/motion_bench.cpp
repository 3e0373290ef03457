// The cost of what the program measures of motion: evaluating curves
// (samples per second, walked in order and at random times), finding the
// spins of an item of N keys a channel, and adding keys where its
// channels are keyed apart.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "motion/missing_keys.h"
#include "motion/spins.h"
#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace {

constexpr double kFps = 30.0;

// An item whose heading, pitch and bank are keyed every `heading_every`,
// `pitch_every` and `heading_every` frames, `keys` keys for the heading: TCB
// keys on a wandering path, with a flip planted at one key in a hundred.
void key_item(scene::Item &item, int keys, int heading_every, int pitch_every) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> step(-0.05, 0.05), unit(0.0, 1.0);
  double h = 0.0, p = 0.2, b = -0.1;
  const int frames = keys * heading_every;
  for (int frame = 0; frame < frames; ++frame) {
    h += step(random), p += step(random), b += step(random);
    const bool flip = unit(random) < 0.01;
    const double time = frame / kFps;
    if (frame % heading_every == 0) item.envelope("Rotation.H")->create(time, flip ? h + 3.14159 : h);
    if (frame % heading_every == 0) item.envelope("Rotation.B")->create(time, flip ? b + 3.14159 : b);
    if (frame % pitch_every == 0) item.envelope("Rotation.P")->create(time, flip ? 3.14159 - p : p);
  }
}

void BM_SampleCurveInOrder(benchmark::State &state) {
  scene::Scene scene;
  scene::Item &item = scene.add_item("Item");
  key_item(item, static_cast<int>(state.range(0)), 1, 1);
  const scene::CurveSampler curve(*item.envelope("Rotation.H"), scene::HermiteTangents::scaled_by_spacing);
  const double end = curve.keys().back().time;
  const int samples = static_cast<int>(end * kFps * 8);
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < samples; ++i) sum += curve.at(end * i / samples);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * samples);
}
BENCHMARK(BM_SampleCurveInOrder)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_EvaluateEnvelopeAnywhere(benchmark::State &state) {
  scene::Scene scene;
  scene::Item &item = scene.add_item("Item");
  key_item(item, static_cast<int>(state.range(0)), 1, 1);
  const scene::Envelope &heading = *item.envelope("Rotation.H");
  std::mt19937 random(5);
  std::uniform_real_distribution<double> time(0.0, heading.last()->time);
  std::vector<double> times(4096);
  for (double &t : times) t = time(random);
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene::evaluate_envelope(heading, times[next]));
    next = (next + 1) % times.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateEnvelopeAnywhere)->Arg(10000);

// The spin check of `tavorix check` on one item keyed every frame.
void BM_FindSpins(benchmark::State &state) {
  scene::Scene scene;
  scene::Item &item = scene.add_item("Item");
  key_item(item, static_cast<int>(state.range(0)), 1, 1);
  std::size_t spins = 0;
  for (auto _ : state) {
    spins = motion::find_spins(item, kFps, scene::HermiteTangents::scaled_by_spacing).size();
    benchmark::DoNotOptimize(spins);
  }
  state.counters["spins"] = static_cast<double>(spins);
  // Three curves at 8 samples a frame over the item's frames.
  state.SetItemsProcessed(state.iterations() * state.range(0) * 8 * 3);
}
BENCHMARK(BM_FindSpins)->Arg(10000)->Unit(benchmark::kMillisecond);

// --key-missing on an item with heading and bank keyed every 3 frames,
// pitch every 4 (N heading keys).
void BM_AddMissingKeys(benchmark::State &state) {
  for (auto _ : state) {
    state.PauseTiming();
    scene::Scene scene;
    scene::Item &item = scene.add_item("Item");
    key_item(item, static_cast<int>(state.range(0)), 3, 4);
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        motion::add_missing_keys(item, kFps, scene::HermiteTangents::scaled_by_spacing).added);
  }
}
BENCHMARK(BM_AddMissingKeys)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
