#include "waferon/defect_lists.h"

namespace sensor::waferon {

void CandidateList::Append(const DefectRecord& record) {
  // Both allocations happen before anything changes, so a failure leaves the
  // list as it was.
  if (records_.size() == records_.capacity()) records_.reserve(2 * records_.size() + 64);
  firstAt_.Insert(record.X, record.Y, static_cast<std::uint32_t>(records_.size()));
  records_.push_back(record);
}

const DefectRecord* CandidateList::FirstAt(std::int32_t x, std::int32_t y) const {
  const std::uint32_t* index = firstAt_.Find(x, y);
  return index == nullptr ? nullptr : &records_[*index];
}

void CandidateList::Release() {
  std::vector<DefectRecord>().swap(records_);
  firstAt_.Release();
}

}  // namespace sensor::waferon
