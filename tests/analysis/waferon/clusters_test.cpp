// Cluster growth (its order through the peaks it picks, the rule that it
// never moves up, sizes), the cluster and single-pixel counts by zone, and the lists kept
// between runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "common/parallel_rows.h"
#include "waferon/core/clusters.h"
#include "waferon/station/module_state.h"
#include "reference_rules.h"
#include "vector_sets.h"
#include "waferon_session.h"

namespace sensor::waferon {
namespace {

using Position = std::pair<std::int32_t, std::int32_t>;

CandidateList ListOf(const std::vector<DefectRecord>& records) {
  CandidateList list;
  for (const DefectRecord& r : records) list.Append(r);
  return list;
}

Geometry WholeCentre(std::int32_t width, std::int32_t height) {
  return Geometry{Rect{0, 0, width - 1, height - 1}, Rect{0, 0, width - 1, height - 1}};
}

_PARAMS_Waferon Thresholds(double cluster, double pixel, std::int32_t clusterSize = 2) {
  _PARAMS_Waferon p{};
  for (int c = 0; c < 5; ++c) {
    p.CenterClusterThreshold[c] = p.SideClusterThreshold[c] = cluster;
    p.CenterPixelThreshold[c] = p.SidePixelThreshold[c] = pixel;
  }
  p.ClusterSize = clusterSize;
  return p;
}

struct Counts {
  _RESULT_Waferon Result{};
  std::vector<DefectRecord> Table;
  std::vector<DefectRecord> Peaks;
};

Counts CountAll(const CandidateList& list, const Geometry& g, const _PARAMS_Waferon& p,
                std::int32_t step, bool clusters = true) {
  VisitedList visited;
  ResultTable table(8);
  Counts counts;
  if (clusters) CountClusters(list, visited, &table, g, p, step, counts.Result, counts.Peaks);
  CountSinglePixels(list, visited, g, p, counts.Result);
  table.Sort();
  for (const DefectRecord& e : table.Entries())
    if (!ResultTable::IsEmpty(e)) counts.Table.push_back(e);
  return counts;
}

TEST(WaferonClusters, TwoNeighboursMakeOneClusterOrNothingWhenTooSmall) {
  const CandidateList pair = ListOf({{3, 3, 9.0, 0, 0}, {4, 3, 8.0, 1, 0}});
  Counts counts = CountAll(pair, WholeCentre(10, 10), Thresholds(5.0, 5.0), 1);
  EXPECT_EQ(counts.Result.CenterClusters, 1);
  EXPECT_EQ(counts.Result.CenterPixels, 0);
  ASSERT_EQ(counts.Table.size(), 1u);
  EXPECT_EQ(counts.Table[0].X, 3);
  EXPECT_EQ(counts.Table[0].Score, 9.0);

  counts = CountAll(pair, WholeCentre(10, 10), Thresholds(5.0, 5.0, 3), 1);
  EXPECT_EQ(counts.Result.CenterClusters, 0);
  EXPECT_EQ(counts.Result.CenterPixels, 0);  // both were taken by the growth
  EXPECT_TRUE(counts.Table.empty());
}

TEST(WaferonClusters, GrowthNeverMovesUpSoAMemberAboveStartsItsOwnCluster) {
  // In scan order (0, 0), (2, 0), (1, 1): (0, 0) reaches (1, 1) down-right;
  // (2, 0) is reached from (1, 1) only by moving up.
  const CandidateList list = ListOf({{0, 0, 6.0, 0, 0}, {2, 0, 9.0, 0, 0}, {1, 1, 7.0, 0, 0}});
  const Counts counts = CountAll(list, WholeCentre(10, 10), Thresholds(5.0, 5.0), 1);
  EXPECT_EQ(counts.Result.CenterClusters, 1);  // {(0,0), (1,1)}; (2,0) alone does not count
  EXPECT_EQ(counts.Result.CenterPixels, 0);
  ASSERT_EQ(counts.Table.size(), 1u);
  EXPECT_EQ(counts.Table[0].Score, 7.0) << "(2, 0) did not join";
}

TEST(WaferonClusters, BayerNeighboursAreTwoApartSoOtherColoursNeverJoin) {
  const Geometry g = WholeCentre(20, 20);
  Counts counts = CountAll(ListOf({{10, 10, 9.0, 0, 0}, {12, 10, 9.0, 0, 0}}), g, Thresholds(5, 5), 2);
  EXPECT_EQ(counts.Result.CenterClusters, 1);
  counts = CountAll(ListOf({{10, 10, 9.0, 0, 0}, {11, 10, 9.0, 0, 0}}), g, Thresholds(5, 5), 2);
  EXPECT_EQ(counts.Result.CenterClusters, 0);
  EXPECT_EQ(counts.Result.CenterPixels, 2);
}

TEST(WaferonClusters, TheFirstVisitedOfEqualTopScoresIsThePeak) {
  // From (5, 5): (4, 5) is taken before (5, 6); both score 8.
  const CandidateList list = ListOf({{5, 5, 1.0, 0, 0}, {4, 5, 8.0, 1, 0}, {5, 6, 8.0, 2, 0}});
  const Counts counts = CountAll(list, WholeCentre(10, 10), Thresholds(0.0, 0.0, 3), 1);
  ASSERT_EQ(counts.Table.size(), 1u);
  EXPECT_EQ(counts.Table[0].X, 4);
  EXPECT_EQ(counts.Table[0].Colour, 1);
}

// The count by the recursive rule: each candidate in list order, unless
// visited or without a candidate neighbour, grows a cluster; its peak is the
// first member of the highest score in the order of growth.
std::vector<DefectRecord> ReferencePeaks(const std::vector<DefectRecord>& records, const Rect& region,
                                         std::int32_t step, std::int32_t clusterSize) {
  std::vector<Position> positions;
  for (const DefectRecord& r : records) positions.emplace_back(r.X, r.Y);
  auto firstAt = [&](const Position& p) {
    return *std::find_if(records.begin(), records.end(),
                         [&](const DefectRecord& r) { return r.X == p.first && r.Y == p.second; });
  };
  auto isCandidate = [&](std::int32_t x, std::int32_t y) {
    return std::find(positions.begin(), positions.end(), Position{x, y}) != positions.end();
  };
  std::vector<Position> visited;
  std::vector<DefectRecord> table = reference::EmptyTable(64);
  for (const auto& [x, y] : positions) {
    if (std::find(visited.begin(), visited.end(), Position{x, y}) != visited.end()) continue;
    bool neighbour = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        neighbour = neighbour || ((dx != 0 || dy != 0) && isCandidate(x + dx * step, y + dy * step));
    if (!neighbour) continue;
    DefectRecord peak{0, 0, 0.0, 0, 0};
    const auto order = reference::GrowOrder(positions, region, x, y, step, visited);
    for (const Position& member : order) {
      const DefectRecord r = firstAt(member);
      if (r.Score > peak.Score) peak = r;
    }
    if (static_cast<std::int32_t>(order.size()) >= clusterSize) reference::OfferToTable(table, peak);
  }
  reference::SortTable(table);
  return table;
}

TEST(WaferonClusters, PeaksFollowTheOrderOfTheRecursiveRule) {
  // Few distinct scores, so that which of equal scores is met first decides
  // most peaks.
  std::mt19937 random(21);
  for (int trial = 0; trial < 300; ++trial) {
    const std::int32_t step = 1 + static_cast<std::int32_t>(trial % 2);
    std::set<Position> taken;
    std::vector<DefectRecord> records;
    const int count = 5 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      const Position p{static_cast<std::int32_t>(random() % 14), static_cast<std::int32_t>(random() % 14)};
      if (!taken.insert(p).second) continue;
      records.push_back({p.first, p.second, 1.0 + static_cast<double>(random() % 3),
                         static_cast<std::int32_t>(random() % 5), 0});
    }
    const Rect region{1, 0, 12, 12};  // some candidates lie outside
    const CandidateList list = ListOf(records);
    VisitedList visited;
    ResultTable table(64);
    _RESULT_Waferon result{};
    std::vector<DefectRecord> peaks;
    CountClusters(list, visited, &table, Geometry{region, region}, Thresholds(0.0, 0.0), step, result, peaks);
    table.Sort();
    const std::vector<DefectRecord> expected = ReferencePeaks(records, region, step, 2);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(table[i].X, expected[i].X) << "trial " << trial << " entry " << i;
      ASSERT_EQ(table[i].Y, expected[i].Y) << "trial " << trial << " entry " << i;
      ASSERT_EQ(table[i].Score, expected[i].Score) << "trial " << trial << " entry " << i;
    }
    // Every counted cluster's peak, each once: the same as the table's entries.
    ASSERT_EQ(static_cast<std::int32_t>(peaks.size()), result.CenterClusters + result.SideClusters);
    ASSERT_EQ(peaks.size(), static_cast<std::size_t>(std::count_if(expected.begin(), expected.end(),
                                                                     [](const DefectRecord& e) { return e.X >= 0; })));
    for (const DefectRecord& e : peaks) {
      ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [&](const DefectRecord& x) {
        return x.X == e.X && x.Y == e.Y && x.Score == e.Score;
      })) << "trial " << trial;
    }
  }
}

