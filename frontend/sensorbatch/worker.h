// A worker process of the batch: runs a group's jobs one after another through
// their programs' own run sequence, with the key wait never done, console
// output dropped, and the group's picture read once (picture_cache.h), and
// reports each finished job's record (job_record.h) as one JSON line on a pipe.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_plan.h"

namespace sensor::batch {

struct WorkerSetup {
  std::string ProgramDirectory;  // the directory the runs count as their program's
  int AnalysisThreads = 1;
  // Each job's record names the review image it wrote, for the batch's page.
  bool PageDetails = false;
};

// Runs the jobs `order` names, in that order, and writes each one's record (its
// exit code, what its status file reports, its wall time) to `resultFd`; then
// ends the process.
[[noreturn]] void RunWorker(std::vector<Job>& jobs, const std::vector<JobPlan>& plans,
                            const std::vector<std::size_t>& order, int resultFd,
                            const WorkerSetup& setup);

}  // namespace sensor::batch
