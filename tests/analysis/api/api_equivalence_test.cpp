// The in-memory analysers against freshly opened station objects on the same
// random pictures: every mode, search, depth and view layout, odd sizes and
// strides, thread counts 1 and 3, one analyser of each kind reused for every
// case (so that nothing of one call reaches the next). Everything both give
// must agree; the hot or dark side of the chip candidates is checked against
// the pixels too.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "api_pictures.h"
#include "sensordefect/GlazetAnalysis.h"
#include "sensordefect/OstrelAnalysis.h"
#include "sensordefect/WaferonAnalysis.h"

namespace sensor::api::test {
namespace {

using namespace SensorDefectDetectionClass;
using sensordefect::PixelLayout;

struct Case {
  bool Bayer;
  std::int32_t SensorBpp, TestBpp;
  PixelLayout Layout;
  bool BottomUp;
  std::int32_t Width, Height;
  bool Local;
};

// Every layout of both modes, each with its depths, odd sizes and both searches.
std::vector<Case> Cases() {
  std::vector<Case> cases;
  const struct {
    std::int32_t Width, Height;
  } sizes[] = {{37, 29}, {64, 41}};
  const PixelLayout colourLayouts[] = {PixelLayout::Bgr24, PixelLayout::Bgra32, PixelLayout::Rgb24,
                                       PixelLayout::Rgba32};
  const PixelLayout bayerLayouts[] = {PixelLayout::Bgr24, PixelLayout::Bgra32, PixelLayout::Bayer16,
                                      PixelLayout::Bayer8};
  const std::int32_t depths[][2] = {{8, 8}, {10, 10}, {12, 12}, {12, 10}, {10, 8}};
  int n = 0;
  for (bool local : {false, true}) {
    for (PixelLayout layout : colourLayouts) {
      const auto& size = sizes[n++ % 2];
      cases.push_back({false, 8, 8, layout, n % 3 == 0, size.Width, size.Height, local});
    }
    for (PixelLayout layout : bayerLayouts) {
      for (const auto& depth : depths) {
        const auto& size = sizes[n++ % 2];
        cases.push_back({true, depth[0], depth[1], layout, n % 3 == 0, size.Width, size.Height, local});
      }
    }
  }
  // Large enough for three threads to take a part each (kMinimumPartWork).
  cases.push_back({true, 12, 12, PixelLayout::Bayer16, false, 701, 601, true});
  cases.push_back({false, 8, 8, PixelLayout::Rgba32, false, 699, 603, true});
  cases.push_back({true, 10, 10, PixelLayout::Bgr24, true, 703, 600, false});
  return cases;
}

std::string Describe(const Case& c, int threads) {
  return std::string(c.Bayer ? "Bayer " : "colour ") + std::to_string(c.SensorBpp) + "/" +
         std::to_string(c.TestBpp) + " layout " + std::to_string(static_cast<int>(c.Layout)) +
         (c.BottomUp ? " bottom-up " : " ") + std::to_string(c.Width) + "x" + std::to_string(c.Height) +
         (c.Local ? " local" : " global") + ", threads " + std::to_string(threads);
}

TestPicture Make(const Case& c, std::mt19937& random) {
  PictureRecipe recipe;
  recipe.Width = c.Width;
  recipe.Height = c.Height;
  recipe.Bayer = c.Bayer;
  recipe.SensorBpp = c.SensorBpp;
  recipe.Layout = c.Layout;
  recipe.BottomUp = c.BottomUp;
  return TestPicture(recipe, random);
}

void ExpectArea(const FindingArea& s, const sensordefect::Area& a) {
  EXPECT_TRUE(s.Left == a.Left && s.Top == a.Top && s.Right == a.Right && s.Bottom == a.Bottom);
}

void ExpectLevels(const double (&station)[5], const sensordefect::LevelValues& api) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(station[i], api[static_cast<std::size_t>(i)]) << "level " << i;
}

sensordefect::WaferonParams WaferonParamsFor(const Case& c, int variant) {
  sensordefect::WaferonParams p;
  p.BayerMode = c.Bayer;
  p.SensorBpp = c.SensorBpp;
  p.TestBpp = c.TestBpp;
  p.LocalSearch = c.Local;
  p.HammerSize = 5 + 2 * (variant % 3);
  p.ThresholdPercent = variant % 2 == 1;
  const double range = c.Bayer ? double(1 << c.TestBpp) : 256.0;
  for (int k = 0; k < 5; ++k) {
    const double t = p.ThresholdPercent ? 12.0 + k : range * (0.08 + 0.01 * k);
    p.CenterClusterThreshold[k] = t;
    p.SideClusterThreshold[k] = t * 1.5;
    p.CenterPixelThreshold[k] = t * 1.2;
    p.SidePixelThreshold[k] = t * 1.7;
  }
  p.Enabled[4] = variant % 4 != 0;  // a colour switched off now and then
  p.TableSize = variant % 5 == 0 ? 0 : 16 + variant;
  p.OutlierLeft = variant % 3;
  p.OutlierBottom = 1 + variant % 2;
  return p;
}

void CompareWaferon(const sensordefect::WaferonParams& params, TestPicture& picture,
                    const sensordefect::WaferonResult& api) {
  Waferon station{};
  ASSERT_EQ(station.Open(0), S_OK);
  ASSERT_EQ(station.BindImage(picture.Bitmap().Header(), picture.Bitmap().Pixels()), S_OK);
  ASSERT_EQ(station.set_TableSize(params.TableSize), S_OK);
  _RESULT_Waferon counts{};
  ::testing::internal::CaptureStdout();
  const std::int32_t code = station.Execute(counts, ToStationRecord(params), params.Enabled[0], params.Enabled[1],
                                            params.Enabled[2], params.Enabled[3], params.Enabled[4]);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, api.Status.Code) << api.Status.Message;

