#include "pipeline.h"

#include "clusters.h"
#include "common/guarded.h"
#include "common/sample_rule.h"
#include "search.h"

namespace sensor::waferon {

using namespace SensorDefectDetectionClass;

namespace {

bool AnyMarginNegative(const _PARAMS_Waferon& p) {
  return p.OutlierLeft < 0 || p.OutlierTop < 0 || p.OutlierRight < 0 || p.OutlierBottom < 0;
}

// Copies the first `count` entries of each threshold array into the state's
// tables; the others keep their earlier values.
void CopyThresholds(const _PARAMS_Waferon& p, int count, ThresholdTables& t) {
  for (std::size_t c = 0; c < static_cast<std::size_t>(count); ++c) {
    t.CenterCluster[c] = p.CenterClusterThreshold[c];
    t.CenterPixel[c] = p.CenterPixelThreshold[c];
    t.SideCluster[c] = p.SideClusterThreshold[c];
    t.SidePixel[c] = p.SidePixelThreshold[c];
  }
}

// Takes the thresholds, the percent flag and the window size of the record;
// false (refused) for a negative window with the local search on.
bool TakeSearchSettings(WorkingState& state, const _PARAMS_Waferon& p, int colours) {
  CopyThresholds(p, colours, state.Thresholds);
  state.Percent = p.ThresholdPercent != 0;
  if (p.LocalSearch != 0 && p.HammerSize < 0) return false;
  state.WindowSize = p.HammerSize;
  return true;
}

SearchSetup SetupFor(const WorkingState& state, SampleRule rule, const std::array<bool, 5>& enabled) {
  SearchSetup setup;
  setup.Image = state.Binding;
  setup.Region = state.Regions.SearchRegion;
  setup.Thresholds = state.Thresholds;
  setup.Percent = state.Percent;
  setup.WindowSize = state.WindowSize;
  setup.Levels = state.Levels;
  setup.Rule = rule;
  setup.Enabled = enabled;
  return setup;
}

SearchTargets TargetsOf(WorkingState& state) {
  return SearchTargets{state.WorstPixels.get(), &state.Candidates, state.CandidateLimit};
}

void TakeLevels(WorkingState& state, const LevelSet& levels, RunOutcome& out) {
  state.Levels = levels;
  out.Levels = levels;
  out.LevelsTaken = true;
}

std::span<const DefectRecord> SortedEntries(ResultTable* table) {
  if (table == nullptr) return {};
  table->Sort();
  return table->Entries();
}

ResultCode Run(WorkingState& state, const _PARAMS_Waferon& params,
               const std::array<bool, 5>& enabled, RunOutcome& out) {
  out.BayerMode = params.BayerMode != 0;
  state.Regions = PlaceGeometry(state.Binding.Width, state.Binding.Height, params);
  out.Regions = state.Regions;
  if (AnyMarginNegative(params)) return E_INVALIDARG;

  SearchOutcome searched;
  std::int32_t step;
  if (!out.BayerMode) {
    if (!TakeSearchSettings(state, params, 3)) return E_INVALIDARG;
    if (params.LocalSearch) {
      searched = ColourLocalSearch(SetupFor(state, SampleRule{}, enabled), TargetsOf(state));
    } else {
      TakeLevels(state, ColourLevels(state.Binding, state.Regions.SearchRegion), out);
      searched = ColourGlobalSearch(SetupFor(state, SampleRule{}, enabled), TargetsOf(state));
    }
    // The levels are due for the cluster count too; a global search has just
    // taken them over the same region of the same image.
    if (params.FindClusters && searched == SearchOutcome::Completed && !out.LevelsTaken) {
      TakeLevels(state, ColourLevels(state.Binding, state.Regions.SearchRegion), out);
    }
    step = 1;
  } else {
    out.DepthsTaken = true;
    out.SensorBpp = params.SensorBpp;
    out.TestBpp = params.TestBpp;
    if (!ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
    if (!TakeSearchSettings(state, params, 5)) return E_INVALIDARG;
    TakeLevels(state, BayerLevels(state.Binding, state.Regions.SearchRegion, params.SensorBpp, params.TestBpp),
               out);
    const SearchSetup setup = SetupFor(state, SampleRule::For(params.SensorBpp, params.TestBpp), enabled);
    searched = params.LocalSearch ? BayerLocalSearch(setup, TargetsOf(state))
                                  : BayerGlobalSearch(setup, TargetsOf(state));
    step = 2;
  }
  state.Stopped = out.Stopped = searched == SearchOutcome::Stopped;
  if (!out.Stopped) {
    out.SearchCompleted = true;
    out.CandidateCount = state.Candidates.Size();
  }

  if (params.FindClusters && !out.Stopped) {
    CountClusters(state.Candidates, state.Visited, state.Clusters.get(), state.Regions, params, step,
                  out.Counts);
    out.ClustersCounted = true;
  }
  if (params.CountPixels && !out.Stopped) {
    CountSinglePixels(state.Candidates, state.Visited, state.Regions, params, out.Counts);
    out.PixelsCounted = true;
  }
  out.Candidates = state.Candidates.Records();
  out.WorstPixels = SortedEntries(state.WorstPixels.get());
  out.Clusters = SortedEntries(state.Clusters.get());
  out.Finished = true;
  return out.Stopped ? E_ABORT : S_OK;
}

}  // namespace

RunOutcome Analyse(WorkingState& state, const _PARAMS_Waferon& params,
                   const std::array<bool, 5>& enabled) noexcept {
  RunOutcome out;
  out.Code = Guarded([&] { return Run(state, params, enabled, out); });
  return out;
}

}  // namespace sensor::waferon
