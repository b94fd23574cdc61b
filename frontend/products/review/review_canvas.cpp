#include "frontend/products/review/review_canvas.h"

#include <algorithm>
#include <cstring>

namespace sensor::review {

Canvas::Canvas(std::int32_t width, std::int32_t height, Rgb background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 3;
  const std::size_t size = rowBytes * static_cast<std::size_t>(height_);
  if (background.R == background.G && background.G == background.B) {
    pixels_.assign(size, background.R);
    return;
  }
  // The first row pixel by pixel, the others copies of it.
  pixels_.resize(size);
  if (size == 0) return;
  for (std::size_t i = 0; i < rowBytes; i += 3) {
    pixels_[i] = background.R;
    pixels_[i + 1] = background.G;
    pixels_[i + 2] = background.B;
  }
  for (std::size_t at = rowBytes; at < size; at += rowBytes) std::memcpy(pixels_.data() + at, pixels_.data(), rowBytes);
}

Rgb Canvas::At(std::int32_t x, std::int32_t y) const {
  if (!Inside(x, y)) return Rgb{};
  const std::uint8_t* p = pixels_.data() + Offset(x, y);
  return Rgb{p[0], p[1], p[2]};
}

void Canvas::Set(std::int32_t x, std::int32_t y, Rgb colour) {
  if (!Inside(x, y)) return;
  std::uint8_t* p = pixels_.data() + Offset(x, y);
  p[0] = colour.R;
  p[1] = colour.G;
  p[2] = colour.B;
}

void Canvas::Fill(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                  Rgb colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_ - 1);
  bottom = std::min(bottom, height_ - 1);
  for (std::int32_t y = top; y <= bottom; ++y) {
    for (std::int32_t x = left; x <= right; ++x) Set(x, y, colour);
  }
}

void Canvas::Outline(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     std::int32_t thickness, Rgb colour) {
  DashedOutline(left, top, right, bottom, thickness, 0, colour);
}

void Canvas::DashedOutline(std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom, std::int32_t thickness, std::int32_t dash,
                           Rgb colour) {
  if (right < left || bottom < top) return;
  // Position along the edge decides whether a dash is on.
  auto on = [dash](std::int32_t along) { return dash <= 0 || (along / dash) % 2 == 0; };
  for (std::int32_t t = 0; t < thickness; ++t) {
    for (std::int32_t x = left; x <= right; ++x) {
      if (!on(x - left)) continue;
      Set(x, top + t, colour);
      Set(x, bottom - t, colour);
    }
    for (std::int32_t y = top; y <= bottom; ++y) {
      if (!on(y - top)) continue;
      Set(left + t, y, colour);
      Set(right - t, y, colour);
    }
  }
}

void Canvas::Ring(std::int32_t centreX, std::int32_t centreY, std::int32_t radius,
                  std::int32_t thickness, Rgb colour) {
  const std::int64_t outer = std::int64_t{radius} * radius + radius;  // r + 1/2, squared, rounded
  const std::int64_t innerRadius = std::max<std::int64_t>(radius - thickness, 0);
  const std::int64_t inner = innerRadius * innerRadius + innerRadius;
  for (std::int32_t dy = -radius; dy <= radius; ++dy) {
    for (std::int32_t dx = -radius; dx <= radius; ++dx) {
      const std::int64_t d = std::int64_t{dx} * dx + std::int64_t{dy} * dy;
      if (d <= outer && (thickness >= radius || d > inner)) Set(centreX + dx, centreY + dy, colour);
    }
  }
}

void Canvas::Paste(const Canvas& source, std::int32_t x, std::int32_t y) {
  for (std::int32_t row = 0; row < source.Height(); ++row) {
    const std::int32_t to = y + row;
    if (to < 0 || to >= height_) continue;
    const std::int32_t first = std::max(0, -x);
    const std::int32_t last = std::min(source.Width(), width_ - x);
    if (first >= last) continue;
    std::memcpy(Row(to) + static_cast<std::size_t>(x + first) * 3,
                source.Row(row) + static_cast<std::size_t>(first) * 3,
                static_cast<std::size_t>(last - first) * 3);
  }
}

}  // namespace sensor::review
