#include "frontend/glazetrun/glazet_console.h"

#include <gtest/gtest.h>

#include "frontend/glazetrun/glazet_settings.h"
#include "settings_fixture.h"

namespace sensor::glazetrun {
namespace {

using namespace SensorDefectDetectionClass;

TEST(GlazetrunEcho, WithOnlyABitmapPathItShowsColourModeColourRAndZeroHammers) {
  frontend::CommonOptions options;
  options.BMPFileIn = "/data/img.bmp";
  const frontend::SettingsEcho echo = EchoGlazetSettings(options, GlazetSettings{});
  EXPECT_TRUE(echo.Plausible);
  EXPECT_EQ(echo.Text,
            "\nsettings:\n"
            "\tstatus file= (null)\n"
            "\tdata log file= (null)\n"
            "\ttest limit file= (null)\n"
            "\tBMP file input= /data/img.bmp\n"
            "\tbits per pixel= 0\n"
            "\tbits for test= 0\n"
            "\tcluster size= 0\n"
            "\thammer size= 0,0\n"
            "\tbayer outliers= 0,0,0,0\n"
            "\troi= 0.0000,0.0000,0.0000,0.0000\n"
            "\tdefect threshold= 0.00\tcolor= R\n"
            "\tmode= color\n");
}

TEST(GlazetrunEcho, ShowsTheThresholdAndTheColourOnOneLine) {
  GlazetSettings settings;
  _PARAMS_Glazet& p = settings.Params;
  p.BayerMode = true;
  p.SensorBpp = 12;
  p.TestBpp = 10;
  p.ClusterSize = -3;
  p.HammerSmall = 5;
  p.HammerLarge = 31;
  p.OutlierLeft = 1;
  p.OutlierTop = 2;
  p.OutlierRight = 3;
  p.OutlierBottom = 4;
  p.RoiLeft = 0.125;
  p.RoiRight = 0.99999;
  p.DefectThreshold = 6.125;
  p.ColorPlane = COLOUR_G2;
  frontend::CommonOptions options;
  options.OutputFile = "/st/status.txt";
  options.LogFile = "/st/log.csv";
  options.TestLimits = "/st/limits.txt";
  const frontend::SettingsEcho echo = EchoGlazetSettings(options, settings);
  EXPECT_TRUE(echo.Plausible);
  EXPECT_EQ(echo.Text,
            "\nsettings:\n"
            "\tstatus file= /st/status.txt\n"
            "\tdata log file= /st/log.csv\n"
            "\ttest limit file= /st/limits.txt\n"
            "\tBMP file input= (null)\n"
            "\tbits per pixel= 12\n"
            "\tbits for test= 10\n"
            "\tcluster size= -3\n"
            "\thammer size= 5,31\n"
            "\tbayer outliers= 1,2,3,4\n"
            "\troi= 0.1250,0.0000,1.0000,0.0000\n"
            "\tdefect threshold= 6.12\tcolor= G2\n"
            "\tmode= bayer\n");
}

TEST(GlazetrunEcho, NamesEveryColourOfThePlane) {
  const char* names[5] = {"R", "G", "B", "G1", "G2"};
  for (std::int32_t plane = COLOUR_R; plane <= COLOUR_G2; ++plane) {
    GlazetSettings settings;
    settings.Params.ColorPlane = plane;
    settings.Params.BayerMode = plane != COLOUR_G;  // a plausible mode for each colour
    const std::string text = EchoGlazetSettings({}, settings).Text;
    EXPECT_NE(text.find(std::string("\tdefect threshold= 0.00\tcolor= ") + names[plane] + "\n"),
              std::string::npos)
        << names[plane];
  }
}

TEST(GlazetrunEcho, GreenIsImplausibleInBayerModeAndG1OrG2InColourMode) {
  for (std::int32_t plane = COLOUR_R; plane <= COLOUR_G2; ++plane) {
    for (const bool bayer : {false, true}) {
      GlazetSettings settings;
      settings.Params.ColorPlane = plane;
      settings.Params.BayerMode = bayer;
      const frontend::SettingsEcho echo = EchoGlazetSettings({}, settings);
      const bool bayerWithG = bayer && plane == COLOUR_G;
      const bool colourWithG12 = !bayer && (plane == COLOUR_G1 || plane == COLOUR_G2);
      EXPECT_EQ(echo.Plausible, !bayerWithG && !colourWithG12)
          << "plane " << plane << (bayer ? " bayer" : " colour");
      if (bayerWithG) {
        EXPECT_TRUE(echo.Text.ends_with("\tmode= bayer\n\tcolor G for bayer mode?"));
      } else if (colourWithG12) {
        EXPECT_TRUE(echo.Text.ends_with("\tmode= color\n\tcolor !R,G,B for color mode?"));
      } else {
        EXPECT_TRUE(echo.Text.ends_with(bayer ? "\tmode= bayer\n" : "\tmode= color\n"));
      }
    }
  }
}

TEST(GlazetrunUsage, NamesOnlyOptionsTheProgramKnows) {
  GlazetSettings settings;
  EXPECT_EQ(test::UsageNamesNoOption(GlazetUsageLines(), GlazetOptions(settings)),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace sensor::glazetrun
