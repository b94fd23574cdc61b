// Kernel: the colour local search's band update over three 32-bit planes of
// red, green and blue column sums side by side (channel_bands.h).
#pragma once

#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "waferon/kernels/search_mark_rows.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

template <int kBpp>
inline void UpdatePlanes(const std::uint8_t* __restrict enter, const std::uint8_t* __restrict leave,
                         std::uint32_t* __restrict red, std::uint32_t* __restrict green,
                         std::uint32_t* __restrict blue, std::int64_t n) {
  std::uint32_t r, g, b, r0, g0, b0;
  if (leave == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(enter + i * kBpp, r, g, b);
      red[i] += r;
      green[i] += g;
      blue[i] += b;
    }
  } else if (enter == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(leave + i * kBpp, r, g, b);
      red[i] -= r;
      green[i] -= g;
      blue[i] -= b;
    }
  } else {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(enter + i * kBpp, r, g, b);
      ChannelsOf<kBpp>(leave + i * kBpp, r0, g0, b0);
      red[i] += r - r0;
      green[i] += g - g0;
      blue[i] += b - b0;
    }
  }
}

SENSOR_KERNEL void UpdateChannelPlanes(const std::uint8_t* enter, const std::uint8_t* leave,
                                       std::uint32_t* __restrict planes, std::int64_t n, int bytesPerPixel) {
  if (bytesPerPixel == 4) {
    UpdatePlanes<4>(enter, leave, planes, planes + n, planes + 2 * n, n);
  } else {
    UpdatePlanes<3>(enter, leave, planes, planes + n, planes + 2 * n, n);
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
