#include "glazet/core/pipeline.h"

#include "glazet/core/bayer_search.h"
#include "glazet/core/clusters.h"
#include "glazet/core/colour_search.h"
#include "common/tick_count.h"
#include "common/guarded.h"
#include "common/parallel_rows.h"
#include "common/sample_rule.h"
#include "glazet/core/geometry.h"

namespace sensor::glazet {
namespace {

using namespace SensorDefectDetectionClass;

using SearchFunction = std::int64_t (*)(const WindowSearchSetup&);

// Colour mode tests one byte of the pixel: R, G, B become offsets 2, 1, 0.
// Other values are kept as they are (and refused later).
std::int32_t ByteOffsetOf(std::int32_t plane) {
  switch (plane) {
    case 0: return 2;
    case 1: return 1;
    case 2: return 0;
    default: return plane;
  }
}

// The colour level statistic (R, G, B at 0, 1, 2) that belongs to a byte offset.
double LevelOfByte(const LevelSet& levels, std::int32_t offset) {
  return levels[static_cast<std::size_t>(2 - offset)];
}

// Places the scan area and the region of interest; false for a negative
// margin, which would put the scan area outside the picture.
bool PlaceAreas(const ImageBinding& image, const _PARAMS_Glazet& p, RunOutcome& out) {
  out.ScanArea = PlaceScanArea(image.Width, image.Height, p.OutlierLeft, p.OutlierTop, p.OutlierRight,
                               p.OutlierBottom);
  out.RegionOfInterest = PlaceRegionOfInterest(image.Width, image.Height, p.RoiLeft, p.RoiTop,
                                               p.RoiRight, p.RoiBottom);
  return !AnyNegativeMargin(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
}

void TakeLevels(WorkingState& state, const LevelSet& levels, RunOutcome& out) {
  state.Levels = levels;
  out.Levels = levels;
  out.LevelsTaken = true;
}

ResultCode Run(WorkingState& state, const _PARAMS_Glazet& params, RunOutcome& out) {
  out.BayerMode = params.BayerMode;
  out.LocalSearch = params.LocalSearch;
  const ImageBinding& image = state.Binding;  // 0 x 0 when nothing was ever bound
  if (!state.Map.Allocate(image.Width, image.Height)) return E_POINTER;

  WindowSearchSetup setup;
  SearchFunction search;
  if (!params.BayerMode) {
    out.PlaneTaken = true;
    out.ColorPlane = ByteOffsetOf(params.ColorPlane);
    if (!PlaceAreas(image, params, out)) return E_INVALIDARG;
    const std::int32_t offset = out.ColorPlane;
    if (params.HammerSmall < 0 || params.HammerLarge < 0 || params.HammerSmall >= params.HammerLarge ||
        offset < 0 || offset > 2) {
      return E_INVALIDARG;
    }
    TakeLevels(state, ColourLevels(image, out.ScanArea), out);
    setup.Plane = offset;
    setup.Reference = LevelOfByte(out.Levels, offset);
    search = params.LocalSearch ? LocalColourSearch : GlobalColourSearch;
  } else {
    if (!PlaceAreas(image, params, out)) return E_INVALIDARG;
    out.DepthsTaken = true;
    out.SensorBpp = params.SensorBpp;
    out.TestBpp = params.TestBpp;
    if (!ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
    if (params.ColorPlane < 0 || params.ColorPlane > 4) return E_INVALIDARG;
    if (params.HammerSmall < 0 || params.HammerLarge < 0) return E_INVALIDARG;
    TakeLevels(state, BayerLevels(image, out.ScanArea, params.SensorBpp, params.TestBpp), out);
    setup.Plane = params.ColorPlane;
    setup.Sample = SampleRule::For(params.SensorBpp, params.TestBpp);
    setup.Reference = out.Levels[static_cast<std::size_t>(params.ColorPlane)];
    search = params.LocalSearch ? LocalBayerSearch : GlobalBayerSearch;
  }

  setup.Image = image;
  setup.ScanArea = out.ScanArea;
  setup.RegionOfInterest = out.RegionOfInterest;
  setup.SmallSize = params.HammerSmall;
  setup.LargeSize = params.HammerLarge;
  setup.Threshold = params.DefectThreshold;
  setup.Map = state.Map.Data();
  if (state.KeepScratch) setup.Scratch = &state.Scratch;
  const std::uint32_t start = TickCount();
  out.Candidates = search(setup);
  out.Ticks = TickCount() - start;
  out.Map = state.Map.Data();
  out.Searched = true;
  if (CallCancelled()) return E_ABORT;  // an in-memory call stopped by its caller: nothing is counted

  out.TooMany = out.Candidates > state.CandidateLimit;
  out.Step = params.BayerMode ? 2 : 1;
  out.SizeLimit = params.ClusterSize;
  out.Clusters = out.TooMany ? state.CandidateLimit
                             : CountClusters(state.Map.Data(), image.Width, image.Height, out.Step,
                                             out.SizeLimit);
  out.Counted = true;
  return S_OK;
}

}  // namespace

RunOutcome Analyse(WorkingState& state, const _PARAMS_Glazet& params) noexcept {
  RunOutcome out;
  out.Code = Guarded([&] { return Run(state, params, out); });
  return out;
}

}  // namespace sensor::glazet
