// The exported class of libGlazet.so: lifecycle, result codes, records, level
// statistics, console output and the painted buffer.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <tuple>

#include "glazet_host.h"

namespace sensor::glazet::test {
namespace {

using sensor::test::TestImage;

// A picture of grey level 100 with dark square blobs of the given sizes.
TestImage BlobPicture(std::int32_t w, std::int32_t h, std::initializer_list<int> sizes,
                      std::uint16_t bits = 24) {
  TestImage image(w, h, bits);
  image.FillBgr(100, 100, 100);
  int x0 = 2;
  for (int size : sizes) {
    for (int y = 2; y < 2 + size; ++y)
      for (int x = x0; x < x0 + size; ++x) image.SetBgr(x, y, 10, 10, 10);
    x0 += size + 3;
  }
  return image;
}

// Every field of a parameter record, for a comparison that the padding
// between them cannot sway.
auto Fields(const _PARAMS_Glazet& p) {
  return std::make_tuple(p.BayerMode, p.SensorBpp, p.TestBpp, p.ColorPlane, p.OutlierLeft, p.OutlierTop, p.OutlierRight,
                         p.OutlierBottom, p.RoiLeft, p.RoiTop, p.RoiRight, p.RoiBottom, p.LocalSearch, p.HammerSmall,
                         p.HammerLarge, p.DefectThreshold, p.ClusterSize);
}

// Restores the pixels of a bound picture in place (a run paints them over; a
// new buffer would leave the binding pointing at freed memory).
void Repaint(TestImage& bound, const TestImage& source) {
  std::copy(source.PixelBuffer().begin(), source.PixelBuffer().end(), bound.PixelBuffer().begin());
}

// Run in a fresh process: no statistics yet, and no picture bound. Like its
// siblings, the library then analyses a 0 x 0 picture: nothing is found, and
// Bayer mode takes the bit depths as ever.
bool FreshLibraryBehaves() {
  Glazet g{};
  double v[5] = {-1, -1, -1, -1, -1};
  bool ok = g.get_Ostrel(&v[0], &v[1], &v[2], &v[3], &v[4]) == E_ABORT && v[0] == -1;
  ok = ok && g.Open(0) == S_OK && g.get_Ostrel(&v[0], &v[1], &v[2], &v[3], &v[4]) == S_OK;
  for (double x : v) ok = ok && x == 0.0;
  _RESULT_Glazet r{-7};
  ok = ok && g.Execute(r, ColourParams()) == S_OK && r.numpackagefects == 0;
  r.numpackagefects = -7;
  g.ActiveSensorBpp = g.ActiveTestBpp = -1;
  ok = ok && g.Execute(r, BayerParams()) == S_OK && r.numpackagefects == 0;
  ok = ok && g.ActiveSensorBpp == 12 && g.ActiveTestBpp == 12;
  ok = ok && g.get_Ostrel(&v[0], &v[1], &v[2], &v[3], &v[4]) == S_OK;
  for (double x : v) ok = ok && x == 0.0;
  return ok;
}

TEST(GlazetFreshLibrary, StartsWithoutStatisticsOrBinding) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(FreshLibraryBehaves() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST(GlazetLifecycle, EveryOperationButOpenCloseAndCleanRefusesWhileClosed) {
  Glazet g{};
  g.Close();
  TestImage image(4, 4);
  EXPECT_EQ(g.BindImage(image.Header(), image.Pixels()), E_ABORT);
  _RESULT_Glazet r{-7};
  EXPECT_EQ(g.Execute(r, ColourParams()), E_ABORT);
  EXPECT_EQ(r.numpackagefects, -7);
  _PARAMS_Glazet p = ColourParams();
  EXPECT_EQ(g.get_ParameterSet(p), E_ABORT);
  EXPECT_EQ(p.HammerLarge, 3);
  std::int32_t x = 5, y = 6, size = 7;
  EXPECT_EQ(g.get_Cluster(0, &x, &y, &size), E_ABORT);
  double v[5] = {-1, -1, -1, -1, -1};
  EXPECT_EQ(g.get_Ostrel(&v[0], &v[1], &v[2], &v[3], &v[4]), E_ABORT);
  EXPECT_EQ(v[0], -1);
  EXPECT_EQ(g.Close(), S_OK);
  EXPECT_EQ(g.Close(), S_OK);
  EXPECT_EQ(g.Clean(), S_OK);
}

TEST(GlazetLifecycle, OpenZeroesTheRecordsAndGetClusterWritesNothing) {
  Glazet g{};
  g.m_params = ColourParams();
  g.m_result.numpackagefects = 12;
  ASSERT_EQ(g.Open(0), S_OK);
  EXPECT_EQ(g.Open(1), S_OK) << "also when already open";
  _PARAMS_Glazet p = ColourParams();
  EXPECT_EQ(g.get_ParameterSet(p), S_OK);
  EXPECT_EQ(Fields(p), Fields(_PARAMS_Glazet{}));
  EXPECT_EQ(g.m_result.numpackagefects, 0);
  std::int32_t x = 5, y = 6, size = 7;
  for (short index : {0, -1, 999}) EXPECT_EQ(g.get_Cluster(index, &x, &y, &size), S_OK);
  EXPECT_EQ(x + y + size, 18);
  EXPECT_EQ(g.get_Ostrel(nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
  g.Close();
}

TEST_F(GlazetHost, ABitmapOfAnotherBitCountKeepsThePreviousBinding) {
  TestImage kept = BlobPicture(20, 10, {3});
  ASSERT_EQ(Bind(kept), S_OK);
  TestImage eight(20, 10, 8);
  EXPECT_EQ(Bind(eight), E_INVALIDARG);
  ASSERT_EQ(Run(ColourParams()), S_OK);
  EXPECT_EQ(result.numpackagefects, 1);
  EXPECT_EQ(kept.At(3, 3)[0], 0) << "the kept picture was painted";
}

TEST_F(GlazetHost, ColourModeTurnsThePlaneIntoAByteOffset) {
  TestImage image = BlobPicture(20, 10, {});
  ASSERT_EQ(Bind(image), S_OK);
  const std::int32_t offsets[] = {2, 1, 0};
  for (std::int32_t plane = 0; plane < 3; ++plane) {
    _PARAMS_Glazet params = ColourParams();
    params.ColorPlane = plane;
    ASSERT_EQ(Run(params), S_OK);
    _PARAMS_Glazet back{};
    ASSERT_EQ(glazet.get_ParameterSet(back), S_OK);
    EXPECT_EQ(back.ColorPlane, offsets[plane]);
  }
  _PARAMS_Glazet bayer = BayerParams();
  bayer.ColorPlane = 2;
  ASSERT_EQ(Run(bayer), S_OK);
  _PARAMS_Glazet back{};
  glazet.get_ParameterSet(back);
  EXPECT_EQ(Fields(back), Fields(bayer)) << "Bayer records come back as passed";
}

TEST_F(GlazetHost, TheColourPlaneSelectsTheTestedByte) {
  TestImage image(12, 12);
  image.FillBgr(100, 100, 100);
  image.SetBgr(5, 5, 100, 100, 10);  // only the red byte is dark
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.ColorPlane = 1;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 0);
  image.FillBgr(100, 100, 100);  // the run painted the picture over
  image.SetBgr(5, 5, 100, 100, 10);
  params.ColorPlane = 0;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 1);
}

// Every refused record: E_INVALIDARG, the caller's record, m_result, the
// statistics and the pixels as they were, and m_params holding the record.
TEST_F(GlazetHost, RefusedRecordsChangeNothingButTheRecordInForce) {
  TestImage image = BlobPicture(30, 20, {4});
  ASSERT_EQ(Bind(image), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);  // statistics and a result to keep
  Repaint(image, BlobPicture(30, 20, {4}));
  const Levels before = Statistics();
  const std::vector<unsigned char> pixels = image.PixelBuffer();

  std::vector<_PARAMS_Glazet> refused;
  auto add = [&](_PARAMS_Glazet p, auto change) { change(p); refused.push_back(p); };
  add(ColourParams(), [](auto& p) { p.HammerSmall = 5; p.HammerLarge = 5; });
  add(ColourParams(), [](auto& p) { p.HammerSmall = -1; });
  add(ColourParams(), [](auto& p) { p.ColorPlane = 3; });
  add(ColourParams(), [](auto& p) { p.ColorPlane = -1; });
  add(ColourParams(), [](auto& p) { p.OutlierLeft = -1; });
  add(BayerParams(), [](auto& p) { p.OutlierBottom = -2; });
  add(BayerParams(), [](auto& p) { p.SensorBpp = 10; p.TestBpp = 12; });
  add(BayerParams(), [](auto& p) { p.SensorBpp = 14; p.TestBpp = 8; });
  add(BayerParams(), [](auto& p) { p.ColorPlane = 5; });
  add(BayerParams(), [](auto& p) { p.HammerLarge = -3; });
  add(BayerParams(), [](auto& p) { p.SensorBpp = 12; p.TestBpp = 9; });
  for (const _PARAMS_Glazet& params : refused) {
    result.numpackagefects = -7;
    glazet.m_result.numpackagefects = 41;
    EXPECT_EQ(Run(params), E_INVALIDARG);
    EXPECT_EQ(result.numpackagefects, -7);
    EXPECT_EQ(glazet.m_result.numpackagefects, 41);
    EXPECT_EQ(glazet.m_params.HammerLarge, params.HammerLarge);
    EXPECT_EQ(glazet.m_params.OutlierBottom, params.OutlierBottom);
    EXPECT_TRUE(Statistics() == before);
    EXPECT_EQ(image.PixelBuffer(), pixels) << "nothing painted";
    EXPECT_EQ(output, "") << "nothing printed";
  }
  EXPECT_EQ(glazet.ActiveSensorBpp, 12) << "the last refused bit depths stay in the object";
  EXPECT_EQ(glazet.ActiveTestBpp, 9);
}

TEST_F(GlazetHost, BayerModeTakesTheWindowSizesInEitherOrderAndDeeperSensors) {
  TestImage image(16, 16, 32);
  image.FillSample(2000, 12);
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = BayerParams();
  params.HammerSmall = 5;
  params.HammerLarge = 5;
  params.LocalSearch = true;
  EXPECT_EQ(Run(params), S_OK);
  params.HammerSmall = 7;
  params.HammerLarge = 3;
  params.SensorBpp = 12;
  params.TestBpp = 10;
  EXPECT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 0);
}

TEST_F(GlazetHost, ColourStatisticsAreTheMeanBytesOfTheScanArea) {
  TestImage image(10, 8);
  image.FillBgr(30, 60, 90);
  for (int y = 0; y < 8; ++y) image.SetBgr(0, y, 255, 255, 255);  // left out by the margin
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.OutlierLeft = 1;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_TRUE((Statistics() == Levels{90, 60, 30, 0, 0}));
}

TEST_F(GlazetHost, BayerStatisticsAreThePositionMeansForBothSearches) {
  TestImage image(8, 6, 32);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) image.SetSample(x, y, static_cast<std::uint16_t>(16 * (1 + (y % 2) * 2 + x % 2)), 12);
  const TestImage painted = image;
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = BayerParams();
  ASSERT_EQ(Run(params), S_OK);
  const Levels global = Statistics();
  EXPECT_TRUE((global == Levels{32, 0, 48, 16, 64}));
  Repaint(image, painted);
  params.LocalSearch = true;
  params.HammerLarge = 5;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_TRUE(Statistics() == global);
}

TEST_F(GlazetHost, AnEmptyRegionOfInterestStillTakesTheStatisticsOfTheScanArea) {
  TestImage image(10, 8);
  image.FillBgr(30, 60, 90);
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.RoiLeft = 0.8;
  params.RoiRight = 0.2;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 0);
  EXPECT_TRUE((Statistics() == Levels{90, 60, 30, 0, 0}));
}

