// Throughput of "Tavorix:Scan" through the built module in the stand-in host:
// collection, pipeline (fill, align, write back) and teardown, for 1, 10 and
// 100 selected items of 10,000 keys per rotation channel (ScanThroughModule/N),
// and for one item of 100,000 keys (ScanLongItem/100000). Real time: the work
// runs on the task scheduler's threads.
//
// The scene is built once per run. The first scan removes its flips; every
// later one walks, aligns and writes exactly as much, so iterations simply
// scan again. The rate counts key triples (one key per rotation channel).

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench_paths.h"
#include "flipping_scene.h"
#include "host/host.h"
#include "loader/module_loader.h"
#include "scene/scene.h"

namespace {

using bench_support::add_selected_items;

void run_scans(benchmark::State &state, int items, int keys) {
  host::Host host;
  std::unique_ptr<loader::LoadedModule> module =
      loader::LoadedModule::load(bench_support::paths::module_file());
  add_selected_items(host.scene(), items, keys);
  if (loader::run_generic(*module, host, "Tavorix:Scan") != AFUNC_OK) throw std::runtime_error("scan failed");
  host.clear_monitor_calls();
  // The stand-in host records every monitor call: a few dozen bytes per item
  // and scan, left to grow rather than paused for.
  for (auto _ : state) benchmark::DoNotOptimize(loader::run_generic(*module, host, "Tavorix:Scan"));
  state.counters["keys/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * items * keys, benchmark::Counter::kIsRate);
}

void ScanThroughModule(benchmark::State &state) { run_scans(state, static_cast<int>(state.range(0)), 10000); }
void ScanLongItem(benchmark::State &state) { run_scans(state, 1, static_cast<int>(state.range(0))); }
// A small scene, so the build's smoke run goes through the scan too.
void ScanSmoke(benchmark::State &state) { run_scans(state, 2, 100); }

BENCHMARK(ScanThroughModule)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ScanLongItem)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ScanSmoke)->UseRealTime();

}  // namespace
