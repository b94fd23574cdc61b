// The two colour searches: three channels per pixel, each compared with the
// level of its channel (global) or with the channel's mean over the other
// pixels of the box around it (local). The pixel takes the largest channel
// score; it is a candidate when any channel passes a threshold of its own.
#include <algorithm>
#include <vector>

#include "common/prefetch.h"
#include "common/window_placement.h"
#include "waferon/core/approximate_gate.h"
#include "waferon/kernels/waferon_kernels.h"
#include "waferon/core/channel_bands.h"
#include "waferon/core/local_windows.h"
#include "waferon/core/scan_sink.h"
#include "waferon/core/search.h"
#include "waferon/core/search_scratch.h"
#include "waferon/core/split_scan.h"
#include "waferon/core/value_scores.h"

namespace sensor::waferon {
namespace {

// Byte of each channel in a pixel: red 2, green 1, blue 0.
constexpr int kChannelByte[3] = {2, 1, 0};

struct ChannelFloors {
  double Candidate[3];
  double Gate;  // a pixel whose three scores are not above this changes nothing

  explicit ChannelFloors(const ThresholdTables& t) {
    for (int k = 0; k < 3; ++k) Candidate[k] = CandidateFloor(t, k);
  }
  void Regate(double tableFloor) {
    Gate = std::min({tableFloor, Candidate[0], Candidate[1], Candidate[2]});
  }
  bool IsCandidate(const double (&score)[3]) const {
    return score[0] > Candidate[0] || score[1] > Candidate[1] || score[2] > Candidate[2];
  }
};

// Scores one pixel from its three channel scores; false when the search stops.
// above(k) tells whether channel k lay above its reference.
template <class Above>
inline bool Judge(ScanSink& sink, ChannelFloors& floors, std::int32_t x, std::int32_t y,
                  const double (&score)[3], const Above& above) {
  if (!(score[0] > floors.Gate || score[1] > floors.Gate || score[2] > floors.Gate)) return true;
  const ChannelPick pick = PickChannel(score[0], score[1], score[2]);
  if (!sink.Take(x, y, pick.Score, pick.Colour, floors.IsCandidate(score), above(pick.Colour))) return false;
  floors.Regate(sink.TableFloor());
  return true;
}

template <int kBpp>
SearchOutcome GlobalScan(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch, std::int32_t first,
                         std::int32_t last) {
  const Rect& r = setup.Region;
  const std::int64_t n = r.Columns();
  ChannelFloors floors(setup.Thresholds);
  floors.Regate(sink.TableFloor());
  // The score of every byte value of every channel, by the percent rule.
  const ValueScores* scores = scratch.Scores;
  for (std::size_t c = 0; c < 3; ++c) scratch.Scores[c].Set(setup.Levels[c], setup.Percent, 256);
  std::vector<std::uint8_t>& mayPass = scratch.MayPass;
  mayPass.resize(static_cast<std::size_t>(n));
  const WaferonKernels& kernels = ActiveWaferonKernels();

  for (std::int32_t y = first; y <= last; ++y) {
    if (sink.Cancelled()) return SearchOutcome::Stopped;
    // A channel value inside its range neither lifts the pixel into the
    // table nor passes a threshold of the channel, at the gates of the row's
    // start, which only rise along the row: pixels with any value outside are
    // marked and judged.
    ValueScores::Range range[3];
    for (int k = 0; k < 3; ++k) range[k] = scores[k].AtMost(std::min(sink.TableFloor(), floors.Candidate[k]));
    const std::uint8_t* row = setup.Image.PixelAt(r.Left, y);
    if (y < last) PrefetchBytes(setup.Image.PixelAt(r.Left, y + 1), n * kBpp);
    std::uint8_t* marks = mayPass.data();
    const ChannelRanges ranges{{range[0].Lo, range[0].Hi}, {range[1].Lo, range[1].Hi}, {range[2].Lo, range[2].Hi}};
    kernels.MarkColourOutside(row, marks, n, kBpp, ranges);
    for (std::int64_t k = NextMarked(marks, 0, n); k < n; k = NextMarked(marks, k + 1, n)) {
      const std::uint8_t* p = row + k * kBpp;
      const double score[3] = {scores[0][p[2]], scores[1][p[1]], scores[2][p[0]]};
      const auto above = [&](std::int32_t c) {
        return static_cast<double>(p[kChannelByte[c]]) > setup.Levels[static_cast<std::size_t>(c)];
      };
      if (!Judge(sink, floors, static_cast<std::int32_t>(r.Left + k), y, score, above)) {
        return SearchOutcome::Stopped;
      }
    }
  }
  return SearchOutcome::Completed;
}

template <int kBpp, bool kPercent, class Channels>
SearchOutcome LocalScan(const SearchSetup& setup, ScanSink& sink, PartScratch& scratch, std::int32_t first,
                        std::int32_t last) {
  const Rect& r = setup.Region;
  ChannelFloors floors(setup.Thresholds);
  floors.Regate(sink.TableFloor());

  const std::int64_t e = setup.WindowSize / 2;
  const std::int64_t n = r.Columns();
  AxisWindows& columns = scratch.Columns;
  PlaceBoxWindows(r.Left, r.Right, e, columns);
  // Columns whose box is neither moved nor cut: i - e .. i + e.
  const std::int64_t innerBegin = std::min(e, n), innerEnd = std::max(innerBegin, n - e);

  const std::uint8_t* origin = setup.Image.PixelAt(r.Left, 0);
  const std::ptrdiff_t rowStep = setup.Image.RowStep;
  Channels& channels = std::get<Channels>(scratch.Channels);
  channels.Reset(RowSource{origin, rowStep, n});
  std::vector<std::uint8_t>& mayPass = scratch.MayPass;
  mayPass.resize(static_cast<std::size_t>(n));

  for (std::int32_t y = first; y <= last; ++y) {
    if (sink.Cancelled()) return SearchOutcome::Stopped;
    const Span rows = PlaceBox(y, e, r.Top, r.Bottom);
    const std::int64_t rowCount = rows.Count(1);
    const std::uint8_t* row = origin + y * rowStep;

    // Inner boxes all hold the same number of pixels: there most pixels are
    // ruled out on integers before any division, the whole row at once, as
    // the band moves. The gate only rises along the row, so the pixels marked
    // with the gate of its start include every one that may pass.
    const std::int64_t innerOthers = (2 * e + 1) * rowCount - 1;
    const bool gated = FitsNarrowGate(innerOthers + 1, 255);
    const auto gate = gated ? NarrowGate<kPercent>::For(floors.Gate, innerOthers) : NarrowGate<kPercent>{};
    std::uint8_t* marks = mayPass.data();
    channels.Cover(rows.First, rows.Last,
                   ColourInnerRequest<kPercent>{row, gated ? marks : nullptr, innerBegin, innerEnd, e, gate});
    // The row the band takes in next, asked for while this row is searched.
    if (y < last) PrefetchBytes(origin + PlaceBox(y + 1, e, r.Top, r.Bottom).Last * rowStep, n * kBpp);

    // The exact rule: per channel the mean of the other pixels of the box.
    // False when the search stops. An edge box moved inward to hold as many
    // pixels as the inner ones goes through the same gate first (`screen`).
    auto scoreExactly = [&](std::int64_t i, bool screen) {
      const auto at = static_cast<std::size_t>(i);
      const std::int64_t others = columns.Count[at] * rowCount - 1;
      const std::uint8_t* p = row + i * kBpp;
      const std::array<std::uint64_t, 3> sums = channels.Sum(
          static_cast<std::size_t>(columns.First[at]), static_cast<std::size_t>(columns.Last[at]));
      if (screen && others == innerOthers) {
        bool passes = false;
        for (int k = 0; k < 3; ++k) {
          passes |= gate.MayPass(static_cast<std::int32_t>(sums[static_cast<std::size_t>(k)]),
                                  std::int32_t{p[kChannelByte[k]]});
        }
        if (!passes) return true;
      }
      double score[3];
      bool above[3];
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t own = p[kChannelByte[k]];
        double mean = 0.0;
        if (others > 0) {
          mean = static_cast<double>(sums[static_cast<std::size_t>(k)] - own) / static_cast<double>(others);
        }
        score[k] = PercentScore(mean, own, kPercent);
        above[k] = static_cast<double>(own) > mean;
      }
      return Judge(sink, floors, static_cast<std::int32_t>(r.Left + i), y, score,
                   [&](std::int32_t c) { return above[c]; });
    };

    std::int64_t i = 0;
    for (; i < (gated ? innerBegin : n); ++i) {
      if (!scoreExactly(i, gated)) return SearchOutcome::Stopped;
    }
    if (!gated) continue;
    for (i = NextMarked(marks, i, innerEnd); i < innerEnd; i = NextMarked(marks, i + 1, innerEnd)) {
      if (!scoreExactly(i, false)) return SearchOutcome::Stopped;
    }
    for (i = innerEnd; i < n; ++i) {
      if (!scoreExactly(i, true)) return SearchOutcome::Stopped;
    }
  }
  return SearchOutcome::Completed;
}

// The colour local scan with the channel planes in the narrowest sums that
// every box allows.
template <int kBpp, bool kPercent>
RowScan LocalScanFor(const SearchSetup& setup) {
  const std::int64_t side = 2 * std::int64_t{setup.WindowSize / 2} + 1;
  const std::int64_t largestBox =
      std::min(side, setup.Region.Columns()) * std::min(side, setup.Region.Rows());
  if (PlanarChannelBands<kBpp, std::uint16_t>::Fits(largestBox)) {
    return LocalScan<kBpp, kPercent, PlanarChannelBands<kBpp, std::uint16_t>>;
  }
  if (PlanarChannelBands<kBpp, std::uint32_t>::Fits(largestBox)) {
    return LocalScan<kBpp, kPercent, PlanarChannelBands<kBpp, std::uint32_t>>;
  }
  return LocalScan<kBpp, kPercent, SeparateChannelBands<kBpp>>;
}

template <bool kPercent>
RowScan LocalScanOf(const SearchSetup& setup) {
  return setup.Image.BytesPerPixel == 4 ? LocalScanFor<4, kPercent>(setup) : LocalScanFor<3, kPercent>(setup);
}

}  // namespace

SearchOutcome ColourGlobalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ScanRows(setup.Image.BytesPerPixel == 4 ? GlobalScan<4> : GlobalScan<3>, setup, targets);
}

SearchOutcome ColourLocalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ScanRows(setup.Percent ? LocalScanOf<true>(setup) : LocalScanOf<false>(setup), setup, targets);
}

}  // namespace sensor::waferon
