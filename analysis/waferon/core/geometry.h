// Where a run looks: the search region left inside the four margins, the centre
// zone given as fractions of the picture, and which zone a position lies in.
#pragma once

#include <cstdint>

#include "common/image_binding.h"
#include "common/rect.h"
#include "sensordefect/Waferon.h"

namespace sensor::waferon {

struct Geometry {
  Rect SearchRegion;
  Rect CenterZone;  // not clipped to the search region
};

// SearchRegion: the margins removed from the picture. CenterZone: each fraction
// times the width or height, cut toward zero; Right and Bottom are kept inside
// the picture, Left and Top are not clamped.
Geometry PlaceGeometry(std::int32_t width, std::int32_t height,
                       const SensorDefectDetectionClass::_PARAMS_Waferon& params);

// The product width x fraction cut toward zero. Products outside the 32-bit
// range saturate at its ends, and a fraction that is not a number gives 0, so
// that no host value makes the conversion undefined.
std::int32_t TruncatedProduct(std::int32_t size, double fraction);

enum class Zone { None, Centre, Side };

// Centre inside the centre zone; else side inside the search region; else none.
inline Zone ZoneOf(const Geometry& g, std::int32_t x, std::int32_t y) {
  if (g.CenterZone.Contains(x, y)) return Zone::Centre;
  if (g.SearchRegion.Contains(x, y)) return Zone::Side;
  return Zone::None;
}

}  // namespace sensor::waferon
