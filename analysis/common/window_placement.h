// Placement of the local windows along one axis.
//
// A window is centred on its pixel and, where it would reach past an edge of
// the analysed region, moved inward. When the region is smaller than the window
// even the moved window reaches past the far edge; it is then cut to the region,
// so that no window ever reads outside the region. Whenever the window fits,
// the cut changes nothing.
#pragma once

#include <cstdint>

namespace sensor {

// Inclusive range of columns (or rows); empty when Last < First.
struct Span {
  std::int64_t First = 0;
  std::int64_t Last = -1;

  bool Empty() const { return Last < First; }
  bool Contains(std::int64_t v) const { return v >= First && v <= Last; }
  // Positions First, First + step, ... up to Last.
  std::int64_t Count(std::int64_t step) const { return Empty() ? 0 : (Last - First) / step + 1; }
};

// Window of the sites of one Bayer colour: every second position from c - h to
// c + h (h even). Past an edge by d it moves inward by the smallest even amount
// not below d, so it keeps the parity of c; then it is cut to [lo, hi] on
// positions of that parity.
inline Span PlaceSiteWindow(std::int64_t c, std::int64_t h, std::int64_t lo, std::int64_t hi) {
  Span s{c - h, c + h};
  if (s.First < lo) {
    const std::int64_t shift = 2 * ((lo - s.First - 1) / 2) + 2;
    s.First += shift;
    s.Last += shift;
  } else if (s.Last > hi) {
    const std::int64_t shift = 2 * ((s.Last - hi - 1) / 2) + 2;
    s.First -= shift;
    s.Last -= shift;
  }
  if (s.First < lo) s.First += 2 * ((lo - s.First + 1) / 2);
  if (s.Last > hi) s.Last -= 2 * ((s.Last - hi + 1) / 2);
  return s;
}

// Box of every position from c - k to c + k. Past an edge it moves inward until
// it touches that edge; then it is cut to [lo, hi].
inline Span PlaceBox(std::int64_t c, std::int64_t k, std::int64_t lo, std::int64_t hi) {
  Span s{c - k, c + k};
  if (s.First < lo) {
    s.Last += lo - s.First;
    s.First = lo;
  } else if (s.Last > hi) {
    s.First -= s.Last - hi;
    s.Last = hi;
  }
  if (s.First < lo) s.First = lo;
  if (s.Last > hi) s.Last = hi;
  return s;
}

}  // namespace sensor
