// Kernel: one row's move of the colour local search's band (channel_bands.h)
// in a single pass over the columns, a few hundred at a time: the three planes
// of 16- or 32-bit column sums take the entering row and give up the leaving one,
// their prefix sums follow, and the inner pixels of the searched row whose
// box is complete by then are marked. What a stretch writes is read again
// while it is still near the processor, instead of three passes over the
// whole row each evicting the others' data.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "common/kernels/kernel_set.h"
#include "common/kernels/prefix_sum_rows.h"
#include "common/precondition.h"
#include "waferon/kernels/channel_plane_updates.h"
#include "waferon/kernels/search_mark_rows.h"
#include "waferon/kernels/waferon_kernels.h"

namespace sensor::waferon::kernels::SENSOR_KERNEL_SET {

// Columns per stretch: its column sums and prefix sums of three planes (at
// most 6 KiB) stay in the first-level cache with the rows' pixels.
constexpr std::int64_t kBandStretch = 256;

// p[i + 1] = p[i] + c[i] for i < count, wrapping modulo the lane's range; p[0]
// is the running sum so far: the common prefix kernel's loop for 32-bit sums,
// and for 16-bit ones the same steps at twice the columns per vector.
inline void RunningSums(const std::uint32_t* __restrict c, std::uint32_t* __restrict p, std::int64_t count) {
  sensor::kernels::SENSOR_KERNEL_SET::BuildPrefix32(c, p, static_cast<std::size_t>(count), 1);
}

inline void RunningSums(const std::uint16_t* __restrict c, std::uint16_t* __restrict p, std::int64_t count) {
  std::int64_t i = 0;
#if defined(__AVX2__)
  __m256i carry = _mm256_set1_epi16(static_cast<short>(p[0]));
  const __m256i last = _mm256_set1_epi32(7);
  // Bytes 2 and 3 of every 32-bit lane: its high word.
  const __m256i lastWord = _mm256_set1_epi16(0x0302);
  for (; i + 16 <= count; i += 16) {
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 2));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 4));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 8));
    // The low half's last word carried into every word of the high half.
    __m256i low = _mm256_permute2x128_si256(x, x, 0x08);
    low = _mm256_shuffle_epi32(_mm256_shufflehi_epi16(low, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    x = _mm256_add_epi16(x, low);
    const __m256i total = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(x, last), lastWord);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 1), _mm256_add_epi16(x, carry));
    carry = _mm256_add_epi16(carry, total);
  }
#else
  __m128i carry = _mm_set1_epi16(static_cast<short>(p[0]));
  for (; i + 8 <= count; i += 8) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
    x = _mm_add_epi16(x, _mm_slli_si128(x, 2));
    x = _mm_add_epi16(x, _mm_slli_si128(x, 4));
    x = _mm_add_epi16(x, _mm_slli_si128(x, 8));
    const __m128i total =
        _mm_shuffle_epi32(_mm_shufflehi_epi16(x, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 1), _mm_add_epi16(x, carry));
    carry = _mm_add_epi16(carry, total);
  }
#endif
  for (; i < count; ++i) p[i + 1] = static_cast<std::uint16_t>(p[i] + c[i]);
}

// The marks of the absolute rule over 16-bit box sums, sixteen 32-bit pixels
// per step, in 16-bit lanes: a box's channel sum S and v x Count (a channel
// value of at most 255 times at most 257 pixels) both stay below 2^16, so
// |S - v x Count| is exact as two saturating differences, and it exceeds the
// limit (at most 65,535 here) exactly when its saturating difference from the
// limit is not 0. Returns the first pixel left to the plain loop.
inline std::int64_t MarkNarrowBoxes(const std::uint16_t* __restrict red, const std::uint16_t* __restrict green,
                                    const std::uint16_t* __restrict blue, const std::uint8_t* __restrict row,
                                    std::uint8_t* __restrict marks, std::int64_t k, std::int64_t last,
                                    std::int64_t half, const NarrowGate<false>& gate) {
#if defined(__AVX2__)
  if (gate.Limit < 0 || gate.Count > 257) return k;
  const __m256i count = _mm256_set1_epi16(static_cast<short>(gate.Count));
  const __m256i limit = _mm256_set1_epi16(static_cast<short>(std::min(gate.Limit, 65535)));
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const auto load = [](const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); };
  // One channel of sixteen pixels in 16-bit lanes, in order.
  const auto channel = [&](__m256i w0, __m256i w1, int shift) {
    const __m256i c0 = _mm256_and_si256(_mm256_srli_epi32(w0, shift), byte);
    const __m256i c1 = _mm256_and_si256(_mm256_srli_epi32(w1, shift), byte);
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(c0, c1), _MM_SHUFFLE(3, 1, 2, 0));
  };
  // Nonzero lanes: the channel may pass.
  const auto passes = [&](const std::uint16_t* prefix, std::int64_t at, __m256i value) {
    const __m256i sum = _mm256_sub_epi16(load(prefix + at + half + 1), load(prefix + at - half));
    const __m256i scaled = _mm256_mullo_epi16(value, count);
    const __m256i deviation = _mm256_or_si256(_mm256_subs_epu16(sum, scaled), _mm256_subs_epu16(scaled, sum));
    return _mm256_subs_epu16(deviation, limit);
  };
  for (; k + 16 <= last; k += 16) {
    const __m256i w0 = load(row + k * 4), w1 = load(row + k * 4 + 32);
    const __m256i any = _mm256_or_si256(
        _mm256_or_si256(passes(red, k, channel(w0, w1, 16)), passes(green, k, channel(w0, w1, 8))),
        passes(blue, k, channel(w0, w1, 0)));
    // 0xFF bytes where no channel passes, then 1 where one does.
    const __m256i none = _mm256_cmpeq_epi16(any, _mm256_setzero_si256());
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packs_epi16(none, none), _MM_SHUFFLE(3, 1, 2, 0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(marks + k),
                     _mm_add_epi8(_mm256_castsi256_si128(bytes), _mm_set1_epi8(1)));
  }
