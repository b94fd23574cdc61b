// The local windows of one axis, placed once per search for every position of
// the region (a window's columns depend on the pixel's column only).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/window_placement.h"

namespace sensor::waferon {

// First and Last are counted from the region's first position `lo`.
struct AxisWindows {
  std::vector<std::int32_t> First, Last, Count;
};

namespace detail {
template <class Place>
void PlaceAll(std::int64_t lo, std::int64_t hi, std::int64_t step, const Place& place, AxisWindows& w) {
  const std::size_t n = hi >= lo ? static_cast<std::size_t>(hi - lo + 1) : 0;
  w.First.clear();
  w.Last.clear();
  w.Count.clear();
  w.First.reserve(n);
  w.Last.reserve(n);
  w.Count.reserve(n);
  for (std::int64_t c = lo; c <= hi; ++c) {
    const Span s = place(c);
    w.First.push_back(static_cast<std::int32_t>(s.First - lo));
    w.Last.push_back(static_cast<std::int32_t>(s.Last - lo));
    w.Count.push_back(static_cast<std::int32_t>(s.Count(step)));
  }
}
}  // namespace detail

// Same-colour Bayer windows of half-width h (even) for every position of
// [lo, hi] into `w`, in the memory it holds; Count is the number of sites in each.
inline void PlaceSiteWindows(std::int64_t lo, std::int64_t hi, std::int64_t h, AxisWindows& w) {
  detail::PlaceAll(lo, hi, 2, [&](std::int64_t c) { return PlaceSiteWindow(c, h, lo, hi); }, w);
}

// Pixel boxes of half-width e for every position of [lo, hi] into `w`.
inline void PlaceBoxWindows(std::int64_t lo, std::int64_t hi, std::int64_t e, AxisWindows& w) {
  detail::PlaceAll(lo, hi, 1, [&](std::int64_t c) { return PlaceBox(c, e, lo, hi); }, w);
}

// The first marked position of [i, end), or end; skips unmarked stretches
// thirty-two marks at a time, then eight.
inline std::int64_t NextMarked(const std::uint8_t* marks, std::int64_t i, std::int64_t end) {
  for (; i + 32 <= end; i += 32) {
    std::uint64_t words[4];
    std::memcpy(words, marks + i, 32);
    if ((words[0] | words[1] | words[2] | words[3]) != 0) break;
  }
  for (; i + 8 <= end; i += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, marks + i, 8);
    if (eight != 0) break;
  }
  while (i < end && marks[i] == 0) ++i;
  return i;
}

}  // namespace sensor::waferon
