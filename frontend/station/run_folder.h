// The folder where a run leaves its files other than the status file and the
// named data log (the default data log, the libraries' dump files and defect
// map), decided once at start-up and handed to the library and every writer.
#pragma once

#include <optional>
#include <string>

#include "frontend/station/run_options.h"

namespace sensor::frontend {

// Without an output folder, the program's directory. With one, the folder as
// an absolute path ending in '/' (a relative one, bare names too, taken against
// the working directory), created with its parents when missing. Nothing when
// the folder cannot be created or is not a writable directory.
std::optional<std::string> DecideRunFolder(const CommonOptions& options,
                                           const std::string& programDirectory);

}  // namespace sensor::frontend