#else
  (void)red, (void)green, (void)blue, (void)row, (void)marks, (void)last, (void)half, (void)gate;
#endif
  return k;
}

// Whether no inner pixel of [a, b) may pass the absolute rule's gate, from
// bounds alone: every box of those pixels lies within the columns
// a - half .. b - 1 + half, so with W = 2 half + 1 columns a box's channel sum
// S lies in [W Cmin, W Cmax], Cmin and Cmax the least and largest column sum
// there, and a channel value v of the pixels in [vmin, vmax]. Then
// |S - v Count| is at most the larger of W Cmax - vmin Count and
// vmax Count - W Cmin, and a pixel whose deviation is not above the limit
// cannot pass.
inline bool StretchBelowGate(const std::uint16_t* const (&planes)[3], const std::uint8_t* __restrict row,
                             std::int64_t a, std::int64_t b, std::int64_t half, const NarrowGate<false>& gate) {
  const std::int64_t w = 2 * half + 1;
  std::uint32_t low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  for (std::int64_t k = a; k < b; ++k) {
    std::uint32_t v[3];
    ChannelsOf<4>(row + k * 4, v[0], v[1], v[2]);
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], v[c]);
      high[c] = std::max(high[c], v[c]);
    }
  }
  for (int c = 0; c < 3; ++c) {
    const std::uint16_t* column = planes[c];
    std::uint16_t least = 65535, largest = 0;
    for (std::int64_t i = a - half; i < b + half; ++i) {
      least = std::min(least, column[i]);
      largest = std::max(largest, column[i]);
    }
    const std::int64_t above = w * largest - std::int64_t{low[c]} * gate.Count;
    const std::int64_t below = std::int64_t{high[c]} * gate.Count - w * least;
    if (std::max(above, below) > gate.Limit) return false;
  }
  return true;
}

