#include "waferon/core/defect_lists.h"

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
  firstAt_.Insert(record.X, record.Y, static_cast<std::uint32_t>(records_.size()));
  records_.push_back(record);
  hot_.push_back(hot ? 1 : 0);
}

const DefectRecord* CandidateList::FirstAt(std::int32_t x, std::int32_t y) const {
  const std::uint32_t* index = firstAt_.Find(x, y);
  return index == nullptr ? nullptr : &records_[*index];
}

void CandidateList::Clear() {
  records_.clear();
  hot_.clear();
  firstAt_.Clear();
}

void CandidateList::Release() {
  std::vector<DefectRecord>().swap(records_);
  std::vector<std::int8_t>().swap(hot_);
  firstAt_.Release();
}

void VisitedList::AddAll(const CandidateList& candidates) {
  SENSOR_PRECONDITION(seen_.Size() <= candidates.firstAt_.Size());
  seen_.CopyFrom(candidates.firstAt_);
}

}  // namespace sensor::waferon
