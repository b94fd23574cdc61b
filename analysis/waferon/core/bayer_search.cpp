// The two Bayer searches: one sample per pixel, compared with the level of its
// colour (global) or with the mean of the other sites of its colour around it
// (local).
#include <algorithm>
#include <vector>

#include "waferon/core/approximate_gate.h"
#include "waferon/kernels/waferon_kernels.h"
#include "common/prefetch.h"
#include "common/sample_rule.h"
#include "common/window_placement.h"
#include "waferon/core/local_windows.h"
#include "waferon/core/scan_sink.h"
#include "waferon/core/search.h"
#include "waferon/core/search_scratch.h"
#include "waferon/core/split_scan.h"
#include "waferon/core/value_scores.h"
#include "common/window_band.h"

namespace sensor::waferon {
namespace {

constexpr int kSampleValues = 4096;  // every value the sample rule can give
constexpr std::int64_t kMaxSample = kSampleValues - 1;
// The most rows a band of the local search keeps the samples of.
constexpr std::int64_t kMostRingSlots = 64;

// The sample of pixel i of a row.
template <int kBpp, int kShift>
inline std::uint32_t SampleAt(const std::uint8_t* row, std::int64_t i) {
  return SampleOfPixel<kBpp, kShift>(row + i * kBpp);
}

// The colours, candidate floors and gates of the two kinds of site in a row
// (even and odd column offset from the region's left edge).
struct RowSites {
  std::int32_t Colour[2];
  double Candidate[2];
  double Gate[2];  // a score not above this neither enters the table nor is a candidate

