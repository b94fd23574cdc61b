#include "glazet/core/clusters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace sensor::glazet {
namespace {

using SensorDefectDetectionClass::BlemishFinding;

struct Map {
  std::int32_t Width, Height;
  std::vector<std::uint8_t> Bytes;
  std::vector<BlemishFinding> Found;

  Map(std::int32_t w, std::int32_t h)
      : Width(w), Height(h), Bytes(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0) {}
  Map& Mark(std::int32_t x, std::int32_t y) {
    Bytes[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] = 1;
    return *this;
  }
  std::int32_t Count(std::int32_t step, std::int32_t limit) {
    return CountClusters(Bytes.data(), Width, Height, step, limit);
  }
  // After Count with the same step and limit.
  std::int32_t Describe(std::int32_t step, std::int32_t limit) {
    Found.clear();
    return DescribeCountedClusters(Bytes.data(), Width, Height, step, limit, Found);
  }
};

// The count as first written: claim the marked neighbours of a pixel, then
// grow from each of them in turn, by recursion. Only for small maps.
struct RecursiveCount {
  RecursiveCount(Map& map, std::int32_t step) : M(map), Step(step) {}

  Map& M;
  std::int32_t Step;
  std::int64_t Size = 0;
  // The region being grown: its bounds and coordinate sums; the counted ones.
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::int64_t SumX = 0, SumY = 0;
  std::vector<BlemishFinding> Found;

  bool Claim(std::int32_t x, std::int32_t y) {
    if (x < 0 || x >= M.Width || y < 0 || y >= M.Height) return false;
    std::uint8_t& b = M.Bytes[static_cast<std::size_t>(y) * M.Width + x];
    if (b == 0) return false;
    b = 0;
    Left = std::min(Left, x), Top = std::min(Top, y), Right = std::max(Right, x), Bottom = std::max(Bottom, y);
    SumX += x, SumY += y;
    return true;
  }
  void ClaimAndGrow(std::int32_t x, std::int32_t y) {
    const std::int32_t q = Step;
    const std::pair<int, int> steps[5] = {{-q, 0}, {q, 0}, {-q, q}, {0, q}, {q, q}};
    std::vector<std::pair<int, int>> claimed;
    for (const auto& s : steps)
      if (Claim(x + s.first, y + s.second)) claimed.emplace_back(x + s.first, y + s.second);
    for (const auto& c : claimed) {
      ++Size;
      ClaimAndGrow(c.first, c.second);
    }
  }
  std::int32_t Run(std::int32_t limit) {
    std::int32_t clusters = 0;
    for (std::int32_t y = 0; y < M.Height; ++y)
      for (std::int32_t x = 0; x < M.Width; ++x) {
        Left = Right = x, Top = Bottom = y, SumX = SumY = 0;
        if (Claim(x, y)) {
          Size = 1;
          ClaimAndGrow(x, y);
          if (Size > limit) {
            ++clusters;
            Found.push_back({{Left, Top, Right, Bottom}, Size, static_cast<double>(SumX) / static_cast<double>(Size),
                             static_cast<double>(SumY) / static_cast<double>(Size)});
          }
        }
      }
    return clusters;
  }
};

TEST(ClusterCount, AnEmptyMapHasNoCluster) {
  Map m(7, 5);
  EXPECT_EQ(m.Count(1, 0), 0);
}

TEST(ClusterCount, ASinglePixelCountsOnlyBelowASizeLimitOfOne) {
  EXPECT_EQ(Map(5, 5).Mark(2, 2).Count(1, 0), 1);
  EXPECT_EQ(Map(5, 5).Mark(2, 2).Count(1, -3), 1);
  EXPECT_EQ(Map(5, 5).Mark(2, 2).Count(1, 1), 0);
}

TEST(ClusterCount, RegionsGrowOnlySidewaysAndDownward) {
  // (0,0) reaches (1,1) below right but not (2,0), which is reached only upward.
  EXPECT_EQ(Map(4, 3).Mark(0, 0).Mark(1, 1).Mark(2, 0).Count(1, 1), 1);
  EXPECT_EQ(Map(4, 3).Mark(0, 0).Mark(1, 1).Mark(2, 0).Count(1, 0), 2);
  // (1,0) reaches both pixels of the row below.
  EXPECT_EQ(Map(4, 3).Mark(1, 0).Mark(0, 1).Mark(2, 1).Count(1, 2), 1);
}

TEST(ClusterCount, RunsAndBlocksAreOneRegionEach) {
  Map m(12, 12);
  for (int i = 0; i < 5; ++i) m.Mark(1 + i, 1).Mark(10, 5 + i);
  Map again = m;
  EXPECT_EQ(m.Count(1, 4), 2);
  EXPECT_EQ(again.Count(1, 5), 0);
  Map block(6, 6);
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) block.Mark(x, y);
  EXPECT_EQ(block.Count(1, 8), 1);
}

