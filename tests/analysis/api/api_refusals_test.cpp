// What the in-memory analysers refuse, with a message naming the fault;
// a cancelled call; analysers on two threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "api_pictures.h"
#include "sensordefect/GlazetAnalysis.h"
#include "sensordefect/OstrelAnalysis.h"
#include "sensordefect/WaferonAnalysis.h"

namespace sensor::api::test {
namespace {

using namespace SensorDefectDetectionClass;
using sensordefect::ImageView;
using sensordefect::PixelLayout;

struct Inputs {
  ImageView View;
  sensordefect::WaferonParams Waferon;
  sensordefect::GlazetParams Glazet;
  sensordefect::OstrelParams Ostrel;
  sensordefect::RunOptions Options;
};

struct Refusal {
  const char* Name;
  std::function<void(Inputs&)> Spoil;
  const char* Says;  // a word of the message
  bool Waferon = true, Glazet = true, Ostrel = true;  // which analysers meet it
};

TEST(ApiRefusals, BadViewsAndParametersGetAMessageNeverACrash) {
  // Room for 40 x 30 pixels of any layout; the Bayer16 view reads a quarter.
  static std::vector<std::uint16_t> frame(40 * 30 * 2, 100);
  static const std::uint16_t tooLarge[4] = {1, 2, 1023, 1024};
  const std::vector<Refusal> refusals = {
      {"null pixels", [](Inputs& in) { in.View.Pixels = nullptr; }, "null"},
      {"zero width", [](Inputs& in) { in.View.Width = 0; }, "width and height"},
      {"negative height", [](Inputs& in) { in.View.Height = -3; }, "width and height"},
      {"short stride", [](Inputs& in) { in.View.RowStride = 79; }, "stride"},
      {"short negative stride", [](Inputs& in) { in.View.RowStride = -79; }, "stride"},
      {"lowest stride", [](Inputs& in) { in.View.RowStride = std::numeric_limits<std::int64_t>::min(); }, "stride"},
      {"huge stride", [](Inputs& in) { in.View.RowStride = std::int64_t{1} << 40; }, "2^31"},
      {"overflowing width", [](Inputs& in) { in.View.Width = std::numeric_limits<std::int32_t>::max(); in.View.RowStride = std::numeric_limits<std::int64_t>::max(); }, "stride"},
      {"layout outside the enum", [](Inputs& in) { in.View.Layout = static_cast<PixelLayout>(9); }, "PixelLayout"},
      {"colour layout in Bayer mode", [](Inputs& in) { in.View.Layout = PixelLayout::Rgb24; in.View.RowStride = 120; }, "BayerMode"},
      {"Bayer layout in colour mode", [](Inputs& in) {
         in.Waferon.BayerMode = in.Glazet.BayerMode = in.Ostrel.BayerMode = false;
         in.Glazet.ColorPlane = 1;
       }, "BayerMode"},
      {"sample above the depth", [](Inputs& in) {
         in.View.Pixels = tooLarge;
         in.View.Width = 4;
         in.View.Height = 1;
         in.View.RowStride = 8;
       }, "column 3, row 0"},
      {"depth not taken", [](Inputs& in) { in.Waferon.SensorBpp = in.Glazet.SensorBpp = in.Ostrel.SensorBpp = 16; }, "SensorBpp"},
      {"test depth above the sensor's", [](Inputs& in) { in.Waferon.TestBpp = in.Glazet.TestBpp = in.Ostrel.TestBpp = 12; }, "TestBpp"},
      {"negative margin", [](Inputs& in) { in.Waferon.OutlierTop = in.Glazet.OutlierTop = in.Ostrel.OutlierTop = -1; }, "OutlierTop"},
      {"negative threads", [](Inputs& in) { in.Options.Threads = -2; }, "Threads"},
      {"negative window", [](Inputs& in) { in.Waferon.HammerSize = -1; }, "HammerSize", true, false, false},
      {"negative table", [](Inputs& in) { in.Waferon.TableSize = -1; }, "TableSize", true, false, false},
      {"huge table", [](Inputs& in) { in.Waferon.TableSize = 1 << 30; }, "TableSize", true, false, false},
      {"G has no Bayer site", [](Inputs& in) { in.Glazet.ColorPlane = COLOUR_G; }, "Bayer site", false, true, false},
      {"plane beyond G2", [](Inputs& in) { in.Glazet.ColorPlane = 5; }, "Bayer site", false, true, false},
      {"G1 in colour mode", [](Inputs& in) {
         in.View.Layout = PixelLayout::Bgra32;
         in.Glazet.BayerMode = false;
         in.Glazet.ColorPlane = COLOUR_G1;
       }, "colour mode", false, true, false},
      {"negative window pair", [](Inputs& in) { in.Glazet.HammerSmall = -1; }, "HammerSmall", false, true, false},
      {"small window not below the large in colour mode", [](Inputs& in) {
         in.View.Layout = PixelLayout::Bgra32;
         in.Glazet.BayerMode = false;
         in.Glazet.ColorPlane = 0;
         in.Glazet.HammerSmall = 9;
         in.Glazet.HammerLarge = 9;
       }, "below", false, true, false},
      {"threshold not a number", [](Inputs& in) { in.Glazet.DefectThreshold = std::nan(""); }, "DefectThreshold", false, true, false},
  };
  sensordefect::WaferonAnalyser waferon;
  sensordefect::GlazetAnalyser glazet;
  sensordefect::OstrelAnalyser ostrel;
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.Name);
    Inputs in;
    in.View = ImageView{frame.data(), 40, 30, 80, PixelLayout::Bayer16};
    r.Spoil(in);
    auto check = [&](const sensordefect::RunStatus& status, std::int32_t width) {
      EXPECT_EQ(status.Code, E_INVALIDARG) << status.Message;
      EXPECT_NE(status.Message.find(r.Says), std::string::npos) << status.Message;
      EXPECT_EQ(width, 0);
    };
    if (r.Waferon) {
      const auto result = waferon.Run(in.View, in.Waferon, in.Options);
      check(result.Status, result.Width);
      EXPECT_TRUE(result.Candidates.empty());
    }
    if (r.Glazet) {
      const auto result = glazet.Run(in.View, in.Glazet, in.Options);
      check(result.Status, result.Width);
      EXPECT_TRUE(result.DefectMap.empty());
    }
    if (r.Ostrel) {
      const auto result = ostrel.Run(in.View, in.Ostrel, in.Options);
      check(result.Status, result.Width);
    }
  }
  // The same analysers take a good view afterwards.
  const ImageView good{frame.data(), 40, 30, 80, PixelLayout::Bayer16};
  EXPECT_TRUE(waferon.Run(good, {}).Status.Ok());
  EXPECT_TRUE(glazet.Run(good, {}).Status.Ok());
  EXPECT_TRUE(ostrel.Run(good, {}).Status.Ok());
}

