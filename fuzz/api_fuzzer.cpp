// The in-memory analysers on any view and any parameters: the input's first
// bytes choose the analyser, the view's layout, size and stride, the thread
// count and the parameters; the rest are the pixels. A view whose shape is
// unsound must be refused; any other call must end with a status and a result
// that holds together, leave the caller's pixels as they were, and give the
// same result again on the same analyser.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_input.h"
#include "postconditions.h"
#include "sensordefect/GlazetAnalysis.h"
#include "sensordefect/OstrelAnalysis.h"
#include "sensordefect/WaferonAnalysis.h"

namespace {

using namespace SensorDefectDetectionClass;
using sensordefect::ImageView;
using sensordefect::PixelLayout;
using sensor::fuzz::Require;

constexpr std::size_t kSetupBytes = 6;
constexpr std::size_t kParameterBytes = 48;

// The view and the buffer under it; Sound when its shape is one the analysers
// must take (the buffer then holds every byte the view names).
struct FuzzView {
  ImageView View;
  std::vector<std::uint8_t> Buffer;
  bool Sound = false;
};

std::int32_t Dimension(std::uint8_t b) {
  static constexpr std::int32_t kBad[4] = {0, -1, -7, std::numeric_limits<std::int32_t>::min()};
  return b < 248 ? 1 + b % 40 : kBad[b & 3];
}

FuzzView MakeView(const std::uint8_t* setup, const std::uint8_t* pixels, std::size_t pixelBytes) {
  FuzzView v;
  const std::uint8_t layout = setup[1] & 7;
  v.View.Layout = static_cast<PixelLayout>(layout < 6 ? layout : 6 + setup[1] / 8);
  v.View.Width = Dimension(setup[2]);
  v.View.Height = Dimension(setup[3]);
  const std::int32_t bytes = sensordefect::BytesPerPixel(v.View.Layout);
  const std::int64_t row = std::int64_t{v.View.Width} * bytes;
  const std::int64_t pad = setup[4] >> 3;
  std::int64_t stride = 0;
  bool soundStride = true;
  switch (setup[4] & 7) {
    case 0: stride = row; break;
    case 1: stride = row + pad; break;
    case 2: stride = -row; break;
    case 3: stride = -(row + pad); break;
    case 4: stride = row > 0 ? row - 1 - pad % row : -1; soundStride = false; break;
    case 5: stride = 0; soundStride = false; break;
    case 6: stride = std::int64_t{1} << 33; soundStride = false; break;
    default: stride = std::numeric_limits<std::int64_t>::min(); soundStride = false; break;
  }
  v.View.RowStride = stride;
  const bool nullPixels = (setup[5] & 0x80) != 0;
  v.Sound = bytes > 0 && v.View.Width > 0 && v.View.Height > 0 && soundStride && row > 0 && !nullPixels;
  const std::int64_t step = !v.Sound ? 0 : stride < 0 ? -stride : stride;
  const std::size_t size =
      v.Sound ? static_cast<std::size_t>(step * (v.View.Height - 1) + row) : std::size_t{64};
  v.Buffer.resize(size);
  for (std::size_t i = 0; i < size; ++i) v.Buffer[i] = pixelBytes > 0 ? pixels[i % pixelBytes] : 0;
  if (!nullPixels) {
    std::uint8_t* top = v.Buffer.data();
    if (v.Sound && stride < 0) top += step * (v.View.Height - 1);
    v.View.Pixels = top;
  }
  return v;
}

void RequireStatus(const sensordefect::RunStatus& status, bool sound) {
  if (!sound) Require(status.Code == E_INVALIDARG, "an unsound view is refused");
  Require(status.Ok() == status.Message.empty(), "a status has a message exactly when it is not S_OK");
  Require(status.Ok() || status.Code == E_INVALIDARG || status.Code == E_ABORT || status.Code == E_OUTOFMEMORY,
          "a call ends with S_OK, E_INVALIDARG, E_ABORT or E_OUTOFMEMORY");
}

bool Inside(const ImageView& view, std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x < view.Width && y < view.Height;
}

void CheckWaferon(const FuzzView& v, const sensordefect::WaferonParams& p, const sensordefect::WaferonResult& r) {
  RequireStatus(r.Status, v.Sound);
  if (!r.Status.Ok() && !r.Stopped) return;
  Require(r.Width == v.View.Width && r.Height == v.View.Height, "the result has the view's size");
  for (const auto& c : r.Candidates) {
    Require(Inside(v.View, c.X, c.Y) && c.Colour >= 0 && c.Colour < 5, "candidates lie in the picture");
  }
  Require(r.WorstPixels.size() <= static_cast<std::size_t>(p.TableSize), "the table keeps at most its size");
  const sensordefect::WaferonCounts& n = r.Counts;
  Require(n.CenterClusters >= 0 && n.CenterPixels >= 0 && n.SideClusters >= 0 && n.SidePixels >= 0,
          "counts are not negative");
  const double largest = sensor::fuzz::LargestSample(p.BayerMode, p.SensorBpp, p.TestBpp);
  for (double level : r.Levels) Require(level >= 0 && level <= largest, "levels lie in the samples' range");
}

void CheckGlazet(const FuzzView& v, const sensordefect::GlazetResult& r) {
  RequireStatus(r.Status, v.Sound);
  if (!r.Status.Ok()) return;
  Require(r.Width == v.View.Width && r.Height == v.View.Height, "the result has the view's size");
  if (!r.Searched) return;
  Require(r.DefectMap.size() == static_cast<std::size_t>(r.Width) * static_cast<std::size_t>(r.Height),
          "the defect map covers the picture");
  std::int64_t marked = 0;
  for (std::uint8_t b : r.DefectMap) {
    Require(b == 0 || b == 255, "the defect map holds 0 and 255 only");
    marked += b != 0;
  }
  Require(marked == r.Candidates, "the map marks every candidate");
  for (const auto& b : r.Blemishes) {
    Require(Inside(v.View, b.Bounds.Left, b.Bounds.Top) && Inside(v.View, b.Bounds.Right, b.Bounds.Bottom) &&
                b.Pixels > 0,
            "blemishes lie in the picture");
  }
}

// The mode, depths and margins the three parameter records share.
template <class Params>
void SetModeAndMargins(Params& p, bool bayer, std::int32_t sensorBpp, std::int32_t testBpp,
                       const std::int32_t (&margins)[4]) {
  p.BayerMode = bayer;
  p.SensorBpp = sensorBpp;
  p.TestBpp = testBpp;
  p.OutlierLeft = margins[0];
  p.OutlierTop = margins[1];
  p.OutlierRight = margins[2];
  p.OutlierBottom = margins[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes + kParameterBytes) return 0;
  const std::uint8_t* setup = data;
  FuzzView v = MakeView(setup, data + kSetupBytes + kParameterBytes, size - kSetupBytes - kParameterBytes);
  const std::vector<std::uint8_t> before = v.Buffer;
  sensordefect::RunOptions options;
  options.Threads = (setup[5] & 3) == 3 ? -1 : setup[5] & 3;

  sensor::fuzz::ParameterBytes in(data + kSetupBytes, kParameterBytes);
  const std::uint8_t flags = in.Byte();
  const bool bayer = in.Flag(flags, 0);
  const std::int32_t sensorBpp = in.BitDepth(), testBpp = in.BitDepth();
  const std::int32_t margins[4] = {in.Integer() % 16, in.Integer() % 16, in.Integer() % 16, in.Integer() % 16};

  switch (setup[0] % 3) {
    case 0: {
      sensordefect::WaferonParams p;
      SetModeAndMargins(p, bayer, sensorBpp, testBpp, margins);
      p.CenterLeft = in.Fraction();
      p.CenterTop = in.Fraction();
      p.CenterRight = in.Fraction();
      p.CenterBottom = in.Fraction();
      p.LocalSearch = in.Flag(flags, 1);
      p.CountPixels = in.Flag(flags, 2);
      p.FindClusters = in.Flag(flags, 3);
      p.ThresholdPercent = in.Flag(flags, 4);
      p.ClusterSize = in.Integer();
      p.HammerSize = in.Integer();
      for (int k = 0; k < 5; ++k) {
        p.CenterClusterThreshold[k] = in.Threshold();
        p.SideClusterThreshold[k] = in.Threshold();
        p.CenterPixelThreshold[k] = in.Threshold();
        p.SidePixelThreshold[k] = in.Threshold();
      }
      const std::uint8_t enabled = in.Byte();
      for (int k = 0; k < 5; ++k) p.Enabled[k] = in.Flag(enabled, k);
      const std::uint8_t table = in.Byte();
      p.TableSize = table < 240 ? table % 40 : in.Integer();
      sensordefect::WaferonAnalyser analyser;
      const sensordefect::WaferonResult first = analyser.Run(v.View, p, options);
      CheckWaferon(v, p, first);
      const sensordefect::WaferonResult again = analyser.Run(v.View, p, options);
      Require(again.Status.Code == first.Status.Code && again.Candidates.size() == first.Candidates.size() &&
                  again.Counts.CenterPixels == first.Counts.CenterPixels && again.Levels == first.Levels,
              "a reused analyser gives the same result again");
      break;
    }
    case 1: {
      sensordefect::GlazetParams p;
      SetModeAndMargins(p, bayer, sensorBpp, testBpp, margins);
      p.ColorPlane = in.Byte() % 7 - 1;
      p.RoiLeft = in.Fraction();
      p.RoiTop = in.Fraction();
      p.RoiRight = in.Fraction();
      p.RoiBottom = in.Fraction();
      p.LocalSearch = in.Flag(flags, 1);
      p.HammerSmall = in.Integer();
      p.HammerLarge = in.Integer();
      p.DefectThreshold = in.Threshold();
      p.ClusterSize = in.Integer();
      sensordefect::GlazetAnalyser analyser;
      const sensordefect::GlazetResult first = analyser.Run(v.View, p, options);
      CheckGlazet(v, first);
      const sensordefect::GlazetResult again = analyser.Run(v.View, p, options);
      Require(again.Status.Code == first.Status.Code && again.DefectMap == first.DefectMap &&
                  again.BlemishCount == first.BlemishCount,
              "a reused analyser gives the same result again");
      break;
    }
    default: {
      sensordefect::OstrelParams p;
      SetModeAndMargins(p, bayer, sensorBpp, testBpp, margins);
      const sensordefect::OstrelResult r = sensordefect::AnalyseOstrel(v.View, p, options);
      RequireStatus(r.Status, v.Sound);
      if (r.Status.Ok()) {
        const double largest = sensor::fuzz::LargestSample(bayer, sensorBpp, testBpp);
        for (double level : r.Levels) Require(level >= 0 && level <= largest, "levels lie in the samples' range");
      }
      break;
    }
  }
  Require(v.Buffer == before, "the caller's pixels are left as they were");
  return 0;
}
