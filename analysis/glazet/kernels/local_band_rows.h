// Kernel: one row of a local band scan (window_search.h) in one call. Both
// bands move down by their one update, their prefix sums are rebuilt and the
// centred run is marked, strip by strip along the row, so that a strip's
// column sums, prefix sums and marks are still in the nearest cache when the
// next pass reads them. Each pass computes exactly what it computes alone.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "common/kernels/band_row_updates.h"
#include "common/kernels/kernel_set.h"
#include "common/kernels/prefix_sum_rows.h"
#include "common/precondition.h"
#include "glazet/kernels/glazet_kernels.h"
#include "glazet/kernels/run_marks.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

// Lattice columns per strip: the strip's share of the two bands' column and
// prefix sums, of their four rows and of the map takes about 17 KB.
inline constexpr std::int64_t kStripColumns = 512;

// The pixels of the next strip of the row entering the wider band (in the
// last strip: of the first strip of the row entering next) are the ones that
// come from memory rather than from a cache (the other rows were read a few
// rows earlier): asked for a quarter at a time while this strip is worked on,
// so that the requests never queue up.
struct StripAhead {
  const std::uint8_t* First = nullptr;
  std::int64_t Bytes = 0;

  void Ask(int quarter) const {
    const std::int64_t end = Bytes * (quarter + 1) / 4;
    for (std::int64_t b = Bytes * quarter / 4 / 64 * 64; b < end; b += 64) __builtin_prefetch(First + b);
  }
};

#if defined(__AVX2__)
// MoveStrip and BuildStripPrefix in one loop for the colour searches' values
// (one byte of 32-bit pixels, every column), eight columns per step: each
// updated column sum goes on into the prefix sums without a second pass. The
// byte at `shift` of an entering and a leaving pixel differ by their masked
// words' difference shifted down arithmetically, which is exact. The prefix
// steps are those of BuildPrefix32.
template <bool kEnter, bool kLeave>
inline void MoveBytesWithPrefix(const std::uint8_t* __restrict enter, const std::uint8_t* __restrict leave,
                                std::uint32_t* __restrict columns, std::uint32_t* __restrict prefix,
                                std::int64_t n, int shift) {
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(255u << shift));
  const __m128i count = _mm_cvtsi32_si128(shift);
  __m256i carry = _mm256_set1_epi32(static_cast<int>(prefix[0]));
  auto pixels = [&](const std::uint8_t* row, std::int64_t i) {
    return _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * i)), mask);
  };
  std::int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + i));
    if constexpr (kEnter && kLeave) {
      x = _mm256_add_epi32(x, _mm256_sra_epi32(_mm256_sub_epi32(pixels(enter, i), pixels(leave, i)), count));
    } else if constexpr (kEnter) {
      x = _mm256_add_epi32(x, _mm256_srl_epi32(pixels(enter, i), count));
    } else if constexpr (kLeave) {
      x = _mm256_sub_epi32(x, _mm256_srl_epi32(pixels(leave, i), count));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns + i), x);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(prefix + i + 1),
                        sensor::kernels::SENSOR_KERNEL_SET::RunningSumsOfEight(x, carry));
  }
  const unsigned bits = static_cast<unsigned>(shift);
  for (; i < n; ++i) {
    std::uint32_t c = columns[i];
    if constexpr (kEnter) c += sensor::kernels::SENSOR_KERNEL_SET::ByteOf<4>(enter + 4 * i, shift / 8, bits);
    if constexpr (kLeave) c -= sensor::kernels::SENSOR_KERNEL_SET::ByteOf<4>(leave + 4 * i, shift / 8, bits);
    columns[i] = c;
    prefix[i + 1] = prefix[i] + c;
  }
}
#endif

// Whether the strip goes through MoveBytesWithPrefix.
inline bool MovedWithPrefix(const ColumnValues& values, const BandRowMove& band, std::int64_t first,
                            std::int64_t n) {
#if defined(__AVX2__)
  if (values.What != ColumnValues::kByte || values.BytesPerPixel != 4 || values.PixelPitch != 1) return false;
  const int shift = 8 * values.ByteOffset;
  const std::uint8_t* enter = band.Enter != nullptr ? band.Enter + 4 * first : nullptr;
  const std::uint8_t* leave = band.Leave != nullptr ? band.Leave + 4 * first : nullptr;
  std::uint32_t* columns = band.Columns + first;
  std::uint32_t* prefix = band.Prefix + first;
  if (enter != nullptr && leave != nullptr) {
    MoveBytesWithPrefix<true, true>(enter, leave, columns, prefix, n, shift);
  } else if (enter != nullptr) {
    MoveBytesWithPrefix<true, false>(enter, leave, columns, prefix, n, shift);
  } else if (leave != nullptr) {
    MoveBytesWithPrefix<false, true>(enter, leave, columns, prefix, n, shift);
  } else {
    MoveBytesWithPrefix<false, false>(enter, leave, columns, prefix, n, shift);
  }
  return true;
#else
  (void)values, (void)band, (void)first, (void)n;
  return false;
#endif
}

