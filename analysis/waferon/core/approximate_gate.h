// A cheap test that rules out, on integers alone, the pixels of a local search
// whose exact score cannot pass a gate.
//
// A local reference is a window mean N / D: N the sum of the other values of
// the window, D their number. Most pixels score far below every threshold and
// the table's floor, and for them the deviation |N / D - v| compares with the
// gate as |N - v x D| compares with gate x D, without dividing. The limits are
// lowered by a slack far wider than the rounding of the exact rule (a few units
// in the last place of values below 4096), so a pixel ruled out here would be
// ruled out by its exact score too; every other pixel is scored exactly.
//
// The test runs in 32-bit integers over a whole row at a time, so that the
// compiler makes vector code of it. It applies to windows of D + 1 values each
// at most maxValue when FitsNarrowGate(D + 1, maxValue) holds.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sensor::waferon {

inline bool FitsNarrowGate(std::int64_t count, std::int64_t maxValue) {
  return count > 1 && count <= (std::int64_t{1} << 31) / (maxValue + 1);
}

// kPercent: scores are percent of the reference (the percent rule).
template <bool kPercent>
struct NarrowGate {
  std::int32_t Count;   // values per window, the pixel's own included: D + 1
  std::int32_t Others;  // D
  std::int32_t Limit;   // |N - v D| above this may pass (absolute scores)
  double PercentLimit;  // 100 |N - v D| / N above this may pass (percent scores)

  // The gate for windows of `others` + 1 values: a score not strictly above
  // `gate` changes nothing.
  static NarrowGate For(double gate, std::int64_t others) {
    NarrowGate g{static_cast<std::int32_t>(others + 1), static_cast<std::int32_t>(others), -1, -1.0};
    const double lowered = gate * (1.0 - 1e-12) - 1e-9;
    if (!(lowered >= 0.0)) return g;  // nothing can be ruled out
    if constexpr (kPercent) {
      g.PercentLimit = lowered;
    } else {
      const double product = std::floor(lowered * static_cast<double>(others));
      g.Limit = product >= 2147483647.0 ? INT32_MAX : static_cast<std::int32_t>(product);
    }
    return g;
  }

  // windowSum: N + v, the window's sum with the pixel's own value v. False only
  // when the exact score is certainly not above the gate.
  bool MayPass(std::int32_t windowSum, std::int32_t value) const {
    const std::int32_t diff = windowSum - value * Count;  // N - v x D
    const std::int32_t deviation = diff < 0 ? -diff : diff;
    if constexpr (!kPercent) {
      return deviation > Limit;
    } else {
      // Percent of a reference above 1.0. A reference of at most 2 goes to the
      // exact rule, which decides the 1.0 boundary.
      const std::int32_t others = windowSum - value;
      return (others <= 2 * Others) |
             (100.0 * static_cast<double>(deviation) > PercentLimit * static_cast<double>(others));
    }
  }
};

}  // namespace sensor::waferon
