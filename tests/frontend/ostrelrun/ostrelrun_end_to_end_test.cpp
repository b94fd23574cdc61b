// Ostrelrun run the way a test station runs it: a copy of the program and its
// library in a fresh folder, started from another working directory, on
// bitmaps written for the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_run_test.h"
#include "test_image.h"

namespace sensor::test {
namespace {

constexpr const char* kLimits =
    "[DIMENSION]\n"
    "Header=Width,height\n"
    "Unit=pixel,pixel\n"
    "HighLimit=64,48\n"
    "LowLimit=64,48\n"
    "[BRIGHTNESS]\n"
    "Header=R,G,B,G1,G2\n"
    "Unit=LSB,LSB,LSB,LSB,LSB\n"
    "HighLimit=30,20,10,0,0\n"
    "LowLimit=30,20,10,0,0\n";

// Blue 10, green 20, red 30 everywhere.
TestImage EvenPicture(std::int32_t width, std::int32_t height, bool topDown = false) {
  TestImage image(width, height, 24, topDown);
  image.FillBgr(10, 20, 30);
  return image;
}

class OstrelrunRun : public ProgramRunTest {
 protected:
  OstrelrunRun() : ProgramRunTest("Ostrelrun", "libOstrel.so") {}
};

TEST_F(OstrelrunRun, WithOnlyABitmapItReportsTheLevelsAndTheSize) {
  EvenPicture(640, 480).WriteFile(Beside("img.bmp"));
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp"});
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_TRUE(Contains(out.Console, "\tmode= color\n" + Beside("libOstrel.so") + ": 1.0.0.0\n"));
  EXPECT_TRUE(out.Console.ends_with("\n\n> > > Direct Code Path < < <\n\n"
                                    "\nPress a key to close the Windows..."));
  EXPECT_EQ(Read("Ostrelrun.csv"), ",,,,,,\n30.00,20.00,10.00,0.00,0.00,640,480\n");
}

TEST_F(OstrelrunRun, ATopDownBitmapReportsAPositiveHeight) {
  EvenPicture(6, 5, true).WriteFile(Beside("img.bmp"));
  EXPECT_EQ(Run({"-BMPFileIn", "img.bmp", "-slave"}).ExitCode, 0);
  EXPECT_EQ(Read("Ostrelrun.csv"), ",,,,,,\n30.00,20.00,10.00,0.00,0.00,6,5\n");
}

TEST_F(OstrelrunRun, BayerModeReportsTheFourPositionsAndNoGreen) {
  // Samples 1, 2 on even rows and 3, 4 on odd rows: G1 1, R 2, B 3, G2 4; the
  // outer column and row on each side are left out, which keeps the positions.
  TestImage image(10, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      image.SetSample(x, y, static_cast<std::uint16_t>(1 + x % 2 + 2 * (y % 2)), 8);
    }
  }
  image.SetSample(0, 0, 200, 8);  // outside the window
  image.WriteFile(Beside("img.bmp"));
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-BayerMode", "-BitsUsage", "8,8",
                                 "-BayerOutliers", "2,2,2,2", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_EQ(Read("Ostrelrun.csv"), ",,,,,,\n2.00,0.00,3.00,1.00,4.00,10,8\n");
}

TEST_F(OstrelrunRun, BayerModeWithoutBitDepthsIsRefusedAndNothingIsRead) {
  EvenPicture(8, 6).WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-BayerMode", "-TestLimits",
                                 "limits.txt", "-OutputFile", "status.txt", "-LogFile", "log.csv",
                                 "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  const std::string status = Read("status.txt");
  // The values stay 0 and are judged all the same: the failures name them.
  EXPECT_TRUE(Contains(status, "ReturnCode=" + std::string(kInvalidArgument) +
                                   "\nMessage=\"R=0.00,G=0.00,B=0.00,Width=0,height=0 ERROR\"\n"));
  EXPECT_TRUE(Contains(status, "\nValues=0.00,0.00,0.00,0.00,0.00,0,0\n"));
  EXPECT_TRUE(Contains(status, "\nLogFile=(null)\n"));
  EXPECT_FALSE(Exists("log.csv"));
  EXPECT_EQ(Read("Ostrelrun.csv"),
            "R,G,B,G1,G2,Width,height\n0.00,0.00,0.00,0.00,0.00,0,0\n");
}

TEST_F(OstrelrunRun, BayerModeWithoutLimitsReportsTheTextOfTheRefusal) {
  EvenPicture(8, 6).WriteFile(Beside("img.bmp"));
  const ProgramOutput out =
      Run({"-BMPFileIn", "img.bmp", "-BayerMode", "-OutputFile", "status.txt", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(Read("status.txt"), "\nMessage=\"Invalid argument. ERROR\"\n"));
}

TEST_F(OstrelrunRun, APassedRunWritesTheHeaderBlockAndNoTime) {
  EvenPicture(64, 48).WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_FALSE(Contains(out.Console, "Press a key"));
  EXPECT_EQ(Read("status.txt"),
            "[Outputs]\nStatus=0\nReturnCode=0\nMessage=\"Operation successful.\"\n"
            "Header=R,G,B,G1,G2,Width,height\n"
            "UpLimit=30.00,20.00,10.00,0.00,0.00,64,48,\n"
            "LowLimit=30.00,20.00,10.00,0.00,0.00,64,48\n"
            "Values=30.00,20.00,10.00,0.00,0.00,64,48\n"
            "TestLimits=\"" + Beside("limits.txt") + "\"\n"
            "TestSettings=(null)\nLogFile=\"" + Beside("log.csv") + "\"\n"
            "BMPFileIn=\"" + Beside("img.bmp") + "\"\n");
  EXPECT_EQ(Read("log.csv"), "30.00,20.00,10.00,0.00,0.00,64,48,");
  EXPECT_FALSE(Exists("Ostrelrun.csv"));
}

TEST_F(OstrelrunRun, AValueOutsideItsLimitsFailsTheRunWithItsLabel) {
  EvenPicture(65, 48).WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(Read("status.txt"), "ReturnCode=" + std::string(kFail) +
                                               "\nMessage=\"Width=65 ERROR\"\n"));
  EXPECT_EQ(Read("log.csv"), "30.00,20.00,10.00,0.00,0.00,65,48,");
}

TEST_F(OstrelrunRun, ALimitsFileWithAPartialLabelStopsAtStartUp) {
  EvenPicture(8, 6).WriteFile(Beside("img.bmp"));
  Write("limits.txt", std::string(kLimits) +
                          "[BRIGHTNESS]\nHeader=Brightness R\nUnit=LSB\nHighLimit=1\nLowLimit=0\n");
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\nUSAGE: Ostrelrun (argument list below)\n"));
  EXPECT_FALSE(Contains(out.Console, "Direct Code Path"));
  const std::string status = Read("status.txt");
  EXPECT_TRUE(Contains(status, "ReturnCode=" + std::string(kInvalidArgument) +
                                   "\nMessage=\"missing or invalid argument. ERROR\"\n"));
  EXPECT_TRUE(status.ends_with("BMPFileIn=\"" + Beside("img.bmp") + "\"\n"));
  EXPECT_FALSE(Exists("Ostrelrun.csv"));
}

TEST_F(OstrelrunRun, ABitmapThatCannotBeLoadedEndsWithNiCallsFail) {
  const ProgramOutput out =
      Run({"-BMPFileIn", "missing.bmp", "-OutputFile", "status.txt", "-LogFile", "log.csv"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_EQ(Read("status.txt"),
            "[Outputs]\nStatus=1\nReturnCode=" + std::string(kFail) +
                "\nMessage=\"NI calls fail. ERROR\"\n"
                "\nTestLimits=(null)\nTestSettings=(null)\nLogFile=(null)\n"
                "BMPFileIn=\"" + Beside("missing.bmp") + "\"\n");
  EXPECT_EQ(Read("Ostrelrun.csv"), ",,,,,,\n0.00,0.00,0.00,0.00,0.00,0,0\n");
}

TEST_F(OstrelrunRun, TheUsageTextsRoiIsIgnoredAndTheSensorRoiIsEchoed) {
  EvenPicture(8, 6).WriteFile(Beside("img.bmp"));
  ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-ROI(%)", "0.1,0.2,0.3,0.4", "-slave"});
  EXPECT_TRUE(Contains(out.Console, "\troi= 0.0000,0.0000,0.0000,0.0000\n"));
  out = Run({"-BMPFileIn", "img.bmp", "-SensorROI(%)", "0.1,0.2,0.3,0.4", "-slave"});
  EXPECT_TRUE(Contains(out.Console, "\troi= 0.1000,0.2000,0.3000,0.4000\n"));
  // The region is carried, not measured: the levels cover the whole picture.
  EXPECT_EQ(Read("Ostrelrun.csv"), ",,,,,,\n30.00,20.00,10.00,0.00,0.00,8,6\n");
}

TEST_F(OstrelrunRun, TheSettingsFileOverridesTheCommandLine) {
  EvenPicture(8, 6).WriteFile(Beside("img.bmp"));
  Write("settings.ini", "[Ostrelrun settings]\r\nBayerMode=0\r\nBayerOutliers=1,1,1,1\r\n");
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-BayerMode", "-TestSettings",
                                 "settings.ini", "-debug", "-slave"});
  EXPECT_EQ(out.ExitCode, 0);
  // The debug switch echoes every argument first.
  EXPECT_EQ(out.Console.rfind(copy.ProgramPath() + "\n-BMPFileIn\nimg.bmp\n", 0), 0u);
  EXPECT_TRUE(Contains(out.Console, "\tbayer outliers= 1,1,1,1\n"));
  EXPECT_TRUE(Contains(out.Console, "\tmode= color\n"));
}

}  // namespace
}  // namespace sensor::test
