#include "glazet/core/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sensor::glazet {
namespace {

TEST(RunGeometry, TheScanAreaIsWhatTheMarginsLeave) {
  const Rect a = PlaceScanArea(640, 480, 2, 3, 4, 5);
  EXPECT_EQ(a.Left, 2);
  EXPECT_EQ(a.Top, 3);
  EXPECT_EQ(a.Right, 635);
  EXPECT_EQ(a.Bottom, 474);
  EXPECT_TRUE(PlaceScanArea(10, 10, 6, 0, 5, 0).Empty());
}

TEST(RunGeometry, TheRegionOfInterestTruncatesAndPullsBackOnlyRightAndBottom) {
  const Rect whole = PlaceRegionOfInterest(101, 50, 0.0, 0.0, 1.0, 1.0);
  EXPECT_EQ(whole.Right, 100);
  EXPECT_EQ(whole.Bottom, 49);
  EXPECT_EQ(PlaceRegionOfInterest(101, 50, 0.0, 0.0, 0.5, 1.0).Right, 50);  // 50.5
  const Rect beyond = PlaceRegionOfInterest(100, 50, -0.25, 1.5, 3.0, 2.0);
  EXPECT_EQ(beyond.Left, -25);
  EXPECT_EQ(beyond.Top, 75);
  EXPECT_EQ(beyond.Right, 99);
  EXPECT_EQ(beyond.Bottom, 49);
}

TEST(RunGeometry, ConversionSaturatesInsteadOfMisbehaving) {
  EXPECT_EQ(TruncateToInt32(-0.9), 0);
  EXPECT_EQ(TruncateToInt32(2147483647.9), INT32_MAX);
  EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
  EXPECT_EQ(TruncateToInt32(-1e300), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), INT32_MIN);
  EXPECT_TRUE(PlaceRegionOfInterest(100, 50, 0.0, 0.0, std::nan(""), 1.0).Empty());
}

}  // namespace
}  // namespace sensor::glazet