TEST(ApiCancel, ACancelledCallSaysSoAndFindsNothing) {
  std::mt19937 random(3);
  PictureRecipe recipe;
  recipe.Width = 200;
  recipe.Height = 150;
  recipe.Bayer = true;
  recipe.SensorBpp = 10;
  recipe.Layout = PixelLayout::Bayer16;
  TestPicture picture(recipe, random);
  const std::atomic<bool> cancel{true};
  for (int threads : {1, 2}) {
    const sensordefect::RunOptions options{threads, &cancel};
    const auto w = sensordefect::AnalyseWaferon(picture.View(), {}, options);
    EXPECT_EQ(w.Status.Code, E_ABORT);
    EXPECT_EQ(w.Status.Message, "cancelled");
    EXPECT_TRUE(w.Candidates.empty() && w.WorstPixels.empty() && !w.Finished);
    const auto g = sensordefect::AnalyseGlazet(picture.View(), {}, options);
    EXPECT_EQ(g.Status.Code, E_ABORT);
    EXPECT_EQ(g.Status.Message, "cancelled");
    EXPECT_TRUE(g.DefectMap.empty() && g.Blemishes.empty() && g.Candidates == 0);
  }
}

// Two analysers of each kind on two threads at once, each on its own
// pictures, give what one analyser gives on them in turn.
TEST(ApiThreads, AnalysersOnTwoThreadsGiveWhatOneGives) {
  std::mt19937 random(11);
  std::vector<TestPicture> pictures;
  for (int i = 0; i < 4; ++i) {
    PictureRecipe recipe;
    recipe.Width = 120 + i;
    recipe.Height = 90;
    recipe.Bayer = true;
    recipe.SensorBpp = 12;
    recipe.Layout = PixelLayout::Bayer16;
    pictures.emplace_back(recipe, random);
  }
  sensordefect::WaferonParams wp;
  wp.SensorBpp = wp.TestBpp = 12;
  for (double& t : wp.CenterPixelThreshold) t = 300;
  sensordefect::GlazetParams gp;
  gp.SensorBpp = gp.TestBpp = 12;
  auto runAll = [&](int first, int step, std::vector<sensordefect::WaferonResult>& w,
                    std::vector<sensordefect::GlazetResult>& g) {
    sensordefect::WaferonAnalyser waferon;
    sensordefect::GlazetAnalyser glazet;
    for (int round = 0; round < 3; ++round) {
      for (std::size_t i = static_cast<std::size_t>(first); i < pictures.size(); i += static_cast<std::size_t>(step)) {
        w[i] = waferon.Run(pictures[i].View(), wp, {1, nullptr});
        g[i] = glazet.Run(pictures[i].View(), gp, {2, nullptr});
      }
    }
  };
  std::vector<sensordefect::WaferonResult> w1(4), w2(4);
  std::vector<sensordefect::GlazetResult> g1(4), g2(4);
  runAll(0, 1, w1, g1);
  std::thread other([&] { runAll(1, 2, w2, g2); });
  runAll(0, 2, w2, g2);
  other.join();
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    SCOPED_TRACE("picture " + std::to_string(i));
    ASSERT_TRUE(w1[i].Status.Ok() && g1[i].Status.Ok());
    EXPECT_FALSE(w1[i].Candidates.empty());
    ASSERT_EQ(w1[i].Candidates.size(), w2[i].Candidates.size());
    for (std::size_t k = 0; k < w1[i].Candidates.size(); ++k) {
      const auto &a = w1[i].Candidates[k], &b = w2[i].Candidates[k];
      EXPECT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Hot == b.Hot);
    }
    EXPECT_EQ(w1[i].Counts.CenterPixels, w2[i].Counts.CenterPixels);
    EXPECT_EQ(w1[i].Levels, w2[i].Levels);
    EXPECT_EQ(g1[i].DefectMap, g2[i].DefectMap);
    EXPECT_EQ(g1[i].BlemishCount, g2[i].BlemishCount);
  }
}

}  // namespace
}  // namespace sensor::api::test
