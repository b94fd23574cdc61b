#include "frontend/station/verdict_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sensor::frontend {
namespace {

VerdictEntry Count(const char* label, std::int32_t low, std::int32_t high, std::int32_t value) {
  VerdictEntry entry{ValueKind::Count, label, high, low, 0.0};
  entry.SetCount(value);
  return entry;
}

VerdictEntry Level(const char* label, std::int32_t low, std::int32_t high, double value) {
  return VerdictEntry{ValueKind::Level, label, high, low, value};
}

TEST(Verdict, BothLimitsBelongToThePassingRange) {
  EXPECT_FALSE(Count("c", 0, 3, 3).Fails());
  EXPECT_FALSE(Count("c", 2, 3, 2).Fails());
  EXPECT_TRUE(Count("c", 0, 3, 4).Fails());
  EXPECT_TRUE(Count("c", 2, 3, 1).Fails());
  EXPECT_TRUE(Level("l", 0, 120, 120.001).Fails());
  EXPECT_FALSE(Level("l", 0, 120, 120.0).Fails());
}

TEST(Verdict, ALevelThatIsNotANumberPasses) {
  EXPECT_FALSE(Level("l", 0, 0, std::nan("")).Fails());
}

TEST(Verdict, FailureMessageListsFailingValuesInTableOrder) {
  const VerdictTable table = {Count("cluster(center)", 0, 0, 3), Count("cluster(side)", 0, 5, 5),
                              Level("brightness(r)", 0, 120, 123.456)};
  std::string message;
  EXPECT_TRUE(JudgeResults(table, message));
  EXPECT_EQ(message, "cluster(center)=3,brightness(r)=123.46");
}

TEST(Verdict, AnEntryWithoutLimitsFailsWithAnEmptyLabel) {
  const VerdictTable table = {Level("", 0, 0, 123.456), Level("", 0, 0, 0.0)};
  std::string message;
  EXPECT_TRUE(JudgeResults(table, message));
  EXPECT_EQ(message, "=123.46");
}

TEST(Verdict, NothingFailingLeavesTheMessageEmpty) {
  const VerdictTable table = {Count("a", -5, 5, -5), Level("b", 0, 255, 100.0)};
  std::string message;
  EXPECT_FALSE(JudgeResults(table, message));
  EXPECT_EQ(message, "");
}

TEST(Verdict, TheFailureMessageIsCutAt2047Characters) {
  VerdictTable table;
  for (int i = 0; i < 11; ++i) table.push_back(Count(std::string(259, 'x').c_str(), 0, 0, 1));
  std::string message;
  EXPECT_TRUE(JudgeResults(table, message));
  EXPECT_EQ(message.size(), 2047u);
  EXPECT_EQ(message.substr(0, 262), std::string(259, 'x') + "=1,");
}

TEST(Verdict, EntriesFormatCountsWholeAndLevelsWithTwoDecimals) {
  const VerdictEntry count = Count("c", -2147483647 - 1, 2147483647, -7);
  EXPECT_EQ(count.FormatValue(), "-7");
  EXPECT_EQ(count.FormatLow(), "-2147483648");
  EXPECT_EQ(count.FormatHigh(), "2147483647");
  const VerdictEntry level = Level("l", -3, 250, 0.005);
  EXPECT_EQ(level.FormatHigh(), "250.00");
  EXPECT_EQ(level.FormatLow(), "-3.00");
  EXPECT_EQ(level.FormatValue(), "0.01");
}

}  // namespace
}  // namespace sensor::frontend