TEST_F(GlazetHost, AnEmptyScanAreaFindsNothingAndHasNoStatistics) {
  TestImage image = BlobPicture(10, 8, {2});
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.OutlierLeft = 6;
  params.OutlierRight = 5;
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 0);
  EXPECT_TRUE((Statistics() == Levels{0, 0, 0, 0, 0}));
}

TEST_F(GlazetHost, CountsClustersLargerThanTheSizeLimit) {
  TestImage image = BlobPicture(40, 12, {1, 2, 3});  // clusters of 1, 4 and 9 pixels
  ASSERT_EQ(Bind(image), S_OK);
  const int expected[][2] = {{0, 3}, {1, 2}, {4, 1}, {9, 0}};
  for (const auto& e : expected) {
    Repaint(image, BlobPicture(40, 12, {1, 2, 3}));
    _PARAMS_Glazet params = ColourParams();
    params.ClusterSize = e[0];
    ASSERT_EQ(Run(params), S_OK);
    EXPECT_EQ(result.numpackagefects, e[1]) << "above " << e[0];
    EXPECT_EQ(glazet.m_result.numpackagefects, e[1]);
    // The counted blemishes, described on the first request after the run and
    // handed out alike on the next.
    for (int ask = 0; ask < 2; ++ask) {
      GlazetFindings found{};
      ASSERT_EQ(glazet.get_Findings(found), S_OK);
      ASSERT_EQ(found.BlemishCount, e[1]) << "above " << e[0] << ", request " << ask;
      std::int64_t pixels = 0;
      for (int i = 0; i < found.BlemishCount; ++i) {
        EXPECT_GT(found.Blemishes[i].Pixels, e[0]);
        pixels += found.Blemishes[i].Pixels;
      }
      std::int64_t counted = 0;
      for (const std::int64_t blob : {1, 4, 9}) counted += blob > e[0] ? blob : 0;
      EXPECT_EQ(pixels, counted);
    }
  }
}

