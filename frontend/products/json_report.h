// -Report FILE.json: one JSON document per run that a host reads in place of
// the status file and the dump files: the program and library, the paths and
// settings, the picture, the result code, the verdict table and status, and
// what the library found. Its schema is doc/report.schema.json.
#pragma once

#include <string>

#include "frontend/products/run_findings.h"
#include "frontend/products/run_products.h"

namespace sensor::frontend {

// The document's text, ending in a newline.
std::string FormatJsonReport(const StationFindings& run);

// The document's "findings" object alone, on one line, for hosts that give
// the same findings without a run of the program.
std::string FormatJsonFindings(const StationFindings& run);

// The -Report product (".json").
RunProduct JsonReportProduct();

}  // namespace sensor::frontend
