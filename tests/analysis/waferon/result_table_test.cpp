// OfferToTable and SortTable: the examples of the rule, and the fast table
// against the plain rule on long random sequences.
#include <gtest/gtest.h>

#include <random>

#include "reference_rules.h"
#include "waferon/core/result_table.h"

namespace sensor::waferon {
namespace {

DefectRecord At(std::int32_t x, std::int32_t y, double score, std::int32_t colour = 0) {
  return DefectRecord{x, y, score, colour, 0};
}

void ExpectSame(const ResultTable& fast, const std::vector<DefectRecord>& plain) {
  ASSERT_EQ(fast.Entries().size(), plain.size());
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const DefectRecord& a = fast[i];
    const DefectRecord& b = plain[i];
    ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Colour == b.Colour &&
                a.Reserved == b.Reserved)
        << "entry " << i << ": " << a.X << "," << a.Y << " " << a.Score << " vs " << b.X << ","
        << b.Y << " " << b.Score;
  }
}

TEST(WaferonTable, AFullTableReplacesItsSmallestEntryAndAMatchOnlyRaisesItsScore) {
  ResultTable table(2);
  table.Offer(At(0, 0, 1.0));
  table.Offer(At(1, 0, 3.0));
  table.Offer(At(2, 0, 2.0));
  EXPECT_EQ(table[0].X, 2);  // the 1.0 entry was replaced in place
  EXPECT_EQ(table[0].Score, 2.0);
  EXPECT_EQ(table[1].Score, 3.0);

  table.Offer(At(1, 0, 2.5, 4));
  EXPECT_EQ(table[1].Score, 3.0);
  table.Offer(At(1, 0, 4.0, 4));
  EXPECT_EQ(table[1].Score, 4.0);
  EXPECT_EQ(table[1].Colour, 0);  // a match keeps its colour
  EXPECT_EQ(table[0].Score, 2.0);
}

TEST(WaferonTable, EqualMinimaLoseTheFirstOfThemAndEqualScoresDoNotEnter) {
  ResultTable table(3);
  table.Offer(At(0, 0, 5.0));
  table.Offer(At(1, 0, 2.0));
  table.Offer(At(2, 0, 2.0));
  table.Offer(At(3, 0, 2.0));  // not above the minimum
  EXPECT_EQ(table[1].X, 1);
  table.Offer(At(4, 0, 2.5));
  EXPECT_EQ(table[1].X, 4);
  EXPECT_EQ(table[2].X, 2);
  EXPECT_EQ(table.Floor(), 2.0);
}

TEST(WaferonTable, SortingOrdersByScoreStablyWithEmptyEntriesLast) {
  ResultTable table(5);
  table.Offer(At(0, 0, 1.0));
  table.Offer(At(1, 0, 3.0));
  table.Offer(At(2, 0, 2.0));
  table.Offer(At(3, 0, 0.0));  // a filled entry that scores nothing
  table.Sort();
  const double scores[] = {3.0, 2.0, 1.0, 0.0, 0.0};
  const std::int32_t xs[] = {1, 2, 0, 3, -1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(table[static_cast<std::size_t>(i)].Score, scores[i]);
    EXPECT_EQ(table[static_cast<std::size_t>(i)].X, xs[i]);
  }
  // The table goes on working by the same rule after the sort.
  table.Offer(At(9, 9, 1.5));
  EXPECT_EQ(table[4].X, 9);
  table.Offer(At(8, 8, 0.5));
  EXPECT_EQ(table[3].X, 8);  // the filled 0.0 entry was the smallest
}

TEST(WaferonTable, TheFastTableFollowsThePlainRuleOfferForOffer) {
  std::mt19937 random(17);
  for (int trial = 0; trial < 200; ++trial) {
    const std::size_t size = 1 + random() % 12;
    ResultTable fast(static_cast<std::int32_t>(size));
    std::vector<DefectRecord> plain = reference::EmptyTable(size);
    // Few positions and few distinct scores, so matches and ties abound.
    const int positions = 2 + static_cast<int>(random() % 30);
    const int offers = static_cast<int>(random() % 200);
    for (int i = 0; i < offers; ++i) {
      const auto p = static_cast<std::int32_t>(random() % static_cast<unsigned>(positions));
      const DefectRecord r = At(p % 7, p / 7, static_cast<double>(random() % 9) * 0.5,
                                static_cast<std::int32_t>(random() % 5));
      fast.Offer(r);
      reference::OfferToTable(plain, r);
      if (random() % 23 == 0) {
        fast.Sort();
        reference::SortTable(plain);
      }
      ExpectSame(fast, plain);
      if (HasFatalFailure()) return;
    }
    fast.Sort();
    reference::SortTable(plain);
    ExpectSame(fast, plain);
  }
}

TEST(WaferonTable, AnOfferAtOrBelowTheFloorChangesNothing) {
  std::mt19937 random(5);
  ResultTable table(8);
  for (int i = 0; i < 500; ++i) {
    const DefectRecord r = At(static_cast<std::int32_t>(random() % 40), 0,
                              static_cast<double>(random() % 100));
    const bool belowFloor = !(r.Score > table.Floor());
    const std::vector<DefectRecord> before = table.Entries();
    table.Offer(r);
    if (belowFloor) {
      for (std::size_t k = 0; k < before.size(); ++k) ASSERT_EQ(before[k].Score, table[k].Score);
    }
  }
}

// A checked build stops on an offer at no pixel's position.
TEST(WaferonTable, AnOfferAtANegativePositionStopsACheckedBuild) {
#if defined(NDEBUG) && !defined(SENSOR_CHECK_PRECONDITIONS)
  GTEST_SKIP() << "preconditions are compiled out of this build";
#else
  ResultTable table(2);
  EXPECT_DEATH(table.Offer(At(-1, 3, 5.0)), "precondition failed: record.X >= 0");
#endif
}

}  // namespace
}  // namespace sensor::waferon
