// Glazetrun run the way a test station runs it: a copy of the program and its
// library in a fresh folder, started from another working directory, on
// bitmaps written for the test.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "program_run_test.h"
#include "test_image.h"

namespace sensor::test {
namespace {

constexpr const char* kLimits =
    "[CLUSTER]\n"
    "Header=cluster(center),cluster(side),cluster(total)\n"
    "Unit=count,count,count\n"
    "HighLimit=0,0,0\n"
    "LowLimit=0,0,0\n"
    "\n"
    "[BRIGHTNESS]\n"
    "Header=level(r),level(g),level(b),level(g1),level(g2)\n"
    "Unit=LSB,LSB,LSB,LSB,LSB\n"
    "HighLimit=255,255,255,0,0\n"
    "LowLimit=0,0,0,0,0\n";

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return std::uint32_t{static_cast<unsigned char>(bytes[at])} |
         std::uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 8 |
         std::uint32_t{static_cast<unsigned char>(bytes[at + 2])} << 16 |
         std::uint32_t{static_cast<unsigned char>(bytes[at + 3])} << 24;
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// A 3 x 3 blob whose red is 0 on a picture of red 100, green and blue 50.
constexpr int kBlobLeft = 20, kBlobTop = 10;

bool InBlob(int x, int y) {
  return x >= kBlobLeft && x < kBlobLeft + 3 && y >= kBlobTop && y < kBlobTop + 3;
}

TestImage BlobPicture(std::uint16_t bitCount = 24, bool topDown = false) {
  TestImage image(41, 30, bitCount, topDown);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      image.SetBgr(x, y, 50, 50, InBlob(x, y) ? 0 : 100);
      if (bitCount == 32) image.At(x, y)[3] = static_cast<unsigned char>(x + y);
    }
  }
  return image;
}

class GlazetrunRun : public ProgramRunTest {
 protected:
  GlazetrunRun() : ProgramRunTest("Glazetrun", "libGlazet.so") {}

  // Colour mode, red tested globally over the whole picture, each pixel alone
  // against the red level.
  std::vector<std::string> BlobSearch() const {
    return {"-BMPFileIn", "img.bmp", "-HammerSize", "3,1", "-DefectThreshold(%)", "10",
            "-ClusterSize", "8", "-Color", "R", "-ROI(%)", "0,0,1,1", "-slave"};
  }
};

TEST_F(GlazetrunRun, WithoutArgumentsTheBitmapFailsAndTheDefaultLogIsEmpty) {
  const ProgramOutput out = Run({});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\tBMP file input= (null)\n"));
  EXPECT_TRUE(Contains(out.Console, "\n\n> > > Direct Code Path < < <\n\n"));
  const std::string prompt = "\nPress a key to close the Windows...";
  EXPECT_EQ(out.Console.substr(out.Console.size() - prompt.size()), prompt);
  EXPECT_EQ(Read("Glazetrun.csv"), ",,,,,\n0,0.00,0.00,0.00,0.00,0.00\n");
  EXPECT_FALSE(Exists("pkgdfects.bmp"));
}

TEST_F(GlazetrunRun, AMissingLimitsFileStopsAtStartUpWithoutADataLog) {
  BlobPicture().WriteFile(Beside("img.bmp"));
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestLimits", "absent.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\nUSAGE: Glazetrun (argument list below)\n"));
  EXPECT_FALSE(Contains(out.Console, "Direct Code Path"));
  EXPECT_FALSE(Contains(out.Console, "Press a key"));
  EXPECT_EQ(Read("status.txt"),
            "[Outputs]\nStatus=1\nReturnCode=" + std::string(kInvalidArgument) +
                "\nMessage=\"missing or invalid argument. ERROR\"\n"
                "Headers=,,,,,,,\n"
                "UpLimit=0,0,0,0.00,0.00,0.00,0.00,0.00\n"
                "LowLimit=0,0,0,0.00,0.00,0.00,0.00,0.00\n"
                "Values=0,0,0,0.00,0.00,0.00,0.00,0.00\n"
                "TestLimits=\"" + Beside("absent.txt") + "\"\n"
                "TestSettings=(null)\nLogFile=(null)\nBMPFileIn=\"" + Beside("img.bmp") + "\"\n"
                "\ncalc time=0.00 sec\n");
  EXPECT_FALSE(Exists("log.csv"));
  EXPECT_FALSE(Exists("Glazetrun.csv"));
  EXPECT_FALSE(Exists("pkgdfects.bmp"));
}

