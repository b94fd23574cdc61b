// The candidate list and the visited list of the chip search.
//
// The candidate list keeps every pixel whose score passed a threshold, in scan
// order, across the runs of one opening; it answers by position which is the
// first candidate there. The visited list records the positions already taken
// into a cluster or examined by the single-pixel count; only membership by
// position is ever asked of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/precondition.h"
#include "waferon/core/position_index.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

using SensorDefectDetectionClass::DefectRecord;

class CandidateList {
 public:
  // Appends a copy at the tail, with whether the pixel lay above its
  // reference (hot) or not (dark). May throw std::bad_alloc; the list is then
  // unchanged.
  void Append(const DefectRecord& record, bool hot = false);

  // Brings the index of positions up to the records appended since it was
  // last brought up; asked before FirstAt and Contains, on one thread. The
  // searches append without indexing, which only the counts after them need.
  // Indexes in parts on the analysis threads. May throw std::bad_alloc; the
  // index is then as it was.
  void IndexPositions() const;

  // The first candidate at (x, y), or nullptr.
  const DefectRecord* FirstAt(std::int32_t x, std::int32_t y) const;
  bool Contains(std::int32_t x, std::int32_t y) const {
    SENSOR_PRECONDITION(indexed_ == records_.size());
    return firstAt_.Contains(x, y);
  }

  const std::vector<DefectRecord>& Records() const { return records_; }
  // One entry per record: 1 when the pixel lay above its reference, else 0.
  const std::vector<std::int8_t>& Sides() const { return hot_; }
  std::size_t Size() const { return records_.size(); }

  // Forgets every record; Clear keeps the memory, Release returns it.
  void Clear();
  void Release();

 private:
  friend class VisitedList;

  std::vector<DefectRecord> records_;
  std::vector<std::int8_t> hot_;
  // Position -> index of its first record, for the first `indexed_` records.
  mutable PositionIndex firstAt_;
  mutable std::size_t indexed_ = 0;
};

class VisitedList {
 public:
  // Records (x, y) as visited. May throw std::bad_alloc.
  void Add(std::int32_t x, std::int32_t y) { seen_.Insert(x, y, 0); }
  bool Contains(std::int32_t x, std::int32_t y) const { return seen_.Contains(x, y); }
  std::size_t Size() const { return seen_.Size(); }
  // Makes room for `positions` in all. May throw std::bad_alloc; the list is
  // then unchanged.
  void Reserve(std::size_t positions) { seen_.Reserve(positions); }
  // Records every candidate position as visited. Only candidate positions
  // are ever visited, and the two lists are emptied together, so the
  // candidates' index of positions is taken as the visited one. May throw
  // std::bad_alloc; the list is then unchanged.
  void AddAll(const CandidateList& candidates);
  void Clear() { seen_.Clear(); }
  void Release() { seen_.Release(); }

 private:
  PositionIndex seen_;
};

}  // namespace sensor::waferon
