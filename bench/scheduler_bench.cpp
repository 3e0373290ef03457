// What every command of the module pays for its task scheduler scope
// (module/scheduler_scope.h): the scheduler's worker threads started for the
// command's parallel work and waited for at its end, so that none outlives
// the call. "SchedulerPerCommand" is a parallel loop of 1,000 small steps
// inside such a scope; "SchedulerKept" the same loop with the scheduler left
// running from one call to the next, as it would be without the scope.

#include <benchmark/benchmark.h>
#include <tbb/parallel_for.h>

#include <atomic>

#include "module/scheduler_scope.h"

namespace {

void parallel_steps(std::atomic<long> &sink) {
  tbb::parallel_for(0, 1000, [&sink](int step) { sink.fetch_add(step, std::memory_order_relaxed); });
}

void SchedulerPerCommand(benchmark::State &state) {
  std::atomic<long> sink{0};
  for (auto _ : state) {
    KeyFrame::SchedulerScope scheduler;
    parallel_steps(sink);
  }
  benchmark::DoNotOptimize(sink.load());
}
BENCHMARK(SchedulerPerCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void SchedulerKept(benchmark::State &state) {
  std::atomic<long> sink{0};
  for (auto _ : state) parallel_steps(sink);
  benchmark::DoNotOptimize(sink.load());
}
BENCHMARK(SchedulerKept)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
