// Page faults per timed run: the first touch of fresh memory costs about 10
// microseconds per 4 KiB page on a virtual machine, more than the arithmetic
// of most runs, so every benchmark reports how many it took ("faults" per
// iteration). A route that reuses its buffers shows none.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace sensor::bench {

// Minor and major page faults of the calling thread so far.
inline long ThreadPageFaults() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

// Sets the "faults" counter: faults since `before` per iteration.
inline void ReportPageFaults(benchmark::State& state, long before) {
  state.counters["faults"] = benchmark::Counter(static_cast<double>(ThreadPageFaults() - before),
                                                benchmark::Counter::kAvgIterations);
}

}  // namespace sensor::bench
