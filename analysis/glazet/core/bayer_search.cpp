#include "glazet/core/bayer_search.h"


#include "common/precondition.h"
#include "common/prefetch.h"
#include "common/window_placement.h"
#include "glazet/core/mean_band.h"
#include "glazet/core/window_search.h"

namespace sensor::glazet {
namespace {

// The pixels of the tested position inside the tested area. Empty when the
// position has no pixel there (and always for G, which is no Bayer position).
TestLattice SiteLattice(const WindowSearchSetup& setup) {
  TestLattice lattice;
  lattice.Step = 2;
  const Rect tested = setup.TestedArea();
  int rowParity = 0, columnParity = 0;
  switch (setup.Plane) {
    case 3: rowParity = 0; columnParity = 0; break;  // G1
    case 0: rowParity = 0; columnParity = 1; break;  // R
    case 2: rowParity = 1; columnParity = 0; break;  // B
    case 4: rowParity = 1; columnParity = 1; break;  // G2
    default: return lattice;
  }
  if (tested.Empty()) return lattice;
  // The tested area lies inside the scan area, so the offsets are not negative.
  auto first = [](std::int64_t from, std::int64_t origin, int parity) {
    return from + ((parity - (from - origin)) & 1);
  };
  auto last = [](std::int64_t firstOne, std::int64_t to) {
    return to < firstOne ? firstOne - 2 : firstOne + (to - firstOne) / 2 * 2;
  };
  lattice.FirstRow = first(tested.Top, setup.ScanArea.Top, rowParity);
  lattice.FirstColumn = first(tested.Left, setup.ScanArea.Left, columnParity);
  lattice.LastRow = last(lattice.FirstRow, tested.Bottom);
  lattice.LastColumn = last(lattice.FirstColumn, tested.Right);
  return lattice;
}

// The rows of the samples at every second column from FirstColumn on, for a
// band's column sums.
template <int kBytesPerPixel, int kShift>
struct SiteRows {
  const ImageBinding* Image;
  std::int64_t FirstColumn;
  static constexpr std::int64_t kPitch = 2 * kBytesPerPixel;

  const std::uint8_t* Row(std::int64_t y) const {
    return Image->Origin + y * Image->RowStep + FirstColumn * kBytesPerPixel;
  }
  void Prefetch(std::int64_t y, std::int64_t n) const {
    if (y >= 0 && y < Image->Height) PrefetchBytes(Row(y), n * kPitch);
  }
  const std::uint8_t* RowInside(std::int64_t y) const { return y >= 0 && y < Image->Height ? Row(y) : nullptr; }
  RowSource Source(std::int64_t n) const { return RowSource{Row(0), Image->RowStep, n}; }
  static ColumnValues Values() { return ColumnValues{ColumnValues::kSample, kBytesPerPixel, kShift, 0, 2}; }
};

template <int kBytesPerPixel, int kShift>
std::int64_t Search(const WindowSearchSetup& setup, bool local) {
  const TestLattice t = SiteLattice(setup);
  if (t.Empty()) return 0;
  constexpr std::int64_t kMaxSample = kShift == 0 ? 255 : (255 << kShift) | 3;
  const auto makeRows = [&](std::int64_t firstColumn) {
    return SiteRows<kBytesPerPixel, kShift>{&setup.Image, firstColumn};
  };
  const std::int64_t widest = SiteWindows::Half(local ? std::max(setup.SmallSize, setup.LargeSize)
                                                      : setup.SmallSize);
  if (SumsFit32(setup.ScanArea, widest, kMaxSample)) {
    return ScanInRowParts(setup, t, [&](const TestLattice& part, PartBands& bands) {
      return local ? LocalBandScan<SiteWindows, std::uint32_t>(setup, part, bands, makeRows, kMaxSample)
                   : GlobalBandScan<SiteWindows, std::uint32_t>(setup, part, bands, makeRows, kMaxSample);
    });
  }
  return ScanInRowParts(setup, t, [&](const TestLattice& part, PartBands& bands) {
    return local ? LocalBandScan<SiteWindows, std::uint64_t>(setup, part, bands, makeRows, kMaxSample)
                 : GlobalBandScan<SiteWindows, std::uint64_t>(setup, part, bands, makeRows, kMaxSample);
  });
}

// Picks the instance for the pixel size and the sample rule.
std::int64_t Dispatch(const WindowSearchSetup& setup, bool local) {
  SENSOR_PRECONDITION(setup.Ready());
  SENSOR_PRECONDITION(setup.Sample.Shift == 0 || setup.Sample.Shift == 2 || setup.Sample.Shift == 4);
  SENSOR_PRECONDITION(setup.Plane >= 0 && setup.Plane <= 4);
  const bool wide = setup.Image.BytesPerPixel == 4;
  switch (setup.Sample.Shift) {
    case 2: return wide ? Search<4, 2>(setup, local) : Search<3, 2>(setup, local);
    case 4: return wide ? Search<4, 4>(setup, local) : Search<3, 4>(setup, local);
    default: return wide ? Search<4, 0>(setup, local) : Search<3, 0>(setup, local);
  }
}

}  // namespace

std::int64_t GlobalBayerSearch(const WindowSearchSetup& setup) { return Dispatch(setup, false); }

std::int64_t LocalBayerSearch(const WindowSearchSetup& setup) { return Dispatch(setup, true); }

}  // namespace sensor::glazet
