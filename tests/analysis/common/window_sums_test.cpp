#include <gtest/gtest.h>

#include "common/window_placement.h"

namespace sensor {
namespace {

TEST(WindowPlacement, SiteWindowsMoveInwardByEvenSteps) {
  // Window of half-width 4 at the first column of a region starting at 10.
  Span s = PlaceSiteWindow(10, 4, 10, 100);
  EXPECT_EQ(s.First, 10);
  EXPECT_EQ(s.Last, 18);
  s = PlaceSiteWindow(11, 4, 10, 100);  // past the edge by 3: moved by 4
  EXPECT_EQ(s.First, 11);
  EXPECT_EQ(s.Last, 19);
  s = PlaceSiteWindow(100, 4, 10, 100);
  EXPECT_EQ(s.First, 92);
  EXPECT_EQ(s.Last, 100);
  s = PlaceSiteWindow(50, 4, 10, 100);
  EXPECT_EQ(s.First, 46);
  EXPECT_EQ(s.Last, 54);
}

TEST(WindowPlacement, WindowsLargerThanTheRegionAreCutToIt) {
  Span s = PlaceSiteWindow(3, 10, 0, 4);  // moved to 1..21, cut to 1..3
  EXPECT_EQ(s.First, 1);
  EXPECT_EQ(s.Last, 3);
  EXPECT_TRUE(s.Contains(3));
  s = PlaceBox(2, 5, 0, 4);
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 4);
  s = PlaceBox(1, 2, 0, 100);  // the first pixels share the box at the edge
  EXPECT_EQ(s.First, 0);
  EXPECT_EQ(s.Last, 4);
}

}  // namespace
}  // namespace sensor
