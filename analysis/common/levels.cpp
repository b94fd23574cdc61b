#include "levels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cpu_features.h"
#include "common/prefetch.h"
#include "sample_rule.h"

namespace sensor {
namespace {

// Keeps the levels inside the bound picture whatever rectangle a caller hands in.
Rect Clip(const ImageBinding& image, const Rect& region) {
  if (image.Origin == nullptr) return Rect{};
  return Intersect(region, image.Bounds());
}

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

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Blue, green and red sums of `count` 32-bit pixels.
void SumColour32(const std::uint8_t* p, std::int64_t count, std::uint64_t (&sums)[3]) {
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
void SumColour24(const std::uint8_t* p, std::int64_t count, std::uint64_t (&sums)[3]) {
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
      const std::uint32_t lanes[4] = {even[k] & 0xFFFFu, odd[k] & 0xFFFFu, even[k] >> 16,
                                      odd[k] >> 16};
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

#if defined(__SSE2__)
// Sums of each of the 48 byte positions of a run of 16-pixel groups of 24-bit
// pixels (three 16-byte vectors per group), each byte first masked with the
// mask of its position: every byte is widened into its own 16-bit lane, and
// up to 256 groups of bytes below 256 fit a lane before the lanes are added
// to the 64-bit position sums. Returns the groups summed (count / 16).
std::int64_t SumBytePositions(const std::uint8_t* p, std::int64_t count, const __m128i (&masks)[3],
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
void SumColour24Wide(const std::uint8_t* p, std::int64_t count, std::uint64_t (&sums)[3]) {
  const __m128i all = _mm_set1_epi8(static_cast<char>(0xFF));
  const __m128i masks[3] = {all, all, all};
  std::uint64_t positions[48] = {};
  const std::int64_t groups = SumBytePositions(p, count, masks, positions);
  for (int j = 0; j < 48; ++j) sums[j % 3] += positions[j];
  SumColour24(p + 48 * groups, count - 16 * groups, sums);
}

// Byte positions of a 16-pixel group of 24-bit pixels in the Bayer sample
// rule: byte 0 of a pixel is its high part, the low two bits of byte 1 its low
// part, byte 2 is not used. Pixel j / 3 of the group, even or odd column.
__m128i BayerMask(int vector) {
  alignas(16) std::uint8_t bytes[16];
  for (int i = 0; i < 16; ++i) {
    const int byte = (16 * vector + i) % 3;
    bytes[i] = byte == 0 ? 0xFF : byte == 1 ? 0x03 : 0x00;
  }
  return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
}

// The high and low parts of the even and the odd columns of a row of 24-bit
// pixels, sixteen pixels at a time; returns the pixels summed.
std::int64_t SumBayer24Wide(const std::uint8_t* p, std::int64_t count, std::uint64_t (&high)[2],
                            std::uint64_t (&low)[2]) {
  static const __m128i masks[3] = {BayerMask(0), BayerMask(1), BayerMask(2)};
  std::uint64_t positions[48] = {};
  const std::int64_t groups = SumBytePositions(p, count, masks, positions);
  for (int j = 0; j < 48; ++j) {
    const int parity = (j / 3) % 2;
    if (j % 3 == 0) high[parity] += positions[j];
    if (j % 3 == 1) low[parity] += positions[j];
  }
  return 16 * groups;
}
#endif

// Calls visit(y) for every row of the region in the order the rows lie in
// memory (bottom row first in a bottom-up picture), so that the reads run
// forward through the buffer as the processor's prefetching expects. The sums
// are exact integers, so the order does not change them.
template <class Visit>
void ForRowsInMemoryOrder(const ImageBinding& image, const Rect& r, const Visit& visit) {
  if (image.TopRowFirst()) {
    for (std::int32_t y = r.Top; y <= r.Bottom; ++y) visit(y);
  } else {
    for (std::int32_t y = r.Bottom; y >= r.Top; --y) visit(y);
  }
}

void SumColourRows(const ImageBinding& image, const Rect& r, std::uint64_t (&sums)[3]) {
  ForRowsInMemoryOrder(image, r, [&](std::int32_t y) {
    if (image.BytesPerPixel == 4) {
      SumColour32(image.PixelAt(r.Left, y), r.Columns(), sums);
    } else {
#if defined(__SSE2__)
      SumColour24Wide(image.PixelAt(r.Left, y), r.Columns(), sums);
#else
      SumColour24(image.PixelAt(r.Left, y), r.Columns(), sums);
#endif
    }
  });
}

// Sums of the samples of the even and the odd columns of one row. A sample is
// (b0 << shift) | (b1 & 3) with shift 2 or 4, or b0 alone (shift 0); its low two
// bits never overlap the shifted byte, so the sum of the samples is the sum of
// byte 0 shifted plus the sum of the low parts.
template <int kBytesPerPixel>
void SumBayerRow(const std::uint8_t* p, std::int64_t columns, int shift, std::uint64_t& even,
                 std::uint64_t& odd) {
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
#if defined(__SSE2__)
    const std::int64_t summed = SumBayer24Wide(p, columns, high, low);
    p += kBytesPerPixel * summed;
    pairs = (columns - summed) / 2;
#endif
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
  if (shift == 0) {
    even += high[0];
    odd += high[1];
  } else {
    even += (high[0] << shift) + low[0];
    odd += (high[1] << shift) + low[1];
  }
}

template <int kBytesPerPixel>
void SumBayerRows(const ImageBinding& image, const Rect& r, int shift, std::uint64_t (&sums)[5]) {
  ForRowsInMemoryOrder(image, r, [&](std::int32_t y) {
    const bool oddRow = ((std::int64_t{y} - r.Top) & 1) != 0;
    std::uint64_t& even = oddRow ? sums[2] : sums[3];
    std::uint64_t& odd = oddRow ? sums[4] : sums[0];
    SumBayerRow<kBytesPerPixel>(image.PixelAt(r.Left, y), r.Columns(), shift, even, odd);
  });
}

}  // namespace

LevelSet ColourLevels(const ImageBinding& image, const Rect& region) {
  LevelSet levels{};
  const Rect r = Clip(image, region);
  if (r.Empty()) return levels;
  std::uint64_t sums[3] = {0, 0, 0};  // blue, green, red
  RunWidest([&] { SumColourRows(image, r, sums); });
  const double count = static_cast<double>(r.Columns() * r.Rows());
  levels[0] = static_cast<double>(sums[2]) / count;
  levels[1] = static_cast<double>(sums[1]) / count;
  levels[2] = static_cast<double>(sums[0]) / count;
  return levels;
}

LevelSet BayerLevels(const ImageBinding& image, const Rect& region, std::int32_t sensorBpp,
                     std::int32_t testBpp) {
  LevelSet levels{};
  const Rect r = Clip(image, region);
  if (r.Empty()) return levels;
  std::uint64_t sums[5] = {0, 0, 0, 0, 0};
  const int shift = SampleRule::For(sensorBpp, testBpp).Shift;
  RunWidest([&] {
    if (image.BytesPerPixel == 4) {
      SumBayerRows<4>(image, r, shift, sums);
    } else {
      SumBayerRows<3>(image, r, shift, sums);
    }
  });
  // Sites per position: even/odd columns times even/odd rows of the region.
  const std::int64_t cols = r.Columns(), rows = r.Rows();
  const std::int64_t evenCols = (cols + 1) / 2, oddCols = cols / 2;
  const std::int64_t evenRows = (rows + 1) / 2, oddRows = rows / 2;
  const std::int64_t counts[5] = {evenRows * oddCols, 0, oddRows * evenCols, evenRows * evenCols,
                                  oddRows * oddCols};
  for (int c = 0; c < 5; ++c) {
    if (counts[c] != 0) levels[c] = static_cast<double>(sums[c]) / static_cast<double>(counts[c]);
  }
  return levels;
}

}  // namespace sensor
