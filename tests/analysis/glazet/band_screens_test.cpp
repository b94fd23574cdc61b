// The division-free tests must agree with the plain mean tests on every input
// where they claim certainty.
#include "glazet/core/band_screens.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace sensor::glazet {
namespace {

TEST(SumThresholds, SplitTheSumsExactlyWhereTheMeanLeavesTheBand) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double thresholds[] = {0.0, 1.0, 5.0, 10.0, 33.3, 100.0, 250.0, -7.0, nan};
  const double references[] = {0.0, 1.0, 100.0, 127.49, 2047.0, 3.0e-7, nan};
  const std::int64_t counts[] = {1, 9, 25, 49, 225, 3969};
  for (double t : thresholds)
    for (double ref : references)
      for (std::int64_t count : counts) {
        const FixedBand band = FixedBand::Around(ref, t);
        const std::int64_t maxSum = 255 * count;
        const SumThresholds limits = SumThresholds::For(band, count, maxSum);
        for (std::int64_t sum = 0; sum <= maxSum; sum += 1 + sum / 997) {
          ASSERT_EQ(limits.Outside(sum), band.Outside(WindowMean(static_cast<std::uint64_t>(sum), count)))
              << "T " << t << " ref " << ref << " count " << count << " sum " << sum;
        }
      }
}

TEST(SumThresholds, PutABoundItselfInsideTheBand) {
  // Level 100, T 10: a mean of exactly 90 or 110 is inside, 89.9 and 110.1 are not.
  const FixedBand band = FixedBand::Around(100.0, 10.0);
  const SumThresholds limits = SumThresholds::For(band, 10, 2550);
  EXPECT_FALSE(limits.Outside(900));
  EXPECT_FALSE(limits.Outside(1100));
  EXPECT_TRUE(limits.Outside(899));
  EXPECT_TRUE(limits.Outside(1101));
}

template <class Real>
void ExpectScreenNeverContradictsThePlainTest(std::int64_t maxValue) {
  std::mt19937_64 random(11);
  const double thresholds[] = {0.0, 3.0, 5.0, 50.0, 100.0, 120.0, -4.0, 1e-9};
  int sure = 0, total = 0;
  for (int trial = 0; trial < 200000; ++trial) {
    const std::int64_t innerCount = 1 + static_cast<std::int64_t>(random() % 400);
    const std::int64_t outerCount = 1 + static_cast<std::int64_t>(random() % 4000);
    const RelativeBand band = RelativeBand::For(thresholds[trial % 8]);
    const auto screen = RelativeScreen<Real>::For(band, innerCount, outerCount,
                                                  maxValue * innerCount, maxValue * outerCount);
    ASSERT_TRUE(screen.Usable());
    // Inner sums near the band's edges, where rounding decides, and anywhere.
    const std::int64_t outer = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(maxValue * outerCount + 1));
    const double outerMean = WindowMean(static_cast<std::uint64_t>(outer), outerCount);
    const double edge = (trial % 3 == 0 ? band.LowFactor : band.HighFactor) * outerMean * static_cast<double>(innerCount);
    std::int64_t inner = trial % 3 == 2 ? static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(maxValue * innerCount + 1))
                                        : static_cast<std::int64_t>(std::llround(edge)) + static_cast<std::int64_t>(random() % 3) - 1;
    inner = std::clamp<std::int64_t>(inner, 0, maxValue * innerCount);
    const bool outside = band.Outside(WindowMean(static_cast<std::uint64_t>(inner), innerCount), outerMean);
    const auto verdict = screen.Judge(static_cast<Real>(inner), static_cast<Real>(outer));
    ++total;
    if (verdict == RelativeScreen<Real>::kUnsure) continue;
    ++sure;
    ASSERT_EQ(verdict == RelativeScreen<Real>::kOutside, outside)
        << "inner " << inner << "/" << innerCount << " outer " << outer << "/" << outerCount
        << " T " << thresholds[trial % 8];
  }
  EXPECT_GT(sure, total / 2) << "the screen should decide most pixels";
}

TEST(RelativeScreen, InFloatNeverContradictsThePlainTest) { ExpectScreenNeverContradictsThePlainTest<float>(255); }
TEST(RelativeScreen, InDoubleNeverContradictsThePlainTest) { ExpectScreenNeverContradictsThePlainTest<double>(4095); }

TEST(RelativeScreen, StandsAsideForFactorsItCannotScreen) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(RelativeScreen<float>::For(RelativeBand::For(nan), 9, 81, 2295, 20655).Usable());
  EXPECT_FALSE(RelativeScreen<float>::For(RelativeBand::For(1e30), 9, 81, 2295, 20655).Usable());
  EXPECT_FALSE(RelativeScreen<double>::For(RelativeBand::For(5.0), 0, 81, 0, 20655).Usable());
  EXPECT_TRUE(RelativeScreen<float>::For(RelativeBand::For(100.0), 9, 81, 2295, 20655).Usable());
}

TEST(RelativeScreen, LeavesExactTiesToThePlainTest) {
  // T 0, both means exactly 77: neither side is certain.
  const auto screen = RelativeScreen<float>::For(RelativeBand::For(0.0), 225, 3969, 255 * 225, 255 * 3969);
  EXPECT_EQ(screen.Judge(77.0f * 225, 77.0f * 3969), RelativeScreen<float>::kUnsure);
  EXPECT_EQ(screen.Judge(60.0f * 225, 77.0f * 3969), RelativeScreen<float>::kOutside);
}

}  // namespace
}  // namespace sensor::glazet
