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
  const auto markRun = ActiveGlazetKernels().MarkGlobalRun.template Of<Sum>();

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

namespace detail {

// One local band scan: what its rows share, and one function for each path a
// row takes. The inner window (the small one, or its part inside the large
// one) is held against the band around the large window's mean. Both bands
// sum the same columns, so that a lattice index names the same column in both.
template <class Windows, class Sum, class Rows>
class LocalScan {
 public:
  using Real = ScreenReal<Sum>;
  static constexpr std::int64_t q = Windows::kStep;

  template <class MakeRows>
  LocalScan(const WindowSearchSetup& setup, const TestLattice& t, PartBands& bands, const MakeRows& makeRows,
            std::int64_t maxValue)
      : setup_(setup),
        t_(t),
        place_{setup.ScanArea},
        band_(RelativeBand::For(setup.Threshold)),
        smallHalf_(Windows::Half(setup.SmallSize)),
        largeHalf_(Windows::Half(setup.LargeSize)),
        innerHalf_(Windows::kInnerIsOverlap ? std::min(smallHalf_, largeHalf_) : smallHalf_),
        maxValue_(maxValue),
        outerSums_(bands.template Of<Sum>()[0]),
        innerSums_(bands.template Of<Sum>()[1]),
        rows_(makeRows(ResetBands())),
        centred_(CentredColumns(t, setup.ScanArea, std::max(smallHalf_, largeHalf_))),
        kernels_(ActiveGlazetKernels()) {}

  // Tests row y by the path it takes; returns its candidates.
  std::int64_t Row(std::int64_t y) {
    const RowWindows w = WindowsOfRow(y);
    if (centred_.Empty()) return PlainRow(w);
    UpdateScreen(w);
    std::uint8_t* map = setup_.Map + static_cast<std::size_t>(y) * static_cast<std::size_t>(setup_.Image.Width);
    const std::int64_t index = outerSums_.IndexOf(centred_.First);
    std::int64_t candidates = 0;
    bool unsure = false;
    if (!FusedRow(w, index, map, candidates, unsure)) {
      CoverBands(w);
      if (screen_.Usable()) candidates += ScreenedRun(index, map, unsure);
    }
    candidates += PlainColumns(w, t_.FirstColumn, centred_.First - q);
    if (!screen_.Usable()) {
      candidates += PlainColumns(w, centred_.First, centred_.Last);
    } else if (unsure) {
      candidates += RetestUnsure(w, index);
    }
    return candidates + PlainColumns(w, centred_.Last + q, t_.LastColumn);
  }

 private:
  // The rows of a tested row's large and inner windows.
  struct RowWindows {
    std::int64_t Y;
    Span LargeRows, InnerRows;
    std::int64_t OuterRowCount, InnerRowCount;
  };

  Span InnerSpan(const Span& small, const Span& large) const {
    return Windows::kInnerIsOverlap ? Overlap(small, large) : small;
  }

  // Both bands over every column any window of the lattice touches; returns
  // the first of them.
  std::int64_t ResetBands() {
    std::int64_t firstColumn = place_.Columns(t_.FirstColumn, largeHalf_).First;
    std::int64_t lastColumn = place_.Columns(t_.LastColumn, largeHalf_).Last;
    if (!Windows::kInnerIsOverlap) {
      firstColumn = std::min(firstColumn, place_.Columns(t_.FirstColumn, smallHalf_).First);
      lastColumn = std::max(lastColumn, place_.Columns(t_.LastColumn, smallHalf_).Last);
    }
    outerSums_.Reset(firstColumn, lastColumn, q);
    innerSums_.Reset(firstColumn, lastColumn, q);
    return firstColumn;
  }

  RowWindows WindowsOfRow(std::int64_t y) const {
    const Span largeRows = place_.Rows(y, largeHalf_);
    const Span innerRows = InnerSpan(place_.Rows(y, smallHalf_), largeRows);
    return RowWindows{y, largeRows, innerRows, largeRows.Count(q), innerRows.Count(q)};
  }

  void CoverBands(const RowWindows& w) {
    outerSums_.Cover(w.LargeRows.First, w.LargeRows.Last, rows_);
    innerSums_.Cover(w.InnerRows.First, w.InnerRows.Last, rows_);
  }

  // The screen for the centred windows' sample counts of this row.
  void UpdateScreen(const RowWindows& w) {
    const std::int64_t innerCount = (2 * (innerHalf_ / q) + 1) * w.InnerRowCount;
    const std::int64_t outerCount = (2 * (largeHalf_ / q) + 1) * w.OuterRowCount;
    if (innerCount == screenInner_ && outerCount == screenOuter_) return;
    screen_ = RelativeScreen<Real>::For(band_, innerCount, outerCount, maxValue_ * innerCount,
                                        maxValue_ * outerCount);
    screenInner_ = innerCount;
    screenOuter_ = outerCount;
  }