TEST_F(GlazetHost, PrintsTheCandidatesTheTicksAndTheResult) {
  TestImage image = BlobPicture(40, 12, {2, 3});
  ASSERT_EQ(Bind(image), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);
  EXPECT_EQ(output.rfind("\nSensor Package defects : 13\nScorePkgDfectsG_Color...", 0), 0u) << output;
  EXPECT_NE(output.find(" ticks\nreturn result= 2"), std::string::npos) << output;
  EXPECT_EQ(output.substr(output.size() - 17), "\nreturn result= 2");

  const struct { bool bayer, local; const char* line; } modes[] = {
      {false, true, "\nScorePkgDfectsL_Color..."},
      {true, false, "\nScorePkgDfectsG_Bayer..."},
      {true, true, "\nScorePkgDfectsL_Bayer..."}};
  for (const auto& mode : modes) {
    Repaint(image, BlobPicture(40, 12, {2, 3}));
    _PARAMS_Glazet params = mode.bayer ? BayerParams() : ColourParams();
    params.LocalSearch = mode.local;
    ASSERT_EQ(Run(params), S_OK);
    EXPECT_NE(output.find(mode.line), std::string::npos) << output;
  }
}

TEST_F(GlazetHost, PaintsTheHostsBufferWithTheDefectMap) {
  TestImage image = BlobPicture(20, 10, {2}, 32);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) image.At(x, y)[3] = static_cast<unsigned char>(x + y);
  ASSERT_EQ(Bind(image), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.OutlierLeft = params.OutlierTop = 1;
  params.RoiBottom = 0.5;
  ASSERT_EQ(Run(params), S_OK);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool blob = x >= 2 && x < 4 && y >= 2 && y < 4;
      const unsigned char shade = blob ? 0 : 255;
      EXPECT_EQ(image.At(x, y)[0], shade);
      EXPECT_EQ(image.At(x, y)[2], shade);
      EXPECT_EQ(image.At(x, y)[3], x + y) << "fourth byte kept";
    }
}

