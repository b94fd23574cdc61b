#include "frontend/review/picture_shrink.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "analysis/common/parallel_rows.h"

namespace sensor::review {
namespace {

// The cells [First[i], End[i]) of a grid of `cells` that output pixel i of
// `size` covers; at least one each.
struct CellSpans {
  std::vector<std::int64_t> First;
  std::vector<std::int64_t> End;
};

CellSpans SpanCells(std::int64_t cells, std::int32_t size) {
  CellSpans spans;
  for (std::int64_t i = 0; i < size; ++i) {
    const std::int64_t first = std::min(i * cells / size, cells - 1);
    spans.First.push_back(first);
    spans.End.push_back(std::max(first + 1, (i + 1) * cells / size));
  }
  return spans;
}

struct SampleFormat {
  std::int32_t LowBits = 0;  // bits of the second byte below the first byte's
  std::uint32_t Max = 255;
};

SampleFormat FormatFor(const PictureReading& reading) {
  if (!reading.Bayer) return SampleFormat{};
  if (reading.SensorBpp == 10) return SampleFormat{2, 1023};
  if (reading.SensorBpp == 12) return SampleFormat{4, 4095};
  return SampleFormat{};
}

// The picture is summed column by column over the picture rows of one output
// row first (one pass over those rows, in memory order), then along the
// output pixels' column spans. A colour picture sums its bytes as stored
// (blue, green, red and any fourth byte); a Bayer picture its samples, one
// per pixel, so that a site's sum is that of its two columns.
struct Shape {
  std::int32_t Cell = 1;          // picture pixels per cell side
  std::int64_t Entries = 0;       // column sums per picture row
  std::int64_t EntriesPerCell = 1;  // column sums a cell spans
};

template <std::int32_t LowBits, class Sum>
void AddSamples(const std::uint8_t* row, std::int64_t step, std::int64_t pixels, Sum* sums) {
  constexpr std::uint32_t mask = (1u << LowBits) - 1;
  for (std::int64_t x = 0; x < pixels; ++x) {
    const std::uint8_t* p = row + x * step;
    sums[x] += static_cast<Sum>((std::uint32_t{p[0]} << LowBits) | (p[1] & mask));
  }
}

// Four bytes a pixel, known to the compiler (32-bit pictures).
template <std::int32_t LowBits, class Sum>
void AddWordSamples(const std::uint8_t* row, std::int64_t pixels, Sum* sums) {
  constexpr std::uint32_t mask = (1u << LowBits) - 1;
  for (std::int64_t x = 0; x < pixels; ++x) {
    const std::uint8_t* p = row + x * 4;
    sums[x] += static_cast<Sum>((std::uint32_t{p[0]} << LowBits) | (p[1] & mask));
  }
}

template <class Sum>
void AddRow(const std::uint8_t* row, const ImageBinding& picture, bool bayer, std::int32_t lowBits,
            std::int64_t entries, Sum* sums) {
  if (!bayer) {
    for (std::int64_t i = 0; i < entries; ++i) sums[i] += row[i];
    return;
  }
  const std::int64_t step = picture.BytesPerPixel;
  if (step == 4) {
    if (lowBits == 2) return AddWordSamples<2>(row, entries, sums);
    if (lowBits == 4) return AddWordSamples<4>(row, entries, sums);
    return AddWordSamples<0>(row, entries, sums);
  }
  if (lowBits == 2) return AddSamples<2>(row, step, entries, sums);
  if (lowBits == 4) return AddSamples<4>(row, step, entries, sums);
  AddSamples<0>(row, step, entries, sums);
}

template <class Sum>
void ShrinkRows(const ImageBinding& picture, const PictureReading& reading, const Shape& shape,
                const CellSpans& columns, const CellSpans& rows, std::int32_t firstRow,
                std::int32_t endRow, Canvas& out) {
  const SampleFormat format = FormatFor(reading);
  const std::int32_t width = out.Width();
  const std::int32_t cell = shape.Cell;
  const std::int64_t step = picture.BytesPerPixel;
  std::vector<Sum> sums(static_cast<std::size_t>(shape.Entries));
  for (std::int32_t oy = firstRow; oy < endRow; ++oy) {
    std::fill(sums.begin(), sums.end(), Sum{0});
    const std::int64_t rowCells = rows.End[oy] - rows.First[oy];
    for (std::int64_t y = rows.First[oy] * cell; y < rows.End[oy] * cell; ++y) {
      AddRow(picture.RowAt(static_cast<std::int32_t>(y)), picture, reading.Bayer, format.LowBits,
             shape.Entries, sums.data());
    }
    std::uint8_t* row = out.Row(oy);
    for (std::int32_t ox = 0; ox < width; ++ox) {
      const std::int64_t first = columns.First[ox];
      const std::int64_t end = columns.End[ox];
      const std::uint64_t count = static_cast<std::uint64_t>(rowCells) * static_cast<std::uint64_t>(end - first);
      if (reading.Bayer) {
        std::uint64_t sum = 0;
        for (std::int64_t i = first * shape.EntriesPerCell; i < end * shape.EntriesPerCell; ++i) sum += sums[i];
        const std::uint64_t full = count * static_cast<std::uint64_t>(cell * cell) * format.Max;
        const auto grey = static_cast<std::uint8_t>(std::min<std::uint64_t>((sum * 255 + full / 2) / full, 255));
        row[ox * 3] = row[ox * 3 + 1] = row[ox * 3 + 2] = grey;
      } else {
        std::uint64_t channel[3] = {0, 0, 0};
        for (std::int64_t cx = first; cx < end; ++cx) {
          for (int c = 0; c < 3; ++c) channel[c] += sums[cx * step + 2 - c];
        }
        for (int c = 0; c < 3; ++c) row[ox * 3 + c] = static_cast<std::uint8_t>((channel[c] + count / 2) / count);
      }
    }
  }
}

}  // namespace

Canvas ShrinkPicture(const ImageBinding& picture, const PictureReading& reading, std::int32_t width,
                     std::int32_t height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  Canvas out(width, height, Rgb{});
  if (picture.Origin == nullptr || picture.Width <= 0 || picture.Height <= 0 ||
      picture.BytesPerPixel < (reading.Bayer ? 2 : 3)) {
    return out;
  }

  // A Bayer picture shrunk is read in 2 x 2 sites.
  const bool sites = reading.Bayer && picture.Width >= 2 && picture.Height >= 2 &&
                     (width < picture.Width || height < picture.Height);
  Shape shape;
  shape.Cell = sites ? 2 : 1;
  const CellSpans columns = SpanCells(picture.Width / shape.Cell, width);
  const CellSpans rows = SpanCells(picture.Height / shape.Cell, height);
  const std::int64_t cellsWide = picture.Width / shape.Cell;
  shape.EntriesPerCell = reading.Bayer ? shape.Cell : picture.BytesPerPixel;
  shape.Entries = cellsWide * shape.EntriesPerCell;

  // A column sum adds at most this many values of at most 4095 each.
  std::int64_t tallest = 0;
  for (std::int32_t oy = 0; oy < height; ++oy) tallest = std::max(tallest, rows.End[oy] - rows.First[oy]);
  const bool narrow = tallest * shape.Cell * 4095 <= std::int64_t{std::numeric_limits<std::uint32_t>::max()};

  const int parts = PartsFor(height, std::int64_t{picture.Width} * std::max<std::int64_t>(1, picture.Height / height));
  RethrowFirst(RunParts(parts, [&](int part) {
    const auto first = static_cast<std::int32_t>(PartStart(0, height, part, parts));
    const auto end = static_cast<std::int32_t>(PartStart(0, height, part + 1, parts));
    if (narrow) {
      ShrinkRows<std::uint32_t>(picture, reading, shape, columns, rows, first, end, out);
    } else {
      ShrinkRows<std::uint64_t>(picture, reading, shape, columns, rows, first, end, out);
    }
  }));
  return out;
}

}  // namespace sensor::review
