// The level library through its exported class. CTest runs every test in a
// process of its own, so the first test sees a freshly loaded library.
#include "sensordefect/Ostrel.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "test_image.h"

namespace SensorDefectDetectionClass {
namespace {

using sensor::test::TestImage;
using Levels = std::array<double, 5>;

Levels ReadLevels(Ostrel& lib, std::int32_t expected = S_OK) {
  Levels l{-1, -1, -1, -1, -1};
  EXPECT_EQ(lib.get_Ostrel(&l[0], &l[1], &l[2], &l[3], &l[4]), expected);
  return l;
}

_PARAMS_Ostrel Colour() { return _PARAMS_Ostrel{}; }

_PARAMS_Ostrel Bayer(int sensorBpp, int testBpp) {
  _PARAMS_Ostrel p{};
  p.BayerMode = true;
  p.SensorBpp = sensorBpp;
  p.TestBpp = testBpp;
  return p;
}

TEST(OstrelFreshLibrary, ReportsNothingBoundAndRefusesWorkWhileClosed) {
  Ostrel lib{};
  std::int32_t w = -1, h = -1;
  EXPECT_EQ(lib.get_SensorDim(&w, &h), S_OK);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(ReadLevels(lib, E_ABORT), (Levels{-1, -1, -1, -1, -1}));
  _RESULT_Ostrel result{};
  EXPECT_EQ(lib.Execute(result, Colour()), E_ABORT);
  TestImage image(4, 4);
  EXPECT_EQ(lib.BindImage(image.Header(), image.Pixels()), E_ABORT);

  ASSERT_EQ(lib.Open(0), S_OK);
  EXPECT_EQ(ReadLevels(lib), Levels{});
  // Without a binding Execute sees a 0 x 0 picture.
  EXPECT_EQ(lib.Execute(result, Colour()), S_OK);
  EXPECT_EQ(ReadLevels(lib), Levels{});
}

TEST(OstrelLifecycle, OpenResetsNothingAndCloseKeepsTheBinding) {
  Ostrel lib{};
  TestImage image(6, 5, 24, /*topDown=*/true);
  image.FillBgr(10, 20, 30);
  _RESULT_Ostrel result{};
  ASSERT_EQ(lib.Open(1), S_OK);
  ASSERT_EQ(lib.BindImage(image.Header(), image.Pixels()), S_OK);
  ASSERT_EQ(lib.Execute(result, Colour()), S_OK);
  EXPECT_EQ(lib.Open(0), S_OK);
  EXPECT_EQ(ReadLevels(lib), (Levels{30, 20, 10, 0, 0}));
  EXPECT_EQ(lib.Close(), S_OK);
  EXPECT_EQ(lib.Clean(), S_OK);
  std::int32_t w = 0, h = 0;
  EXPECT_EQ(lib.get_SensorDim(&w, &h), S_OK);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 5);  // the header's negative height, reported whole
  EXPECT_EQ(ReadLevels(lib, E_ABORT), (Levels{-1, -1, -1, -1, -1}));
}

TEST(OstrelMeasurement, ColourAndBayerMeansOfAUniformPicture) {
  Ostrel lib{};
  TestImage image(8, 6, 32);
  image.FillBgr(10, 20, 30);
  _RESULT_Ostrel result{};
  ASSERT_EQ(lib.Open(0), S_OK);
  ASSERT_EQ(lib.BindImage(image.Header(), image.Pixels()), S_OK);
  ASSERT_EQ(lib.Execute(result, Colour()), S_OK);
  EXPECT_EQ(ReadLevels(lib), (Levels{30, 20, 10, 0, 0}));
  ASSERT_EQ(lib.Execute(result, Bayer(8, 8)), S_OK);
  EXPECT_EQ(ReadLevels(lib), (Levels{10, 0, 10, 10, 10}));
  EXPECT_EQ(lib.ActiveSensorBpp, 8);
}

TEST(OstrelMeasurement, MarginsPlaceTheWindowAndItsBayerCorner) {
  Ostrel lib{};
  TestImage image(6, 4, 24);
  // Columns alternate samples 1 and 2 on every row.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) image.SetSample(x, y, x % 2 == 0 ? 1 : 2, 8);
  _RESULT_Ostrel result{};
  ASSERT_EQ(lib.Open(0), S_OK);
  ASSERT_EQ(lib.BindImage(image.Header(), image.Pixels()), S_OK);
  ASSERT_EQ(lib.Execute(result, Bayer(8, 8)), S_OK);
  Levels l = ReadLevels(lib);
  EXPECT_EQ(l[3], 1.0);
  EXPECT_EQ(l[0], 2.0);

  _PARAMS_Ostrel shifted = Bayer(8, 8);
  shifted.OutlierLeft = 1;
  ASSERT_EQ(lib.Execute(result, shifted), S_OK);
  l = ReadLevels(lib);
  EXPECT_EQ(l[3], 2.0);
  EXPECT_EQ(l[0], 1.0);

  // Margins that meet leave no pixel: every statistic is 0.
  _PARAMS_Ostrel empty = Colour();
  empty.OutlierLeft = 2;
  empty.OutlierRight = 4;
  ASSERT_EQ(lib.Execute(result, empty), S_OK);
  EXPECT_EQ(ReadLevels(lib), Levels{});
}

TEST(OstrelMeasurement, RefusedRunsKeepThePreviousStatistics) {
  Ostrel lib{};
  TestImage image(4, 4, 24);
  image.FillBgr(1, 2, 3);
  _RESULT_Ostrel result{};
  ASSERT_EQ(lib.Open(0), S_OK);
  ASSERT_EQ(lib.BindImage(image.Header(), image.Pixels()), S_OK);
  ASSERT_EQ(lib.Execute(result, Colour()), S_OK);

  EXPECT_EQ(lib.Execute(result, Bayer(10, 12)), E_INVALIDARG);
  EXPECT_EQ(lib.ActiveSensorBpp, 10);  // copied before the check
  EXPECT_EQ(lib.ActiveTestBpp, 12);
  EXPECT_EQ(lib.Execute(result, Bayer(9, 8)), E_INVALIDARG);
  _PARAMS_Ostrel negative = Colour();
  negative.OutlierTop = -1;
  EXPECT_EQ(lib.Execute(result, negative), E_INVALIDARG);
  EXPECT_EQ(ReadLevels(lib), (Levels{3, 2, 1, 0, 0}));

  EXPECT_EQ(lib.Execute(result, Bayer(12, 10)), S_OK);
  _PARAMS_Ostrel colourWithoutDepths = Colour();
  colourWithoutDepths.SensorBpp = 0;
  EXPECT_EQ(lib.Execute(result, colourWithoutDepths), S_OK);
}

TEST(OstrelMeasurement, BindingRefusalsKeepTheEarlierPicture) {
  Ostrel lib{};
  TestImage good(5, 3, 24);
  TestImage eightBit(5, 3, 8);
  ASSERT_EQ(lib.Open(0), S_OK);
  ASSERT_EQ(lib.BindImage(good.Header(), good.Pixels()), S_OK);
  EXPECT_EQ(lib.BindImage(eightBit.Header(), eightBit.Pixels()), E_INVALIDARG);
  std::int32_t w = 0, h = 0;
  lib.get_SensorDim(&w, &h);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 3);
}

}  // namespace
}  // namespace SensorDefectDetectionClass
