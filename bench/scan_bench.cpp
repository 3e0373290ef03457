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

#include "host/host.h"
#include "host/module_loader.h"
#include "host/scene.h"

namespace {

constexpr double kPi = 3.141592653589793;

// A slow spin with every third key stored as its flipped twin and every
// fifth a whole turn away, so the first scan has work on every item.
void add_selected_items(host::Scene &scene, int items, int keys) {
  for (int i = 0; i < items; ++i) {
    host::Item &item = scene.add_item("Item" + std::to_string(i));
    host::Envelope *heading = item.envelope("Rotation.H");
    host::Envelope *pitch = item.envelope("Rotation.P");
    host::Envelope *bank = item.envelope("Rotation.B");
    for (int k = 0; k < keys; ++k) {
      double h = 0.01 * k + 0.1 * i, p = 0.5 * std::sin(0.003 * k), b = -0.02 * k;
      if (k % 3 == 1) {
        h += kPi;
        p = kPi - p;
        b += kPi;
      }
      if (k % 5 == 2) h += 2 * kPi;
      const double time = k / 30.0;
      heading->create(time, h);
      pitch->create(time, p);
      bank->create(time, b);
    }
    scene.add_to_selection(&item);
  }
}

void run_scans(benchmark::State &state, int items, int keys) {
  host::Host host;
  std::unique_ptr<host::LoadedModule> module = host::LoadedModule::load(TAVORIX_MODULE_PATH);
  add_selected_items(host.scene(), items, keys);
  if (host::run_generic(*module, host, "Tavorix:Scan") != AFUNC_OK) throw std::runtime_error("scan failed");
  host.clear_monitor_calls();
  // The stand-in host records every monitor call: a few dozen bytes per item
  // and scan, left to grow rather than paused for.
  for (auto _ : state) benchmark::DoNotOptimize(host::run_generic(*module, host, "Tavorix:Scan"));
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
