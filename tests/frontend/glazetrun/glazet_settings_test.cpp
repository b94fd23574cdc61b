#include "frontend/glazetrun/glazet_settings.h"

#include <gtest/gtest.h>

#include "settings_fixture.h"

namespace sensor::glazetrun {
namespace {

using namespace SensorDefectDetectionClass;

using GlazetrunOptions = test::SettingsTest<GlazetSettings, GlazetOptions, GlazetSettingsKeys>;

TEST_F(GlazetrunOptions, EveryParameterStartsAtZero) {
  const _PARAMS_Glazet& p = settings.Params;
  EXPECT_FALSE(p.BayerMode);
  EXPECT_FALSE(p.LocalSearch);
  EXPECT_EQ(p.ColorPlane, COLOUR_R);
  EXPECT_EQ(p.SensorBpp, 0);
  EXPECT_EQ(p.TestBpp, 0);
  EXPECT_EQ(p.HammerSmall, 0);
  EXPECT_EQ(p.HammerLarge, 0);
  EXPECT_EQ(p.ClusterSize, 0);
  EXPECT_EQ(p.DefectThreshold, 0.0);
  EXPECT_EQ(p.OutlierLeft + p.OutlierTop + p.OutlierRight + p.OutlierBottom, 0);
  EXPECT_EQ(p.RoiLeft + p.RoiTop + p.RoiRight + p.RoiBottom, 0.0);
}

TEST_F(GlazetrunOptions, ColorModeIsMatchedBeforeColorSoBothCanBeGiven) {
  const frontend::OptionTable table = GlazetOptions(settings);
  const int colorMode = frontend::MatchOption("-ColorMode", table);
  const int color = frontend::MatchOption("-Color", table);
  ASSERT_GE(colorMode, 0);
  ASSERT_GE(color, 0);
  EXPECT_EQ(table[static_cast<std::size_t>(colorMode)].Name, "ColorMode");
  EXPECT_EQ(table[static_cast<std::size_t>(color)].Name, "Color");
  EXPECT_FALSE(table[static_cast<std::size_t>(colorMode)].TakesValue);

  Parse({"-BayerMode", "-ColorMode", "G2"});  // the switch takes no value: G2 is ignored
  EXPECT_FALSE(settings.Params.BayerMode);
  EXPECT_EQ(settings.Params.ColorPlane, COLOUR_R);

  Parse({"-Color", "G1"});
  EXPECT_EQ(settings.Params.ColorPlane, COLOUR_G1);
  EXPECT_FALSE(settings.Params.BayerMode);
}

TEST_F(GlazetrunOptions, TheColourRuleTriesTwoLetterNamesFirstAndAnyCase) {
  struct Case {
    const char* Text;
    std::int32_t Plane;
  };
  for (const Case& c : {Case{"G1", COLOUR_G1}, Case{"g2", COLOUR_G2}, Case{"G2x", COLOUR_G2},
                        Case{"R", COLOUR_R}, Case{"Red", COLOUR_R}, Case{"g", COLOUR_G},
                        Case{"Gx", COLOUR_G}, Case{"G3", COLOUR_G}, Case{"blue", COLOUR_B}}) {
    EXPECT_EQ(ColourPlaneFor(c.Text), c.Plane) << c.Text;
  }
  EXPECT_EQ(ColourPlaneFor("Yellow"), std::nullopt);
  EXPECT_EQ(ColourPlaneFor(""), std::nullopt);
  EXPECT_EQ(ColourPlaneFor(" R"), std::nullopt);  // no leading blanks
}

TEST_F(GlazetrunOptions, AColourThatMatchesNothingLeavesThePlaneAsItWas) {
  Parse({"-Color", "B", "-Color", "Yellow"});
  EXPECT_EQ(settings.Params.ColorPlane, COLOUR_B);
  Settle("Color=cyan\n");
  EXPECT_EQ(settings.Params.ColorPlane, COLOUR_B);
  Settle("Color=g2\n");
  EXPECT_EQ(settings.Params.ColorPlane, COLOUR_G2);
}

TEST_F(GlazetrunOptions, HammerSizePutsTheSmallerValueIntoTheTestedWindow) {
  Parse({"-HammerSize", "15,5"});
  EXPECT_EQ(settings.Params.HammerSmall, 5);
  EXPECT_EQ(settings.Params.HammerLarge, 15);
  Parse({"-HammerSize", "7,7"});
  EXPECT_EQ(settings.Params.HammerSmall, 7);
  EXPECT_EQ(settings.Params.HammerLarge, 7);
  Parse({"-HammerSize", "3,9"});
  EXPECT_EQ(settings.Params.HammerSmall, 3);
  EXPECT_EQ(settings.Params.HammerLarge, 9);
  Settle("HammerSize=31,-2\n");
  EXPECT_EQ(settings.Params.HammerSmall, -2);
  EXPECT_EQ(settings.Params.HammerLarge, 31);
}

TEST_F(GlazetrunOptions, AHammerSizeWithOneValueChangesNeitherWindow) {
  Parse({"-HammerSize", "5,15", "-HammerSize", "21"});
  EXPECT_EQ(settings.Params.HammerSmall, 5);
  EXPECT_EQ(settings.Params.HammerLarge, 15);
}

TEST_F(GlazetrunOptions, EveryValuedOptionSetsItsFields) {
  Parse({"-ClusterSize", "4", "-BayerOutliers", "1,2,3,4", "-ROI(%)", "0.1,0.2,0.9,0.8",
         "-BitsUsage", "12,10", "-DefectThreshold(%)", "7.5", "-LocalSearch", "-BayerMode"});
  const _PARAMS_Glazet& p = settings.Params;
  EXPECT_EQ(p.ClusterSize, 4);
  EXPECT_EQ(p.OutlierLeft, 1);
  EXPECT_EQ(p.OutlierTop, 2);
  EXPECT_EQ(p.OutlierRight, 3);
  EXPECT_EQ(p.OutlierBottom, 4);
  EXPECT_EQ(p.RoiLeft, 0.1);
  EXPECT_EQ(p.RoiTop, 0.2);
  EXPECT_EQ(p.RoiRight, 0.9);
  EXPECT_EQ(p.RoiBottom, 0.8);
  EXPECT_EQ(p.SensorBpp, 12);
  EXPECT_EQ(p.TestBpp, 10);
  EXPECT_EQ(p.DefectThreshold, 7.5);
  EXPECT_TRUE(p.LocalSearch);
  EXPECT_TRUE(p.BayerMode);

  Parse({"-GlobalSearch"});
  EXPECT_FALSE(settings.Params.LocalSearch);
}

TEST_F(GlazetrunOptions, NegativeValuesCanOnlyComeFromTheSettingsFile) {
  Parse({"-ClusterSize", "-5", "-DefectThreshold(%)", "-1"});
  EXPECT_EQ(settings.Params.ClusterSize, 0);
  EXPECT_EQ(settings.Params.DefectThreshold, 0.0);
  Settle("ClusterSize=-5\n");
  Settle("DefectThreshold(%)=-1.5\n");
  EXPECT_EQ(settings.Params.ClusterSize, -5);
  EXPECT_EQ(settings.Params.DefectThreshold, -1.5);
}

TEST_F(GlazetrunOptions, SettingsKeysSetTheSameFieldsAsTheOptions) {
  Settle("BayerOutliers=2,4,6,8\n");
  Settle("ROI(%)=0,0,1,1\n");
  Settle("BitsUsage=10,8\n");
  Settle("LocalSearch=2\n");
  Settle("BayerMode=1\n");
  const _PARAMS_Glazet& p = settings.Params;
  EXPECT_EQ(p.OutlierLeft, 2);
  EXPECT_EQ(p.OutlierBottom, 8);
  EXPECT_EQ(p.RoiRight, 1.0);
  EXPECT_EQ(p.RoiBottom, 1.0);
  EXPECT_EQ(p.SensorBpp, 10);
  EXPECT_EQ(p.TestBpp, 8);
  EXPECT_TRUE(p.LocalSearch);
  EXPECT_TRUE(p.BayerMode);

  Settle("localsearch=0\n");
  Settle("BAYERMODE=0\n");
  EXPECT_FALSE(p.LocalSearch);
  EXPECT_FALSE(p.BayerMode);
}

TEST_F(GlazetrunOptions, SwitchesAreNoSettingsKeysAndPartialLinesChangeNothing) {
  Settle("ColorMode=1\n");  // only "Color=" is a key
  Settle("BayerOutliers=1,2,3\n");
  Settle(" ClusterSize=3\n");
  Settle("DefectThreshold(%)=\n");
  const _PARAMS_Glazet& p = settings.Params;
  EXPECT_EQ(p.ColorPlane, COLOUR_R);
  EXPECT_EQ(p.OutlierLeft, 0);
  EXPECT_EQ(p.ClusterSize, 0);
  EXPECT_EQ(p.DefectThreshold, 0.0);
}

}  // namespace
}  // namespace sensor::glazetrun
