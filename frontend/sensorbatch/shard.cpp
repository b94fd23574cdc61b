#include "frontend/sensorbatch/shard.h"

#include <cstddef>

namespace sensor::batch {

std::vector<Job> TakeShard(std::vector<Job> all, int index, int count) {
  std::vector<Job> jobs;
  for (std::size_t i = static_cast<std::size_t>(index - 1); i < all.size(); i += static_cast<std::size_t>(count)) {
    jobs.push_back(std::move(all[i]));
  }
  return jobs;
}

}  // namespace sensor::batch
