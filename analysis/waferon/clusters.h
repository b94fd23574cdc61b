// Clusters of neighbouring candidates and the single-pixel count.
//
// Neighbours lie `step` apart: 1 in colour mode, 2 in Bayer mode (so only sites
// of one colour neighbour each other). Growth is depth first and never moves to
// the row above: from each member it follows the left and right neighbours and
// the three below, in a fixed order that decides which of equal peaks wins.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "defect_lists.h"
#include "geometry.h"
#include "result_table.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

using SensorDefectDetectionClass::_PARAMS_Waferon;
using SensorDefectDetectionClass::_RESULT_Waferon;

struct ClusterPeak {
  double Score = 0.0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Colour = 0;
  std::int64_t Members = 0;
};

// Grows one cluster from (x, y) inside `region`, marking each member visited.
// Runs on its own stack, so a cluster as large as the candidate list cannot
// exhaust the thread's. `order`, when given, receives the members in the
// order they were taken.
ClusterPeak GrowCluster(const CandidateList& candidates, VisitedList& visited, const Rect& region,
                        std::int32_t x, std::int32_t y, std::int32_t step,
                        std::vector<std::pair<std::int32_t, std::int32_t>>* order = nullptr);

// Whether any of the eight positions `step` away holds a candidate.
bool HasCandidateNeighbour(const CandidateList& candidates, std::int32_t x, std::int32_t y,
                           std::int32_t step);

// The threshold of a position's zone and Bayer site (counted from the search
// region's origin, in colour mode too); false for a position in no zone.
bool ZoneThreshold(const Geometry& regions, std::int32_t x, std::int32_t y,
                   const double (&centre)[5], const double (&side)[5], Zone& zone,
                   double& threshold);

// How the count asks whether a position holds a candidate or was visited:
// through bits over the candidates' bounding box (Grid; the lists' indexes
// when the box is too large or its memory cannot be had), or through the
// lists' indexes alone. Both give the same answers.
enum class ClusterLookup { Grid, Indexes };

// Grows the clusters of every unvisited candidate that has a candidate
// neighbour; counts those with at least ClusterSize members whose peak passes
// the cluster threshold of its zone, and offers their peaks to `clusterTable`.
// Sets the two cluster counts of `results` and zeroes the two pixel counts.
void CountClusters(const CandidateList& candidates, VisitedList& visited,
                   ResultTable* clusterTable, const Geometry& regions,
                   const _PARAMS_Waferon& params, std::int32_t step, _RESULT_Waferon& results,
                   ClusterLookup how = ClusterLookup::Grid);

// Counts every candidate not yet visited whose score passes the pixel threshold
// of its zone, marking each one visited. Sets the two pixel counts of `results`.
void CountSinglePixels(const CandidateList& candidates, VisitedList& visited,
                       const Geometry& regions, const _PARAMS_Waferon& params,
                       _RESULT_Waferon& results);

}  // namespace sensor::waferon
