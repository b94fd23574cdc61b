// The review picture's shrink by its plain rule, one output pixel after
// another, for the tests that hold the program's shrink to it.
#include "plain_shrink.h"

#include <algorithm>
#include <vector>

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

}  // namespace

Canvas ShrinkPicturePlainly(const ImageBinding& picture, const PictureReading& reading, std::int32_t width,
                     std::int32_t height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  Canvas out(width, height, Rgb{});
  if (picture.Origin == nullptr || picture.Width <= 0 || picture.Height <= 0) return out;

  const SampleFormat format = FormatFor(reading);
  const std::uint32_t lowMask = (1u << format.LowBits) - 1;
  auto sample = [&](const std::uint8_t* p) -> std::uint64_t {
    return (std::uint32_t{p[0]} << format.LowBits) | (p[1] & lowMask);
  };
  // A Bayer picture shrunk is read in 2 x 2 sites.
  const bool sites = reading.Bayer && picture.Width >= 2 && picture.Height >= 2 &&
                     (width < picture.Width || height < picture.Height);
  const std::int32_t cell = sites ? 2 : 1;
  const CellSpans columns = SpanCells(picture.Width / cell, width);
  const CellSpans rows = SpanCells(picture.Height / cell, height);

  // Per output pixel of a row: the sums of its three channels.
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
  for (std::int32_t oy = 0; oy < height; ++oy) {
    std::fill(sums.begin(), sums.end(), 0);
    const std::int64_t rowCells = rows.End[oy] - rows.First[oy];
    for (std::int64_t cy = rows.First[oy]; cy < rows.End[oy]; ++cy) {
      const std::uint8_t* top = picture.RowAt(static_cast<std::int32_t>(cy * cell));
      const std::uint8_t* below = sites ? picture.RowAt(static_cast<std::int32_t>(cy * cell + 1)) : top;
      const std::int64_t step = picture.BytesPerPixel;
      for (std::int32_t ox = 0; ox < width; ++ox) {
        std::uint64_t* sum = &sums[static_cast<std::size_t>(ox) * 3];
        for (std::int64_t cx = columns.First[ox]; cx < columns.End[ox]; ++cx) {
          const std::int64_t at = cx * cell * step;
          if (!reading.Bayer) {
            sum[0] += top[at + 2];
            sum[1] += top[at + 1];
            sum[2] += top[at];
          } else if (sites) {
            sum[0] += sample(top + at) + sample(top + at + step) + sample(below + at) +
                      sample(below + at + step);
          } else {
            sum[0] += sample(top + at);
          }
        }
      }
    }
    std::uint8_t* row = out.Row(oy);
    for (std::int32_t ox = 0; ox < width; ++ox) {
      const std::uint64_t count = static_cast<std::uint64_t>(rowCells) *
                                  static_cast<std::uint64_t>(columns.End[ox] - columns.First[ox]);
      const std::uint64_t* sum = &sums[static_cast<std::size_t>(ox) * 3];
      if (reading.Bayer) {
        const std::uint64_t full = count * static_cast<std::uint64_t>(cell * cell) * format.Max;
        const auto grey = static_cast<std::uint8_t>(std::min<std::uint64_t>(
            (sum[0] * 255 + full / 2) / full, 255));
        row[ox * 3] = row[ox * 3 + 1] = row[ox * 3 + 2] = grey;
      } else {
        for (int c = 0; c < 3; ++c) row[ox * 3 + c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
      }
    }
  }
  return out;
}

}  // namespace sensor::review
