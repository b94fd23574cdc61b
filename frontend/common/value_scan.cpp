#include "frontend/common/value_scan.h"

#include <cstdlib>

namespace sensor::frontend {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* text) {
  while (IsSpace(*text)) ++text;
  return text;
}

// Sign and decimal digits at `text` into a magnitude held at `limit`; moves
// `text` behind the digits. False when there is no digit.
bool ReadDecimal(const char*& text, bool& negative, std::uint64_t& magnitude, std::uint64_t limit) {
  const char* p = text;
  negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (!IsDigit(*p)) return false;
  magnitude = 0;
  while (IsDigit(*p)) {
    if (magnitude <= limit) magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  text = p;
  return true;
}

constexpr std::uint64_t kInt32Span = std::uint64_t{1} << 31;

}  // namespace

std::optional<std::int32_t> ScanInt32(const char*& text) {
  const char* p = SkipSpace(text);
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (!ReadDecimal(p, negative, magnitude, kInt32Span)) return std::nullopt;
  if (magnitude > (negative ? kInt32Span : kInt32Span - 1)) return std::nullopt;
  text = p;
  const std::int64_t value =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(value);
}

std::optional<double> ScanDouble(const char*& text) {
  const char* start = SkipSpace(text);
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  if (end == start) return std::nullopt;
  text = end;
  return value;
}

std::int32_t LeadingInteger(const char* text) {
  if (text == nullptr) return 0;
  const char* p = SkipSpace(text);
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (!ReadDecimal(p, negative, magnitude, kInt32Span)) return 0;
  if (negative) {
    return magnitude >= kInt32Span ? INT32_MIN : -static_cast<std::int32_t>(magnitude);
  }
  return magnitude >= kInt32Span ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

}  // namespace sensor::frontend
