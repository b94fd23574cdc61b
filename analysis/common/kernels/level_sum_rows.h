// Kernels: the channel and Bayer sums of one row for the level statistics
// (levels.cpp). Sums are exact integers; the loops add bytes in narrow lanes
// that cannot carry into each other before they are widened.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "common/kernels/common_kernels.h"
#include "common/kernels/kernel_set.h"
#include "common/precondition.h"
#include "common/prefetch.h"

namespace sensor::kernels::SENSOR_KERNEL_SET {

// Byte lanes: a 32-bit word masked with 0x00FF00FF holds two bytes in 16-bit
// lanes. 256 such words add up without carrying from one lane into the next.
constexpr std::uint32_t kLaneMask = 0x00FF00FFu;
constexpr std::int64_t kLaneChunk = 256;

// A plain forward stream of a row reads faster when its next lines are on
// their way while the loop works: the loops ask for the memory a page ahead.
constexpr std::ptrdiff_t kPrefetchDistance = 4096;
inline void PrefetchAhead(const std::uint8_t* p, std::int64_t bytes) {
  PrefetchBytes(p + kPrefetchDistance, bytes);
}

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Blue, green and red sums of `count` 32-bit pixels.
inline void SumColour32(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
  while (count > 0) {
    const std::int64_t chunk = count < kLaneChunk ? count : kLaneChunk;
    std::uint32_t blueRed = 0, greenAlpha = 0;
    PrefetchAhead(p, 4 * chunk);
    for (std::int64_t i = 0; i < chunk; ++i) {
      const std::uint32_t w = Load32(p + 4 * i);
      blueRed += w & kLaneMask;
      greenAlpha += (w >> 8) & kLaneMask;
    }
    sums[0] += blueRed & 0xFFFFu;
    sums[1] += greenAlpha & 0xFFFFu;
    sums[2] += blueRed >> 16;
    p += 4 * chunk;
    count -= chunk;
  }
}

// Blue, green and red sums of `count` 24-bit pixels: four pixels are three
// words, whose byte lanes are summed and then given to their channels.
inline void SumColour24(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
  while (count >= 4) {
    const std::int64_t groups = count / 4 < kLaneChunk ? count / 4 : kLaneChunk;
    std::uint32_t even[3] = {0, 0, 0}, odd[3] = {0, 0, 0};
    for (std::int64_t i = 0; i < groups; ++i) {
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t w = Load32(p + 12 * i + 4 * k);
        even[k] += w & kLaneMask;
        odd[k] += (w >> 8) & kLaneMask;
      }
    }
    // Byte j of the 12-byte group belongs to channel j mod 3 (blue, green, red).
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t lanes[4] = {even[k] & 0xFFFFu, odd[k] & 0xFFFFu, even[k] >> 16, odd[k] >> 16};
      for (int j = 0; j < 4; ++j) sums[(4 * k + j) % 3] += lanes[j];
    }
    p += 12 * groups;
    count -= 4 * groups;
  }
  for (; count > 0; --count, p += 3) {
    sums[0] += p[0];
    sums[1] += p[1];
    sums[2] += p[2];
  }
}

#if defined(__AVX2__)
// AVX2 copies of the colour sums. A 32-byte vector of pixel bytes gives its
// even bytes as 16-bit lanes (masked with 0x00FF) and its odd bytes as 16-bit
// lanes (shifted right by 8): two operations and two additions per vector.
// A block of at most 128 steps adds at most 256 bytes to any 16-bit lane (32-bit
// pixels: two vectors per lane and step) or at most 128 (24-bit pixels), so no
// lane can carry; the block's lanes are then widened into 64-bit sums.

// Adds the four 64-bit lanes of x to *sum.
inline void AddLanes64(__m256i x, std::uint64_t* sum) {
  const __m128i s = _mm_add_epi64(_mm256_castsi256_si128(x), _mm256_extracti128_si256(x, 1));
  *sum += static_cast<std::uint64_t>(_mm_cvtsi128_si64(s)) +
          static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(s, s)));
}

// The low and the high 32-bit halves of each 64-bit lane, added as 64-bit lanes.
inline __m256i Widen32To64(__m256i x) {
  return _mm256_add_epi64(_mm256_and_si256(x, _mm256_set1_epi64x(0xFFFFFFFF)), _mm256_srli_epi64(x, 32));
}

