// Waferonrun's console texts: the usage text and the settings echo.
#pragma once

#include <string>
#include <vector>

#include "frontend/station/program.h"
#include "frontend/waferonrun/waferon_settings.h"

namespace sensor::waferonrun {

std::vector<std::string> WaferonUsageLines();

// The echo of the paths and the parameters; Waferonrun has no plausibility check.
frontend::SettingsEcho EchoWaferonSettings(const frontend::CommonOptions& options,
                                           const WaferonSettings& settings);

}  // namespace sensor::waferonrun
