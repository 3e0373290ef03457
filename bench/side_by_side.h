#pragma once

// Two pieces of work timed in turn inside one benchmark, so that a ratio of
// their costs comes from one run under one load: each iteration runs both
// once, in alternating order, and times each on the calling thread's CPU
// clock where the system keeps one fine enough (time the thread spends
// descheduled on a busy machine is not counted), else on the wall clock
// (bench_platform.h). Reports ns per item for each and `second / first`.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "bench/bench_platform.h"

namespace bench_support {

// `first()` and `second()` each process `items` items per call.
template <typename First, typename Second>
void side_by_side(benchmark::State &state, std::size_t items, const std::string &first_name,
                  const std::string &second_name, First first, Second second) {
  double first_seconds = 0.0, second_seconds = 0.0;
  bool first_leads = true;
  for (auto _ : state) {
    const double t0 = side_by_side_seconds();
    if (first_leads) {
      first();
    } else {
      second();
    }
    const double t1 = side_by_side_seconds();
    if (first_leads) {
      second();
    } else {
      first();
    }
    const double t2 = side_by_side_seconds();
    first_seconds += first_leads ? t1 - t0 : t2 - t1;
    second_seconds += first_leads ? t2 - t1 : t1 - t0;
    first_leads = !first_leads;
  }
  const double calls = static_cast<double>(state.iterations()) * static_cast<double>(items);
  if (calls == 0.0) return;
  state.counters[first_name + "_ns"] = 1e9 * first_seconds / calls;
  state.counters[second_name + "_ns"] = 1e9 * second_seconds / calls;
  state.counters[second_name + "/" + first_name] = second_seconds / first_seconds;
}

}  // namespace bench_support
