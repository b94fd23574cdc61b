// The four package searches written the plain way, as the tests' yardstick for
// the library's band scans: every window re-summed pixel by pixel and every
// mean divided out.
#pragma once

#include <cstdint>

#include "glazet/core/window_search_setup.h"

namespace sensor::glazet::reference {

enum class Kind { GlobalBayer, LocalBayer, GlobalColour, LocalColour };

// Whether the pixel at (x, y) is tested and its window mean leaves the band.
bool Marks(const WindowSearchSetup& setup, Kind kind, std::int64_t x, std::int64_t y);

// The whole search: marks setup.Map and returns the number of candidates.
std::int64_t Search(const WindowSearchSetup& setup, Kind kind);

}  // namespace sensor::glazet::reference
