// Console services shared by the libraries and the test programs.
#pragma once

#include <cstdint>

namespace sensor {

// Waits for one key press. Standard output is flushed first. On a terminal the
// key is read without echo (raw mode, restored afterwards); otherwise one byte
// is read, and end of input returns at once, so pipes and CI never hang.
void WaitForKey();

// Milliseconds of a monotonic clock, wrapped to 32 bits unsigned; differences
// taken in unsigned 32-bit arithmetic stay right across a wrap.
std::uint32_t TickCount();

}  // namespace sensor
