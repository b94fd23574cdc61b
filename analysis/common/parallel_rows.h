// The one way the analyses spread their work over threads.
//
// A loop over rows (the level sums, the searches) is cut into parts of
// consecutive rows, one thread each; the caller combines the parts' results in
// row order, so that everything stays exactly what one thread computes:
// integer sums are added, and anything whose order matters is replayed in
// order. Part 0 runs on the calling thread.
//
// How many threads: SENSOR_THREADS=n when it holds a whole number from 1 up,
// else the processors the process may run on (its affinity mask, so that
// taskset and container limits count). One thread runs the loops exactly as
// before, without starting any thread; so does work too small to gain from a
// thread (a part gets at least kMinimumPartWork pixels).
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <vector>

namespace sensor {

// Pixels below which another part does not pay for its thread.
inline constexpr std::int64_t kMinimumPartWork = std::int64_t{1} << 17;

// The threads the analyses use, at least 1: the current call's own count
// (CallScope) when it set one, else the process's.
int AnalysisThreads();

// What one call of the in-memory analyses asks of the loops it runs: its own
// thread count (0: the process's) and a flag that stops it. Set on the
// calling thread for the duration of the call by a CallScope, and handed by
// RunParts to the threads it starts, so that nested parts see it too. No
// state is shared between calls on different threads.
struct CallSettings {
  int Threads = 0;
  const std::atomic<bool>* Cancel = nullptr;
};

class CallScope {
 public:
  explicit CallScope(const CallSettings& settings) noexcept;
  ~CallScope();
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  CallSettings saved_;
};

// The settings in force on this thread (all 0 outside a CallScope).
const CallSettings& CurrentCall() noexcept;

// True once the current call's cancel flag is set; false outside a call.
inline bool CallCancelled() noexcept {
  const std::atomic<bool>* cancel = CurrentCall().Cancel;
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// Makes the analyses use `threads` threads for the whole process; 0 returns
// to the environment's choice. With `splitSmallWork`, work of any size is
// split (so that tests on small pictures meet every split). Not meant to race
// with running analyses.
void SetAnalysisThreads(int threads, bool splitSmallWork = false);

// The parts `rows` rows of `rowWork` pixels each are cut into: at most one per
// thread and one per row, at least 1.
int PartsFor(std::int64_t rows, std::int64_t rowWork);

// The first row of part `part` of `parts` over the `count` rows from `first`;
// part `parts` gives the end. Parts differ by at most one row.
inline std::int64_t PartStart(std::int64_t first, std::int64_t count, int part, int parts) {
  return first + count * part / parts;
}

namespace detail {
void RunPartsOnThreads(int parts, void (*call)(const void* body, int part), const void* body,
                       std::exception_ptr* failures) noexcept;
}  // namespace detail

// Runs part(i) for every i in 0 .. parts - 1, part 0 on the calling thread and
// the others on threads of their own (a part whose thread cannot be started
// runs on the calling thread after part 0), and returns when all have ended.
// Nothing a part throws leaves its thread: it is kept in the part's entry of
// the result (empty for a part that ended normally). May throw std::bad_alloc
// before any part runs.
template <class Part>
std::vector<std::exception_ptr> RunParts(int parts, const Part& part) {
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(parts > 0 ? parts : 0));
  detail::RunPartsOnThreads(
      parts, [](const void* body, int i) { (*static_cast<const Part*>(body))(i); }, &part, failures.data());
  return failures;
}

// Rethrows the first failure of `failures`, if any.
void RethrowFirst(const std::vector<std::exception_ptr>& failures);

}  // namespace sensor
