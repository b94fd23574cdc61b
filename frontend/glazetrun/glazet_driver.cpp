#include "frontend/glazetrun/glazet_driver.h"

#include "frontend/station/library_run.h"
#include "frontend/glazetrun/glazet_verdicts.h"

namespace sensor::glazetrun {

using namespace SensorDefectDetectionClass;

namespace {

void ReadFindings(Glazet& library, frontend::StationFindings& run) {
  GlazetFindings found{};
  if (library.get_Findings(found) != S_OK || found.Ran == 0) return;
  run.Areas = {{frontend::kScanArea, frontend::BoxOf(found.ScanArea)},
               {frontend::kRegionOfInterest, frontend::BoxOf(found.RegionOfInterest)}};
  if (found.Searched == 0) return;
  frontend::BlemishFindings& blemishes = run.Blemishes.emplace();
  blemishes.Candidates = found.Candidates;
  blemishes.Counted = found.Counted != 0 && found.TooMany == 0;
  blemishes.TooMany = found.TooMany != 0;
  for (std::int32_t i = 0; i < found.BlemishCount; ++i) {
    const BlemishFinding& b = found.Blemishes[i];
    blemishes.Blemishes.push_back({frontend::BoxOf(b.Bounds), b.Pixels, b.CentroidX, b.CentroidY});
  }
}

}  // namespace

frontend::ResultCode RunLibrary(frontend::RunContext& run, const GlazetSettings& settings,
                                _RESULT_Glazet& result) {
  return frontend::RunAnalysisLibrary<Glazet>(
      run, frontend::ResultsAfter::Success,
      [&](Glazet& library) {
        if (!run.PaintsPicture()) {
          const frontend::ResultCode code = library.set_KeepPicture(1);
          if (code != S_OK) return code;
        }
        return library.Execute(result, settings.Params);
      },
      [&](Glazet& library) {
        run.Verdicts()[kClustersTotal].SetCount(result.numpackagefects);
        frontend::ReadLevels(library, run, kLevelR);
      },
      [&](Glazet& library) { ReadFindings(library, run.Findings()); });
}

}  // namespace sensor::glazetrun
