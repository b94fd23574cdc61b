#include "frontend/waferonrun/waferon_driver.h"

#include "frontend/common/library_run.h"
#include "frontend/waferonrun/waferon_verdicts.h"

namespace sensor::waferonrun {

using namespace SensorDefectDetectionClass;

namespace {

constexpr std::int32_t kTableSize = 64;

void ReadResults(Waferon& library, const _RESULT_Waferon& result, frontend::VerdictTable& values) {
  values[kClustersCenter].SetCount(result.CenterClusters);
  values[kClustersSide].SetCount(result.SideClusters);
  values[kClustersTotal].SetCount(result.CenterClusters + result.SideClusters);
  values[kPixelsCenter].SetCount(result.CenterPixels);
  values[kPixelsSide].SetCount(result.SidePixels);
  values[kPixelsTotal].SetCount(result.CenterPixels + result.SidePixels);
  frontend::ReadLevels(library, values, kLevelR);
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
      [&](Waferon& library) { ReadResults(library, result, run.Verdicts()); });
}

}  // namespace sensor::waferonrun
