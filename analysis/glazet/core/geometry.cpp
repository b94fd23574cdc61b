#include "glazet/core/geometry.h"

#include <cmath>

namespace sensor::glazet {

std::int32_t TruncateToInt32(double value) {
  if (std::isnan(value) || value <= -2147483649.0) return INT32_MIN;
  if (value >= 2147483648.0) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

Rect PlaceScanArea(std::int32_t width, std::int32_t height, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom) {
  return InsetRect(width, height, left, top, right, bottom);
}

Rect PlaceRegionOfInterest(std::int32_t width, std::int32_t height, double left, double top,
                           double right, double bottom) {
  const double w = width, h = height;
  Rect roi{TruncateToInt32(w * left), TruncateToInt32(h * top), TruncateToInt32(w * right),
           TruncateToInt32(h * bottom)};
  if (roi.Right >= width) roi.Right = width - 1;
  if (roi.Bottom >= height) roi.Bottom = height - 1;
  return roi;
}

}  // namespace sensor::glazet
