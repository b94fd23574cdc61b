// Ostrelrun's library driver: the only place where the level library is called.
#pragma once

#include "frontend/station/run_context.h"
#include "frontend/ostrelrun/ostrel_settings.h"

namespace sensor::ostrelrun {

// Opens the library, loads and binds the bitmap, measures, and copies the five
// levels and the bitmap's width and height into the verdict table; always
// closes and cleans the library. Gives 0, E_ABORT (the results are still
// read), E_FAIL (bitmap not loaded) or the failing call's code. On every
// failure but E_ABORT the results are skipped and the named data log dropped.
frontend::ResultCode RunLibrary(frontend::RunContext& run, const OstrelSettings& settings,
                                SensorDefectDetectionClass::_RESULT_Ostrel& result);

}  // namespace sensor::ostrelrun
