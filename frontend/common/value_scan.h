// Scanning of option and settings values by the conventions of the scan
// formats "%ld" (a 32-bit signed decimal) and "%lf" (a double), with list items
// separated by a comma that follows the number at once; white space is allowed
// only before a number, and text after the last value is ignored.
//
// A scan is all or nothing: it yields the values only when every one of them
// scans, so a malformed value never updates part of a setting.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace sensor::frontend {

// One "%ld" at `text`: the value and the position behind it. A number outside
// the 32-bit range does not scan.
std::optional<std::int32_t> ScanInt32(const char*& text);
// One "%lf" at `text`: the value and the position behind it.
std::optional<double> ScanDouble(const char*& text);

namespace detail {
template <typename T, std::size_t N, typename ScanOne>
std::optional<std::array<T, N>> ScanList(const char* text, ScanOne scanOne) {
  if (text == nullptr) return std::nullopt;
  std::array<T, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) {
      if (*text != ',') return std::nullopt;
      ++text;
    }
    const std::optional<T> value = scanOne(text);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  return values;
}
}  // namespace detail

// N comma-separated "%ld" values ("%ld,%ld,...").
template <std::size_t N>
std::optional<std::array<std::int32_t, N>> ScanInt32s(const char* text) {
  return detail::ScanList<std::int32_t, N>(text, ScanInt32);
}

// N comma-separated "%lf" values ("%lf,%lf,...").
template <std::size_t N>
std::optional<std::array<double, N>> ScanDoubles(const char* text) {
  return detail::ScanList<double, N>(text, ScanDouble);
}

// Scans one "%ld" per field ("%ld,%ld,...") and stores them only when all scan.
template <typename... Fields>
void ScanInt32sInto(const char* text, Fields&... fields) {
  if (const auto v = ScanInt32s<sizeof...(Fields)>(text)) {
    std::size_t i = 0;
    ((fields = (*v)[i++]), ...);
  }
}

// Scans one "%lf" per field ("%lf,%lf,...") and stores them only when all scan.
template <typename... Fields>
void ScanDoublesInto(const char* text, Fields&... fields) {
  if (const auto v = ScanDoubles<sizeof...(Fields)>(text)) {
    std::size_t i = 0;
    ((fields = (*v)[i++]), ...);
  }
}

// Scans one "%ld" and stores whether it is not 0 (a settings-file switch).
template <typename Flag>
void ScanSwitchInto(const char* text, Flag& flag) {
  if (const auto v = ScanInt32s<1>(text)) flag = (*v)[0] != 0;
}

// The leading integer of a text by atoi conventions: leading white space is
// skipped, an optional sign, then digits up to the first other character; no
// digits give 0. Values beyond the 32-bit range are held at its ends.
std::int32_t LeadingInteger(const char* text);

}  // namespace sensor::frontend
