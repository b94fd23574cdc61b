// The files a run writes from its findings when their options name them
// (-Report, -ReviewImage, -DefectMapPNG, -DefectList): each program's table of
// them, checked at start-up and written at the end of the run, after the
// status file. Without the options nothing here prints or writes anything.
//
// A product path is taken as given: absolute, or against the working
// directory. At start-up it must name a file (not a folder) with one of the
// product's extensions, in a folder that exists and is writable; otherwise
// start-up fails as it does for an output folder that cannot be written (the
// usage text, E_INVALIDARG in the status file, no analysis, so no data log,
// dump file or defect map is written). A product that cannot be written at the
// end leaves no partial file and makes the exit code 1; the status file keeps
// the run's own result.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frontend/common/diagnostics.h"
#include "frontend/products/product_paths.h"
#include "frontend/products/run_findings.h"

namespace sensor::frontend {

struct RunProduct {
  std::string Option;  // the option's name, e.g. "Report"
  std::optional<std::string> ProductPaths::*Path;
  std::vector<std::string> Extensions;  // accepted file endings, lower case, e.g. ".json"
  // The file's bytes for the run; nothing, with `problem` set, when they
  // cannot be made.
  std::function<std::optional<std::string>(const StationFindings& run, const std::string& path,
                                           std::string& problem)>
      Make;
};

using ProductTable = std::vector<RunProduct>;

// The products every program has (-Report, -ReviewImage) followed by the
// program's own.
ProductTable StandardProducts(ProductTable own);

// Why the path cannot take the product's file; nothing when it can.
std::optional<std::string> ProductPathProblem(const RunProduct& product, const std::string& path);

// Checks every product whose option was given; prints one line for each that
// cannot be written (and adds its diagnostic, when `diagnostics` is given).
// True when all can.
bool CheckProducts(const ProductTable& products, const ProductPaths& paths,
                   RunDiagnostics* diagnostics = nullptr);

// Writes every product whose option was given, each through a temporary file
// beside it that is renamed into place; prints one line for each that could
// not be written. True when all were written; `written`, when given, gets the
// path of each product written.
bool WriteProducts(const ProductTable& products, const ProductPaths& paths, const StationFindings& run,
                   ProductPaths* written = nullptr, RunDiagnostics* diagnostics = nullptr);

}  // namespace sensor::frontend
