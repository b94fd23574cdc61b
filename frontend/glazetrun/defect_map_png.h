// -DefectMapPNG FILE.png: the defect map of "pkgdfects.bmp" as a 1-bit PNG,
// black for a candidate and white elsewhere, top row first: a 48-megapixel
// map takes kilobytes instead of the bitmap's 48 megabytes or more.
#pragma once

#include <optional>
#include <string>

#include "frontend/products/png_file.h"
#include "frontend/products/run_findings.h"
#include "frontend/products/run_products.h"

namespace sensor::glazetrun {

// The map of the painted picture (a pixel whose first byte is 0 is a
// candidate, as in the bitmap); nothing, with `problem` set, when the run
// painted no map (no picture, or the search did not run).
std::optional<frontend::PngPicture> DefectMapPicture(const frontend::StationFindings& run, std::string& problem);

// The -DefectMapPNG product (".png").
frontend::RunProduct DefectMapPngProduct();

}  // namespace sensor::glazetrun
