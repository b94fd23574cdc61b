#include "waferon/core/result_table.h"

#include <algorithm>

namespace sensor::waferon {

ResultTable::ResultTable(std::int32_t size)
    : entries_(static_cast<std::size_t>(size), DefectRecord{-1, -1, 0.0, 0, 0}) {
  SENSOR_PRECONDITION(size > 0);
}

void ResultTable::SiftDown(std::size_t at) {
  const std::size_t n = heap_.size();
  const std::int32_t moving = heap_[at];
  for (;;) {
    std::size_t child = 2 * at + 1;
    if (child >= n) break;
    if (child + 1 < n && HeapLess(heap_[child + 1], heap_[child])) ++child;
    if (!HeapLess(heap_[child], moving)) break;
    heap_[at] = heap_[child];
    heapSlot_[static_cast<std::size_t>(heap_[at])] = static_cast<std::uint32_t>(at);
    at = child;
  }
  heap_[at] = moving;
  heapSlot_[static_cast<std::size_t>(moving)] = static_cast<std::uint32_t>(at);
}

void ResultTable::BuildHeap() {
  heap_.resize(entries_.size());
  heapSlot_.resize(entries_.size());
  for (std::size_t i = 0; i < heap_.size(); ++i) {
    heap_[i] = static_cast<std::int32_t>(i);
    heapSlot_[i] = static_cast<std::uint32_t>(i);
  }
  for (std::size_t i = heap_.size() / 2; i-- > 0;) SiftDown(i);
  floor_ = entries_[static_cast<std::size_t>(heap_[0])].Score;
}

void ResultTable::Overwrite(std::size_t entry, const DefectRecord& record) {
  DefectRecord& e = entries_[entry];
  positions_.Erase(e.X, e.Y);
  positions_.Insert(record.X, record.Y, static_cast<std::uint32_t>(entry));
  e.X = record.X;
  e.Y = record.Y;
  e.Score = record.Score;
  e.Colour = record.Colour;
}

void ResultTable::Offer(const DefectRecord& record) {
  SENSOR_PRECONDITION(record.X >= 0 && record.Y >= 0);
  SENSOR_PRECONDITION(filled_ <= entries_.size() && (filled_ < entries_.size() || heap_.size() == entries_.size()));
  if (!(record.Score > floor_)) return;
  const bool full = filled_ == entries_.size();
  if (const std::uint32_t* at = positions_.Find(record.X, record.Y)) {
    DefectRecord& e = entries_[*at];
    if (record.Score > e.Score) {
      e.Score = record.Score;  // the colour stays
      if (full) {
        SiftDown(heapSlot_[*at]);
        floor_ = entries_[static_cast<std::size_t>(heap_[0])].Score;
      }
    }
    return;
  }
  if (!full) {
    if (heap_.capacity() < entries_.size() && filled_ + 1 == entries_.size()) {
      heap_.reserve(entries_.size());
      heapSlot_.reserve(entries_.size());
    }
    positions_.Insert(record.X, record.Y, static_cast<std::uint32_t>(filled_));
    DefectRecord& e = entries_[filled_++];
    e.X = record.X;
    e.Y = record.Y;
    e.Score = record.Score;
    e.Colour = record.Colour;
    if (filled_ == entries_.size()) BuildHeap();
    return;
  }
  // Full, no match, and the score is above the smallest: replace that entry.
  const std::size_t victim = static_cast<std::size_t>(heap_[0]);
  Overwrite(victim, record);
  SiftDown(0);
  floor_ = entries_[static_cast<std::size_t>(heap_[0])].Score;
}

void ResultTable::Reset() {
  std::fill(entries_.begin(), entries_.end(), DefectRecord{-1, -1, 0.0, 0, 0});
  filled_ = 0;
  positions_.Clear();
  heap_.clear();
  heapSlot_.clear();
  floor_ = -std::numeric_limits<double>::infinity();
}

void ResultTable::Sort() {
  std::vector<std::int32_t> reserved(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) reserved[i] = entries_[i].Reserved;
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const DefectRecord& a, const DefectRecord& b) { return a.Score > b.Score; });
  filled_ = 0;
  positions_.Clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i].Reserved = reserved[i];
    if (!IsEmpty(entries_[i])) {
      ++filled_;
      positions_.Insert(entries_[i].X, entries_[i].Y, static_cast<std::uint32_t>(i));
    }
  }
  if (filled_ == entries_.size()) {
    BuildHeap();
  } else {
    floor_ = -std::numeric_limits<double>::infinity();
  }
}

}  // namespace sensor::waferon
