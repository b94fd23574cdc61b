#include "common/image_binding.h"

#include <gtest/gtest.h>

#include "test_image.h"

namespace sensor {
namespace {

using namespace SensorDefectDetectionClass;
using test::TestImage;

TEST(ImageBinding, BottomUpRowsStartAtTheLastStoredRow) {
  TestImage image(3, 2, 24);
  ImageBinding b;
  ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), b), S_OK);
  EXPECT_EQ(b.Stride, 12u);
  EXPECT_EQ(b.Height, 2);
  EXPECT_EQ(b.PixelAt(0, 0) - image.Pixels(), 12);
  EXPECT_EQ(b.PixelAt(2, 1) - image.Pixels(), 6);
  EXPECT_EQ(b.RowStep, -12);
}

TEST(ImageBinding, TopDownRowsStartAtTheFirstByte) {
  TestImage image(3, 2, 24, /*topDown=*/true);
  ImageBinding b;
  ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), b), S_OK);
  EXPECT_EQ(b.Height, 2);
  EXPECT_EQ(b.PixelAt(0, 0), image.Pixels());
  EXPECT_EQ(b.PixelAt(2, 1) - image.Pixels(), 18);
}

TEST(ImageBinding, ThirtyTwoBitRowsNeedNoPadding) {
  TestImage image(5, 3, 32);
  ImageBinding b;
  ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), b), S_OK);
  EXPECT_EQ(b.Stride, 20u);
  EXPECT_EQ(b.BytesPerPixel, 4);
}

TEST(ImageBinding, ANonZeroImageSizeDecidesTheStride) {
  TestImage image(10, 4, 24);
  image.SetHeaderSizeImage(1000);
  ImageBinding b;
  ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), b), S_OK);
  EXPECT_EQ(b.Stride, 250u);
}

TEST(ImageBinding, RefusalsKeepThePreviousBinding) {
  TestImage good(4, 4, 24);
  ImageBinding b;
  ASSERT_EQ(BindBitmap(good.Header(), good.Pixels(), b), S_OK);
  const ImageBinding before = b;

  auto refused = [&](TestImage& bad) {
    EXPECT_EQ(BindBitmap(bad.Header(), bad.Pixels(), b), E_INVALIDARG);
    EXPECT_EQ(b.Origin, before.Origin);
    EXPECT_EQ(b.Width, before.Width);
  };
  TestImage eightBit(4, 4, 8);
  refused(eightBit);
  TestImage zeroHeight(4, 4, 24);
  zeroHeight.SetHeaderHeight(0);
  refused(zeroHeight);
  TestImage zeroWidth(4, 4, 24);
  zeroWidth.SetHeaderWidth(0);
  refused(zeroWidth);
  TestImage negativeWidth(4, 4, 24);
  negativeWidth.SetHeaderWidth(-4);
  refused(negativeWidth);
  TestImage shortStride(4, 4, 24);
  shortStride.SetHeaderSizeImage(4 * 11);  // 11 bytes per row, 12 needed
  refused(shortStride);
  TestImage hugeWidth(4, 4, 32);
  hugeWidth.SetHeaderWidth(0x7FFFFFFF);  // rows of 8 GiB
  refused(hugeWidth);
  EXPECT_EQ(BindBitmap(nullptr, good.Pixels(), b), E_INVALIDARG);
  EXPECT_EQ(BindBitmap(good.Header(), nullptr, b), E_INVALIDARG);
}

}  // namespace
}  // namespace sensor
