#include "frontend/ostrelrun/ostrel_driver.h"

#include "frontend/station/library_run.h"
#include "frontend/ostrelrun/ostrel_verdicts.h"

namespace sensor::ostrelrun {

using namespace SensorDefectDetectionClass;

frontend::ResultCode RunLibrary(frontend::RunContext& run, const OstrelSettings& settings,
                                _RESULT_Ostrel& result) {
  return frontend::RunAnalysisLibrary<Ostrel>(
      run, frontend::ResultsAfter::SuccessOrAbort,
      [&](Ostrel& library) { return library.Execute(result, settings.Params); },
      [&](Ostrel& library) {
        frontend::VerdictTable& values = run.Verdicts();
        frontend::ReadLevels(library, run, kLevelR);
        // The getter writes nothing when it fails; the dimensions then keep their start.
        std::int32_t width = values[kWidth].Count();
        std::int32_t height = values[kHeight].Count();
        library.get_SensorDim(&width, &height);
        values[kWidth].SetCount(width);
        values[kHeight].SetCount(height);
        run.Findings().Dimensions = frontend::SensorDimensions{width, height};
      },
      [&](Ostrel& library) {
        OstrelFindings found{};
        if (library.get_Findings(found) != S_OK || found.Ran == 0) return;
        run.Findings().Areas = {{frontend::kScanArea, frontend::BoxOf(found.Window)}};
      });
}

}  // namespace sensor::ostrelrun
