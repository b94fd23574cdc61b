// -Shard I/N: the jobs of one shard, so that N shards together run every job
// once.
#pragma once

#include <vector>

#include "frontend/sensorbatch/job_file.h"

namespace sensor::batch {

// Jobs I, I+N, I+2N, ... of `all` (I 1-based, 1 <= I <= N).
std::vector<Job> TakeShard(std::vector<Job> all, int index, int count);

}  // namespace sensor::batch
