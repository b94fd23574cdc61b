#include "frontend/glazetrun/glazet_driver.h"

#include "frontend/common/library_run.h"
#include "frontend/glazetrun/glazet_verdicts.h"

namespace sensor::glazetrun {

using namespace SensorDefectDetectionClass;

frontend::ResultCode RunLibrary(frontend::RunContext& run, const GlazetSettings& settings,
                                _RESULT_Glazet& result) {
  return frontend::RunAnalysisLibrary<Glazet>(
      run, frontend::ResultsAfter::Success,
      [&](Glazet& library) { return library.Execute(result, settings.Params); },
      [&](Glazet& library) {
        frontend::VerdictTable& values = run.Verdicts();
        values[kClustersTotal].SetCount(result.numpackagefects);
        frontend::ReadLevels(library, values, kLevelR);
      });
}

}  // namespace sensor::glazetrun
