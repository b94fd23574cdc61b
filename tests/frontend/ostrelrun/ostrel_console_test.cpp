#include "frontend/ostrelrun/ostrel_console.h"

#include <gtest/gtest.h>

#include "settings_fixture.h"

namespace sensor::ostrelrun {
namespace {

using OstrelrunConsole = test::SettingsTest<OstrelSettings, OstrelOptions, OstrelSettingsKeys>;

TEST_F(OstrelrunConsole, ShowsThePathsAndTheParametersReadFromTheCommandLineAndTheSettingsFile) {
  Parse({"-BMPFileIn", "/data/img.bmp", "-TestLimits", "/st/limits.txt", "-BitsUsage", "12,12"});
  Settle("BitsUsage=10,8\nBayerOutliers=-1,0,0,7\nSensorROI(%)=0,0.33336,1,0\nBayerMode=1\n");
  EXPECT_EQ(EchoOstrelSettings(options, settings).Text,
            "\nsettings:\n"
            "\tstatus file= (null)\n"
            "\tdata log file= (null)\n"
            "\ttest limit file= /st/limits.txt\n"
            "\tBMP file input= /data/img.bmp\n"
            "\tbits per pixel= 10\n"
            "\tbits for test= 8\n"
            "\tbayer outliers= -1,0,0,7\n"
            "\troi= 0.0000,0.3334,1.0000,0.0000\n"
            "\tmode= bayer\n");
}

// The usage names two options the program never knew (ostrel_settings_test.cpp).
TEST_F(OstrelrunConsole, TheUsageTextNamesTheProgramsOptionsButBayerColorAndRoi) {
  EXPECT_EQ(test::UsageNamesNoOption(OstrelUsageLines(), OstrelOptions(settings)),
            (std::vector<std::string>{"-bayer|color", "-ROI(%)"}));
}

}  // namespace
}  // namespace sensor::ostrelrun
