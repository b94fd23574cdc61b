#include "common/parallel_rows.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace sensor {
namespace {

constexpr int kMostThreads = 1024;

// The processors of the process's affinity mask, at least 1.
int UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

// SENSOR_THREADS when it is a whole number of 1 or more (digits only), else 0.
int ThreadsFromEnvironment() {
  const char* text = std::getenv("SENSOR_THREADS");
  if (text == nullptr || *text == '\0') return 0;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = std::min<long>(value * 10 + (*p - '0'), kMostThreads);
  }
  return static_cast<int>(value);
}

int DefaultThreads() {
  static const int threads = [] {
    const int chosen = ThreadsFromEnvironment();
    return chosen > 0 ? chosen : UsableProcessors();
  }();
  return threads;
}

std::atomic<int> setThreads{0};
std::atomic<bool> splitSmall{false};

thread_local CallSettings currentCall;

}  // namespace

CallScope::CallScope(const CallSettings& settings) noexcept : saved_(currentCall) { currentCall = settings; }

CallScope::~CallScope() { currentCall = saved_; }

const CallSettings& CurrentCall() noexcept { return currentCall; }

int AnalysisThreads() {
  const int own = currentCall.Threads;
  if (own > 0) return std::min(own, kMostThreads);
  const int set = setThreads.load(std::memory_order_relaxed);
  return std::clamp(set > 0 ? set : DefaultThreads(), 1, kMostThreads);
}

void SetAnalysisThreads(int threads, bool splitSmallWork) {
  setThreads.store(std::max(threads, 0), std::memory_order_relaxed);
  splitSmall.store(splitSmallWork, std::memory_order_relaxed);
}

int PartsFor(std::int64_t rows, std::int64_t rowWork) {
  std::int64_t parts = std::min<std::int64_t>(AnalysisThreads(), rows);
  if (!splitSmall.load(std::memory_order_relaxed)) {
    const std::int64_t work = rows * std::max<std::int64_t>(rowWork, 0);
    parts = std::min(parts, work / kMinimumPartWork);
  }
  return static_cast<int>(std::max<std::int64_t>(parts, 1));
}

namespace detail {

void RunPartsOnThreads(int parts, void (*call)(const void* body, int part), const void* body,
                       std::exception_ptr* failures) noexcept {
  // The caller's settings go with every part, whichever thread runs it.
  const CallSettings settings = currentCall;
  auto run = [&](int i) {
    try {
      const CallScope scope(settings);
      call(body, i);
    } catch (...) {
      failures[i] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  try {
    threads.reserve(static_cast<std::size_t>(std::max(parts - 1, 0)));
  } catch (...) {
    for (int i = 0; i < parts; ++i) run(i);  // no room to keep threads: all here
    return;
  }
  int started = 1;
  for (; started < parts; ++started) {
    try {
      threads.emplace_back(run, started);
    } catch (...) {
      break;  // no more threads to be had: the rest run here
    }
  }
  if (parts > 0) run(0);
  for (int i = started; i < parts; ++i) run(i);
  for (std::thread& t : threads) t.join();
}

}  // namespace detail

void RethrowFirst(const std::vector<std::exception_ptr>& failures) {
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace sensor
