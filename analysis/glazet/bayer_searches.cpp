#include "bayer_searches.h"

#include <algorithm>

#include "common/band_sums.h"
#include "common/window_placement.h"
#include "mean_band.h"

namespace sensor::glazet {
namespace {

// The pixels of the tested position inside the tested area: rows and columns
// from First to Last in steps of 2. Empty when the position has no pixel there.
struct SiteLattice {
  std::int64_t FirstRow = 0, LastRow = -1, FirstColumn = 0, LastColumn = -1;

  bool Empty() const { return LastRow < FirstRow || LastColumn < FirstColumn; }

  static SiteLattice For(const SearchSetup& setup) {
    SiteLattice lattice;
    const Rect tested = setup.TestedArea();
    int rowParity = 0, columnParity = 0;
    switch (setup.Plane) {
      case 3: rowParity = 0; columnParity = 0; break;  // G1
      case 0: rowParity = 0; columnParity = 1; break;  // R
      case 2: rowParity = 1; columnParity = 0; break;  // B
      case 4: rowParity = 1; columnParity = 1; break;  // G2
      default: return lattice;                         // G and anything else: no site
    }
    if (tested.Empty()) return lattice;
    // The tested area lies inside the scan area, so the offsets are not negative.
    auto first = [](std::int64_t from, std::int64_t origin, int parity) {
      return from + ((parity - (from - origin)) & 1);
    };
    lattice.FirstRow = first(tested.Top, setup.ScanArea.Top, rowParity);
    lattice.FirstColumn = first(tested.Left, setup.ScanArea.Left, columnParity);
    auto last = [](std::int64_t first, std::int64_t to) {
      return to < first ? first - 2 : first + (to - first) / 2 * 2;
    };
    lattice.LastRow = last(lattice.FirstRow, tested.Bottom);
    lattice.LastColumn = last(lattice.FirstColumn, tested.Right);
    return lattice;
  }
};

Span ColumnWindow(const SearchSetup& setup, std::int64_t x, std::int64_t half) {
  return PlaceSiteWindow(x, half, setup.ScanArea.Left, setup.ScanArea.Right);
}
Span RowWindow(const SearchSetup& setup, std::int64_t y, std::int64_t half) {
  return PlaceSiteWindow(y, half, setup.ScanArea.Top, setup.ScanArea.Bottom);
}
Span Overlap(const Span& a, const Span& b) {
  return Span{std::max(a.First, b.First), std::min(a.Last, b.Last)};
}
std::int64_t HalfWidth(std::int32_t size) { return size & ~std::int64_t{1}; }

template <int kBytesPerPixel, int kShift>
struct SampleAt {
  const ImageBinding* Image;
  std::uint32_t operator()(std::int64_t x, std::int64_t y) const {
    const std::uint8_t* p = Image->Origin + y * Image->RowStep + x * kBytesPerPixel;
    if constexpr (kShift == 0) {
      return p[0];
    } else {
      return static_cast<std::uint32_t>((p[0] << kShift) | (p[1] & 3));
    }
  }
};

// Plain rule: the sum of the samples at the given rows and columns, stepping 2.
template <class Sample>
std::uint64_t PlainSum(const Sample& sample, const Span& rows, const Span& columns) {
  std::uint64_t sum = 0;
  for (std::int64_t y = rows.First; y <= rows.Last; y += 2) {
    for (std::int64_t x = columns.First; x <= columns.Last; x += 2) sum += sample(x, y);
  }
  return sum;
}

template <int kBytesPerPixel, int kShift>
std::int64_t GlobalSearch(const SearchSetup& setup, Summing summing) {
  const SiteLattice lattice = SiteLattice::For(setup);
  if (lattice.Empty()) return 0;
  const SampleAt<kBytesPerPixel, kShift> sample{&setup.Image};
  const FixedBand band = FixedBand::Around(setup.Reference, setup.Threshold);
  const std::int64_t half = HalfWidth(setup.SmallSize);

  BandSums sums;
  sums.Reset(ColumnWindow(setup, lattice.FirstColumn, half).First,
             ColumnWindow(setup, lattice.LastColumn, half).Last, 2);
  std::int64_t candidates = 0;
  for (std::int64_t y = lattice.FirstRow; y <= lattice.LastRow; y += 2) {
    const Span rows = RowWindow(setup, y, half);
    if (summing == Summing::Bands) sums.Cover(rows.First, rows.Last, sample);
    for (std::int64_t x = lattice.FirstColumn; x <= lattice.LastColumn; x += 2) {
      const Span columns = ColumnWindow(setup, x, half);
      const std::uint64_t sum = summing == Summing::Bands ? sums.Sum(columns.First, columns.Last)
                                                          : PlainSum(sample, rows, columns);
      if (band.Outside(WindowMean(sum, columns.Count(2) * rows.Count(2)))) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

// The plain local rule, walked as stated: every sample of the large window
// counts for the outer mean, and those also inside the small window's rows and
// columns for the inner mean.
template <class Sample>
void PlainLocalSums(const Sample& sample, const Span& smallRows, const Span& smallColumns,
                    const Span& largeRows, const Span& largeColumns, std::uint64_t& inner,
                    std::int64_t& innerCount, std::uint64_t& outer, std::int64_t& outerCount) {
  inner = outer = 0;
  innerCount = outerCount = 0;
  for (std::int64_t y = largeRows.First; y <= largeRows.Last; y += 2) {
    for (std::int64_t x = largeColumns.First; x <= largeColumns.Last; x += 2) {
      const std::uint32_t v = sample(x, y);
      outer += v;
      ++outerCount;
      if (smallRows.Contains(y) && smallColumns.Contains(x)) {
        inner += v;
        ++innerCount;
      }
    }
  }
}

template <int kBytesPerPixel, int kShift>
std::int64_t LocalSearch(const SearchSetup& setup, Summing summing) {
  const SiteLattice lattice = SiteLattice::For(setup);
  if (lattice.Empty()) return 0;
  const SampleAt<kBytesPerPixel, kShift> sample{&setup.Image};
  const RelativeBand band = RelativeBand::For(setup.Threshold);
  const std::int64_t smallHalf = HalfWidth(setup.SmallSize);
  const std::int64_t largeHalf = HalfWidth(setup.LargeSize);

  // The inner sums cover the overlap of both windows, which lies in the large one.
  const std::int64_t bandFirst = ColumnWindow(setup, lattice.FirstColumn, largeHalf).First;
  const std::int64_t bandLast = ColumnWindow(setup, lattice.LastColumn, largeHalf).Last;
  BandSums innerSums, outerSums;
  innerSums.Reset(bandFirst, bandLast, 2);
  outerSums.Reset(bandFirst, bandLast, 2);

  std::int64_t candidates = 0;
  for (std::int64_t y = lattice.FirstRow; y <= lattice.LastRow; y += 2) {
    const Span smallRows = RowWindow(setup, y, smallHalf);
    const Span largeRows = RowWindow(setup, y, largeHalf);
    const Span innerRows = Overlap(smallRows, largeRows);
    if (summing == Summing::Bands) {
      outerSums.Cover(largeRows.First, largeRows.Last, sample);
      innerSums.Cover(innerRows.First, innerRows.Last, sample);
    }
    for (std::int64_t x = lattice.FirstColumn; x <= lattice.LastColumn; x += 2) {
      const Span smallColumns = ColumnWindow(setup, x, smallHalf);
      const Span largeColumns = ColumnWindow(setup, x, largeHalf);
      std::uint64_t inner = 0, outer = 0;
      std::int64_t innerCount = 0, outerCount = 0;
      if (summing == Summing::Bands) {
        const Span innerColumns = Overlap(smallColumns, largeColumns);
        inner = innerSums.Sum(innerColumns.First, innerColumns.Last);
        innerCount = innerColumns.Count(2) * innerRows.Count(2);
        outer = outerSums.Sum(largeColumns.First, largeColumns.Last);
        outerCount = largeColumns.Count(2) * largeRows.Count(2);
      } else {
        PlainLocalSums(sample, smallRows, smallColumns, largeRows, largeColumns, inner,
                       innerCount, outer, outerCount);
      }
      if (band.Outside(WindowMean(inner, innerCount), WindowMean(outer, outerCount))) {
        setup.Mark(x, y);
        ++candidates;
      }
    }
  }
  return candidates;
}

// Picks the instance for the pixel size and the sample rule.
template <template <int, int> class Search>
std::int64_t Dispatch(const SearchSetup& setup, Summing summing) {
  const bool wide = setup.Image.BytesPerPixel == 4;
  switch (setup.Sample.Shift) {
    case 2: return wide ? Search<4, 2>::Run(setup, summing) : Search<3, 2>::Run(setup, summing);
    case 4: return wide ? Search<4, 4>::Run(setup, summing) : Search<3, 4>::Run(setup, summing);
    default: return wide ? Search<4, 0>::Run(setup, summing) : Search<3, 0>::Run(setup, summing);
  }
}

template <int kBytesPerPixel, int kShift>
struct Global {
  static std::int64_t Run(const SearchSetup& s, Summing m) {
    return GlobalSearch<kBytesPerPixel, kShift>(s, m);
  }
};
template <int kBytesPerPixel, int kShift>
struct Local {
  static std::int64_t Run(const SearchSetup& s, Summing m) {
    return LocalSearch<kBytesPerPixel, kShift>(s, m);
  }
};

}  // namespace

std::int64_t GlobalBayerSearch(const SearchSetup& setup, Summing summing) {
  return Dispatch<Global>(setup, summing);
}

std::int64_t LocalBayerSearch(const SearchSetup& setup, Summing summing) {
  return Dispatch<Local>(setup, summing);
}

}  // namespace sensor::glazet