  WaferonFindings f{};
  ASSERT_EQ(station.get_Findings(f), S_OK);
  EXPECT_EQ(f.Finished != 0, api.Finished);
  EXPECT_EQ(f.Stopped != 0, api.Stopped);
  EXPECT_EQ(f.Width, api.Width);
  EXPECT_EQ(f.Height, api.Height);
  ExpectArea(f.SearchRegion, api.SearchRegion);
  ExpectArea(f.CenterZone, api.CenterZone);
  EXPECT_TRUE(f.Counts.CenterClusters == api.Counts.CenterClusters && f.Counts.CenterPixels == api.Counts.CenterPixels &&
              f.Counts.SideClusters == api.Counts.SideClusters && f.Counts.SidePixels == api.Counts.SidePixels);

  const std::int8_t* hot = nullptr;
  std::int32_t sides = -1;
  ASSERT_EQ(station.get_CandidateSides(&hot, &sides), S_OK);
  ASSERT_EQ(f.CandidateCount, static_cast<std::int32_t>(api.Candidates.size()));
  ASSERT_EQ(sides, f.CandidateCount);
  for (std::int32_t i = 0; i < f.CandidateCount; ++i) {
    const auto& a = api.Candidates[static_cast<std::size_t>(i)];
    const DefectRecord& s = f.Candidates[i];
    ASSERT_TRUE(s.X == a.X && s.Y == a.Y && s.Score == a.Score && s.Colour == a.Colour) << "candidate " << i;
    ASSERT_EQ(hot[i] != 0, a.Hot) << "candidate " << i;
    if (!params.LocalSearch) {
      // The global reference is the level of the candidate's colour.
      const std::uint32_t value = picture.ValueAt(a.X, a.Y, a.Colour, params.TestBpp);
      ASSERT_EQ(a.Hot, double(value) > api.Levels[static_cast<std::size_t>(a.Colour)]) << "candidate " << i;
    }
  }
  // A planted outlier that became a candidate lies on its own side.
  for (const Outlier& o : picture.Outliers()) {
    for (const auto& a : api.Candidates) {
      if (a.X == o.X && a.Y == o.Y && a.Score > 0.3 * (params.ThresholdPercent ? 100 : 255)) {
        EXPECT_EQ(a.Hot, o.Bright) << "outlier at " << o.X << ", " << o.Y;
      }
    }
  }

