// Asking the processor for memory a loop will read soon. A row of a bottom-up
// picture lies below the previous one in memory, so reading a picture top row
// first jumps backwards at every row, where the processor's own prefetching
// starts afresh; a loop that knows its next row asks for it while it works on
// the current one. Prefetches never fault and never change results.
#pragma once

#include <cstdint>

namespace sensor {

inline constexpr std::int64_t kCacheLine = 64;

// Asks for the `bytes` that start at p.
inline void PrefetchBytes(const std::uint8_t* p, std::int64_t bytes) {
  for (std::int64_t line = 0; line < bytes; line += kCacheLine) __builtin_prefetch(p + line);
}

}  // namespace sensor
