// Glazetrun described for the shared run sequence.
#pragma once

#include "frontend/station/program.h"
#include "frontend/glazetrun/glazet_settings.h"

namespace sensor::glazetrun {

// Glazetrun's tables, bound to its settings, with the given library driver.
frontend::ProgramDescription DescribeGlazetrun(
    GlazetSettings& settings, std::function<frontend::ResultCode(frontend::RunContext&)> driver);

}  // namespace sensor::glazetrun
