// sensorbatch: runs many test program runs, listed in a job file, in worker
// processes (doc/batch.md, doc/man/sensorbatch.1).
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string.h>

#include "frontend/common/diagnostics.h"
#include "frontend/common/file_writer.h"
#include "frontend/station/paths.h"
#include "frontend/products/shortest_json.h"
#include "frontend/station/version_report.h"
#include "frontend/sensorbatch/batch_options.h"
#include "frontend/sensorbatch/batch_run.h"
#include "frontend/sensorbatch/earlier_summary.h"
#include "frontend/sensorbatch/job_class.h"
#include "frontend/sensorbatch/job_file.h"
#include "frontend/sensorbatch/job_plan.h"
#include "frontend/sensorbatch/processor_share.h"
#include "frontend/sensorbatch/program_catalog.h"
#include "frontend/sensorbatch/progress_line.h"
#include "frontend/sensorbatch/report_page.h"
#include "frontend/sensorbatch/stop_signals.h"

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

// Writes the summary lines in job order as soon as every earlier job has
// ended (a job with no line, not done when the batch stopped, is passed over
// at the end), into a file that takes the summary's name only when complete.
class SummaryWriter {
 public:
  explicit SummaryWriter(sensor::frontend::FileReplacement* out, std::size_t jobs)
      : out_(out), lines_(jobs) {}
  void Add(std::size_t index, std::string line) {
    lines_[index] = std::move(line);
    for (; next_ < lines_.size() && lines_[next_]; ++next_) Write(*lines_[next_]);
  }
  // Writes the lines still waiting for an earlier job that never ended.
  void Close() {
    for (; next_ < lines_.size(); ++next_) {
      if (lines_[next_]) Write(*lines_[next_]);
    }
  }

 private:
  void Write(const std::string& line) {
    if (out_ != nullptr) out_->Write(line + '\n', true);
  }

  sensor::frontend::FileReplacement* out_;
  std::vector<std::optional<std::string>> lines_;
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

// The row of a job an earlier run did, from its summary line (its class and
// reason as that run gave them).
PageJob EarlierPageJob(const Job& job, const JobPlan& plan, const std::string& line) {
  JobResult result;
  result.Report = nlohmann::ordered_json::parse(line, nullptr, false);
  result.Passed = result.Report.value("exit", 1LL) == 0;
  std::error_code error;
  if (!plan.ReviewImage.empty() && fs::exists(plan.ReviewImage, error)) {
    result.Report["reviewImage"] = plan.ReviewImage;
  }
  return TakePageJob(job, plan, result, ClassifyJob(result.Report));
}

// -Resume: the jobs an earlier summary reports that need not run again: its
// line says the run ended by itself, the files it names are there (all of
// them after a pass; the status file after a failure, which may have stopped
// before the others), and no earlier job that runs again writes what it
// writes (so that every file ends as the jobs in file order leave it).
std::vector<std::optional<EarlierLine>> DoneEarlier(const std::string& summaryPath,
                                                    const std::vector<Job>& jobs,
                                                    const std::vector<JobPlan>& plans) {
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
  std::string problem;
  if (!CatchStopSignals(problem)) return Refuse(problem);
  const bool fromStandardInput = *options.Jobs == kStandardInput;
  const std::string jobFileName = JobFileName(*options.Jobs);

  auto read = ReadJobFile(*options.Jobs, ProgramNames());
  if (const std::string* refused = std::get_if<std::string>(&read)) return Refuse(*refused);
  std::vector<Job> all = std::move(std::get<std::vector<Job>>(read));
  std::vector<Job> jobs;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (static_cast<int>(i % static_cast<std::size_t>(options.ShardCount)) ==
        options.ShardIndex - 1) {
      jobs.push_back(std::move(all[i]));
    }
  }

  // The summary and the page take their names only when complete; until then
  // an earlier summary stays as it was (-Resume reads it).
  sensor::frontend::FileReplacement summary;
  std::string summaryPath;
  if (options.Summary) {
    std::error_code error;
    summaryPath = fs::absolute(*options.Summary, error).string();
    if (!summary.Open(summaryPath, problem)) {
      return Refuse(*options.Summary + ": cannot be written (" + problem + ")");
    }
  }
  sensor::frontend::FileReplacement page;
  std::string pagePath;
  std::string pageFolder;
  if (options.ReportPage) {
    std::error_code error;
    pagePath = fs::absolute(*options.ReportPage, error).string();
    if (!page.Open(pagePath, problem)) {
      return Refuse(*options.ReportPage + ": cannot be written (" + problem + ")");
    }
    pageFolder = fs::path(pagePath).parent_path().string();
  }

  // Every job's paths are resolved as its program would resolve them when
  // started in the job file's folder (jobs from standard input: the working
  // directory).
  if (!fromStandardInput) {
    std::error_code error;
    const fs::path jobFolder = fs::absolute(*options.Jobs, error).parent_path();
    if (error || chdir(jobFolder.c_str()) != 0) {
      return Refuse(jobFolder.string() + ": cannot be entered");
    }
  }

  const std::string programDirectory = sensor::frontend::RefreshModulePaths().Directory;
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
    if (options.ReportPage) rows[i] = EarlierPageJob(jobs[i], plans[i], done[i]->Text);
    allPassed = allPassed && done[i]->Exit == 0;
    writer.Add(i, done[i]->Text);
  }
  std::size_t ended = 0;
  ProgressLine progress(toRun.size());
  RunBatch(toRun, toRunPlans, setup, [&](std::size_t k, JobResult result) {
    const std::size_t index = toRunIndex[k];
    const Job& job = jobs[index];
    ++ended;
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
      sensor::frontend::WriteDiagnosticLine(jobFileName + ":" + std::to_string(job.Line),
                                            job.Program + ": " + jobClass.Reason);
    }
    progress.JobEnded(jobClass.Verdict);
    writer.Add(index, sensor::frontend::ShortestJson(line));
  });
  progress.Close();
  writer.Close();
  if (options.Summary && !summary.Commit(problem)) {
    return Refuse(*options.Summary + ": cannot be written (" + problem + ")");
  }
  if (options.ReportPage) {
    std::vector<PageJob> shown;
    for (std::optional<PageJob>& row : rows) {
      if (row) shown.push_back(std::move(*row));
    }
    page.Write(FormatReportPage(jobFileName, shown, pageFolder));
    if (!page.Commit(problem)) return Refuse(*options.ReportPage + ": cannot be written (" + problem + ")");
  }
  if (const int signal = FirstStopSignal(); signal != 0) {
    std::fprintf(stderr, "sensorbatch: stopped by %s after %zu of %zu jobs%s\n", strsignal(signal),
                 ended + (jobs.size() - toRun.size()), jobs.size(),
                 options.Summary ? "; the same command with -Resume does the rest" : "");
    return 128 + signal;
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
