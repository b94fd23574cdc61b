// -Resume: which jobs an earlier run's summary reports as done, so that they
// need not run again.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/sensorbatch/earlier_summary.h"
#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_plan.h"

namespace sensor::batch {

// For each job, its line in the summary at `summaryPath` when the job need not
// run again: the line says the run ended by itself, the files it names are
// there (all of them after a pass; the status file after a failure, which may
// have stopped before the others), and no earlier job that runs again writes
// what it writes (so that every file ends as the jobs in file order leave
// it). Without a summary every job runs.
std::vector<std::optional<EarlierLine>> DoneEarlier(const std::string& summaryPath,
                                                    const std::vector<Job>& jobs,
                                                    const std::vector<JobPlan>& plans);

}  // namespace sensor::batch
