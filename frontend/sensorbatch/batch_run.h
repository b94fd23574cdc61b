// The batch's scheduler: runs the job groups (job_plan.h) in worker processes,
// at most `Workers` at a time, each group once the jobs it waits for have
// ended. A worker that crashes or outlives the job time limit is ended; its
// job is reported as failed with the reason, and the group's later jobs go on
// in a fresh worker.
#pragma once

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <vector>

#include "frontend/sensorbatch/worker.h"

namespace sensor::batch {

struct BatchSetup {
  int Workers = 1;
  double JobTimeoutSeconds = 0.0;  // 0: no limit
  WorkerSetup Worker;
};

struct JobResult {
  // The worker's report, with "failure" added for a failed job; for a job
  // that did not end by itself "exit" is null and "wall" the time until its
  // worker ended.
  nlohmann::ordered_json Report;
  bool Passed = false;  // exit code 0
};

// Runs every job; `finished(index, result)` is called as each one ends, in the
// order they end.
void RunBatch(std::vector<Job>& jobs, const std::vector<JobPlan>& plans, const BatchSetup& setup,
              const std::function<void(std::size_t, JobResult)>& finished);

}  // namespace sensor::batch