// A checkerboard of 0 and 200: with window 1 every pixel leaves the band
// around the mean 100.
TestImage Checkerboard(std::int32_t w, std::int32_t h) {
  TestImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t v = (x + y) % 2 ? 200 : 0;
      image.SetBgr(x, y, v, v, v);
    }
  return image;
}

TEST_F(GlazetHost, StopsForMoreCandidatesThanTheLimitButNotAtTheLimit) {
  TestImage many = Checkerboard(256, 256);  // 65536 candidates
  ASSERT_EQ(Bind(many), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);
  EXPECT_EQ(result.numpackagefects, 65535);
  EXPECT_NE(output.find("\nSensor Package defects : 65536"), std::string::npos);
  EXPECT_NE(output.find("\nAbort: Sensor has too many defect candidates!!!"
                        "\nm_result.numpackagefects= 65535\nreturn result= 65535"),
            std::string::npos) << output;
  EXPECT_EQ(output.find("Sensor Package Defect Test"), std::string::npos) << "no caption outside debug mode";
  EXPECT_EQ(many.At(0, 0)[1], 0) << "the map is painted all the same";

  TestImage limit = Checkerboard(256, 256);
  limit.SetBgr(0, 0, 100, 100, 100);  // inside the band: 65535 candidates
  ASSERT_EQ(Bind(limit), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);
  EXPECT_EQ(output.find("Abort"), std::string::npos);
  EXPECT_EQ(result.numpackagefects, 1) << "every other pixel joins one region";
}

