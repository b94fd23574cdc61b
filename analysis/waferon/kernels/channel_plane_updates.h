// The colour local search's band update over three planes of red, green and
// blue column sums (channel_bands.h), in 16- or 32-bit lanes.
#pragma once

#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "waferon/kernels/search_mark_rows.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

template <int kBpp, class Lane>
inline void UpdatePlanes(const std::uint8_t* __restrict enter, const std::uint8_t* __restrict leave,
                         Lane* __restrict red, Lane* __restrict green, Lane* __restrict blue, std::int64_t n) {
  std::uint32_t r, g, b, r0, g0, b0;
  if (leave == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(enter + i * kBpp, r, g, b);
      red[i] = static_cast<Lane>(red[i] + r);
      green[i] = static_cast<Lane>(green[i] + g);
      blue[i] = static_cast<Lane>(blue[i] + b);
    }
  } else if (enter == nullptr) {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(leave + i * kBpp, r, g, b);
      red[i] = static_cast<Lane>(red[i] - r);
      green[i] = static_cast<Lane>(green[i] - g);
      blue[i] = static_cast<Lane>(blue[i] - b);
    }
  } else {
    for (std::int64_t i = 0; i < n; ++i) {
      ChannelsOf<kBpp>(enter + i * kBpp, r, g, b);
      ChannelsOf<kBpp>(leave + i * kBpp, r0, g0, b0);
      red[i] = static_cast<Lane>(red[i] + (r - r0));
      green[i] = static_cast<Lane>(green[i] + (g - g0));
      blue[i] = static_cast<Lane>(blue[i] + (b - b0));
    }
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
