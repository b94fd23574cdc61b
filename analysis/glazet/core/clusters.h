// Groups the marked pixels of a defect map into regions and counts the regions
// that hold more pixels than a size limit.
#pragma once

#include <cstdint>
#include <vector>

#include "sensordefect/Glazet.h"

namespace sensor::glazet {

// The values of a map's bytes: no candidate, a candidate, one the count took
// into a region, one whose region was described since.
inline constexpr std::uint8_t kMarked = 1;
inline constexpr std::uint8_t kCounted = 2;
inline constexpr std::uint8_t kDescribed = 3;

// Visits the map (bytes 0 or 1) from the top row down, each row from the left.
// A marked pixel seeds a region of every still-marked pixel it reaches through
// the steps left, right, below left, below and below right, each `step` pixels
// long (1 in colour mode; 2 in Bayer mode, so that only pixels of one Bayer
// position join). There is no step upward. Every mark taken into a region
// becomes 2, so the map still shows every candidate afterwards. Returns the
// number of regions larger than `sizeLimit`.
//
// The pending pixels live on an explicit stack, so a long one-pixel-wide region
// cannot exhaust the call stack. Throws std::bad_alloc only when that stack
// cannot grow.
std::int32_t CountClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                           std::int32_t step, std::int32_t sizeLimit);

// The regions the count found, described: on the map as CountClusters left it
// (bytes 0 or 2), with the same step and size limit, grows the very same
// regions in the same order (each taken byte becoming 3) and appends each one
// larger than the limit to `counted` (bounds, pixel count and centroid);
// returns their number, the count's. Kept apart from the count so that a run
// whose findings no host asks for does not pay for them.
std::int32_t DescribeCountedClusters(std::uint8_t* map, std::int32_t width, std::int32_t height,
                                     std::int32_t step, std::int32_t sizeLimit,
                                     std::vector<SensorDefectDetectionClass::BlemishFinding>& counted);

}  // namespace sensor::glazet
