#include "run_pipeline.h"

#include <cstdio>

#include "bayer_searches.h"
#include "cluster_count.h"
#include "colour_searches.h"
#include "common/console.h"
#include "common/output_folder.h"
#include "common/sample_rule.h"
#include "defect_map_bitmap.h"
#include "module_state.h"
#include "run_geometry.h"

namespace sensor::glazet {
namespace {

using namespace SensorDefectDetectionClass;

constexpr const char* kCaption = "Sensor Package Defect Test";
constexpr const char* kTooManyNotice = "\nAbort: Sensor has too many defect candidates!!!";

using SearchFunction = std::int64_t (*)(const SearchSetup&, Summing);

struct ChosenSearch {
  SearchFunction Run = nullptr;
  const char* TicksLine = "";
};

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

bool AnyNegative(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  return a < 0 || b < 0 || c < 0 || d < 0;
}

// Places the scan area and the region of interest; false for a negative
// margin, which would put the scan area outside the picture.
bool PlaceAreas(ModuleState& state, const _PARAMS_Glazet& p) {
  const ImageBinding& image = state.Binding;
  state.ScanArea = PlaceScanArea(image.Width, image.Height, p.OutlierLeft, p.OutlierTop,
                                 p.OutlierRight, p.OutlierBottom);
  state.RegionOfInterest = PlaceRegionOfInterest(image.Width, image.Height, p.RoiLeft, p.RoiTop,
                                                 p.RoiRight, p.RoiBottom);
  return !AnyNegative(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
}

void TakeWindowSizes(ModuleState& state, const _PARAMS_Glazet& p) {
  state.SmallSize = p.HammerSmall;
  state.LargeSize = p.HammerLarge;
}

std::int64_t RunTimedSearch(const ChosenSearch& search, const SearchSetup& setup) {
  const std::uint32_t start = TickCount();
  const std::int64_t candidates = search.Run(setup, Summing::Bands);
  std::printf("\nSensor Package defects : %ld", static_cast<long>(candidates));
  const std::uint32_t ticks = TickCount() - start;
  std::printf(search.TicksLine, static_cast<long>(ticks));
  return candidates;
}

void ShowTooManyNotice(bool debug) {
  if (debug) {
    // Stands in for a modal notice: the run waits until the operator answers.
    std::printf("\n%s%s", kCaption, kTooManyNotice);
    WaitForKey();
  } else {
    std::printf("%s", kTooManyNotice);
  }
}

}  // namespace

std::int32_t RunExecute(Glazet& object, _RESULT_Glazet& result, const _PARAMS_Glazet& params) {
  ModuleState& state = State();
  object.m_params = params;
  const ImageBinding& image = state.Binding;
  if (image.Origin == nullptr) return E_INVALIDARG;  // nothing was ever bound

  if (!state.Map.Allocate(image.Width, image.Height)) return E_POINTER;
  state.TooMany = false;

  SearchSetup setup;
  ChosenSearch search;
  if (!params.BayerMode) {
    object.m_params.ColorPlane = ByteOffsetOf(params.ColorPlane);
    if (!PlaceAreas(state, object.m_params)) return E_INVALIDARG;
    TakeWindowSizes(state, object.m_params);
    const std::int32_t offset = object.m_params.ColorPlane;
    if (state.SmallSize < 0 || state.LargeSize < 0 || state.SmallSize >= state.LargeSize ||
        offset < 0 || offset > 2) {
      return E_INVALIDARG;
    }
    state.Levels = ColourLevels(image, state.ScanArea);
    setup.Plane = offset;
    setup.Reference = LevelOfByte(state.Levels, offset);
    search = params.LocalSearch ? ChosenSearch{LocalColourSearch, "\nScorePkgDfectsL_Color...%ld ticks"}
                                : ChosenSearch{GlobalColourSearch, "\nScorePkgDfectsG_Color...%ld ticks"};
  } else {
    if (!PlaceAreas(state, object.m_params)) return E_INVALIDARG;
    object.ActiveSensorBpp = params.SensorBpp;
    object.ActiveTestBpp = params.TestBpp;
    if (!ValidBitDepths(object.ActiveSensorBpp, object.ActiveTestBpp)) return E_INVALIDARG;
    if (params.ColorPlane < 0 || params.ColorPlane > 4) return E_INVALIDARG;
    TakeWindowSizes(state, object.m_params);
    if (state.SmallSize < 0 || state.LargeSize < 0) return E_INVALIDARG;
    state.Levels = BayerLevels(image, state.ScanArea, object.ActiveSensorBpp, object.ActiveTestBpp);
    setup.Plane = params.ColorPlane;
    setup.Sample = SampleRule::For(object.ActiveSensorBpp, object.ActiveTestBpp);
    setup.Reference = state.Levels[static_cast<std::size_t>(params.ColorPlane)];
    search = params.LocalSearch ? ChosenSearch{LocalBayerSearch, "\nScorePkgDfectsL_Bayer...%ld ticks"}
                                : ChosenSearch{GlobalBayerSearch, "\nScorePkgDfectsG_Bayer...%ld ticks"};
  }

  setup.Image = image;
  setup.ScanArea = state.ScanArea;
  setup.RegionOfInterest = state.RegionOfInterest;
  setup.SmallSize = state.SmallSize;
  setup.LargeSize = state.LargeSize;
  setup.Threshold = params.DefectThreshold;
  setup.Map = state.Map.Data();
  const std::int64_t candidates = RunTimedSearch(search, setup);
  state.TooMany = candidates > state.CandidateLimit;

  // The picture of the candidates is left for every search, also after a stop.
  PaintAndWriteDefectMap(image, state.Map.Data(), InOutputFolder(kDefectMapFileName));

  if (!state.TooMany) {
    object.m_result.numpackagefects =
        CountClusters(state.Map.Data(), image.Width, image.Height, params.BayerMode ? 2 : 1,
                      params.ClusterSize);
  } else {
    ShowTooManyNotice(state.Debug);
    object.m_result.numpackagefects = state.CandidateLimit;
    std::printf("\nm_result.numpackagefects= %ld", static_cast<long>(object.m_result.numpackagefects));
  }
  result.numpackagefects = object.m_result.numpackagefects;
  std::printf("\nreturn result= %ld", static_cast<long>(result.numpackagefects));
  return S_OK;
}

}  // namespace sensor::glazet
