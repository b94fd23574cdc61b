// The integer gate of the local searches never rules out a pixel whose exact
// score lies above the gate, even with gates placed on exact scores.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "waferon/core/approximate_gate.h"
#include "waferon/core/scoring.h"
#include "waferon/core/value_scores.h"

namespace sensor::waferon {
namespace {

template <bool kPercent>
void ExpectSound(std::uint32_t seed) {
  std::mt19937 random(seed);
  for (int trial = 0; trial < 200000; ++trial) {
    const std::int64_t maxValue = trial % 2 ? 255 : 4095;
    std::int64_t count = 2 + static_cast<std::int64_t>(random() % (trial % 3 ? 200 : 500000));
    if (!FitsNarrowGate(count, maxValue)) count = 2;
    const std::int64_t others = count - 1;
    const auto value = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(maxValue + 1));
    // Window sums mostly near value x count, sometimes anywhere.
    const auto centre = static_cast<std::int64_t>(value) * others;
    std::int64_t sumOfOthers =
        random() % 4 ? centre + static_cast<std::int64_t>(random() % 2001) - 1000
                     : static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(maxValue * others + 1));
    sumOfOthers = std::clamp<std::int64_t>(sumOfOthers, 0, maxValue * others);

    const double mean = static_cast<double>(sumOfOthers) / static_cast<double>(others);
    const double exact = PercentScore(mean, value, kPercent);
    double gate = 0.0;
    switch (random() % 4) {
      case 0: gate = exact; break;
      case 1: gate = std::nextafter(exact, -1.0); break;
      case 2: gate = exact * (1.0 - 1e-15); break;
      default: gate = static_cast<double>(random() % 100000) / 100.0;
    }
    const auto g = NarrowGate<kPercent>::For(gate, others);
    const bool mayPass = g.MayPass(static_cast<std::int32_t>(sumOfOthers + value), value);
    if (exact > gate) {
      ASSERT_TRUE(mayPass) << "N " << sumOfOthers << " v " << value << " D " << others << " gate "
                           << gate;
    }
  }
}

TEST(WaferonGate, NeverRulesOutAnAbsoluteScoreAboveTheGate) { ExpectSound<false>(1); }
TEST(WaferonGate, NeverRulesOutAPercentScoreAboveTheGate) { ExpectSound<true>(2); }

TEST(WaferonGate, RulesOutTheFlatFieldAndKeepsTheOutliers) {
  const auto g = NarrowGate<false>::For(10.0, 120);
  EXPECT_FALSE(g.MayPass(121 * 100, 100));         // score 0
  EXPECT_FALSE(g.MayPass(120 * 100 + 105, 105));   // score 5
  EXPECT_TRUE(g.MayPass(120 * 100 + 111, 111));    // score 11
  const auto open = NarrowGate<false>::For(-std::numeric_limits<double>::infinity(), 120);
  EXPECT_TRUE(open.MayPass(121 * 100, 100));        // an empty table's floor keeps every pixel
  const auto closed = NarrowGate<true>::For(std::numeric_limits<double>::infinity(), 120);
  EXPECT_FALSE(closed.MayPass(120 * 100 + 4000, 4000));
  EXPECT_TRUE(closed.MayPass(120 * 1 + 4000, 4000));  // a reference near 1 goes to the exact rule
}

TEST(WaferonGate, ValueRangesHoldExactlyTheValuesScoringAtMostTheGate) {
  std::mt19937 random(4);
  for (int trial = 0; trial < 3000; ++trial) {
    const int count = trial % 2 ? 256 : 4096;
    const double reference = trial % 7 == 0 ? static_cast<double>(random() % 3) * 0.4
                                            : static_cast<double>(random() % (100 * count)) / 100.0;
    const bool percent = random() % 2 == 0;
    const ValueScores scores(reference, percent, count);
    const auto v0 = static_cast<std::uint32_t>(random() % static_cast<std::uint32_t>(count));
    const double gate = random() % 2 ? scores[v0] : static_cast<double>(random() % 5000) / 50.0;
    const ValueScores::Range range = scores.AtMost(gate);
    for (int v = 0; v < count; ++v) {
      const bool inside = v >= range.Lo && v <= range.Hi;
      ASSERT_EQ(inside, scores[static_cast<std::uint32_t>(v)] <= gate)
          << "reference " << reference << " percent " << percent << " gate " << gate << " value " << v;
    }
  }
}

}  // namespace
}  // namespace sensor::waferon
