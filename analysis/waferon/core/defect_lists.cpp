#include "waferon/core/defect_lists.h"

#include <new>
#include <utility>

#include "common/parallel_rows.h"
#include "common/precondition.h"

namespace sensor::waferon {

void CandidateList::Append(const DefectRecord& record, bool hot) {
  // Every allocation happens before anything changes, so a failure leaves the
  // list as it was.
  if (records_.size() == records_.capacity()) {
    const std::size_t room = 2 * records_.size() + 64;
    hot_.reserve(room);
    records_.reserve(room);
  }
  if (hot_.size() == hot_.capacity()) hot_.reserve(records_.capacity());
  records_.push_back(record);
  hot_.push_back(hot ? 1 : 0);
}

// Positions indexed per part: about as much work as searching this many pixels each.
constexpr std::int64_t kIndexWork = 32;

void CandidateList::IndexPositions() const {
  if (indexed_ == records_.size()) return;
  const std::size_t count = records_.size() - indexed_;
  const DefectRecord* fresh = records_.data() + indexed_;
  // Room for every record first: after it, no insert takes memory.
  firstAt_.Reserve(records_.size());
  try {
    firstAt_.InsertInParts(
        count, static_cast<std::uint32_t>(indexed_),
        [fresh](std::size_t k) { return std::pair<std::int32_t, std::int32_t>{fresh[k].X, fresh[k].Y}; },
        PartsFor(static_cast<std::int64_t>(count), kIndexWork));
  } catch (const std::bad_alloc&) {
    // A part found no memory for the keys it leaves over: the index is made
    // again on this thread, in the room it has.
    firstAt_.Clear();
    for (std::size_t k = 0; k < records_.size(); ++k) {
      firstAt_.Insert(records_[k].X, records_[k].Y, static_cast<std::uint32_t>(k));
    }
  }
  indexed_ = records_.size();
}

const DefectRecord* CandidateList::FirstAt(std::int32_t x, std::int32_t y) const {
  SENSOR_PRECONDITION(indexed_ == records_.size());
  const std::uint32_t* index = firstAt_.Find(x, y);
  return index == nullptr ? nullptr : &records_[*index];
}

void CandidateList::Clear() {
  records_.clear();
  hot_.clear();
  firstAt_.Clear();
  indexed_ = 0;
}

void CandidateList::Release() {
  std::vector<DefectRecord>().swap(records_);
  std::vector<std::int8_t>().swap(hot_);
  firstAt_.Release();
  indexed_ = 0;
}

void VisitedList::AddAll(const CandidateList& candidates) {
  SENSOR_PRECONDITION(candidates.indexed_ == candidates.records_.size() &&
                      seen_.Size() <= candidates.firstAt_.Size());
  seen_.CopyFrom(candidates.firstAt_);
}

}  // namespace sensor::waferon