SENSOR_VECTOR_SET_TEST(WaferonClusters, TheGridAndTheIndexesGiveTheSameCounts) {
  // Random candidate lists with repeated positions, members outside the search
  // region and positions visited by an earlier run: the count through bits
  // over the bounding box equals the count through the lists' indexes in its
  // cluster counts, its table and every position it leaves visited. One lone
  // candidate far away, outside the region, makes the box too large for the
  // grid and sends the second count to the indexes.
  // Both counts share one grid memory across the trials, as the library's runs
  // do: nothing of a larger or unusable box before may leak into a count.
  std::mt19937 random(31);
  ClusterGrid reused;
  for (int trial = 0; trial < 200; ++trial) {
    const std::int32_t step = 1 + static_cast<std::int32_t>(trial % 2);
    const std::int32_t span = 4 + static_cast<std::int32_t>(random() % 40);
    const std::int32_t origin = static_cast<std::int32_t>(random() % 3) - 1;  // -1 reaches past the edge
    std::vector<DefectRecord> records;
    const int count = 1 + static_cast<int>(random() % (span * span / 2 + 1));
    for (int i = 0; i < count; ++i) {
      records.push_back({origin + static_cast<std::int32_t>(random() % span),
                         origin + static_cast<std::int32_t>(random() % span),
                         static_cast<double>(random() % 20), static_cast<std::int32_t>(random() % 5), 0});
    }
    const CandidateList list = ListOf(records);
    records.push_back({span + 20000, span + 20000, 1.0, 0, 0});
    const CandidateList farList = ListOf(records);
    records.pop_back();
    Geometry g{Rect{1, 1, span - 3, span - 2}, Rect{span / 4, span / 4, span / 2, span / 2}};
    _PARAMS_Waferon p = Thresholds(static_cast<double>(random() % 10), 0.0,
                                   1 + static_cast<std::int32_t>(random() % 4));
    VisitedList byGrid, byIndexes;
    for (const DefectRecord& r : records) {
      if (random() % 8 == 0) {
        byGrid.Add(r.X, r.Y);
        byIndexes.Add(r.X, r.Y);
      }
    }
    ResultTable gridTable(6), indexTable(6);
    _RESULT_Waferon gridResult{}, indexResult{};
    std::vector<DefectRecord> gridPeaks, indexPeaks;
    CountClusters(list, byGrid, &gridTable, g, p, step, gridResult, gridPeaks, &reused);
    CountClusters(farList, byIndexes, &indexTable, g, p, step, indexResult, indexPeaks, &reused);
    ASSERT_EQ(gridPeaks.size(), indexPeaks.size()) << "trial " << trial;
    ASSERT_EQ(gridResult.CenterClusters, indexResult.CenterClusters) << "trial " << trial;
    ASSERT_EQ(gridResult.SideClusters, indexResult.SideClusters) << "trial " << trial;
    ASSERT_EQ(byGrid.Size(), byIndexes.Size()) << "trial " << trial;
    for (const DefectRecord& r : records) ASSERT_EQ(byGrid.Contains(r.X, r.Y), byIndexes.Contains(r.X, r.Y));
    for (std::size_t i = 0; i < 6; ++i) {
      ASSERT_EQ(gridTable[i].X, indexTable[i].X) << "trial " << trial;
      ASSERT_EQ(gridTable[i].Y, indexTable[i].Y) << "trial " << trial;
      ASSERT_EQ(gridTable[i].Score, indexTable[i].Score) << "trial " << trial;
    }
  }
}

