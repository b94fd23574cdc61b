// sensorbatch: runs many test program runs, listed in a job file, in worker
// processes (README, doc/man/sensorbatch.1).
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>

#include "frontend/common/diagnostics.h"
#include "frontend/common/paths.h"
#include "frontend/common/version_report.h"
#include "frontend/sensorbatch/batch_options.h"
#include "frontend/sensorbatch/batch_run.h"
#include "frontend/sensorbatch/job_class.h"
#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_plan.h"
#include "frontend/sensorbatch/processor_share.h"
#include "frontend/sensorbatch/program_catalog.h"
#include "frontend/sensorbatch/progress_line.h"
#include "frontend/sensorbatch/report_page.h"

namespace {

using namespace sensor::batch;
namespace fs = std::filesystem;

constexpr int kAllPassed = 0;
constexpr int kSomeFailed = 1;
constexpr int kRefused = 2;

int Refuse(const std::string& problem) {
  sensor::frontend::WriteDiagnosticLine("sensorbatch", problem);
  return kRefused;
}

// Writes the summary lines in job order as soon as every earlier job has ended.
class SummaryWriter {
 public:
  explicit SummaryWriter(std::ofstream* out) : out_(out) {}
  void Add(std::size_t index, std::string line) {
    pending_.emplace(index, std::move(line));
    while (!pending_.empty() && pending_.begin()->first == next_) {
      if (out_ != nullptr) *out_ << pending_.begin()->second << '\n' << std::flush;
      pending_.erase(pending_.begin());
      ++next_;
    }
  }

 private:
  std::ofstream* out_;
  std::map<std::size_t, std::string> pending_;
  std::size_t next_ = 0;
};

// A job's row of the page, from its result and class; takes out the worker's
// page details, so that the summary line stays as it is without the page.
PageJob TakePageJob(const Job& job, const JobPlan& plan, JobResult& result, const JobClass& jobClass) {
  nlohmann::ordered_json& report = result.Report;
  PageJob row;
  row.Line = job.Line;
  row.Program = job.Program;
  row.Picture = plan.Picture;
  row.Verdict = jobClass.Verdict;
  row.Details = jobClass.Reason;
  row.ReviewImage = report.value("reviewImage", std::string());
  report.erase("failing");
  report.erase("reviewImage");
  return row;
}

// --help, or --version: the batch's version and those of the libraries beside it.
std::string FormatBatchInformation(const BatchOptions& options) {
  if (*options.Information == sensor::frontend::InformationRequest::Help) return FormatBatchHelp(options);
  std::string text = sensor::frontend::ProgramVersionLine("sensorbatch");
  const std::string folder = sensor::frontend::RefreshModulePaths().Directory;
  for (const sensor::frontend::ProgramEntry& program : Programs()) {
    const std::string library = folder + program.LibraryFileName;
    const auto version = sensor::frontend::ReadProductVersion(library);
    text += version ? sensor::frontend::FormatVersionLine(library, *version, sensor::frontend::IsWow64())
                    : library + ": no version record can be read\n";
  }
  return text;
}

int RunBatchProgram(int argc, char** argv) {
  const BatchOptions options = ParseBatchOptions(argc, argv);
  if (options.Information) {
    std::fputs(FormatBatchInformation(options).c_str(), stdout);
    return kAllPassed;
  }
  if (!options.Problems.empty()) {
    for (const std::string& problem : options.Problems) Refuse(problem);
    std::fputs(kBatchUsage, stderr);
    return kRefused;
  }

  auto read = ReadJobFile(*options.Jobs, ProgramNames());
  if (const std::string* problem = std::get_if<std::string>(&read)) return Refuse(*problem);
  std::vector<Job> all = std::move(std::get<std::vector<Job>>(read));
  std::vector<Job> jobs;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (static_cast<int>(i % static_cast<std::size_t>(options.ShardCount)) ==
        options.ShardIndex - 1) {
      jobs.push_back(std::move(all[i]));
    }
  }

  std::ofstream summary;
  if (options.Summary) {
    summary.open(*options.Summary, std::ios::binary | std::ios::trunc);
    if (!summary) return Refuse(*options.Summary + ": cannot be written");
  }
  std::ofstream page;
  std::string pageFolder;
  if (options.ReportPage) {
    page.open(*options.ReportPage, std::ios::binary | std::ios::trunc);
    if (!page) return Refuse(*options.ReportPage + ": cannot be written");
    std::error_code pageError;
    pageFolder = fs::absolute(*options.ReportPage, pageError).parent_path().string();
  }

  // Every job's paths are resolved as its program would resolve them when
  // started in the job file's folder.
  std::error_code error;
  const fs::path jobFolder = fs::absolute(*options.Jobs, error).parent_path();
  if (error || chdir(jobFolder.c_str()) != 0) {
    return Refuse(jobFolder.string() + ": cannot be entered");
  }

  const std::string programDirectory = sensor::frontend::RefreshModulePaths().Directory;
  std::vector<JobPlan> plans;
  for (const Job& job : jobs) plans.push_back(PlanJob(job, programDirectory));

  const ProcessorShare share = ShareProcessors(UsableProcessors(), options.Workers, GroupJobs(plans).size());
  BatchSetup setup;
  setup.Workers = share.Workers;
  setup.JobTimeoutSeconds = options.JobTimeoutSeconds;
  setup.Worker.ProgramDirectory = programDirectory;
  setup.Worker.AnalysisThreads = share.AnalysisThreads;
  setup.Worker.PageDetails = options.ReportPage.has_value();

  SummaryWriter writer(options.Summary ? &summary : nullptr);
  ProgressLine progress(jobs.size());
  bool allPassed = true;
  std::vector<PageJob> rows(jobs.size());
  RunBatch(jobs, plans, setup, [&](std::size_t index, JobResult result) {
    const Job& job = jobs[index];
    const JobClass jobClass = ClassifyJob(result.Report);
    if (options.ReportPage) rows[index] = TakePageJob(job, plans[index], result, jobClass);
    nlohmann::ordered_json line;
    line["line"] = job.Line;
    line["program"] = job.Program;
    line["picture"] = plans[index].Picture.empty() ? nlohmann::ordered_json(nullptr)
                                                   : nlohmann::ordered_json(plans[index].Picture);
    line.update(result.Report);
    if (!line.contains("class")) {
      line["class"] = "ERROR";
      line["reason"] = jobClass.Reason;
    }
    if (!result.Passed) allPassed = false;
    // Each job that could not judge, with its reason (the worker's runs keep quiet).
    if (jobClass.Verdict == PageVerdict::Error) {
      sensor::frontend::WriteDiagnosticLine(*options.Jobs + ":" + std::to_string(job.Line),
                                            job.Program + ": " + jobClass.Reason);
    }
    progress.JobEnded(jobClass.Verdict);
    writer.Add(index, line.dump());
  });
  progress.Close();
  if (options.ReportPage) {
    page << FormatReportPage(*options.Jobs, rows, pageFolder) << std::flush;
    if (!page) return Refuse(*options.ReportPage + ": cannot be written");
  }
  return allPassed ? kAllPassed : kSomeFailed;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunBatchProgram(argc, argv);
  } catch (const std::exception& e) {
    sensor::frontend::WriteDiagnosticLine("sensorbatch", e.what());
    return kSomeFailed;
  }
}
