// Where the searches put each scored pixel: the worst-pixel table and, for a
// candidate, the candidate list. Shared by the four searches.
#pragma once

#include <cstdint>
#include <limits>

#include "waferon/search.h"

namespace sensor::waferon {

class ScanSink {
 public:
  explicit ScanSink(const SearchTargets& targets)
      : table_(targets.WorstPixels),
        list_(*targets.Candidates),
        limit_(targets.CandidateLimit),
        floor_(table_ ? table_->Floor() : std::numeric_limits<double>::infinity()) {}

  // Scores not strictly above this leave the table as it is.
  double TableFloor() const { return floor_; }

  // Offers the pixel to the table, then appends it when it is a candidate.
  // Returns false when the list is already past the limit: the search stops.
  bool Take(std::int32_t x, std::int32_t y, double score, std::int32_t colour, bool candidate) {
    const DefectRecord record{x, y, score, colour, 0};
    if (score > floor_) {
      table_->Offer(record);
      floor_ = table_->Floor();
    }
    if (candidate) {
      if (list_.Size() > limit_) return false;
      list_.Append(record);
    }
    return true;
  }

 private:
  ResultTable* table_;
  CandidateList& list_;
  std::uint32_t limit_;
  double floor_;
};

}  // namespace sensor::waferon