TEST_F(GlazetrunRun, GreenInBayerModeFailsStartUpYetTheLimitsFileIsRead) {
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BayerMode", "-Color", "G", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  // The question ends the echo; the version line follows the limits file.
  EXPECT_TRUE(Contains(out.Console, "\tmode= bayer\n\tcolor G for bayer mode?" + Beside("libGlazet.so") +
                                        ": 1.0.0.0\n\nUSAGE: Glazetrun"));
  const std::string status = Read("status.txt");
  EXPECT_TRUE(Contains(status, "ReturnCode=" + std::string(kInvalidArgument) +
                                   "\nMessage=\"BMP file undefined ERROR\"\n"));
  EXPECT_TRUE(Contains(status, "\nHeaders=cluster(center),cluster(side),cluster(total),level(r),"));
  EXPECT_TRUE(Contains(status, "\nUpLimit=0,0,0,255.00,255.00,255.00,0.00,0.00\n"));
  EXPECT_FALSE(Exists("Glazetrun.csv"));
}

TEST_F(GlazetrunRun, G2IsRefusedInColourModeAndTakenInBayerMode) {
  BlobPicture().WriteFile(Beside("img.bmp"));
  const std::vector<std::string> common = {"-BMPFileIn", "img.bmp", "-Color", "G2", "-OutputFile",
                                           "status.txt", "-slave"};
  ProgramOutput out = Run(common);
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\tmode= color\n\tcolor !R,G,B for color mode?"));
  EXPECT_TRUE(Contains(Read("status.txt"), "\nMessage=\"missing or invalid argument. ERROR\"\n"));

  std::vector<std::string> bayer = common;
  bayer.insert(bayer.end(), {"-BayerMode", "-BitsUsage", "8,8", "-HammerSize", "1,3"});
  out = Run(bayer);
  EXPECT_FALSE(Contains(out.Console, "?"));
  EXPECT_TRUE(Contains(out.Console, "Direct Code Path"));
  EXPECT_EQ(out.ExitCode, 0);
}

