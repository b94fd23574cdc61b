#include "frontend/products/review/picture_shrink.h"

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
  std::int64_t ShortestSpan = 1;    // cells of the narrowest output pixel
};

// Division by one of the few divisors a shrink has (the cells an output pixel
// covers take at most two counts a side), without the divide instruction:
// below 2^63 the quotient from the reciprocal's high product is the true one
// or one less, and one comparison tells which.
struct Divider {
  std::uint64_t Divisor = 1;
  std::uint64_t Reciprocal = ~std::uint64_t{0};  // floor((2^64 - 1) / Divisor)

  explicit Divider(std::uint64_t divisor) : Divisor(divisor), Reciprocal(~std::uint64_t{0} / divisor) {}
  std::uint64_t operator()(std::uint64_t n) const {
    if ((n >> 63) != 0) return n / Divisor;
    std::uint64_t q = static_cast<std::uint64_t>((static_cast<unsigned __int128>(n) * Reciprocal) >> 64);
    if ((q + 1) * Divisor <= n) ++q;
    return q;
  }
};

// An output pixel's value from the sum over its cells: for a colour
// channel the mean over `cells` cells, rounded; for a Bayer picture the sum
// against `cells` x the white sample scaled to 255, rounded, at most 255.
// Looked up by the sum when the sums it can take are few against the pixels
// it serves.
class Mean {
 public:
  Mean(bool bayer, std::uint64_t cells, std::uint64_t tableUpTo)
      : bayer_(bayer), divide_(cells) {
    const std::uint64_t largest = bayer ? cells : cells * 255;  // the largest sum
    if (largest >= tableUpTo) return;
    table_.resize(static_cast<std::size_t>(largest) + 1);
    for (std::uint64_t sum = 0; sum <= largest; ++sum) table_[static_cast<std::size_t>(sum)] = Computed(sum);
  }
  std::uint8_t operator()(std::uint64_t sum) const {
    return sum < table_.size() ? table_[static_cast<std::size_t>(sum)] : Computed(sum);
  }

 private:
  std::uint8_t Computed(std::uint64_t sum) const {
    const std::uint64_t half = divide_.Divisor / 2;
    if (!bayer_) return static_cast<std::uint8_t>(divide_(sum + half));
    return static_cast<std::uint8_t>(std::min<std::uint64_t>(divide_(sum * 255 + half), 255));
  }

  bool bayer_;
  Divider divide_;
  std::vector<std::uint8_t> table_;
};

// The means of every output pixel, by the counts of its rows and columns of
// cells.
class CellMeans {
 public:
  CellMeans(const std::vector<std::int64_t>& rowCounts, const std::vector<std::int64_t>& columnCounts, bool bayer,
            std::uint64_t perCell) {
    const auto [rowLow, rowHigh] = std::minmax_element(rowCounts.begin(), rowCounts.end());
    const auto [columnLow, columnHigh] = std::minmax_element(columnCounts.begin(), columnCounts.end());
    rowLow_ = *rowLow;
    columnLow_ = *columnLow;
    columns_ = *columnHigh - columnLow_ + 1;
    // A table pays when it is smaller than the output; at most 2^16 entries.
    const std::uint64_t tableUpTo = std::min<std::uint64_t>(
        std::uint64_t{1} << 16, static_cast<std::uint64_t>(rowCounts.size() * columnCounts.size()) / 4);
    for (std::int64_t r = rowLow_; r <= *rowHigh; ++r) {
      for (std::int64_t c = columnLow_; c <= *columnHigh; ++c) {
        means_.emplace_back(bayer, static_cast<std::uint64_t>(r) * static_cast<std::uint64_t>(c) * perCell, tableUpTo);
      }
    }
  }
  const Mean& For(std::int64_t rows, std::int64_t columns) const {
    return means_[static_cast<std::size_t>((rows - rowLow_) * columns_ + columns - columnLow_)];
  }