// Blue, green and red sums of `count` 32-bit pixels: 32 pixels a step in two
// accumulator pairs (blue and red in one, green and alpha in the other).
inline void SumColour32Avx2(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i lowWords = _mm256_set1_epi32(0xFFFF);
  __m256i blue = _mm256_setzero_si256(), green = _mm256_setzero_si256(), red = _mm256_setzero_si256();
  std::int64_t steps = count / 32;
  while (steps > 0) {
    const std::int64_t block = steps < 128 ? steps : 128;
    __m256i br0 = _mm256_setzero_si256(), ga0 = _mm256_setzero_si256();
    __m256i br1 = _mm256_setzero_si256(), ga1 = _mm256_setzero_si256();
    for (std::int64_t i = 0; i < block; ++i) {
      const auto* v = reinterpret_cast<const __m256i*>(p + 128 * i);
      const __m256i v0 = _mm256_loadu_si256(v), v1 = _mm256_loadu_si256(v + 1);
      const __m256i v2 = _mm256_loadu_si256(v + 2), v3 = _mm256_loadu_si256(v + 3);
      br0 = _mm256_add_epi16(br0, _mm256_and_si256(v0, lowBytes));
      ga0 = _mm256_add_epi16(ga0, _mm256_srli_epi16(v0, 8));
      br1 = _mm256_add_epi16(br1, _mm256_and_si256(v1, lowBytes));
      ga1 = _mm256_add_epi16(ga1, _mm256_srli_epi16(v1, 8));
      br0 = _mm256_add_epi16(br0, _mm256_and_si256(v2, lowBytes));
      ga0 = _mm256_add_epi16(ga0, _mm256_srli_epi16(v2, 8));
      br1 = _mm256_add_epi16(br1, _mm256_and_si256(v3, lowBytes));
      ga1 = _mm256_add_epi16(ga1, _mm256_srli_epi16(v3, 8));
    }
    // 32-bit lanes: the low word is blue (green), the high word red (alpha).
    const __m256i b = _mm256_add_epi32(_mm256_and_si256(br0, lowWords), _mm256_and_si256(br1, lowWords));
    const __m256i r = _mm256_add_epi32(_mm256_srli_epi32(br0, 16), _mm256_srli_epi32(br1, 16));
    const __m256i g = _mm256_add_epi32(_mm256_and_si256(ga0, lowWords), _mm256_and_si256(ga1, lowWords));
    blue = _mm256_add_epi64(blue, Widen32To64(b));
    green = _mm256_add_epi64(green, Widen32To64(g));
    red = _mm256_add_epi64(red, Widen32To64(r));
    p += 128 * block;
    steps -= block;
  }
  AddLanes64(blue, sums);
  AddLanes64(green, sums + 1);
  AddLanes64(red, sums + 2);
  SumColour32(p, count % 32, sums);
}

// Each byte position of a 96-byte group (32 pixels of 24 bits, three vectors)
// in a 16-bit lane of its own: for vector k (0, 1, 2) and its even (e = 0)
// or odd (e = 1) bytes, lane m holds byte 32k + 2m + e of the group. Index
// [2k + e][m].
constexpr int BytePosition24(int j, int m) { return 32 * (j / 2) + 2 * m + j % 2; }

// Weights of the lanes for kSums sums: weights[s][2k + e][m] is 1 where the
// byte of that lane adds to sum s (sumOf(position) == s), 0 elsewhere.
template <int kSums, class SumOf>
constexpr auto LaneWeights24(const SumOf& sumOf) {
  std::array<std::array<std::array<std::int16_t, 16>, 6>, kSums> w{};
  for (int s = 0; s < kSums; ++s)
    for (int j = 0; j < 6; ++j)
      for (int m = 0; m < 16; ++m) w[s][j][m] = sumOf(BytePosition24(j, m)) == s ? 1 : 0;
  return w;
}

// Byte j of a 24-bit pixel group belongs to channel j mod 3.
inline constexpr auto kChannelWeights24 = LaneWeights24<3>([](int position) { return position % 3; });

// The Bayer sums of 24-bit pixels: byte 0 of a pixel is its high part, byte 1
// its low part; the pixel's column parity is (position / 3) mod 2. Sums: high
// even, high odd, low even, low odd (-1: byte 2, not used).
inline constexpr auto kBayerWeights24 = LaneWeights24<4>([](int position) {
  const int parity = (position / 3) % 2;
  return position % 3 == 0 ? parity : position % 3 == 1 ? 2 + parity : -1;
});

