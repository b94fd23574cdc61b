#include "waferon/core/split_scan.h"

#include <atomic>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "common/parallel_rows.h"
#include "common/precondition.h"

namespace sensor::waferon {
namespace {

// A later part: its recording (in the part's scratch) and how its search ended.
struct RecordedPart {
  std::vector<ScanEvent>* Events = nullptr;
  std::unique_ptr<ScanSink> Sink;
  SearchOutcome Outcome = SearchOutcome::Completed;
};

// Recording sinks for every part after the first, each with its own copy of the
// table; false when their memory cannot be had.
bool PrepareRecordings(const SearchTargets& targets, int count, SearchScratch& scratch,
                       std::vector<RecordedPart>& parts, const std::atomic<bool>& cancel) {
  try {
    scratch.Reserve(count);
    parts.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 1; i < parts.size(); ++i) {
      parts[i].Events = &scratch.Part(static_cast<int>(i)).Events;
      parts[i].Events->clear();
      std::unique_ptr<ResultTable> copy;
      if (targets.WorstPixels != nullptr) copy = std::make_unique<ResultTable>(*targets.WorstPixels);
      parts[i].Sink = std::make_unique<ScanSink>(std::move(copy), targets.Candidates->Size(),
                                                 targets.CandidateLimit, *parts[i].Events, cancel);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Replays a part's recording through the targets, in order.
SearchOutcome Replay(const std::vector<ScanEvent>& events, const SearchTargets& targets) {
  ScanSink sink(targets);
  for (const ScanEvent& e : events) {
    if (!sink.Take(e.X, e.Y, e.Score, e.Colour, e.Candidate, e.Hot)) return SearchOutcome::Stopped;
  }
  return SearchOutcome::Completed;
}

}  // namespace

SearchOutcome ScanRows(RowScan scan, const SearchSetup& setup, const SearchTargets& targets) {
  const Rect& r = setup.Region;
  if (r.Empty()) return SearchOutcome::Completed;
  const int parts = PartsFor(r.Rows(), r.Columns());
  SearchScratch own;  // without the setup's: this search's only
  SearchScratch& scratch = setup.Scratch != nullptr ? *setup.Scratch : own;
  scratch.Reserve(1);
  // On the calling thread, once no other part runs: in part 0's scratch.
  auto straight = [&](std::int64_t first, std::int64_t last) {
    ScanSink sink(targets);
    return scan(setup, sink, scratch.Part(0), static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
  };
  if (parts == 1) return straight(r.Top, r.Bottom);

  auto rowsOf = [&](int part, auto&& body) {
    return body(PartStart(r.Top, r.Rows(), part, parts), PartStart(r.Top, r.Rows(), part + 1, parts) - 1);
  };
  std::atomic<bool> cancel{false};
  std::vector<RecordedPart> recorded;
  if (!PrepareRecordings(targets, parts, scratch, recorded, cancel)) return straight(r.Top, r.Bottom);

  SearchOutcome first = SearchOutcome::Completed;
  const auto searchPart = [&](int part) {
    if (part == 0) {
      try {
        first = rowsOf(0, straight);
      } catch (...) {
        cancel.store(true, std::memory_order_relaxed);
        throw;
      }
      // The later parts are not needed once the search stops in the first.
      if (first == SearchOutcome::Stopped) cancel.store(true, std::memory_order_relaxed);
      return;
    }
    RecordedPart& mine = recorded[static_cast<std::size_t>(part)];
    mine.Outcome = rowsOf(part, [&](std::int64_t a, std::int64_t b) {
      return scan(setup, *mine.Sink, scratch.Part(part), static_cast<std::int32_t>(a), static_cast<std::int32_t>(b));
    });
  };
  std::vector<std::exception_ptr> failures;
  try {
    failures = RunParts(parts, searchPart);
  } catch (const std::bad_alloc&) {
    return straight(r.Top, r.Bottom);  // nothing ran: no memory to keep the parts' failures
  }
  if (failures[0]) std::rethrow_exception(failures[0]);
  if (first == SearchOutcome::Stopped) return first;

  for (int part = 1; part < parts; ++part) {
    RecordedPart& mine = recorded[static_cast<std::size_t>(part)];
    if (failures[static_cast<std::size_t>(part)] || mine.Sink->Incomplete()) {
      mine = RecordedPart{};
      if (rowsOf(part, straight) == SearchOutcome::Stopped) return SearchOutcome::Stopped;
      continue;
    }
    if (Replay(*mine.Events, targets) == SearchOutcome::Stopped) return SearchOutcome::Stopped;
    // A recording that stopped on the limit stops its replay.
    SENSOR_PRECONDITION(mine.Outcome == SearchOutcome::Completed);
    mine = RecordedPart{};
  }
  return SearchOutcome::Completed;
}

}  // namespace sensor::waferon
