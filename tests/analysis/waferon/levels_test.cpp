// Bit depths, samples and the level set that get_Ostrel hands out.
#include <gtest/gtest.h>

#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

struct Levels {
  double R = -1, G = -1, B = -1, G1 = -1, G2 = -1;
};

Levels Read(Session& s) {
  Levels l;
  EXPECT_EQ(s.library.get_Ostrel(&l.R, &l.G, &l.B, &l.G1, &l.G2), S_OK);
  return l;
}

TEST(WaferonLevels, BayerBitDepthsAreValidatedOnlyInBayerMode) {
  Session s;
  sensor::test::TestImage image(4, 4);
  ASSERT_EQ(s.Bind(image), S_OK);
  _RESULT_Waferon result{};
  _PARAMS_Waferon p = BayerParams(s, 1000.0);
  const int accepted[][2] = {{8, 8}, {10, 8}, {10, 10}, {12, 8}, {12, 10}, {12, 12}};
  for (const auto& d : accepted) {
    p.SensorBpp = d[0];
    p.TestBpp = d[1];
    EXPECT_EQ(s.Run(p, result), S_OK) << d[0] << "/" << d[1];
    EXPECT_EQ(s.library.ActiveSensorBpp, d[0]);
  }
  const int refused[][2] = {{10, 12}, {9, 8}, {12, 11}, {0, 0}, {8, 12}};
  for (const auto& d : refused) {
    p.SensorBpp = d[0];
    p.TestBpp = d[1];
    EXPECT_EQ(s.Run(p, result), E_INVALIDARG) << d[0] << "/" << d[1];
  }
  p.BayerMode = 0;  // the same depths mean nothing to a colour run
  EXPECT_EQ(s.Run(p, result), S_OK);
}

TEST(WaferonLevels, TwelveBitSamplesKeepOnlyTheTwoLowBitsOfTheSecondByte) {
  Session s;
  sensor::test::TestImage image(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      image.At(x, y)[0] = 0x81;
      image.At(x, y)[1] = 0x0F;
    }
  ASSERT_EQ(s.Bind(image), S_OK);
  _RESULT_Waferon result{};
  _PARAMS_Waferon p = BayerParams(s, 1e9);
  p.SensorBpp = 12;
  p.TestBpp = 12;
  ASSERT_EQ(s.Run(p, result), S_OK);
  Levels l = Read(s);
  EXPECT_EQ(l.R, 0x813);
  EXPECT_EQ(l.G1, 0x813);
  EXPECT_EQ(l.B, 0x813);
  EXPECT_EQ(l.G2, 0x813);
  EXPECT_EQ(l.G, 0.0);
  p.TestBpp = 8;
  ASSERT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(Read(s).R, 0x81);
  p.SensorBpp = 10;
  p.TestBpp = 10;
  ASSERT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(Read(s).R, (0x81 << 2) | 3);
}

TEST(WaferonLevels, BayerLevelsAreTakenPerSiteOverTheSearchRegionOnly) {
  Session s;
  sensor::test::TestImage image(6, 6);
  image.FillSample(250, 8);  // the border, left out by the margins
  // The region starts at (1, 1): G1 sites at even offsets from there.
  for (int y = 1; y <= 4; ++y)
    for (int x = 1; x <= 4; ++x) {
      const int dx = x - 1, dy = y - 1;
      const int value = dy % 2 == 0 ? (dx % 2 == 0 ? 10 : 20) : (dx % 2 == 0 ? 30 : 40);
      image.SetSample(x, y, static_cast<std::uint16_t>(value), 8);
    }
  ASSERT_EQ(s.Bind(image), S_OK);
  _PARAMS_Waferon p = BayerParams(s, 1e9);
  p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = 1;
  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(p, result), S_OK);
  const Levels l = Read(s);
  EXPECT_EQ(l.G1, 10.0);
  EXPECT_EQ(l.R, 20.0);
  EXPECT_EQ(l.B, 30.0);
  EXPECT_EQ(l.G2, 40.0);
}

TEST(WaferonLevels, ColourLevelsAreChannelMeansAndALocalRunWithoutClustersLeavesThem) {
  Session s;
  sensor::test::TestImage image(3, 2);
  image.FillBgr(1, 2, 3);
  image.SetBgr(0, 0, 7, 8, 9);
  ASSERT_EQ(s.Bind(image), S_OK);
  _PARAMS_Waferon p = ColourParams(s, 1e9);
  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(p, result), S_OK);
  Levels l = Read(s);
  EXPECT_EQ(l.R, (5 * 3 + 9) / 6.0);
  EXPECT_EQ(l.G, (5 * 2 + 8) / 6.0);
  EXPECT_EQ(l.B, (5 * 1 + 7) / 6.0);
  EXPECT_EQ(l.G1, 0.0);
  EXPECT_EQ(l.G2, 0.0);

  image.FillBgr(100, 100, 100);
  p.LocalSearch = 1;
  p.FindClusters = 0;
  ASSERT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(Read(s).R, (5 * 3 + 9) / 6.0);  // not computed by this run
  p.FindClusters = 1;
  ASSERT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(Read(s).R, 100.0);  // computed before growing clusters
}

}  // namespace
}  // namespace sensor::waferon::test
