#include "frontend/waferonrun/waferon_driver.h"

#include "frontend/station/library_run.h"
#include "frontend/waferonrun/waferon_verdicts.h"

namespace sensor::waferonrun {

using namespace SensorDefectDetectionClass;

namespace {

constexpr std::int32_t kTableSize = 64;

void ReadResults(Waferon& library, const _RESULT_Waferon& result, frontend::RunContext& run) {
  frontend::VerdictTable& values = run.Verdicts();
  values[kClustersCenter].SetCount(result.CenterClusters);
  values[kClustersSide].SetCount(result.SideClusters);
  values[kClustersTotal].SetCount(result.CenterClusters + result.SideClusters);
  values[kPixelsCenter].SetCount(result.CenterPixels);
  values[kPixelsSide].SetCount(result.SidePixels);
  values[kPixelsTotal].SetCount(result.CenterPixels + result.SidePixels);
  frontend::ReadLevels(library, run, kLevelR);
}

frontend::PixelFinding PixelOf(const DefectRecord& record) {
  return frontend::PixelFinding{record.X, record.Y, record.Score, record.Colour, {}};
}

void ReadFindings(Waferon& library, frontend::StationFindings& run) {
  WaferonFindings found{};
  if (library.get_Findings(found) != S_OK || found.Ran == 0) return;
  run.Areas = {{frontend::kScanArea, frontend::BoxOf(found.SearchRegion)},
               {frontend::kCentreZone, frontend::BoxOf(found.CenterZone)}};
  if (found.Finished == 0) return;
  frontend::PixelDefectFindings& pixels = run.PixelDefects.emplace();
  pixels.Stopped = found.Stopped != 0;
  const std::int8_t* hot = nullptr;
  std::int32_t sides = 0;
  if (library.get_CandidateSides(&hot, &sides) != S_OK || sides != found.CandidateCount) hot = nullptr;
  for (std::int32_t i = 0; i < found.CandidateCount; ++i) {
    pixels.Candidates.push_back(PixelOf(found.Candidates[i]));
    if (hot != nullptr) pixels.Candidates.back().Hot = hot[i] != 0;
  }
  for (std::int32_t i = 0; i < found.WorstPixelCount; ++i) pixels.WorstPixels.push_back(PixelOf(found.WorstPixels[i]));
  for (std::int32_t i = 0; i < found.ClusterCount; ++i) {
    const ClusterFinding& c = found.Clusters[i];
    pixels.Clusters.push_back({frontend::PixelFinding{c.X, c.Y, c.Score, c.Colour, {}}, c.Members});
  }
  pixels.CenterClusters = found.Counts.CenterClusters;
  pixels.SideClusters = found.Counts.SideClusters;
  pixels.CenterPixels = found.Counts.CenterPixels;
  pixels.SidePixels = found.Counts.SidePixels;
}

}  // namespace

frontend::ResultCode RunLibrary(frontend::RunContext& run, const WaferonSettings& settings,
                                _RESULT_Waferon& result) {
  return frontend::RunAnalysisLibrary<Waferon>(
      run, frontend::ResultsAfter::SuccessOrAbort,
      [&](Waferon& library) {
        ResultCode code = library.set_TableSize(kTableSize);
        if (code != S_OK) return code;
        const auto& enable = settings.ColorUnderTest;
        return library.Execute(result, settings.Params, enable[0], enable[1], enable[2], enable[3],
                               enable[4]);
      },
      [&](Waferon& library) { ReadResults(library, result, run); },
      [&](Waferon& library) { ReadFindings(library, run.Findings()); });
}

}  // namespace sensor::waferonrun
