// -DefectList FILE: the defective pixels in the plain lists that raw
// converters and image pipelines read to correct them.
//
// Every candidate goes in, not only the counted ones: a candidate is a pixel
// whose score passed its threshold, and a correction pipeline must replace
// every such pixel whether or not the part's verdict counted it (the counts
// apply zones and cluster rules that decide pass or fail, not which pixels are
// wrong). Positions are columns from the left and rows from the top.
//  - ".txt": one line "column row 0" per position (the bad-pixel list of
//    dcraw-style converters; the 0 is the "always bad" time), each position
//    once, in the candidate list's order;
//  - ".csv": the header "x,y,colour,score,class,kind", then one row per candidate
//    of the list, in its order (in colour mode a pixel may be a candidate in
//    more than one colour). colour is R, G, B, G1 or G2; class is "cluster"
//    when another candidate of the same colour lies next to it (one step
//    away: 2 pixels in Bayer mode, 1 in colour mode, in any of the eight
//    directions), so that correction cannot take that neighbour, else
//    "single".
// A run whose search did not come to its end has no list: nothing is written.
#pragma once

#include <optional>
#include <string>

#include "frontend/products/run_findings.h"
#include "frontend/products/run_products.h"

namespace sensor::waferonrun {

std::string FormatBadPixelList(const frontend::PixelDefectFindings& defects);
std::string FormatDefectCsv(const frontend::PixelDefectFindings& defects, bool bayer);

// The -DefectList product (".txt" or ".csv", by the file's ending).
frontend::RunProduct DefectListProduct();

}  // namespace sensor::waferonrun
