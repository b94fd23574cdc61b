// The two colour-mode searches. Each tests every pixel of the scan area and the
// region of interest, forms the mean of one colour byte over a square box
// around it and marks the pixel when the mean leaves the band. Both return the
// number of candidates marked.
#pragma once

#include <cstdint>

#include "glazet/core/window_search_setup.h"

namespace sensor::glazet {

// Global: the band lies around setup.Reference (the colour's level statistic);
// the box has setup.SmallSize.
std::int64_t GlobalColourSearch(const WindowSearchSetup& setup);

// Local: the band lies around the mean of the large box around the same pixel.
std::int64_t LocalColourSearch(const WindowSearchSetup& setup);

}  // namespace sensor::glazet
