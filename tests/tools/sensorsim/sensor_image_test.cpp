#include "sensor_image.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/image_binding.h"
#include "common/levels.h"
#include "common/sample_rule.h"
#include "sample_of.h"

namespace sensor::sim {
namespace {

ImageBinding Bind(SimulatedImage& image) {
  ImageBinding b;
  EXPECT_EQ(BindBitmap(image.Header.data(), image.Pixels.data(), b), SensorDefectDetectionClass::S_OK);
  return b;
}

TEST(SensorImage, ColourFieldHasTheAskedMeans) {
  SimulationSettings s;
  s.Width = 200;
  s.Height = 150;
  s.ColourMeans = {100.0, 150.0, 50.0};
  s.Noise = 3.0;
  SimulatedImage image = Simulate(s);
  const LevelSet l = ColourLevels(Bind(image), Rect{0, 0, 199, 149});
  EXPECT_NEAR(l[0], 100.0, 0.2);
  EXPECT_NEAR(l[1], 150.0, 0.2);
  EXPECT_NEAR(l[2], 50.0, 0.2);
}

TEST(SensorImage, BayerSamplesReadBackAtEveryDepth) {
  for (int bpp : {8, 10, 12}) {
    SimulationSettings s;
    s.Width = 64;
    s.Height = 48;
    s.BitCount = 32;
    s.TopDown = bpp == 10;
    s.BayerMode = true;
    s.SensorBpp = bpp;
    s.Noise = 0.0;
    const double scale = (1 << bpp) / 256.0;
    s.BayerMeans = {100 * scale, 60 * scale, 64 * scale, 200 * scale};  // R, G1, G2, B
    SimulatedImage image = Simulate(s);
    const LevelSet l = BayerLevels(Bind(image), Rect{0, 0, 63, 47}, bpp, bpp);
    // The libraries keep two low bits: at 12 bits values are exact when bits 2
    // and 3 are clear, which every mean here is.
    EXPECT_EQ(l[0], 100 * scale) << bpp;
    EXPECT_EQ(l[3], 60 * scale) << bpp;
    EXPECT_EQ(l[4], 64 * scale) << bpp;
    EXPECT_EQ(l[2], 200 * scale) << bpp;
  }
}

TEST(SensorImage, PlantedDefectsAreWhereTheTruthSaysAndTheSeedRepeatsThem) {
  SimulationSettings s;
  s.Width = 120;
  s.Height = 90;
  s.BayerMode = true;
  s.SensorBpp = 10;
  s.HotPixels = 3;
  s.DarkPixels = 2;
  s.Clusters = 2;
  s.ClusterPixels = 5;
  s.Blemishes = 1;
  s.BlemishRadius = 8;
  s.BlemishDepth = 30;
  s.Seed = 42;
  SimulatedImage image = Simulate(s);
  ASSERT_EQ(image.Truth.size(), 8u);
  const ImageBinding b = Bind(image);
  const SampleRule sample = SampleRule::For(10, 10);
  // Means of R, G1, G2, B by picture parity (row, column).
  const double meanAt[2][2] = {{800, 600}, {500, 800}};
  for (const PlantedDefect& d : image.Truth) {
    const int value = sensor::test::SampleOf(sample, b.PixelAt(d.X, d.Y), b.BytesPerPixel);
    switch (d.Kind) {
      case DefectKind::HotPixel: EXPECT_EQ(value, 1023); break;
      case DefectKind::DarkPixel: EXPECT_EQ(value, 0); break;
      case DefectKind::Cluster:
        EXPECT_EQ(value, 1023);
        EXPECT_EQ(sensor::test::SampleOf(sample, b.PixelAt(d.X + 2, d.Y), b.BytesPerPixel), 1023);  // same colour, one site along
        break;
      case DefectKind::Blemish:
        // The centre sits 30 % below its position's mean, give or take the noise.
        EXPECT_NEAR(value, 0.7 * meanAt[d.Y & 1][d.X & 1], 10.0);
        break;
    }
  }
  EXPECT_EQ(Simulate(s).Pixels, image.Pixels);
  s.Seed = 43;
  EXPECT_NE(Simulate(s).Pixels, image.Pixels);
  EXPECT_NE(TruthCsv(image).find("blemish,"), std::string::npos);
}

TEST(SensorImage, SettingsAreChecked) {
  SimulationSettings s;
  EXPECT_EQ(ValidateSettings(s), "");
  s.BitCount = 16;
  EXPECT_NE(ValidateSettings(s), "");
  s = SimulationSettings{};
  s.SensorBpp = 14;
  EXPECT_NE(ValidateSettings(s), "");
  s = SimulationSettings{};
  s.Width = 0;
  EXPECT_NE(ValidateSettings(s), "");
}

TEST(SensorImage, DefectCountsAreHeldToThePixelCountAndTheAmplitudeToSixteenBits) {
  SimulationSettings s;
  s.Width = 4;
  s.Height = 4;
  s.HotPixels = 10;
  s.DarkPixels = 6;
  EXPECT_EQ(ValidateSettings(s), "");
  s.DarkPixels = 7;
  EXPECT_NE(ValidateSettings(s), "");
  s.HotPixels = 2147483647;  // the sum would overflow 32 bits
  s.DarkPixels = 2147483647;
  EXPECT_NE(ValidateSettings(s), "");
  s = SimulationSettings{};
  s.Width = 4;
  s.Height = 4;
  s.Blemishes = 17;
  EXPECT_NE(ValidateSettings(s), "");
  s.Blemishes = 0;
  s.Clusters = 2147483647;
  EXPECT_NE(ValidateSettings(s), "");
  s.Clusters = 0;
  s.PixelAmplitude = -65535.0;
  EXPECT_EQ(ValidateSettings(s), "");
  for (const double amplitude : {65536.0, 1e308, std::nan("")}) {
    s.PixelAmplitude = amplitude;
    EXPECT_NE(ValidateSettings(s), "") << amplitude;
  }
}

}  // namespace
}  // namespace sensor::sim
