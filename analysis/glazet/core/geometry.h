// Where a run looks: the scan area left by the four margins and the region of
// interest given as fractions of the picture.
#pragma once

#include <cstdint>

#include "common/rect.h"

namespace sensor::glazet {

// A double truncated toward zero to 32 bits. Values beyond the 32-bit range
// saturate, and NaN gives the lowest value, as the processor's own conversion
// reports an invalid operand; the conversion itself never misbehaves.
std::int32_t TruncateToInt32(double value);

// First column = left, first row = top, last column = width - right - 1, last
// row = height - bottom - 1. The caller rejects negative margins.
Rect PlaceScanArea(std::int32_t width, std::int32_t height, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom);

// Each edge is the width or height times its fraction, truncated; a right or
// bottom edge at or past the picture's last column or row is pulled back onto
// it. Left and top are not adjusted.
Rect PlaceRegionOfInterest(std::int32_t width, std::int32_t height, double left, double top,
                           double right, double bottom);

}  // namespace sensor::glazet
