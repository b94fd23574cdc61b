// What the four searches mark, on pictures whose answer can be worked out by
// hand.
#include <gtest/gtest.h>

#include <random>

#include "glazet/core/bayer_search.h"
#include "glazet/core/colour_search.h"
#include "search_fixture.h"

namespace sensor::glazet::test {
namespace {

constexpr std::int32_t kRed = 2, kGreen = 1, kBlue = 0;  // byte offsets
constexpr std::int32_t kR = 0, kG = 1, kG1 = 3;          // Bayer positions

// A grey picture with one bright pixel, searched globally around the grey level.
int MarksAroundSpike(std::int32_t boxSize, std::int32_t spikeX, std::int32_t spikeY) {
  BoundPicture p(20, 12);
  p.Image.FillBgr(100, 100, 100);
  p.Image.SetBgr(spikeX, spikeY, 255, 255, 255);
  p.Setup.Plane = kGreen;
  p.Setup.SmallSize = boxSize;
  p.Setup.Reference = 100.0;
  p.Setup.Threshold = 1.0;
  const std::int64_t found = GlobalColourSearch(p.Setup);
  EXPECT_EQ(found, p.MarkCount());
  return p.MarkCount();
}

TEST(ColourSearches, BoxSizesRoundUpToOddSquares) {
  EXPECT_EQ(MarksAroundSpike(1, 10, 6), 1);
  EXPECT_EQ(MarksAroundSpike(2, 10, 6), 9);
  EXPECT_EQ(MarksAroundSpike(3, 10, 6), 9);
  EXPECT_EQ(MarksAroundSpike(4, 10, 6), 25);
  EXPECT_EQ(MarksAroundSpike(5, 10, 6), 25);
}

TEST(ColourSearches, BoxesAtTheEdgeMoveInwardUntilTheyTouchIt) {
  // Size 5 at columns 0, 1, 2 is the box of columns 0..4; from column 3 on it is
  // centred. A spike in column 4 is seen from columns 0..6, one in column 5
  // only from columns 3..7.
  EXPECT_EQ(MarksAroundSpike(5, 4, 6), 7 * 5);
  EXPECT_EQ(MarksAroundSpike(5, 5, 6), 5 * 5);
  EXPECT_EQ(MarksAroundSpike(5, 0, 0), 3 * 3);  // a corner: boxes of columns and rows 0..4
}

TEST(ColourSearches, ALocalDarkPixelMarksItsThreeByThreeNeighbourhood) {
  BoundPicture p(30, 30);
  p.Image.FillBgr(100, 100, 100);
  p.Image.At(15, 14)[2] = 0;  // red byte of one pixel
  p.Setup.Plane = kRed;
  p.Setup.SmallSize = 3;
  p.Setup.LargeSize = 9;
  p.Setup.Threshold = 5.0;
  EXPECT_EQ(LocalColourSearch(p.Setup), 9);
  for (int y = 13; y <= 15; ++y)
    for (int x = 14; x <= 16; ++x) EXPECT_TRUE(p.Marked(x, y)) << x << "," << y;

  p.ClearMap();
  p.Setup.Plane = kBlue;  // the blue bytes are flat
  EXPECT_EQ(LocalColourSearch(p.Setup), 0);
}

TEST(ColourSearches, TheGlobalBandLiesAroundTheTestedColoursLevel) {
  BoundPicture p(10, 10);
  p.Image.FillBgr(200, 120, 50);
  p.Image.SetBgr(3, 3, 200, 120, 60);
  p.Setup.Plane = kRed;
  p.Setup.SmallSize = 1;
  p.Setup.Reference = ColourLevels(p.Setup.Image, p.Setup.ScanArea)[0];  // about 50
  p.Setup.Threshold = 10.0;
  EXPECT_EQ(GlobalColourSearch(p.Setup), 1);
  EXPECT_TRUE(p.Marked(3, 3));
}

TEST(ColourSearches, AFlatPictureHasNoCandidateForAnyThresholdNotBelowZero) {
  for (double t : {0.0, 5.0, 100.0}) {
    BoundPicture p(16, 9, 32);
    p.Image.FillBgr(7, 130, 250);
    p.Setup.Plane = kGreen;
    p.Setup.SmallSize = 3;
    p.Setup.LargeSize = 7;
    p.Setup.Threshold = t;
    p.Setup.Reference = 130.0;
    EXPECT_EQ(GlobalColourSearch(p.Setup), 0);
    EXPECT_EQ(LocalColourSearch(p.Setup), 0);
  }
}

TEST(ColourSearches, ThresholdZeroMarksEveryBoxWhoseMeanDiffersFromTheLevel) {
  BoundPicture p(12, 8);
  std::mt19937 random(4);
  p.Image.Randomise(random, 0, 1);
  p.Setup.Plane = kGreen;
  p.Setup.SmallSize = 1;
  p.Setup.Reference = 1.0;
  p.Setup.Threshold = 0.0;
  int zeros = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) zeros += p.Image.At(x, y)[1] == 0;
  EXPECT_EQ(GlobalColourSearch(p.Setup), zeros);
}

TEST(ColourSearches, SizesThatGiveTheSameBoxFindNothingLocally) {
  BoundPicture p(20, 20);
  std::mt19937 random(8);
  p.Image.Randomise(random);
  p.Setup.SmallSize = 2;
  p.Setup.LargeSize = 3;
  EXPECT_EQ(LocalColourSearch(p.Setup), 0);
}

TEST(ColourSearches, TestOnlyTheScanAreaAndTheRegionOfInterest) {
  BoundPicture p(20, 20);
  std::mt19937 random(2);
  p.Image.Randomise(random, 0, 50);
  p.Setup.Plane = kGreen;
  p.Setup.SmallSize = 1;
  p.Setup.Reference = 200.0;  // every pixel is far below
  p.Setup.ScanArea = Rect{2, 3, 17, 16};
  p.Setup.RegionOfInterest = Rect{-5, 5, 10, 40};
  EXPECT_EQ(GlobalColourSearch(p.Setup), (10 - 2 + 1) * (16 - 5 + 1));
  EXPECT_TRUE(p.Marked(2, 5));
  EXPECT_FALSE(p.Marked(1, 5));
  EXPECT_FALSE(p.Marked(11, 5));
  EXPECT_FALSE(p.Marked(5, 4));
}

// A Bayer picture of one flat sample with one different site.
BoundPicture FlatBayer(std::int32_t w, std::int32_t h, std::uint16_t level) {
  BoundPicture p(w, h, 32);
  p.Image.FillSample(level, 12);
  p.Setup.Sample = SampleRule::For(12, 12);
  return p;
}

TEST(BayerSearches, WindowSizeOneComparesTheSampleItselfWithTheBand) {
  // Level 100, T 10: 90 and 110 are inside the band, 89 and 111 outside.
  const std::uint16_t samples[] = {89, 90, 110, 111};
  const bool outside[] = {true, false, false, true};
  for (int i = 0; i < 4; ++i) {
    BoundPicture p(8, 8, 24);
    p.Image.FillSample(100, 8);
    p.Image.SetSample(3, 2, samples[i], 8);  // an R site
    p.Setup.Sample = SampleRule::For(8, 8);
    p.Setup.Plane = kR;
    p.Setup.SmallSize = 1;
    p.Setup.Reference = 100.0;
    p.Setup.Threshold = 10.0;
    EXPECT_EQ(GlobalBayerSearch(p.Setup), outside[i] ? 1 : 0) << samples[i];
  }
}

// R sites whose global window of the given size sees a bright R site at (sx, sy).
int BayerMarksAroundSpike(std::int32_t size, std::int32_t sx, std::int32_t sy) {
  BoundPicture p = FlatBayer(40, 40, 1600);
  p.Image.SetSample(sx, sy, 4000, 12);
  p.Setup.Plane = kR;
  p.Setup.SmallSize = size;
  p.Setup.Reference = 1600.0;
  p.Setup.Threshold = 0.5;
  const std::int64_t found = GlobalBayerSearch(p.Setup);
  EXPECT_EQ(found, p.MarkCount());
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (p.Marked(x, y)) {
        EXPECT_TRUE(x % 2 == 1 && y % 2 == 0) << "only R sites: " << x << "," << y;
      }
  return p.MarkCount();
}

TEST(BayerSearches, WindowsHoldSamplesOfOnePositionOnly) {
  EXPECT_EQ(BayerMarksAroundSpike(1, 21, 20), 1);
  EXPECT_EQ(BayerMarksAroundSpike(4, 21, 20), 5 * 5);
  EXPECT_EQ(BayerMarksAroundSpike(5, 21, 20), 5 * 5);
  EXPECT_EQ(BayerMarksAroundSpike(6, 21, 20), 7 * 7);
}

TEST(BayerSearches, WindowsAtTheEdgeMoveInwardByWholeCells) {
  // Size 5 (h 4): the R sites of columns 1, 3, 5 share the window of columns
  // 1..9; a spike in column 9 is seen from columns 1..13, one in column 11 from
  // columns 7..15. Rows: the spike's row 20 is seen from rows 16..24.
  EXPECT_EQ(BayerMarksAroundSpike(5, 9, 20), 7 * 5);
  EXPECT_EQ(BayerMarksAroundSpike(5, 11, 20), 5 * 5);
}

TEST(BayerSearches, TheGreenIndexMatchesNoSite) {
  BoundPicture p(16, 16, 32);
  std::mt19937 random(1);
  p.Image.Randomise(random);
  p.Setup.Plane = kG;
  p.Setup.SmallSize = 1;
  p.Setup.Reference = 1e9;
  EXPECT_EQ(GlobalBayerSearch(p.Setup), 0);
  EXPECT_EQ(LocalBayerSearch(p.Setup), 0);
}

TEST(BayerSearches, AnOddLeftMarginShiftsThePositions) {
  for (int left : {0, 1}) {
    BoundPicture p = FlatBayer(12, 12, 2000);
    p.Image.SetSample(5, 4, 400, 12);
    p.Setup.ScanArea = Rect{left, 0, 11, 11};
    p.Setup.Plane = left == 0 ? kR : kG1;
    p.Setup.SmallSize = 1;
    p.Setup.Reference = 2000.0;
    p.Setup.Threshold = 5.0;
    EXPECT_EQ(GlobalBayerSearch(p.Setup), 1) << "left margin " << left;
    EXPECT_TRUE(p.Marked(5, 4));
  }
}

TEST(BayerSearches, SizesThatGiveTheSameWindowFindNothingLocally) {
  BoundPicture p(30, 30, 32);
  std::mt19937 random(6);
  p.Image.Randomise(random);
  p.Setup.Sample = SampleRule::For(10, 10);
  p.Setup.Plane = kR;
  p.Setup.SmallSize = 4;
  p.Setup.LargeSize = 5;
  EXPECT_EQ(LocalBayerSearch(p.Setup), 0);
}

TEST(BayerSearches, ASmallWindowLargerThanTheLargeOneCountsOnlyTheOverlap) {
  // Small 7, large 3: away from the edges the inner samples are the large
  // window's own, so the means agree and nothing is marked there.
  BoundPicture p(40, 40, 32);
  std::mt19937 random(12);
  p.Image.Randomise(random);
  p.Setup.Sample = SampleRule::For(12, 12);
  p.Setup.Plane = kR;
  p.Setup.SmallSize = 7;
  p.Setup.LargeSize = 3;
  p.Setup.Threshold = 0.0;
  LocalBayerSearch(p.Setup);
  for (int y = 6; y < 34; ++y)
    for (int x = 6; x < 34; ++x) EXPECT_FALSE(p.Marked(x, y)) << x << "," << y;
}

TEST(BayerSearches, ALocalDarkSpotIsFoundOnItsPosition) {
  BoundPicture p = FlatBayer(40, 40, 2000);
  for (int y = 18; y <= 22; y += 2)
    for (int x = 19; x <= 23; x += 2) p.Image.SetSample(x, y, 1000, 12);
  p.Setup.Plane = kR;
  p.Setup.SmallSize = 3;
  p.Setup.LargeSize = 15;
  p.Setup.Threshold = 10.0;
  EXPECT_GT(LocalBayerSearch(p.Setup), 0);
  EXPECT_TRUE(p.Marked(21, 20));
  EXPECT_FALSE(p.Marked(1, 0));
}

}  // namespace
}  // namespace sensor::glazet::test