TEST_F(GlazetrunRun, ABitmapThatCannotBeLoadedDropsTheNamedLog) {
  Write("limits.txt", kLimits);
  const ProgramOutput out = Run({"-BMPFileIn", "missing.bmp", "-TestLimits", "limits.txt",
                                 "-OutputFile", "status.txt", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  const std::string status = Read("status.txt");
  EXPECT_TRUE(Contains(status, "ReturnCode=" + std::string(kFail) +
                                   "\nMessage=\"NI calls fail. ERROR\"\n"));
  EXPECT_TRUE(Contains(status, "\nLogFile=(null)\n"));
  EXPECT_FALSE(Exists("log.csv"));
  EXPECT_EQ(Read("Glazetrun.csv"),
            "cluster(total),level(r),level(g),level(b),level(g1),level(g2)\n"
            "0,0.00,0.00,0.00,0.00,0.00\n");
}

TEST_F(GlazetrunRun, WithOnlyABitmapTheLibraryRefusesTheZeroHammerSizes) {
  BlobPicture().WriteFile(Beside("img.bmp"));
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt", "-slave"});
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\thammer size= 0,0\n"));
  EXPECT_TRUE(Contains(out.Console, "\tdefect threshold= 0.00\tcolor= R\n\tmode= color\n"));
  EXPECT_TRUE(Contains(Read("status.txt"), "ReturnCode=" + std::string(kInvalidArgument) +
                                               "\nMessage=\"Invalid argument. ERROR\"\n"));
  // The levels are not read after a refusal.
  EXPECT_EQ(Read("Glazetrun.csv"), ",,,,,\n0,0.00,0.00,0.00,0.00,0.00\n");
}

TEST_F(GlazetrunRun, ABitmapOfEightBitsIsRefusedByTheBinding) {
  TestImage image(16, 16, 8);
  image.WriteFile(Beside("img.bmp"));
  std::vector<std::string> arguments = BlobSearch();
  arguments.insert(arguments.end(), {"-OutputFile", "status.txt"});
  const ProgramOutput out = Run(arguments);
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(Read("status.txt"), "\nMessage=\"Invalid argument. ERROR\"\n"));
  EXPECT_FALSE(Exists("pkgdfects.bmp"));
}

TEST_F(GlazetrunRun, ACleanPictureWithinItsLimitsPasses) {
  TestImage image(41, 30);
  image.FillBgr(60, 80, 100);
  image.WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  std::vector<std::string> arguments = BlobSearch();
  arguments.insert(arguments.end(), {"-TestLimits", "limits.txt", "-OutputFile", "status.txt",
                                     "-LogFile", "log.csv"});
  const ProgramOutput out = Run(arguments);
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_TRUE(Contains(out.Console, "\n" + Beside("libGlazet.so") + ": 1.0.0.0\n"));
  EXPECT_FALSE(Contains(out.Console, "Press a key"));
  EXPECT_EQ(Read("log.csv"), "0,0,0,100.00,80.00,60.00,0.00,0.00");
  EXPECT_FALSE(Exists("Glazetrun.csv"));

  const std::string status = Read("status.txt");
  const std::string head =
      "[Outputs]\nStatus=0\nReturnCode=0\nMessage=\"Operation successful.\"\n"
      "Headers=cluster(center),cluster(side),cluster(total),level(r),level(g),level(b),level(g1),"
      "level(g2)\n"
      "UpLimit=0,0,0,255.00,255.00,255.00,0.00,0.00\n"
      "LowLimit=0,0,0,0.00,0.00,0.00,0.00,0.00\n"
      "Values=0,0,0,100.00,80.00,60.00,0.00,0.00\n"
      "TestLimits=\"" + Beside("limits.txt") + "\"\n"
      "TestSettings=(null)\nLogFile=\"" + Beside("log.csv") + "\"\n"
      "BMPFileIn=\"" + Beside("img.bmp") + "\"\n";
  EXPECT_EQ(status.substr(0, head.size()), head);
  EXPECT_TRUE(std::regex_match(status.substr(head.size()),
                               std::regex("\ncalc time=[0-9]+\\.[0-9]{2} sec\n")))
      << status;
}

TEST_F(GlazetrunRun, ADarkBlobIsOnePackageDefectAndOnlyTheTotalCanFail) {
  BlobPicture().WriteFile(Beside("img.bmp"));
  Write("limits.txt", kLimits);
  std::vector<std::string> arguments = BlobSearch();
  arguments.insert(arguments.end(), {"-TestLimits", "limits.txt", "-OutputFile", "status.txt",
                                     "-LogFile", "log.csv"});
  const ProgramOutput out = Run(arguments);
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_TRUE(Contains(out.Console, "\nSensor Package defects : 9"));
  const std::string status = Read("status.txt");
  // Red level: (41 x 30 - 9) x 100 / (41 x 30).
  EXPECT_TRUE(Contains(status, "ReturnCode=" + std::string(kFail) +
                                   "\nMessage=\"cluster(total)=1 ERROR\"\n"));
  EXPECT_TRUE(Contains(status, "\nValues=0,0,1,99.27,50.00,50.00,0.00,0.00\n"));
  EXPECT_EQ(Read("log.csv"), "0,0,1,99.27,50.00,50.00,0.00,0.00");

  // A cluster of nine counts only above a size of eight.
  arguments = BlobSearch();
  arguments[7] = "9";
  arguments.insert(arguments.end(), {"-TestLimits", "limits.txt", "-LogFile", "log.csv"});
  EXPECT_EQ(Run(arguments).ExitCode, 0);
  EXPECT_EQ(Read("log.csv"), "0,0,0,99.27,50.00,50.00,0.00,0.00");
}

TEST_F(GlazetrunRun, LogFileWithoutLimitsIsEchoedThenDroppedForTheDefaultLog) {
  BlobPicture().WriteFile(Beside("img.bmp"));
  std::vector<std::string> arguments = BlobSearch();
  arguments.insert(arguments.end(), {"-OutputFile", "status.txt", "-LogFile", "log.csv"});
  const ProgramOutput out = Run(arguments);
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_TRUE(Contains(out.Console, "\tdata log file= " + Beside("log.csv") + "\n"));
  const std::string status = Read("status.txt");
  EXPECT_TRUE(Contains(status, "Message=\"Operation successful.\"\n\nTestLimits=(null)\n"
                               "TestSettings=(null)\nLogFile=(null)\n"));
  EXPECT_FALSE(Exists("log.csv"));
  EXPECT_EQ(Read("Glazetrun.csv"), ",,,,,\n1,99.27,50.00,50.00,0.00,0.00\n");
}

struct MapCase {
  std::uint16_t BitCount;
  bool TopDown;
};

class GlazetrunDefectMap : public GlazetrunRun, public ::testing::WithParamInterface<MapCase> {};

TEST_P(GlazetrunDefectMap, IsWrittenBesideTheProgramBlackExactlyOnTheCandidates) {
  const MapCase c = GetParam();
  const TestImage picture = BlobPicture(c.BitCount, c.TopDown);
  picture.WriteFile(Beside("img.bmp"));
  ASSERT_EQ(Run(BlobSearch()).ExitCode, 0);

  // The picture painted: black on the blob, white elsewhere; a fourth byte and
  // the row padding keep what the picture held.
  TestImage expected = BlobPicture(c.BitCount, c.TopDown);
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      const std::uint8_t v = InBlob(x, y) ? 0 : 255;
      expected.SetBgr(x, y, v, v, v);
    }
  }

  const std::string map = Read("pkgdfects.bmp");
  const std::size_t pixelBytes = expected.PixelBuffer().size();
  ASSERT_EQ(map.size(), 54 + pixelBytes);
  EXPECT_EQ(map.substr(0, 2), "BM");
  EXPECT_EQ(U32(map, 2), 54 + pixelBytes);
  EXPECT_EQ(U32(map, 10), 54u);
  EXPECT_EQ(U32(map, 14), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(U32(map, 18)), 41);
  EXPECT_EQ(static_cast<std::int32_t>(U32(map, 22)), c.TopDown ? -30 : 30);
  EXPECT_EQ(U16(map, 26), 1);
  EXPECT_EQ(U16(map, 28), c.BitCount);
  for (std::size_t at = 30; at < 54; at += 4) EXPECT_EQ(U32(map, at), 0u) << "header byte " << at;
  EXPECT_TRUE(std::equal(expected.PixelBuffer().begin(), expected.PixelBuffer().end(),
                         reinterpret_cast<const unsigned char*>(map.data()) + 54));
  // The bitmap file given to the program is left as it was.
  const std::vector<unsigned char> given = picture.FileBytes();
  EXPECT_EQ(Read("img.bmp"), std::string(given.begin(), given.end()));
}

