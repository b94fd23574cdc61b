#include "frontend/sensorbatch/batch_run.h"

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <string>

#include "frontend/sensorbatch/stop_signals.h"

namespace sensor::batch {
namespace {

using Clock = std::chrono::steady_clock;

struct RunningWorker {
  pid_t Pid = -1;
  int Fd = -1;
  std::vector<std::size_t> Jobs;  // in run order
  std::size_t Next = 0;           // the position of the job it runs now
  Clock::time_point JobStart;
  std::string Pending;  // a line not yet whole
  bool TimedOut = false;
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

// Why a worker ended before reporting its job.
std::string WorkerEndReason(int status, bool timedOut, double limit) {
  if (timedOut) return "no result within the job time limit of " + FormatSeconds(limit) + " s";
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    return "the run ended on signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
  }
  if (WIFEXITED(status)) {
    return "the run ended the process with exit code " + std::to_string(WEXITSTATUS(status));
  }
  return "the run ended without a result";
}

class Scheduler {
 public:
  Scheduler(std::vector<Job>& jobs, const std::vector<JobPlan>& plans, const BatchSetup& setup,
            const std::function<void(std::size_t, JobRecord)>& finished)
      : jobs_(jobs), plans_(plans), setup_(setup), finished_(finished), ended_(jobs.size()) {
    for (const JobGroup& group : GroupJobs(plans)) waiting_.push_back(group);
  }

  void Run() {
    while ((!stopping_ && !waiting_.empty()) || !running_.empty()) {
      if (!stopping_) StartReadyGroups();
      if (running_.empty()) {
        if (stopping_) break;
        throw std::logic_error("job groups wait for each other");
      }
      Wait();
    }
  }

 private:
  bool Ready(const JobGroup& group) const {
    return std::all_of(group.After.begin(), group.After.end(),
                       [this](std::size_t job) { return static_cast<bool>(ended_[job]); });
  }

  void StartReadyGroups() {
    while (static_cast<int>(running_.size()) < setup_.Workers) {
      const auto ready = std::find_if(waiting_.begin(), waiting_.end(),
                                      [this](const JobGroup& g) { return Ready(g); });
      if (ready == waiting_.end()) return;
      std::vector<std::size_t> group = std::move(ready->Jobs);
      waiting_.erase(ready);
      Start(std::move(group));
    }
  }

  void Start(std::vector<std::size_t> group) {
    int ends[2];
    if (pipe(ends) != 0) throw std::runtime_error("cannot make a pipe for a worker");
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid;
    {
      const StopSignalsHeld held;
      pid = fork();
      if (pid == 0) BecomeWorker();
    }
    if (pid < 0) throw std::runtime_error("cannot start a worker process");
    if (pid == 0) {
      close(ends[0]);
      for (const RunningWorker& other : running_) close(other.Fd);
      RunWorker(jobs_, plans_, group, ends[1], setup_.Worker);
    }
    close(ends[1]);
    RunningWorker worker;
    worker.Pid = pid;
    worker.Fd = ends[0];
    worker.Jobs = std::move(group);
    worker.JobStart = Clock::now();
    running_.push_back(std::move(worker));
  }

  void Finish(std::size_t job, JobRecord record, Clock::time_point start, std::string failure) {
    if (!record.Wall) record.Wall = SecondsSince(start);
    if (!record.Passed()) {
      if (failure.empty()) {
        failure = record.Status ? record.Status->Message : "the run gave exit code 1 before start-up";
      }
      record.Failure = std::move(failure);
    }
    ended_[job] = true;
    finished_(job, std::move(record));
  }

  // Takes the whole lines a worker wrote: one finished job each.
  void TakeLines(RunningWorker& worker) {
    std::size_t newline;
    while ((newline = worker.Pending.find('\n')) != std::string::npos) {
      const std::string line = worker.Pending.substr(0, newline);
      worker.Pending.erase(0, newline + 1);
      if (worker.Next >= worker.Jobs.size()) continue;  // no such job: a stray line
      Finish(worker.Jobs[worker.Next], RecordFromJson(line).value_or(JobRecord()), worker.JobStart,
             std::string());
      ++worker.Next;
      worker.JobStart = Clock::now();
    }
  }

