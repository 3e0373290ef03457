// "Tavorix:Scan" through three copies of the module on one scene of the
// stand-in host, timed in turn in the same iterations, and the batched
// read-back alone over the same keys, so that every ratio comes from one run
// under one load:
//   new   the module, tavorix.p;
//   old   the same module with its transform stage running today's scalar
//         kernels (tavorix_scalar_kernels.p);
//   copy  the same module with no transform stage at all, the values written
//         back as read (tavorix_copy_kernels.p): the host's reads and writes
//         alone, the floor under every scan;
//   readback  read_back_canonical over the scene's key triples, in spans of
//         4096 keys spread over the scheduler's threads, as the scan's
//         transform spreads a long item (and the pipeline many items).
// Counters: the fastest of the iterations of each ("new_ms", "old_ms",
// "copy_ms", "readback_ms"; wall-clock, the work runs on the scheduler's
// threads), "old/new" (the speed-up from the kernels), "new/copy" and
// "new/floor" with floor = copy + readback: how far the scan is from the
// host's work plus the read-back's.
//
// TAVORIX_BASELINE_MODULE=PATH adds a fifth contender, a module built from
// another revision ("base_ms", "new/base"), so that a change to the module
// is measured against the module before it in the same run.

#include <benchmark/benchmark.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/flipping_scene.h"
#include "bench_paths.h"
#include "host/host.h"
#include "loader/module_loader.h"
#include "rotation/angle_triple.h"
#include "rotation/canonical_readback.h"
#include "scene/scene.h"

namespace {

using KeyFrame::AngleTriple;

constexpr std::size_t kSpanKeys = 4096;

// The rotation keys of every item, triple by triple in time order.
std::vector<std::vector<AngleTriple>> scene_triples(const scene::Scene &scene) {
  std::vector<std::vector<AngleTriple>> out;
  for (const auto &item : scene.items()) {
    std::vector<AngleTriple> triples;
    const scene::Key *h = item->envelope("Rotation.H")->first();
    const scene::Key *p = item->envelope("Rotation.P")->first();
    const scene::Key *b = item->envelope("Rotation.B")->first();
    for (; h != nullptr && p != nullptr && b != nullptr; h = h->next, p = p->next, b = b->next) {
      triples.push_back({h->value, p->value, b->value});
    }
    out.push_back(std::move(triples));
  }
  return out;
}

struct Span {
  const AngleTriple *in;
  AngleTriple *out;
  std::size_t count;
};

void read_back_spans(const std::vector<Span> &spans) {
  tbb::parallel_for(
      tbb::blocked_range<std::size_t>(0, spans.size(), 1),
      [&](const tbb::blocked_range<std::size_t> &range) {
        for (std::size_t i = range.begin(); i != range.end(); ++i) {
          KeyFrame::read_back_canonical(spans[i].in, spans[i].out, spans[i].count);
        }
      },
      tbb::simple_partitioner());
}

double seconds_of(const std::function<void()> &work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ScanKernels(benchmark::State &state, int items, int keys) {
  host::Host host;
  bench_support::add_selected_items(host.scene(), items, keys);
  // new, old, copy, then the baseline where one is named.
  std::vector<std::unique_ptr<loader::LoadedModule>> modules;
  modules.push_back(loader::LoadedModule::load(bench_support::paths::module_file()));
  modules.push_back(loader::LoadedModule::load(bench_support::paths::scalar_kernels_module_file()));
  modules.push_back(loader::LoadedModule::load(bench_support::paths::copy_kernels_module_file()));
  const char *baseline = std::getenv("TAVORIX_BASELINE_MODULE");
  if (baseline != nullptr && *baseline != '\0') modules.push_back(loader::LoadedModule::load(baseline));
  auto scan = [&](loader::LoadedModule &module) {
    if (loader::run_generic(module, host, "Tavorix:Scan") != AFUNC_OK)
      throw std::runtime_error("scan failed");
    host.clear_monitor_calls();
  };
  for (const auto &module : modules) scan(*module);  // the first removes the flips

  const std::vector<std::vector<AngleTriple>> triples = scene_triples(host.scene());
  std::vector<std::vector<AngleTriple>> canonical;
  std::vector<Span> spans;
  for (const std::vector<AngleTriple> &item : triples) canonical.emplace_back(item.size());
  for (std::size_t i = 0; i < triples.size(); ++i) {
    for (std::size_t k = 0; k < triples[i].size(); k += kSpanKeys) {
      spans.push_back({&triples[i][k], &canonical[i][k], std::min(kSpanKeys, triples[i].size() - k)});
    }
  }

  // The modules in their order, then the read-back alone.
  const int contenders = static_cast<int>(modules.size()) + 1;
  const int readback = contenders - 1;
  std::vector<double> best(static_cast<std::size_t>(contenders), 1e300);
  int rotation = 0;
  for (auto _ : state) {
    for (int j = 0; j < contenders; ++j) {
      const int which = (j + rotation) % contenders;
      const double t = which < readback ? seconds_of([&] { scan(*modules[static_cast<std::size_t>(which)]); })
                                        : seconds_of([&] { read_back_spans(spans); });
      best[static_cast<std::size_t>(which)] = std::min(best[static_cast<std::size_t>(which)], t);
    }
    rotation = (rotation + 1) % contenders;
  }
  state.counters["new_ms"] = 1e3 * best[0];
  state.counters["old_ms"] = 1e3 * best[1];
  state.counters["copy_ms"] = 1e3 * best[2];
  state.counters["readback_ms"] = 1e3 * best[static_cast<std::size_t>(readback)];
  state.counters["old/new"] = best[1] / best[0];
  state.counters["new/copy"] = best[0] / best[2];
  state.counters["new/floor"] = best[0] / (best[2] + best[static_cast<std::size_t>(readback)]);
  if (modules.size() > 3) {
    state.counters["base_ms"] = 1e3 * best[3];
    state.counters["new/base"] = best[0] / best[3];
  }
}

BENCHMARK_CAPTURE(ScanKernels, items_1_keys_100000, 1, 100000)
    ->Name("ScanKernels/items:1/keys:100000")
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ScanKernels, items_100_keys_10000, 100, 10000)
    ->Name("ScanKernels/items:100/keys:10000")
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// A small scene, for the build's smoke run.
BENCHMARK_CAPTURE(ScanKernels, smoke, 2, 100)->Name("ScanKernelsSmoke")->Iterations(2)->UseRealTime();

}  // namespace
