// Kernels: the division-free tests of the band scans' centred runs
// (window_search.h), a whole row at a time. Bitwise tests and counts, no
// branches, so that they become vector code.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "common/kernels/kernel_set.h"
#include "common/precondition.h"
#include "glazet/core/band_screens.h"
#include "glazet/kernels/glazet_kernels.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

template <class Sum>
using SignedSum = std::make_signed_t<Sum>;

// A run's windows read prefix sums from its first window's low end on.
template <class Sum>
constexpr bool ValidRun(const CentredRun<Sum>& run) {
  return run.Prefix != nullptr && run.Half >= 0 && run.Index - run.Half >= 0;
}

template <std::int64_t kStep, class Sum>
inline std::int64_t MarkGlobal(const Sum* __restrict hi, const Sum* __restrict lo, std::int64_t n,
                               SignedSum<Sum> below, SignedSum<Sum> above, std::uint8_t* __restrict map) {
  using S = SignedSum<Sum>;
  S candidates = 0;  // at most n, which fits
  for (std::int64_t i = 0; i < n; ++i) {
    const S s = static_cast<S>(hi[i] - lo[i]);
    const S outside = (s < below) | (s > above);
    map[i * kStep] = static_cast<std::uint8_t>(outside);
    candidates += outside;
  }
  return candidates;
}

template <class Sum>
SENSOR_KERNEL std::int64_t MarkGlobalRun(const CentredRun<Sum>& run, std::int64_t n, SumThresholds limits,
                                         std::uint8_t* __restrict map, std::int64_t step) {
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (ValidRun(run) && map != nullptr)));
  using S = SignedSum<Sum>;
  const S below = static_cast<S>(limits.Below), above = static_cast<S>(limits.Above);
  const Sum* hi = run.Prefix + run.Index + run.Half + 1;
  const Sum* lo = run.Prefix + run.Index - run.Half;
  return step == 2 ? MarkGlobal<2, Sum>(hi, lo, n, below, above, map)
                   : MarkGlobal<1, Sum>(hi, lo, n, below, above, map);
}

template <std::int64_t kStep, class Sum>
inline std::int64_t MarkLocal(const Sum* __restrict innerHi, const Sum* __restrict innerLo,
                              const Sum* __restrict outerHi, const Sum* __restrict outerLo, std::int64_t n,
                              RelativeScreen<ScreenReal<Sum>> s, std::uint8_t* __restrict map, bool& unsure) {
  using S = SignedSum<Sum>;
  using Real = ScreenReal<Sum>;
  S candidates = 0, unsureCount = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const Real inner = static_cast<Real>(static_cast<S>(innerHi[i] - innerLo[i]));
    const Real outer = static_cast<Real>(static_cast<S>(outerHi[i] - outerLo[i]));
    const S outside = s.Outside(inner, outer);
    const S inside = s.Inside(inner, outer);
    map[i * kStep] = static_cast<std::uint8_t>(outside);
    candidates += outside;
    unsureCount += 1 - (outside | inside);
  }
  unsure = unsureCount != 0;
  return candidates;
}

#if defined(__AVX2__)
// The 0/1 bytes of eight marks from their bits.
struct MarkBytes {
  std::uint64_t Of[256];
  constexpr MarkBytes() : Of{} {
    for (int bits = 0; bits < 256; ++bits)
      for (int k = 0; k < 8; ++k)
        if ((bits >> k & 1) != 0) Of[bits] |= std::uint64_t{1} << (8 * k);
  }
};
inline constexpr MarkBytes kMarkBytes{};

// MarkLocal for 32-bit sums on every column, eight pixels per step: the same
// float products and comparisons as RelativeScreen's Outside and Inside, the
// marks' bits turned into map bytes and counted.
inline std::int64_t MarkLocalEight(const std::uint32_t* __restrict innerHi, const std::uint32_t* __restrict innerLo,
                                   const std::uint32_t* __restrict outerHi, const std::uint32_t* __restrict outerLo,
                                   std::int64_t n, RelativeScreen<float> s, std::uint8_t* __restrict map,
                                   bool& unsure) {
  const auto f = s.Scale();
  const __m256 outerCount = _mm256_set1_ps(f.OuterCount), lowUnder = _mm256_set1_ps(f.LowUnder),
               lowOver = _mm256_set1_ps(f.LowOver), highUnder = _mm256_set1_ps(f.HighUnder),
               highOver = _mm256_set1_ps(f.HighOver);
  auto load = [](const std::uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); };
  std::int64_t candidates = 0, i = 0;
  __m256 sure = _mm256_castsi256_ps(_mm256_set1_epi32(-1));
  for (; i + 8 <= n; i += 8) {
    const __m256 inner = _mm256_cvtepi32_ps(_mm256_sub_epi32(load(innerHi + i), load(innerLo + i)));
    const __m256 outer = _mm256_cvtepi32_ps(_mm256_sub_epi32(load(outerHi + i), load(outerLo + i)));
    const __m256 scaledInner = _mm256_mul_ps(inner, outerCount);
    const __m256 outside = _mm256_or_ps(_mm256_cmp_ps(scaledInner, _mm256_mul_ps(outer, lowUnder), _CMP_LT_OQ),
                                        _mm256_cmp_ps(scaledInner, _mm256_mul_ps(outer, highOver), _CMP_GT_OQ));
    const __m256 inside = _mm256_and_ps(_mm256_cmp_ps(scaledInner, _mm256_mul_ps(outer, lowOver), _CMP_GT_OQ),
                                        _mm256_cmp_ps(scaledInner, _mm256_mul_ps(outer, highUnder), _CMP_LT_OQ));
    sure = _mm256_and_ps(sure, _mm256_or_ps(outside, inside));
    const unsigned bits = static_cast<unsigned>(_mm256_movemask_ps(outside));
    std::memcpy(map + i, &kMarkBytes.Of[bits], 8);
    candidates += __builtin_popcount(bits);
  }
  bool rest = false;
  candidates +=
      MarkLocal<1, std::uint32_t>(innerHi + i, innerLo + i, outerHi + i, outerLo + i, n - i, s, map + i, rest);
  unsure = rest || _mm256_movemask_ps(sure) != 0xFF;
  return candidates;
}
#endif

template <class Sum>
SENSOR_KERNEL std::int64_t MarkLocalRun(const CentredRun<Sum>& inner, const CentredRun<Sum>& outer, std::int64_t n,
                                        RelativeScreen<ScreenReal<Sum>> screen, std::uint8_t* __restrict map,
                                        std::int64_t step, bool& unsure) {
  SENSOR_KERNEL_PRECONDITION(step == 1 || step == 2);
  SENSOR_KERNEL_PRECONDITION(n >= 0 && (n == 0 || (ValidRun(inner) && ValidRun(outer) && map != nullptr)));
  const Sum* innerHi = inner.Prefix + inner.Index + inner.Half + 1;
  const Sum* innerLo = inner.Prefix + inner.Index - inner.Half;
  const Sum* outerHi = outer.Prefix + outer.Index + outer.Half + 1;
  const Sum* outerLo = outer.Prefix + outer.Index - outer.Half;
#if defined(__AVX2__)
  if constexpr (sizeof(Sum) == 4) {
    if (step == 1) return MarkLocalEight(innerHi, innerLo, outerHi, outerLo, n, screen, map, unsure);
  }
#endif
  return step == 2 ? MarkLocal<2, Sum>(innerHi, innerLo, outerHi, outerLo, n, screen, map, unsure)
                   : MarkLocal<1, Sum>(innerHi, innerLo, outerHi, outerLo, n, screen, map, unsure);
}

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
