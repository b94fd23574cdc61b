#include "waferon/core/geometry.h"

#include <algorithm>
#include <cmath>

namespace sensor::waferon {

std::int32_t TruncatedProduct(std::int32_t size, double fraction) {
  const double product = static_cast<double>(size) * fraction;
  if (std::isnan(product)) return 0;
  if (product <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (product >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<std::int32_t>(product);
}

Geometry PlaceGeometry(std::int32_t width, std::int32_t height,
                       const SensorDefectDetectionClass::_PARAMS_Waferon& params) {
  Geometry g;
  g.SearchRegion = InsetRect(width, height, params.OutlierLeft, params.OutlierTop,
                             params.OutlierRight, params.OutlierBottom);
  g.CenterZone.Left = TruncatedProduct(width, params.CenterLeft);
  g.CenterZone.Top = TruncatedProduct(height, params.CenterTop);
  g.CenterZone.Right = std::min(TruncatedProduct(width, params.CenterRight), width - 1);
  g.CenterZone.Bottom = std::min(TruncatedProduct(height, params.CenterBottom), height - 1);
  return g;
}

}  // namespace sensor::waferon
