#include "frontend/sensorbatch/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sensor::batch {
namespace {

int g_pipe[2] = {-1, -1};
int g_first = 0;
volatile sig_atomic_t g_workerStop = 0;

void NoteSignal(int signal) {
  const int saved = errno;
  const char number = static_cast<char>(signal);
  // A full pipe already holds enough to stop; the byte may be dropped.
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = saved;
}

void NoteWorkerSignal(int) { g_workerStop = 1; }

constexpr int kStopSignals[2] = {SIGINT, SIGTERM};
// A signal ignored when the batch started (a background job of a shell
// script, nohup) stays ignored, in the batch and in its workers.
bool g_caught[2] = {false, false};

void Handle(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) {
    if (g_caught[i]) sigaction(kStopSignals[i], &action, nullptr);
  }
}

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

bool CatchStopSignals(std::string& problem) {
  if (pipe(g_pipe) != 0) {
    problem = std::string("cannot make the signal pipe: ") + std::strerror(errno);
    return false;
  }
  for (const int end : g_pipe) {
    fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    fcntl(end, F_SETFD, FD_CLOEXEC);
  }
  for (int i = 0; i < 2; ++i) {
    struct sigaction before {};
    g_caught[i] = sigaction(kStopSignals[i], nullptr, &before) == 0 && before.sa_handler != SIG_IGN;
  }
  Handle(NoteSignal);
  return true;
}

int StopSignalFd() { return g_pipe[0]; }

std::string TakeStopSignals() {
  std::string taken;
  if (g_pipe[0] < 0) return taken;
  char buffer[64];
  ssize_t got;
  while ((got = read(g_pipe[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
    if (got > 0) taken.append(buffer, static_cast<std::size_t>(got));
  }
  if (g_first == 0 && !taken.empty()) g_first = static_cast<unsigned char>(taken.front());
  return taken;
}

int FirstStopSignal() {
  TakeStopSignals();
  return g_first;
}

StopSignalsHeld::StopSignalsHeld() {
  const sigset_t set = StopSet();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

StopSignalsHeld::~StopSignalsHeld() {
  const sigset_t set = StopSet();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void BecomeWorker() {
  for (int& end : g_pipe) {
    if (end >= 0) close(end);
    end = -1;
  }
  Handle(NoteWorkerSignal);
}

bool WorkerAskedToStop() { return g_workerStop != 0; }

}  // namespace sensor::batch