// The byte masks of the Bayer sums over a 96-byte group: 0xFF for a high part,
// 0x03 for a low part, 0 for byte 2.
inline constexpr auto kBayerMasks24 = [] {
  std::array<std::uint8_t, 96> bytes{};
  for (int i = 0; i < 96; ++i) bytes[i] = i % 3 == 0 ? 0xFF : i % 3 == 1 ? 0x03 : 0x00;
  return bytes;
}();

// Sums of the bytes of `count / 32` groups of 32 24-bit pixels, each byte
// first masked with the mask of its position in the group, into kSums sums by
// the lane weights (added to total[s]); returns the pixels summed. A block of
// at most 128 steps keeps every lane below 2^15 (128 bytes), so the signed
// multiply-add by the 0/1 weights sums pairs of lanes exactly into 32-bit
// lanes (at most 6 x 2 x 32,640), which are widened into 64-bit sums.
template <int kSums>
inline std::int64_t SumPositions24Avx2(const std::uint8_t* __restrict p, std::int64_t count,
                                       const std::uint8_t* masksBytes,
                                       const std::array<std::array<std::array<std::int16_t, 16>, 6>, kSums>& w,
                                       std::uint64_t* __restrict total) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  __m256i masks[3];
  for (int k = 0; k < 3; ++k) masks[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(masksBytes + 32 * k));
  __m256i sums[kSums];
  for (__m256i& x : sums) x = _mm256_setzero_si256();
  const std::int64_t groups = count / 32;
  for (std::int64_t steps = groups; steps > 0;) {
    const std::int64_t block = steps < 128 ? steps : 128;
    __m256i lanes[6];
    for (__m256i& l : lanes) l = _mm256_setzero_si256();
    for (std::int64_t i = 0; i < block; ++i) {
      const auto* v = reinterpret_cast<const __m256i*>(p + 96 * i);
      for (int k = 0; k < 3; ++k) {
        const __m256i x = _mm256_and_si256(_mm256_loadu_si256(v + k), masks[k]);
        lanes[2 * k] = _mm256_add_epi16(lanes[2 * k], _mm256_and_si256(x, lowBytes));
        lanes[2 * k + 1] = _mm256_add_epi16(lanes[2 * k + 1], _mm256_srli_epi16(x, 8));
      }
    }
    for (int s = 0; s < kSums; ++s) {
      __m256i x = _mm256_setzero_si256();
      for (int j = 0; j < 6; ++j) {
        x = _mm256_add_epi32(x, _mm256_madd_epi16(lanes[j], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w[s][j].data()))));
      }
      sums[s] = _mm256_add_epi64(sums[s], Widen32To64(x));
    }
    p += 96 * block;
    steps -= block;
  }
  for (int s = 0; s < kSums; ++s) AddLanes64(sums[s], total + s);
  return 32 * groups;
}

// Blue, green and red sums of `count` 24-bit pixels.
inline void SumColour24Avx2(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
  static constexpr std::array<std::uint8_t, 96> kAll = [] {
    std::array<std::uint8_t, 96> bytes{};
    for (auto& b : bytes) b = 0xFF;
    return bytes;
  }();
  const std::int64_t summed = SumPositions24Avx2<3>(p, count, kAll.data(), kChannelWeights24, sums);
  SumColour24(p + 3 * summed, count - summed, sums);
}
#endif

// Sums of each of the 48 byte positions of a run of 16-pixel groups of 24-bit
// pixels (three 16-byte vectors per group), each byte first masked with the
// mask of its position: every byte is widened into its own 16-bit lane, and
// up to 256 groups of bytes below 256 fit a lane before the lanes are added
// to the 64-bit position sums. Returns the groups summed (count / 16).
inline std::int64_t SumBytePositions(const std::uint8_t* __restrict p, std::int64_t count, const __m128i (&masks)[3],
                                     std::uint64_t (&positions)[48]) {
  const __m128i zero = _mm_setzero_si128();
  std::int64_t done = 0;
  for (std::int64_t left = count / 16; left > 0;) {
    const std::int64_t steps = left < kLaneChunk ? left : kLaneChunk;
    __m128i lanes[6] = {zero, zero, zero, zero, zero, zero};
    for (std::int64_t i = 0; i < steps; ++i) {
      if (i % 4 == 0) PrefetchAhead(p + 48 * i, 192);
      for (int k = 0; k < 3; ++k) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48 * i + 16 * k));
        v = _mm_and_si128(v, masks[k]);
        lanes[2 * k] = _mm_add_epi16(lanes[2 * k], _mm_unpacklo_epi8(v, zero));
        lanes[2 * k + 1] = _mm_add_epi16(lanes[2 * k + 1], _mm_unpackhi_epi8(v, zero));
      }
    }
    std::uint16_t spilled[48];
    for (int k = 0; k < 6; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(spilled + 8 * k), lanes[k]);
    for (int j = 0; j < 48; ++j) positions[j] += spilled[j];
    p += 48 * steps;
    left -= steps;
    done += steps;
  }
  return done;
}