INSTANTIATE_TEST_SUITE_P(BothDepthsAndRowOrders, GlazetrunDefectMap,
                         ::testing::Values(MapCase{24, false}, MapCase{32, true}));

// The map of one run analysed by the next, which rewrites that same file: the
// run reads the picture as it was, and leaves the map of its candidates.
TEST_F(GlazetrunRun, ThePreviousDefectMapAsThePictureIsRewrittenWithItsOwnMap) {
  BlobPicture(32, true).WriteFile(Beside("img.bmp"));
  ASSERT_EQ(Run(BlobSearch()).ExitCode, 0);
  const std::string first = Read("pkgdfects.bmp");
  std::vector<std::string> again = BlobSearch();
  again[1] = "pkgdfects.bmp";
  const ProgramOutput out = Run(again);
  EXPECT_EQ(out.ExitCode, 0) << out.Console;
  EXPECT_EQ(Read("pkgdfects.bmp"), first) << "the blob, black on every channel, is the one candidate region";
}

TEST_F(GlazetrunRun, ASettingsFileWrittenWithCrLfRunsABayerSearch) {
  // G1 sites 200 with one dark site, R 100, B 50, G2 150 (8-bit samples).
  TestImage image(20, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 20; ++x) {
      const std::uint16_t sample = (y % 2 == 0) ? (x % 2 == 0 ? 200 : 100) : (x % 2 == 0 ? 50 : 150);
      image.SetSample(x, y, sample, 8);
    }
  }
  image.SetSample(10, 8, 20, 8);
  image.WriteFile(Beside("img.bmp"));
  Write("settings.ini",
        "[Glazetrun settings]\r\nBayerMode=1\r\nBitsUsage=8,8\r\nColor=G1\r\nHammerSize=1,3\r\n"
        "DefectThreshold(%)=10\r\nClusterSize=0\r\nROI(%)=0,0,1,1\r\n");
  const ProgramOutput out = Run({"-BMPFileIn", "img.bmp", "-TestSettings", "settings.ini",
                                 "-ColorMode", "-Color", "B", "-LogFile", "log.csv", "-slave"});
  EXPECT_EQ(out.ExitCode, 0);
  EXPECT_TRUE(Contains(out.Console, "\tcolor= G1\n\tmode= bayer\n"));
  // G1 level: (79 x 200 + 20) / 80; the dark site is one package defect.
  EXPECT_EQ(Read("Glazetrun.csv"), ",,,,,\n1,100.00,0.00,50.00,197.75,150.00\n");
  const std::string map = Read("pkgdfects.bmp");
  const TestImage& layout = image;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 20; ++x) {
      const unsigned char blue = static_cast<unsigned char>(map[54 + layout.Offset(x, y)]);
      EXPECT_EQ(blue, (x == 10 && y == 8) ? 0 : 255) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace sensor::test