TEST(ClusterCount, BayerStepJoinsOnlyPixelsOfOnePosition) {
  EXPECT_EQ(Map(20, 20).Mark(10, 10).Mark(12, 10).Count(2, 1), 1);
  EXPECT_EQ(Map(20, 20).Mark(10, 10).Mark(8, 12).Count(2, 1), 1);
  EXPECT_EQ(Map(20, 20).Mark(10, 10).Mark(14, 10).Count(2, 0), 2);
  EXPECT_EQ(Map(20, 20).Mark(10, 10).Mark(11, 10).Count(2, 1), 0);
}

TEST(ClusterCount, LeavesEveryCandidateMarkedAsTaken) {
  Map m(9, 9);
  m.Mark(0, 0).Mark(8, 8).Mark(4, 4).Mark(5, 5).Mark(3, 7);
  const std::vector<std::uint8_t> before = m.Bytes;
  EXPECT_EQ(m.Count(1, 0), 4);
  for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(m.Bytes[i], before[i] * 2) << i;
  EXPECT_EQ(m.Count(1, 0), 0) << "a taken mark seeds no region again";
}

TEST(ClusterCount, AOnePixelWideRegionOfTheCandidateLimitDoesNotExhaustTheStack) {
  Map column(1, 65535);
  for (int y = 0; y < 65535; ++y) column.Mark(0, y);
  EXPECT_EQ(column.Count(1, 65534), 1);
  Map row(65535, 1);
  for (int x = 0; x < 65535; ++x) row.Mark(x, 0);
  EXPECT_EQ(row.Count(1, 65534), 1);
  EXPECT_EQ(row.Count(1, 0), 0);  // already taken
}

// The description, a second pass over the counted map, finds the same regions
// as the count in the same order, each with the reference's bounds, size and
// centroid, and leaves every candidate marked as described.
TEST(ClusterCount, AgreesWithTheRecursiveCountOnRandomMapsAndDescribesEachCountedRegion) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + static_cast<int>(random() % 30), h = 1 + static_cast<int>(random() % 30);
    const int density = 1 + static_cast<int>(random() % 60);
    Map m(w, h);
    for (auto& b : m.Bytes) b = (random() % 100) < static_cast<unsigned>(density);
    Map reference = m;
    const std::int32_t step = 1 + trial % 2, limit = static_cast<std::int32_t>(random() % 6) - 1;
    RecursiveCount count{reference, step};
    const std::vector<std::uint8_t> marks = m.Bytes;
    const std::int32_t counted = m.Count(step, limit);
    ASSERT_EQ(counted, count.Run(limit)) << "trial " << trial;
    ASSERT_EQ(m.Describe(step, limit), counted) << "trial " << trial;
    ASSERT_EQ(m.Found.size(), count.Found.size()) << "trial " << trial;
    for (std::size_t i = 0; i < marks.size(); ++i) ASSERT_EQ(m.Bytes[i], marks[i] * kDescribed) << i;
    for (std::size_t i = 0; i < m.Found.size(); ++i) {
      const BlemishFinding &got = m.Found[i], &want = count.Found[i];
      ASSERT_EQ(got.Pixels, want.Pixels) << "trial " << trial << " region " << i;
      ASSERT_EQ(got.CentroidX, want.CentroidX) << "trial " << trial << " region " << i;
      ASSERT_EQ(got.CentroidY, want.CentroidY) << "trial " << trial << " region " << i;
      ASSERT_EQ(std::vector<std::int32_t>({got.Bounds.Left, got.Bounds.Top, got.Bounds.Right, got.Bounds.Bottom}),
                std::vector<std::int32_t>({want.Bounds.Left, want.Bounds.Top, want.Bounds.Right, want.Bounds.Bottom}))
          << "trial " << trial << " region " << i;
    }
  }
}

TEST(ClusterCount, FindsSparseMarksAnywhereInWideMaps) {
  // Long empty stretches between marks, marks in the last bytes of the map and
  // in every position of a 64-byte block: the map is skipped in blocks.
  std::mt19937 random(11);
  for (int trial = 0; trial < 60; ++trial) {
    const int w = 64 + static_cast<int>(random() % 300), h = 1 + static_cast<int>(random() % 12);
    Map m(w, h);
    const int marks = static_cast<int>(random() % 8);
    for (int k = 0; k < marks; ++k) m.Bytes[random() % m.Bytes.size()] = 1;
    if (trial % 3 == 0) m.Bytes.back() = 1;
    if (trial % 5 == 0) m.Bytes[m.Bytes.size() - 1 - random() % 70] = 1;
    Map reference = m;
    const std::int32_t step = 1 + trial % 2;
    ASSERT_EQ(m.Count(step, 0), (RecursiveCount{reference, step}.Run(0))) << "trial " << trial;
    ASSERT_EQ(m.Count(step, 0), 0) << "every mark was taken; trial " << trial;
  }
}

}  // namespace
}  // namespace sensor::glazet
