// The searches' window band against plain sums: every window of every row as
// the band moves down, in 32- and 64-bit lanes, for every row and every
// second row.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "waferon/window_band.h"

namespace sensor::waferon {
namespace {

template <class Lane>
void CompareWithPlainSums(std::uint32_t seed) {
  std::mt19937 random(seed);
  for (int trial = 0; trial < 60; ++trial) {
    const std::int64_t width = 1 + random() % 37, height = 1 + random() % 25;
    const std::int64_t step = 1 + trial % 2;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height));
    for (auto& v : pixels) v = static_cast<std::uint8_t>(random());
    const RowSource source{pixels.data(), static_cast<std::ptrdiff_t>(width), width};
    WindowBand<Lane> band;
    band.Reset(static_cast<std::size_t>(width), step);
    const std::int64_t half = static_cast<std::int64_t>(random() % 6) * step;
    for (std::int64_t y = 0; y < height; ++y) {
      // Rows of y's lattice around y, as a search covers them.
      std::int64_t y0 = y - half, y1 = y + half;
      while (y0 < 0) y0 += step;
      while (y1 >= height) y1 -= step;
      band.Cover(y0, y1, [&source](std::int64_t enter, std::int64_t leave, Lane* column) {
        ApplyRows(source, enter, leave, column,
                  [](const std::uint8_t* row, std::int64_t i) { return static_cast<Lane>(row[i]); });
      });
      for (std::int64_t i0 = 0; i0 < width; ++i0) {
        for (std::int64_t i1 = i0; i1 < width; i1 += step) {
          std::uint64_t plain = 0;
          for (std::int64_t row = y0; row <= y1; row += step)
            for (std::int64_t i = i0; i <= i1; i += step) plain += pixels[static_cast<std::size_t>(row * width + i)];
          ASSERT_EQ(static_cast<std::uint64_t>(band.Sum(static_cast<std::size_t>(i0), static_cast<std::size_t>(i1))),
                    plain)
              << "trial " << trial << " row " << y << " columns " << i0 << ".." << i1;
        }
      }
    }
  }
}

TEST(WaferonWindowBand, ThirtyTwoBitLanesSumEveryWindowExactly) { CompareWithPlainSums<std::uint32_t>(5); }
TEST(WaferonWindowBand, SixtyFourBitLanesSumEveryWindowExactly) { CompareWithPlainSums<std::uint64_t>(6); }

}  // namespace
}  // namespace sensor::waferon
