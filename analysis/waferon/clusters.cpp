#include "clusters.h"

#include "common/sample_rule.h"

namespace sensor::waferon {
namespace {

// Positions are formed in 64 bits; one outside the 32-bit range holds nothing.
bool Fits(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

bool IsCandidate(const CandidateList& candidates, std::int64_t x, std::int64_t y) {
  return Fits(x) && Fits(y) &&
         candidates.Contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
}

// A candidate the growth may still enter.
bool Unvisited(const CandidateList& candidates, const VisitedList& visited, std::int64_t x,
               std::int64_t y) {
  return IsCandidate(candidates, x, y) &&
         !visited.Contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
}

// One pending call of the depth-first growth: the member at (X, Y) and the next
// of its four side and lower neighbours to look at (-1 before the member has
// been taken).
struct Frame {
  std::int32_t X;
  std::int32_t Y;
  int Next;
};

}  // namespace

ClusterPeak GrowCluster(const CandidateList& candidates, VisitedList& visited, const Rect& region,
                        std::int32_t x, std::int32_t y, std::int32_t step,
                        std::vector<std::pair<std::int32_t, std::int32_t>>* order) {
  ClusterPeak peak;
  const std::int64_t s = step;
  std::vector<Frame> stack;
  stack.push_back({x, y, -1});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next < 0) {
      if (!region.Contains(f.X, f.Y)) {
        stack.pop_back();
        continue;
      }
      if (const DefectRecord* node = candidates.FirstAt(f.X, f.Y)) {
        if (node->Score > peak.Score) {
          peak.Score = node->Score;
          peak.X = node->X;
          peak.Y = node->Y;
          peak.Colour = node->Colour;
        }
        ++peak.Members;
        visited.Add(f.X, f.Y);
        if (order != nullptr) order->emplace_back(f.X, f.Y);
      }
      f.Next = 0;
    }
    // Left, right, lower left and below, each grown to its end in turn.
    static constexpr int kSide[4][2] = {{-1, 0}, {1, 0}, {-1, 1}, {0, 1}};
    if (f.Next < 4) {
      const std::int64_t nx = f.X + kSide[f.Next][0] * s, ny = f.Y + kSide[f.Next][1] * s;
      ++f.Next;
      if (Unvisited(candidates, visited, nx, ny)) {
        stack.push_back({static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), -1});
      }
      continue;
    }
    // Lower right last: growth goes on from there in place of this call.
    const std::int64_t nx = f.X + s, ny = f.Y + s;
    if (Unvisited(candidates, visited, nx, ny)) {
      f = {static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), -1};
    } else {
      stack.pop_back();
    }
  }
  return peak;
}

bool HasCandidateNeighbour(const CandidateList& candidates, std::int32_t x, std::int32_t y,
                           std::int32_t step) {
  const std::int64_t s = step;
  for (std::int64_t dy = -1; dy <= 1; ++dy) {
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      if ((dx != 0 || dy != 0) && IsCandidate(candidates, x + dx * s, y + dy * s)) return true;
    }
  }
  return false;
}

bool ZoneThreshold(const Geometry& regions, std::int32_t x, std::int32_t y,
                   const double (&centre)[5], const double (&side)[5], Zone& zone,
                   double& threshold) {
  zone = ZoneOf(regions, x, y);
  if (zone == Zone::None) return false;
  const std::int32_t site = BayerColourIndex(std::int64_t{x} - regions.SearchRegion.Left,
                                             std::int64_t{y} - regions.SearchRegion.Top);
  threshold = zone == Zone::Centre ? centre[site] : side[site];
  return true;
}

void CountClusters(const CandidateList& candidates, VisitedList& visited,
                   ResultTable* clusterTable, const Geometry& regions,
                   const _PARAMS_Waferon& params, std::int32_t step, _RESULT_Waferon& results) {
  std::int32_t centre = 0, side = 0;
  for (const DefectRecord& node : candidates.Records()) {
    if (visited.Contains(node.X, node.Y)) continue;
    if (!HasCandidateNeighbour(candidates, node.X, node.Y, step)) continue;
    const ClusterPeak peak =
        GrowCluster(candidates, visited, regions.SearchRegion, node.X, node.Y, step);
    if (peak.Members < params.ClusterSize) continue;
    Zone zone;
    double threshold;
    if (!ZoneThreshold(regions, peak.X, peak.Y, params.CenterClusterThreshold,
                       params.SideClusterThreshold, zone, threshold) ||
        !(threshold < peak.Score)) {
      continue;
    }
    ++(zone == Zone::Centre ? centre : side);
    if (clusterTable != nullptr) {
      clusterTable->Offer(DefectRecord{peak.X, peak.Y, peak.Score, peak.Colour, 0});
    }
  }
  results.CenterClusters = centre;
  results.SideClusters = side;
  results.CenterPixels = 0;
  results.SidePixels = 0;
}

void CountSinglePixels(const CandidateList& candidates, VisitedList& visited,
                       const Geometry& regions, const _PARAMS_Waferon& params,
                       _RESULT_Waferon& results) {
  std::int32_t centre = 0, side = 0;
  for (const DefectRecord& node : candidates.Records()) {
    if (visited.Contains(node.X, node.Y)) continue;
    Zone zone;
    double threshold;
    if (ZoneThreshold(regions, node.X, node.Y, params.CenterPixelThreshold,
                      params.SidePixelThreshold, zone, threshold) &&
        threshold < node.Score) {
      ++(zone == Zone::Centre ? centre : side);
    }
    visited.Add(node.X, node.Y);
  }
  results.CenterPixels = centre;
  results.SidePixels = side;
}

}  // namespace sensor::waferon