SENSOR_VECTOR_SET_TEST(WaferonClusters, CountsInPartsEqualOneThreadOnListsCutBetweenRows) {
  // Lists in scan order (the rows never go back up) with blobs several rows
  // tall, so that many places where the parts might be cut are crossed by a
  // growth, repeated positions, members outside the region and positions
  // visited before; dense ones counted through the grid, sparse ones (one
  // candidate far away) through the indexes; and lists whose rows go back up,
  // as a second run appends them. Two and three threads give one thread's
  // counts, peaks in order, table and visited positions.
  std::mt19937 random(47);
  for (int trial = 0; trial < 120; ++trial) {
    const std::int32_t step = 1 + static_cast<std::int32_t>(trial % 2);
    const std::int32_t width = 8 + static_cast<std::int32_t>(random() % 60);
    const std::int32_t height = 8 + static_cast<std::int32_t>(random() % 120);
    std::vector<DefectRecord> records;
    const int blobs = 1 + static_cast<int>(random() % 40);
    for (int b = 0; b < blobs; ++b) {
      const std::int32_t x0 = static_cast<std::int32_t>(random() % width);
      const std::int32_t y0 = static_cast<std::int32_t>(random() % height);
      const int size = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < size; ++i) {
        records.push_back({x0 + step * static_cast<std::int32_t>(random() % 3),
                           y0 + step * static_cast<std::int32_t>(random() % 6),
                           static_cast<double>(random() % 6), static_cast<std::int32_t>(random() % 5), 0});
      }
    }
    if (trial % 3 == 0) records.push_back(records[random() % records.size()]);  // a repeated position
    std::stable_sort(records.begin(), records.end(),
                     [](const DefectRecord& a, const DefectRecord& b) { return a.Y < b.Y; });
    if (trial % 4 == 1) records.push_back({width + 20000, height + 20000, 1.0, 0, 0});  // too sparse for the grid
    if (trial % 5 == 2) {
      const auto half = static_cast<std::ptrdiff_t>(records.size() / 2);
      const std::vector<DefectRecord> first(records.begin(), records.begin() + half);
      records.insert(records.end(), first.begin(), first.end());  // the rows go back up
    }
    const CandidateList list = ListOf(records);
    const Geometry g{Rect{1, 1, width - 2, height + 10}, Rect{width / 4, height / 4, width / 2, height / 2}};
    const _PARAMS_Waferon p = Thresholds(static_cast<double>(random() % 4), static_cast<double>(random() % 4),
                                         1 + static_cast<std::int32_t>(random() % 3));
    std::vector<Position> before;
    for (const DefectRecord& r : records)
      if (random() % 16 == 0) before.emplace_back(r.X, r.Y);

    auto count = [&](int threads, ClusterGrid& grid, VisitedList& visited, Counts& out) {
      for (const auto& [x, y] : before) visited.Add(x, y);
      ResultTable table(8);
      SetAnalysisThreads(threads, true);
      CountClusters(list, visited, &table, g, p, step, out.Result, out.Peaks, &grid);
      CountSinglePixels(list, visited, g, p, out.Result);
      SetAnalysisThreads(0);
      table.Sort();
      out.Table.assign(table.Entries().begin(), table.Entries().end());
    };
    ClusterGrid oneGrid;
    VisitedList oneVisited;
    Counts one;
    count(1, oneGrid, oneVisited, one);
    {
      // The single-pixel count alone against its rule: each record in list
      // order counts unless its position was visited, then is visited.
      std::set<Position> seen(before.begin(), before.end());
      std::int32_t expected[2] = {0, 0};
      for (const DefectRecord& r : records) {
        if (!seen.insert({r.X, r.Y}).second) continue;
        Zone zone;
        double threshold;
        if (ZoneThreshold(g, r.X, r.Y, p.CenterPixelThreshold, p.SidePixelThreshold, zone, threshold) &&
            threshold < r.Score) {
          ++expected[zone == Zone::Centre ? 0 : 1];
        }
      }
      VisitedList visited;
      for (const auto& [x, y] : before) visited.Add(x, y);
      _RESULT_Waferon alone{};
      SetAnalysisThreads(1 + trial % 3, true);
      CountSinglePixels(list, visited, g, p, alone);
      SetAnalysisThreads(0);
      EXPECT_EQ(alone.CenterPixels, expected[0]) << "trial " << trial;
      EXPECT_EQ(alone.SidePixels, expected[1]) << "trial " << trial;
      EXPECT_EQ(visited.Size(), seen.size()) << "trial " << trial;
    }
    for (int threads : {2, 3}) {
      ClusterGrid grid;
      VisitedList visited;
      Counts split;
      count(threads, grid, visited, split);
      const std::string where = "trial " + std::to_string(trial) + ", threads " + std::to_string(threads);
      EXPECT_EQ(split.Result.CenterClusters, one.Result.CenterClusters) << where;
      EXPECT_EQ(split.Result.SideClusters, one.Result.SideClusters) << where;
      EXPECT_EQ(split.Result.CenterPixels, one.Result.CenterPixels) << where;
      EXPECT_EQ(split.Result.SidePixels, one.Result.SidePixels) << where;
      ASSERT_EQ(split.Peaks.size(), one.Peaks.size()) << where;
      for (std::size_t i = 0; i < one.Peaks.size(); ++i) {
        EXPECT_EQ(split.Peaks[i].X, one.Peaks[i].X) << where << ", peak " << i;
        EXPECT_EQ(split.Peaks[i].Y, one.Peaks[i].Y) << where << ", peak " << i;
        EXPECT_EQ(split.Peaks[i].Score, one.Peaks[i].Score) << where << ", peak " << i;
        EXPECT_EQ(split.Peaks[i].Reserved, one.Peaks[i].Reserved) << where << ", peak " << i;
      }
      for (std::size_t i = 0; i < one.Table.size(); ++i) {
        EXPECT_EQ(split.Table[i].X, one.Table[i].X) << where << ", entry " << i;
        EXPECT_EQ(split.Table[i].Score, one.Table[i].Score) << where << ", entry " << i;
      }
      EXPECT_EQ(visited.Size(), oneVisited.Size()) << where;
      for (const DefectRecord& r : records) ASSERT_TRUE(visited.Contains(r.X, r.Y)) << where;
    }
  }
}