  ASSERT_EQ(f.WorstPixelCount, static_cast<std::int32_t>(api.WorstPixels.size()));
  for (std::int32_t i = 0; i < f.WorstPixelCount; ++i) {
    const auto& a = api.WorstPixels[static_cast<std::size_t>(i)];
    EXPECT_TRUE(f.WorstPixels[i].X == a.X && f.WorstPixels[i].Y == a.Y && f.WorstPixels[i].Score == a.Score &&
                f.WorstPixels[i].Colour == a.Colour)
        << "worst pixel " << i;
  }
  std::size_t tableEntries = 0;
  for (short i = 0; i < params.TableSize; ++i) {
    std::int32_t x = -2, y = -2, reserved = -2;
    double score = -2;
    ASSERT_EQ(station.get_Cluster(i, &x, &y, &score, &reserved), S_OK);
    if (x < 0) break;
    ASSERT_LT(tableEntries, api.ClusterTable.size());
    const auto& a = api.ClusterTable[tableEntries++];
    EXPECT_TRUE(x == a.X && y == a.Y && score == a.Score) << "cluster table " << i;
  }
  EXPECT_EQ(tableEntries, api.ClusterTable.size());
  ASSERT_EQ(f.ClusterCount, static_cast<std::int32_t>(api.Clusters.size()));
  for (std::int32_t i = 0; i < f.ClusterCount; ++i) {
    const auto& a = api.Clusters[static_cast<std::size_t>(i)];
    const ClusterFinding& s = f.Clusters[i];
    EXPECT_TRUE(s.X == a.X && s.Y == a.Y && s.Score == a.Score && s.Colour == a.Colour && s.Members == a.Members)
        << "cluster " << i;
  }
  double levels[5];
  ASSERT_EQ(station.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]), S_OK);
  ExpectLevels(levels, api.Levels);
  station.Close();
}

sensordefect::GlazetParams GlazetParamsFor(const Case& c, int variant) {
  sensordefect::GlazetParams p;
  p.BayerMode = c.Bayer;
  p.SensorBpp = c.SensorBpp;
  p.TestBpp = c.TestBpp;
  p.LocalSearch = c.Local;
  const std::int32_t bayerPlanes[] = {COLOUR_R, COLOUR_B, COLOUR_G1, COLOUR_G2};
  p.ColorPlane = c.Bayer ? bayerPlanes[variant % 4] : variant % 3;
  p.HammerSmall = 1 + 2 * (variant % 2);
  p.HammerLarge = 9 + 4 * (variant % 3);
  p.DefectThreshold = 5.0 + variant % 4;
  p.ClusterSize = variant % 3;
  p.RoiLeft = 0.05 * (variant % 3);
  p.RoiBottom = 0.9 + 0.05 * (variant % 3);
  p.OutlierTop = variant % 3;
  return p;
}

