// How a batch job ended, for the summary, the page and the progress line: the
// class its run gave (PASS, FAIL or ERROR, with the reason), or ERROR with the
// batch's own reason for a run that gave none (a worker that crashed or ran
// out of time, a run that ended before its start-up).
#pragma once

#include <string>

#include "frontend/sensorbatch/job_record.h"
#include "frontend/sensorbatch/report_page.h"

namespace sensor::batch {

struct JobClass {
  PageVerdict Verdict = PageVerdict::Error;
  std::string Reason;  // empty for PASS
};

// From a job's record: its run's class and reason, else its failure.
JobClass ClassifyJob(const JobRecord& record);

}  // namespace sensor::batch
