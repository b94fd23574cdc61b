#include "waferon/core/pipeline.h"

#include "waferon/core/clusters.h"
#include "common/guarded.h"
#include "common/rect.h"
#include "common/sample_rule.h"
#include "waferon/core/search.h"

namespace sensor::waferon {

using namespace SensorDefectDetectionClass;

namespace {

// The first `count` entries of each threshold array; the others stay 0 (a
// colour search reads only red, green and blue).
ThresholdTables ThresholdsOf(const _PARAMS_Waferon& p, int count) {
  ThresholdTables t;
  for (std::size_t c = 0; c < static_cast<std::size_t>(count); ++c) {
    t.CenterCluster[c] = p.CenterClusterThreshold[c];
    t.CenterPixel[c] = p.CenterPixelThreshold[c];
    t.SideCluster[c] = p.SideClusterThreshold[c];
    t.SidePixel[c] = p.SidePixelThreshold[c];
  }
  return t;
}

// What the search reads, once the window size is taken; false (refused) for a
// negative window with the local search on.
bool PrepareSearch(const WorkingState& state, const _PARAMS_Waferon& p, const Rect& region, int colours,
                   SampleRule rule, const std::array<bool, 5>& enabled, SearchSetup& setup) {
  setup.Image = state.Binding;
  setup.Region = region;
  setup.Thresholds = ThresholdsOf(p, colours);
  setup.Percent = p.ThresholdPercent != 0;
  if (p.LocalSearch != 0 && p.HammerSize < 0) return false;
  setup.WindowSize = p.HammerSize;
  setup.Rule = rule;
  setup.Enabled = enabled;
  return true;
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
  const Geometry& regions = out.Regions = PlaceGeometry(state.Binding.Width, state.Binding.Height, params);
  const Rect& region = regions.SearchRegion;
  if (AnyNegativeMargin(params.OutlierLeft, params.OutlierTop, params.OutlierRight,
                        params.OutlierBottom)) {
    return E_INVALIDARG;
  }

  SearchSetup setup;
  if (state.KeepScratch) setup.Scratch = &state.Scratch;
  SearchOutcome searched;
  std::int32_t step;
  if (!out.BayerMode) {
    if (!PrepareSearch(state, params, region, 3, SampleRule{}, enabled, setup)) return E_INVALIDARG;
    if (params.LocalSearch) {
      searched = ColourLocalSearch(setup, TargetsOf(state));
    } else {
      TakeLevels(state, ColourLevels(state.Binding, region), out);
      setup.Levels = out.Levels;
      searched = ColourGlobalSearch(setup, TargetsOf(state));
    }
    // The levels are due for the cluster count too; a global search has just
    // taken them over the same region of the same image.
    if (params.FindClusters && searched == SearchOutcome::Completed && !out.LevelsTaken) {
      TakeLevels(state, ColourLevels(state.Binding, region), out);
    }
    step = 1;
  } else {
    out.DepthsTaken = true;
    out.SensorBpp = params.SensorBpp;
    out.TestBpp = params.TestBpp;
    if (!ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
    if (!PrepareSearch(state, params, region, 5, SampleRule::For(params.SensorBpp, params.TestBpp), enabled,
                       setup)) {
      return E_INVALIDARG;
    }
    TakeLevels(state, BayerLevels(state.Binding, region, params.SensorBpp, params.TestBpp), out);
    setup.Levels = out.Levels;
    searched = params.LocalSearch ? BayerLocalSearch(setup, TargetsOf(state))
                                  : BayerGlobalSearch(setup, TargetsOf(state));
    step = 2;
  }
  out.Stopped = searched == SearchOutcome::Stopped;
  if (!out.Stopped) {
    out.SearchCompleted = true;
    out.CandidateCount = state.Candidates.Size();
  }

  if (params.FindClusters && !out.Stopped) {
    CountClusters(state.Candidates, state.Visited, state.Clusters.get(), regions, params, step,
                  out.Counts, out.ClusterPeaks, &state.Grid);
    out.ClustersCounted = true;
  }
  if (params.CountPixels && !out.Stopped) {
    CountSinglePixels(state.Candidates, state.Visited, regions, params, out.Counts);
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
