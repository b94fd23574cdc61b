// The mistakes a user can make in a run's command line and settings file,
// found beside the reading of them (command_line.h), which skips whatever does
// not match: each mistake becomes a diagnostic (diagnostics.h), and the run
// goes on exactly as it always has.
#pragma once

#include <string>
#include <vector>

#include "frontend/station/command_line.h"
#include "frontend/common/diagnostics.h"
#include "frontend/station/run_options.h"

namespace sensor::frontend {

// Every argument from index 1 on that names no option (with the nearest
// option's name when one is close), every value-taking option that has no
// value behind it, and every word that is neither an option nor a value.
std::vector<Diagnostic> CheckArguments(int argc, char** argv, const OptionTable& table);

// Each of the five path options (-OutputFile, -TestSettings, -TestLimits,
// -LogFile, -BMPFileIn) given a value that the run refused as a path.
std::vector<Diagnostic> CheckPathValues(int argc, char** argv, const OptionTable& table,
                                        const CommonOptions& options);

// The settings file: unreadable, or each line (at most ten are named) that is
// no blank line, comment (';' or '#') or section line ('[') and begins with
// none of the keys. `keys` as KeysOf gives them ("Name=").
std::vector<Diagnostic> CheckSettingsFile(const std::string& path, const std::vector<std::string>& keys);

}  // namespace sensor::frontend
