// The two colour searches: three channels per pixel, each compared with the
// level of its channel (global) or with the channel's mean over the other
// pixels of the box around it (local). The pixel takes the largest channel
// score; it is a candidate when any channel passes a threshold of its own.
#include <algorithm>
#include <vector>

#include "common/band_sums.h"
#include "common/window_placement.h"
#include "local_windows.h"
#include "scan_sink.h"
#include "search.h"

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
inline bool Judge(ScanSink& sink, ChannelFloors& floors, std::int32_t x, std::int32_t y,
                  const double (&score)[3]) {
  if (!(score[0] > floors.Gate || score[1] > floors.Gate || score[2] > floors.Gate)) return true;
  const ChannelPick pick = PickChannel(score[0], score[1], score[2]);
  if (!sink.Take(x, y, pick.Score, pick.Colour, floors.IsCandidate(score))) return false;
  floors.Regate(sink.TableFloor());
  return true;
}

template <int kBpp>
SearchOutcome GlobalScan(const SearchSetup& setup, const SearchTargets& targets) {
  ScanSink sink(targets);
  const Rect& r = setup.Region;
  ChannelFloors floors(setup.Thresholds);
  floors.Regate(sink.TableFloor());

  // The score of every byte value of every channel, by the percent rule.
  double scores[3][256];
  for (int k = 0; k < 3; ++k) {
    for (int v = 0; v < 256; ++v) scores[k][v] = PercentScore(setup.Levels[k], v, setup.Percent);
  }

  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    const std::uint8_t* p = setup.Image.PixelAt(r.Left, y);
    for (std::int32_t x = r.Left; x <= r.Right; ++x, p += kBpp) {
      const double score[3] = {scores[0][p[2]], scores[1][p[1]], scores[2][p[0]]};
      if (!Judge(sink, floors, x, y, score)) return SearchOutcome::Stopped;
    }
  }
  sink.ReportCompleted();
  return SearchOutcome::Completed;
}

template <int kBpp>
SearchOutcome LocalScan(const SearchSetup& setup, const SearchTargets& targets) {
  ScanSink sink(targets);
  const Rect& r = setup.Region;
  ChannelFloors floors(setup.Thresholds);
  floors.Regate(sink.TableFloor());

  const std::int64_t e = setup.WindowSize / 2;
  const AxisWindows columns = BoxWindowsOf(r.Left, r.Right, e);
  const ImageBinding& image = setup.Image;
  BandSums bands[3];  // red, green, blue
  for (BandSums& band : bands) band.Reset(r.Left, r.Right, 1);

  for (std::int32_t y = r.Top; y <= r.Bottom; ++y) {
    const Span rows = PlaceBox(y, e, r.Top, r.Bottom);
    const std::int64_t rowCount = rows.Count(1);
    for (int k = 0; k < 3; ++k) {
      const int byte = kChannelByte[k];
      bands[k].Cover(rows.First, rows.Last, [&image, byte](std::int64_t x, std::int64_t yy) {
        return std::uint32_t{image.PixelAt(static_cast<std::int32_t>(x),
                                           static_cast<std::int32_t>(yy))[byte]};
      });
    }
    const std::uint8_t* p = image.PixelAt(r.Left, y);
    std::size_t i = 0;
    for (std::int32_t x = r.Left; x <= r.Right; ++x, ++i, p += kBpp) {
      const std::int64_t others = std::int64_t{columns.Count[i]} * rowCount - 1;
      double score[3];
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t own = p[kChannelByte[k]];
        double mean = 0.0;
        if (others > 0) {
          const std::uint64_t sum = bands[k].Sum(columns.First[i], columns.Last[i]) - own;
          mean = static_cast<double>(sum) / static_cast<double>(others);
        }
        score[k] = PercentScore(mean, own, setup.Percent);
      }
      if (!Judge(sink, floors, x, y, score)) return SearchOutcome::Stopped;
    }
  }
  sink.ReportCompleted();
  return SearchOutcome::Completed;
}

template <SearchOutcome (*Scan3)(const SearchSetup&, const SearchTargets&),
          SearchOutcome (*Scan4)(const SearchSetup&, const SearchTargets&)>
SearchOutcome ByLayout(const SearchSetup& setup, const SearchTargets& targets) {
  if (setup.Region.Empty()) {
    ScanSink(targets).ReportCompleted();
    return SearchOutcome::Completed;
  }
  return setup.Image.BytesPerPixel == 4 ? Scan4(setup, targets) : Scan3(setup, targets);
}

}  // namespace

SearchOutcome ColourGlobalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ByLayout<GlobalScan<3>, GlobalScan<4>>(setup, targets);
}

SearchOutcome ColourLocalSearch(const SearchSetup& setup, const SearchTargets& targets) {
  return ByLayout<LocalScan<3>, LocalScan<4>>(setup, targets);
}

}  // namespace sensor::waferon
