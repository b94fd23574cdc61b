// Division-free forms of the band tests, for windows of a known sample count.
// Both give exactly the decision of mean_band.h; they only avoid dividing for
// every pixel.
#pragma once

#include <cmath>
#include <cstdint>

#include "glazet/core/mean_band.h"

namespace sensor::glazet {

// The global test for windows of `count` samples as two integer limits on the
// window sum. The mean (double)sum / count never decreases as the sum grows, so
// the sums whose mean lies below the band form a prefix of 0, 1, 2, ... and
// those above it a suffix; the limits are found by bisection on the very
// expression the plain rule evaluates.
struct SumThresholds {
  std::int64_t Below = 0;  // a sum below this is a candidate
  std::int64_t Above = 0;  // a sum above this is a candidate

  static SumThresholds For(const FixedBand& band, std::int64_t count, std::int64_t maxSum) {
    auto firstWhere = [&](auto predicate) {  // first sum in [0, maxSum + 1] that holds
      std::int64_t lo = 0, hi = maxSum + 1;
      while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (predicate(mid)) {
          hi = mid;
        } else {
          lo = mid + 1;
        }
      }
      return lo;
    };
    auto mean = [&](std::int64_t sum) {
      return WindowMean(static_cast<std::uint64_t>(sum), count);
    };
    SumThresholds t;
    t.Below = firstWhere([&](std::int64_t s) { return !(mean(s) < band.Low); });
    t.Above = firstWhere([&](std::int64_t s) { return mean(s) > band.High; }) - 1;
    return t;
  }

  bool Outside(std::int64_t sum) const { return sum < Below || sum > Above; }
};

// The local test for an inner window of InnerCount samples against an outer
// window of OuterCount samples, screened without division. With both counts
// positive the test compares inner sum x outer count with outer sum x inner
// count x factor. Real is double (for any sums) or float (for sums and counts
// up to 2^30, four pixels per vector step): the products are formed within a
// few units in the last place of Real, and where they differ by more than a
// relative margin (2^-32 in double, 2^-16 in float) the rounding of the plain
// rule cannot turn the result, so the decision is certain. Otherwise the
// caller evaluates the plain rule; so it does for everything when the factors
// or sums are too large or too small for the screen.
template <class Real>
class RelativeScreen {
 public:
  enum Verdict : std::uint8_t { kInside = 0, kOutside = 1, kUnsure = 2 };

  static RelativeScreen For(const RelativeBand& band, std::int64_t innerCount,
                            std::int64_t outerCount, std::int64_t maxInnerSum,
                            std::int64_t maxOuterSum) {
    RelativeScreen s;
    const double lowScale = static_cast<double>(innerCount) * band.LowFactor;
    const double highScale = static_cast<double>(innerCount) * band.HighFactor;
    if constexpr (sizeof(Real) == 4) {
      const std::int64_t limit = std::int64_t{1} << 30;
      s.usable_ = innerCount > 0 && outerCount > 0 && maxInnerSum <= limit &&
                  outerCount <= limit && maxOuterSum <= limit && Within(lowScale, 0x1p-60, 0x1p60) &&
                  Within(highScale, 0x1p-60, 0x1p60);
    } else {
      const double exact = 0x1p53;
      s.usable_ = innerCount > 0 && outerCount > 0 && Within(band.LowFactor, 0x1p-900, 0x1p900) &&
                  Within(band.HighFactor, 0x1p-900, 0x1p900) &&
                  static_cast<double>(maxInnerSum) * static_cast<double>(outerCount) < exact &&
                  static_cast<double>(maxOuterSum) < exact;
    }
    if (!s.usable_) return s;
    const double margin = sizeof(Real) == 4 ? 0x1p-16 : 0x1p-32;
    s.outerCount_ = static_cast<Real>(outerCount);
    s.lowUnder_ = static_cast<Real>(lowScale - std::fabs(lowScale) * margin);
    s.lowOver_ = static_cast<Real>(lowScale + std::fabs(lowScale) * margin);
    s.highUnder_ = static_cast<Real>(highScale - std::fabs(highScale) * margin);
    s.highOver_ = static_cast<Real>(highScale + std::fabs(highScale) * margin);
    return s;
  }

  bool Usable() const { return usable_; }

  // Inner and outer window sums, converted to Real.
  Verdict Judge(Real innerSum, Real outerSum) const {
    if (Outside(innerSum, outerSum)) return kOutside;
    return Inside(innerSum, outerSum) ? kInside : kUnsure;
  }
  // The two certain answers, each 0 or 1, written without branches so that a
  // loop over a row can use them on several pixels at once.
  int Outside(Real innerSum, Real outerSum) const {
    const Real scaledInner = innerSum * outerCount_;
    return (scaledInner < outerSum * lowUnder_) | (scaledInner > outerSum * highOver_);
  }
  int Inside(Real innerSum, Real outerSum) const {
    const Real scaledInner = innerSum * outerCount_;
    return (scaledInner > outerSum * lowOver_) & (scaledInner < outerSum * highUnder_);
  }

  // The factors of Outside and Inside, for loops that write the same
  // products and comparisons in vector form.
  struct Factors {
    Real OuterCount, LowUnder, LowOver, HighUnder, HighOver;
  };
  Factors Scale() const { return Factors{outerCount_, lowUnder_, lowOver_, highUnder_, highOver_}; }

 private:
  // 0, or a magnitude in [lo, hi]: products stay clear of overflow and of
  // subnormal numbers. NaN is neither.
  static bool Within(double v, double lo, double hi) {
    const double a = std::fabs(v);
    return v == 0.0 || (a >= lo && a <= hi);
  }

  bool usable_ = false;
  Real outerCount_ = 0;
  Real lowUnder_ = 0, lowOver_ = 0, highUnder_ = 0, highOver_ = 0;
};

}  // namespace sensor::glazet
