// Glazet in memory: the analyser over the one pipeline (pipeline.h), with a
// defect map of its own, and its result, the map's plane included, as a value.
// The caller's pixels are only read.
#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "common/analyser_call.h"
#include "common/guarded.h"
#include "common/param_checks.h"
#include "common/parallel_rows.h"
#include "common/view_binding.h"
#include "glazet/core/clusters.h"
#include "glazet/core/working_state.h"
#include "glazet/core/pipeline.h"
#include "sensordefect/GlazetAnalysis.h"

namespace sensordefect {

using namespace SensorDefectDetectionClass;

struct GlazetAnalyser::Memory {
  sensor::glazet::WorkingState State;
  sensor::ConvertedPixels Pixels;
  std::vector<BlemishFinding> Blemishes;
};

_PARAMS_Glazet ToStationRecord(const GlazetParams& p) {
  _PARAMS_Glazet r{};
  r.BayerMode = p.BayerMode;
  r.SensorBpp = p.SensorBpp;
  r.TestBpp = p.TestBpp;
  r.ColorPlane = p.ColorPlane;
  r.OutlierLeft = p.OutlierLeft;
  r.OutlierTop = p.OutlierTop;
  r.OutlierRight = p.OutlierRight;
  r.OutlierBottom = p.OutlierBottom;
  r.RoiLeft = p.RoiLeft;
  r.RoiTop = p.RoiTop;
  r.RoiRight = p.RoiRight;
  r.RoiBottom = p.RoiBottom;
  r.LocalSearch = p.LocalSearch;
  r.HammerSmall = p.HammerSmall;
  r.HammerLarge = p.HammerLarge;
  r.DefectThreshold = p.DefectThreshold;
  r.ClusterSize = p.ClusterSize;
  return r;
}

GlazetParams FromStationRecord(const _PARAMS_Glazet& r) {
  GlazetParams p;
  p.BayerMode = r.BayerMode;
  p.SensorBpp = r.SensorBpp;
  p.TestBpp = r.TestBpp;
  p.ColorPlane = r.ColorPlane;
  p.OutlierLeft = r.OutlierLeft;
  p.OutlierTop = r.OutlierTop;
  p.OutlierRight = r.OutlierRight;
  p.OutlierBottom = r.OutlierBottom;
  p.RoiLeft = r.RoiLeft;
  p.RoiTop = r.RoiTop;
  p.RoiRight = r.RoiRight;
  p.RoiBottom = r.RoiBottom;
  p.LocalSearch = r.LocalSearch;
  p.HammerSmall = r.HammerSmall;
  p.HammerLarge = r.HammerLarge;
  p.DefectThreshold = r.DefectThreshold;
  p.ClusterSize = r.ClusterSize;
  return p;
}

namespace {

std::string ParamsProblem(const GlazetParams& p, const RunOptions& options) {
  std::string problem = sensor::MarginProblem(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
  if (problem.empty()) problem = sensor::DepthProblem(p.BayerMode, p.SensorBpp, p.TestBpp);
  if (problem.empty()) {
    const bool site = p.BayerMode ? (p.ColorPlane == COLOUR_R || p.ColorPlane == COLOUR_B ||
                                     p.ColorPlane == COLOUR_G1 || p.ColorPlane == COLOUR_G2)
                                  : (p.ColorPlane >= COLOUR_R && p.ColorPlane <= COLOUR_B);
    if (!site) {
      problem = "ColorPlane " + std::to_string(p.ColorPlane) +
                (p.BayerMode ? " is no Bayer site: give R 0, B 2, G1 3 or G2 4"
                             : " is no colour of colour mode: give R 0, G 1 or B 2");
    }
  }
  if (problem.empty() && (p.HammerSmall < 0 || p.HammerLarge < 0 || (!p.BayerMode && p.HammerSmall >= p.HammerLarge))) {
    problem = "the windows are " + std::to_string(p.HammerSmall) + " and " + std::to_string(p.HammerLarge) +
              " pixels: give HammerSmall and HammerLarge of 0 or more" +
              (p.BayerMode ? "" : ", HammerSmall below HammerLarge");
  }
  if (problem.empty() && std::isnan(p.DefectThreshold)) {
    problem = "DefectThreshold is not a number: give the threshold in percent, e.g. 6";
  }
  if (problem.empty()) problem = sensor::ThreadsProblem(options.Threads);
  return problem;
}

Area AreaOf(const sensor::Rect& r) { return Area{r.Left, r.Top, r.Right, r.Bottom}; }

void Clear(GlazetResult& result) {
  result.Status = {};
  result.Width = result.Height = 0;
  result.ScanArea = result.RegionOfInterest = Area{};
  result.LevelsMeasured = result.Searched = result.TooMany = result.Counted = false;
  result.Levels = {};
  result.Candidates = 0;
  result.BlemishCount = 0;
  result.Blemishes.clear();
  result.DefectMap.clear();
}

// The plane of the map: 255 for every candidate, 0 elsewhere.
void CopyMap(const std::uint8_t* map, std::size_t size, std::vector<std::uint8_t>& plane) {
  plane.resize(size);
  std::uint8_t* out = plane.data();
  for (std::size_t i = 0; i < size; ++i) out[i] = map[i] != 0 ? 255 : 0;
}

void Fill(const sensor::glazet::RunOutcome& outcome, sensor::glazet::WorkingState& state,
          std::vector<BlemishFinding>& described, GlazetResult& result) {
  result.ScanArea = AreaOf(outcome.ScanArea);
  result.RegionOfInterest = AreaOf(outcome.RegionOfInterest);
  result.LevelsMeasured = outcome.LevelsTaken;
  if (outcome.LevelsTaken) result.Levels = outcome.Levels;
  result.Searched = outcome.Searched;
  if (!outcome.Searched) return;
  result.Candidates = outcome.Candidates;
  result.Counted = outcome.Counted;
  result.TooMany = outcome.TooMany;
  if (outcome.Counted) result.BlemishCount = outcome.Clusters;
  const std::int32_t width = state.Binding.Width, height = state.Binding.Height;
  if (outcome.Counted && !outcome.TooMany) {
    described.clear();
    sensor::glazet::DescribeCountedClusters(state.Map.Data(), width, height, outcome.Step, outcome.SizeLimit,
                                            described);
    result.Blemishes.reserve(described.size());
    for (const BlemishFinding& b : described) {
      result.Blemishes.push_back(GlazetBlemish{Area{b.Bounds.Left, b.Bounds.Top, b.Bounds.Right, b.Bounds.Bottom},
                                               b.Pixels, b.CentroidX, b.CentroidY});
    }
  }
  CopyMap(state.Map.Data(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height), result.DefectMap);
}

}  // namespace

GlazetAnalyser::GlazetAnalyser() noexcept = default;
GlazetAnalyser::~GlazetAnalyser() = default;
GlazetAnalyser::GlazetAnalyser(GlazetAnalyser&&) noexcept = default;
GlazetAnalyser& GlazetAnalyser::operator=(GlazetAnalyser&&) noexcept = default;

GlazetResult GlazetAnalyser::Run(const ImageView& view, const GlazetParams& params, const RunOptions& options) noexcept {
  GlazetResult result;
  Run(view, params, options, result);
  return result;
}

void GlazetAnalyser::Run(const ImageView& view, const GlazetParams& params, const RunOptions& options,
                         GlazetResult& result) noexcept {
  sensor::RunAnalyserCall(
      memory_, result, ParamsProblem(params, options), options, Clear,
      [&](Memory& memory) {
        return sensor::BindView(view, {params.BayerMode, params.SensorBpp}, memory.Pixels, memory.State.Binding);
      },
      [&](Memory& memory) {
        sensor::glazet::WorkingState& state = memory.State;
        result.Width = view.Width;
        result.Height = view.Height;
        state.CandidateLimit = 65535;
        state.Levels = {};
        state.KeepScratch = true;  // the searches' memory serves the next call
        const sensor::glazet::RunOutcome outcome = sensor::glazet::Analyse(state, ToStationRecord(params));
        Fill(outcome, state, memory.Blemishes, result);
        result.Status = sensor::StatusOfCode(outcome.Code);
      });
}

GlazetResult AnalyseGlazet(const ImageView& view, const GlazetParams& params, const RunOptions& options) noexcept {
  GlazetAnalyser analyser;
  return analyser.Run(view, params, options);
}

}  // namespace sensordefect
