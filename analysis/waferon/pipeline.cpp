#include "pipeline.h"

#include "clusters.h"
#include "common/output_folder.h"
#include "common/levels.h"
#include "common/sample_rule.h"
#include "dump_files.h"
#include "module_state.h"
#include "search.h"

namespace sensor::waferon {

using namespace SensorDefectDetectionClass;

namespace {

bool MarginsOrWindowInvalid(const _PARAMS_Waferon& p) {
  return p.OutlierLeft < 0 || p.OutlierTop < 0 || p.OutlierRight < 0 || p.OutlierBottom < 0 ||
         (p.LocalSearch != 0 && p.HammerSize < 0);
}

// Copies the first `count` entries of each threshold array into the module's
// tables; the others keep their earlier values.
void CopyThresholds(const _PARAMS_Waferon& p, int count, ThresholdTables& t) {
  for (std::size_t c = 0; c < static_cast<std::size_t>(count); ++c) {
    t.CenterCluster[c] = p.CenterClusterThreshold[c];
    t.CenterPixel[c] = p.CenterPixelThreshold[c];
    t.SideCluster[c] = p.SideClusterThreshold[c];
    t.SidePixel[c] = p.SidePixelThreshold[c];
  }
}

SearchSetup SetupFor(const ModuleState& state, SampleRule rule, const std::array<bool, 5>& enabled) {
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

SearchTargets TargetsOf(ModuleState& state) {
  return SearchTargets{state.WorstPixels.get(), &state.Candidates, state.CandidateLimit};
}

void WriteDumps(ModuleState& state, bool bayerMode) {
  if (!state.Candidates.Empty()) {
    WriteCandidateDump(InOutputFolder("DefectsDump.csv"), state.Candidates, bayerMode);
  }
  if (state.WorstPixels) {
    state.WorstPixels->Sort();
    WriteTableDump(InOutputFolder(WorstPixelsFileName(state.TableSize).c_str()),
                   *state.WorstPixels, bayerMode);
  }
  if (state.Clusters) {
    state.Clusters->Sort();
    WriteTableDump(InOutputFolder("AllClusters.csv"), *state.Clusters, bayerMode);
  }
}

}  // namespace

ResultCode RunAnalysis(Waferon& object, _RESULT_Waferon& result,
                       const std::array<bool, 5>& enabled) {
  ModuleState& state = State();
  const _PARAMS_Waferon& params = object.Params;

  state.Regions = PlaceGeometry(state.Binding.Width, state.Binding.Height, params);
  if (MarginsOrWindowInvalid(params)) return E_INVALIDARG;

  SearchOutcome outcome;
  const bool bayerMode = params.BayerMode != 0;
  if (!bayerMode) {
    CopyThresholds(params, 3, state.Thresholds);
    state.Percent = params.ThresholdPercent != 0;
    state.WindowSize = params.HammerSize;
    bool levelsCurrent = false;
    if (params.LocalSearch) {
      outcome = ColourLocalSearch(SetupFor(state, SampleRule{}, enabled), TargetsOf(state));
    } else {
      state.Levels = ColourLevels(state.Binding, state.Regions.SearchRegion);
      levelsCurrent = true;
      outcome = ColourGlobalSearch(SetupFor(state, SampleRule{}, enabled), TargetsOf(state));
    }
    if (params.FindClusters && outcome == SearchOutcome::Completed) {
      // The levels are due here too; a global search has just computed them
      // over the same region of the same image.
      if (!levelsCurrent) state.Levels = ColourLevels(state.Binding, state.Regions.SearchRegion);
      CountClusters(state.Candidates, state.Visited, state.Clusters.get(), state.Regions, params, 1,
                    object.Results);
    }
  } else {
    object.ActiveSensorBpp = params.SensorBpp;
    object.ActiveTestBpp = params.TestBpp;
    if (!ValidBitDepths(params.SensorBpp, params.TestBpp)) return E_INVALIDARG;
    state.WindowSize = params.HammerSize;
    CopyThresholds(params, 5, state.Thresholds);
    state.Percent = params.ThresholdPercent != 0;
    state.Levels = BayerLevels(state.Binding, state.Regions.SearchRegion, object.ActiveSensorBpp,
                               object.ActiveTestBpp);
    const SearchSetup setup =
        SetupFor(state, SampleRule::For(object.ActiveSensorBpp, object.ActiveTestBpp), enabled);
    outcome = params.LocalSearch ? BayerLocalSearch(setup, TargetsOf(state))
                                 : BayerGlobalSearch(setup, TargetsOf(state));
    if (params.FindClusters && outcome == SearchOutcome::Completed) {
      CountClusters(state.Candidates, state.Visited, state.Clusters.get(), state.Regions, params, 2,
                    object.Results);
    }
  }
  state.Stopped = outcome == SearchOutcome::Stopped;

  if (params.CountPixels && !state.Stopped) {
    CountSinglePixels(state.Candidates, state.Visited, state.Regions, params, object.Results);
  }
  WriteDumps(state, bayerMode);
  result = object.Results;
  return state.Stopped ? E_ABORT : S_OK;
}

}  // namespace sensor::waferon
