// A cheap test that rejects, on integers alone, the pixels of a local search
// whose exact score cannot pass a gate.
//
// A local reference is a window mean N / D: N the sum of the other values of
// the window, D their number. Most pixels score far below every threshold and
// the table's floor, and for them the deviation |N / D - v| compares with the
// gate as |N - v x D| compares with gate x D, without dividing. The limits are
// lowered by a slack far wider than the rounding of the exact rule (a few units
// in the last place of values below 4096), so a pixel rejected here would be
// rejected by its exact score too; every other pixel is scored exactly.
#pragma once

#include <cmath>
#include <cstdint>

namespace sensor::waferon {

// kPercent: scores are percent of the reference (the percent rule).
template <bool kPercent>
class WindowGate {
 public:
  // `others`: D, the same for every window the gate is used on (D > 0).
  explicit WindowGate(std::int64_t others) : others_(others) {}

  // A score not strictly above `gate` changes nothing.
  void SetGate(double gate) {
    const double lowered = gate * (1.0 - 1e-12) - 1e-9;
    if constexpr (kPercent) {
      percentLimit_ = lowered >= 0.0 ? lowered : -1.0;
    } else if (!(lowered >= 0.0)) {
      limit_ = -1;  // nothing can be ruled out
    } else {
      const double product = std::floor(lowered * static_cast<double>(others_));
      limit_ = product >= 9.0e18 ? INT64_MAX : static_cast<std::int64_t>(product);
    }
  }

  // sumOfOthers: N; value: the pixel's own value. False only when the exact
  // score is certainly not above the gate.
  bool MayPass(std::int64_t sumOfOthers, std::int64_t value) const {
    const std::int64_t diff = sumOfOthers - value * others_;
    const std::int64_t deviation = diff < 0 ? -diff : diff;
    if constexpr (!kPercent) {
      return deviation > limit_;
    } else {
      // Percent of a reference above 1.0: 100 x |N - v D| / N. A reference of
      // at most 2 goes to the exact rule, which decides the 1.0 boundary.
      if (sumOfOthers <= 2 * others_) return true;
      return 100.0 * static_cast<double>(deviation) >
             percentLimit_ * static_cast<double>(sumOfOthers);
    }
  }

 private:
  std::int64_t others_;
  std::int64_t limit_ = -1;
  double percentLimit_ = -1.0;
};

}  // namespace sensor::waferon
