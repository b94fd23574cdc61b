// How a raw Bayer sample is read from the first two bytes of a pixel.
//
// At a test depth of 8 bits (or on an 8-bit sensor) the sample is byte 0. A 10-bit
// sensor tested at 10 or 12 bits gives (b0 << 2) | (b1 & 3); a 12-bit sensor gives
// (b0 << 4) | (b1 & 3). The low part keeps two bits in both forms.
#pragma once

#include <cstdint>
#include <cstring>

namespace sensor {

// True for the bit-depth pairs the libraries accept in Bayer mode: the sensor
// depth is 8, 10 or 12, and the test depth is 8, 10 or 12 and not above it.
inline bool ValidBitDepths(std::int32_t sensorBpp, std::int32_t testBpp) {
  auto allowed = [](std::int32_t bpp) { return bpp == 8 || bpp == 10 || bpp == 12; };
  return allowed(sensorBpp) && testBpp <= sensorBpp && allowed(testBpp);
}

struct SampleRule {
  // 0: the sample is byte 0; otherwise byte 0 shifted left by this many bits,
  // combined with the two low bits of byte 1.
  int Shift = 0;

  static SampleRule For(std::int32_t sensorBpp, std::int32_t testBpp) {
    if (testBpp == 8) return SampleRule{0};
    if (sensorBpp == 10) return SampleRule{2};
    if (sensorBpp == 12) return SampleRule{4};
    return SampleRule{0};
  }
};

// The sample rule compiled for one pixel size and shift, for the row loops:
// a 32-bit pixel is read as one word, which vector loops turn into shifts and
// masks.
template <int kBytesPerPixel, int kShift>
inline std::uint32_t SampleOfPixel(const std::uint8_t* pixel) {
  if constexpr (kBytesPerPixel == 4) {
    std::uint32_t word;
    std::memcpy(&word, pixel, sizeof word);
    if constexpr (kShift == 0) {
      return word & 255u;
    } else {
      return ((word & 255u) << kShift) | ((word >> 8) & 3u);
    }
  } else {
    if constexpr (kShift == 0) {
      return pixel[0];
    } else {
      return (std::uint32_t{pixel[0]} << kShift) | (pixel[1] & 3u);
    }
  }
}

// Bayer position of a site, by its offsets from the analysed region's top-left
// pixel: even row even column G1, even row odd column R, odd row even column B,
// odd row odd column G2.
inline std::int32_t BayerColourIndex(std::int64_t dx, std::int64_t dy) {
  static constexpr std::int32_t kByParity[2][2] = {{3, 0}, {2, 4}};
  return kByParity[dy & 1][dx & 1];
}

}  // namespace sensor
