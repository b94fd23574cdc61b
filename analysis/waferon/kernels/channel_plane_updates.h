// The colour local search's band update over three planes of red, green and
// blue column sums (channel_bands.h), in 16- or 32-bit lanes.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "waferon/kernels/search_mark_rows.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

// Adds row `enter` of 32-bit pixels to three planes of 16-bit sums and
// subtracts row `leave`, sixteen pixels a step, returning the first column
// left to the plain loop. A pixel's blue and red bytes are the low bytes of
// its two 16-bit halves, green the high byte of the low one, so the
// differences of the two rows come per 16-bit lane without widening (each
// between -255 and 255, exact modulo 2^16), and are then sorted into planes.
inline std::int64_t MovePlanes16(const std::uint8_t* __restrict enter, const std::uint8_t* __restrict leave,
                                 std::uint16_t* __restrict red, std::uint16_t* __restrict green,
                                 std::uint16_t* __restrict blue, std::int64_t n) {
  std::int64_t i = 0;
#if defined(__AVX2__)
  const __m256i low = _mm256_set1_epi16(0xFF);
  // Per 128-bit half: the even 16-bit lanes to the low 8 bytes, the odd ones
  // to the high 8 bytes.
  const __m256i split = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15,
                                         0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
  const auto load = [](const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); };
  const auto add = [&](std::uint16_t* plane, __m256i d) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane + i), _mm256_add_epi16(load(plane + i), d));
  };
  for (; i + 16 <= n; i += 16) {
    const __m256i e0 = load(enter + i * 4), e1 = load(enter + i * 4 + 32);
    const __m256i l0 = load(leave + i * 4), l1 = load(leave + i * 4 + 32);
    // Blue and red, green and the fourth byte, of pixels 0-3 | 4-7 and 8-11 | 12-15.
    const __m256i br0 = _mm256_shuffle_epi8(
        _mm256_sub_epi16(_mm256_and_si256(e0, low), _mm256_and_si256(l0, low)), split);
    const __m256i br1 = _mm256_shuffle_epi8(
        _mm256_sub_epi16(_mm256_and_si256(e1, low), _mm256_and_si256(l1, low)), split);
    const __m256i g0 =
        _mm256_shuffle_epi8(_mm256_sub_epi16(_mm256_srli_epi16(e0, 8), _mm256_srli_epi16(l0, 8)), split);
    const __m256i g1 =
        _mm256_shuffle_epi8(_mm256_sub_epi16(_mm256_srli_epi16(e1, 8), _mm256_srli_epi16(l1, 8)), split);
    // 64-bit quarters: the four pixels of each, back in column order.
    constexpr int kOrder = _MM_SHUFFLE(3, 1, 2, 0);
    add(blue, _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(br0, br1), kOrder));
    add(red, _mm256_permute4x64_epi64(_mm256_unpackhi_epi64(br0, br1), kOrder));
    add(green, _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(g0, g1), kOrder));
  }
#else
  (void)enter, (void)leave, (void)red, (void)green, (void)blue, (void)n;
#endif
  return i;
}

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
    std::int64_t i = 0;
    if constexpr (kBpp == 4 && sizeof(Lane) == 2) i = MovePlanes16(enter, leave, red, green, blue, n);
    for (; i < n; ++i) {
      ChannelsOf<kBpp>(enter + i * kBpp, r, g, b);
      ChannelsOf<kBpp>(leave + i * kBpp, r0, g0, b0);
      red[i] = static_cast<Lane>(red[i] + (r - r0));
      green[i] = static_cast<Lane>(green[i] + (g - g0));
      blue[i] = static_cast<Lane>(blue[i] + (b - b0));
    }
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
