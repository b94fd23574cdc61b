// Runs the built Waferonrun, copied with libWaferon.so into a fresh folder per
// test, on generated bitmaps, and checks what a test station sees: the status
// file, the data logs, the console and the exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "program_run_test.h"
#include "test_image.h"

namespace sensor::test {
namespace {

namespace fs = std::filesystem;

const char kLimits[] =
    "[CLUSTER]\n"
    "Headers=cluster(center),cluster(side),cluster(total)\n"
    "Unit=n,n,n\nHighLimit=0,1,1\nLowLimit=0,0,0\n"
    "[PIXEL]\n"
    "Headers=pixel(center),pixel(side),pixel(total)\n"
    "Unit=n,n,n\nHighLimit=1,0,1\nLowLimit=0,0,0\n"
    "[BRIGHTNESS]\n"
    "Headers=brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)\n"
    "Unit=l,l,l,l,l\nHighLimit=255,255,255,255,255\nLowLimit=0,0,0,0,0\n";

const char kLimitsBlock[] =
    "Headers=cluster(center),cluster(side),cluster(total),pixel(center),pixel(side),pixel(total),"
    "brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)\n"
    "UpLimit=0,1,1,1,0,1,255.00,255.00,255.00,255.00,255.00\n"
    "LowLimit=0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n";

const char kThresholds[] = "50,50,50,50,50,50,50,50,50,50";

class Waferonrun : public ProgramRunTest {
 protected:
  Waferonrun() : ProgramRunTest("Waferonrun", "libWaferon.so") {}

  // Runs the copied program in its folder with "-slave" added.
  ProgramOutput Run(std::vector<std::string> arguments) {
    arguments.push_back("-slave");
    return RunWithoutSlave(std::move(arguments));
  }
  ProgramOutput RunWithoutSlave(std::vector<std::string> arguments) {
    return copy.Run(copy.Dir(), std::move(arguments));
  }

  // The options of a colour run whose 16 x 16 image has its centre zone in
  // columns and rows 4 to 12 and finds pixels more than 50 from the level.
  static std::vector<std::string> ColourRun(std::vector<std::string> more) {
    std::vector<std::string> arguments = {
        "-BMPFileIn",           "img.bmp",   "-CenterROI(%)",      "0.25,0.25,0.75,0.75",
        "-ClusterThreshold(-)", kThresholds, "-PixelThreshold(-)", kThresholds};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  }

  // A grey field of 100 with a bright pair at the lower left (a side cluster)
  // and a bright pixel in the middle (a centre pixel): levels 25900 / 256.
  void WriteDefectImage() {
    TestImage image(16, 16, 24);
    image.FillBgr(100, 100, 100);
    image.SetBgr(0, 14, 200, 200, 200);
    image.SetBgr(1, 14, 200, 200, 200);
    image.SetBgr(8, 8, 200, 200, 200);
    image.WriteFile(Beside("img.bmp"));
  }

  // A path line of the status file for a file in the program's folder, or the
  // line of an absent path when the name is empty.
  std::string PathLine(const char* key, const std::string& name) const {
    return name.empty() ? std::string(key) + "=(null)\n"
                        : std::string(key) + "=\"" + Beside(name) + "\"\n";
  }

