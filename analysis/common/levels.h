// The level statistics: five means in the order R, G, B, G1, G2.
//
// One computation serves the three libraries: the chip library takes it over its
// search region, the package library over its scan area and the level library
// over its measurement window. Sums are exact 64-bit integers; each mean is the
// sum converted to double divided by the count converted to double.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/image_binding.h"
#include "common/rect.h"
#include "sensordefect/ImageView.h"

namespace sensor {

using LevelSet = std::array<double, 5>;

// Colour levels: mean red (byte 2), green (byte 1) and blue (byte 0) over the
// rectangle; G1 and G2 are 0. All five are 0 when the rectangle is empty.
LevelSet ColourLevels(const ImageBinding& image, const Rect& region);

// Bayer levels: mean sample of each Bayer position, positions counted from the
// rectangle's top-left pixel; G is always 0, and so is a position with no site.
LevelSet BayerLevels(const ImageBinding& image, const Rect& region, std::int32_t sensorBpp,
                     std::int32_t testBpp);

// The same Bayer levels of a single-sample view (Bayer8 or Bayer16, samples at
// most 2^sensorBpp - 1, as checked by the caller), read straight from its
// samples: exactly what BayerLevels gives over the view's samples converted
// into station pixels, without the conversion.
LevelSet BayerLevelsOfSamples(const sensordefect::ImageView& view, const Rect& region, std::int32_t sensorBpp,
                              std::int32_t testBpp);

// Hands the five levels out to a host's outputs in the order R, G, B, G1, G2;
// an output that is null is left out. The get_Ostrel of every library.
inline void HandOutLevels(const LevelSet& levels, double* r, double* g, double* b, double* g1,
                          double* g2) {
  double* outputs[5] = {r, g, b, g1, g2};
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (outputs[i] != nullptr) *outputs[i] = levels[i];
  }
}

}  // namespace sensor
