#include "frontend/ostrelrun/ostrel_console.h"

#include <gtest/gtest.h>

namespace sensor::ostrelrun {
namespace {

TEST(OstrelrunEcho, ShowsThePathsTheDepthsTheMarginsTheRegionAndTheMode) {
  frontend::CommonOptions options;
  options.BMPFileIn = "/data/img.bmp";
  options.TestLimits = "/st/limits.txt";
  const frontend::SettingsEcho plain = EchoOstrelSettings(options, OstrelSettings{});
  EXPECT_TRUE(plain.Plausible);
  EXPECT_EQ(plain.Text,
            "\nsettings:\n"
            "\tstatus file= (null)\n"
            "\tdata log file= (null)\n"
            "\ttest limit file= /st/limits.txt\n"
            "\tBMP file input= /data/img.bmp\n"
            "\tbits per pixel= 0\n"
            "\tbits for test= 0\n"
            "\tbayer outliers= 0,0,0,0\n"
            "\troi= 0.0000,0.0000,0.0000,0.0000\n"
            "\tmode= color\n");

  OstrelSettings settings;
  settings.Params.BayerMode = true;
  settings.Params.SensorBpp = 10;
  settings.Params.TestBpp = 8;
  settings.Params.OutlierLeft = -1;
  settings.Params.OutlierBottom = 7;
  settings.Params.RoiTop = 0.33336;
  settings.Params.RoiRight = 1.0;
  const std::string text = EchoOstrelSettings(options, settings).Text;
  EXPECT_NE(text.find("\tbits per pixel= 10\n\tbits for test= 8\n"
                      "\tbayer outliers= -1,0,0,7\n"
                      "\troi= 0.0000,0.3334,1.0000,0.0000\n"
                      "\tmode= bayer\n"),
            std::string::npos)
      << text;
}

TEST(OstrelrunEcho, HasNoPlausibilityCheck) {
  OstrelSettings settings;
  settings.Params.BayerMode = true;  // bit depths 0, which the library refuses
  EXPECT_TRUE(EchoOstrelSettings({}, settings).Plausible);
}

TEST(OstrelrunUsage, PrintsTwelveLinesWithASinglePercentSign) {
  const std::vector<std::string> lines = OstrelUsageLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines.front(), "\nUSAGE: Ostrelrun (argument list below)\n");
  EXPECT_EQ(lines[4], "\t-bayer|color ...default color\n");
  EXPECT_EQ(lines[7], "\t-ROI(%) <f,f,f,f> ...<left,top,right,bottom>\n");
  EXPECT_EQ(lines.back(), "\t-LogFile <*.csv> ...pixel histogram\n");
}

}  // namespace
}  // namespace sensor::ostrelrun
