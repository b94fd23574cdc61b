#include "colour_searches.h"

#include "common/band_sums.h"
#include "common/window_placement.h"
#include "mean_band.h"

namespace sensor::glazet {
namespace {

Span ColumnBox(const SearchSetup& setup, std::int64_t x, std::int64_t half) {
  return PlaceBox(x, half, setup.ScanArea.Left, setup.ScanArea.Right);
}
Span RowBox(const SearchSetup& setup, std::int64_t y, std::int64_t half) {
  return PlaceBox(y, half, setup.ScanArea.Top, setup.ScanArea.Bottom);
}

template <int kBytesPerPixel>
struct ByteAt {
  const ImageBinding* Image;
  std::int32_t Offset;
  std::uint32_t operator()(std::int64_t x, std::int64_t y) const {
    return Image->Origin[y * Image->RowStep + x * kBytesPerPixel + Offset];
  }
};

// Plain rule: the sum of the byte over every pixel of the box.
template <class Byte>
std::uint64_t PlainSum(const Byte& byte, const Span& rows, const Span& columns) {
  std::uint64_t sum = 0;
  for (std::int64_t y = rows.First; y <= rows.Last; ++y) {
    for (std::int64_t x = columns.First; x <= columns.Last; ++x) sum += byte(x, y);
  }
  return sum;
}

// One box size: its band of column sums, and its rows for the current row.
template <class Byte>
class BoxSums {
 public:
  BoxSums(const SearchSetup& setup, const Byte& byte, std::int32_t size, const Rect& tested,
          Summing summing)
      : setup_(setup), byte_(byte), half_(size / 2), summing_(summing) {
    if (summing_ == Summing::Bands) {
      sums_.Reset(ColumnBox(setup, tested.Left, half_).First,
                  ColumnBox(setup, tested.Right, half_).Last, 1);
    }
  }

  void StartRow(std::int64_t y) {
    rows_ = RowBox(setup_, y, half_);
    if (summing_ == Summing::Bands) sums_.Cover(rows_.First, rows_.Last, byte_);
  }

  double Mean(std::int64_t x) const {
    const Span columns = ColumnBox(setup_, x, half_);
    const std::uint64_t sum = summing_ == Summing::Bands ? sums_.Sum(columns.First, columns.Last)
                                                         : PlainSum(byte_, rows_, columns);
    return WindowMean(sum, columns.Count(1) * rows_.Count(1));
  }

 private:
  const SearchSetup& setup_;
  const Byte& byte_;
  std::int64_t half_;
  Summing summing_;
  Span rows_;
  BandSums sums_;
};

template <int kBytesPerPixel>
std::int64_t GlobalSearch(const SearchSetup& setup, Summing summing) {
  const Rect tested = setup.TestedArea();
  if (tested.Empty()) return 0;
  const ByteAt<kBytesPerPixel> byte{&setup.Image, setup.Plane};
  const FixedBand band = FixedBand::Around(setup.Reference, setup.Threshold);
  BoxSums<ByteAt<kBytesPerPixel>> box(setup, byte, setup.SmallSize, tested, summing);

  std::int64_t candidates = 0;
  for (std::int64_t y = tested.Top; y <= tested.Bottom; ++y) {
    box.StartRow(y);
    for (std::int64_t x = tested.Left; x <= tested.Right; ++x) {
      if (band.Outside(box.Mean(x))) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

template <int kBytesPerPixel>
std::int64_t LocalSearch(const SearchSetup& setup, Summing summing) {
  const Rect tested = setup.TestedArea();
  if (tested.Empty()) return 0;
  const ByteAt<kBytesPerPixel> byte{&setup.Image, setup.Plane};
  const RelativeBand band = RelativeBand::For(setup.Threshold);
  BoxSums<ByteAt<kBytesPerPixel>> small(setup, byte, setup.SmallSize, tested, summing);
  BoxSums<ByteAt<kBytesPerPixel>> large(setup, byte, setup.LargeSize, tested, summing);

  std::int64_t candidates = 0;
  for (std::int64_t y = tested.Top; y <= tested.Bottom; ++y) {
    small.StartRow(y);
    large.StartRow(y);
    for (std::int64_t x = tested.Left; x <= tested.Right; ++x) {
      if (band.Outside(small.Mean(x), large.Mean(x))) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

}  // namespace

std::int64_t GlobalColourSearch(const SearchSetup& setup, Summing summing) {
  return setup.Image.BytesPerPixel == 4 ? GlobalSearch<4>(setup, summing)
                                        : GlobalSearch<3>(setup, summing);
}

std::int64_t LocalColourSearch(const SearchSetup& setup, Summing summing) {
  return setup.Image.BytesPerPixel == 4 ? LocalSearch<4>(setup, summing)
                                        : LocalSearch<3>(setup, summing);
}

}  // namespace sensor::glazet
