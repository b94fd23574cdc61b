// Kernel: the running count of candidate positions over the cluster count's
// bit grid (clusters.cpp), one popcount per 64-bit word of two-bit pairs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "common/precondition.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

// Set bits of x: one instruction where the set has it, else a few shifts and
// adds in registers.
inline int CountBits(std::uint64_t x) {
#if defined(__POPCNT__)
  return __builtin_popcountll(x);
#else
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((x * 0x0101010101010101ull) >> 56);
#endif
}

SENSOR_KERNEL void CountMarkedPairs(const std::uint64_t* __restrict words, std::uint32_t* __restrict before,
                                    std::size_t n) {
  SENSOR_KERNEL_PRECONDITION(n == 0 || (words != nullptr && before != nullptr));
  constexpr std::uint64_t kLowBits = 0x5555555555555555ull;
  std::uint32_t count = 0;
  for (std::size_t w = 0; w < n; ++w) {
    before[w] = count;
    count += static_cast<std::uint32_t>(CountBits(words[w] & kLowBits));
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