 private:
  std::int64_t rowLow_ = 0;
  std::int64_t columnLow_ = 0;
  std::int64_t columns_ = 1;
  std::vector<Mean> means_;
};

// What a picture row gives each column sum: a colour picture its bytes, a
// Bayer picture the sample of each pixel (`Step` bytes a pixel when known to
// the compiler, else `step`).
struct StoredBytes {
  std::uint32_t operator()(const std::uint8_t* row, std::int64_t i) const { return row[i]; }
};

template <std::int32_t LowBits, std::int64_t Step>
struct Samples {
  std::int64_t step = Step;
  std::uint32_t operator()(const std::uint8_t* row, std::int64_t i) const {
    const std::uint8_t* p = row + i * (Step != 0 ? Step : step);
    return (std::uint32_t{p[0]} << LowBits) | (p[1] & ((1u << LowBits) - 1));
  }
};

// Rows `a` and `b` (b may be null) added to the column sums, or set into them
// when `set`: two rows a pass, so that the sums are read and written half as
// often.
template <class Sum, class Read>
void AddRows(const std::uint8_t* a, const std::uint8_t* b, bool set, std::int64_t entries, Sum* sums,
             const Read& read) {
  if (b != nullptr && set) {
    for (std::int64_t i = 0; i < entries; ++i) sums[i] = static_cast<Sum>(read(a, i) + read(b, i));
  } else if (b != nullptr) {
    for (std::int64_t i = 0; i < entries; ++i) sums[i] = static_cast<Sum>(sums[i] + read(a, i) + read(b, i));
  } else if (set) {
    for (std::int64_t i = 0; i < entries; ++i) sums[i] = static_cast<Sum>(read(a, i));
  } else {
    for (std::int64_t i = 0; i < entries; ++i) sums[i] = static_cast<Sum>(sums[i] + read(a, i));
  }
}

