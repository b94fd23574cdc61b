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

// The local search over one part's rows: one driver loop (Run) and one
// function for each way a row or a pixel goes.
//
// Each row moves its band (by the samples kept in the band's ring, or by the
// pixels when the windows are too tall for a ring), then is searched one of
// two ways: pixel by pixel by the exact rule when the window sums are too
// large for the integer gate, or else its inner pixels marked through the gate
// all at once and its edge pixels screened one by one, the marked and the
// screened ones that may pass then scored exactly.
template <int kBpp, int kShift, bool kPercent, class Lane>
class LocalRows {
 public:
  LocalRows(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch)
      : setup_(setup),
        sink_(sink),
        r_(setup.Region),
        h_(setup.WindowSize & ~std::int32_t{1}),
        n_(r_.Columns()),
        columns_(scratch.Columns),
        source_{setup.Image.PixelAt(r_.Left, 0), setup.Image.RowStep, n_},
        bands_(scratch.Bands<Lane>()),
        mayPass_(scratch.MayPass),
        rings_(scratch.Rings),
        ownSamples_(scratch.OwnSamples),
        markInner_(ActiveWaferonKernels().BayerInner<Lane, kPercent>()),
        moveRing_(ActiveWaferonKernels().SampleRing<Lane>()) {
    PlaceSiteWindows(r_.Left, r_.Right, h_, columns_);
    // Columns whose window is neither moved nor cut: i - h .. i + h.
    innerBegin_ = std::min(h_, n_);
    innerEnd_ = std::max(innerBegin_, n_ - h_);
    // One band per row parity: the windows of a row cover rows of its parity.
    for (int b = 0; b < 2; ++b) bands_[b].Reset(static_cast<std::size_t>(n_), 2, 2);
    mayPass_.resize(static_cast<std::size_t>(n_));
    // Each band keeps the samples of the rows it covers, row y in slot
    // (y / 2) % slots: a band covers at most h + 1 rows, and no more than the
    // region has of its parity, so the rows entering and leaving together and
    // the rows they pass never share a slot. The pixels of a row are then read
    // once, when it enters. Windows taller than the ring allows take their
    // samples from the pixels at every move instead.
    slots_ = std::min<std::int64_t>(h_ + 2, (std::int64_t{r_.Rows()} + 1) / 2 + 1);
    ringed_ = slots_ <= kMostRingSlots;
    if (ringed_) {
      for (int k = 0; k < 2; ++k) rings_[k].resize(static_cast<std::size_t>(slots_ * n_));
    } else {
      ownSamples_.resize(static_cast<std::size_t>(n_));  // the samples of the row searched
    }
  }

  SearchOutcome Run(std::int32_t first, std::int32_t last) {
    for (std::int32_t y = first; y <= last; ++y) {
      if (sink_.Cancelled()) return SearchOutcome::Stopped;
      const std::int64_t dy = std::int64_t{y} - r_.Top;
      const Span rows = PlaceSiteWindow(y, h_, r_.Top, r_.Bottom);
      WindowBand<Lane>& band = bands_[dy & 1];
      MoveBand(band, dy & 1, rows);
      // The row the next row's band takes in, asked for while this row is searched.
      if (y < last) PrefetchBytes(source_.Row(PlaceSiteWindow(y + 1, h_, r_.Top, r_.Bottom).Last), n_ * kBpp);

      Row row{y, dy, rows.Count(2), band, source_.Row(y), RowSites(dy, setup_.Thresholds, sink_.TableFloor()), {}};
      for (int k = 0; k < 2; ++k) row.Enabled[k] = setup_.Enabled[static_cast<std::size_t>(row.Sites.Colour[k])];
      if (!(NarrowRow(row) ? ScanGated(row) : ScanExactly(row))) return SearchOutcome::Stopped;
    }
    return SearchOutcome::Completed;
  }

 private:
  // The row being searched.
  struct Row {
    std::int32_t Y;
    std::int64_t Dy;        // from the region's top
    std::int64_t RowCount;  // rows its windows cover
    const WindowBand<Lane>& Band;
    const std::uint8_t* Pixels;
    RowSites Sites;
    bool Enabled[2];
  };

  std::uint16_t* Slot(std::int64_t parity, std::int64_t y) const {
    return rings_[parity].data() + (y / 2 % slots_) * n_;
  }

  // Moves the band of the row's parity onto `rows`.
  void MoveBand(WindowBand<Lane>& band, std::int64_t parity, Span rows) {
    if (!ringed_) {
      const ColumnValues samples{ColumnValues::kSample, kBpp, kShift, 0, 1};
      band.Cover(rows.First, rows.Last, [&](std::int64_t enter, std::int64_t leave, Lane* column) {
        UpdateColumns(samples, source_, enter, leave, column);
      });
      return;
    }
    band.Cover(rows.First, rows.Last, [&](std::int64_t enter, std::int64_t leave, Lane* column) {
      const bool entering = enter != kNoRow;
      moveRing_(entering ? source_.Row(enter) : nullptr, entering ? Slot(parity, enter) : nullptr,
               leave != kNoRow ? Slot(parity, leave) : nullptr, column, n_, kBpp, kShift);
    });
  }