inline void MoveStrip(const ColumnValues& values, const BandRowMove& band, std::int64_t first, std::int64_t n) {
  const std::int64_t bytes = first * values.BytesPerPixel * values.PixelPitch;
  const std::uint8_t* enter = band.Enter != nullptr ? band.Enter + bytes : nullptr;
  const std::uint8_t* leave = band.Leave != nullptr ? band.Leave + bytes : nullptr;
  if (enter != nullptr || leave != nullptr) {
    sensor::kernels::SENSOR_KERNEL_SET::UpdateColumns(values, enter, leave, band.Columns + first, n);
  }
}

inline void BuildStripPrefix(const BandRowMove& band, std::int64_t first, std::int64_t n) {
  sensor::kernels::SENSOR_KERNEL_SET::BuildPrefix32(band.Columns + first, band.Prefix + first,
                                                    static_cast<std::size_t>(n), 1);
}

SENSOR_KERNEL std::int64_t MarkLocalRow32(const ColumnValues& values, std::int64_t columns, const BandRowMove& inner,
                                          const BandRowMove& outer, std::int64_t index, std::int64_t n,
                                          RelativeScreen<float> screen, std::uint8_t* __restrict map,
                                          std::int64_t step, bool& unsure) {
  SENSOR_KERNEL_PRECONDITION(ValidColumnValues(values));
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(columns >= 0 && n >= 0 && inner.Half >= 0 && outer.Half >= 0);
  SENSOR_KERNEL_PRECONDITION(inner.Columns != nullptr && inner.Prefix != nullptr && outer.Columns != nullptr &&
                      outer.Prefix != nullptr);
  // The run's windows lie within the lattice columns.
  SENSOR_KERNEL_PRECONDITION(n == 0 || (index - std::max(inner.Half, outer.Half) >= 0 &&
                                 index + n + std::max(inner.Half, outer.Half) <= columns && map != nullptr));
  // Run pixel k is judged once both prefix sums reach index + k + reach.
  const std::int64_t reach = std::max(inner.Half, outer.Half) + 1;
  const std::int64_t pixelBytes = values.BytesPerPixel * values.PixelPitch;
  const BandRowMove& wider = inner.Half > outer.Half ? inner : outer;
  std::int64_t candidates = 0, judged = 0;
  unsure = false;
  for (std::int64_t first = 0; first < columns; first += kStripColumns) {
    const std::int64_t end = std::min(columns, first + kStripColumns);
    StripAhead ahead;
    if (end < columns && wider.Enter != nullptr) {
      ahead = StripAhead{wider.Enter + end * pixelBytes, (std::min(columns, end + kStripColumns) - end) * pixelBytes};
    } else if (end == columns && wider.Next != nullptr) {
      ahead = StripAhead{wider.Next, std::min(columns, kStripColumns) * pixelBytes};
    }
    ahead.Ask(0);
    if (MovedWithPrefix(values, inner, first, end - first)) {
      ahead.Ask(1);
      MovedWithPrefix(values, outer, first, end - first);
      ahead.Ask(2);
    } else {
      MoveStrip(values, inner, first, end - first);
      ahead.Ask(1);
      MoveStrip(values, outer, first, end - first);
      ahead.Ask(2);
      BuildStripPrefix(inner, first, end - first);
      BuildStripPrefix(outer, first, end - first);
    }
    ahead.Ask(3);
    const std::int64_t ready = end == columns ? n : std::min(n, end - reach - index + 1);
    if (ready <= judged) continue;
    const CentredRun<std::uint32_t> in{inner.Prefix, index + judged, inner.Half};
    const CentredRun<std::uint32_t> out{outer.Prefix, index + judged, outer.Half};
    bool stripUnsure = false;
    candidates +=
        MarkLocalRun<std::uint32_t>(in, out, ready - judged, screen, map + judged * step, step, stripUnsure);
    unsure = unsure || stripUnsure;
    judged = ready;
  }
  return candidates;
}

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
