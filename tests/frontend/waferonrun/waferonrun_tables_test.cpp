#include <gtest/gtest.h>

#include "frontend/waferonrun/waferon_console.h"
#include "frontend/waferonrun/waferon_settings.h"
#include "frontend/waferonrun/waferon_verdicts.h"
#include "settings_fixture.h"
#include "verdict_setup.h"

namespace sensor::waferonrun {
namespace {

using frontend::CommonOptions;

using WaferonOptionsTest = test::SettingsTest<WaferonSettings, WaferonOptions, WaferonSettingsKeys>;

TEST_F(WaferonOptionsTest, StartsInColourModeWithGlobalSearchAndTheProgramsDefaults) {
  const _PARAMS_Waferon& p = settings.Params;
  EXPECT_EQ(p.BayerMode, 0);
  EXPECT_EQ(p.LocalSearch, 0);
  EXPECT_EQ(p.ClusterSize, 2);
  EXPECT_EQ(p.HammerSize, 11);
  EXPECT_EQ(p.CountPixels, 1);
  EXPECT_EQ(p.FindClusters, 1);
  EXPECT_EQ(p.CenterRight, 0.0);
  EXPECT_EQ(p.SensorBpp, 0);
  EXPECT_EQ(p.ThresholdPercent, 0);
  EXPECT_EQ(settings.ColorUnderTest, (std::array<std::int32_t, 5>{1, 0, 1, 1, 1}));
}

TEST_F(WaferonOptionsTest, EveryOptionSetsItsFieldsInOrder) {
  Parse({"-ClusterSize", "3", "-HammerSize", "7", "-BayerOutliers", "1,2,3,4", "-CenterROI(%)",
         "0.1,0.2,0.9,0.8", "-BitsUsage", "12,10", "-LocalSearch", "-BayerMode",
         "-ClusterThreshold(-)", "1,2,3,4,5,6,7,8,9,10", "-PixelThreshold(-)",
         "11,12,13,14,15,16,17,18,19,20", "-slave", "-debug"});
  const _PARAMS_Waferon& p = settings.Params;
  EXPECT_EQ(p.ClusterSize, 3);
  EXPECT_EQ(p.HammerSize, 7);
  EXPECT_EQ(p.OutlierLeft, 1);
  EXPECT_EQ(p.OutlierTop, 2);
  EXPECT_EQ(p.OutlierRight, 3);
  EXPECT_EQ(p.OutlierBottom, 4);
  EXPECT_EQ(p.CenterLeft, 0.1);
  EXPECT_EQ(p.CenterTop, 0.2);
  EXPECT_EQ(p.CenterRight, 0.9);
  EXPECT_EQ(p.CenterBottom, 0.8);
  EXPECT_EQ(p.SensorBpp, 12);
  EXPECT_EQ(p.TestBpp, 10);
  EXPECT_EQ(p.LocalSearch, 1);
  EXPECT_EQ(p.BayerMode, 1);
  EXPECT_EQ(p.CenterClusterThreshold[0], 1.0);
  EXPECT_EQ(p.CenterClusterThreshold[4], 5.0);
  EXPECT_EQ(p.SideClusterThreshold[0], 6.0);
  EXPECT_EQ(p.SideClusterThreshold[4], 10.0);
  EXPECT_EQ(p.CenterPixelThreshold[2], 13.0);
  EXPECT_EQ(p.SidePixelThreshold[3], 19.0);
  EXPECT_TRUE(options.Slave);
  EXPECT_TRUE(options.Debug);

  Parse({"-GlobalSearch", "-ColorMode"});
  EXPECT_EQ(settings.Params.LocalSearch, 0);
  EXPECT_EQ(settings.Params.BayerMode, 0);
}

TEST_F(WaferonOptionsTest, TheLastThresholdOptionDecidesThePercentFlagOfBothFamilies) {
  Parse(
      {"-ClusterThreshold(%)", "1,1,1,1,1,2,2,2,2,2", "-PixelThreshold(-)", "3,3,3,3,3,4,4,4,4,4"});
  EXPECT_EQ(settings.Params.ThresholdPercent, 0);
  EXPECT_EQ(settings.Params.SideClusterThreshold[0], 2.0);
  EXPECT_NE(EchoWaferonSettings(options, settings).Text.find("cluster threshold: R=1.00,G=1.00"),
            std::string::npos);

  Parse({"-PixelThreshold(%)", "5,5,5,5,5,6,6,6,6,6"});
  EXPECT_EQ(settings.Params.ThresholdPercent, 1);
}

TEST_F(WaferonOptionsTest, AThresholdOptionWithNineValuesChangesNeitherThresholdsNorFlag) {
  Parse({"-ClusterThreshold(%)", "1,2,3,4,5,6,7,8,9"});
  EXPECT_EQ(settings.Params.ThresholdPercent, 0);
  EXPECT_EQ(settings.Params.CenterClusterThreshold[0], 0.0);
}

TEST_F(WaferonOptionsTest, TheSettingsFileWinsAndAloneSetsTheColourEnables) {
  Parse({"-BayerMode", "-ClusterSize", "4", "-ColorUnderTest", "1,1,1,1,1"});
  EXPECT_EQ(settings.ColorUnderTest, (std::array<std::int32_t, 5>{1, 0, 1, 1, 1}));
  Settle(
      "BayerMode=0\nClusterSize=-5\nLocalSearch=7\nColorUnderTest=1,1,1\nColorUnderTest=1,1,1,1,"
      "2\n");
  EXPECT_EQ(settings.Params.BayerMode, 0);
  EXPECT_EQ(settings.Params.ClusterSize, -5);
  EXPECT_EQ(settings.Params.LocalSearch, 1);
  EXPECT_EQ(settings.ColorUnderTest, (std::array<std::int32_t, 5>{1, 1, 1, 1, 2}));
  EXPECT_NE(EchoWaferonSettings(options, settings).Text.find("\tmode= color\n"), std::string::npos);
}

TEST_F(WaferonOptionsTest, ThresholdKeysOfTheSettingsFileSetTheFlagToo) {
  Settle("PixelThreshold(%)=1,2,3,4,5,6,7,8,9,10\r\n");
  EXPECT_EQ(settings.Params.ThresholdPercent, 1);
  EXPECT_EQ(settings.Params.SidePixelThreshold[4], 10.0);
}

TEST(WaferonEcho, ShowsTheStartValuesWithNullPaths) {
  const WaferonSettings settings;
  EXPECT_EQ(EchoWaferonSettings(CommonOptions{}, settings).Text,
            "\nsettings:\n"
            "\tstatus file= (null)\n\tdata log file= (null)\n\ttest limit file= (null)\n"
            "\tBMP file input= (null)\n\tbits per pixel= 0\n\tbits for test= 0\n\tcluster size= 2\n"
            "\thammer size= 11\n\tbayer outliers= 0,0,0,0\n\troi= 0.0000,0.0000,0.0000,0.0000\n"
            "\tcenter:\n"
            "\tcluster threshold: R=0.00,G=0.00,B=0.00,G1=0.00,G2=0.00"
            "\tpixel threshold= R=0.00,G=0.00,B=0.00,G1=0.00,G2=0.00\n"
            "\tside:\n"
            "\tcluster threshold: R=0.00,G=0.00,B=0.00,G1=0.00,G2=0.00"
            "\tpixel threshold= R=0.00,G=0.00,B=0.00,G1=0.00,G2=0.00\n"
            "\tmode= color\n\tsearching= global\n");
}

TEST(WaferonEcho, MarksPercentThresholdsAndShowsPaths) {
  WaferonSettings settings;
  settings.Params.ThresholdPercent = 1;
  settings.Params.SidePixelThreshold[0] = 2.5;
  settings.Params.BayerMode = 1;
  settings.Params.LocalSearch = 1;
  CommonOptions options;
  options.LogFile = "/st/log.csv";
  const std::string text = EchoWaferonSettings(options, settings).Text;
  EXPECT_NE(text.find("\tdata log file= /st/log.csv\n"), std::string::npos);
  EXPECT_NE(
      text.find("\tpixel threshold= R=2.50%,G=0.00%,B=0.00%,G1=0.00%,G2=0.00%\n\tmode= bayer\n"
                "\tsearching= local\n"),
      std::string::npos);
  EXPECT_TRUE(EchoWaferonSettings(options, settings).Plausible);
}

TEST_F(WaferonOptionsTest, TheUsageTextNamesOnlyOptionsTheProgramKnows) {
  EXPECT_EQ(test::UsageNamesNoOption(WaferonUsageLines(), WaferonOptions(settings)),
            std::vector<std::string>{});
}

TEST(WaferonLimits, AZoneHeaderNeedsClusterOrPixel) {
  EXPECT_EQ(WaferonEntryFor("cluster(center)"), kClustersCenter);
  EXPECT_EQ(WaferonEntryFor("Cluster(CENTER)"), kClustersCenter);
  EXPECT_EQ(WaferonEntryFor("a(center)cluster"), kClustersCenter);
  EXPECT_EQ(WaferonEntryFor("cluster(side)"), kClustersSide);
  EXPECT_EQ(WaferonEntryFor("pixel(total)"), kPixelsTotal);
  EXPECT_EQ(WaferonEntryFor("Pixel count (side)"), kPixelsSide);
  EXPECT_EQ(WaferonEntryFor("pixel cluster(total)"), kClustersTotal);  // "cluster" is tested first
  EXPECT_FALSE(WaferonEntryFor("defects(center)"));
  EXPECT_FALSE(WaferonEntryFor("cluster center"));
}

TEST(WaferonLimits, AColourHeaderSetsItsLevelWhateverKindWordItHolds) {
  EXPECT_EQ(WaferonEntryFor("brightness(r)"), kLevelR);
  EXPECT_EQ(WaferonEntryFor("(G)"), kLevelG);
  EXPECT_EQ(WaferonEntryFor("level(b)"), kLevelB);
  EXPECT_EQ(WaferonEntryFor("brightness(g1)"), kLevelG1);
  EXPECT_EQ(WaferonEntryFor("BRIGHTNESS(G2)"), kLevelG2);
  EXPECT_EQ(WaferonEntryFor("cluster(r)"), kLevelR);
  EXPECT_EQ(WaferonEntryFor("pixel(center)(r)"), kPixelsCenter);  // a zone is looked for first
}

TEST(WaferonLimits, NeedsAllThreeSections) {
  frontend::VerdictTable table = WaferonVerdicts();
  const std::string counts =
      "[CLUSTER]\nHeaders=cluster(center),cluster(side),cluster(total)\nUnit=n,n,n\nHighLimit=0,0,"
      "0\n"
      "LowLimit=0,0,0\n[PIXEL]\nHeaders=pixel(center),pixel(side),pixel(total)\nUnit=n,n,n\n"
      "HighLimit=1,2,3\nLowLimit=0,0,0\n";
  EXPECT_FALSE(test::ReadLimitsText(counts, WaferonLimitsRules(), table));
  EXPECT_TRUE(test::ReadLimitsText(
      counts + "[Brightness]\nHeaders=b(r)\nUnit=l\nHighLimit=250.9\nLowLimit=0\n",
      WaferonLimitsRules(), table));
  EXPECT_EQ(table[kPixelsTotal].High, 3);
  EXPECT_EQ(table[kLevelR].High, 250);
  EXPECT_EQ(table[kLevelG].Label, "");
}

TEST(WaferonLimits, ElevenValuesSixCountsThenFiveLevels) {
  const frontend::VerdictTable table = WaferonVerdicts();
  ASSERT_EQ(table.size(), 11u);
  EXPECT_EQ(table[kPixelsTotal].Kind, frontend::ValueKind::Count);
  EXPECT_EQ(table[kLevelR].Kind, frontend::ValueKind::Level);
}

}  // namespace
}  // namespace sensor::waferonrun
