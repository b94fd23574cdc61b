// The lines of the settings echo that the programs print alike: the head with
// the four paths, and the parameters that every library's record holds in the
// same form. Each program adds its own lines between them.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/station/run_options.h"

namespace sensor::frontend {

// "\nsettings:\n" and the status file, data log, limits file and bitmap paths
// ("(null)" when absent).
std::string EchoSettingsHead(const CommonOptions& options);

// "\tbits per pixel= n\n\tbits for test= n\n".
std::string EchoBitsUsage(std::int32_t sensorBpp, std::int32_t testBpp);

// "\tbayer outliers= left,top,right,bottom\n".
std::string EchoBayerOutliers(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom);

// "\troi= left,top,right,bottom\n", four decimals each.
std::string EchoRoi(double left, double top, double right, double bottom);

// "\tmode= bayer\n" or "\tmode= color\n".
std::string EchoMode(bool bayer);

}  // namespace sensor::frontend
