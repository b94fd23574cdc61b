// The rules of the chip search written the plain way, one pixel and one entry
// at a time, as the tests' yardstick for the library's fast forms: windows
// re-summed site by site, the table searched entry by entry, the sort by
// adjacent exchanges, growth by recursion.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/image_binding.h"
#include "common/rect.h"
#include "common/sample_rule.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon::reference {

using SensorDefectDetectionClass::DefectRecord;

// OfferToTable: the match, the first empty entry, else the first smallest.
void OfferToTable(std::vector<DefectRecord>& table, const DefectRecord& r);
// SortTable: passes of adjacent exchanges until none; Reserved stays put.
void SortTable(std::vector<DefectRecord>& table);
std::vector<DefectRecord> EmptyTable(std::size_t size);

// The Bayer local mean of the pixel at (x, y): window moved inward by the
// smallest even shift, cut to the region, (sum - own) / (sites - 1).
double BayerLocalMean(const ImageBinding& image, const Rect& region, SampleRule rule,
                      std::int32_t hammer, std::int32_t x, std::int32_t y);
// The colour local means (red, green, blue) of the pixel at (x, y).
std::array<double, 3> ColourLocalMeans(const ImageBinding& image, const Rect& region,
                                       std::int32_t hammer, std::int32_t x, std::int32_t y);

struct SearchCase {
  bool Bayer = true;
  bool Local = false;
  bool Percent = false;
  std::int32_t Hammer = 11;
  SampleRule Rule;
  Rect Region;
  std::array<double, 5> Levels{};                  // global references
  std::array<std::array<double, 5>, 4> Thresholds{};  // four arrays by colour
  std::array<bool, 5> Enabled{true, true, true, true, true};
  std::size_t CandidateLimit = 65535;
};

struct SearchResult {
  std::vector<DefectRecord> Table;
  std::vector<DefectRecord> Candidates;
  bool Stopped = false;
};

// One whole search by the plain rules, into a table of `tableSize` entries.
SearchResult Search(const ImageBinding& image, const SearchCase& c, std::size_t tableSize);

// Cluster growth by recursion; returns the members in the order taken.
std::vector<std::pair<std::int32_t, std::int32_t>> GrowOrder(
    const std::vector<std::pair<std::int32_t, std::int32_t>>& candidates, const Rect& region,
    std::int32_t x, std::int32_t y, std::int32_t step,
    std::vector<std::pair<std::int32_t, std::int32_t>>& visited);

}  // namespace sensor::waferon::reference
