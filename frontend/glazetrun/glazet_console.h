// Glazetrun's console texts: the usage text and the settings echo with its two
// plausibility checks of the tested colour.
#pragma once

#include <string>
#include <vector>

#include "frontend/station/program.h"
#include "frontend/glazetrun/glazet_settings.h"

namespace sensor::glazetrun {

std::vector<std::string> GlazetUsageLines();

// The echo of the paths and the parameters. It is implausible to test G in
// Bayer mode (the Bayer cell has G1 and G2, no G) or G1 or G2 in colour mode
// (a colour pixel has R, G and B only); the echo then ends with a question and
// start-up fails.
frontend::SettingsEcho EchoGlazetSettings(const frontend::CommonOptions& options,
                                          const GlazetSettings& settings);

}  // namespace sensor::glazetrun
