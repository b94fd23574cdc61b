// Clusters of neighbouring candidates and the single-pixel count.
//
// Neighbours lie `step` apart: 1 in colour mode, 2 in Bayer mode (so only sites
// of one colour neighbour each other). Growth is depth first and never moves to
// the row above: from each member it follows the left and right neighbours and
// the three below, in a fixed order that decides which of equal peaks wins.
#pragma once

#include <cstdint>
#include <vector>

#include "common/large_pages.h"
#include "waferon/core/defect_lists.h"
#include "waferon/core/geometry.h"
#include "waferon/core/result_table.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

using SensorDefectDetectionClass::_PARAMS_Waferon;
using SensorDefectDetectionClass::_RESULT_Waferon;

// The threshold of a position's zone and Bayer site (counted from the search
// region's origin, in colour mode too); false for a position in no zone.
bool ZoneThreshold(const Geometry& regions, std::int32_t x, std::int32_t y,
                   const double (&centre)[5], const double (&side)[5], Zone& zone,
                   double& threshold);

// The memory of the membership bits over the candidates' box. A caller that
// counts run after run keeps one and hands it in each time, so that later runs
// reuse its pages rather than fault fresh ones; its contents do not carry over.
struct ClusterGrid {
  std::vector<std::uint64_t, LargePageAllocator<std::uint64_t>> Bits;    // two bits per position
  std::vector<std::uint32_t, LargePageAllocator<std::uint32_t>> Before;  // candidate positions before each word
  std::vector<std::uint32_t> First;  // first record of each numbered candidate position
};

// Grows the clusters of every unvisited candidate that has a candidate
// neighbour, marking each member visited; counts those with at least
// ClusterSize members whose peak passes the cluster threshold of its zone, and
// offers their peaks to `clusterTable` and appends them, in the order counted,
// to `peaks` with the cluster's member count in Reserved. Sets the two cluster counts of `results` and zeroes
// the two pixel counts.
//
// Growth runs on its own stack, so a cluster as large as the candidate list
// cannot exhaust the thread's. Membership is asked through bits over the
// candidates' bounding box, or through the lists' indexes when the box is too
// large, the candidates too sparse in it, or its memory cannot be had; both
// give the same answers. The bits live
// in `grid`, or in memory of the call's own when it is null.
void CountClusters(const CandidateList& candidates, VisitedList& visited,
                   ResultTable* clusterTable, const Geometry& regions,
                   const _PARAMS_Waferon& params, std::int32_t step, _RESULT_Waferon& results,
                   std::vector<DefectRecord>& peaks, ClusterGrid* grid = nullptr);

// Counts every candidate not yet visited whose score passes the pixel threshold
// of its zone, marking each one visited. Sets the two pixel counts of `results`.
void CountSinglePixels(const CandidateList& candidates, VisitedList& visited,
                       const Geometry& regions, const _PARAMS_Waferon& params,
                       _RESULT_Waferon& results);

}  // namespace sensor::waferon
