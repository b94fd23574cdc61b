// Inclusive rectangles of image columns and rows, counted from the top-left corner.
#pragma once

#include <algorithm>
#include <cstdint>

namespace sensor {

struct Rect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;

  bool Empty() const { return Right < Left || Bottom < Top; }
  bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= Left && x <= Right && y >= Top && y <= Bottom;
  }
  std::int64_t Columns() const { return Empty() ? 0 : std::int64_t{Right} - Left + 1; }
  std::int64_t Rows() const { return Empty() ? 0 : std::int64_t{Bottom} - Top + 1; }
};

// Rectangle left after removing the four margins from a width x height image.
// Computed in 64 bits so that no margin, however large, wraps around.
inline Rect InsetRect(std::int32_t width, std::int32_t height, std::int32_t left, std::int32_t top,
                      std::int32_t right, std::int32_t bottom) {
  auto clampEdge = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return Rect{left, top, clampEdge(std::int64_t{width} - right - 1),
              clampEdge(std::int64_t{height} - bottom - 1)};
}

// True when any of the four margins is negative: such a margin would put the
// inset rectangle outside the picture, and every library refuses it.
inline bool AnyNegativeMargin(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom) {
  return left < 0 || top < 0 || right < 0 || bottom < 0;
}

inline Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom)};
}

}  // namespace sensor