void CompareGlazet(const sensordefect::GlazetParams& params, TestPicture& picture,
                   const sensordefect::GlazetResult& api) {
  Glazet station{};
  ASSERT_EQ(station.Open(0), S_OK);
  ASSERT_EQ(station.BindImage(picture.Bitmap().Header(), picture.Bitmap().Pixels()), S_OK);
  _RESULT_Glazet counted{-1};
  ::testing::internal::CaptureStdout();
  const std::int32_t code = station.Execute(counted, ToStationRecord(params));
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, api.Status.Code) << api.Status.Message;
  EXPECT_EQ(counted.numpackagefects, api.Counted ? api.BlemishCount : -1);

  GlazetFindings f{};
  ASSERT_EQ(station.get_Findings(f), S_OK);
  EXPECT_EQ(f.Searched != 0, api.Searched);
  EXPECT_EQ(f.Counted != 0, api.Counted);
  EXPECT_EQ(f.TooMany != 0, api.TooMany);
  EXPECT_EQ(f.Width, api.Width);
  EXPECT_EQ(f.Height, api.Height);
  ExpectArea(f.ScanArea, api.ScanArea);
  ExpectArea(f.RegionOfInterest, api.RegionOfInterest);
  EXPECT_EQ(f.Candidates, api.Candidates);
  ASSERT_EQ(f.BlemishCount, static_cast<std::int32_t>(api.Blemishes.size()));
  for (std::int32_t i = 0; i < f.BlemishCount; ++i) {
    const auto& a = api.Blemishes[static_cast<std::size_t>(i)];
    const BlemishFinding& s = f.Blemishes[i];
    ExpectArea(s.Bounds, a.Bounds);
    EXPECT_TRUE(s.Pixels == a.Pixels && s.CentroidX == a.CentroidX && s.CentroidY == a.CentroidY) << "blemish " << i;
  }
  // The plane is the painted picture: black (0) for 255, white for 0.
  ASSERT_EQ(api.DefectMap.size(), static_cast<std::size_t>(api.Width) * static_cast<std::size_t>(api.Height));
  std::int64_t marked = 0;
  for (std::int32_t y = 0; y < api.Height; ++y) {
    for (std::int32_t x = 0; x < api.Width; ++x) {
      const std::uint8_t byte = api.DefectMap[static_cast<std::size_t>(y) * api.Width + x];
      const unsigned char* painted = picture.Bitmap().At(x, y);
      ASSERT_TRUE((byte == 255 && painted[0] == 0 && painted[1] == 0 && painted[2] == 0) ||
                  (byte == 0 && painted[0] == 255 && painted[1] == 255 && painted[2] == 255))
          << "map at " << x << ", " << y;
      marked += byte != 0;
    }
  }
  EXPECT_EQ(marked, api.Candidates);
  double levels[5];
  ASSERT_EQ(station.get_Ostrel(&levels[0], &levels[1], &levels[2], &levels[3], &levels[4]), S_OK);
  ExpectLevels(levels, api.Levels);
  station.Close();
}

void CompareOstrel(const sensordefect::OstrelParams& params, TestPicture& picture,
                   const sensordefect::OstrelResult& api) {
  Ostrel station{};
  ASSERT_EQ(station.Open(0), S_OK);
  ASSERT_EQ(station.BindImage(picture.Bitmap().Header(), picture.Bitmap().Pixels()), S_OK);
  _RESULT_Ostrel unused{};
  EXPECT_EQ(station.Execute(unused, ToStationRecord(params)), api.Status.Code) << api.Status.Message;
  OstrelFindings f{};
  ASSERT_EQ(station.get_Findings(f), S_OK);
  EXPECT_EQ(f.Measured != 0, api.Measured);
  ExpectArea(f.Window, api.Window);
  std::int32_t width = 0, height = 0;
  ASSERT_EQ(station.get_SensorDim(&width, &height), S_OK);
  EXPECT_EQ(width, api.Width);
  EXPECT_EQ(height, api.Height);
  ExpectLevels(f.Levels, api.Levels);
  station.Close();
}

