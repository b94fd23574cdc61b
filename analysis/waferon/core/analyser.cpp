// Waferon in memory: the analyser over the one pipeline (pipeline.h), with a
// working state of its own that each call clears, and its result as a value.
#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <string>

#include "common/analyser_call.h"
#include "common/guarded.h"
#include "common/param_checks.h"
#include "common/parallel_rows.h"
#include "common/view_binding.h"
#include "sensordefect/WaferonAnalysis.h"
#include "waferon/core/working_state.h"
#include "waferon/core/pipeline.h"

namespace sensordefect {

using namespace SensorDefectDetectionClass;

// The largest table a call may ask for: far more entries than any picture's
// worst pixels are read for, and a bound on the memory a hostile size takes.
constexpr std::int32_t kMostTableEntries = std::int32_t{1} << 20;

struct WaferonAnalyser::Memory {
  sensor::waferon::WorkingState State;
  sensor::ConvertedPixels Pixels;
};

_PARAMS_Waferon ToStationRecord(const WaferonParams& p) {
  _PARAMS_Waferon r{};
  r.BayerMode = p.BayerMode ? 1 : 0;
  r.SensorBpp = p.SensorBpp;
  r.TestBpp = p.TestBpp;
  r.OutlierLeft = p.OutlierLeft;
  r.OutlierTop = p.OutlierTop;
  r.OutlierRight = p.OutlierRight;
  r.OutlierBottom = p.OutlierBottom;
  r.CenterLeft = p.CenterLeft;
  r.CenterTop = p.CenterTop;
  r.CenterRight = p.CenterRight;
  r.CenterBottom = p.CenterBottom;
  r.LocalSearch = p.LocalSearch ? 1 : 0;
  r.CountPixels = p.CountPixels ? 1 : 0;
  r.FindClusters = p.FindClusters ? 1 : 0;
  r.ClusterSize = p.ClusterSize;
  r.HammerSize = p.HammerSize;
  std::copy_n(p.CenterClusterThreshold, 5, r.CenterClusterThreshold);
  std::copy_n(p.SideClusterThreshold, 5, r.SideClusterThreshold);
  std::copy_n(p.CenterPixelThreshold, 5, r.CenterPixelThreshold);
  std::copy_n(p.SidePixelThreshold, 5, r.SidePixelThreshold);
  r.ThresholdPercent = p.ThresholdPercent ? 1 : 0;
  return r;
}

WaferonParams FromStationRecord(const _PARAMS_Waferon& r) {
  WaferonParams p;
  p.BayerMode = r.BayerMode != 0;
  p.SensorBpp = r.SensorBpp;
  p.TestBpp = r.TestBpp;
  p.OutlierLeft = r.OutlierLeft;
  p.OutlierTop = r.OutlierTop;
  p.OutlierRight = r.OutlierRight;
  p.OutlierBottom = r.OutlierBottom;
  p.CenterLeft = r.CenterLeft;
  p.CenterTop = r.CenterTop;
  p.CenterRight = r.CenterRight;
  p.CenterBottom = r.CenterBottom;
  p.LocalSearch = r.LocalSearch != 0;
  p.CountPixels = r.CountPixels != 0;
  p.FindClusters = r.FindClusters != 0;
  p.ClusterSize = r.ClusterSize;
  p.HammerSize = r.HammerSize;
  std::copy_n(r.CenterClusterThreshold, 5, p.CenterClusterThreshold);
  std::copy_n(r.SideClusterThreshold, 5, p.SideClusterThreshold);
  std::copy_n(r.CenterPixelThreshold, 5, p.CenterPixelThreshold);
  std::copy_n(r.SidePixelThreshold, 5, p.SidePixelThreshold);
  p.ThresholdPercent = r.ThresholdPercent != 0;
  return p;
}

namespace {

std::string ParamsProblem(const WaferonParams& p, const RunOptions& options) {
  std::string problem = sensor::MarginProblem(p.OutlierLeft, p.OutlierTop, p.OutlierRight, p.OutlierBottom);
  if (problem.empty()) problem = sensor::DepthProblem(p.BayerMode, p.SensorBpp, p.TestBpp);
  if (problem.empty() && p.LocalSearch && p.HammerSize < 0) {
    problem = "HammerSize is " + std::to_string(p.HammerSize) + ": give the local window 0 or more pixels";
  }
  if (problem.empty() && (p.TableSize < 0 || p.TableSize > kMostTableEntries)) {
    problem = "TableSize is " + std::to_string(p.TableSize) + ": give 0 (no tables) up to " +
              std::to_string(kMostTableEntries) + " entries";
  }
  if (problem.empty()) problem = sensor::ThreadsProblem(options.Threads);
  return problem;
}

// Clears what a run leaves in the working state, keeping its memory, and
// makes the tables of the size asked for.
void Prepare(sensor::waferon::WorkingState& state, std::int32_t tableSize) {
  using sensor::waferon::ResultTable;
  state.Candidates.Clear();
  state.Visited.Clear();
  state.Levels = {};
  state.CandidateLimit = sensor::waferon::kDefaultCandidateLimit;
  state.TableSize = tableSize;
  if (tableSize <= 0) {
    state.ReleaseTables();
  } else if (state.WorstPixels != nullptr && state.WorstPixels->Size() == tableSize) {
    state.WorstPixels->Reset();
    state.Clusters->Reset();
  } else {
    state.ReleaseTables();
    state.WorstPixels = std::make_unique<ResultTable>(tableSize);
    state.Clusters = std::make_unique<ResultTable>(tableSize);
  }
}

Area AreaOf(const sensor::Rect& r) { return Area{r.Left, r.Top, r.Right, r.Bottom}; }

void KeepFilled(std::span<const DefectRecord> entries, std::vector<WaferonCandidate>& out) {
  for (const DefectRecord& e : entries) {
    if (sensor::waferon::ResultTable::IsEmpty(e)) break;  // empty entries sit at the end
    out.push_back(WaferonCandidate{e.X, e.Y, e.Score, e.Colour, false});
  }
}

// Clears `result` keeping its memory.
void Clear(WaferonResult& result) {
  result.Status = {};
  result.Width = result.Height = 0;
  result.SearchRegion = result.CenterZone = Area{};
  result.LevelsMeasured = result.Finished = result.Stopped = false;
  result.Levels = {};
  result.Counts = {};
  result.Candidates.clear();
  result.WorstPixels.clear();
  result.ClusterTable.clear();
  result.Clusters.clear();
}

void Fill(const sensor::waferon::RunOutcome& outcome, const sensor::waferon::WorkingState& state,
          WaferonResult& result) {
  result.SearchRegion = AreaOf(outcome.Regions.SearchRegion);
  result.CenterZone = AreaOf(outcome.Regions.CenterZone);
  result.LevelsMeasured = outcome.LevelsTaken;
  if (outcome.LevelsTaken) result.Levels = outcome.Levels;
  result.Finished = outcome.Finished;
  result.Stopped = outcome.Stopped;
  result.Counts = WaferonCounts{outcome.Counts.CenterClusters, outcome.Counts.CenterPixels,
                                outcome.Counts.SideClusters, outcome.Counts.SidePixels};
  if (!outcome.Finished) return;
  const auto& sides = state.Candidates.Sides();
  result.Candidates.reserve(outcome.Candidates.size());
  for (std::size_t i = 0; i < outcome.Candidates.size(); ++i) {
    const DefectRecord& c = outcome.Candidates[i];
    result.Candidates.push_back(WaferonCandidate{c.X, c.Y, c.Score, c.Colour, sides[i] != 0});
  }
  KeepFilled(outcome.WorstPixels, result.WorstPixels);
  KeepFilled(outcome.Clusters, result.ClusterTable);
  result.Clusters.reserve(outcome.ClusterPeaks.size());
  for (const DefectRecord& peak : outcome.ClusterPeaks) {
    result.Clusters.push_back(WaferonCluster{peak.X, peak.Y, peak.Score, peak.Colour, peak.Reserved});
  }
}

}  // namespace

WaferonAnalyser::WaferonAnalyser() noexcept = default;
WaferonAnalyser::~WaferonAnalyser() = default;
WaferonAnalyser::WaferonAnalyser(WaferonAnalyser&&) noexcept = default;
WaferonAnalyser& WaferonAnalyser::operator=(WaferonAnalyser&&) noexcept = default;

WaferonResult WaferonAnalyser::Run(const ImageView& view, const WaferonParams& params,
                                   const RunOptions& options) noexcept {
  WaferonResult result;
  Run(view, params, options, result);
  return result;
}

void WaferonAnalyser::Run(const ImageView& view, const WaferonParams& params, const RunOptions& options,
                          WaferonResult& result) noexcept {
  sensor::RunAnalyserCall(
      memory_, result, ParamsProblem(params, options), options, Clear,
      [&](Memory& memory) {
        return sensor::BindView(view, {params.BayerMode, params.SensorBpp}, memory.Pixels, memory.State.Binding);
      },
      [&](Memory& memory) {
        sensor::waferon::WorkingState& state = memory.State;
        result.Width = view.Width;
        result.Height = view.Height;
        Prepare(state, params.TableSize);
        state.KeepScratch = true;  // the searches' memory serves the next call
        const std::array<bool, 5> enabled{params.Enabled[0], params.Enabled[1], params.Enabled[2],
                                          params.Enabled[3], params.Enabled[4]};
        const sensor::waferon::RunOutcome outcome =
            sensor::waferon::Analyse(state, ToStationRecord(params), enabled);
        Fill(outcome, state, result);
        if (outcome.Code == E_ABORT && outcome.Stopped) {
          result.Status = RunStatus{E_ABORT, "stopped: more than " +
                                                 std::to_string(sensor::waferon::kDefaultCandidateLimit) +
                                                 " candidates; raise the thresholds or check the picture"};
        } else {
          result.Status = sensor::StatusOfCode(outcome.Code);
        }
      });
}

WaferonResult AnalyseWaferon(const ImageView& view, const WaferonParams& params, const RunOptions& options) noexcept {
  WaferonAnalyser analyser;
  return analyser.Run(view, params, options);
}

}  // namespace sensordefect
