#include "colour_searches.h"

#include "common/prefetch.h"
#include "common/window_placement.h"
#include "mean_band.h"
#include "window_search.h"

namespace sensor::glazet {
namespace {

// The rows of the tested byte at every column from FirstColumn on, for a
// band's column sums.
template <int kBytesPerPixel>
struct ByteRows {
  const ImageBinding* Image;
  int Offset;
  std::int64_t FirstColumn;

  const std::uint8_t* Row(std::int64_t y) const {
    return Image->Origin + y * Image->RowStep + FirstColumn * kBytesPerPixel;
  }
  void Prefetch(std::int64_t y, std::int64_t n) const {
    if (y >= 0 && y < Image->Height) PrefetchBytes(Row(y), n * kBytesPerPixel);
  }
  RowSource Source(std::int64_t n) const { return RowSource{Row(0), Image->RowStep, n}; }
  ColumnValues Values() const { return ColumnValues{ColumnValues::kByte, kBytesPerPixel, 0, Offset, 1}; }
};

// The plain rule: the byte summed over every pixel of the box.
std::uint64_t PlainBoxSum(const SearchSetup& setup, const Span& rows, const Span& columns) {
  std::uint64_t sum = 0;
  for (std::int64_t y = rows.First; y <= rows.Last; ++y) {
    for (std::int64_t x = columns.First; x <= columns.Last; ++x) {
      sum += setup.Image.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))[setup.Plane];
    }
  }
  return sum;
}

struct PlainBox {
  const SearchSetup& Setup;
  std::int64_t Half;
  Span Rows;
  void StartRow(std::int64_t y) {
    Rows = PlaceBox(y, Half, Setup.ScanArea.Top, Setup.ScanArea.Bottom);
  }
  double Mean(std::int64_t x) const {
    const Span columns = PlaceBox(x, Half, Setup.ScanArea.Left, Setup.ScanArea.Right);
    return WindowMean(PlainBoxSum(Setup, Rows, columns), columns.Count(1) * Rows.Count(1));
  }
};

std::int64_t PlainGlobal(const SearchSetup& setup, const Rect& tested) {
  const FixedBand band = FixedBand::Around(setup.Reference, setup.Threshold);
  PlainBox box{setup, BoxWindows::Half(setup.SmallSize), Span{}};
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

std::int64_t PlainLocal(const SearchSetup& setup, const Rect& tested) {
  const RelativeBand band = RelativeBand::For(setup.Threshold);
  PlainBox small{setup, BoxWindows::Half(setup.SmallSize), Span{}};
  PlainBox large{setup, BoxWindows::Half(setup.LargeSize), Span{}};
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

template <int kBytesPerPixel>
std::int64_t Search(const SearchSetup& setup, Summing summing, bool local) {
  const Rect tested = setup.TestedArea();
  if (tested.Empty()) return 0;
  if (summing == Summing::Plain) return local ? PlainLocal(setup, tested) : PlainGlobal(setup, tested);

  constexpr std::int64_t kMaxByte = 255;
  const TestLattice t{tested.Top, tested.Bottom, tested.Left, tested.Right, 1};
  const auto makeRows = [&](std::int64_t firstColumn) {
    return ByteRows<kBytesPerPixel>{&setup.Image, setup.Plane, firstColumn};
  };
  const std::int64_t widest =
      BoxWindows::Half(local ? std::max(setup.SmallSize, setup.LargeSize) : setup.SmallSize);
  if (summing == Summing::Bands && SumsFit32(setup.ScanArea, widest, kMaxByte)) {
    return local ? LocalBandScan<BoxWindows, std::uint32_t>(setup, t, makeRows, kMaxByte)
                 : GlobalBandScan<BoxWindows, std::uint32_t>(setup, t, makeRows, kMaxByte);
  }
  return local ? LocalBandScan<BoxWindows, std::uint64_t>(setup, t, makeRows, kMaxByte)
               : GlobalBandScan<BoxWindows, std::uint64_t>(setup, t, makeRows, kMaxByte);
}

}  // namespace

std::int64_t GlobalColourSearch(const SearchSetup& setup, Summing summing) {
  return setup.Image.BytesPerPixel == 4 ? Search<4>(setup, summing, false)
                                        : Search<3>(setup, summing, false);
}

std::int64_t LocalColourSearch(const SearchSetup& setup, Summing summing) {
  return setup.Image.BytesPerPixel == 4 ? Search<4>(setup, summing, true)
                                        : Search<3>(setup, summing, true);
}

}  // namespace sensor::glazet
