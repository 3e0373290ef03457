// Our key kernels side by side with the same chain work done with Imath, the
// peer library: for each key, build the rotation from its Euler triple,
// extract the Euler triple back from the matrix and make it near the previous
// key (Imath::Euler::makeNear). Our triples map to
// Imath::Eulerd(V3d(pitch, heading, bank), ZXY, XYZLayout), as
// tests/peer/imath_mapping_test.cpp checks.
//
// ImathChain and ImathToReference are ns per key on their own, for the
// table. PeerSideBySide/* time ours and Imath's in turn in the same
// iterations and report "imath/ours": how many times faster ours is. Ours
// runs as the module runs its passes: a block of keys read back at once,
// then the choice key by key (chain_passes.h).
//   AlignKeyChain: our scan kernel, each key aligned to the one before it.
//   CorrectKey: our batch kernel (inferior mode) against a reference per key,
//   against makeNear towards the same reference.

#include <Imath/ImathEuler.h>
#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <vector>

#include "bench/chain_passes.h"
#include "bench/random_triples.h"
#include "bench/side_by_side.h"
#include "bench/trig_floor.h"
#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/key_kernels.h"

namespace {

using bench_support::kInputs;
using KeyFrame::AngleTriple;

Imath::Eulerd to_imath(const AngleTriple &a) {
  return Imath::Eulerd(Imath::V3d(a.pitch, a.heading, a.bank), Imath::Eulerd::ZXY, Imath::Eulerd::XYZLayout);
}

// One key through Imath: rotation from the triple, triple from the rotation,
// placed near `target`.
Imath::Eulerd imath_key(const AngleTriple &key, const Imath::Eulerd &target) {
  const Imath::M33d rotation = to_imath(key).toMatrix33();
  Imath::Eulerd e(Imath::Eulerd::ZXY);
  e.extract(rotation);
  e.makeNear(target);
  return e;
}

// A pass over all inputs; both chains restart from zero at each pass, so the
// references never drift whole turns away.
Imath::Eulerd imath_chain_pass() {
  Imath::Eulerd previous = to_imath({0, 0, 0});
  for (const AngleTriple &key : bench_support::random_keys()) previous = imath_key(key, previous);
  return previous;
}

AngleTriple align_chain_pass() { return bench_support::align_chain_in_blocks(bench_support::random_keys()); }

void imath_reference_pass() {
  const std::vector<AngleTriple> &in = bench_support::random_keys();
  const std::vector<AngleTriple> &ref = bench_support::random_references();
  for (std::size_t i = 0; i < kInputs; ++i) benchmark::DoNotOptimize(imath_key(in[i], to_imath(ref[i])));
}

void correct_key_pass() {
  static std::vector<AngleTriple> out(kInputs);
  bench_support::correct_in_blocks(KeyFrame::kInferiorCorrection, bench_support::random_keys(),
                                   bench_support::random_references(), out);
  benchmark::DoNotOptimize(out.data());
}

void ImathChain(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(imath_chain_pass());
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kInputs));
}
BENCHMARK(ImathChain);

void ImathToReference(benchmark::State &state) {
  for (auto _ : state) imath_reference_pass();
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kInputs));
}
BENCHMARK(ImathToReference);

void PeerSideBySide_AlignKeyChain(benchmark::State &state) {
  bench_support::side_by_side(
      state, kInputs, "ours", "imath", [] { benchmark::DoNotOptimize(align_chain_pass()); },
      [] { benchmark::DoNotOptimize(imath_chain_pass()); });
}
BENCHMARK(PeerSideBySide_AlignKeyChain);

// The Imath chain against the library calls our kernels make for the same
// keys: "imath/floor" is the most any chain making those calls can gain on
// Imath, however little it does around them.
void PeerSideBySide_ImathVsTrigFloor(benchmark::State &state) {
  const std::vector<bench_support::TrigArguments> &args = bench_support::random_key_trig_arguments();
  bench_support::side_by_side(
      state, kInputs, "floor", "imath", [&] { bench_support::trig_floor_pass(args); },
      [] { benchmark::DoNotOptimize(imath_chain_pass()); });
}
BENCHMARK(PeerSideBySide_ImathVsTrigFloor);

void PeerSideBySide_CorrectKey(benchmark::State &state) {
  bench_support::side_by_side(state, kInputs, "ours", "imath", correct_key_pass, imath_reference_pass);
}
BENCHMARK(PeerSideBySide_CorrectKey);

}  // namespace
