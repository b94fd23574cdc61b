#include "frontend/common/value_scan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sensor::frontend {
namespace {

TEST(ValueScan, ReadsEveryListItemWhenAllScan) {
  const auto values = ScanInt32s<4>("1,2,3,4");
  ASSERT_TRUE(values);
  EXPECT_EQ(*values, (std::array<std::int32_t, 4>{1, 2, 3, 4}));

  const auto fractions = ScanDoubles<4>("0.25, .5,1e-1,+2");
  ASSERT_TRUE(fractions);
  EXPECT_EQ(*fractions, (std::array<double, 4>{0.25, 0.5, 0.1, 2.0}));
}

TEST(ValueScan, GivesNothingWhenFewerValuesScanThanAsked) {
  EXPECT_FALSE(ScanInt32s<4>("1,2,3"));
  EXPECT_FALSE(ScanInt32s<2>("7"));
  EXPECT_FALSE(ScanDoubles<10>("1,2,3,4,5,6,7,8,9"));
  EXPECT_FALSE(ScanInt32s<1>(""));
  EXPECT_FALSE(ScanInt32s<1>(nullptr));
}

TEST(ValueScan, AllowsWhiteSpaceOnlyBeforeANumber) {
  EXPECT_TRUE(ScanInt32s<2>(" 1,\t2"));
  EXPECT_FALSE(ScanInt32s<2>("1 ,2"));  // the comma must follow the number at once
  EXPECT_FALSE(ScanInt32s<2>("1;2"));
}

TEST(ValueScan, IgnoresTextAfterTheLastValue) {
  const auto values = ScanInt32s<2>("10,12 bits\n");
  ASSERT_TRUE(values);
  EXPECT_EQ((*values)[0], 10);
  EXPECT_EQ((*values)[1], 12);
  EXPECT_EQ((*ScanInt32s<1>("5,6"))[0], 5);
}

TEST(ValueScan, ReadsSignedWholeNumbersOnlyAsDecimalsThatFit32Bits) {
  EXPECT_EQ((*ScanInt32s<1>("-5"))[0], -5);
  EXPECT_EQ((*ScanInt32s<1>("2147483647"))[0], 2147483647);
  EXPECT_EQ((*ScanInt32s<1>("-2147483648"))[0], INT32_MIN);
  EXPECT_FALSE(ScanInt32s<1>("2147483648"));
  EXPECT_FALSE(ScanInt32s<1>("99999999999999999999999"));
  EXPECT_EQ((*ScanInt32s<1>("12.9"))[0], 12);  // the scan stops at the dot
  EXPECT_EQ((*ScanInt32s<1>("0x1F"))[0], 0);   // decimal only
  EXPECT_FALSE(ScanInt32s<1>("-"));
}

TEST(ValueScan, ReadsDoublesAsTheCLibraryDoes) {
  EXPECT_EQ((*ScanDoubles<1>("3"))[0], 3.0);
  EXPECT_EQ((*ScanDoubles<1>("-2.5e2"))[0], -250.0);
  EXPECT_TRUE(std::isinf((*ScanDoubles<1>("inf"))[0]));
  EXPECT_FALSE(ScanDoubles<1>("abc"));
  EXPECT_FALSE(ScanDoubles<2>("1.5,"));
}

TEST(LeadingInteger, FollowsAtoiConventions) {
  EXPECT_EQ(LeadingInteger("250.9"), 250);
  EXPECT_EQ(LeadingInteger("  -12abc"), -12);
  EXPECT_EQ(LeadingInteger("+7"), 7);
  EXPECT_EQ(LeadingInteger("abc"), 0);
  EXPECT_EQ(LeadingInteger(""), 0);
  EXPECT_EQ(LeadingInteger("2.5"), 2);
  EXPECT_EQ(LeadingInteger("\t\n 42"), 42);
}

TEST(LeadingInteger, HoldsNumbersBeyond32BitsAtTheRangeEnds) {
  EXPECT_EQ(LeadingInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(LeadingInteger("2147483648"), INT32_MAX);
  EXPECT_EQ(LeadingInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(LeadingInteger("-99999999999999999999"), INT32_MIN);
}

}  // namespace
}  // namespace sensor::frontend
