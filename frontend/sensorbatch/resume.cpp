#include "frontend/sensorbatch/resume.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace sensor::batch {

std::vector<std::optional<EarlierLine>> DoneEarlier(const std::string& summaryPath,
                                                    const std::vector<Job>& jobs,
                                                    const std::vector<JobPlan>& plans) {
  namespace fs = std::filesystem;
  std::vector<std::optional<EarlierLine>> done(jobs.size());
  std::ifstream in(summaryPath, std::ios::binary);
  if (!in) return done;  // no summary yet: every job runs
  std::vector<JobKey> keys;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    keys.push_back(JobKey{jobs[i].Line, jobs[i].Program, plans[i].Picture});
  }
  std::vector<std::optional<EarlierLine>> earlier = ReadEarlierSummary(in, keys);
  std::set<std::string> rewritten;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const JobPlan& plan = plans[i];
    bool skip = earlier[i].has_value();
    if (skip) {
      const std::size_t needed = earlier[i]->Exit == 0 ? plan.Files.size() : 0;
      std::error_code error;
      for (std::size_t f = 0; f < needed && skip; ++f) skip = fs::is_regular_file(plan.Files[f], error);
      if (!plan.StatusFile.empty() && !fs::is_regular_file(plan.StatusFile, error)) skip = false;
      for (const std::string& written : plan.Writes) skip = skip && rewritten.count(written) == 0;
    }
    if (skip) {
      done[i] = std::move(earlier[i]);
    } else {
      rewritten.insert(plan.Writes.begin(), plan.Writes.end());
    }
  }
  return done;
}

}  // namespace sensor::batch
