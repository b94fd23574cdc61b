// PNG files of the programs' pictures (the compact defect map, the review
// picture), encoded in memory: with libpng at its default compression (a file
// that is kept), or for speed (a picture that is looked at): cheap row
// filters and a fast deflate on every core (png_parallel_encoder.h). Both
// decode to the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sensor::frontend {

enum class PngSpeed { Smallest, Fast };

// A grey or RGB picture of 1- or 8-bit samples, rows top row first, each row
// packed as PNG stores it (1-bit: eight pixels a byte, the leftmost in the
// highest bit).
struct PngPicture {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  int BitDepth = 8;     // 1 (grey only) or 8
  bool Colour = false;  // RGB when set, grey otherwise
  std::vector<unsigned char> Rows;
  PngSpeed Speed = PngSpeed::Smallest;

  std::size_t RowBytes() const {
    const std::size_t samples = std::size_t{Width} * (Colour ? 3 : 1);
    return BitDepth == 1 ? (samples + 7) / 8 : samples;
  }
};

// The PNG file's bytes; nothing, with `problem` set, when the picture is not
// one that PNG holds (zero or oversized dimensions, rows of the wrong length)
// or libpng fails.
std::optional<std::string> EncodePng(const PngPicture& picture, std::string& problem);

}  // namespace sensor::frontend