// The colour sums of a row of 24-bit pixels, sixteen at a time: byte position
// j of a group belongs to channel j mod 3. The pixels left over take the
// plain path.
inline void SumColour24Wide(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
  const __m128i all = _mm_set1_epi8(static_cast<char>(0xFF));
  const __m128i masks[3] = {all, all, all};
  std::uint64_t positions[48] = {};
  const std::int64_t groups = SumBytePositions(p, count, masks, positions);
  for (int j = 0; j < 48; ++j) sums[j % 3] += positions[j];
  SumColour24(p + 48 * groups, count - 16 * groups, sums);
}

// Byte positions of a 16-pixel group of 24-bit pixels in the Bayer sample
// rule: byte 0 of a pixel is its high part, the low two bits of byte 1 its low
// part, byte 2 is not used.
constexpr std::array<std::uint8_t, 48> kBayerMaskBytes = [] {
  std::array<std::uint8_t, 48> bytes{};
  for (int i = 0; i < 48; ++i) bytes[i] = i % 3 == 0 ? 0xFF : i % 3 == 1 ? 0x03 : 0x00;
  return bytes;
}();

// The high and low parts of the even and the odd columns of a row of 24-bit
// pixels, sixteen pixels at a time; returns the pixels summed.
inline std::int64_t SumBayer24Wide(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t (&high)[2],
                                   std::uint64_t (&low)[2]) {
  const auto* bytes = reinterpret_cast<const __m128i*>(kBayerMaskBytes.data());
  const __m128i masks[3] = {_mm_loadu_si128(bytes), _mm_loadu_si128(bytes + 1), _mm_loadu_si128(bytes + 2)};
  std::uint64_t positions[48] = {};
  const std::int64_t groups = SumBytePositions(p, count, masks, positions);
  for (int j = 0; j < 48; ++j) {
    const int parity = (j / 3) % 2;
    if (j % 3 == 0) high[parity] += positions[j];
    if (j % 3 == 1) low[parity] += positions[j];
  }
  return 16 * groups;
}

// The paths of the row sums. Every path adds what it sums to its arguments;
// the kernels below are the drivers that choose a path by the pixel size (and
// the vector set this copy is compiled for).

// Colour sums of 32-bit pixels.
inline void SumColour32Path(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
#if defined(__AVX2__)
  SumColour32Avx2(p, count, sums);
#else
  SumColour32(p, count, sums);
#endif
}

// Colour sums of 24-bit pixels.
inline void SumColour24Path(const std::uint8_t* __restrict p, std::int64_t count, std::uint64_t* __restrict sums) {
#if defined(__AVX2__)
  SumColour24Avx2(p, count, sums);
#else
  SumColour24Wide(p, count, sums);
#endif
}

// The Bayer sums below: high[parity] sums byte 0 of the pixels of that column
// parity, low[parity] the low two bits of their byte 1. A sample is
// (b0 << shift) | (b1 & 3) with shift 2 or 4, or b0 alone (shift 0); its low
// two bits never overlap the shifted byte, so the sum of the samples is the
// sum of byte 0 shifted plus the sum of the low parts.

// `pairs` pairs of 32-bit pixels: two pixels are one 64-bit word, byte 0 of
// each lands in its own 32-bit lane, and so does the low part of byte 1;
// 2^16 pairs cannot carry.
inline void SumBayerWords32(const std::uint8_t* __restrict p, std::int64_t pairs, std::uint64_t (&high)[2],
                            std::uint64_t (&low)[2]) {
  constexpr std::uint64_t kHigh = 0x000000FF000000FFull, kLow = 0x0000000300000003ull;
  while (pairs > 0) {
    const std::int64_t chunk = pairs < 65536 ? pairs : 65536;
    std::uint64_t h = 0, l = 0;
    for (std::int64_t i = 0; i < chunk; ++i) {
      std::uint64_t w;
      std::memcpy(&w, p + 8 * i, sizeof w);
      h += w & kHigh;
      l += (w >> 8) & kLow;
    }
    high[0] += h & 0xFFFFFFFFu;
    high[1] += h >> 32;
    low[0] += l & 0xFFFFFFFFu;
    low[1] += l >> 32;
    p += 8 * chunk;
    pairs -= chunk;
  }
}

