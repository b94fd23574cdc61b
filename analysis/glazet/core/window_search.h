// The mechanics the four searches share: which pixels are tested, where their
// windows lie, and the scan that sums the windows through lattice bands.
//
// A search is described by its windows (boxes of every pixel in colour mode,
// same-colour site windows of every second pixel in Bayer mode) and by a row
// reader that adds one row of pixel values to a band's column sums. The band
// scan visits the tested rows from the top; for each row it moves the bands
// down, tests the pixels near the left and right edges of the scan area (whose
// windows were moved or cut) one by one with the plain test, and tests the
// run of pixels between them, whose windows are whole and centred, in one
// tight loop without division. Results are exactly those of the plain rule.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

#include "glazet/core/band_scratch.h"
#include "glazet/core/band_screens.h"
#include "common/parallel_rows.h"
#include "common/rect.h"
#include "common/window_placement.h"
#include "glazet/kernels/glazet_kernels.h"
#include "glazet/core/lattice_band.h"
#include "glazet/core/mean_band.h"
#include "glazet/core/window_search_setup.h"

namespace sensor::glazet {

// The tested pixels: rows FirstRow ... LastRow and columns FirstColumn ...
// LastColumn, both in steps of Step.
struct TestLattice {
  std::int64_t FirstRow = 0, LastRow = -1, FirstColumn = 0, LastColumn = -1, Step = 1;
  bool Empty() const { return LastRow < FirstRow || LastColumn < FirstColumn; }
};

// Colour boxes: every pixel from c - k to c + k, k = size / 2; the small box is
// compared with the large one as it stands.
struct BoxWindows {
  static constexpr std::int64_t kStep = 1;
  static constexpr bool kInnerIsOverlap = false;
  static std::int64_t Half(std::int32_t size) { return size / 2; }
  static Span Place(std::int64_t c, std::int64_t half, std::int64_t lo, std::int64_t hi) {
    return PlaceBox(c, half, lo, hi);
  }
};

// Bayer site windows: every second pixel from c - h to c + h, h = size with
// its lowest bit cleared; the inner mean covers the part of the small window
// inside the large one.
struct SiteWindows {
  static constexpr std::int64_t kStep = 2;
  static constexpr bool kInnerIsOverlap = true;
  static std::int64_t Half(std::int32_t size) { return size & ~std::int64_t{1}; }
  static Span Place(std::int64_t c, std::int64_t half, std::int64_t lo, std::int64_t hi) {
    return PlaceSiteWindow(c, half, lo, hi);
  }
};

inline Span Overlap(const Span& a, const Span& b) {
  return Span{std::max(a.First, b.First), std::min(a.Last, b.Last)};
}

// True when every window of the given half width over `area` sums to less
// than 2^30 with values up to maxValue, so that 32-bit sums are exact.
inline bool SumsFit32(const Rect& area, std::int64_t half, std::int64_t maxValue) {
  const std::int64_t side = 2 * half + 1;
  const std::int64_t samples = std::min(side, area.Columns()) * std::min(side, area.Rows());
  return samples <= (std::int64_t{1} << 30) / std::max<std::int64_t>(maxValue, 1);
}

namespace detail {

template <class Windows>
struct AreaPlacer {
  const Rect& Area;
  Span Columns(std::int64_t x, std::int64_t half) const {
    return Windows::Place(x, half, Area.Left, Area.Right);
  }
  Span Rows(std::int64_t y, std::int64_t half) const {
    return Windows::Place(y, half, Area.Top, Area.Bottom);
  }
};

// Tested columns whose window of the given half width is whole and centred.
inline Span CentredColumns(const TestLattice& t, const Rect& area, std::int64_t half) {
  std::int64_t first = std::max<std::int64_t>(t.FirstColumn, std::int64_t{area.Left} + half);
  std::int64_t last = std::min<std::int64_t>(t.LastColumn, std::int64_t{area.Right} - half);
  first = t.FirstColumn + (first - t.FirstColumn + t.Step - 1) / t.Step * t.Step;
  if (last < first) return Span{};
  last = first + (last - first) / t.Step * t.Step;  // onto the lattice
  return Span{first, last};
}

template <class Sum>
using SignedSum = std::make_signed_t<Sum>;

// Window sum of the centred window of lattice half width g around lattice index i.
template <class Sum>
inline SignedSum<Sum> CentredSum(const Sum* prefix, std::int64_t i, std::int64_t g) {
  return static_cast<SignedSum<Sum>>(prefix[i + g + 1] - prefix[i - g]);
}

}  // namespace detail

// Runs scan(part, bands) on parts of the lattice's rows on the analysis threads,
// each part in its own bands of the setup's scratch, and adds up the
// candidates they find. Each part marks only the map rows of its
// own tested rows and keeps its own bands, so the map and the count are those
// of one scan over every row. When a part fails (its memory cannot be had),
// one scan over every row marks the same pixels again and counts them all,
// or fails as it always would.
template <class Scan>
std::int64_t ScanInRowParts(const WindowSearchSetup& setup, const TestLattice& t, const Scan& scan) {
  if (t.Empty()) return 0;
  BandScratch own;  // without the setup's: this search's only
  BandScratch& scratch = setup.Scratch != nullptr ? *setup.Scratch : own;
  scratch.Reserve(1);
  const std::int64_t rows = (t.LastRow - t.FirstRow) / t.Step + 1;
  const int parts = PartsFor(rows, t.Step * (t.LastColumn - t.FirstColumn + 1));
  if (parts > 1) {
    try {
      scratch.Reserve(parts);
      std::vector<std::int64_t> found(static_cast<std::size_t>(parts), 0);
      RethrowFirst(RunParts(parts, [&](int part) {
        TestLattice mine = t;
        mine.FirstRow = t.FirstRow + t.Step * PartStart(0, rows, part, parts);
        mine.LastRow = t.FirstRow + t.Step * (PartStart(0, rows, part + 1, parts) - 1);
        found[static_cast<std::size_t>(part)] = scan(mine, scratch.Part(part));
      }));
      std::int64_t candidates = 0;
      for (const std::int64_t n : found) candidates += n;
      return candidates;
    } catch (const std::bad_alloc&) {
    }
  }
  return scan(t, scratch.Part(0));
}

// Global band scan: small windows against the fixed band around the reference.
template <class Windows, class Sum, class MakeRows>
std::int64_t GlobalBandScan(const WindowSearchSetup& setup, const TestLattice& t, PartBands& bands,
                            const MakeRows& makeRows, std::int64_t maxValue) {
  constexpr std::int64_t q = Windows::kStep;
  const detail::AreaPlacer<Windows> place{setup.ScanArea};
  const FixedBand band = FixedBand::Around(setup.Reference, setup.Threshold);
  const std::int64_t half = Windows::Half(setup.SmallSize);

  LatticeBand<Sum>& sums = bands.template Of<Sum>()[0];
  sums.Reset(place.Columns(t.FirstColumn, half).First, place.Columns(t.LastColumn, half).Last, q);
  const auto rows = makeRows(sums.FirstColumn());
  const Span centred = detail::CentredColumns(t, setup.ScanArea, half);
  const std::int64_t windowColumns = 2 * (half / q) + 1;
  SumThresholds limits;
  std::int64_t limitsCount = -1;
  const auto markRun = ActiveGlazetKernels().GlobalRun<Sum>();

  std::int64_t candidates = 0;
  for (std::int64_t y = t.FirstRow; y <= t.LastRow; y += q) {
    if (CallCancelled()) break;  // the caller's result is "cancelled": what is marked no longer counts
    const Span r = place.Rows(y, half);
    sums.Cover(r.First, r.Last, rows);
    const std::int64_t rowCount = r.Count(q);
    auto plain = [&](std::int64_t x) {
      const Span c = place.Columns(x, half);
      const std::uint64_t sum = sums.WindowSum(c.First, c.Last);
      if (band.Outside(WindowMean(sum, c.Count(q) * rowCount))) {
        setup.Mark(x, y);
        ++candidates;
      }
    };
    if (centred.Empty()) {
      for (std::int64_t x = t.FirstColumn; x <= t.LastColumn; x += q) plain(x);
      continue;
    }
    for (std::int64_t x = t.FirstColumn; x < centred.First; x += q) plain(x);
    const std::int64_t count = windowColumns * rowCount;
    if (count != limitsCount) {
      limits = SumThresholds::For(band, count, maxValue * count);
      limitsCount = count;
    }
    std::uint8_t* map = setup.Map + static_cast<std::size_t>(y) * static_cast<std::size_t>(setup.Image.Width);
    const CentredRun<Sum> run{sums.Prefix(), sums.IndexOf(centred.First), half / q};
    candidates += markRun(run, centred.Count(q), limits, map + centred.First, q);
    for (std::int64_t x = centred.Last + q; x <= t.LastColumn; x += q) plain(x);
  }
  return candidates;
}

// Local band scan: the inner window (the small one, or its part inside the
// large one) against the band around the large window's mean. Both bands sum
// the same columns, so that a lattice index names the same column in both.
// With 32-bit sums a row whose centred run the screen can judge goes through
// one kernel call (MarkLocalRow32) that moves the bands, rebuilds their prefix
// sums and marks the run.
template <class Windows, class Sum, class MakeRows>
std::int64_t LocalBandScan(const WindowSearchSetup& setup, const TestLattice& t, PartBands& bands,
                           const MakeRows& makeRows, std::int64_t maxValue) {
  constexpr std::int64_t q = Windows::kStep;
  const detail::AreaPlacer<Windows> place{setup.ScanArea};
  const RelativeBand band = RelativeBand::For(setup.Threshold);
  const std::int64_t smallHalf = Windows::Half(setup.SmallSize);
  const std::int64_t largeHalf = Windows::Half(setup.LargeSize);
  auto innerSpan = [](const Span& small, const Span& large) {
    return Windows::kInnerIsOverlap ? Overlap(small, large) : small;
  };

  LatticeBand<Sum>& outerSums = bands.template Of<Sum>()[0];
  LatticeBand<Sum>& innerSums = bands.template Of<Sum>()[1];
  std::int64_t firstColumn = place.Columns(t.FirstColumn, largeHalf).First;
  std::int64_t lastColumn = place.Columns(t.LastColumn, largeHalf).Last;
  if (!Windows::kInnerIsOverlap) {
    firstColumn = std::min(firstColumn, place.Columns(t.FirstColumn, smallHalf).First);
    lastColumn = std::max(lastColumn, place.Columns(t.LastColumn, smallHalf).Last);
  }
  outerSums.Reset(firstColumn, lastColumn, q);
  innerSums.Reset(firstColumn, lastColumn, q);
  const auto rows = makeRows(firstColumn);
  const Span centred =
      detail::CentredColumns(t, setup.ScanArea, std::max(smallHalf, largeHalf));
  const std::int64_t innerHalf =
      Windows::kInnerIsOverlap ? std::min(smallHalf, largeHalf) : smallHalf;
  using Real = ScreenReal<Sum>;
  RelativeScreen<Real> screen;
  std::int64_t screenInner = -1, screenOuter = -1;
  const GlazetKernels& kernels = ActiveGlazetKernels();
  const auto markRun = kernels.LocalRun<Sum>();

  std::int64_t candidates = 0;
  for (std::int64_t y = t.FirstRow; y <= t.LastRow; y += q) {
    if (CallCancelled()) break;  // the caller's result is "cancelled": what is marked no longer counts
    const Span largeRows = place.Rows(y, largeHalf);
    const Span rowsInside = innerSpan(place.Rows(y, smallHalf), largeRows);
    const std::int64_t outerRowCount = largeRows.Count(q), innerRowCount = rowsInside.Count(q);
    auto plain = [&](std::int64_t x) {
      const Span large = place.Columns(x, largeHalf);
      const Span inner = innerSpan(place.Columns(x, smallHalf), large);
      const double innerMean =
          WindowMean(innerSums.WindowSum(inner.First, inner.Last), inner.Count(q) * innerRowCount);
      const double outerMean =
          WindowMean(outerSums.WindowSum(large.First, large.Last), large.Count(q) * outerRowCount);
      if (band.Outside(innerMean, outerMean)) {
        setup.Mark(x, y);
        ++candidates;
      }
    };
    if (centred.Empty()) {
      outerSums.Cover(largeRows.First, largeRows.Last, rows);
      innerSums.Cover(rowsInside.First, rowsInside.Last, rows);
      for (std::int64_t x = t.FirstColumn; x <= t.LastColumn; x += q) plain(x);
      continue;
    }
    const std::int64_t innerCount = (2 * (innerHalf / q) + 1) * innerRowCount;
    const std::int64_t outerCount = (2 * (largeHalf / q) + 1) * outerRowCount;
    if (innerCount != screenInner || outerCount != screenOuter) {
      screen = RelativeScreen<Real>::For(band, innerCount, outerCount, maxValue * innerCount,
                                   maxValue * outerCount);
      screenInner = innerCount;
      screenOuter = outerCount;
    }
    std::uint8_t* map = setup.Map + static_cast<std::size_t>(y) * static_cast<std::size_t>(setup.Image.Width);
    const std::int64_t index = outerSums.IndexOf(centred.First);
    bool unsure = false;
    bool judged = false;
    if constexpr (sizeof(Sum) == 4) {
      if (screen.Usable()) {
        BandRowMove outerMove, innerMove;
        if (!outerSums.MoveByKernel(largeRows.First, largeRows.Last, rows, largeHalf / q, outerMove)) {
          outerSums.Cover(largeRows.First, largeRows.Last, rows);
          outerMove = outerSums.StillForKernel(largeHalf / q);
        }
        if (!innerSums.MoveByKernel(rowsInside.First, rowsInside.Last, rows, innerHalf / q, innerMove)) {
          innerSums.Cover(rowsInside.First, rowsInside.Last, rows);
          innerMove = innerSums.StillForKernel(innerHalf / q);
        }
        candidates += kernels.MarkLocalRow32(rows.Values(), outerSums.Columns(), innerMove, outerMove, index,
                                             centred.Count(q), screen, map + centred.First, q, unsure);
        judged = true;
      }
    }
    if (!judged) {
      outerSums.Cover(largeRows.First, largeRows.Last, rows);
      innerSums.Cover(rowsInside.First, rowsInside.Last, rows);
      if (screen.Usable()) {
        const CentredRun<Sum> inner{innerSums.Prefix(), index, innerHalf / q};
        const CentredRun<Sum> outer{outerSums.Prefix(), index, largeHalf / q};
        candidates += markRun(inner, outer, centred.Count(q), screen, map + centred.First, q, unsure);
      }
    }
    for (std::int64_t x = t.FirstColumn; x < centred.First; x += q) plain(x);
    if (!screen.Usable()) {
      for (std::int64_t x = centred.First; x <= centred.Last; x += q) plain(x);
    } else if (unsure) {
      // The few pixels on the edge of the band get the plain test.
      for (std::int64_t i = 0; i < centred.Count(q); ++i) {
        const Real innerSum = static_cast<Real>(detail::CentredSum(innerSums.Prefix(), index + i, innerHalf / q));
        const Real outerSum = static_cast<Real>(detail::CentredSum(outerSums.Prefix(), index + i, largeHalf / q));
        if (screen.Judge(innerSum, outerSum) == RelativeScreen<Real>::kUnsure) plain(centred.First + i * q);
      }
    }
    for (std::int64_t x = centred.Last + q; x <= t.LastColumn; x += q) plain(x);
  }
  return candidates;
}

}  // namespace sensor::glazet
