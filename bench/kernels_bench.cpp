// The module's key kernels against today's scalar ones (reference/), timed
// in turn in the same iterations on the calling thread's CPU clock, so every
// ratio comes from one run under one load ("old/new": how many times faster
// the module's are):
//   SideBySide_AlignKeyChain: the scan's chain over the shared random keys;
//   SideBySide_CorrectKey: the batch kernel (inferior mode), key by key
//   against its reference;
//   SideBySide_CorrectRecords: the batch pass's in-memory half over 10,000
//   records of a working set (correct_records).
// ReadBack/<variant> is the batched read-back alone, ns per key, for every
// variant this processor runs (the module uses the first listed).

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/correct_angle_batch.h"
#include "bench/chain_passes.h"
#include "bench/random_triples.h"
#include "bench/reference/reference_passes.h"
#include "bench/side_by_side.h"
#include "keys/key_info.h"
#include "rotation/canonical_readback.h"
#include "rotation/key_kernels.h"

namespace {

using bench_support::kInputs;
using KeyFrame::AngleTriple;

void SideBySide_AlignKeyChain(benchmark::State &state) {
  const std::vector<AngleTriple> &keys = bench_support::random_keys();
  bench_support::side_by_side(
      state, kInputs, "new", "old",
      [&] { benchmark::DoNotOptimize(bench_support::align_chain_in_blocks(keys)); },
      [&] { benchmark::DoNotOptimize(scalar_reference::align_chain_from_zero(keys.data(), keys.size())); });
}
BENCHMARK(SideBySide_AlignKeyChain);

void SideBySide_CorrectKey(benchmark::State &state) {
  const std::vector<AngleTriple> &keys = bench_support::random_keys();
  const std::vector<AngleTriple> &refs = bench_support::random_references();
  std::vector<AngleTriple> out(kInputs);
  bench_support::side_by_side(
      state, kInputs, "new", "old",
      [&] {
        bench_support::correct_in_blocks(KeyFrame::kInferiorCorrection, keys, refs, out);
        benchmark::DoNotOptimize(out.data());
      },
      [&] {
        scalar_reference::correct_keys(KeyFrame::kInferiorCorrection, keys.data(), refs.data(), kInputs,
                                       out.data());
        benchmark::DoNotOptimize(out.data());
      });
}
BENCHMARK(SideBySide_CorrectKey);

// A working set of `count` records holding the shared random keys and
// references, as the inferior command's collection leaves it.
void fill_records(KeyFrame::KeyInfo &info, std::size_t count) {
  const std::vector<AngleTriple> &keys = bench_support::random_keys();
  const std::vector<AngleTriple> &refs = bench_support::random_references();
  info.records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    KeyFrame::KeyRecord record;
    record.angles = keys[i % kInputs];
    record.reference = refs[(i * 7) % kInputs];
    info.records.push_back(record);
  }
  info.item_count = count;
}

// Each pass rewrites its own working set; a second pass of the inferior
// command toggles every key back, so every pass does the same work.
void SideBySide_CorrectRecords(benchmark::State &state) {
  constexpr std::size_t kRecords = 10000;
  KeyFrame::KeyInfo new_info(KeyFrame::kModeInferior), old_info(KeyFrame::kModeInferior);
  fill_records(new_info, kRecords);
  fill_records(old_info, kRecords);
  bench_support::side_by_side(
      state, kRecords, "new", "old", [&] { KeyFrame::correct_records(&new_info, 0, kRecords); },
      [&] { scalar_reference::correct_records(&old_info, 0, kRecords); });
}
BENCHMARK(SideBySide_CorrectRecords);

void ReadBack(benchmark::State &state, KeyFrame::ReadBackVariant variant) {
  const std::vector<AngleTriple> &keys = bench_support::random_keys();
  std::vector<AngleTriple> out(kInputs);
  for (auto _ : state) {
    variant.read_back(keys.data(), out.data(), kInputs);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kInputs));
}

bool register_read_back_variants() {
  std::size_t count = 0;
  const KeyFrame::ReadBackVariant *variants = KeyFrame::runnable_read_back_variants(count);
  for (std::size_t i = 0; i < count; ++i) {
    const KeyFrame::ReadBackVariant variant = variants[i];
    benchmark::RegisterBenchmark((std::string("BM_ReadBack/") + variant.name).c_str(),
                                 [variant](benchmark::State &s) { ReadBack(s, variant); });
  }
  return true;
}

[[maybe_unused]] const bool registered = register_read_back_variants();

}  // namespace
