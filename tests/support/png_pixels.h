// A PNG file decoded to 8-bit RGB for the tests (libpng's simplified reader).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sensor::test {

struct PngPixels {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Rgb;  // rows top first

  const std::uint8_t* At(std::int32_t x, std::int32_t y) const {
    return Rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)) * 3;
  }
};

// Nothing when the file cannot be read or is no PNG.
std::optional<PngPixels> ReadPngPixels(const std::string& path);
// The same of a PNG file's bytes.
std::optional<PngPixels> DecodePngPixels(const std::string& bytes);

}  // namespace sensor::test
