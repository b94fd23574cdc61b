// The window band against plain re-summing: every window of every row as the
// band moves down, in 32- and 64-bit lanes, for every row and every second row,
// with windows taken over every column, every second column, or one compressed
// lattice of columns; windows moved and cut at the region's edges as the
// searches place them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "common/window_band.h"
#include "common/window_placement.h"

namespace sensor {
namespace {

// A picture of 16-bit values, one row after the other.
struct ValuePicture {
  std::int64_t Width, Height;
  std::vector<std::uint16_t> Values;

  ValuePicture(std::int64_t width, std::int64_t height, std::mt19937& random, std::uint16_t limit)
      : Width(width), Height(height), Values(static_cast<std::size_t>(width * height)) {
    for (auto& v : Values) v = static_cast<std::uint16_t>(random() % limit);
  }
  std::uint16_t At(std::int64_t x, std::int64_t y) const { return Values[static_cast<std::size_t>(y * Width + x)]; }
  // The rows of columns left .. left + columns - 1.
  RowSource Rows(std::int64_t left, std::int64_t columns) const {
    return RowSource{reinterpret_cast<const std::uint8_t*>(Values.data() + left),
                     static_cast<std::ptrdiff_t>(Width * 2), columns};
  }
};

// Adds the values of row `enter` to the column sums and subtracts those of row
// `leave` (either may be kNoRow), value(row, i) being the value of column i.
template <class Lane, class Value>
void ApplyRows(const RowSource& source, std::int64_t enter, std::int64_t leave, Lane* column, const Value& value) {
  const std::int64_t n = source.Columns;
  if (leave == kNoRow) {
    const std::uint8_t* in = source.Row(enter);
    for (std::int64_t i = 0; i < n; ++i) column[i] += value(in, i);
  } else if (enter == kNoRow) {
    const std::uint8_t* out = source.Row(leave);
    for (std::int64_t i = 0; i < n; ++i) column[i] -= value(out, i);
  } else {
    const std::uint8_t* in = source.Row(enter);
    const std::uint8_t* out = source.Row(leave);
    for (std::int64_t i = 0; i < n; ++i) column[i] += value(in, i) - value(out, i);
  }
}

template <class Lane>
auto UpdateFrom(const RowSource& source) {
  return [source](std::int64_t enter, std::int64_t leave, Lane* column) {
    ApplyRows(source, enter, leave, column, [](const std::uint8_t* row, std::int64_t i) {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * i, sizeof v);
      return static_cast<Lane>(v);
    });
  };
}

// Every column index of a region; windows of every column (step 1) or of every
// second column among all of them (step 2), rows `step` apart.
template <class Lane>
void EveryWindowOfEveryRow(std::uint32_t seed) {
  std::mt19937 random(seed);
  for (int trial = 0; trial < 60; ++trial) {
    const ValuePicture picture(1 + random() % 37, 1 + random() % 25, random, 4096);
    const std::int64_t step = 1 + trial % 2;
    WindowBand<Lane> band;
    band.Reset(static_cast<std::size_t>(picture.Width), step, step);
    const auto update = UpdateFrom<Lane>(picture.Rows(0, picture.Width));
    const std::int64_t half = static_cast<std::int64_t>(random() % 6) * step;
    for (std::int64_t y = 0; y < picture.Height; ++y) {
      // Rows of y's lattice around y, as a search covers them.
      std::int64_t y0 = y - half, y1 = y + half;
      while (y0 < 0) y0 += step;
      while (y1 >= picture.Height) y1 -= step;
      band.Cover(y0, y1, update);
      ASSERT_EQ(band.Rows(), (y1 - y0) / step + 1);
      for (std::int64_t i0 = 0; i0 < picture.Width; ++i0) {
        for (std::int64_t i1 = i0; i1 < picture.Width; i1 += step) {
          std::uint64_t plain = 0;
          for (std::int64_t row = y0; row <= y1; row += step)
            for (std::int64_t i = i0; i <= i1; i += step) plain += picture.At(i, row);
          ASSERT_EQ(static_cast<std::uint64_t>(band.Sum(static_cast<std::size_t>(i0), static_cast<std::size_t>(i1))),
                    plain)
              << "trial " << trial << " row " << y << " columns " << i0 << ".." << i1;
        }
      }
    }
  }
}

TEST(WindowBand, ThirtyTwoBitLanesSumEveryWindowExactly) { EveryWindowOfEveryRow<std::uint32_t>(5); }
TEST(WindowBand, SixtyFourBitLanesSumEveryWindowExactly) { EveryWindowOfEveryRow<std::uint64_t>(6); }

// The sites of one Bayer colour as their own lattice: every second column from
// a first one is one entry of the band, rows two apart, a band per row parity;
// windows placed by the site rule, moved and cut at the region's edges.
template <class Lane>
void LatticeWindowsAtTheEdges(std::uint32_t seed) {
  std::mt19937 random(seed);
  for (int trial = 0; trial < 40; ++trial) {
    const ValuePicture picture(3 + random() % 40, 3 + random() % 30, random, 4096);
    const std::int64_t lo = random() % 3, hi = picture.Width - 1 - static_cast<std::int64_t>(random() % 3);
    const std::int64_t top = random() % 3, bottom = picture.Height - 1 - static_cast<std::int64_t>(random() % 3);
    const std::int64_t half = static_cast<std::int64_t>(random() % 8) * 2;
    for (std::int64_t first = lo; first <= std::min(lo + 1, hi); ++first) {
      // Lattice columns first, first + 2, ... read through a strided value.
      const std::int64_t n = (hi - first) / 2 + 1;
      const RowSource source = picture.Rows(first, n);
      auto update = [source](std::int64_t enter, std::int64_t leave, Lane* column) {
        ApplyRows(source, enter, leave, column, [](const std::uint8_t* row, std::int64_t i) {
          std::uint16_t v;
          std::memcpy(&v, row + 4 * i, sizeof v);
          return static_cast<Lane>(v);
        });
      };
      WindowBand<Lane> bands[2];
      for (auto& band : bands) band.Reset(static_cast<std::size_t>(n), 2, 1);
      for (std::int64_t y = top; y <= bottom; ++y) {
        const Span rows = PlaceSiteWindow(y, half, top, bottom);
        WindowBand<Lane>& band = bands[(y - top) & 1];
        band.Cover(rows.First, rows.Last, update);
        ASSERT_EQ(band.Rows(), rows.Count(2));
        for (std::int64_t x = first; x <= hi; x += 2) {
          const Span columns = PlaceSiteWindow(x, half, lo, hi);
          ASSERT_EQ((columns.First - first) % 2, 0);
          std::uint64_t plain = 0;
          for (std::int64_t yy = rows.First; yy <= rows.Last; yy += 2)
            for (std::int64_t xx = columns.First; xx <= columns.Last; xx += 2) plain += picture.At(xx, yy);
          const auto i0 = static_cast<std::size_t>((columns.First - first) / 2);
          const auto i1 = static_cast<std::size_t>((columns.Last - first) / 2);
          ASSERT_EQ(static_cast<std::uint64_t>(band.Sum(i0, i1)), plain)
              << "trial " << trial << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(WindowBand, LatticeColumnsSumSiteWindowsCutAtTheEdgesIn32Bits) {
  LatticeWindowsAtTheEdges<std::uint32_t>(7);
}
TEST(WindowBand, LatticeColumnsSumSiteWindowsCutAtTheEdgesIn64Bits) {
  LatticeWindowsAtTheEdges<std::uint64_t>(8);
}

TEST(WindowBand, BoxesPlacedAtTheEdgesSumExactly) {
  std::mt19937 random(99);
  for (int trial = 0; trial < 30; ++trial) {
    const ValuePicture picture(3 + random() % 40, 3 + random() % 30, random, 256);
    const std::int64_t half = random() % 8;
    const std::int64_t lo = random() % 3, hi = picture.Width - 1 - static_cast<std::int64_t>(random() % 3);
    const std::int64_t top = random() % 3, bottom = picture.Height - 1 - static_cast<std::int64_t>(random() % 3);
    WindowBand<std::uint64_t> band;
    band.Reset(static_cast<std::size_t>(hi - lo + 1), 1, 1);
    const auto update = UpdateFrom<std::uint64_t>(picture.Rows(lo, hi - lo + 1));
    for (std::int64_t y = top; y <= bottom; ++y) {
      const Span rows = PlaceBox(y, half, top, bottom);
      band.Cover(rows.First, rows.Last, update);
      for (std::int64_t x = lo; x <= hi; ++x) {
        const Span columns = PlaceBox(x, half, lo, hi);
        std::uint64_t plain = 0;
        for (std::int64_t yy = rows.First; yy <= rows.Last; ++yy)
          for (std::int64_t xx = columns.First; xx <= columns.Last; ++xx) plain += picture.At(xx, yy);
        ASSERT_EQ(band.Sum(static_cast<std::size_t>(columns.First - lo), static_cast<std::size_t>(columns.Last - lo)),
                  plain)
            << "trial " << trial << " at " << x << "," << y;
      }
    }
  }
}

TEST(WindowBand, AnEmptyRangeSumsToZeroAndTheBandRefillsAfterIt) {
  std::mt19937 random(3);
  const ValuePicture picture(10, 8, random, 100);
  WindowBand<std::uint64_t> band;
  band.Reset(10, 1, 1);
  const auto update = UpdateFrom<std::uint64_t>(picture.Rows(0, 10));
  auto plain = [&](std::int64_t y0, std::int64_t y1) {
    std::uint64_t sum = 0;
    for (std::int64_t y = y0; y <= y1; ++y)
      for (std::int64_t x = 0; x < 10; ++x) sum += picture.At(x, y);
    return sum;
  };
  band.Cover(0, 4, update);
  EXPECT_EQ(band.Sum(0, 9), plain(0, 4));
  band.Cover(5, 4, update);
  EXPECT_EQ(band.Rows(), 0);
  EXPECT_EQ(band.Sum(0, 9), 0u);
  EXPECT_EQ(band.Sum(5, 4), 0u);
  band.Cover(3, 7, update);
  EXPECT_EQ(band.Sum(0, 9), plain(3, 7));
  // A jump past the covered rows starts the band afresh.
  band.Cover(2, 3, update);
  EXPECT_EQ(band.Sum(0, 9), plain(2, 3));
}

}  // namespace
}  // namespace sensor
