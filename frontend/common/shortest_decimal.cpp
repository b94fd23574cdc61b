#include "frontend/common/shortest_decimal.h"

#include <charconv>
#include <cmath>

namespace sensor::frontend {

std::string ShortestDecimal(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char text[64];
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end.ptr);
}

}  // namespace sensor::frontend