  // The status file without its last line, after checking that line's form.
  std::string StatusWithoutTime() {
    const std::string status = Read("status.txt");
    const std::size_t at = status.rfind("\ncalc time=");
    EXPECT_NE(at, std::string::npos) << status;
    if (at == std::string::npos) return status;
    EXPECT_TRUE(
        std::regex_match(status.substr(at), std::regex("\ncalc time=[0-9]+\\.[0-9]{2} sec\n")))
        << status.substr(at);
    return status.substr(0, at);
  }
};

TEST_F(Waferonrun, ACleanPassWritesTheNamedLogAndStatusZeroWithoutAPrompt) {
  WriteDefectImage();
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run(
      ColourRun({"-TestLimits", "limits.txt", "-OutputFile", "status.txt", "-LogFile", "run.csv"}));
  EXPECT_EQ(out.ExitCode, 0) << out.Console;
  EXPECT_EQ(StatusWithoutTime(),
            "[Outputs]\nStatus=0\nReturnCode=0\nMessage=\"Operation successful.\"\n" +
                std::string(kLimitsBlock) + "Values=0,1,1,1,0,1,101.17,101.17,101.17,0.00,0.00\n" +
                PathLine("TestLimits", "limits.txt") + PathLine("TestSettings", "") +
                PathLine("LogFile", "run.csv") + PathLine("BMPFileIn", "img.bmp"));
  EXPECT_EQ(Read("run.csv"), "0,1,1,1,0,1,101.17,101.17,101.17,0.00,0.00");
  EXPECT_FALSE(Exists("Waferonrun.csv"));
  EXPECT_EQ(out.Console.find("Press a key"), std::string::npos);
}

TEST_F(Waferonrun, PrintsTheEchoTheVersionLineOfItsOwnLibraryAndTheBanner) {
  WriteDefectImage();
  const ProgramOutput out = Run(ColourRun({}));
  const std::size_t echo = out.Console.find("\nsettings:\n\tstatus file= (null)\n");
  const std::size_t version = out.Console.find(Beside("libWaferon.so") + ": 1.0.0.0\n");
  const std::size_t banner = out.Console.find("\n\n> > > Direct Code Path < < <\n\n");
  ASSERT_NE(echo, std::string::npos) << out.Console;
  ASSERT_NE(version, std::string::npos) << out.Console;
  ASSERT_NE(banner, std::string::npos) << out.Console;
  EXPECT_LT(echo, version);
  EXPECT_LT(version, banner);
  EXPECT_NE(out.Console.find("\tBMP file input= " + Beside("img.bmp") + "\n"), std::string::npos);
}

TEST_F(Waferonrun, AValueOutsideItsLimitsFailsTheRunWithTheFailureMessage) {
  WriteDefectImage();
  Write("limits.txt",
        "[CLUSTER]\nHeaders=cluster(center),cluster(side),cluster(total)\n"
        "Unit=n,n,n\nHighLimit=0,0,1\nLowLimit=0,0,0\n"
        "[PIXEL]\nHeaders=pixel(total)\nUnit=n\nHighLimit=1\nLowLimit=0\n"
        "[BRIGHTNESS]\nHeaders=brightness(r)\nUnit=l\nHighLimit=100\nLowLimit=0\n");
  const ProgramOutput out = Run(
      ColourRun({"-TestLimits", "limits.txt", "-OutputFile", "status.txt", "-LogFile", "run.csv"}));
  EXPECT_EQ(out.ExitCode, 1);
  const std::string status = StatusWithoutTime();
  // Entries the file does not name keep the limits 0 and 0: the centre pixel and
  // the G and B levels fail with empty labels.
  EXPECT_NE(
      status.find(
          "Status=1\nReturnCode=-2147467259\n"
          "Message=\"cluster(side)=1,=1,brightness(r)=101.17,=101.17,=101.17 ERROR\"\n"
          "Headers=cluster(center),cluster(side),cluster(total),,,pixel(total),brightness(r),,,,\n"
          "UpLimit=0,0,1,0,0,1,100.00,0.00,0.00,0.00,0.00\n"),
      std::string::npos)
      << status;
  EXPECT_EQ(Read("run.csv"), "0,1,1,1,0,1,101.17,101.17,101.17,0.00,0.00");
}

TEST_F(Waferonrun, ClusterMembersNeverCountAsSinglePixels) {
  WriteDefectImage();
  const ProgramOutput out = Run(ColourRun({"-ClusterSize", "3"}));
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_EQ(Read("Waferonrun.csv"), ",,,,,,,,,,\n0,0,0,1,0,1,101.17,101.17,101.17,0.00,0.00\n");
}

TEST_F(Waferonrun, AMissingLimitsFileStopsAtStartUpWithUsageAndNoDataLog) {
  WriteDefectImage();
  const ProgramOutput out = Run(ColourRun(
      {"-TestLimits", "missing.txt", "-OutputFile", "status.txt", "-LogFile", "run.csv"}));
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_NE(out.Console.find("\nUSAGE: Waferonrun (argument list below)\n[ REQUIRED ]\n"),
            std::string::npos);
  EXPECT_EQ(out.Console.find("Direct Code Path"), std::string::npos);
  EXPECT_EQ(StatusWithoutTime(),
            "[Outputs]\nStatus=1\nReturnCode=-2147024809\n"
            "Message=\"missing or invalid argument. ERROR\"\n"
            "Headers=,,,,,,,,,,\n"
            "UpLimit=0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n"
            "LowLimit=0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n"
            "Values=0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n" +
                PathLine("TestLimits", "missing.txt") + PathLine("TestSettings", "") +
                PathLine("LogFile", "") + PathLine("BMPFileIn", "img.bmp"));
  EXPECT_FALSE(Exists("run.csv"));
  EXPECT_FALSE(Exists("Waferonrun.csv"));
}

TEST_F(Waferonrun, AnIncompleteLimitsFileWithoutABitmapSaysTheBitmapIsUndefined) {
  Write("limits.txt",
        "[CLUSTER]\nHeaders=cluster(center)\nUnit=n\nHighLimit=4\nLowLimit=0\n[PIXEL]\n"
        "Headers=pixel(side)\nUnit=n\nHighLimit=5\nLowLimit=0\n");
  const ProgramOutput out = Run({"-TestLimits", "limits.txt", "-OutputFile", "status.txt"});
  EXPECT_EQ(out.ExitCode, 1);
  const std::string status = Read("status.txt");
  EXPECT_NE(status.find("Message=\"BMP file undefined ERROR\"\n"), std::string::npos) << status;
  // No section is read unless all three are there.
  EXPECT_NE(status.find("Headers=,,,,,,,,,,\n"), std::string::npos) << status;
  EXPECT_FALSE(Exists("Waferonrun.csv"));
}

TEST_F(Waferonrun, ABitmapThatCannotBeLoadedSendsTheValuesToTheDefaultLog) {
  Write("limits.txt", kLimits);
  Write("img.bmp", "BA not a bitmap");
  const ProgramOutput out = Run(
      ColourRun({"-TestLimits", "limits.txt", "-OutputFile", "status.txt", "-LogFile", "run.csv"}));
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_EQ(StatusWithoutTime(),
            "[Outputs]\nStatus=1\nReturnCode=-2147467259\nMessage=\"NI calls fail. ERROR\"\n" +
                std::string(kLimitsBlock) + "Values=0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n" +
                PathLine("TestLimits", "limits.txt") + PathLine("TestSettings", "") +
                PathLine("LogFile", "") + PathLine("BMPFileIn", "img.bmp"));
  EXPECT_FALSE(Exists("run.csv"));
  EXPECT_EQ(Read("Waferonrun.csv"),
            "cluster(center),cluster(side),cluster(total),pixel(center),pixel(side),pixel(total),"
            "brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)\n"
            "0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n");
}

TEST_F(Waferonrun, ABitmapWithTooSmallAPixelOffsetIsNotLoaded) {
  TestImage image(4, 4, 24);
  std::vector<unsigned char> bytes = image.FileBytes();
  bytes[10] = 40;  // pixel data said to begin inside the information header
  Write("img.bmp", std::string(bytes.begin(), bytes.end()));
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_NE(Read("status.txt").find("Message=\"NI calls fail. ERROR\"\n"), std::string::npos);
}

TEST_F(Waferonrun, ALibraryRefusalEndsTheRunWithItsCodeAndTheDefaultLog) {
  TestImage image(8, 8, 8);  // a bit depth the library does not bind
  image.WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "run.csv"});
  EXPECT_EQ(out.ExitCode, 1);
  const std::string status = StatusWithoutTime();
  EXPECT_NE(status.find("ReturnCode=-2147024809\nMessage=\"Invalid argument. ERROR\"\n"),
            std::string::npos)
      << status;
  EXPECT_NE(status.find("LogFile=(null)\n"), std::string::npos);
  EXPECT_FALSE(Exists("run.csv"));
  EXPECT_TRUE(Exists("Waferonrun.csv"));
}

