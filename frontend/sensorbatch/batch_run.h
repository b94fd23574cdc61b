// The batch's scheduler: runs the job groups (job_plan.h) in worker processes,
// at most `Workers` at a time, each group once the jobs it waits for have
// ended. A worker that crashes or outlives the job time limit is ended; its
// job is reported as failed with the reason, and the group's later jobs go on
// in a fresh worker.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "frontend/sensorbatch/job_record.h"
#include "frontend/sensorbatch/worker.h"

namespace sensor::batch {

struct BatchSetup {
  int Workers = 1;
  double JobTimeoutSeconds = 0.0;  // 0: no limit
  WorkerSetup Worker;
};

// Runs every job; `finished(index, record)` is called as each one ends, in the
// order they end, with the worker's record of it and the failure of a job that
// did not exit 0; for a job that did not end by itself the exit is none and
// the wall time the time until its worker ended.
void RunBatch(std::vector<Job>& jobs, const std::vector<JobPlan>& plans, const BatchSetup& setup,
              const std::function<void(std::size_t, JobRecord)>& finished);

}  // namespace sensor::batch
