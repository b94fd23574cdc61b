// Groups the marked pixels of a defect map into regions and counts the regions
// that hold more pixels than a size limit.
#pragma once

#include <cstdint>
#include <vector>

#include "sensordefect/Glazet.h"

namespace sensor::glazet {

// Visits the map (bytes 0 or 1) from the top row down, each row from the left.
// A marked pixel seeds a region of every still-marked pixel it reaches through
// the steps left, right, below left, below and below right, each `step` pixels
// long (1 in colour mode; 2 in Bayer mode, so that only pixels of one Bayer
// position join). There is no step upward. Every mark taken into a region
// becomes 2, so the map still shows every candidate afterwards. Returns the
// number of regions larger than `sizeLimit`, and appends each of them, in the
// order found, to `counted` (bounds, pixel count and centroid).
//
// The pending pixels live on an explicit stack, so a long one-pixel-wide region
// cannot exhaust the call stack. Throws std::bad_alloc only when that stack
// cannot grow.
std::int32_t CountClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                           std::int32_t step, std::int32_t sizeLimit,
                           std::vector<SensorDefectDetectionClass::BlemishFinding>& counted);

}  // namespace sensor::glazet