TEST_F(Waferonrun, BayerModeWithoutBitDepthsIsRefusedByTheAnalysis) {
  WriteDefectImage();
  const ProgramOutput out = Run(ColourRun({"-BayerMode", "-OutputFile", "status.txt"}));
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_NE(Read("status.txt")
                .find("Status=1\nReturnCode=-2147024809\nMessage=\"Invalid argument. ERROR\"\n"),
            std::string::npos);
  EXPECT_EQ(Read("Waferonrun.csv"), ",,,,,,,,,,\n0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n");
}

TEST_F(Waferonrun, TheSettingsFileOverridesTheCommandLine) {
  WriteDefectImage();
  Write("settings.ini", "[Waferonrun]\r\nBayerMode=0\r\nClusterSize=3\r\n");
  const ProgramOutput out =
      Run(ColourRun({"-BayerMode", "-TestSettings", "settings.ini", "-OutputFile", "status.txt"}));
  EXPECT_EQ(out.ExitCode, 0) << out.Console;
  EXPECT_NE(out.Console.find("\tcluster size= 3\n"), std::string::npos);
  EXPECT_NE(out.Console.find("\tmode= color\n"), std::string::npos);
  EXPECT_NE(Read("status.txt").find(PathLine("TestSettings", "settings.ini")), std::string::npos);
  EXPECT_EQ(Read("Waferonrun.csv"), ",,,,,,,,,,\n0,0,0,1,0,1,101.17,101.17,101.17,0.00,0.00\n");
}

