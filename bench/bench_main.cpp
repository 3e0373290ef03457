#include <benchmark/benchmark.h>

#include "platform/process_memory.h"

// The benchmarks run as a host process would: with its allocator set up for
// large scenes before anything is allocated.
int main(int argc, char **argv) {
  platform::tune_allocator_for_large_scenes();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
