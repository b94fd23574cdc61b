#include "frontend/sensorbatch/job_plan.h"

#include <algorithm>
#include <filesystem>
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
  plan.Paints = program->PaintsPicture;
  if (options.OutputFile) {
    plan.StatusFile = *options.OutputFile;
    plan.Files.push_back(plan.StatusFile);
  }
  // The named data log is written only with a limits file.
  if (options.LogFile && options.TestLimits) plan.Files.push_back(*options.LogFile);
  plan.KeepsDefectMap = options.KeepDefectMap;
  // The files asked for on the command line (run_products.h), taken against
  // the working directory as the run takes them.
  const frontend::ProductPaths& products = options.Products;
  for (const std::optional<std::string>* path :
       {&products.Report, &products.ReviewImage, &products.DefectMapPng, &products.DefectList}) {
    if (!*path || (*path)->empty()) continue;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(**path, error);
    plan.Files.push_back(error ? **path : absolute.lexically_normal().string());
    if (path == &products.ReviewImage) plan.ReviewImage = plan.Files.back();
  }
  plan.Writes = plan.Files;
  if (options.LogFile && !options.TestLimits) plan.Writes.push_back(*options.LogFile);
  // Each program writes files of its own names into its folder.
  const std::string folder =
      options.OutputFolder
          ? frontend::NormalisedFolder(*options.OutputFolder, frontend::WorkingDirectory())
          : programDirectory;
  plan.Folder = folder;
  plan.Writes.push_back(folder + "\n" + job.Program);
  return plan;
}

namespace {

bool WriteTheSame(const JobPlan& a, const JobPlan& b) {
  for (const std::string& written : a.Writes) {
    if (std::find(b.Writes.begin(), b.Writes.end(), written) != b.Writes.end()) return true;
  }
  return false;
}

// The run order of consecutive jobs [first, end) on one picture: painting jobs
// wait at the end unless a later job writes what they write.
std::vector<std::size_t> RunOrder(const std::vector<JobPlan>& plans, std::size_t first,
                                  std::size_t end) {
  std::vector<std::size_t> order;
  std::vector<std::size_t> held;
  for (std::size_t i = first; i < end; ++i) {
    if (plans[i].Paints) {
      held.push_back(i);
      continue;
    }
    const bool conflicts = std::any_of(held.begin(), held.end(), [&](std::size_t painter) {
      return WriteTheSame(plans[painter], plans[i]);
    });
    if (conflicts) {
      order.insert(order.end(), held.begin(), held.end());
      held.clear();
    }
    order.push_back(i);
  }
  order.insert(order.end(), held.begin(), held.end());
  return order;
}

}  // namespace

std::vector<JobGroup> GroupJobs(const std::vector<JobPlan>& plans) {
  std::vector<JobGroup> groups;
  std::size_t first = 0;
  for (std::size_t i = 1; i <= plans.size(); ++i) {
    const bool joins = i < plans.size() && !plans[i].Picture.empty() &&
                       plans[i].Picture == plans[i - 1].Picture;
    if (joins) continue;
    if (first < i) groups.push_back(JobGroup{RunOrder(plans, first, i), {}});
    first = i;
  }
  // The last job before each group that writes what one of its jobs writes;
  // jobs writing the same file wait for each other in file order (within a
  // group their order is kept).
  std::unordered_map<std::string, std::size_t> lastWriter;
  for (JobGroup& group : groups) {
    const std::size_t groupFirst = *std::min_element(group.Jobs.begin(), group.Jobs.end());
    for (const std::size_t i : group.Jobs) {
      for (const std::string& written : plans[i].Writes) {
        const auto found = lastWriter.find(written);
        if (found != lastWriter.end() && found->second < groupFirst) {
          group.After.push_back(found->second);
        }
      }
    }
    for (const std::size_t i : group.Jobs) {
      for (const std::string& written : plans[i].Writes) {
        auto [entry, added] = lastWriter.try_emplace(written, i);
        if (!added) entry->second = std::max(entry->second, i);
      }
    }
    std::sort(group.After.begin(), group.After.end());
    group.After.erase(std::unique(group.After.begin(), group.After.end()), group.After.end());
  }
  return groups;
}

}  // namespace sensor::batch
