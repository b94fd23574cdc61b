// The two Bayer searches: one sample per pixel, compared with the level of its
// colour (global) or with the mean of the other sites of its colour around it
// (local).
#include <algorithm>
#include <vector>

#include "common/band_sums.h"
#include "common/window_placement.h"
#include "local_windows.h"
#include "scan_sink.h"
#include "search.h"

namespace sensor::waferon {
namespace {

constexpr int kSampleValues = 4096;  // every value the sample rule can give

template <int kShift>
inline std::uint32_t SampleOf(const std::uint8_t* p) {
  if constexpr (kShift == 0) {
    return p[0];
  } else {
    return static_cast<std::uint32_t>((p[0] << kShift) | (p[1] & 3));
  }
}

// The colours, candidate floors and gates of the two kinds of site in a row
// (even and odd column offset from the region's left edge).
struct RowSites {
  std::int32_t Colour[2];
  double Candidate[2];
  double Gate[2];  // a score not above this neither enters the table nor is a candidate

  RowSites(std::int64_t dy, const double (&candidateFloor)[5]) {
    for (int k = 0; k < 2; ++k) {
      Colour[k] = BayerColourIndex(k, dy);
      Candidate[k] = candidateFloor[Colour[k]];
    }
  }
  void Regate(double tableFloor) {
    for (int k = 0; k < 2; ++k) Gate[k] = std::min(tableFloor, Candidate[k]);
  }
};

void CandidateFloors(const ThresholdTables& t, double (&floors)[5]) {
  for (int c = 0; c < 5; ++c) floors[c] = CandidateFloor(t, c);
}

template <int kBpp, int kShift>
SearchOutcome GlobalScan(const SearchSetup& setup, const SearchTargets& targets) {
  ScanSink sink(targets);
  const Rect& r = setup.Region;
  double candidateFloor[5];
  CandidateFloors(setup.Thresholds, candidateFloor);

  // The score of every possible sample of every colour, computed once by the
  // percent rule exactly as it would be per pixel.
  std::vector<double> scores(5 * kSampleValues);
  for (int c = 0; c < 5; ++c) {
    for (int v = 0; v < kSampleValues; ++v) {
      scores[static_cast<std::size_t>(c * kSampleValues + v)] =
          PercentScore(setup.Levels[static_cast<std::size_t>(c)], v, setup.Percent);
    }
  }

  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    RowSites sites(std::int64_t{y} - r.Top, candidateFloor);
    sites.Regate(sink.TableFloor());
    const double* score[2] = {&scores[static_cast<std::size_t>(sites.Colour[0] * kSampleValues)],
                              &scores[static_cast<std::size_t>(sites.Colour[1] * kSampleValues)]};
    const std::uint8_t* p = setup.Image.PixelAt(r.Left, y);
    int k = 0;
    for (std::int32_t x = r.Left; x <= r.Right; ++x, p += kBpp, k ^= 1) {
      const double s = score[k][SampleOf<kShift>(p)];
      if (s > sites.Gate[k]) {
        if (!sink.Take(x, y, s, sites.Colour[k], s > sites.Candidate[k])) {
          return SearchOutcome::Stopped;
        }
        sites.Regate(sink.TableFloor());
      }
    }
  }
  sink.ReportCompleted();
  return SearchOutcome::Completed;
}

template <int kBpp, int kShift>
SearchOutcome LocalScan(const SearchSetup& setup, const SearchTargets& targets) {
  ScanSink sink(targets);
  const Rect& r = setup.Region;
  double candidateFloor[5];
  CandidateFloors(setup.Thresholds, candidateFloor);

  const std::int64_t h = setup.WindowSize & ~std::int32_t{1};
  const AxisWindows columns = SiteWindowsOf(r.Left, r.Right, h);
  // One band per row parity: the windows of a row cover rows of its parity.
  BandSums bands[2];
  for (BandSums& band : bands) band.Reset(r.Left, r.Right, 2);
  const ImageBinding& image = setup.Image;
  auto sampleAt = [&image](std::int64_t x, std::int64_t y) {
    return SampleOf<kShift>(image.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)));
  };

  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    const std::int64_t dy = std::int64_t{y} - r.Top;
    const Span rows = PlaceSiteWindow(y, h, r.Top, r.Bottom);
    const std::int64_t rowCount = rows.Count(2);
    BandSums& band = bands[dy & 1];
    band.Cover(rows.First, rows.Last, sampleAt);

    RowSites sites(dy, candidateFloor);
    sites.Regate(sink.TableFloor());
    const bool enabled[2] = {setup.Enabled[static_cast<std::size_t>(sites.Colour[0])],
                             setup.Enabled[static_cast<std::size_t>(sites.Colour[1])]};
    const std::uint8_t* p = image.PixelAt(r.Left, y);
    int k = 0;
    std::size_t i = 0;
    for (std::int32_t x = r.Left; x <= r.Right; ++x, ++i, p += kBpp, k ^= 1) {
      if (!enabled[k]) continue;
      const std::uint32_t own = SampleOf<kShift>(p);
      const std::uint64_t sum = band.Sum(columns.First[i], columns.Last[i]);
      const std::int64_t others = std::int64_t{columns.Count[i]} * rowCount - 1;
      const double mean =
          others > 0 ? static_cast<double>(sum - own) / static_cast<double>(others) : 0.0;
      const double s = PercentScore(mean, own, setup.Percent);
      if (s > sites.Gate[k]) {
        if (!sink.Take(x, y, s, sites.Colour[k], s > sites.Candidate[k])) {
          return SearchOutcome::Stopped;
        }
        sites.Regate(sink.TableFloor());
      }
    }
  }
  sink.ReportCompleted();
  return SearchOutcome::Completed;
}

template <SearchOutcome (*Scan3_0)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan3_2)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan3_4)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan4_0)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan4_2)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan4_4)(const SearchSetup&, const SearchTargets&)>
SearchOutcome ByLayout(const SearchSetup& setup, const SearchTargets& targets) {
  if (setup.Region.Empty()) {
    ScanSink(targets).ReportCompleted();
    return SearchOutcome::Completed;
  }
  const bool four = setup.Image.BytesPerPixel == 4;
  switch (setup.Rule.Shift) {
    case 2: return four ? Scan4_2(setup, targets) : Scan3_2(setup, targets);
    case 4: return four ? Scan4_4(setup, targets) : Scan3_4(setup, targets);
    default: return four ? Scan4_0(setup, targets) : Scan3_0(setup, targets);
  }
}

}  // namespace

SearchOutcome BayerGlobalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ByLayout<GlobalScan<3, 0>, GlobalScan<3, 2>, GlobalScan<3, 4>, GlobalScan<4, 0>,
                  GlobalScan<4, 2>, GlobalScan<4, 4>>(setup, targets);
}

SearchOutcome BayerLocalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ByLayout<LocalScan<3, 0>, LocalScan<3, 2>, LocalScan<3, 4>, LocalScan<4, 0>,
                  LocalScan<4, 2>, LocalScan<4, 4>>(setup, targets);
}

}  // namespace sensor::waferon
