// The diagnostic files that a run leaves beside the running program: the
// candidate list ("DefectsDump.csv") and the two sorted tables
// ("Worst<size>Pixels.csv", "AllClusters.csv"). Nothing reads them back; a file
// that cannot be written is skipped silently.
#pragma once

#include <cstdint>
#include <string>

#include "defect_lists.h"
#include "result_table.h"

namespace sensor::waferon {

// Every candidate in list order under the header "color,x,y,score".
void WriteCandidateDump(const std::string& path, const CandidateList& candidates, bool bayerMode);

// The table's entries from index 0 up to the first empty one.
void WriteTableDump(const std::string& path, const ResultTable& table, bool bayerMode);

// "Worst%ldPixels.csv" with the table size.
std::string WorstPixelsFileName(std::int32_t tableSize);

}  // namespace sensor::waferon