// The row move of 32-bit pixels with 16-bit sums under the absolute rule,
// for rows whose stretches are mostly flat: after the planes' update,
// stretches whose pixels are all below the gate by the bounds above
// (StretchBelowGate) take no marks, and no prefix sums unless a neighbouring
// stretch's marked pixels or the row's edge pixels have boxes reaching into
// them. move.Flags holds two bytes a stretch.
inline void MoveFlatBand(const ColourBandMove<std::uint16_t>& move, const ColourInnerRequest<false>& mark) {
  const std::int64_t n = move.Columns, half = mark.Half;
  std::uint16_t* planes[3] = {move.Planes, move.Planes + n, move.Planes + 2 * n};
  std::uint16_t* prefix[3] = {move.Prefix, move.Prefix + (n + 1), move.Prefix + 2 * (n + 1)};
  const std::uint16_t* const columns[3] = {planes[0], planes[1], planes[2]};
  if (move.Enter != nullptr || move.Leave != nullptr) {
    UpdatePlanes<4>(move.Enter, move.Leave, planes[0], planes[1], planes[2], n);
  }
  const std::int64_t stretches = (n + kBandStretch - 1) / kBandStretch;
  std::uint8_t* marked = move.Flags;               // a pixel of the stretch may pass
  std::uint8_t* summed = move.Flags + stretches;   // the stretch's prefix sums are read
  for (std::int64_t s = 0; s < stretches; ++s) {
    const std::int64_t a = std::max(mark.First, s * kBandStretch);
    const std::int64_t b = std::min(mark.Last, (s + 1) * kBandStretch);
    marked[s] = a < b && !StretchBelowGate(columns, mark.Row, a, b, half, mark.Gate);
  }
  // Boxes are at most one stretch wide: a marked pixel's box reaches the
  // stretches beside its own, an edge box the first or the last two.
  for (std::int64_t s = 0; s < stretches; ++s) {
    summed[s] = marked[s] | (s > 0 && marked[s - 1]) | (s + 1 < stretches && marked[s + 1]) | (s == 0) |
                (s + 2 >= stretches);
  }
  // A box reads two prefix sums of one run of summed stretches, which differ
  // by its sum whatever the run starts from: the sums of the other stretches
  // are left as they are.
  for (std::uint16_t* p : prefix) p[0] = 0;
  for (std::int64_t s = 0; s < stretches; ++s) {
    const std::int64_t c0 = s * kBandStretch, count = std::min(kBandStretch, n - c0);
    if (!summed[s]) continue;
    for (int p = 0; p < 3; ++p) RunningSums(planes[p] + c0, prefix[p] + c0, count);
  }
  for (std::int64_t s = 0; s < stretches; ++s) {
    const std::int64_t a = std::max(mark.First, s * kBandStretch);
    const std::int64_t b = std::min(mark.Last, (s + 1) * kBandStretch);
    if (a >= b) continue;
    if (!marked[s]) {
      // Vector stores: a kernel calls nothing, memset included.
      std::int64_t k = a;
      for (; k + 16 <= b; k += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(mark.Marks + k), _mm_setzero_si128());
      for (; k < b; ++k) mark.Marks[k] = 0;
      continue;
    }
    const std::int64_t k = MarkNarrowBoxes(prefix[0], prefix[1], prefix[2], mark.Row, mark.Marks, a, b, half,
                                           mark.Gate);
    MarkColourBoxes<4, false>(prefix[0], prefix[1], prefix[2], mark.Row, mark.Marks, k, b, half, mark.Gate);
  }
}

template <int kBpp, class Lane, bool kPercent>
inline void MoveBand(const ColourBandMove<Lane>& move, const ColourInnerRequest<kPercent>& mark) {
  if constexpr (kBpp == 4 && sizeof(Lane) == 2 && !kPercent) {
    if (move.Prefix != nullptr && move.Flags != nullptr && mark.Marks != nullptr && mark.Gate.Limit >= 0 &&
        mark.Gate.Count <= 257 && 2 * mark.Half + 1 <= kBandStretch) {
      MoveFlatBand(move, mark);
      return;
    }
  }
  const std::int64_t n = move.Columns;
  Lane* planes[3] = {move.Planes, move.Planes + n, move.Planes + 2 * n};
  const bool moving = move.Enter != nullptr || move.Leave != nullptr;
  if (move.Prefix == nullptr) {
    if (moving) UpdatePlanes<kBpp>(move.Enter, move.Leave, planes[0], planes[1], planes[2], n);
    return;
  }
  Lane* prefix[3] = {move.Prefix, move.Prefix + (n + 1), move.Prefix + 2 * (n + 1)};
  for (Lane* p : prefix) p[0] = 0;
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
      if constexpr (kBpp == 4 && sizeof(Lane) == 2 && !kPercent) {
        k = MarkNarrowBoxes(prefix[0], prefix[1], prefix[2], mark.Row, mark.Marks, k, until, mark.Half, mark.Gate);
      }
      MarkColourBoxes<kBpp, kPercent>(prefix[0], prefix[1], prefix[2], mark.Row, mark.Marks, k, until, mark.Half,
                                      mark.Gate);
      k = until;
    }
  }
}

template <class Lane, bool kPercent>
SENSOR_KERNEL void MoveColourBand(const ColourBandMove<Lane>& move, const ColourInnerRequest<kPercent>& mark) {
  SENSOR_KERNEL_PRECONDITION(move.BytesPerPixel == 3 || move.BytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(move.Columns >= 0 && (move.Columns == 0 || move.Planes != nullptr));
  // Marks, made where the prefix sums are, need a row of pixels.
  SENSOR_KERNEL_PRECONDITION(mark.Marks == nullptr || move.Prefix == nullptr ||
                             (mark.Row != nullptr && mark.Half >= 0));
  if (move.BytesPerPixel == 4) {
    MoveBand<4>(move, mark);
  } else {
    MoveBand<3>(move, mark);
  }
}

}  // namespace sensor::waferon::kernels::SENSOR_KERNEL_SET