TEST_F(GlazetHost, InDebugModeTheStopIsAnnouncedWithItsCaptionAndWaitsForAKey) {
  ASSERT_EQ(glazet.Open(1), S_OK);
  TestImage many = Checkerboard(256, 256);
  ASSERT_EQ(Bind(many), S_OK);
  // Input at its end: the wait returns at once.
  const int savedInput = dup(STDIN_FILENO);
  const int empty = open("/dev/null", O_RDONLY);
  ASSERT_GE(empty, 0);
  dup2(empty, STDIN_FILENO);
  const std::int32_t code = Run(ColourParams());
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  close(empty);
  EXPECT_EQ(code, S_OK);
  EXPECT_NE(output.find("Sensor Package Defect Test\nAbort: Sensor has too many defect candidates!!!"),
            std::string::npos) << output;
  EXPECT_EQ(result.numpackagefects, 65535);
}

TEST_F(GlazetHost, ADefectMapThatCannotBeAllocatedIsReportedAsABadPointer) {
  // A header promising 500,000,000 x 2,000,000,000 pixels over a tiny buffer:
  // the map of 10^18 bytes cannot be had, and nothing else is touched.
  TestImage huge(1, 1, 32);
  huge.SetHeaderWidth(500000000);
  huge.SetHeaderHeight(2000000000);
  ASSERT_EQ(Bind(huge), S_OK);
  const Levels before = Statistics();
  _PARAMS_Glazet params = ColourParams();
  params.ClusterSize = 77;
  EXPECT_EQ(Run(params), E_POINTER);
  EXPECT_EQ(result.numpackagefects, -7);
  EXPECT_EQ(glazet.m_params.ClusterSize, 77);
  EXPECT_TRUE(Statistics() == before);
}

}  // namespace
}  // namespace sensor::glazet::test