template <class Sum, class Read>
void ShrinkRows(const ImageBinding& picture, const PictureReading& reading, const Shape& shape,
                const CellSpans& columns, const CellSpans& rows, const CellMeans& means, const Read& read,
                std::int32_t firstRow, std::int32_t endRow, Canvas& out) {
  const std::int32_t width = out.Width();
  const std::int32_t cell = shape.Cell;
  const std::int64_t step = picture.BytesPerPixel;
  std::vector<Sum> sums(static_cast<std::size_t>(shape.Entries + shape.EntriesPerCell));
  for (std::int32_t oy = firstRow; oy < endRow; ++oy) {
    const std::int64_t rowCells = rows.End[oy] - rows.First[oy];
    const std::int64_t lastRow = rows.End[oy] * cell - 1;
    for (std::int64_t y = rows.First[oy] * cell; y <= lastRow; y += 2) {
      const std::uint8_t* below = y < lastRow ? picture.RowAt(static_cast<std::int32_t>(y + 1)) : nullptr;
      AddRows(picture.RowAt(static_cast<std::int32_t>(y)), below, y == rows.First[oy] * cell, shape.Entries,
              sums.data(), read);
    }
    std::uint8_t* row = out.Row(oy);
    const Sum* const all = sums.data();
    // Every span is the shortest or one cell longer: the shortest part is
    // added in a loop of the same length for the whole row and the one cell
    // more without a branch (the sums end in a cell of zeros).
    const std::int64_t per = shape.EntriesPerCell;
    const std::int64_t shortest = shape.ShortestSpan * per;
    if (reading.Bayer) {
      for (std::int32_t ox = 0; ox < width; ++ox, row += 3) {
        const std::int64_t first = columns.First[ox];
        const std::int64_t span = (columns.End[ox] - first) * per;
        const Sum* p = all + first * per;
        std::uint64_t sum = 0;
        for (std::int64_t i = 0; i < shortest; ++i) sum += p[i];
        const std::uint64_t more = span > shortest ? 1 : 0;
        for (std::int64_t i = shortest; i < shortest + per; ++i) sum += p[i] * more;
        for (std::int64_t i = shortest + per; i < span; ++i) sum += p[i];
        row[0] = row[1] = row[2] = means.For(rowCells, columns.End[ox] - first)(sum);
      }
      continue;
    }
    for (std::int32_t ox = 0; ox < width; ++ox, row += 3) {
      const std::int64_t first = columns.First[ox];
      const std::int64_t span = (columns.End[ox] - first) * step;
      const Sum* p = all + first * step;
      std::uint64_t blue = 0;
      std::uint64_t green = 0;
      std::uint64_t red = 0;
      for (std::int64_t i = 0; i < shortest; i += step) {
        blue += p[i];
        green += p[i + 1];
        red += p[i + 2];
      }
      const std::uint64_t more = span > shortest ? 1 : 0;
      blue += p[shortest] * more;
      green += p[shortest + 1] * more;
      red += p[shortest + 2] * more;
      for (std::int64_t i = shortest + step; i < span; i += step) {
        blue += p[i];
        green += p[i + 1];
        red += p[i + 2];
      }
      const Mean& mean = means.For(rowCells, columns.End[ox] - first);
      row[0] = mean(red);
      row[1] = mean(green);
      row[2] = mean(blue);
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

  std::vector<std::int64_t> rowCounts(static_cast<std::size_t>(height));
  std::vector<std::int64_t> columnCounts(static_cast<std::size_t>(width));
  for (std::int32_t oy = 0; oy < height; ++oy) rowCounts[oy] = rows.End[oy] - rows.First[oy];
  for (std::int32_t ox = 0; ox < width; ++ox) columnCounts[ox] = columns.End[ox] - columns.First[ox];
  shape.ShortestSpan = *std::min_element(columnCounts.begin(), columnCounts.end());
  const SampleFormat format = FormatFor(reading);
  const CellMeans means(rowCounts, columnCounts, reading.Bayer,
                        reading.Bayer ? std::uint64_t{format.Max} * static_cast<std::uint64_t>(shape.Cell * shape.Cell) : 1);
  // The narrowest column sum that holds the picture rows of any output row.
  const std::int64_t tallest = *std::max_element(rowCounts.begin(), rowCounts.end()) * shape.Cell;
  const std::int64_t largest = tallest * (reading.Bayer ? std::int64_t{format.Max} : 255);
  auto shrinkRows = [&](auto sum, std::int32_t first, std::int32_t end) {
    auto withRead = [&](const auto& read) {
      ShrinkRows<decltype(sum)>(picture, reading, shape, columns, rows, means, read, first, end, out);
    };
    if (!reading.Bayer) return withRead(StoredBytes{});
    if (picture.BytesPerPixel == 4) {
      if (format.LowBits == 2) return withRead(Samples<2, 4>{});
      if (format.LowBits == 4) return withRead(Samples<4, 4>{});
      return withRead(Samples<0, 4>{});
    }
    if (format.LowBits == 2) return withRead(Samples<2, 0>{picture.BytesPerPixel});
    if (format.LowBits == 4) return withRead(Samples<4, 0>{picture.BytesPerPixel});
    withRead(Samples<0, 0>{picture.BytesPerPixel});
  };

  const int parts = PartsFor(height, std::int64_t{picture.Width} * std::max<std::int64_t>(1, picture.Height / height));
  RethrowFirst(RunParts(parts, [&](int part) {
    const auto first = static_cast<std::int32_t>(PartStart(0, height, part, parts));
    const auto end = static_cast<std::int32_t>(PartStart(0, height, part + 1, parts));
    if (largest <= std::numeric_limits<std::uint16_t>::max()) {
      shrinkRows(std::uint16_t{}, first, end);
    } else if (largest <= std::int64_t{std::numeric_limits<std::uint32_t>::max()}) {
      shrinkRows(std::uint32_t{}, first, end);
    } else {
      shrinkRows(std::uint64_t{}, first, end);
    }
  }));
  return out;
}

}  // namespace sensor::review