TEST_F(Waferonrun, AStoppedAnalysisKeepsItsCodeAndLogsItsValuesInTheNamedLog) {
  TestImage image(300, 300, 24);  // a checkerboard of 100 and 110: every pixel is 5 from the level
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const std::uint8_t v = (x + y) % 2 == 0 ? 100 : 110;
      image.SetBgr(x, y, v, v, v);
    }
  }
  image.WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "run.csv"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_EQ(StatusWithoutTime(),
            "[Outputs]\nStatus=1\nReturnCode=-2147467260\n"
            "Message=\"Access a module without initialize it. ERROR\"\n" +
                std::string(kLimitsBlock) + "Values=0,0,0,0,0,0,105.00,105.00,105.00,0.00,0.00\n" +
                PathLine("TestLimits", "limits.txt") + PathLine("TestSettings", "") +
                PathLine("LogFile", "run.csv") + PathLine("BMPFileIn", "img.bmp"));
  EXPECT_EQ(Read("run.csv"), "0,0,0,0,0,0,105.00,105.00,105.00,0.00,0.00");
}

TEST_F(Waferonrun, ALogFileWithoutLimitsIsEchoedThenDroppedForTheDefaultLog) {
  WriteDefectImage();
  const ProgramOutput out = Run(ColourRun({"-LogFile", "run.csv", "-OutputFile", "status.txt"}));
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_NE(out.Console.find("\tdata log file= " + Beside("run.csv") + "\n"), std::string::npos);
  EXPECT_EQ(StatusWithoutTime(),
            "[Outputs]\nStatus=0\nReturnCode=0\nMessage=\"Operation successful.\"\n"
            "\nTestLimits=(null)\nTestSettings=(null)\nLogFile=(null)\n" +
                PathLine("BMPFileIn", "img.bmp"));
  EXPECT_FALSE(Exists("run.csv"));
  EXPECT_EQ(Read("Waferonrun.csv"), ",,,,,,,,,,\n0,1,1,1,0,1,101.17,101.17,101.17,0.00,0.00\n");
}

TEST_F(Waferonrun, WithoutArgumentsItPromptsAndReturnsOnEndOfInput) {
  const ProgramOutput out = RunWithoutSlave({});
  EXPECT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_NE(out.Console.find("\tBMP file input= (null)\n"), std::string::npos);
  EXPECT_TRUE(out.Console.ends_with("\nPress a key to close the Windows...")) << out.Console;
  EXPECT_EQ(Read("Waferonrun.csv"), ",,,,,,,,,,\n0,0,0,0,0,0,0.00,0.00,0.00,0.00,0.00\n");
  EXPECT_FALSE(Exists("status.txt"));
}

TEST_F(Waferonrun, DebugEchoesTheArgumentsBeforeTheSettings) {
  const ProgramOutput out = Run({"-debug"});
  EXPECT_EQ(out.Console.rfind(copy.ProgramPath() + "\n-debug\n-slave\n\nsettings:\n", 0), 0u)
      << out.Console;
}

TEST_F(Waferonrun, PathsWithADirectoryFollowTheWorkingDirectoryAndBareNamesStayBesideTheProgram) {
  TempFolder work;
  fs::create_directory(work.File("in"));
  TestImage image(16, 16, 24);
  image.FillBgr(100, 100, 100);
  image.WriteFile(work.File("in/img.bmp"));
  const ProgramOutput out =
      copy.Run(work.Path(), {"-BMPFileIn", "in/img.bmp", "-OutputFile", "status.txt", "-slave"});
  EXPECT_EQ(out.ExitCode, 0) << out.Console;
  const std::string status = Read("status.txt");  // beside the program, not in the working folder
  EXPECT_NE(status.find("BMPFileIn=\"" + fs::canonical(work.Path()).string() + "/in/img.bmp\"\n"),
            std::string::npos)
      << status;
  EXPECT_TRUE(Exists("Waferonrun.csv"));
  EXPECT_FALSE(FileExists(work.File("Waferonrun.csv")));
}

}  // namespace
}  // namespace sensor::test