  // The plain rule at column x; 1 when it marks the pixel.
  std::int64_t TestPlain(const RowWindows& w, std::int64_t x) const {
    const Span large = place_.Columns(x, largeHalf_);
    const Span inner = InnerSpan(place_.Columns(x, smallHalf_), large);
    const double innerMean =
        WindowMean(innerSums_.WindowSum(inner.First, inner.Last), inner.Count(q) * w.InnerRowCount);
    const double outerMean =
        WindowMean(outerSums_.WindowSum(large.First, large.Last), large.Count(q) * w.OuterRowCount);
    if (!band_.Outside(innerMean, outerMean)) return 0;
    setup_.Mark(x, w.Y);
    return 1;
  }

  // The plain rule on the tested columns `first` ... `last`.
  std::int64_t PlainColumns(const RowWindows& w, std::int64_t first, std::int64_t last) const {
    std::int64_t candidates = 0;
    for (std::int64_t x = first; x <= last; x += q) candidates += TestPlain(w, x);
    return candidates;
  }

  // Path 1: a row without a centred run, every column by the plain rule.
  std::int64_t PlainRow(const RowWindows& w) {
    CoverBands(w);
    return PlainColumns(w, t_.FirstColumn, t_.LastColumn);
  }

  // Path 2: with 32-bit sums and a screen that can judge, one kernel call
  // (MarkLocalRow32) moves the bands, rebuilds their prefix sums and marks the
  // centred run. False when the row takes another path.
  bool FusedRow(const RowWindows& w, std::int64_t index, std::uint8_t* map, std::int64_t& candidates,
                bool& unsure) {
    if constexpr (sizeof(Sum) == 4) {
      if (!screen_.Usable()) return false;
      const std::int64_t outerHalf = largeHalf_ / q, innerHalf = innerHalf_ / q;
      BandRowMove outerMove, innerMove;
      if (!outerSums_.MoveByKernel(w.LargeRows.First, w.LargeRows.Last, rows_, outerHalf, outerMove)) {
        outerSums_.Cover(w.LargeRows.First, w.LargeRows.Last, rows_);
        outerMove = outerSums_.StillForKernel(outerHalf);
      }
      if (!innerSums_.MoveByKernel(w.InnerRows.First, w.InnerRows.Last, rows_, innerHalf, innerMove)) {
        innerSums_.Cover(w.InnerRows.First, w.InnerRows.Last, rows_);
        innerMove = innerSums_.StillForKernel(innerHalf);
      }
      candidates += kernels_.MarkLocalRow32(rows_.Values(), outerSums_.Columns(), innerMove, outerMove, index,
                                            centred_.Count(q), screen_, map + centred_.First, q, unsure);
      return true;
    } else {
      (void)w, (void)index, (void)map, (void)candidates, (void)unsure;
      return false;
    }
  }

  // Path 3: the bands moved, the centred run marked by the run kernel.
  std::int64_t ScreenedRun(std::int64_t index, std::uint8_t* map, bool& unsure) const {
    const CentredRun<Sum> inner{innerSums_.Prefix(), index, innerHalf_ / q};
    const CentredRun<Sum> outer{outerSums_.Prefix(), index, largeHalf_ / q};
    return kernels_.MarkLocalRun.template Of<Sum>()(inner, outer, centred_.Count(q), screen_,
                                                   map + centred_.First, q, unsure);
  }

  // (Path 4, a screen that cannot judge: the centred run by the plain rule.)

  // The few pixels of the centred run on the edge of the band, which the
  // screen left unmarked, get the plain test.
  std::int64_t RetestUnsure(const RowWindows& w, std::int64_t index) const {
    std::int64_t candidates = 0;
    for (std::int64_t i = 0; i < centred_.Count(q); ++i) {
      const Real innerSum = static_cast<Real>(CentredSum(innerSums_.Prefix(), index + i, innerHalf_ / q));
      const Real outerSum = static_cast<Real>(CentredSum(outerSums_.Prefix(), index + i, largeHalf_ / q));
      if (screen_.Judge(innerSum, outerSum) == RelativeScreen<Real>::kUnsure) {
        candidates += TestPlain(w, centred_.First + i * q);
      }
    }
    return candidates;
  }

  const WindowSearchSetup& setup_;
  const TestLattice& t_;
  const AreaPlacer<Windows> place_;
  const RelativeBand band_;
  const std::int64_t smallHalf_, largeHalf_, innerHalf_, maxValue_;
  LatticeBand<Sum>& outerSums_;
  LatticeBand<Sum>& innerSums_;
  const Rows rows_;
  const Span centred_;
  const GlazetKernels& kernels_;
  RelativeScreen<Real> screen_;
  std::int64_t screenInner_ = -1, screenOuter_ = -1;
};

}  // namespace detail

// Local band scan: the driver of detail::LocalScan, one row at a time.
template <class Windows, class Sum, class MakeRows>
std::int64_t LocalBandScan(const WindowSearchSetup& setup, const TestLattice& t, PartBands& bands,
                           const MakeRows& makeRows, std::int64_t maxValue) {
  using Rows = decltype(makeRows(std::int64_t{0}));
  detail::LocalScan<Windows, Sum, Rows> scan(setup, t, bands, makeRows, maxValue);
  std::int64_t candidates = 0;
  for (std::int64_t y = t.FirstRow; y <= t.LastRow; y += Windows::kStep) {
    if (CallCancelled()) break;  // the caller's result is "cancelled": what is marked no longer counts
    candidates += scan.Row(y);
  }
  return candidates;
}

}  // namespace sensor::glazet
