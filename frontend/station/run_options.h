// What every test program takes from its command line besides its own
// parameters: the five paths, the two switches and the output folder.
#pragma once

#include <optional>
#include <string>

#include "frontend/products/product_paths.h"
#include "frontend/station/paths.h"

namespace sensor::frontend {

struct CommonOptions {
  ResolvedPath OutputFile;    // the status file
  ResolvedPath TestSettings;  // the settings file
  ResolvedPath TestLimits;    // the test-limits file
  ResolvedPath LogFile;       // the named data log
  ResolvedPath BMPFileIn;     // the bitmap to analyse
  bool Debug = false;         // argument echo; handed to the library's Open
  bool Slave = false;         // no key wait at the end of the run
  // The folder of the run's other files (-OutputFolder, OutputFolder=) as
  // given; the run decides it once at start-up (run_folder.h).
  std::optional<std::string> OutputFolder;
  // The layout of a headerless raw frame (-RawLayout, RawLayout=) as given.
  std::optional<std::string> RawLayout;
  ProductPaths Products;
  // -KeepDefectMap (Glazetrun, command line only): a batch keeps the run's
  // "pkgdfects.bmp"; a program run on its own always keeps it.
  bool KeepDefectMap = false;
  // The picture's samples sit in the top bits of their words (-TopBits, TopBits=1).
  bool TopBits = false;
};

}  // namespace sensor::frontend
