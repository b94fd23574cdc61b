#include "glazet/core/colour_search.h"

#include "common/precondition.h"
#include "common/prefetch.h"
#include "common/window_placement.h"
#include "glazet/core/mean_band.h"
#include "glazet/core/window_search.h"

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
  const std::uint8_t* RowInside(std::int64_t y) const { return y >= 0 && y < Image->Height ? Row(y) : nullptr; }
  RowSource Source(std::int64_t n) const { return RowSource{Row(0), Image->RowStep, n}; }
  ColumnValues Values() const { return ColumnValues{ColumnValues::kByte, kBytesPerPixel, 0, Offset, 1}; }
};

template <int kBytesPerPixel>
std::int64_t Search(const WindowSearchSetup& setup, bool local) {
  SENSOR_PRECONDITION(setup.Ready());
  SENSOR_PRECONDITION(setup.Plane >= 0 && setup.Plane <= 2);
  const Rect tested = setup.TestedArea();
  if (tested.Empty()) return 0;

  constexpr std::int64_t kMaxByte = 255;
  const TestLattice t{tested.Top, tested.Bottom, tested.Left, tested.Right, 1};
  const auto makeRows = [&](std::int64_t firstColumn) {
    return ByteRows<kBytesPerPixel>{&setup.Image, setup.Plane, firstColumn};
  };
  const std::int64_t widest =
      BoxWindows::Half(local ? std::max(setup.SmallSize, setup.LargeSize) : setup.SmallSize);
  if (SumsFit32(setup.ScanArea, widest, kMaxByte)) {
    return ScanInRowParts(setup, t, [&](const TestLattice& part, PartBands& bands) {
      return local ? LocalBandScan<BoxWindows, std::uint32_t>(setup, part, bands, makeRows, kMaxByte)
                   : GlobalBandScan<BoxWindows, std::uint32_t>(setup, part, bands, makeRows, kMaxByte);
    });
  }
  return ScanInRowParts(setup, t, [&](const TestLattice& part, PartBands& bands) {
    return local ? LocalBandScan<BoxWindows, std::uint64_t>(setup, part, bands, makeRows, kMaxByte)
                 : GlobalBandScan<BoxWindows, std::uint64_t>(setup, part, bands, makeRows, kMaxByte);
  });
}

}  // namespace

std::int64_t GlobalColourSearch(const WindowSearchSetup& setup) {
  return setup.Image.BytesPerPixel == 4 ? Search<4>(setup, false) : Search<3>(setup, false);
}

std::int64_t LocalColourSearch(const WindowSearchSetup& setup) {
  return setup.Image.BytesPerPixel == 4 ? Search<4>(setup, true) : Search<3>(setup, true);
}

}  // namespace sensor::glazet
