#include "frontend/sensorbatch/job_plan.h"

#include <algorithm>
#include <unordered_map>

#include "frontend/sensorbatch/program_catalog.h"

namespace sensor::batch {

std::vector<char*> ArgumentVector(Job& job) {
  std::vector<char*> argv;
  argv.push_back(job.Program.data());
  for (std::string& argument : job.Arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return argv;
}

JobPlan PlanJob(Job job, const std::string& programDirectory) {
  JobPlan plan;
  const frontend::ProgramEntry* program = FindProgram(job.Program);
  if (program == nullptr) return plan;
  std::vector<char*> argv = ArgumentVector(job);
  const frontend::CommonOptions options =
      program->ReadOptions(static_cast<int>(argv.size()) - 1, argv.data());
  if (options.BMPFileIn) plan.Picture = *options.BMPFileIn;
  if (options.OutputFile) plan.Writes.push_back(*options.OutputFile);
  if (options.LogFile) plan.Writes.push_back(*options.LogFile);
  // Each program writes files of its own names into its folder.
  const std::string folder =
      options.OutputFolder
          ? frontend::NormalisedFolder(*options.OutputFolder, frontend::WorkingDirectory())
          : programDirectory;
  plan.Writes.push_back(folder + "\n" + job.Program);
  return plan;
}

std::vector<JobGroup> GroupJobs(const std::vector<JobPlan>& plans) {
  std::vector<JobGroup> groups;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const bool joins = !groups.empty() && !plans[i].Picture.empty() &&
                       plans[i].Picture == plans[i - 1].Picture;
    if (joins) {
      groups.back().End = i + 1;
    } else {
      groups.push_back(JobGroup{i, i + 1, {}});
    }
  }
  // The last job before each group that writes what one of its jobs writes;
  // jobs writing the same file wait for each other in file order.
  std::unordered_map<std::string, std::size_t> lastWriter;
  for (JobGroup& group : groups) {
    for (std::size_t i = group.First; i < group.End; ++i) {
      for (const std::string& written : plans[i].Writes) {
        const auto found = lastWriter.find(written);
        if (found != lastWriter.end() && found->second < group.First) {
          group.After.push_back(found->second);
        }
      }
    }
    for (std::size_t i = group.First; i < group.End; ++i) {
      for (const std::string& written : plans[i].Writes) lastWriter[written] = i;
    }
    std::sort(group.After.begin(), group.After.end());
    group.After.erase(std::unique(group.After.begin(), group.After.end()), group.After.end());
  }
  return groups;
}

}  // namespace sensor::batch
