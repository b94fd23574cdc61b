#include "frontend/ostrelrun/ostrel_settings.h"

#include <gtest/gtest.h>

#include "settings_fixture.h"

namespace sensor::ostrelrun {
namespace {

using namespace SensorDefectDetectionClass;

using OstrelrunOptions = test::SettingsTest<OstrelSettings, OstrelOptions, OstrelSettingsKeys>;

TEST_F(OstrelrunOptions, EveryParameterStartsAtZeroWhateverTheUsageTextSays) {
  const _PARAMS_Ostrel& p = settings.Params;
  EXPECT_FALSE(p.BayerMode);
  EXPECT_EQ(p.SensorBpp, 0);
  EXPECT_EQ(p.TestBpp, 0);
  EXPECT_EQ(p.OutlierLeft + p.OutlierTop + p.OutlierRight + p.OutlierBottom, 0);
  EXPECT_EQ(p.RoiLeft + p.RoiTop + p.RoiRight + p.RoiBottom, 0.0);
}

TEST_F(OstrelrunOptions, TheUsageTextsBayerColorAndRoiAreNoOptions) {
  const frontend::OptionTable table = OstrelOptions(settings);
  EXPECT_EQ(frontend::MatchOption("-bayer", table), -1);
  EXPECT_EQ(frontend::MatchOption("-color", table), -1);
  EXPECT_EQ(frontend::MatchOption("-bayer|color", table), -1);
  EXPECT_EQ(frontend::MatchOption("-ROI(%)", table), -1);

  Parse({"-bayer", "-ROI(%)", "0.1,0.2,0.3,0.4"});
  EXPECT_FALSE(settings.Params.BayerMode);
  EXPECT_EQ(settings.Params.RoiLeft, 0.0);
  EXPECT_EQ(settings.Params.RoiBottom, 0.0);
}

TEST_F(OstrelrunOptions, EveryOptionSetsItsFields) {
  Parse({"-BayerOutliers", "1,2,3,4", "-SensorROI(%)", "0.1,0.2,0.9,0.8", "-BitsUsage", "12,10",
         "-BayerMode"});
  const _PARAMS_Ostrel& p = settings.Params;
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
  EXPECT_TRUE(p.BayerMode);

  Parse({"-colormode"});
  EXPECT_FALSE(settings.Params.BayerMode);
}

TEST_F(OstrelrunOptions, AValueThatIsPartialOrBeginsWithADashChangesNothing) {
  Parse({"-BayerOutliers", "1,2,3", "-BitsUsage", "10", "-SensorROI(%)", "-0.1,0,1,1"});
  const _PARAMS_Ostrel& p = settings.Params;
  EXPECT_EQ(p.OutlierLeft, 0);
  EXPECT_EQ(p.SensorBpp, 0);
  EXPECT_EQ(p.RoiRight, 0.0);
}

TEST_F(OstrelrunOptions, SettingsKeysSetTheSameFieldsAndTheBayerModeNumber) {
  Settle("BayerOutliers=-1,2,3,4\n");
  Settle("SensorROI(%)=0.25,0.5,0.75,1\n");
  Settle("BitsUsage=10,8\n");
  Settle("BayerMode=3\n");
  const _PARAMS_Ostrel& p = settings.Params;
  EXPECT_EQ(p.OutlierLeft, -1);
  EXPECT_EQ(p.OutlierBottom, 4);
  EXPECT_EQ(p.RoiTop, 0.5);
  EXPECT_EQ(p.RoiBottom, 1.0);
  EXPECT_EQ(p.SensorBpp, 10);
  EXPECT_EQ(p.TestBpp, 8);
  EXPECT_TRUE(p.BayerMode);

  Settle("bayermode=0\n");
  EXPECT_FALSE(p.BayerMode);
}

TEST_F(OstrelrunOptions, TheSettingsFileKnowsNoRoiKeyOfTheOtherPrograms) {
  Settle("ROI(%)=0.25,0.5,0.75,1\n");
  Settle("ColorMode=1\n");
  Settle("BayerMode=yes\n");
  EXPECT_EQ(settings.Params.RoiLeft, 0.0);
  EXPECT_FALSE(settings.Params.BayerMode);
}

}  // namespace
}  // namespace sensor::ostrelrun
