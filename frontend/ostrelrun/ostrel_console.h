// Ostrelrun's console texts: the usage text and the settings echo.
#pragma once

#include <string>
#include <vector>

#include "frontend/station/program.h"
#include "frontend/ostrelrun/ostrel_settings.h"

namespace sensor::ostrelrun {

std::vector<std::string> OstrelUsageLines();

// The echo of the paths and the parameters; Ostrelrun has no plausibility check.
frontend::SettingsEcho EchoOstrelSettings(const frontend::CommonOptions& options,
                                          const OstrelSettings& settings);

}  // namespace sensor::ostrelrun