TEST(ApiEquivalence, AnalysersGiveWhatFreshStationObjectsGive) {
  std::mt19937 random(20261209);
  sensordefect::WaferonAnalyser waferon;
  sensordefect::GlazetAnalyser glazet;
  sensordefect::OstrelAnalyser ostrel;
  int variant = 0;
  // The pictures must give something to compare: totals over every case.
  std::int64_t hot = 0, dark = 0, clusters = 0, worst = 0, blemishes = 0, marked = 0;
  for (const Case& c : Cases()) {
    for (int threads : {1, 3}) {
      SCOPED_TRACE(Describe(c, threads) + ", variant " + std::to_string(variant));
      const sensordefect::RunOptions options{threads, nullptr};
      {
        TestPicture picture = Make(c, random);
        const auto params = WaferonParamsFor(c, variant);
        const auto result = waferon.Run(picture.View(), params, options);
        ASSERT_TRUE(result.Status.Ok()) << result.Status.Message;
        CompareWaferon(params, picture, result);
        for (const auto& candidate : result.Candidates) (candidate.Hot ? hot : dark) += 1;
        clusters += static_cast<std::int64_t>(result.Clusters.size());
        worst += static_cast<std::int64_t>(result.WorstPixels.size());
      }
      {
        TestPicture picture = Make(c, random);
        const auto params = GlazetParamsFor(c, variant);
        sensordefect::GlazetResult result;
        result.Blemishes.resize(3);  // a reused result starts afresh
        glazet.Run(picture.View(), params, options, result);
        ASSERT_TRUE(result.Status.Ok()) << result.Status.Message;
        CompareGlazet(params, picture, result);
        blemishes += static_cast<std::int64_t>(result.Blemishes.size());
        marked += result.Candidates;
      }
      {
        TestPicture picture = Make(c, random);
        sensordefect::OstrelParams params;
        params.BayerMode = c.Bayer;
        params.SensorBpp = c.SensorBpp;
        params.TestBpp = c.TestBpp;
        params.OutlierRight = variant % 4;
        const auto result = ostrel.Run(picture.View(), params, options);
        ASSERT_TRUE(result.Status.Ok()) << result.Status.Message;
        CompareOstrel(params, picture, result);
      }
      if (HasFatalFailure()) return;
      ++variant;
    }
  }
  EXPECT_GT(hot, 100);
  EXPECT_GT(dark, 100);
  EXPECT_GT(clusters, 20);
  EXPECT_GT(worst, 100);
  EXPECT_GT(blemishes, 20);
  EXPECT_GT(marked, 1000);
}

// The candidate limit reached: both stop at the same candidate.
TEST(ApiEquivalence, StopOnTheCandidateLimitAlike) {
  std::mt19937 random(7);
  const Case c{false, 8, 8, PixelLayout::Bgra32, false, 300, 230, false};
  TestPicture picture = Make(c, random);
  auto params = WaferonParamsFor(c, 1);
  for (int k = 0; k < 5; ++k) params.CenterPixelThreshold[k] = -1.0;  // every pixel a candidate
  const auto result = sensordefect::AnalyseWaferon(picture.View(), params, {3, nullptr});
  EXPECT_EQ(result.Status.Code, E_ABORT);
  EXPECT_TRUE(result.Stopped);
  EXPECT_EQ(result.Candidates.size(), 65536u);
  CompareWaferon(params, picture, result);
}

// More package candidates than the limit: no blemishes, the count at the
// limit, the map still whole, alike both ways.
TEST(ApiEquivalence, TooManyPackageCandidatesAlike) {
  std::mt19937 random(8);
  const Case c{false, 8, 8, PixelLayout::Bgr24, true, 300, 230, false};
  TestPicture picture = Make(c, random);
  auto params = GlazetParamsFor(c, 0);
  params.DefectThreshold = -1.0;  // every window lies outside its band
  params.RoiLeft = params.RoiTop = 0.0;
  params.RoiRight = params.RoiBottom = 1.0;
  const auto result = sensordefect::AnalyseGlazet(picture.View(), params, {2, nullptr});
  EXPECT_TRUE(result.Status.Ok()) << result.Status.Message;
  EXPECT_TRUE(result.TooMany);
  EXPECT_EQ(result.BlemishCount, 65535);
  EXPECT_TRUE(result.Blemishes.empty());
  CompareGlazet(params, picture, result);
}

}  // namespace
}  // namespace sensor::api::test
