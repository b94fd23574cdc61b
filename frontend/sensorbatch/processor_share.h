// How the batch shares the processors it may use between its worker processes
// and the analyses' own threads, so that together they do not oversubscribe
// the machine. The share each worker gets is handed on in SENSOR_THREADS,
// the number of threads its analyses then run (a variable set by the caller
// is left alone). This is the one place that decides it.
#pragma once

#include <cstddef>
#include <optional>

namespace sensor::batch {

// The processors this process may run on (its affinity mask), at least 1.
int UsableProcessors();

struct ProcessorShare {
  int Workers = 1;          // worker processes at a time
  int AnalysisThreads = 1;  // threads each worker's analyses may use
};

// `workers` asked for (default: one per processor), but no more than there are
// job groups to run (a group runs in one worker, so further workers would only
// idle); each worker's analyses get an equal part of the processors, at least
// one thread. The station's tests of one picture, one group, thus run with
// every processor.
ProcessorShare ShareProcessors(int processors, std::optional<int> workers, std::size_t groups);

// In a worker: hands its share to the analyses it runs.
void HandOnAnalysisThreads(int threads);

}  // namespace sensor::batch