  // Whether the row's inner windows, which all hold the same number of
  // sites, are small enough for the integer gate.
  bool NarrowRow(const Row& row) const { return FitsNarrowGate((h_ + 1) * row.RowCount, kMaxSample); }

  // Every pixel of the row by the exact rule.
  bool ScanExactly(Row& row) {
    for (std::int64_t i = 0; i < n_; ++i) {
      if (!ScoreExactly(row, i)) return false;
    }
    return true;
  }

  // The row through the integer gate: most pixels are ruled out on integers
  // before any division. The gate only rises along the row, so the pixels
  // that pass the gate of its start include every one that may pass.
  bool ScanGated(Row& row) {
    const std::int64_t innerOthers = (h_ + 1) * row.RowCount - 1;
    const auto gate = NarrowGate<kPercent>::For(row.Sites.LowerGate(), innerOthers);
    for (std::int64_t i = 0; i < innerBegin_; ++i) {
      if (!ScoreScreened(row, gate, i)) return false;
    }
    if (!ScanInner(row, gate)) return false;
    for (std::int64_t i = innerEnd_; i < n_; ++i) {
      if (!ScoreScreened(row, gate, i)) return false;
    }
    return true;
  }

  // The inner pixels, marked through the gate the whole row at once; the
  // marked ones by the exact rule.
  bool ScanInner(Row& row, const NarrowGate<kPercent>& gate) {
    std::uint8_t* marks = mayPass_.data();
    markInner_(row.Band.Prefix(), RowSamples(row), marks, innerBegin_, innerEnd_, h_, gate);
    for (std::int64_t i = NextMarked(marks, innerBegin_, innerEnd_); i < innerEnd_;
         i = NextMarked(marks, i + 1, innerEnd_)) {
      if (!ScoreExactly(row, i)) return false;
    }
    return true;
  }

  // The row's own samples: kept by its band, which covers it, or read from
  // its pixels without a ring.
  const std::uint16_t* RowSamples(const Row& row) {
    if (ringed_) return Slot(row.Dy & 1, row.Y);
    for (std::int64_t i = 0; i < n_; ++i) {
      ownSamples_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(SampleAt<kBpp, kShift>(row.Pixels, i));
    }
    return ownSamples_.data();
  }

  // An edge pixel whose window, moved inward, holds as many sites as the
  // inner ones (every pixel of a region wider than its windows) goes through
  // the same gate before the exact rule.
  bool ScoreScreened(Row& row, const NarrowGate<kPercent>& gate, std::int64_t i) {
    const auto at = static_cast<std::size_t>(i);
    if (columns_.Count[at] * row.RowCount == gate.Count) {  // as many sites as an inner window
      const Lane sum =
          row.Band.Sum(static_cast<std::size_t>(columns_.First[at]), static_cast<std::size_t>(columns_.Last[at]));
      const auto own = static_cast<std::int32_t>(SampleAt<kBpp, kShift>(row.Pixels, i));
      if (!gate.MayPass(static_cast<std::int32_t>(sum), own)) return true;
    }
    return ScoreExactly(row, i);
  }

  // The exact rule: the mean of the other sites of the window. False when
  // the search stops.
  bool ScoreExactly(Row& row, std::int64_t i) {
    const int k = static_cast<int>(i & 1);
    if (!row.Enabled[k]) return true;
    const auto at = static_cast<std::size_t>(i);
    const std::uint32_t own = SampleAt<kBpp, kShift>(row.Pixels, i);
    const std::uint64_t sum = row.Band.Sum(static_cast<std::size_t>(columns_.First[at]),
                                           static_cast<std::size_t>(columns_.Last[at]));  // exact
    const std::int64_t others = columns_.Count[at] * row.RowCount - 1;
    const double mean = others > 0 ? static_cast<double>(sum - own) / static_cast<double>(others) : 0.0;
    const double s = PercentScore(mean, own, kPercent);
    RowSites& sites = row.Sites;
    if (!(s > sites.Gate[k])) return true;
    if (!sink_.Take(static_cast<std::int32_t>(r_.Left + i), row.Y, s, sites.Colour[k], s > sites.Candidate[k],
                    static_cast<double>(own) > mean)) {
      return false;
    }
    sites.Regate(sink_.TableFloor());
    return true;
  }

  const SearchSetup& setup_;
  ScanSink& sink_;
  const Rect& r_;
  const std::int64_t h_;
  const std::int64_t n_;
  AxisWindows& columns_;
  const RowSource source_;
  WindowBand<Lane>* bands_;
  std::vector<std::uint8_t>& mayPass_;
  std::vector<std::uint16_t>* rings_;
  std::vector<std::uint16_t>& ownSamples_;
  const BayerInnerMarks<Lane, kPercent> markInner_;
  const SampleRingMove<Lane> moveRing_;
  std::int64_t innerBegin_ = 0, innerEnd_ = 0;
  std::int64_t slots_ = 0;
  bool ringed_ = false;
};

template <int kBpp, int kShift, bool kPercent, class Lane>
SearchOutcome LocalScan(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch, std::int32_t first,
                        std::int32_t last) {
  return LocalRows<kBpp, kShift, kPercent, Lane>(setup, sink, scratch).Run(first, last);
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
