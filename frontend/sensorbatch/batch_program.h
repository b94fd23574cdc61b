// A batch from its options: reads the job file, takes its shard, plans the
// jobs, keeps what -Resume finds done, runs the rest in workers, and writes
// the summary, the page, the progress line and the diagnostics.
#pragma once

#include <string>

#include "frontend/sensorbatch/batch_options.h"

namespace sensor::batch {

// The batch's exit codes; a batch stopped by a signal exits 128 + its number.
inline constexpr int kAllPassed = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kRefused = 2;

// Writes `problem` as the batch's diagnostic line; kRefused.
int RefuseBatch(const std::string& problem);

// Runs the batch of options that were accepted; its exit code.
int RunBatchProgram(const BatchOptions& options);

}  // namespace sensor::batch
