#include "frontend/sensorbatch/batch_program.h"

#include <string.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "frontend/common/diagnostics.h"
#include "frontend/common/file_writer.h"
#include "frontend/sensorbatch/batch_run.h"
#include "frontend/sensorbatch/job_class.h"
#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_plan.h"
#include "frontend/sensorbatch/processor_share.h"
#include "frontend/sensorbatch/program_catalog.h"
#include "frontend/sensorbatch/progress_line.h"
#include "frontend/sensorbatch/report_page.h"
#include "frontend/sensorbatch/resume.h"
#include "frontend/sensorbatch/shard.h"
#include "frontend/sensorbatch/stop_signals.h"
#include "frontend/sensorbatch/summary_writer.h"
#include "frontend/station/paths.h"

namespace sensor::batch {
namespace {

namespace fs = std::filesystem;

// A job's row of the page, from its record and class.
PageJob PageRow(const Job& job, const JobPlan& plan, const JobRecord& record, const JobClass& jobClass) {
  PageJob row;
  row.Line = job.Line;
  row.Program = job.Program;
  row.Picture = plan.Picture;
  row.Verdict = jobClass.Verdict;
  row.Details = jobClass.Reason;
  row.ReviewImage = record.ReviewImage.value_or(std::string());
  return row;
}

// The row of a job an earlier run did, from its summary line (its class and
// reason as that run gave them).
PageJob EarlierPageRow(const Job& job, const JobPlan& plan, const std::string& line) {
  JobRecord record = RecordFromJson(line).value_or(JobRecord());
  std::error_code error;
  if (!plan.ReviewImage.empty() && fs::exists(plan.ReviewImage, error)) record.ReviewImage = plan.ReviewImage;
  return PageRow(job, plan, record, ClassifyJob(record));
}

// Opens the summary or the page, named `name`, as a replacement that takes the
// name when complete; false, with the diagnostic written, when it cannot be.
bool OpenOutput(const std::string& name, frontend::FileReplacement& out, std::string& path) {
  std::error_code error;
  path = fs::absolute(name, error).string();
  std::string problem;
  if (out.Open(path, problem)) return true;
  RefuseBatch(name + ": cannot be written (" + problem + ")");
  return false;
}

}  // namespace

int RefuseBatch(const std::string& problem) {
  frontend::WriteDiagnosticLine("sensorbatch", problem);
  return kRefused;
}

int RunBatchProgram(const BatchOptions& options) {
  std::string problem;
  if (!CatchStopSignals(problem)) return RefuseBatch(problem);
  const bool fromStandardInput = *options.Jobs == kStandardInput;
  const std::string jobFileName = JobFileName(*options.Jobs);

  auto read = ReadJobFile(*options.Jobs, ProgramNames());
  if (const std::string* refused = std::get_if<std::string>(&read)) return RefuseBatch(*refused);
  const std::vector<Job> jobs =
      TakeShard(std::move(std::get<std::vector<Job>>(read)), options.ShardIndex, options.ShardCount);

  // The summary and the page take their names only when complete; until then
  // an earlier summary stays as it was (-Resume reads it).
  frontend::FileReplacement summary;
  std::string summaryPath;
  if (options.Summary && !OpenOutput(*options.Summary, summary, summaryPath)) return kRefused;
  frontend::FileReplacement page;
  std::string pagePath;
  if (options.ReportPage && !OpenOutput(*options.ReportPage, page, pagePath)) return kRefused;
  const std::string pageFolder = options.ReportPage ? fs::path(pagePath).parent_path().string() : std::string();

  // Every job's paths are resolved as its program would resolve them when
  // started in the job file's folder (jobs from standard input: the working
  // directory).
  if (!fromStandardInput) {
    std::error_code error;
    const fs::path jobFolder = fs::absolute(*options.Jobs, error).parent_path();
    if (error || chdir(jobFolder.c_str()) != 0) {
      return RefuseBatch(jobFolder.string() + ": cannot be entered");
    }
  }

  const std::string programDirectory = frontend::RefreshModulePaths().Directory;
  std::vector<JobPlan> plans;
  for (const Job& job : jobs) plans.push_back(PlanJob(job, programDirectory));

  std::vector<std::optional<EarlierLine>> done(jobs.size());
  if (options.Resume) done = DoneEarlier(summaryPath, jobs, plans);
  std::vector<Job> toRun;
  std::vector<JobPlan> toRunPlans;
  std::vector<std::size_t> toRunIndex;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (done[i]) continue;
    toRun.push_back(jobs[i]);
    toRunPlans.push_back(plans[i]);
    toRunIndex.push_back(i);
  }

  const ProcessorShare share =
      ShareProcessors(UsableProcessors(), options.Workers, GroupJobs(toRunPlans).size());
  BatchSetup setup;
  setup.Workers = share.Workers;
  setup.JobTimeoutSeconds = options.JobTimeoutSeconds;
  setup.Worker.ProgramDirectory = programDirectory;
  setup.Worker.AnalysisThreads = share.AnalysisThreads;
  setup.Worker.PageDetails = options.ReportPage.has_value();

  SummaryWriter writer(options.Summary ? &summary : nullptr, jobs.size());
  bool allPassed = true;
  std::vector<std::optional<PageJob>> rows(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (!done[i]) continue;
    if (options.ReportPage) rows[i] = EarlierPageRow(jobs[i], plans[i], done[i]->Text);
    allPassed = allPassed && done[i]->Exit == 0;
    writer.Add(i, done[i]->Text);
  }
  std::size_t ended = 0;
  ProgressLine progress(toRun.size());
  RunBatch(toRun, toRunPlans, setup, [&](std::size_t k, JobRecord record) {
    const std::size_t index = toRunIndex[k];
    const Job& job = jobs[index];
    ++ended;
    const JobClass jobClass = ClassifyJob(record);
    if (options.ReportPage) rows[index] = PageRow(job, plans[index], record, jobClass);
    if (!record.Passed()) allPassed = false;
    // Each job that could not judge, with its reason (the worker's runs keep quiet).
    if (jobClass.Verdict == PageVerdict::Error) {
      frontend::WriteDiagnosticLine(jobFileName + ":" + std::to_string(job.Line),
                                    job.Program + ": " + jobClass.Reason);
    }
    progress.JobEnded(jobClass.Verdict);
    writer.Add(index, SummaryLine(job, plans[index].Picture, record, jobClass));
  });
  progress.Close();
  writer.Close();
  if (options.Summary && !summary.Commit(problem)) {
    return RefuseBatch(*options.Summary + ": cannot be written (" + problem + ")");
  }
  if (options.ReportPage) {
    std::vector<PageJob> shown;
    for (std::optional<PageJob>& row : rows) {
      if (row) shown.push_back(std::move(*row));
    }
    page.Write(FormatReportPage(jobFileName, shown, pageFolder));
    if (!page.Commit(problem)) return RefuseBatch(*options.ReportPage + ": cannot be written (" + problem + ")");
  }
  if (const int signal = FirstStopSignal(); signal != 0) {
    std::fprintf(stderr, "sensorbatch: stopped by %s after %zu of %zu jobs%s\n", strsignal(signal),
                 ended + (jobs.size() - toRun.size()), jobs.size(),
                 options.Summary ? "; the same command with -Resume does the rest" : "");
    return 128 + signal;
  }
  return allPassed ? kAllPassed : kSomeFailed;
}

}  // namespace sensor::batch
