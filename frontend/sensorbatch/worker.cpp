#include "frontend/sensorbatch/worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "frontend/sensorbatch/job_record.h"
#include "frontend/sensorbatch/picture_cache.h"
#include "frontend/sensorbatch/processor_share.h"
#include "frontend/sensorbatch/program_catalog.h"
#include "frontend/sensorbatch/stop_signals.h"

namespace sensor::batch {
namespace {

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) _exit(3);
    done += static_cast<std::size_t>(written);
  }
}

// Standard input from /dev/null (a key wait inside a library returns at once)
// and the runs' console output dropped.
void QuietStandardStreams() {
  const int null = open("/dev/null", O_RDWR);
  if (null < 0) return;
  dup2(null, STDIN_FILENO);
  std::fflush(stdout);
  dup2(null, STDOUT_FILENO);
  if (null > STDERR_FILENO) close(null);
}

// Glazet's library writes the map of the picture's candidates, as big as the
// picture, into the run's folder. A batch job drops it unless it asks to keep
// it (-KeepDefectMap; -DefectMapPNG is the small form); a map that the job did
// not write (an earlier run's, when this one stopped at start-up) stays.
class DefectMapDrop {
 public:
  DefectMapDrop(const Job& job, const JobPlan& plan)
      : path_(job.Program == "Glazetrun" && !plan.KeepsDefectMap ? plan.Folder + "pkgdfects.bmp"
                                                                   : std::string()),
        existed_(!path_.empty() && stat(path_.c_str(), &before_) == 0) {}

  ~DefectMapDrop() {
    struct stat after {};
    if (path_.empty() || stat(path_.c_str(), &after) != 0) return;
    const bool written = !existed_ || after.st_ino != before_.st_ino ||
                         after.st_mtim.tv_sec != before_.st_mtim.tv_sec ||
                         after.st_mtim.tv_nsec != before_.st_mtim.tv_nsec ||
                         after.st_ctim.tv_sec != before_.st_ctim.tv_sec ||
                         after.st_ctim.tv_nsec != before_.st_ctim.tv_nsec;
    if (written) unlink(path_.c_str());
  }
  DefectMapDrop(const DefectMapDrop&) = delete;
  DefectMapDrop& operator=(const DefectMapDrop&) = delete;

 private:
  std::string path_;  // empty: nothing to drop
  struct stat before_ {};
  bool existed_;
};

void RunJobs(std::vector<Job>& jobs, const std::vector<JobPlan>& plans, const std::vector<std::size_t>& order,
             int resultFd, const WorkerSetup& setup) {
  QuietStandardStreams();
  HandOnAnalysisThreads(setup.AnalysisThreads);
  PictureCache pictures;
  for (std::size_t n = 0; n < order.size() && !WorkerAskedToStop(); ++n) {
    const std::size_t i = order[n];
    std::size_t later = 0;
    bool anyPaints = plans[i].Paints;
    while (n + later + 1 < order.size() && plans[order[n + later + 1]].Picture == plans[i].Picture) {
      ++later;
      anyPaints = anyPaints || plans[order[n + later]].Paints;
    }
    pictures.SetLaterReaders(later, anyPaints);

    Job& job = jobs[i];
    const frontend::ProgramEntry* program = FindProgram(job.Program);
    frontend::StationOutcome outcome;
    outcome.Status = -1;
    frontend::RunHost host;
    host.Program = frontend::ModulePaths{setup.ProgramDirectory, job.Program};
    host.NeverWaitForKey = true;
    host.Pictures = [&pictures](const frontend::ResolvedPath& path, const frontend::PictureRequest& request,
                                bool paints) { return pictures.Get(path, request, paints); };
    host.Outcome = &outcome;
    std::vector<char*> argv = ArgumentVector(job);
    const auto start = std::chrono::steady_clock::now();
    int exitCode;
    {
      const DefectMapDrop drop(job, plans[i]);
      exitCode = program->Run(static_cast<int>(argv.size()) - 1, argv.data(), host);
    }
    JobRecord record = RecordRun(exitCode, outcome, outcome.Status >= 0);
    record.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (setup.PageDetails) {
      std::string review;
      if (outcome.Written.ReviewImage) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(*outcome.Written.ReviewImage, error);
        review = error ? *outcome.Written.ReviewImage : absolute.lexically_normal().string();
      }
      record.ReviewImage = review;
    }
    // Texts that are not UTF-8 go as U+FFFD, as the summary writes them.
    WriteAll(resultFd, RecordToJson(record).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) +
                           "\n");
  }
}

}  // namespace

void RunWorker(std::vector<Job>& jobs, const std::vector<JobPlan>& plans,
               const std::vector<std::size_t>& order, int resultFd, const WorkerSetup& setup) {
  // Nothing a job throws may unwind into the batch's own code in this copy of
  // it (it would end as the batch ends and remove the summary and page being
  // written): the job is reported as ended without a result.
  try {
    RunJobs(jobs, plans, order, resultFd, setup);
  } catch (...) {
    _exit(3);
  }
  _exit(0);
}

}  // namespace sensor::batch
