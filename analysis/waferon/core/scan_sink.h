// Where the searches put each scored pixel: the worst-pixel table and, for a
// candidate, the candidate list. Shared by the four searches.
//
// A sink writes straight into the targets, or records for a part of the rows
// searched ahead of its turn on a thread of its own (split_scan.h): it keeps a
// copy of the table as it stood when the search began, offers to the copy, and
// records every offer that could still change the table or the list when it
// is replayed in its turn. The copy has seen a part of what the real table
// will have seen by then, so its floor is never above the real one: whatever
// the copy turns away, the real table turns away too.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "common/parallel_rows.h"
#include "waferon/core/search.h"

namespace sensor::waferon {

// One recorded offer.
struct ScanEvent {
  std::int32_t X, Y;
  double Score;
  std::int32_t Colour;
  bool Candidate;
  bool Hot;  // the pixel lay above its reference
};

class ScanSink {
 public:
  // Recorded offers a part may keep; a part with more is searched again in
  // its turn, straight into the targets (6 MiB of records per part). With the
  // usual candidate limit of 65,535 only pictures whose scores keep climbing
  // past the table's floor meet it.
  static constexpr std::size_t kMostEvents = std::size_t{1} << 18;

  // Straight into the targets.
  explicit ScanSink(const SearchTargets& targets)
      : table_(targets.WorstPixels),
        list_(targets.Candidates),
        limit_(targets.CandidateLimit),
        floor_(table_ ? table_->Floor() : kNever) {}

  // Recording into `events`, with `tableCopy` (null without a table) and the
  // list's length when the search began. Stops when `cancel` is set.
  ScanSink(std::unique_ptr<ResultTable> tableCopy, std::size_t listLength, std::uint32_t limit,
           std::vector<ScanEvent>& events, const std::atomic<bool>& cancel)
      : table_(tableCopy.get()),
        limit_(limit),
        floor_(table_ ? table_->Floor() : kNever),
        copy_(std::move(tableCopy)),
        events_(&events),
        cancel_(&cancel),
        listed_(listLength) {}

  // Scores not strictly above this leave the table as it is.
  double TableFloor() const { return floor_; }

  // Asked at the start of every row: the search stops when true (a recording
  // part that is no longer needed, or a call whose caller cancelled it).
  bool Cancelled() const {
    return (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) || CallCancelled();
  }

  // Offers the pixel to the table, then appends it when it is a candidate,
  // with whether it lay above its reference (`hot`). Returns false when the
  // search stops: the list is already past the limit (for a recording sink:
  // certainly past it at this offer's turn), or the recording is cancelled or
  // full.
  bool Take(std::int32_t x, std::int32_t y, double score, std::int32_t colour, bool candidate, bool hot) {
    const DefectRecord record{x, y, score, colour, 0};
    const bool offered = score > floor_;
    if (offered) {
      table_->Offer(record);
      floor_ = table_->Floor();
    }
    if (events_ != nullptr) return Record(x, y, score, colour, candidate, offered, hot);
    if (candidate) {
      if (list_->Size() > limit_) return false;
      list_->Append(record, hot);
    }
    return true;
  }

  // Recording sinks: whether the recording stopped short of the part's end
  // for want of room or because it was cancelled (the part must then be
  // searched in its turn), rather than at a certain stop of the search.
  bool Incomplete() const { return full_ || Cancelled(); }

 private:
  static constexpr double kNever = std::numeric_limits<double>::infinity();

  bool Record(std::int32_t x, std::int32_t y, double score, std::int32_t colour, bool candidate, bool offered,
              bool hot) {
    if (!offered && !candidate) return true;
    if (events_->size() >= kMostEvents) {
      full_ = true;
      return false;
    }
    events_->push_back(ScanEvent{x, y, score, colour, candidate, hot});
    if (candidate) {
      // Every earlier candidate of this part is in the list by this one's
      // turn: past the limit already, the search certainly stops here or
      // earlier.
      if (listed_ > limit_) return false;
      ++listed_;
    }
    return !Cancelled();
  }

  ResultTable* table_;
  CandidateList* list_ = nullptr;
  std::uint32_t limit_;
  double floor_;
  std::unique_ptr<ResultTable> copy_;
  std::vector<ScanEvent>* events_ = nullptr;
  const std::atomic<bool>* cancel_ = nullptr;
  std::size_t listed_ = 0;
  bool full_ = false;
};

}  // namespace sensor::waferon
