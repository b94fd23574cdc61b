// A test picture bound for the searches, with its own defect map.
#pragma once

#include <cstdint>
#include <vector>

#include "common/image_binding.h"
#include "common/levels.h"
#include "glazet/core/window_search_setup.h"
#include "test_image.h"

namespace sensor::glazet::test {

struct BoundPicture {
  sensor::test::TestImage Image;
  std::vector<std::uint8_t> Map;
  WindowSearchSetup Setup;

  BoundPicture(std::int32_t width, std::int32_t height, std::uint16_t bitCount = 24,
               bool topDown = false)
      : Image(width, height, bitCount, topDown),
        Map(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {
    BindBitmap(Image.Header(), Image.Pixels(), Setup.Image);
    Setup.ScanArea = Setup.Image.Bounds();
    Setup.RegionOfInterest = Setup.Image.Bounds();
    Setup.Map = Map.data();
  }

  bool Marked(std::int32_t x, std::int32_t y) const {
    return Map[static_cast<std::size_t>(y) * static_cast<std::size_t>(Image.Width()) +
               static_cast<std::size_t>(x)] != 0;
  }
  int MarkCount() const {
    int n = 0;
    for (std::uint8_t m : Map) n += m != 0;
    return n;
  }
  void ClearMap() { std::fill(Map.begin(), Map.end(), 0); }
};

}  // namespace sensor::glazet::test
