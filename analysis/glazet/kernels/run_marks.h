// Kernels: the division-free tests of the band scans' centred runs
// (window_search.h), a whole row at a time. Bitwise tests and counts, no
// branches, so that they become vector code.
#pragma once

#include <cstdint>
#include <type_traits>

#include "common/kernels/kernel_set.h"
#include "glazet/band_screens.h"
#include "glazet/kernels/glazet_kernels.h"

namespace sensor::glazet::kernels::SENSOR_KERNEL_SET {

template <class Sum>
using SignedSum = std::make_signed_t<Sum>;

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

template <class Sum>
SENSOR_KERNEL std::int64_t MarkLocalRun(const CentredRun<Sum>& inner, const CentredRun<Sum>& outer, std::int64_t n,
                                        RelativeScreen<ScreenReal<Sum>> screen, std::uint8_t* __restrict map,
                                        std::int64_t step, bool& unsure) {
  const Sum* innerHi = inner.Prefix + inner.Index + inner.Half + 1;
  const Sum* innerLo = inner.Prefix + inner.Index - inner.Half;
  const Sum* outerHi = outer.Prefix + outer.Index + outer.Half + 1;
  const Sum* outerLo = outer.Prefix + outer.Index - outer.Half;
  return step == 2 ? MarkLocal<2, Sum>(innerHi, innerLo, outerHi, outerLo, n, screen, map, unsure)
                   : MarkLocal<1, Sum>(innerHi, innerLo, outerHi, outerLo, n, screen, map, unsure);
}

}  // namespace sensor::glazet::kernels::SENSOR_KERNEL_SET
