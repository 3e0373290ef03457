// Single-thread cost of the rotation math, ns per call, over varied inputs.
//
// TrigFloor makes exactly the library calls that build_frame + read_angles
// make on the same inputs (three sine/cosine pairs, seven square roots, two
// arcsines, one atan2) and nothing else, so FrameAndReadAngles / TrigFloor is
// the overhead of the arithmetic around them.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/random_triples.h"
#include "bench/side_by_side.h"
#include "bench/trig_floor.h"
#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/euler_readback.h"
#include "rotation/key_kernels.h"
#include "rotation/rotation_frame.h"
#include "rotation/rotation_offset.h"

namespace {

using bench_support::kInputs;
using bench_support::random_triples;
using KeyFrame::AngleTriple;

const std::vector<AngleTriple> &small_offsets() {
  static const std::vector<AngleTriple> d = random_triples(3, 0.05);
  return d;
}

void BM_RotationSmoke(benchmark::State &state) {
  const AngleTriple a{0.3, -0.2, 0.1};
  for (auto _ : state) {
    benchmark::DoNotOptimize(KeyFrame::read_angles(KeyFrame::build_frame(a)));
  }
}
BENCHMARK(BM_RotationSmoke);

void BM_FrameAndReadAngles(benchmark::State &state) {
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KeyFrame::read_angles(KeyFrame::build_frame(in[i])));
    i = (i + 1) & (kInputs - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameAndReadAngles);

void BM_TrigFloor(benchmark::State &state) {
  const std::vector<bench_support::TrigArguments> &in = bench_support::random_key_trig_arguments();
  std::size_t i = 0;
  double one = 1.0;
  benchmark::DoNotOptimize(one);
  for (auto _ : state) {
    bench_support::trig_floor_calls(in[i], one);
    i = (i + 1) & (kInputs - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrigFloor);

// FrameAndReadAngles and TrigFloor over all inputs, timed in turn in the same
// iterations: "frame/floor" is the cost of build_frame + read_angles in units
// of the library calls they make.
void BM_FrameVsTrigFloor(benchmark::State &state) {
  const std::vector<bench_support::TrigArguments> &args = bench_support::random_key_trig_arguments();
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  bench_support::side_by_side(
      state, kInputs, "floor", "frame", [&] { bench_support::trig_floor_pass(args); },
      [&] {
        for (const AngleTriple &a : in)
          benchmark::DoNotOptimize(KeyFrame::read_angles(KeyFrame::build_frame(a)));
      });
}
BENCHMARK(BM_FrameVsTrigFloor);

void BM_CorrectKey(benchmark::State &state) {
  const auto mode = static_cast<std::int32_t>(state.range(0));
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  const std::vector<AngleTriple> &ref = bench_support::random_references();
  std::size_t i = 0;
  for (auto _ : state) {
    AngleTriple key = in[i];
    KeyFrame::correct_key(mode, ref[i], key);
    benchmark::DoNotOptimize(key);
    i = (i + 1) & (kInputs - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CorrectKey)->Arg(KeyFrame::kInferiorCorrection)->Arg(KeyFrame::kSuperiorCorrection);

// The scan's use: each key aligned to the one before it as already rewritten.
void BM_AlignKeyChain(benchmark::State &state) {
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  AngleTriple previous{0, 0, 0};
  std::size_t i = 0;
  for (auto _ : state) {
    AngleTriple key = in[i];
    KeyFrame::align_key(previous, key);
    previous = key;
    i = (i + 1) & (kInputs - 1);
    if (i == 0) {
      previous = {0, 0, 0};  // keep the references from drifting turns away
    }
  }
  benchmark::DoNotOptimize(previous);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AlignKeyChain);

void BM_ApplyRotationOffset(benchmark::State &state) {
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  const std::vector<AngleTriple> &offset = small_offsets();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KeyFrame::apply_rotation_offset(in[i], offset[i]));
    i = (i + 1) & (kInputs - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ApplyRotationOffset);

}  // namespace
