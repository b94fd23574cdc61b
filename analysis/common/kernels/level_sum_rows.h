// Kernels: the channel and Bayer sums of one row for the level statistics
// (levels.cpp). Sums are exact integers; the loops add bytes in narrow lanes
// that cannot carry into each other before they are widened.
#pragma once

#include <emmintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "common/kernels/common_kernels.h"
#include "common/kernels/kernel_set.h"
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

// Sums of the samples of the even and the odd columns of one row. A sample is
// (b0 << shift) | (b1 & 3) with shift 2 or 4, or b0 alone (shift 0); its low two
// bits never overlap the shifted byte, so the sum of the samples is the sum of
// byte 0 shifted plus the sum of the low parts.
template <int kBytesPerPixel>
inline ColumnParitySums SumBayerPixels(const std::uint8_t* __restrict p, std::int64_t columns, int shift) {
  std::uint64_t high[2] = {0, 0}, low[2] = {0, 0};
  std::int64_t pairs = columns / 2;
  if constexpr (kBytesPerPixel == 4) {
    // Two pixels are one 64-bit word: byte 0 of each lands in its own 32-bit
    // lane, and so does the low part of byte 1; 2^16 pairs cannot carry.
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
  } else {
    const std::int64_t summed = SumBayer24Wide(p, columns, high, low);
    p += kBytesPerPixel * summed;
    pairs = (columns - summed) / 2;
    while (pairs > 0) {
      // 2^16 pairs of bytes below 256 fit 32-bit partial sums.
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
  if (columns % 2 != 0) {  // one last even column
    high[0] += p[0];
    low[0] += p[1] & 3u;
  }
  if (shift == 0) return ColumnParitySums{high[0], high[1]};
  return ColumnParitySums{(high[0] << shift) + low[0], (high[1] << shift) + low[1]};
}

SENSOR_KERNEL void SumColourRow(const std::uint8_t* __restrict row, std::int64_t count, int bytesPerPixel,
                                std::uint64_t* __restrict sums) {
  if (bytesPerPixel == 4) {
    SumColour32(row, count, sums);
  } else {
    SumColour24Wide(row, count, sums);
  }
}

SENSOR_KERNEL ColumnParitySums SumBayerRow(const std::uint8_t* __restrict row, std::int64_t columns,
                                           int bytesPerPixel, int shift) {
  return bytesPerPixel == 4 ? SumBayerPixels<4>(row, columns, shift) : SumBayerPixels<3>(row, columns, shift);
}

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
