// Ostrelrun described for the shared run sequence.
#pragma once

#include "frontend/station/program.h"
#include "frontend/ostrelrun/ostrel_settings.h"

namespace sensor::ostrelrun {

// Ostrelrun's tables, bound to its settings, with the given library driver.
frontend::ProgramDescription DescribeOstrelrun(
    OstrelSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver);

}  // namespace sensor::ostrelrun
