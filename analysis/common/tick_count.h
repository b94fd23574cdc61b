// The clock the libraries time their searches with.
#pragma once

#include <cstdint>

namespace sensor {

// Milliseconds of a monotonic clock, wrapped to 32 bits unsigned; differences
// taken in unsigned 32-bit arithmetic stay right across a wrap.
std::uint32_t TickCount();

}  // namespace sensor
