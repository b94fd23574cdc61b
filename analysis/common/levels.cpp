#include "common/levels.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "common/kernels/common_kernels.h"
#include "common/parallel_rows.h"
#include "common/sample_rule.h"

namespace sensor {
namespace {

// Keeps the levels inside the bound picture whatever rectangle a caller hands in.
Rect Clip(const ImageBinding& image, const Rect& region) {
  if (image.Origin == nullptr) return Rect{};
  return Intersect(region, image.Bounds());
}

// Calls visit(y) for every row of the region in the order the rows lie in
// memory (bottom row first in a bottom-up picture), so that the reads run
// forward through the buffer as the processor's prefetching expects. The sums
// are exact integers, so the order does not change them.
template <class Visit>
void ForRowsInMemoryOrder(const ImageBinding& image, const Rect& r, const Visit& visit) {
  if (image.TopRowFirst()) {
    for (std::int32_t y = r.Top; y <= r.Bottom; ++y) visit(y);
  } else {
    for (std::int32_t y = r.Bottom; y >= r.Top; --y) visit(y);
  }
}

// The row loops are kernels (kernels/level_sum_rows.h).
void SumColourRows(const ImageBinding& image, const Rect& r, std::uint64_t (&sums)[3]) {
  const CommonKernels& k = ActiveCommonKernels();
  ForRowsInMemoryOrder(image, r, [&](std::int32_t y) {
    k.SumColourRow(image.PixelAt(r.Left, y), r.Columns(), image.BytesPerPixel, sums);
  });
}

void SumBayerRows(const ImageBinding& image, const Rect& r, std::int32_t top, int shift,
                  std::uint64_t (&sums)[5]) {
  const CommonKernels& k = ActiveCommonKernels();
  ForRowsInMemoryOrder(image, r, [&](std::int32_t y) {
    const bool oddRow = ((std::int64_t{y} - top) & 1) != 0;
    const ColumnParitySums row = k.SumBayerRow(image.PixelAt(r.Left, y), r.Columns(), image.BytesPerPixel, shift);
    (oddRow ? sums[2] : sums[3]) += row.Even;
    (oddRow ? sums[4] : sums[0]) += row.Odd;
  });
}

// sum(rows, partSums) over the region's rows, in parts of consecutive rows on
// the analysis threads; the parts' exact sums are added up. Without memory
// for the parts' bookkeeping the sums are taken on one thread.
template <std::size_t kSums, class Sum>
void SumInParts(const Rect& r, std::uint64_t (&sums)[kSums], const Sum& sum) {
  const int parts = PartsFor(r.Rows(), r.Columns());
  if (parts > 1) {
    try {
      std::vector<std::array<std::uint64_t, kSums>> partSums(static_cast<std::size_t>(parts));
      RethrowFirst(RunParts(parts, [&](int part) {
        Rect rows = r;
        rows.Top = static_cast<std::int32_t>(PartStart(r.Top, r.Rows(), part, parts));
        rows.Bottom = static_cast<std::int32_t>(PartStart(r.Top, r.Rows(), part + 1, parts) - 1);
        std::uint64_t own[kSums] = {};
        sum(rows, own);
        std::copy(own, own + kSums, partSums[static_cast<std::size_t>(part)].begin());
      }));
      for (const auto& part : partSums) {
        for (std::size_t c = 0; c < kSums; ++c) sums[c] += part[c];
      }
      return;
    } catch (const std::bad_alloc&) {
    }
  }
  sum(r, sums);
}

}  // namespace

LevelSet ColourLevels(const ImageBinding& image, const Rect& region) {
  LevelSet levels{};
  const Rect r = Clip(image, region);
  if (r.Empty()) return levels;
  std::uint64_t sums[3] = {0, 0, 0};  // blue, green, red
  SumInParts(r, sums, [&](const Rect& rows, std::uint64_t (&part)[3]) { SumColourRows(image, rows, part); });
  const double count = static_cast<double>(r.Columns() * r.Rows());
  levels[0] = static_cast<double>(sums[2]) / count;
  levels[1] = static_cast<double>(sums[1]) / count;
  levels[2] = static_cast<double>(sums[0]) / count;
  return levels;
}

namespace {

// The Bayer levels of the region `r` from the five positions' exact sums.
LevelSet BayerMeans(const Rect& r, const std::uint64_t (&sums)[5]) {
  LevelSet levels{};
  // Sites per position: even/odd columns times even/odd rows of the region.
  const std::int64_t cols = r.Columns(), rows = r.Rows();
  const std::int64_t evenCols = (cols + 1) / 2, oddCols = cols / 2;
  const std::int64_t evenRows = (rows + 1) / 2, oddRows = rows / 2;
  const std::int64_t counts[5] = {evenRows * oddCols, 0, oddRows * evenCols, evenRows * evenCols,
                                  oddRows * oddCols};
  for (int c = 0; c < 5; ++c) {
    if (counts[c] != 0) levels[c] = static_cast<double>(sums[c]) / static_cast<double>(counts[c]);
  }
  return levels;
}

// One row of a single-sample view: the samples of even and odd columns from
// `left`, each read as the station reads the pixel the view's sample maps to
// (ImageView.h): (v & mask) >> shift.
template <class Sample>
ColumnParitySums SumSampleRow(const void* row, std::int32_t left, std::int64_t count, std::uint32_t mask,
                              std::uint32_t shift) {
  const Sample* at = static_cast<const Sample*>(row) + left;
  std::uint64_t even = 0, odd = 0;
  std::int64_t i = 0;
  for (; i + 1 < count; i += 2) {
    even += (std::uint32_t{at[i]} & mask) >> shift;
    odd += (std::uint32_t{at[i + 1]} & mask) >> shift;
  }
  if (i < count) even += (std::uint32_t{at[i]} & mask) >> shift;
  return ColumnParitySums{even, odd};
}

}  // namespace

LevelSet BayerLevels(const ImageBinding& image, const Rect& region, std::int32_t sensorBpp,
                     std::int32_t testBpp) {
  const Rect r = Clip(image, region);
  if (r.Empty()) return LevelSet{};
  std::uint64_t sums[5] = {0, 0, 0, 0, 0};
  const int shift = SampleRule::For(sensorBpp, testBpp).Shift;
  SumInParts(r, sums,
             [&](const Rect& rows, std::uint64_t (&part)[5]) { SumBayerRows(image, rows, r.Top, shift, part); });
  return BayerMeans(r, sums);
}

LevelSet BayerLevelsOfSamples(const sensordefect::ImageView& view, const Rect& region, std::int32_t sensorBpp,
                              std::int32_t testBpp) {
  const Rect r = Intersect(region, Rect{0, 0, view.Width - 1, view.Height - 1});
  if (r.Empty()) return LevelSet{};
  // The view's sample v becomes the pixel of bytes v >> s and v's s low bits
  // (s = sensorBpp - 8); the sample rule reads that pixel back as v >> s at a
  // shift of 0, else as v with the bits between its two lowest and bit s
  // cleared.
  const std::uint32_t s = static_cast<std::uint32_t>(sensorBpp - 8);
  const bool whole = SampleRule::For(sensorBpp, testBpp).Shift != 0;
  const std::uint32_t mask = whole ? ~((1u << s) - 1) | 3u : ~0u;
  const std::uint32_t shift = whole ? 0 : s;
  const bool wide = view.Layout == sensordefect::PixelLayout::Bayer16;
  std::uint64_t sums[5] = {0, 0, 0, 0, 0};
  SumInParts(r, sums, [&](const Rect& rows, std::uint64_t (&part)[5]) {
    for (std::int32_t y = rows.Top; y <= rows.Bottom; ++y) {
      const void* row = static_cast<const std::uint8_t*>(view.Pixels) + y * view.RowStride;
      const ColumnParitySums sum = wide ? SumSampleRow<std::uint16_t>(row, r.Left, r.Columns(), mask, shift)
                                        : SumSampleRow<std::uint8_t>(row, r.Left, r.Columns(), mask, shift);
      const bool oddRow = ((std::int64_t{y} - r.Top) & 1) != 0;
      (oddRow ? part[2] : part[3]) += sum.Even;
      (oddRow ? part[4] : part[0]) += sum.Odd;
    }
  });
  return BayerMeans(r, sums);
}

}  // namespace sensor
