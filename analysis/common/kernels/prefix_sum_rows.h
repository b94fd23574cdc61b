// Running sums along one row of a window band (window_band.h), the loops of
// the PrefixSums kernels (common_table.cpp), inline for other kernels that
// build a band's prefix sums in passes of their own. Sums
// wrap modulo the lane's range, so adding in another order gives the same
// prefix sums: the baseline copy adds four 32-bit or two 64-bit columns per
// step, the AVX2 copy eight or four, and the running total moves on by one
// addition per step, which keeps the loops at the vector units' throughput.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "common/kernels/kernel_set.h"

namespace sensor::kernels::SENSOR_KERNEL_SET {

// The columns the vector loops left over, one at a time.
template <class Lane>
inline void FinishPlainly(const Lane* __restrict values, Lane* __restrict prefix, std::size_t i, std::size_t n,
                          std::size_t step) {
  for (; i < n; ++i) prefix[i + step] = static_cast<Lane>(prefix[i] + values[i]);
}

inline __m128i Load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store128(void* p, __m128i x) { _mm_storeu_si128(static_cast<__m128i*>(p), x); }

#if defined(__AVX2__)
// Eight 32-bit columns turned into their running sums after `carry`, the sum
// of everything before them, which moves on by their total.
// The halves' totals, swapped across the halves once, give both the low
// half's total for the high half and the total of all eight: one
// lane-crossing shuffle per eight columns.
inline __m256i RunningSumsOfEight(__m256i x, __m256i& carry) {
  x = _mm256_add_epi32(x, _mm256_slli_si256(x, 4));
  x = _mm256_add_epi32(x, _mm256_slli_si256(x, 8));
  const __m256i totals = _mm256_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));       // low | high
  const __m256i swapped = _mm256_permute2x128_si256(totals, totals, 0x01);       // high | low
  x = _mm256_add_epi32(x, _mm256_blend_epi32(_mm256_setzero_si256(), swapped, 0xF0));
  const __m256i sums = _mm256_add_epi32(x, carry);
  carry = _mm256_add_epi32(carry, _mm256_add_epi32(totals, swapped));
  return sums;
}
#endif

// In each loop: x holds the new columns summed within the vector, t the
// vector's total (per parity for step 2), carry the sum of everything before.
inline void BuildPrefix32(const std::uint32_t* __restrict c, std::uint32_t* __restrict p, std::size_t n,
                                std::size_t step) {
  std::size_t i = 0;
#if defined(__AVX2__)
  if (step == 2) {
    __m256i carry = _mm256_set_epi32(static_cast<int>(p[1]), static_cast<int>(p[0]), static_cast<int>(p[1]),
                                     static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[0]),
                                     static_cast<int>(p[1]), static_cast<int>(p[0]));
    const __m256i lastPair = _mm256_set_epi32(7, 6, 7, 6, 7, 6, 7, 6);
    for (; i + 8 <= n; i += 8) {
      __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
      x = _mm256_add_epi32(x, _mm256_slli_si256(x, 8));  // within each 128-bit half
      // The low half's last pair carried into the high half.
      const __m256i low = _mm256_permute2x128_si256(x, x, 0x08);
      x = _mm256_add_epi32(x, _mm256_shuffle_epi32(low, _MM_SHUFFLE(3, 2, 3, 2)));
      const __m256i t = _mm256_permutevar8x32_epi32(x, lastPair);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 2), _mm256_add_epi32(x, carry));
      carry = _mm256_add_epi32(carry, t);
    }
  } else {
    __m256i carry = _mm256_set1_epi32(static_cast<int>(p[0]));
    for (; i + 8 <= n; i += 8) {
      const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 1), RunningSumsOfEight(x, carry));
    }
  }
#else
  __m128i carry = step == 2 ? _mm_set_epi32(static_cast<int>(p[1]), static_cast<int>(p[0]),
                                            static_cast<int>(p[1]), static_cast<int>(p[0]))
                            : _mm_set1_epi32(static_cast<int>(p[0]));
  if (step == 2) {
    for (; i + 4 <= n; i += 4) {
      __m128i x = Load128(c + i);
      x = _mm_add_epi32(x, _mm_slli_si128(x, 8));
      const __m128i t = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 2, 3, 2));
      Store128(p + i + 2, _mm_add_epi32(x, carry));
      carry = _mm_add_epi32(carry, t);
    }
  } else {
    for (; i + 4 <= n; i += 4) {
      __m128i x = Load128(c + i);
      x = _mm_add_epi32(x, _mm_slli_si128(x, 4));
      x = _mm_add_epi32(x, _mm_slli_si128(x, 8));
      const __m128i t = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));
      Store128(p + i + 1, _mm_add_epi32(x, carry));
      carry = _mm_add_epi32(carry, t);
    }
  }
#endif
  FinishPlainly(c, p, i, n, step);
}

inline void BuildPrefix64(const std::uint64_t* __restrict c, std::uint64_t* __restrict p, std::size_t n,
                                std::size_t step) {
  std::size_t i = 0;
#if defined(__AVX2__)
  if (step == 2) {
    __m256i carry = _mm256_set_epi64x(static_cast<long long>(p[1]), static_cast<long long>(p[0]),
                                      static_cast<long long>(p[1]), static_cast<long long>(p[0]));
    for (; i + 4 <= n; i += 4) {
      __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
      x = _mm256_add_epi64(x, _mm256_permute2x128_si256(x, x, 0x08));
      const __m256i t = _mm256_permute4x64_epi64(x, _MM_SHUFFLE(3, 2, 3, 2));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 2), _mm256_add_epi64(x, carry));
      carry = _mm256_add_epi64(carry, t);
    }
  } else {
    __m256i carry = _mm256_set1_epi64x(static_cast<long long>(p[0]));
    for (; i + 4 <= n; i += 4) {
      __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
      x = _mm256_add_epi64(x, _mm256_slli_si256(x, 8));
      const __m256i low = _mm256_permute2x128_si256(x, x, 0x08);
      x = _mm256_add_epi64(x, _mm256_unpackhi_epi64(low, low));
      const __m256i t = _mm256_permute4x64_epi64(x, _MM_SHUFFLE(3, 3, 3, 3));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 1), _mm256_add_epi64(x, carry));
      carry = _mm256_add_epi64(carry, t);
    }
  }
#else
  if (step == 2) {
    __m128i carry = _mm_set_epi64x(static_cast<long long>(p[1]), static_cast<long long>(p[0]));
    for (; i + 2 <= n; i += 2) {
      carry = _mm_add_epi64(carry, Load128(c + i));
      Store128(p + i + 2, carry);
    }
  } else {
    __m128i carry = _mm_set1_epi64x(static_cast<long long>(p[0]));
    for (; i + 2 <= n; i += 2) {
      __m128i x = Load128(c + i);
      x = _mm_add_epi64(x, _mm_slli_si128(x, 8));
      const __m128i t = _mm_unpackhi_epi64(x, x);
      Store128(p + i + 1, _mm_add_epi64(x, carry));
      carry = _mm_add_epi64(carry, t);
    }
  }
#endif
  FinishPlainly(c, p, i, n, step);
}

}  // namespace sensor::kernels::SENSOR_KERNEL_SET
