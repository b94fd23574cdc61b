// The worst-pixel table and the cluster table: a fixed number of entries that
// keeps the highest-scoring distinct positions offered to it.
//
// Offer follows the replace-minimum rule entry for entry: a position already in
// the table only raises its score; a new position fills the first empty entry;
// in a full table it replaces the entry with the smallest score (the first of
// equal minima) when its score is strictly greater. Empty entries (X = Y = -1,
// Score 0.0) therefore only ever sit at the end.
//
// The search offers every pixel, so the table keeps what lets it answer fast:
// Floor() is a score that no offer at or below can change anything with, the
// minimum of a full table kept in a heap, and the positions are indexed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/precondition.h"
#include "waferon/core/position_index.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

using SensorDefectDetectionClass::DefectRecord;

class ResultTable {
 public:
  // `size` > 0 entries, all empty with Reserved 0. May throw std::bad_alloc.
  explicit ResultTable(std::int32_t size);

  std::int32_t Size() const { return static_cast<std::int32_t>(entries_.size()); }
  const DefectRecord& operator[](std::size_t i) const {
    SENSOR_PRECONDITION(i < entries_.size());
    return entries_[i];
  }
  const std::vector<DefectRecord>& Entries() const { return entries_; }

  // An offer whose score is not strictly above this changes nothing.
  double Floor() const { return floor_; }

  // Offers a record at X >= 0, Y >= 0 (the positions of pixels). Its Reserved
  // word is not copied. May throw std::bad_alloc, leaving the table as it was.
  void Offer(const DefectRecord& record);

  // Orders the entries by descending score, stable for equal scores; each
  // entry's Reserved word stays at its index.
  void Sort();

  static bool IsEmpty(const DefectRecord& e) { return e.X < 0 || e.Y < 0; }

  // Empties every entry, as a new table of the same size, keeping the memory.
  void Reset();

 private:
  // The heap orders the filled entries of a full table by (Score, index), so
  // its root is the entry the rule replaces.
  bool HeapLess(std::int32_t a, std::int32_t b) const {
    const double sa = entries_[static_cast<std::size_t>(a)].Score;
    const double sb = entries_[static_cast<std::size_t>(b)].Score;
    return sa < sb || (sa == sb && a < b);
  }
  void SiftDown(std::size_t at);
  void BuildHeap();
  void Overwrite(std::size_t entry, const DefectRecord& record);

  std::vector<DefectRecord> entries_;
  std::size_t filled_ = 0;  // entries 0 .. filled_ - 1 are filled
  PositionIndex positions_;
  std::vector<std::int32_t> heap_;                  // entry indices, only when full
  std::vector<std::uint32_t> heapSlot_;             // entry index -> place in heap_
  double floor_ = -std::numeric_limits<double>::infinity();
};

}  // namespace sensor::waferon
