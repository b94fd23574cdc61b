// How the batch stops on SIGINT and SIGTERM. In the batch process the handler
// only writes the signal's number into a pipe (the self-pipe) that the
// scheduler polls beside its workers; in a worker it only sets a flag that the
// worker reads before each job. Nothing else runs inside a handler. A signal
// ignored when the batch starts (nohup, a shell script's background job) stays
// ignored.
#pragma once

#include <string>

namespace sensor::batch {

// Installs the batch process's handlers; false, with the reason, when the
// pipe cannot be made.
bool CatchStopSignals(std::string& problem);

// The pipe's read end, to poll; -1 before CatchStopSignals.
int StopSignalFd();

// The signals caught since the last call, oldest first (nothing blocks).
std::string TakeStopSignals();

// The first signal caught since CatchStopSignals; 0 none.
int FirstStopSignal();

// Holds SIGINT and SIGTERM back while a worker is forked, so that neither
// reaches the child before it has its own handlers.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

// In a freshly forked worker, under the StopSignalsHeld of the fork (which the
// child ends as well): closes the pipe and makes SIGINT and SIGTERM set the
// flag of WorkerAskedToStop.
void BecomeWorker();

// Whether the worker got SIGINT or SIGTERM: it ends after the job it runs.
bool WorkerAskedToStop();

}  // namespace sensor::batch
