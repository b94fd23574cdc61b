// The picture a review image is drawn on: 8-bit RGB pixels, rows top first,
// and the few shapes the review draws. Every shape is clipped to the canvas,
// so a mark at the picture's edge draws what falls inside.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace sensor::review {

struct Rgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  bool operator==(const Rgb&) const = default;
};

class Canvas {
 public:
  Canvas() = default;
  // A canvas of width x height pixels of one colour (sizes below 0 count as 0).
  Canvas(std::int32_t width, std::int32_t height, Rgb background);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Row y's first byte: Width() pixels of R, G, B.
  const std::uint8_t* Row(std::int32_t y) const { return pixels_.data() + Offset(0, y); }
  std::uint8_t* Row(std::int32_t y) { return pixels_.data() + Offset(0, y); }

  Rgb At(std::int32_t x, std::int32_t y) const;
  void Set(std::int32_t x, std::int32_t y, Rgb colour);
  // The inclusive rectangle filled.
  void Fill(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, Rgb colour);
  // The outline of the inclusive rectangle, `thickness` pixels inwards.
  void Outline(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
               std::int32_t thickness, Rgb colour);
  // The outline drawn in dashes of `dash` pixels on and off.
  void DashedOutline(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     std::int32_t thickness, std::int32_t dash, Rgb colour);
  // A ring of the given outer radius and thickness around the centre.
  void Ring(std::int32_t centreX, std::int32_t centreY, std::int32_t radius, std::int32_t thickness,
            Rgb colour);
  // The pixels, rows top first, handed over; the canvas is left empty.
  std::vector<std::uint8_t> TakePixels() && {
    width_ = height_ = 0;
    return std::move(pixels_);
  }
  // `source` copied with its top-left pixel at (x, y).
  void Paste(const Canvas& source, std::int32_t x, std::int32_t y);

 private:
  std::size_t Offset(std::int32_t x, std::int32_t y) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
  }
  bool Inside(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace sensor::review
