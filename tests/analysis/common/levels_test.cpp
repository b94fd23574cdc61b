#include "common/levels.h"

#include <gtest/gtest.h>

#include <random>

#include "common/sample_rule.h"
#include "sample_of.h"
#include "test_image.h"
#include "vector_sets.h"

namespace sensor {
namespace {

using test::TestImage;

ImageBinding Bind(TestImage& image) {
  ImageBinding b;
  EXPECT_EQ(BindBitmap(image.Header(), image.Pixels(), b), SensorDefectDetectionClass::S_OK);
  return b;
}

// The rule as written: every pixel visited, its colour by parity from the
// region's corner, sums divided by counts.
LevelSet PlainBayerLevels(const ImageBinding& b, const Rect& r, int sensorBpp, int testBpp) {
  LevelSet levels{};
  std::uint64_t sums[5] = {};
  std::uint64_t counts[5] = {};
  const SampleRule sample = SampleRule::For(sensorBpp, testBpp);
  for (int y = r.Top; y <= r.Bottom; ++y)
    for (int x = r.Left; x <= r.Right; ++x) {
      const int c = BayerColourIndex(x - r.Left, y - r.Top);
      sums[c] += test::SampleOf(sample, b.PixelAt(x, y), b.BytesPerPixel);
      ++counts[c];
    }
  for (int c = 0; c < 5; ++c)
    if (counts[c] != 0) levels[c] = static_cast<double>(sums[c]) / static_cast<double>(counts[c]);
  return levels;
}

LevelSet PlainColourLevels(const ImageBinding& b, const Rect& r) {
  LevelSet levels{};
  std::uint64_t s[3] = {};
  std::uint64_t n = 0;
  for (int y = r.Top; y <= r.Bottom; ++y)
    for (int x = r.Left; x <= r.Right; ++x, ++n)
      for (int k = 0; k < 3; ++k) s[k] += b.PixelAt(x, y)[2 - k];
  if (n != 0)
    for (int k = 0; k < 3; ++k) levels[k] = static_cast<double>(s[k]) / static_cast<double>(n);
  return levels;
}

TEST(SampleRule, LowPartKeepsTwoBitsAtTenAndTwelveBits) {
  for (int bytes : {3, 4}) {
    const std::uint8_t pixel[4] = {0x81, 0x0F, 0x55, 0xAA};
    EXPECT_EQ(test::SampleOf(SampleRule::For(12, 12), pixel, bytes), 0x813u);
    EXPECT_EQ(test::SampleOf(SampleRule::For(12, 10), pixel, bytes), 0x813u);
    EXPECT_EQ(test::SampleOf(SampleRule::For(10, 10), pixel, bytes), (0x81u << 2) | 3);
    EXPECT_EQ(test::SampleOf(SampleRule::For(12, 8), pixel, bytes), 0x81u);
    const std::uint8_t full[4] = {255, 255, 255, 255};
    EXPECT_EQ(test::SampleOf(SampleRule::For(12, 12), full, bytes), 4083u);
    const std::uint8_t ten[4] = {255, 3, 0, 0};
    EXPECT_EQ(test::SampleOf(SampleRule::For(10, 10), ten, bytes), 1023u);
  }
}

TEST(SampleRule, BitDepthValidation) {
  EXPECT_TRUE(ValidBitDepths(12, 8));
  EXPECT_TRUE(ValidBitDepths(12, 10));
  EXPECT_TRUE(ValidBitDepths(8, 8));
  EXPECT_FALSE(ValidBitDepths(10, 12));
  EXPECT_FALSE(ValidBitDepths(9, 8));
  EXPECT_FALSE(ValidBitDepths(14, 8));
  EXPECT_FALSE(ValidBitDepths(12, 11));
  EXPECT_FALSE(ValidBitDepths(0, 0));
}

TEST(Levels, UniformColourPictureGivesItsChannels) {
  TestImage image(7, 5, 24);
  image.FillBgr(10, 20, 30);
  const LevelSet l = ColourLevels(Bind(image), Rect{1, 1, 5, 3});
  EXPECT_EQ(l, (LevelSet{30, 20, 10, 0, 0}));
}

TEST(Levels, BayerPositionsFollowTheRegionCorner) {
  TestImage image(4, 2, 24);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) image.SetSample(x, y, x % 2 == 0 ? 1 : 2, 8);
  const ImageBinding b = Bind(image);
  LevelSet l = BayerLevels(b, Rect{0, 0, 3, 1}, 8, 8);
  EXPECT_EQ(l[3], 1.0);  // G1
  EXPECT_EQ(l[0], 2.0);  // R
  l = BayerLevels(b, Rect{1, 0, 3, 1}, 8, 8);
  EXPECT_EQ(l[3], 2.0);
  EXPECT_EQ(l[0], 1.0);
  EXPECT_EQ(l[1], 0.0);  // G never has sites
}

TEST(Levels, OnePixelAndEmptyRegions) {
  TestImage image(3, 3, 32);
  image.SetSample(1, 1, 200, 8);
  const ImageBinding b = Bind(image);
  EXPECT_EQ(BayerLevels(b, Rect{1, 1, 1, 1}, 8, 8), (LevelSet{0, 0, 0, 200, 0}));
  EXPECT_EQ(BayerLevels(b, Rect{2, 0, 1, 2}, 8, 8), LevelSet{});
  EXPECT_EQ(ColourLevels(b, Rect{0, 2, 2, 1}), LevelSet{});
}

SENSOR_VECTOR_SET_TEST(Levels, FastSumsEqualThePlainRuleOnRandomPictures) {
  std::mt19937 random(1234);
  for (int trial = 0; trial < 60; ++trial) {
    // Widths up to several groups of sixteen pixels, with pixels left over.
    const int w = 1 + static_cast<int>(random() % (trial < 30 ? 37 : 131)), h = 1 + static_cast<int>(random() % 23);
    TestImage image(w, h, trial % 2 ? 32 : 24, trial % 3 == 0);
    image.Randomise(random);
    const ImageBinding b = Bind(image);
    const int left = static_cast<int>(random() % w), top = static_cast<int>(random() % h);
    const Rect r{left, top, left + static_cast<int>(random() % (w - left)),
                 top + static_cast<int>(random() % (h - top))};
    EXPECT_EQ(ColourLevels(b, r), PlainColourLevels(b, r));
    for (auto [s, t] : {std::pair{8, 8}, {10, 10}, {12, 12}, {12, 8}, {12, 10}}) {
      EXPECT_EQ(BayerLevels(b, r, s, t), PlainBayerLevels(b, r, s, t)) << s << "/" << t;
    }
  }
}

SENSOR_VECTOR_SET_TEST(Levels, LongRowsOfFullBytesSumWithoutLosingCarries) {
  // Rows of more than 4,096 pixels cross the point where the fast sums hand
  // their partial sums on; bytes of 255 would overflow any partial sum kept
  // too long, and odd widths leave pixels over at the end of each row. The
  // Bayer sums read the same bytes as high and low parts.
  std::mt19937 random(77);
  for (int bits : {24, 32}) {
    for (int w : {4096 + 16 * 3 + 5, 2 * 4096 + 1}) {
      TestImage image(w, 3, bits);
      image.Randomise(random, 200, 255);
      for (int x = 0; x < w; ++x) image.SetBgr(x, 1, 255, 255, 255);
      const ImageBinding b = Bind(image);
      for (const Rect& r : {Rect{0, 0, w - 1, 2}, Rect{1, 1, w - 2, 1}, Rect{7, 0, w - 1, 2}}) {
        EXPECT_EQ(ColourLevels(b, r), PlainColourLevels(b, r)) << bits << "-bit, " << w << " wide";
        for (auto [s, t] : {std::pair{8, 8}, {12, 12}}) {
          EXPECT_EQ(BayerLevels(b, r, s, t), PlainBayerLevels(b, r, s, t)) << bits << "-bit, " << w << " wide";
        }
      }
    }
  }
}

TEST(Levels, BottomUpAndTopDownPicturesAgree) {
  std::mt19937 random(7);
  TestImage up(9, 6, 24, false), down(9, 6, 24, true);
  up.Randomise(random);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) {
      const unsigned char* p = up.At(x, y);
      down.SetBgr(x, y, p[0], p[1], p[2]);
    }
  const Rect r{1, 1, 7, 4};
  EXPECT_EQ(BayerLevels(Bind(up), r, 10, 10), BayerLevels(Bind(down), r, 10, 10));
  EXPECT_EQ(ColourLevels(Bind(up), r), ColourLevels(Bind(down), r));
}

}  // namespace
}  // namespace sensor
