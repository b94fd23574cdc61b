// What every test program takes from its command line besides its own
// parameters: the five paths and the two switches.
#pragma once

#include "frontend/common/paths.h"

namespace sensor::frontend {

struct CommonOptions {
  ResolvedPath OutputFile;    // the status file
  ResolvedPath TestSettings;  // the settings file
  ResolvedPath TestLimits;    // the test-limits file
  ResolvedPath LogFile;       // the named data log
  ResolvedPath BMPFileIn;     // the bitmap to analyse
  bool Debug = false;         // argument echo; handed to the library's Open
  bool Slave = false;         // no key wait at the end of the run
};

}  // namespace sensor::frontend
