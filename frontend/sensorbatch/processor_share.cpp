#include "frontend/sensorbatch/processor_share.h"

#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

namespace sensor::batch {

int UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

ProcessorShare ShareProcessors(int processors, std::optional<int> workers, std::size_t groups) {
  ProcessorShare share;
  share.Workers = std::max(1, workers.value_or(processors));
  if (groups > 0 && groups < static_cast<std::size_t>(share.Workers)) share.Workers = static_cast<int>(groups);
  share.AnalysisThreads = std::max(1, processors / share.Workers);
  return share;
}

void HandOnAnalysisThreads(int threads) {
  setenv("SENSOR_THREADS", std::to_string(threads).c_str(), 0);
}

}  // namespace sensor::batch
