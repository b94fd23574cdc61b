// Kernel: one row of the defect map painted into the picture
// (defect_map_bitmap.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/kernels/kernel_set.h"
#include "common/precondition.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

template <int kBytesPerPixel>
inline void PaintPixels(std::uint8_t* __restrict pixel, const std::uint8_t* __restrict marks, std::size_t width) {
  if constexpr (kBytesPerPixel == 4) {
    // Whole words: the fourth byte kept, the first three set at once.
    for (std::size_t x = 0; x < width; ++x) {
      std::uint32_t word;
      std::memcpy(&word, pixel + 4 * x, sizeof word);
      word = (word & 0xFF000000u) | (marks[x] != 0 ? 0u : 0x00FFFFFFu);
      std::memcpy(pixel + 4 * x, &word, sizeof word);
    }
  } else {
    for (std::size_t x = 0; x < width; ++x, pixel += 3) {
      const std::uint8_t shade = marks[x] != 0 ? 0 : 255;
      pixel[0] = shade;
      pixel[1] = shade;
      pixel[2] = shade;
    }
  }
}

SENSOR_KERNEL void PaintRow(std::uint8_t* __restrict pixels, const std::uint8_t* __restrict marks, std::size_t width,
                            int bytesPerPixel) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(width == 0 || (pixels != nullptr && marks != nullptr));
  if (bytesPerPixel == 4) {
    PaintPixels<4>(pixels, marks, width);
  } else {
    PaintPixels<3>(pixels, marks, width);
  }
}

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
