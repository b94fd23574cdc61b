// The review picture's shrink against its plain rule on random pictures: both
// layouts, every sample depth, both row orders, shrunk and enlarged, odd
// sizes and every thread split.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "analysis/common/parallel_rows.h"
#include "common/frontend_interface.h"
#include "plain_shrink.h"
#include "test_image.h"

namespace sensor::review {
namespace {

TEST(PictureShrink, GivesThePlainRulesPixelsOnEverySplit) {
  struct Case {
    std::int32_t Width, Height;
    std::uint16_t BitCount;
    bool TopDown;
    std::int32_t OutWidth, OutHeight;
    int Low = 0;  // the least byte value
  };
  const Case cases[] = {
      {517, 301, 32, false, 200, 117}, {517, 301, 24, true, 200, 117}, {64, 48, 32, true, 31, 7},
      {9, 5, 24, false, 36, 20},       {1, 1, 32, false, 3, 3},        {300, 2, 32, false, 150, 1},
      {3, 301, 24, false, 1, 100},     {640, 480, 32, false, 640, 480},
      // Column sums past 16 and past 32 bits.
      {40, 600, 32, false, 10, 4, 200}, {2, 1100000, 32, false, 1, 1, 240}};
  std::mt19937 random(25);
  for (const Case& c : cases) {
    test::TestImage image(c.Width, c.Height, c.BitCount, c.TopDown);
    image.Randomise(random, c.Low, 255);
    ImageBinding binding;
    ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), binding), 0);
    for (const PictureReading reading :
         {PictureReading{false, 8}, PictureReading{true, 8}, PictureReading{true, 10}, PictureReading{true, 12}}) {
      const Canvas plain = ShrinkPicturePlainly(binding, reading, c.OutWidth, c.OutHeight);
      for (const int threads : {1, 2, 3, 64}) {
        SetAnalysisThreads(threads, true);
        const Canvas fast = ShrinkPicture(binding, reading, c.OutWidth, c.OutHeight);
        SetAnalysisThreads(0);
        ASSERT_EQ(fast.Width(), plain.Width());
        ASSERT_EQ(fast.Height(), plain.Height());
        for (std::int32_t y = 0; y < plain.Height(); ++y) {
          ASSERT_TRUE(std::equal(plain.Row(y), plain.Row(y) + plain.Width() * 3, fast.Row(y)))
              << c.Width << "x" << c.Height << " bits " << c.BitCount << " Bayer " << reading.Bayer << " depth "
              << reading.SensorBpp << " threads " << threads << " row " << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace sensor::review
