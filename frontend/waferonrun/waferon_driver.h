// Waferonrun's library driver: the only place where the chip library is called.
#pragma once

#include "frontend/station/run_context.h"
#include "frontend/waferonrun/waferon_settings.h"

namespace sensor::waferonrun {

// Opens the library, loads and binds the bitmap, sizes the tables, runs the
// analysis and copies the six counts and five levels into the verdict table;
// always closes and cleans the library. Gives 0, E_ABORT (results still read),
// E_FAIL (bitmap not loaded) or the failing call's code. On every failure but
// E_ABORT the named data log is dropped.
frontend::ResultCode RunLibrary(frontend::RunContext& run, const WaferonSettings& settings,
                                SensorDefectDetectionClass::_RESULT_Waferon& result);

}  // namespace sensor::waferonrun