TEST(WaferonClusters, PeaksAndSinglesAreJudgedByTheThresholdOfTheirZoneAndSite) {
  Geometry g;
  g.SearchRegion = Rect{0, 0, 19, 19};
  g.CenterZone = Rect{5, 5, 14, 14};
  _PARAMS_Waferon p = Thresholds(0.0, 0.0);
  p.SidePixelThreshold[3] = 10.0;   // G1 sites (even, even) in the side zone
  p.CenterPixelThreshold[4] = 10.0;  // G2 sites (odd, odd) in the centre zone
  const CandidateList list = ListOf({
      {0, 0, 9.0, 0, 0},   // side, G1: 10 is not below 9
      {2, 0, 11.0, 0, 0},  // side, G1: counted (step 4 apart from the others)
      {7, 7, 9.0, 0, 0},   // centre, G2: not counted
      {9, 9, 9.5, 0, 0},   // centre, G2: not counted
      {6, 10, 1.0, 0, 0},  // centre, G1 in the centre: threshold 0
  });
  const Counts counts = CountAll(list, g, p, 4);
  EXPECT_EQ(counts.Result.SidePixels, 1);
  EXPECT_EQ(counts.Result.CenterPixels, 1);
  EXPECT_EQ(counts.Result.CenterClusters + counts.Result.SideClusters, 0);
}