  // A worker's pipe closed: collect it; a job it did not report failed, and
  // the group's later jobs wait again, at the head of the queue. While the
  // batch stops, a job not reported is not done: it has no result.
  void Collect(std::size_t index) {
    RunningWorker worker = std::move(running_[index]);
    running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(index));
    close(worker.Fd);
    int status = 0;
    while (waitpid(worker.Pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (worker.Next >= worker.Jobs.size() || stopping_) return;
    Finish(worker.Jobs[worker.Next], JobRecord(), worker.JobStart,
           WorkerEndReason(status, worker.TimedOut, setup_.JobTimeoutSeconds));
    if (worker.Next + 1 < worker.Jobs.size()) {
      JobGroup rest;
      rest.Jobs.assign(worker.Jobs.begin() + static_cast<std::ptrdiff_t>(worker.Next) + 1,
                       worker.Jobs.end());
      waiting_.push_front(std::move(rest));
    }
  }

  // SIGINT or SIGTERM: the first lets the running jobs end and starts no
  // other; a second ends the workers at once.
  void TakeSignals() {
    const std::string signals = TakeStopSignals();
    for (const char signal : signals) {
      if (!stopping_) {
        stopping_ = true;
        // Below the progress line, when there is one.
        if (isatty(STDOUT_FILENO) != 0) std::fputs("\n", stdout);
        std::fflush(stdout);
        std::fprintf(stderr,
                     "sensorbatch: %s: stopping after the %zu running job group(s); a second "
                     "signal ends them at once\n",
                     strsignal(static_cast<unsigned char>(signal)), running_.size());
        for (const RunningWorker& worker : running_) kill(worker.Pid, SIGTERM);
      } else {
        for (const RunningWorker& worker : running_) kill(worker.Pid, SIGKILL);
      }
    }
  }

  void Wait() {
    std::vector<pollfd> fds;
    for (const RunningWorker& worker : running_) fds.push_back(pollfd{worker.Fd, POLLIN, 0});
    if (StopSignalFd() >= 0) fds.push_back(pollfd{StopSignalFd(), POLLIN, 0});
    int timeoutMs = -1;
    if (setup_.JobTimeoutSeconds > 0) {
      double soonest = setup_.JobTimeoutSeconds;
      for (const RunningWorker& worker : running_) {
        if (!worker.TimedOut) {
          soonest = std::min(soonest, setup_.JobTimeoutSeconds - SecondsSince(worker.JobStart));
        }
      }
      timeoutMs = static_cast<int>(std::max(0.0, soonest) * 1000.0) + 1;
    }
    const int polled = poll(fds.data(), fds.size(), timeoutMs);
    if (polled < 0 && errno != EINTR) throw std::runtime_error("cannot wait for the workers");
    TakeSignals();

    std::vector<std::size_t> closed;
    for (std::size_t i = 0; i < running_.size(); ++i) {
      RunningWorker& worker = running_[i];
      if (polled > 0 && fds[i].revents != 0) {
        char buffer[65536];
        const ssize_t got = read(worker.Fd, buffer, sizeof buffer);
        if (got > 0) {
          worker.Pending.append(buffer, static_cast<std::size_t>(got));
          TakeLines(worker);
        } else if (got == 0 || errno != EINTR) {
          closed.push_back(i);
          continue;
        }
      }
      if (setup_.JobTimeoutSeconds > 0 && !worker.TimedOut &&
          SecondsSince(worker.JobStart) >= setup_.JobTimeoutSeconds) {
        worker.TimedOut = true;
        kill(worker.Pid, SIGKILL);
      }
    }
    for (auto i = closed.rbegin(); i != closed.rend(); ++i) Collect(*i);
  }

  std::vector<Job>& jobs_;
  const std::vector<JobPlan>& plans_;
  const BatchSetup& setup_;
  const std::function<void(std::size_t, JobRecord)>& finished_;
  std::vector<char> ended_;
  std::deque<JobGroup> waiting_;
  std::vector<RunningWorker> running_;
  bool stopping_ = false;  // a stop signal came: no job starts
};

}  // namespace

void RunBatch(std::vector<Job>& jobs, const std::vector<JobPlan>& plans, const BatchSetup& setup,
              const std::function<void(std::size_t, JobRecord)>& finished) {
  Scheduler(jobs, plans, setup, finished).Run();
}

}  // namespace sensor::batch
