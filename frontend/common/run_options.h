// What every test program takes from its command line besides its own
// parameters: the five paths and the two switches.
#pragma once

#include <optional>
#include <string>

#include "frontend/common/paths.h"

namespace sensor::frontend {

struct CommonOptions {
  ResolvedPath OutputFile;    // the status file
  ResolvedPath TestSettings;  // the settings file
  ResolvedPath TestLimits;    // the test-limits file
  ResolvedPath LogFile;       // the named data log
  ResolvedPath BMPFileIn;     // the bitmap to analyse
  bool debug = false;         // argument echo; handed to the library's Open
  bool slave = false;         // no key wait at the end of the run
  // The layout of a headerless raw frame (-RawLayout, RawLayout=) as given.
  std::optional<std::string> RawLayout;
};

}  // namespace sensor::frontend
