// Glazetrun's library driver: the only place where the package library is called.
#pragma once

#include "frontend/station/run_context.h"
#include "frontend/glazetrun/glazet_settings.h"

namespace sensor::glazetrun {

// Opens the library, loads and binds the bitmap, runs the analysis (which
// paints the defect map into the loaded pixels and writes it beside the
// program), and copies the defect count and the five levels into the verdict
// table; always closes and cleans the library. Gives 0, E_FAIL (bitmap not
// loaded) or the failing call's code. Every failure, E_ABORT included, skips
// the results and drops the named data log.
frontend::ResultCode RunLibrary(frontend::RunContext& run, const GlazetSettings& settings,
                                SensorDefectDetectionClass::_RESULT_Glazet& result);

}  // namespace sensor::glazetrun