TEST(WaferonClusters, WithoutClusterGrowthEveryCandidateMayCountAlone) {
  const CandidateList pair = ListOf({{3, 3, 9.0, 0, 0}, {4, 3, 8.0, 1, 0}});
  const Counts counts = CountAll(pair, WholeCentre(10, 10), Thresholds(5.0, 5.0), 1, false);
  EXPECT_EQ(counts.Result.CenterPixels, 2);
}

using namespace SensorDefectDetectionClass;

TEST(WaferonClusters, AOnePixelWideClusterOfTheWholeCandidateListGrowsWithoutRecursion) {
  waferon::test::Session s;
  sensor::test::TestImage image(65536, 3);
  image.FillBgr(10, 10, 10);
  for (std::int32_t x = 0; x < 65536; ++x) image.SetBgr(x, 1, 10, 10, 250);
  ASSERT_EQ(s.Bind(image), S_OK);
  _PARAMS_Waferon p = waferon::test::ColourParams(s, 100.0);
  _RESULT_Waferon result{};
  testing::internal::CaptureStdout();
  EXPECT_EQ(s.Run(p, result), S_OK);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(State().Candidates.Size(), 65536u);
  EXPECT_EQ(result.CenterClusters, 1);
  EXPECT_EQ(result.CenterPixels, 0);
}

TEST(WaferonClusters, ASecondRunTreatsTheFirstRunsPositionsAsVisited) {
  waferon::test::Session s;
  sensor::test::TestImage image(6, 6);
  image.FillBgr(10, 10, 10);
  image.SetBgr(1, 1, 10, 10, 250);
  image.SetBgr(2, 1, 10, 10, 250);
  image.SetBgr(4, 4, 10, 10, 250);
  ASSERT_EQ(s.Bind(image), S_OK);
  _PARAMS_Waferon p = waferon::test::ColourParams(s, 100.0);
  _RESULT_Waferon result{};
  testing::internal::CaptureStdout();
  ASSERT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(result.CenterClusters, 1);
  EXPECT_EQ(result.CenterPixels, 1);
  ASSERT_EQ(s.Run(p, result), S_OK);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(State().Candidates.Size(), 6u);  // the same three appended again
  EXPECT_EQ(result.CenterClusters, 0);
  EXPECT_EQ(result.CenterPixels, 0);

  p.FindClusters = 0;  // the cluster counts then stay as the last run left them
  s.library.Results.CenterClusters = 42;
  testing::internal::CaptureStdout();
  ASSERT_EQ(s.Run(p, result), S_OK);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(result.CenterClusters, 42);
}

}  // namespace
}  // namespace sensor::waferon