  RowSites(std::int64_t dy, const ThresholdTables& thresholds, double tableFloor) {
    for (int k = 0; k < 2; ++k) {
      Colour[k] = BayerColourIndex(k, dy);
      Candidate[k] = CandidateFloor(thresholds, Colour[k]);
    }
    Regate(tableFloor);
  }
  void Regate(double tableFloor) {
    for (int k = 0; k < 2; ++k) Gate[k] = std::min(tableFloor, Candidate[k]);
  }
  double LowerGate() const { return std::min(Gate[0], Gate[1]); }
};

template <int kBpp, int kShift>
SearchOutcome GlobalScan(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch, std::int32_t first,
                         std::int32_t last) {
  const Rect& r = setup.Region;
  const std::int64_t n = r.Columns();
  // The score of every possible sample of every colour, by the percent rule
  // exactly as it would be taken per pixel.
  ValueScores* scores = scratch.Scores;
  for (std::size_t c = 0; c < 5; ++c) scores[c].Set(setup.Levels[c], setup.Percent, kSampleValues);
  std::vector<std::uint8_t>& mayPass = scratch.MayPass;
  mayPass.resize(static_cast<std::size_t>(n));
  const WaferonKernels& kernels = ActiveWaferonKernels();

  for (std::int32_t y = first; y <= last; ++y) {
    if (sink.Cancelled()) return SearchOutcome::Stopped;
    RowSites sites(std::int64_t{y} - r.Top, setup.Thresholds, sink.TableFloor());
    const ValueScores* score[2] = {&scores[static_cast<std::size_t>(sites.Colour[0])],
                                   &scores[static_cast<std::size_t>(sites.Colour[1])]};
    // Samples inside the ranges score at most the gates of the row's start,
    // which only rise along the row: the others are marked and judged.
    const ValueScores::Range even = score[0]->AtMost(sites.Gate[0]);
    const ValueScores::Range odd = score[1]->AtMost(sites.Gate[1]);
    const std::uint8_t* row = setup.Image.PixelAt(r.Left, y);
    if (y < last) PrefetchBytes(setup.Image.PixelAt(r.Left, y + 1), n * kBpp);
    std::uint8_t* marks = mayPass.data();
    kernels.MarkBayerOutside(row, marks, n, kBpp, kShift, ParityRanges{{even.Lo, even.Hi}, {odd.Lo, odd.Hi}});
    for (std::int64_t k = NextMarked(marks, 0, n); k < n; k = NextMarked(marks, k + 1, n)) {
      const int parity = static_cast<int>(k & 1);
      const std::uint32_t sample = SampleAt<kBpp, kShift>(row, k);
      const double s = (*score[parity])[sample];
      if (!(s > sites.Gate[parity])) continue;
      const double reference = setup.Levels[static_cast<std::size_t>(sites.Colour[parity])];
      if (!sink.Take(static_cast<std::int32_t>(r.Left + k), y, s, sites.Colour[parity],
                     s > sites.Candidate[parity], static_cast<double>(sample) > reference)) {
        return SearchOutcome::Stopped;
      }
      sites.Regate(sink.TableFloor());
    }
  }
  return SearchOutcome::Completed;
}

template <int kBpp, int kShift, bool kPercent, class Lane>
SearchOutcome LocalScan(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch, std::int32_t first,
                        std::int32_t last) {
  const Rect& r = setup.Region;
  const std::int64_t h = setup.WindowSize & ~std::int32_t{1};
  const std::int64_t n = r.Columns();
  AxisWindows& columns = scratch.Columns;
  PlaceSiteWindows(r.Left, r.Right, h, columns);
  // Columns whose window is neither moved nor cut: i - h .. i + h.
  const std::int64_t innerBegin = std::min(h, n), innerEnd = std::max(innerBegin, n - h);

  // One band per row parity: the windows of a row cover rows of its parity.
  const std::uint8_t* origin = setup.Image.PixelAt(r.Left, 0);
  const std::ptrdiff_t rowStep = setup.Image.RowStep;
  const RowSource source{origin, rowStep, n};
  const auto markInner = ActiveWaferonKernels().BayerInner<Lane, kPercent>();
  WindowBand<Lane>* bands = scratch.Bands<Lane>();
  for (int b = 0; b < 2; ++b) bands[b].Reset(static_cast<std::size_t>(n), 2, 2);
  std::vector<std::uint8_t>& mayPass = scratch.MayPass;
  mayPass.resize(static_cast<std::size_t>(n));

  // Each band keeps the samples of the rows it covers, row y in slot
  // (y / 2) % slots: a band covers at most h + 1 rows, and no more than the
  // region has of its parity, so the rows entering and leaving together and
  // the rows they pass never share a slot. The pixels of a row are then read
  // once, when it enters. Windows taller than the ring allows take their
  // samples from the pixels at every move instead.
  const std::int64_t slots = std::min<std::int64_t>(h + 2, (std::int64_t{r.Rows()} + 1) / 2 + 1);
  const bool ringed = slots <= kMostRingSlots;
  std::vector<std::uint16_t>* rings = scratch.Rings;
  std::vector<std::uint16_t>& ownSamples = scratch.OwnSamples;  // without rings: the samples of the row searched
  if (ringed) {
    for (int k = 0; k < 2; ++k) rings[k].resize(static_cast<std::size_t>(slots * n));
  } else {
    ownSamples.resize(static_cast<std::size_t>(n));
  }
  const auto moveRing = ActiveWaferonKernels().SampleRing<Lane>();
  const auto slotOf = [&](std::int64_t parity, std::int64_t y) {
    return rings[parity].data() + (y / 2 % slots) * n;
  };
  const ColumnValues samples{ColumnValues::kSample, kBpp, kShift, 0, 1};

  for (std::int32_t y = first; y <= last; ++y) {
    if (sink.Cancelled()) return SearchOutcome::Stopped;
    const std::int64_t dy = std::int64_t{y} - r.Top;
    const Span rows = PlaceSiteWindow(y, h, r.Top, r.Bottom);
    const std::int64_t rowCount = rows.Count(2);
    WindowBand<Lane>& band = bands[dy & 1];
    band.Cover(rows.First, rows.Last, [&](std::int64_t enter, std::int64_t leave, Lane* column) {
      if (!ringed) {
        UpdateColumns(samples, source, enter, leave, column);
        return;
      }
      const bool entering = enter != kNoRow;
      moveRing(entering ? source.Row(enter) : nullptr, entering ? slotOf(dy & 1, enter) : nullptr,
               leave != kNoRow ? slotOf(dy & 1, leave) : nullptr, column, n, kBpp, kShift);
    });
    // The row the next row's band takes in, asked for while this row is searched.
    if (y < last) PrefetchBytes(source.Row(PlaceSiteWindow(y + 1, h, r.Top, r.Bottom).Last), n * kBpp);

    RowSites sites(dy, setup.Thresholds, sink.TableFloor());
    const bool enabled[2] = {setup.Enabled[static_cast<std::size_t>(sites.Colour[0])],
                             setup.Enabled[static_cast<std::size_t>(sites.Colour[1])]};
    const std::uint8_t* row = origin + y * rowStep;

    // The exact rule: the mean of the other sites of the window. False when
    // the search stops.
    auto scoreExactly = [&](std::int64_t i) {
      const int k = static_cast<int>(i & 1);
      if (!enabled[k]) return true;
      const auto at = static_cast<std::size_t>(i);
      const std::uint32_t own = SampleAt<kBpp, kShift>(row, i);
      const std::uint64_t sum = band.Sum(static_cast<std::size_t>(columns.First[at]),
                                         static_cast<std::size_t>(columns.Last[at]));  // exact
      const std::int64_t others = columns.Count[at] * rowCount - 1;
      const double mean =
          others > 0 ? static_cast<double>(sum - own) / static_cast<double>(others) : 0.0;
      const double s = PercentScore(mean, own, kPercent);
      if (!(s > sites.Gate[k])) return true;
      if (!sink.Take(static_cast<std::int32_t>(r.Left + i), y, s, sites.Colour[k],
                     s > sites.Candidate[k], static_cast<double>(own) > mean)) {
        return false;
      }
      sites.Regate(sink.TableFloor());
      return true;
    };

    // Inner windows all hold the same number of sites: there most pixels
    // are ruled out on integers before any division, the whole row at once.
    // The gate only rises along the row, so the pixels marked at its start
    // include every one that may pass.
    const std::int64_t innerOthers = (h + 1) * rowCount - 1;
    if (!FitsNarrowGate(innerOthers + 1, kMaxSample)) {
      for (std::int64_t i = 0; i < n; ++i) {
        if (!scoreExactly(i)) return SearchOutcome::Stopped;
      }
      continue;
    }
    const auto gate = NarrowGate<kPercent>::For(sites.LowerGate(), innerOthers);
    // An edge pixel whose window, moved inward, holds as many sites as the
    // inner ones (every pixel of a region wider than its windows) goes through
    // the same gate before the exact rule.
    auto screenedExactly = [&](std::int64_t i) {
      const auto at = static_cast<std::size_t>(i);
      if (columns.Count[at] * rowCount - 1 == innerOthers) {
        const Lane sum = band.Sum(static_cast<std::size_t>(columns.First[at]),
                                  static_cast<std::size_t>(columns.Last[at]));
        const auto own = static_cast<std::int32_t>(SampleAt<kBpp, kShift>(row, i));
        if (!gate.MayPass(static_cast<std::int32_t>(sum), own)) return true;
      }
      return scoreExactly(i);
    };
    for (std::int64_t i = 0; i < innerBegin; ++i) {
      if (!screenedExactly(i)) return SearchOutcome::Stopped;
    }
    // The row's own samples: kept by its band, which covers it.
    const std::uint16_t* own = ownSamples.data();
    if (ringed) {
      own = slotOf(dy & 1, y);
    } else {
      for (std::int64_t i = 0; i < n; ++i) ownSamples[static_cast<std::size_t>(i)] =
          static_cast<std::uint16_t>(SampleAt<kBpp, kShift>(row, i));
    }
    const Lane* prefix = band.Prefix();
    std::uint8_t* marks = mayPass.data();
    markInner(prefix, own, marks, innerBegin, innerEnd, h, gate);
    for (std::int64_t i = NextMarked(marks, innerBegin, innerEnd); i < innerEnd;
         i = NextMarked(marks, i + 1, innerEnd)) {
      if (!scoreExactly(i)) return SearchOutcome::Stopped;
    }
    for (std::int64_t i = innerEnd; i < n; ++i) {
      if (!screenedExactly(i)) return SearchOutcome::Stopped;
    }
  }
  return SearchOutcome::Completed;
}

using Scan = RowScan;

// The scan compiled for the image's pixel size and the sample rule's shift.
template <template <int, int> class Pick>
Scan ForLayout(const SearchSetup& setup) {
  const bool four = setup.Image.BytesPerPixel == 4;
  switch (setup.Rule.Shift) {
    case 2: return four ? Pick<4, 2>::kScan : Pick<3, 2>::kScan;
    case 4: return four ? Pick<4, 4>::kScan : Pick<3, 4>::kScan;
    default: return four ? Pick<4, 0>::kScan : Pick<3, 0>::kScan;
  }
}

template <int kBpp, int kShift>
struct GlobalPick {
  static constexpr Scan kScan = GlobalScan<kBpp, kShift>;
};
// Local scans by score rule and by the width of the window sums.
template <bool kPercent, class Lane>
struct LocalPicks {
  template <int kBpp, int kShift>
  struct Pick {
    static constexpr Scan kScan = LocalScan<kBpp, kShift, kPercent, Lane>;
  };
};

}  // namespace

SearchOutcome BayerGlobalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ScanRows(ForLayout<GlobalPick>(setup), setup, targets);
}

SearchOutcome BayerLocalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  // Window sums fit 32 bits when the largest window's sites, at most 4095
  // each, cannot reach 2^32.
  const std::int64_t h = setup.WindowSize & ~std::int32_t{1};
  const std::int64_t largest = std::min(h + 1, (setup.Region.Columns() + 1) / 2) *
                               std::min(h + 1, (setup.Region.Rows() + 1) / 2);
  const bool narrow = largest <= (std::int64_t{1} << 32) / kSampleValues;
  Scan scan;
  if (setup.Percent) {
    scan = narrow ? ForLayout<LocalPicks<true, std::uint32_t>::Pick>(setup)
                  : ForLayout<LocalPicks<true, std::uint64_t>::Pick>(setup);
  } else {
    scan = narrow ? ForLayout<LocalPicks<false, std::uint32_t>::Pick>(setup)
                  : ForLayout<LocalPicks<false, std::uint64_t>::Pick>(setup);
  }
  return ScanRows(scan, setup, targets);
}

}  // namespace sensor::waferon
