// End to end through the built tavorix.p in the stand-in host: "Tavorix:Scan",
// "Tavorix:InferiorAngle", "Tavorix:SuperiorAngle" and one real-time
// correction of "Tavorix:RealTime", for scenes of 1, 100 and 10,000 selected
// items with 10, 1,000, 10,000 and 100,000 keys per rotation channel (scenes
// above 10^7 keys per channel are left out).
//
// Names: <Command>/items:<I>/keys:<K>. The rate "keys/s" counts key triples
// (one key in each rotation channel) that the command rewrote: items × keys
// for a scan, one per item for the other commands, which act at the current
// time only.
//
// ScanCold/<items>/<keys> is the scan with the scene's keys flushed from the
// processor's caches before each repeat (scenes up to 10^6 keys per channel):
// repeating a scan on a scene that fits in cache otherwise measures it cached
// by the repeat before, which a scan run once on a loaded scene is not.
//
// RealTimeCold is the real-time step with the keys it writes (those at the
// current time) flushed from the caches first: 100 items' keys otherwise stay
// cached from one step to the next, 10,000 items' keys spread over a large
// scene do not.
//
// ScanThreads/threads:<T> runs the scan of 100 items × 10,000 keys with the
// process limited to T threads by a tbb::global_control, which the module's
// own task scheduler obeys (it shares the task library with the host
// process). "worker_cpu" is the share of the scan's CPU time spent on threads
// other than the host's, so a limit of 1 shows 0 there. ScanSpeedUp times
// both limits in turn and reports the speed-up from 1 to 2 threads.
//
// Memory: operator new is counted in this program (on Linux the module
// resolves it here too; a Windows DLL keeps its own, so there the counts are
// the host's alone). Each Scan reports the bytes allocated to build its scene
// ("scene_MB": the items and their channels, almost all of it keys), the
// most a scan allocated on top of what was already allocated
// ("scan_peak_MB"), and their ratio ("peak/scene").
//
// Real time: scan and the angle commands run work on the task scheduler's
// threads, so their time is wall-clock time. The real-time correction is
// timed by hand around the one command, of every N with N items tracked,
// that carries the step; the other N - 1 commands are only counted by the
// module and are not timed.

#include <benchmark/benchmark.h>
#include <tbb/global_control.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "host/host.h"
#include "loader/master_handlers.h"
#include "loader/module_loader.h"
#include "scene/scene.h"

// ---- Counting operator new ---------------------------------------------------

#include "bench/bench_platform.h"
#include "bench_paths.h"
#include "cold_scene.h"
#include "flipping_scene.h"

