// Kernel: one row's move of the colour local search's band (channel_bands.h)
// in a single pass over the columns, a few hundred at a time: the three planes
// of 32-bit column sums take the entering row and give up the leaving one,
// their prefix sums follow, and the inner pixels of the searched row whose
// box is complete by then are marked. What a stretch writes is read again
// while it is still near the processor, instead of three passes over the
// whole row each evicting the others' data.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "waferon/kernels/channel_plane_updates.h"
#include "waferon/kernels/search_mark_rows.h"
#include "waferon/kernels/waferon_kernels.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

// Columns per stretch: its column sums and prefix sums of three planes (6 KiB)
// stay in the first-level cache with the rows' pixels.
constexpr std::int64_t kBandStretch = 256;

// p[i + 1] = p[i] + c[i] for i < count, wrapping modulo 2^32; p[0] is the
// running sum so far. Integer sums in another order give the same values.
inline void RunningSums(const std::uint32_t* __restrict c, std::uint32_t* __restrict p, std::int64_t count) {
  std::int64_t i = 0;
#if defined(__AVX2__)
  __m256i carry = _mm256_set1_epi32(static_cast<int>(p[0]));
  const __m256i last = _mm256_set1_epi32(7);
  for (; i + 8 <= count; i += 8) {
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
    x = _mm256_add_epi32(x, _mm256_slli_si256(x, 4));
    x = _mm256_add_epi32(x, _mm256_slli_si256(x, 8));
    const __m256i low = _mm256_permute2x128_si256(x, x, 0x08);
    x = _mm256_add_epi32(x, _mm256_shuffle_epi32(low, _MM_SHUFFLE(3, 3, 3, 3)));
    const __m256i total = _mm256_permutevar8x32_epi32(x, last);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 1), _mm256_add_epi32(x, carry));
    carry = _mm256_add_epi32(carry, total);
  }
#else
  __m128i carry = _mm_set1_epi32(static_cast<int>(p[0]));
  for (; i + 4 <= count; i += 4) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
    x = _mm_add_epi32(x, _mm_slli_si128(x, 4));
    x = _mm_add_epi32(x, _mm_slli_si128(x, 8));
    const __m128i total = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 1), _mm_add_epi32(x, carry));
    carry = _mm_add_epi32(carry, total);
  }
#endif
  for (; i < count; ++i) p[i + 1] = p[i] + c[i];
}

template <int kBpp, bool kPercent>
inline void MoveBand(const ColourBandMove& move, const ColourInnerRequest<kPercent>& mark) {
  const std::int64_t n = move.Columns;
  std::uint32_t* planes[3] = {move.Planes, move.Planes + n, move.Planes + 2 * n};
  std::uint32_t* prefix[3] = {move.Prefix, move.Prefix + (n + 1), move.Prefix + 2 * (n + 1)};
  for (std::uint32_t* p : prefix) p[0] = 0;
  const bool moving = move.Enter != nullptr || move.Leave != nullptr;
  std::int64_t k = mark.First;  // the next pixel to mark
  for (std::int64_t c0 = 0; c0 < n; c0 += kBandStretch) {
    const std::int64_t count = std::min(kBandStretch, n - c0);
    if (moving) {
      UpdatePlanes<kBpp>(move.Enter != nullptr ? move.Enter + c0 * kBpp : nullptr,
                         move.Leave != nullptr ? move.Leave + c0 * kBpp : nullptr, planes[0] + c0, planes[1] + c0,
                         planes[2] + c0, count);
    }
    for (int p = 0; p < 3; ++p) RunningSums(planes[p] + c0, prefix[p] + c0, count);
    // Pixels whose box ends by this stretch's last column.
    const std::int64_t until = std::min(mark.Last, c0 + count - mark.Half);
    if (mark.Marks != nullptr && k < until) {
      MarkColourBoxes<kBpp, kPercent>(prefix[0], prefix[1], prefix[2], mark.Row, mark.Marks, k, until, mark.Half,
                                      mark.Gate);
      k = until;
    }
  }
}

template <bool kPercent>
SENSOR_KERNEL void MoveColourBand(const ColourBandMove& move, const ColourInnerRequest<kPercent>& mark) {
  if (move.BytesPerPixel == 4) {
    MoveBand<4, kPercent>(move, mark);
  } else {
    MoveBand<3, kPercent>(move, mark);
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
