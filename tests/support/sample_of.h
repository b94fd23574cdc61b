// The sample of one pixel by a run's sample rule, through the form the row
// loops compile (SampleOfPixel), for the tests' plain pixel-by-pixel rules.
#pragma once

#include <cstdint>

#include "common/sample_rule.h"

namespace sensor::test {

inline std::uint32_t SampleOf(SampleRule rule, const std::uint8_t* pixel, int bytesPerPixel) {
  const bool four = bytesPerPixel == 4;
  switch (rule.Shift) {
    case 2: return four ? SampleOfPixel<4, 2>(pixel) : SampleOfPixel<3, 2>(pixel);
    case 4: return four ? SampleOfPixel<4, 4>(pixel) : SampleOfPixel<3, 4>(pixel);
    default: return four ? SampleOfPixel<4, 0>(pixel) : SampleOfPixel<3, 0>(pixel);
  }
}

}  // namespace sensor::test