namespace {

using bench_support::add_selected_items;
using bench_support::process_cpu_seconds;
using bench_support::thread_cpu_seconds;

std::atomic<std::int64_t> g_allocated_bytes{0};
std::atomic<std::int64_t> g_peak_bytes{0};

void note_allocation(std::size_t bytes) {
  const auto size = static_cast<std::int64_t>(bytes);
  const std::int64_t now = g_allocated_bytes.fetch_add(size, std::memory_order_relaxed) + size;
  std::int64_t peak = g_peak_bytes.load(std::memory_order_relaxed);
  while (now > peak && !g_peak_bytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void note_release(std::size_t bytes) {
  g_allocated_bytes.fetch_sub(static_cast<std::int64_t>(bytes), std::memory_order_relaxed);
}

void *counted_allocate(std::size_t size) {
  void *p = bench_support::allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  note_allocation(bench_support::allocated_size(p));
  return p;
}

void *counted_allocate(std::size_t size, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  void *p = bench_support::allocate_aligned(size, align);
  if (p == nullptr) throw std::bad_alloc();
  note_allocation(bench_support::allocated_size_aligned(p, align));
  return p;
}

void counted_free(void *p) noexcept {
  if (p == nullptr) return;
  note_release(bench_support::allocated_size(p));
  bench_support::release(p);
}

void counted_free(void *p, std::align_val_t alignment) noexcept {
  if (p == nullptr) return;
  note_release(bench_support::allocated_size_aligned(p, static_cast<std::size_t>(alignment)));
  bench_support::release_aligned(p);
}

}  // namespace

void *operator new(std::size_t size) { return counted_allocate(size); }
void *operator new[](std::size_t size) { return counted_allocate(size); }
void *operator new(std::size_t size, std::align_val_t a) { return counted_allocate(size, a); }
void *operator new[](std::size_t size, std::align_val_t a) { return counted_allocate(size, a); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return counted_allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return counted_allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void *p) noexcept { counted_free(p); }
void operator delete[](void *p) noexcept { counted_free(p); }
void operator delete(void *p, std::size_t) noexcept { counted_free(p); }
void operator delete[](void *p, std::size_t) noexcept { counted_free(p); }
void operator delete(void *p, std::align_val_t a) noexcept { counted_free(p, a); }
void operator delete[](void *p, std::align_val_t a) noexcept { counted_free(p, a); }
void operator delete(void *p, std::size_t, std::align_val_t a) noexcept { counted_free(p, a); }
void operator delete[](void *p, std::size_t, std::align_val_t a) noexcept { counted_free(p, a); }

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr const char *kRotationStep = "AddRotation 0.5 0.25 0.125";

// ---- Scenes ------------------------------------------------------------------

// One scene with the module loaded, kept from one benchmark to the next while
// they ask for the same size: building the largest scenes takes longer than
// measuring them.
struct Stage {
  Stage(int item_count, int key_count) : items(item_count), keys(key_count) {
    const std::int64_t before = g_allocated_bytes.load();
    add_selected_items(host.scene(), items, keys);
    scene_bytes = g_allocated_bytes.load() - before;
    module = loader::LoadedModule::load(bench_support::paths::module_file());
  }
  int run(const char *server) { return loader::run_generic(*module, host, server); }

  int items;
  int keys;
  std::int64_t scene_bytes = 0;  // the items, their channels and keys
  host::Host host;
  std::unique_ptr<loader::LoadedModule> module;
};

std::unique_ptr<Stage> &current_stage() {
  static std::unique_ptr<Stage> stage;
  return stage;
}

Stage &stage_for(int items, int keys) {
  std::unique_ptr<Stage> &stage = current_stage();
  if (!stage || stage->items != items || stage->keys != keys) {
    stage.reset();  // frees the previous scene first
    stage = std::make_unique<Stage>(items, keys);
  }
  return *stage;
}

void run_or_throw(Stage &stage, const char *server) {
  if (stage.run(server) != AFUNC_OK) throw std::runtime_error(std::string(server) + " failed");
}

void set_key_rate(benchmark::State &state, double triples_per_iteration) {
  state.counters["keys/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * triples_per_iteration, benchmark::Counter::kIsRate);
}

// ---- Benchmarks --------------------------------------------------------------

// `cold`: the scene's keys are flushed from the caches before each scan.
void Scan(benchmark::State &state, int items, int keys, bool cold) {
  Stage &stage = stage_for(items, keys);
  run_or_throw(stage, "Tavorix:Scan");  // removes the flips; later scans do the same work
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      bench_support::flush_scene_from_cache(stage.host.scene());
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(stage.run("Tavorix:Scan"));
    state.PauseTiming();
    stage.host.clear_monitor_calls();
    state.ResumeTiming();
  }
  set_key_rate(state, static_cast<double>(items) * keys);

  // One more scan, untimed, for its memory.
  const std::int64_t before = g_allocated_bytes.load();
  g_peak_bytes.store(before);
  run_or_throw(stage, "Tavorix:Scan");
  const std::int64_t peak = g_peak_bytes.load() - before;
  stage.host.clear_monitor_calls();
  state.counters["scene_MB"] = static_cast<double>(stage.scene_bytes) / kMegabyte;
  state.counters["scan_peak_MB"] = static_cast<double>(peak) / kMegabyte;
  state.counters["peak/scene"] = static_cast<double>(peak) / static_cast<double>(stage.scene_bytes);
}

void AngleCommand(benchmark::State &state, int items, int keys, const char *server) {
  Stage &stage = stage_for(items, keys);
  for (auto _ : state) benchmark::DoNotOptimize(stage.run(server));
  set_key_rate(state, items);
}

// `cold`: the keys the step writes are flushed from the caches before it.
void RealTime(benchmark::State &state, int items, int keys, bool cold) {
  Stage &stage = stage_for(items, keys);
  loader::MasterHandlers handlers(stage.host);  // goes before the module is unloaded
  handlers.add(*stage.module, "Tavorix:RealTime");
  // Starts tracking (the collection) and completes the first group.
  for (int i = 0; i < items; ++i) handlers.command(kRotationStep);
  double step_cpu = 0.0;
  for (auto _ : state) {
    for (int i = 1; i < items; ++i) handlers.command(kRotationStep);
    if (cold) bench_support::flush_keys_at_from_cache(stage.host.scene(), 0.0);
    const double cpu_start = thread_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    handlers.command(kRotationStep);
    const auto end = std::chrono::steady_clock::now();
    step_cpu += thread_cpu_seconds() - cpu_start;
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    stage.host.clear_commands();  // the recorded "RefreshNow"
  }
  set_key_rate(state, items);
  // CPU time of the step on the host's thread: on a busy machine the
  // wall-clock time above also holds time spent waiting for a core.
  if (state.iterations() > 0) {
    state.counters["step_cpu_us"] = 1e6 * step_cpu / static_cast<double>(state.iterations());
  }
}

void ScanThreads(benchmark::State &state, int items, int keys) {
  const auto threads = static_cast<std::size_t>(state.range(0));
  Stage &stage = stage_for(items, keys);
  tbb::global_control limit(tbb::global_control::max_allowed_parallelism, threads);
  run_or_throw(stage, "Tavorix:Scan");
  double process_cpu = 0.0, host_thread_cpu = 0.0;
  for (auto _ : state) {
    const double process_start = process_cpu_seconds(), thread_start = thread_cpu_seconds();
    benchmark::DoNotOptimize(stage.run("Tavorix:Scan"));
    process_cpu += process_cpu_seconds() - process_start;
    host_thread_cpu += thread_cpu_seconds() - thread_start;
    state.PauseTiming();
    stage.host.clear_monitor_calls();
    state.ResumeTiming();
  }
  set_key_rate(state, static_cast<double>(items) * keys);
  state.counters["worker_cpu"] = process_cpu > 0.0 ? (process_cpu - host_thread_cpu) / process_cpu : 0.0;
}

// The scan limited to 1 and to 2 threads in turn, in the same iterations. An
// iteration on a shared machine can lose its second core to other work, so
// the speed-up ("speedup") compares the fastest iteration of each
// ("1thread_ms", "2threads_ms"); "speedup_mean" compares the means.
// "speedup_cpu" is what the split of the work allows on two idle cores: the
// CPU time of the 1-thread scan over that of the busier of the two threads
// (host thread or worker) of the 2-thread scan.
void ScanSpeedUp(benchmark::State &state, int items, int keys) {
  Stage &stage = stage_for(items, keys);
  run_or_throw(stage, "Tavorix:Scan");
  struct Timing {
    double wall = 0.0, host_cpu = 0.0, other_cpu = 0.0;
  };
  auto timed_scan = [&stage](std::size_t threads) {
    tbb::global_control limit(tbb::global_control::max_allowed_parallelism, threads);
    const double process_start = process_cpu_seconds(), thread_start = thread_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    run_or_throw(stage, "Tavorix:Scan");
    const auto end = std::chrono::steady_clock::now();
    Timing t;
    t.wall = std::chrono::duration<double>(end - start).count();
    t.host_cpu = thread_cpu_seconds() - thread_start;
    t.other_cpu = process_cpu_seconds() - process_start - t.host_cpu;
    stage.host.clear_monitor_calls();
    return t;
  };
  double best[2] = {1e300, 1e300}, total[2] = {0.0, 0.0}, cpu_one = 0.0, cpu_busier_of_two = 0.0;
  bool one_first = true;
  for (auto _ : state) {
    Timing t[2];
    if (one_first) {
      t[0] = timed_scan(1);
      t[1] = timed_scan(2);
    } else {
      t[1] = timed_scan(2);
      t[0] = timed_scan(1);
    }
    for (int i = 0; i < 2; ++i) {
      best[i] = std::min(best[i], t[i].wall);
      total[i] += t[i].wall;
    }
    cpu_one += t[0].host_cpu + t[0].other_cpu;
    cpu_busier_of_two += std::max(t[1].host_cpu, t[1].other_cpu);
    one_first = !one_first;
  }
  state.counters["1thread_ms"] = 1e3 * best[0];
  state.counters["2threads_ms"] = 1e3 * best[1];
  state.counters["speedup"] = best[0] / best[1];
  state.counters["speedup_mean"] = total[0] / total[1];
  state.counters["speedup_cpu"] = cpu_busier_of_two > 0.0 ? cpu_one / cpu_busier_of_two : 0.0;
}

struct Size {
  int items;
  int keys;
};

// Every combination of 1, 100, 10,000 items and 10 to 100,000 keys up to 10^7
// keys per channel, grouped by scene so each is built once.
constexpr Size kSizes[] = {{1, 10},     {1, 1000},    {1, 10000},    {1, 100000}, {100, 10},
                           {100, 1000}, {100, 10000}, {100, 100000}, {10000, 10}, {10000, 1000}};

// Flushing takes about as long as the scan itself: cold scans are run up to
// this many keys per channel in all.
constexpr double kLargestColdScan = 1e6;

std::string size_name(const char *command, const Size &size) {
  return std::string(command) + "/items:" + std::to_string(size.items) + "/keys:" + std::to_string(size.keys);
}

bool register_end_to_end() {
  for (const Size &size : kSizes) {
    const int items = size.items, keys = size.keys;
    benchmark::RegisterBenchmark(size_name("Scan", size).c_str(),
                                 [=](benchmark::State &s) { Scan(s, items, keys, false); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    if (static_cast<double>(items) * keys <= kLargestColdScan) {
      benchmark::RegisterBenchmark(size_name("ScanCold", size).c_str(),
                                   [=](benchmark::State &s) { Scan(s, items, keys, true); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
    benchmark::RegisterBenchmark(
        size_name("InferiorAngle", size).c_str(),
        [=](benchmark::State &s) { AngleCommand(s, items, keys, "Tavorix:InferiorAngle"); })
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(
        size_name("SuperiorAngle", size).c_str(),
        [=](benchmark::State &s) { AngleCommand(s, items, keys, "Tavorix:SuperiorAngle"); })
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(size_name("RealTime", size).c_str(),
                                 [=](benchmark::State &s) { RealTime(s, items, keys, false); })
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark(size_name("RealTimeCold", size).c_str(),
                                 [=](benchmark::State &s) { RealTime(s, items, keys, true); })
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    if (items == 100 && keys == 10000) {
      benchmark::RegisterBenchmark("ScanThreads/items:100/keys:10000",
                                   [=](benchmark::State &s) { ScanThreads(s, items, keys); })
          ->ArgName("threads")
          ->Arg(1)
          ->Arg(2)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      benchmark::RegisterBenchmark("ScanSpeedUp/items:100/keys:10000",
                                   [=](benchmark::State &s) { ScanSpeedUp(s, items, keys); })
          ->Iterations(6)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  // The same on a small scene, for the smoke run of the build.
  benchmark::RegisterBenchmark("ScanThreadsSmoke", [](benchmark::State &s) { ScanThreads(s, 2, 100); })
      ->Arg(1)
      ->Arg(2)
      ->UseRealTime();
  benchmark::RegisterBenchmark("ScanSpeedUpSmoke", [](benchmark::State &s) { ScanSpeedUp(s, 2, 100); })
      ->Iterations(2)
      ->UseRealTime();
  return true;
}

[[maybe_unused]] const bool registered = register_end_to_end();

}  // namespace
