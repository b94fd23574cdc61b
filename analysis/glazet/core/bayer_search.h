// The two Bayer-mode searches. Each tests every pixel of one Bayer position in
// the scan area and the region of interest, forms the mean of a same-colour
// window around it (every second column and row) and marks the pixel when the
// mean leaves the band. Both return the number of candidates marked.
#pragma once

#include <cstdint>

#include "glazet/core/window_search_setup.h"

namespace sensor::glazet {

// Global: the band lies around setup.Reference (the position's level
// statistic); the window has setup.SmallSize.
std::int64_t GlobalBayerSearch(const WindowSearchSetup& setup);

// Local: the band lies around the mean of the large window; the inner mean
// covers the part of the small window that lies inside the large one.
std::int64_t LocalBayerSearch(const WindowSearchSetup& setup);

}  // namespace sensor::glazet
