// The review image drawn over a plain background and over bound pictures:
// its size limit, a visible mark at every finding and no mark elsewhere, and
// the picture read as a person sees it (Bayer sites, colour byte order).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "common/frontend_interface.h"
#include "frontend/products/review/review_image.h"
#include "test_image.h"

namespace sensor::review {
namespace {

constexpr Rgb kGrey{128, 128, 128};

// The nearest pixel of `colour` to the point, by the larger of the two
// distances; -1 when there is none within `reach`.
int NearestOf(const Canvas& canvas, Rgb colour, std::int32_t x, std::int32_t y, int reach) {
  int best = -1;
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      const int d = std::max(std::abs(dx), std::abs(dy));
      if (canvas.At(x + dx, y + dy) == colour && (best < 0 || d < best)) best = d;
    }
  }
  return best;
}

TEST(ReviewImage, EveryFindingOfALargePictureIsMarkedVisiblyAndNothingElse) {
  // A 48-megapixel picture shrinks about four times: one pixel is a quarter
  // of an image pixel, yet its ring must show, around it and not over it.
  const std::int32_t width = 8000, height = 6000;
  const ReviewLayout layout = PlaceReview(width, height);
  EXPECT_LE(std::max(layout.CanvasWidth, layout.CanvasHeight), kMaxReviewSide);
  EXPECT_GE(std::max(layout.Picture.Columns(), layout.Picture.Rows()), 1900);

  ReviewInput input;
  input.Program = "Waferonrun";
  input.Picture = "part17.bmp";
  input.Verdict = ReviewVerdict::Fail;
  input.VerdictText = "FAIL";
  input.FailingValues = "pixel(total)=4";
  input.ScanArea = Rect{2, 2, width - 3, height - 3};
  input.Marks = {{FindingClass::Pixel, {0, 0, 0, 0}},
                 {FindingClass::Pixel, {width - 1, height - 1, width - 1, height - 1}},
                 {FindingClass::Pixel, {4321, 1234, 4321, 1234}},
                 {FindingClass::Cluster, {3000, 2000, 3002, 2001}},
                 {FindingClass::Blemish, {100, 4000, 260, 4150}}};
  const ReviewBackdrop backdrop{layout, Canvas(static_cast<std::int32_t>(layout.Picture.Columns()),
                                               static_cast<std::int32_t>(layout.Picture.Rows()), kGrey)};
  const Canvas canvas = DrawReview(backdrop, input);
  ASSERT_EQ(canvas.Width(), layout.CanvasWidth);

  constexpr int kReach = 16;  // a mark's farthest pixel from its finding's edge
  for (const ReviewMark& mark : input.Marks) {
    const Rect area = layout.ToCanvas(mark.Area);
    const std::int32_t cx = (area.Left + area.Right) / 2, cy = (area.Top + area.Bottom) / 2;
    const int reach = kReach + static_cast<int>(std::max(area.Columns(), area.Rows()));
    EXPECT_GE(NearestOf(canvas, ClassColour(mark.Class), cx, cy, reach), 2)
        << "no mark around, or a mark over, the finding at " << mark.Area.Left << "," << mark.Area.Top;
    if (mark.Class == FindingClass::Pixel) {
      EXPECT_EQ(canvas.At(cx, cy), kGrey);
    }
  }
  // Every pixel of a class's colour lies near a finding of that class.
  for (std::int32_t y = 0; y < canvas.Height(); ++y) {
    for (std::int32_t x = 0; x < canvas.Width(); ++x) {
      const Rgb colour = canvas.At(x, y);
      if (colour == kGrey) continue;
      for (const FindingClass c : {FindingClass::Pixel, FindingClass::Cluster, FindingClass::Blemish}) {
        if (colour != ClassColour(c) || y >= layout.LegendTop) continue;
        bool near = false;
        for (const ReviewMark& mark : input.Marks) {
          const Rect area = layout.ToCanvas(mark.Area);
          near = near || (mark.Class == c && x >= area.Left - kReach && x <= area.Right + kReach &&
                          y >= area.Top - kReach && y <= area.Bottom + kReach);
        }
        ASSERT_TRUE(near) << "stray mark at " << x << "," << y;
      }
    }
  }
  // The scan area is outlined just outside the picture's margins.
  const Rect scan = layout.ToCanvas(*input.ScanArea);
  EXPECT_GE(NearestOf(canvas, kScanAreaColour, scan.Left - 1, (scan.Top + scan.Bottom) / 2, 12), 0);
}

TEST(ReviewImage, PicturesAreShownAsTheirSamplesAndColoursAndFitTheLongerSide) {
  // A 10-bit Bayer picture of 4 x 2 sites: shrunk to 2 x 1 every output
  // pixel is the mean of two whole sites, scaled so that 1023 is white.
  test::TestImage bayer(8, 4, 32);
  const std::uint16_t left[4] = {1023, 0, 512, 0}, right[4] = {100, 100, 100, 100};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      bayer.SetSample(x, y, x < 4 ? left[(y % 2) * 2 + x % 2] : right[0], 10);
    }
  }
  ImageBinding binding;
  ASSERT_EQ(BindBitmap(bayer.Header(), bayer.Pixels(), binding), 0);
  const Canvas grey = ShrinkPicture(binding, PictureReading{true, 10}, 2, 1);
  EXPECT_EQ(grey.At(0, 0), (Rgb{96, 96, 96}));  // 1535 / 4 of 1023, of 255
  EXPECT_EQ(grey.At(1, 0), (Rgb{25, 25, 25}));  // 100 of 1023

  // Colour bytes are blue, green, red; an enlarged picture repeats each pixel.
  test::TestImage colour(2, 1, 24);
  colour.SetBgr(0, 0, 10, 20, 30);
  colour.SetBgr(1, 0, 200, 100, 50);
  ASSERT_EQ(BindBitmap(colour.Header(), colour.Pixels(), binding), 0);
  const Canvas big = ShrinkPicture(binding, PictureReading{}, 4, 2);
  EXPECT_EQ(big.At(1, 1), (Rgb{30, 20, 10}));
  EXPECT_EQ(big.At(2, 0), (Rgb{50, 100, 200}));

  // Long and thin pictures keep the whole image within the limit.
  for (const auto& [w, h] : {std::pair{100000, 3}, std::pair{3, 100000}, std::pair{2049, 2049}}) {
    const ReviewLayout layout = PlaceReview(w, h);
    EXPECT_LE(std::max(layout.CanvasWidth, layout.CanvasHeight), kMaxReviewSide) << w << "x" << h;
    EXPECT_GE(layout.Picture.Left, 0);
  }
}

}  // namespace
}  // namespace sensor::review
