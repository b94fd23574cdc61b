// The diagnostic files that a run leaves beside the running program: the
// candidate list ("DefectsDump.csv") and the two sorted tables
// ("Worst<size>Pixels.csv", "AllClusters.csv"). Nothing reads them back; a file
// that cannot be written is skipped silently.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sensordefect/Waferon.h"

namespace sensor::waferon {

using SensorDefectDetectionClass::DefectRecord;

// Every candidate in list order under the header "color,x,y,score".
void WriteCandidateDump(const std::string& path, std::span<const DefectRecord> candidates,
                        bool bayerMode);

// A table's entries from index 0 up to the first empty one (X or Y negative).
void WriteTableDump(const std::string& path, std::span<const DefectRecord> table, bool bayerMode);

// "Worst%ldPixels.csv" with the table size.
std::string WorstPixelsFileName(std::int32_t tableSize);

}  // namespace sensor::waferon