// 24-bit pixels in vector groups, as many as fill whole groups; returns the
// pixels summed (an even count).
inline std::int64_t SumBayerGroups24(const std::uint8_t* __restrict p, std::int64_t columns,
                                     std::uint64_t (&high)[2], std::uint64_t (&low)[2]) {
#if defined(__AVX2__)
  std::uint64_t parts[4] = {0, 0, 0, 0};  // high even, high odd, low even, low odd
  const std::int64_t summed = SumPositions24Avx2<4>(p, columns, kBayerMasks24.data(), kBayerWeights24, parts);
  high[0] += parts[0];
  high[1] += parts[1];
  low[0] += parts[2];
  low[1] += parts[3];
  return summed;
#else
  return SumBayer24Wide(p, columns, high, low);
#endif
}

// `pairs` pairs of pixels one by one; 2^16 pairs of bytes below 256 fit
// 32-bit partial sums.
template <int kBytesPerPixel>
inline void SumBayerPairs(const std::uint8_t* __restrict p, std::int64_t pairs, std::uint64_t (&high)[2],
                          std::uint64_t (&low)[2]) {
  while (pairs > 0) {
    const std::int64_t chunk = pairs < 65536 ? pairs : 65536;
    std::uint32_t he = 0, ho = 0, le = 0, lo = 0;
    for (std::int64_t i = 0; i < chunk; ++i) {
      const std::uint8_t* q = p + 2 * kBytesPerPixel * i;
      he += q[0];
      le += q[1] & 3u;
      ho += q[kBytesPerPixel];
      lo += q[kBytesPerPixel + 1] & 3u;
    }
    high[0] += he;
    high[1] += ho;
    low[0] += le;
    low[1] += lo;
    p += 2 * kBytesPerPixel * chunk;
    pairs -= chunk;
  }
}

// The driver of the Bayer paths: the even and odd column sums of one row.
template <int kBytesPerPixel>
inline ColumnParitySums SumBayerPixels(const std::uint8_t* __restrict p, std::int64_t columns, int shift) {
  std::uint64_t high[2] = {0, 0}, low[2] = {0, 0};
  std::int64_t summed = 0;
  if constexpr (kBytesPerPixel == 4) {
    SumBayerWords32(p, columns / 2, high, low);
  } else {
    summed = SumBayerGroups24(p, columns, high, low);
    SumBayerPairs<kBytesPerPixel>(p + kBytesPerPixel * summed, (columns - summed) / 2, high, low);
  }
  if (columns % 2 != 0) {  // one last even column
    const std::uint8_t* last = p + kBytesPerPixel * (columns - 1);
    high[0] += last[0];
    low[0] += last[1] & 3u;
  }
  if (shift == 0) return ColumnParitySums{high[0], high[1]};
  return ColumnParitySums{(high[0] << shift) + low[0], (high[1] << shift) + low[1]};
}

SENSOR_KERNEL void SumColourRow(const std::uint8_t* __restrict row, std::int64_t count, int bytesPerPixel,
                                std::uint64_t* __restrict sums) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(count >= 0 && sums != nullptr && (count == 0 || row != nullptr));
  if (bytesPerPixel == 4) {
    SumColour32Path(row, count, sums);
  } else {
    SumColour24Path(row, count, sums);
  }
}

SENSOR_KERNEL ColumnParitySums SumBayerRow(const std::uint8_t* __restrict row, std::int64_t columns,
                                           int bytesPerPixel, int shift) {
  SENSOR_KERNEL_PRECONDITION(bytesPerPixel == 3 || bytesPerPixel == 4);
  SENSOR_KERNEL_PRECONDITION(shift == 0 || shift == 2 || shift == 4);
  SENSOR_KERNEL_PRECONDITION(columns >= 0 && (columns == 0 || row != nullptr));
  return bytesPerPixel == 4 ? SumBayerPixels<4>(row, columns, shift) : SumBayerPixels<3>(row, columns, shift);
}

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
