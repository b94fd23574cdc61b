// Waferonrun described for the shared run sequence.
#pragma once

#include "frontend/station/program.h"
#include "frontend/waferonrun/waferon_settings.h"

namespace sensor::waferonrun {

// Waferonrun's tables, bound to its settings, with the given library driver.
frontend::ProgramDescription DescribeWaferonrun(
    WaferonSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver);

}  // namespace sensor::waferonrun
