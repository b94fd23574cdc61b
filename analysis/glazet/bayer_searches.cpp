#include "bayer_searches.h"


#include "common/prefetch.h"
#include "common/window_placement.h"
#include "mean_band.h"
#include "window_search.h"

namespace sensor::glazet {
namespace {

// The pixels of the tested position inside the tested area. Empty when the
// position has no pixel there (and always for G, which is no Bayer position).
TestLattice SiteLattice(const SearchSetup& setup) {
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
  RowSource Source(std::int64_t n) const { return RowSource{Row(0), Image->RowStep, n}; }
  static ColumnValues Values() { return ColumnValues{ColumnValues::kSample, kBytesPerPixel, kShift, 0, 2}; }
};

// The plain rule: every window re-summed sample by sample.
template <int kBytesPerPixel, int kShift>
struct PlainSites {
  const ImageBinding& Image;
  std::uint32_t operator()(std::int64_t x, std::int64_t y) const {
    return SampleOfPixel<kBytesPerPixel, kShift>(Image.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)));
  }
  std::uint64_t Sum(const Span& rows, const Span& columns) const {
    std::uint64_t sum = 0;
    for (std::int64_t y = rows.First; y <= rows.Last; y += 2) {
      for (std::int64_t x = columns.First; x <= columns.Last; x += 2) sum += (*this)(x, y);
    }
    return sum;
  }
};

template <int kBytesPerPixel, int kShift>
std::int64_t PlainGlobal(const SearchSetup& setup, const TestLattice& t) {
  const PlainSites<kBytesPerPixel, kShift> sites{setup.Image};
  const FixedBand band = FixedBand::Around(setup.Reference, setup.Threshold);
  const std::int64_t half = SiteWindows::Half(setup.SmallSize);
  const Rect& a = setup.ScanArea;
  std::int64_t candidates = 0;
  for (std::int64_t y = t.FirstRow; y <= t.LastRow; y += 2) {
    const Span rows = PlaceSiteWindow(y, half, a.Top, a.Bottom);
    for (std::int64_t x = t.FirstColumn; x <= t.LastColumn; x += 2) {
      const Span columns = PlaceSiteWindow(x, half, a.Left, a.Right);
      const double mean = WindowMean(sites.Sum(rows, columns), columns.Count(2) * rows.Count(2));
      if (band.Outside(mean)) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

// Walks the large window row by row and column by column: every sample counts
// for the outer mean, those also inside the small window's rows and columns for
// the inner mean.
template <int kBytesPerPixel, int kShift>
std::int64_t PlainLocal(const SearchSetup& setup, const TestLattice& t) {
  const PlainSites<kBytesPerPixel, kShift> sites{setup.Image};
  const RelativeBand band = RelativeBand::For(setup.Threshold);
  const std::int64_t smallHalf = SiteWindows::Half(setup.SmallSize);
  const std::int64_t largeHalf = SiteWindows::Half(setup.LargeSize);
  const Rect& a = setup.ScanArea;
  std::int64_t candidates = 0;
  for (std::int64_t y = t.FirstRow; y <= t.LastRow; y += 2) {
    const Span smallRows = PlaceSiteWindow(y, smallHalf, a.Top, a.Bottom);
    const Span largeRows = PlaceSiteWindow(y, largeHalf, a.Top, a.Bottom);
    for (std::int64_t x = t.FirstColumn; x <= t.LastColumn; x += 2) {
      const Span smallColumns = PlaceSiteWindow(x, smallHalf, a.Left, a.Right);
      const Span largeColumns = PlaceSiteWindow(x, largeHalf, a.Left, a.Right);
      std::uint64_t inner = 0, outer = 0;
      std::int64_t innerCount = 0, outerCount = 0;
      for (std::int64_t wy = largeRows.First; wy <= largeRows.Last; wy += 2) {
        for (std::int64_t wx = largeColumns.First; wx <= largeColumns.Last; wx += 2) {
          const std::uint32_t v = sites(wx, wy);
          outer += v;
          ++outerCount;
          if (smallRows.Contains(wy) && smallColumns.Contains(wx)) {
            inner += v;
            ++innerCount;
          }
        }
      }
      if (band.Outside(WindowMean(inner, innerCount), WindowMean(outer, outerCount))) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

template <int kBytesPerPixel, int kShift>
std::int64_t Search(const SearchSetup& setup, Summing summing, bool local) {
  const TestLattice t = SiteLattice(setup);
  if (t.Empty()) return 0;
  if (summing == Summing::Plain) {
    return local ? PlainLocal<kBytesPerPixel, kShift>(setup, t)
                 : PlainGlobal<kBytesPerPixel, kShift>(setup, t);
  }
  constexpr std::int64_t kMaxSample = kShift == 0 ? 255 : (255 << kShift) | 3;
  const auto makeRows = [&](std::int64_t firstColumn) {
    return SiteRows<kBytesPerPixel, kShift>{&setup.Image, firstColumn};
  };
  const std::int64_t widest = SiteWindows::Half(local ? std::max(setup.SmallSize, setup.LargeSize)
                                                      : setup.SmallSize);
  if (summing == Summing::Bands && SumsFit32(setup.ScanArea, widest, kMaxSample)) {
    return local ? LocalBandScan<SiteWindows, std::uint32_t>(setup, t, makeRows, kMaxSample)
                 : GlobalBandScan<SiteWindows, std::uint32_t>(setup, t, makeRows, kMaxSample);
  }
  return local ? LocalBandScan<SiteWindows, std::uint64_t>(setup, t, makeRows, kMaxSample)
               : GlobalBandScan<SiteWindows, std::uint64_t>(setup, t, makeRows, kMaxSample);
}

// Picks the instance for the pixel size and the sample rule.
std::int64_t Dispatch(const SearchSetup& setup, Summing summing, bool local) {
  const bool wide = setup.Image.BytesPerPixel == 4;
  switch (setup.Sample.Shift) {
    case 2: return wide ? Search<4, 2>(setup, summing, local) : Search<3, 2>(setup, summing, local);
    case 4: return wide ? Search<4, 4>(setup, summing, local) : Search<3, 4>(setup, summing, local);
    default: return wide ? Search<4, 0>(setup, summing, local) : Search<3, 0>(setup, summing, local);
  }
}

}  // namespace

std::int64_t GlobalBayerSearch(const SearchSetup& setup, Summing summing) {
  return Dispatch(setup, summing, false);
}

std::int64_t LocalBayerSearch(const SearchSetup& setup, Summing summing) {
  return Dispatch(setup, summing, true);
}

}  // namespace sensor::glazet
