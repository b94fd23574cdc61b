#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/band_sums.h"
#include "common/window_placement.h"

namespace sensor {
namespace {

TEST(WindowPlacement, SiteWindowsMoveInwardByEvenSteps) {
  // Window of half-width 4 at the first column of a region starting at 10.
  Span s = PlaceSiteWindow(10, 4, 10, 100);
  EXPECT_EQ(s.First, 10);
  EXPECT_EQ(s.Last, 18);
  s = PlaceSiteWindow(11, 4, 10, 100);  // past the edge by 3: moved by 4
  EXPECT_EQ(s.First, 11);
  EXPECT_EQ(s.Last, 19);
  s = PlaceSiteWindow(100, 4, 10, 100);
  EXPECT_EQ(s.First, 92);
  EXPECT_EQ(s.Last, 100);
  s = PlaceSiteWindow(50, 4, 10, 100);
  EXPECT_EQ(s.First, 46);
  EXPECT_EQ(s.Last, 54);
}

TEST(WindowPlacement, WindowsLargerThanTheRegionAreCutToIt) {
  Span s = PlaceSiteWindow(3, 10, 0, 4);  // moved to 1..21, cut to 1..3
  EXPECT_EQ(s.First, 1);
  EXPECT_EQ(s.Last, 3);
  EXPECT_TRUE(s.Contains(3));
  s = PlaceBox(2, 5, 0, 4);
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 4);
  s = PlaceBox(1, 2, 0, 100);  // the first pixels share the box at the edge
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 4);
}

TEST(BandSums, EveryWindowEqualsThePlainSum) {
  std::mt19937 random(99);
  for (int trial = 0; trial < 30; ++trial) {
    const int w = 3 + static_cast<int>(random() % 40), h = 3 + static_cast<int>(random() % 30);
    std::vector<std::uint32_t> values(static_cast<std::size_t>(w * h));
    for (auto& v : values) v = random() % 4096;
    auto value = [&](std::int64_t x, std::int64_t y) { return values[static_cast<std::size_t>(y * w + x)]; };
    const int step = 1 + trial % 2;
    const std::int64_t half = (random() % 8) * step;
    const int lo = static_cast<int>(random() % 3), hi = w - 1 - static_cast<int>(random() % 3);
    const int top = static_cast<int>(random() % 3), bottom = h - 1 - static_cast<int>(random() % 3);
    BandSums band;
    band.Reset(lo, hi, step);
    // A band per row parity, as the Bayer searches keep them.
    BandSums other;
    other.Reset(lo, hi, step);
    for (int y = top; y <= bottom; ++y) {
      const Span rows = step == 2 ? PlaceSiteWindow(y, half, top, bottom) : PlaceBox(y, half, top, bottom);
      BandSums& b = (step == 2 && ((y - top) & 1)) ? other : band;
      b.Cover(rows.First, rows.Last, value);
      for (int x = lo; x <= hi; ++x) {
        const Span cols = step == 2 ? PlaceSiteWindow(x, half, lo, hi) : PlaceBox(x, half, lo, hi);
        std::uint64_t plain = 0;
        for (std::int64_t yy = rows.First; yy <= rows.Last; yy += step)
          for (std::int64_t xx = cols.First; xx <= cols.Last; xx += step) plain += value(xx, yy);
        ASSERT_EQ(b.Sum(cols.First, cols.Last), plain) << "trial " << trial << " at " << x << "," << y;
        ASSERT_EQ(b.Rows(), rows.Count(step));
      }
    }
  }
}

TEST(BandSums, EmptyRangesSumToZero) {
  BandSums band;
  band.Reset(0, 9, 1);
  auto one = [](std::int64_t, std::int64_t) { return 1u; };
  band.Cover(0, 4, one);
  EXPECT_EQ(band.Sum(0, 9), 50u);
  band.Cover(5, 4, one);
  EXPECT_EQ(band.Rows(), 0);
  EXPECT_EQ(band.Sum(0, 9), 0u);
  EXPECT_EQ(band.Sum(5, 4), 0u);
}

}  // namespace
}  // namespace sensor
