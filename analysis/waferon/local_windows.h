// The local windows of one axis, placed once per search for every column of
// the region (a window's columns depend on the pixel's column only).
#pragma once

#include <cstdint>
#include <vector>

#include "common/window_placement.h"

namespace sensor::waferon {

struct AxisWindows {
  std::int64_t Lo = 0;  // the first position covered
  std::vector<std::int32_t> First, Last, Count;

  std::size_t At(std::int64_t c) const { return static_cast<std::size_t>(c - Lo); }
};

inline AxisWindows Reserved(std::int64_t lo, std::int64_t hi) {
  AxisWindows w;
  w.Lo = lo;
  const std::size_t n = hi >= lo ? static_cast<std::size_t>(hi - lo + 1) : 0;
  w.First.reserve(n);
  w.Last.reserve(n);
  w.Count.reserve(n);
  return w;
}

// Same-colour Bayer windows of half-width h (even) for every position of
// [lo, hi]; Count is the number of sites in each.
inline AxisWindows SiteWindowsOf(std::int64_t lo, std::int64_t hi, std::int64_t h) {
  AxisWindows w = Reserved(lo, hi);
  for (std::int64_t c = lo; c <= hi; ++c) {
    const Span s = PlaceSiteWindow(c, h, lo, hi);
    w.First.push_back(static_cast<std::int32_t>(s.First));
    w.Last.push_back(static_cast<std::int32_t>(s.Last));
    w.Count.push_back(static_cast<std::int32_t>(s.Count(2)));
  }
  return w;
}

// Pixel boxes of half-width e for every position of [lo, hi].
inline AxisWindows BoxWindowsOf(std::int64_t lo, std::int64_t hi, std::int64_t e) {
  AxisWindows w = Reserved(lo, hi);
  for (std::int64_t c = lo; c <= hi; ++c) {
    const Span s = PlaceBox(c, e, lo, hi);
    w.First.push_back(static_cast<std::int32_t>(s.First));
    w.Last.push_back(static_cast<std::int32_t>(s.Last));
    w.Count.push_back(static_cast<std::int32_t>(s.Count(1)));
  }
  return w;
}

}  // namespace sensor::waferon
