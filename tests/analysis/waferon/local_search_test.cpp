// The four searches against the plain rules on random images: every window
// re-summed site by site, every score offered to a plain table. Regions small
// and large, at the picture's edges or inside, windows from none to wider than
// the region, both row orders, both pixel sizes, absolute and percent scores.
// Thresholds are often set to a pixel's exact score, the one case where the
// fast searches' shortcuts must not decide.
#include <gtest/gtest.h>

#include <random>

#include "common/levels.h"
#include "reference_rules.h"
#include "common/parallel_rows.h"
#include "waferon/core/scan_sink.h"
#include "waferon/core/search.h"
#include "waferon/core/search_scratch.h"
#include "test_image.h"
#include "vector_sets.h"

namespace sensor::waferon {
namespace {

using sensor::test::TestImage;

struct Trial {
  reference::SearchCase Case;
  std::size_t TableSize = 0;
};

Trial RandomTrial(std::mt19937& random, const ImageBinding& image, bool bayer, bool local) {
  Trial t;
  reference::SearchCase& c = t.Case;
  c.Bayer = bayer;
  c.Local = local;
  c.Percent = random() % 2 == 0;
  c.Hammer = static_cast<std::int32_t>(random() % 4 == 0 ? random() % 60 : random() % 16);
  static constexpr int kDepths[3][2] = {{8, 8}, {10, 10}, {12, 12}};
  const auto& depth = kDepths[random() % 3];
  c.Rule = SampleRule::For(depth[0], depth[1]);
  const auto margin = [&](std::int32_t size) {
    return static_cast<std::int32_t>(random() % 3 == 0 ? 0 : random() % static_cast<unsigned>(size));
  };
  c.Region = InsetRect(image.Width, image.Height, margin(image.Width / 2 + 1),
                       margin(image.Height / 2 + 1), margin(image.Width / 2 + 1),
                       margin(image.Height / 2 + 1));
  c.Levels = bayer ? BayerLevels(image, c.Region, depth[0], depth[1]) : ColourLevels(image, c.Region);
  for (auto& enabled : c.Enabled) enabled = random() % 4 != 0;
  // Thresholds around typical scores; the exact ones are added per case.
  const double scale = c.Percent ? 60.0 : (bayer ? 300.0 : 80.0);
  for (auto& thresholds : c.Thresholds)
    for (double& v : thresholds) v = scale * (0.3 + static_cast<double>(random() % 1000) / 1000.0);
  t.TableSize = 1 + random() % 40;
  return t;
}

// A local search's case: its mode, rule, window and region; levels,
// enables and thresholds as the case leaves them.
reference::SearchCase LocalCase(bool bayer, bool percent, std::int32_t hammer, const Rect& region) {
  reference::SearchCase c;
  c.Bayer = bayer;
  c.Local = true;
  c.Percent = percent;
  c.Hammer = hammer;
  c.Region = region;
  return c;
}

// The search's setup for a case: its region, mode, window, references, sample
// rule, enables and the four threshold arrays.
SearchSetup SetupOf(const ImageBinding& image, const reference::SearchCase& c) {
  SearchSetup setup;
  setup.Image = image;
  setup.Region = c.Region;
  setup.Percent = c.Percent;
  setup.WindowSize = c.Hammer;
  setup.Levels = c.Levels;
  setup.Rule = c.Rule;
  setup.Enabled = c.Enabled;
  for (std::size_t colour = 0; colour < 5; ++colour) {
    setup.Thresholds.CenterCluster[colour] = c.Thresholds[0][colour];
    setup.Thresholds.CenterPixel[colour] = c.Thresholds[1][colour];
    setup.Thresholds.SideCluster[colour] = c.Thresholds[2][colour];
    setup.Thresholds.SidePixel[colour] = c.Thresholds[3][colour];
  }
  return setup;
}

double ExactScore(const ImageBinding& image, const reference::SearchCase& c, std::int32_t x,
                  std::int32_t y) {
  reference::SearchCase one = c;
  one.Region = c.Region;
  one.Enabled.fill(true);
  const auto result = reference::Search(image, one, c.Region.Columns() * c.Region.Rows());
  for (const DefectRecord& e : result.Table) {
    if (e.X == x && e.Y == y) return e.Score;
  }
  return 0.0;
}

void CompareOnRandomImages(bool bayer, bool local, std::uint32_t seed) {
  std::mt19937 random(seed);
  SearchScratch kept;  // every trial's search works in what the earlier ones left
  for (int trial = 0; trial < 150; ++trial) {
    const auto width = static_cast<std::int32_t>(1 + random() % 40);
    const auto height = static_cast<std::int32_t>(1 + random() % 30);
    TestImage picture(width, height, random() % 2 ? 32 : 24, random() % 2 == 0);
    // Mostly a noisy flat field with a few outliers, sometimes pure noise.
    const int mean = static_cast<int>(random() % 200), spread = 1 + static_cast<int>(random() % 50);
    picture.Randomise(random, std::max(0, mean - spread), std::min(255, mean + spread));
    for (int k = 0; k < 4; ++k) {
      std::uint8_t* p = picture.At(static_cast<std::int32_t>(random() % static_cast<unsigned>(width)),
                                   static_cast<std::int32_t>(random() % static_cast<unsigned>(height)));
      p[0] = p[2] = static_cast<std::uint8_t>(random() % 256);
    }
    ImageBinding image;
    ASSERT_EQ(BindBitmap(picture.Header(), picture.Pixels(), image), 0);
    Trial t = RandomTrial(random, image, bayer, local);
    reference::SearchCase& c = t.Case;
    if (c.Region.Empty()) continue;
    if (random() % 2 == 0) {
      // Some thresholds exactly on pixels' scores.
      for (int k = 0; k < 3; ++k) {
        const std::int32_t x = c.Region.Left + static_cast<std::int32_t>(random() % c.Region.Columns());
        const std::int32_t y = c.Region.Top + static_cast<std::int32_t>(random() % c.Region.Rows());
        c.Thresholds[random() % 4][random() % 5] = ExactScore(image, c, x, y);
      }
    }
    if (random() % 5 == 0) c.CandidateLimit = random() % 20;

    SearchSetup setup = SetupOf(image, c);
    setup.Scratch = &kept;
    ResultTable table(static_cast<std::int32_t>(t.TableSize));
    // Some searches continue a list earlier runs began: the limit counts those
    // candidates too, in every part of a split search.
    CandidateList candidates;
    const std::size_t earlier = trial % 3 == 0 ? static_cast<std::size_t>(trial % 7) : 0;
    for (std::size_t k = 0; k < earlier; ++k) candidates.Append(DefectRecord{-5, -5, 1.0, 0, 0});
    const SearchTargets targets{&table, &candidates, static_cast<std::uint32_t>(c.CandidateLimit + earlier)};
    const SearchOutcome outcome = bayer ? (local ? BayerLocalSearch(setup, targets)
                                                 : BayerGlobalSearch(setup, targets))
                                        : (local ? ColourLocalSearch(setup, targets)
                                                 : ColourGlobalSearch(setup, targets));
    const reference::SearchResult expected = reference::Search(image, c, t.TableSize);

    SCOPED_TRACE(testing::Message() << "trial " << trial << " " << width << "x" << height
                                    << " hammer " << c.Hammer << " percent " << c.Percent);
    EXPECT_EQ(outcome == SearchOutcome::Stopped, expected.Stopped);
    ASSERT_EQ(candidates.Size(), earlier + expected.Candidates.size());
    for (std::size_t i = 0; i < expected.Candidates.size(); ++i) {
      const DefectRecord& a = candidates.Records()[earlier + i];
      const DefectRecord& b = expected.Candidates[i];
      ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Colour == b.Colour)
          << "candidate " << i << " at " << b.X << "," << b.Y;
    }
    for (std::size_t i = 0; i < t.TableSize; ++i) {
      const DefectRecord& a = table[i];
      const DefectRecord& b = expected.Table[i];
      ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Colour == b.Colour)
          << "table entry " << i;
    }
  }
}

SENSOR_VECTOR_SET_TEST(WaferonSearches, BayerGlobalMatchesThePlainRule) { CompareOnRandomImages(true, false, 1); }
SENSOR_VECTOR_SET_TEST(WaferonSearches, BayerLocalMatchesThePlainRule) { CompareOnRandomImages(true, true, 2); }
SENSOR_VECTOR_SET_TEST(WaferonSearches, ColourGlobalMatchesThePlainRule) { CompareOnRandomImages(false, false, 3); }
SENSOR_VECTOR_SET_TEST(WaferonSearches, ColourLocalMatchesThePlainRule) { CompareOnRandomImages(false, true, 4); }

// A wide flat field: the inner windows, where the fast searches decide most
// pixels without dividing, with thresholds on the exact scores of its pixels.
SENSOR_VECTOR_SET_TEST(WaferonSearches, LocalSearchesMatchThePlainRuleOnWideFieldsWithThresholdsOnScores) {
  std::mt19937 random(9);
  for (int trial = 0; trial < 16; ++trial) {
    const bool bayer = trial % 2 == 0;
    TestImage picture(90, 40, 32);
    picture.Randomise(random, 100, 140);
    ImageBinding image;
    ASSERT_EQ(BindBitmap(picture.Header(), picture.Pixels(), image), 0);
    reference::SearchCase c = LocalCase(bayer, trial % 4 < 2, 5 + trial, Rect{1, 2, 88, 37});
    c.Rule = SampleRule::For(8, 8);
    for (auto& thresholds : c.Thresholds) thresholds.fill(1e9);
    for (int k = 0; k < 4; ++k) {
      const auto x = static_cast<std::int32_t>(20 + random() % 50);
      const auto y = static_cast<std::int32_t>(15 + random() % 10);
      const double exact = ExactScore(image, c, x, y);
      for (auto& thresholds : c.Thresholds) thresholds[static_cast<std::size_t>(k)] = exact;
    }
    const SearchSetup setup = SetupOf(image, c);
    ResultTable table(8);
    CandidateList candidates;
    testing::internal::CaptureStdout();
    const SearchTargets targets{&table, &candidates, 65535};
    if (bayer) {
      BayerLocalSearch(setup, targets);
    } else {
      ColourLocalSearch(setup, targets);
    }
    testing::internal::GetCapturedStdout();
    const auto expected = reference::Search(image, c, 8);
    ASSERT_EQ(candidates.Size(), expected.Candidates.size()) << "trial " << trial;
    for (std::size_t i = 0; i < expected.Candidates.size(); ++i) {
      EXPECT_EQ(candidates.Records()[i].Score, expected.Candidates[i].Score);
      EXPECT_EQ(candidates.Records()[i].X, expected.Candidates[i].X);
    }
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(table[i].Score, expected.Table[i].Score);
  }
}

// Windows of any size, up to the largest HammerSize, are cut to the region.
SENSOR_VECTOR_SET_TEST(WaferonSearches, HugeWindowsAreCutToTheRegion) {
  std::mt19937 random(13);
  for (std::int32_t hammer : {INT32_MAX, INT32_MAX - 1, 1 << 30}) {
    for (bool bayer : {true, false}) {
      TestImage picture(9, 7, 24, hammer % 2 == 0);
      picture.Randomise(random);
      ImageBinding image;
      ASSERT_EQ(BindBitmap(picture.Header(), picture.Pixels(), image), 0);
      reference::SearchCase c;
      c.Bayer = bayer;
      c.Local = true;
      c.Hammer = hammer;
      c.Rule = SampleRule::For(8, 8);
      c.Region = Rect{1, 1, 7, 5};
      for (auto& thresholds : c.Thresholds) thresholds.fill(-1.0);  // every pixel a candidate
      const SearchSetup setup = SetupOf(image, c);
      ResultTable table(4);
      CandidateList candidates;
      testing::internal::CaptureStdout();
      if (bayer) {
        BayerLocalSearch(setup, SearchTargets{&table, &candidates, 65535});
      } else {
        ColourLocalSearch(setup, SearchTargets{&table, &candidates, 65535});
      }
      testing::internal::GetCapturedStdout();
      const auto expected = reference::Search(image, c, 4);
      ASSERT_EQ(candidates.Size(), 35u);
      for (std::size_t i = 0; i < 35; ++i) {
        EXPECT_EQ(candidates.Records()[i].Score, expected.Candidates[i].Score) << "pixel " << i;
      }
    }
  }
}

// Runs `search` over the case's region with its window, mode and sample rule
// and one threshold for every zone and site, and compares the candidates
// (position, score, colour, in order) and a table of 20 with the plain rule.
template <class Search>
void ExpectLocalSearchMatchesThePlainRule(TestImage& picture, reference::SearchCase c, double threshold,
                                          Search search) {
  ImageBinding image;
  ASSERT_EQ(BindBitmap(picture.Header(), picture.Pixels(), image), 0);
  for (auto& thresholds : c.Thresholds) thresholds.fill(threshold);
  const SearchSetup setup = SetupOf(image, c);
  ResultTable table(20);
  CandidateList candidates;
  testing::internal::CaptureStdout();
  search(setup, SearchTargets{&table, &candidates, 65535});
  testing::internal::GetCapturedStdout();
  const auto expected = reference::Search(image, c, 20);
  ASSERT_EQ(candidates.Size(), expected.Candidates.size());
  EXPECT_GT(candidates.Size(), 0u);
  for (std::size_t i = 0; i < expected.Candidates.size(); ++i) {
    const DefectRecord& a = candidates.Records()[i];
    const DefectRecord& b = expected.Candidates[i];
    ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Colour == b.Colour) << "candidate " << i;
  }
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_TRUE(table[i].X == expected.Table[i].X && table[i].Score == expected.Table[i].Score) << "entry " << i;
  }
}

// Boxes of more than 8,224 pixels keep the three channel sums apart rather
// than packed into one value.
SENSOR_VECTOR_SET_TEST(WaferonSearches, ColourLocalMatchesThePlainRuleWithBoxesTooLargeToPack) {
  std::mt19937 random(12);
  for (bool percent : {false, true}) {
    SCOPED_TRACE(percent ? "percent" : "level");
    TestImage picture(100, 95, 32);
    picture.Randomise(random, 60, 200);
    reference::SearchCase c = LocalCase(false, percent, 99, Rect{0, 0, 99, 94});  // boxes of up to 99 x 95 pixels
    ExpectLocalSearchMatchesThePlainRule(picture, c, percent ? 40.0 : 60.0, ColourLocalSearch);
  }
}

// The colour band moves a few hundred columns at a time: boxes across those
// stretches' edges and wider than one, in 16- and 32-bit sums, both pixel
// sizes; and flat fields, whose stretches the bounds rule out whole, with
// outliers at the stretches' edges and the region's.
SENSOR_VECTOR_SET_TEST(WaferonSearches, ColourLocalMatchesThePlainRuleAcrossTheBandsStretches) {
  std::mt19937 random(13);
  for (std::int32_t hammer : {5, 15, 31, 301}) {
    const bool percent = hammer == 15 || hammer == 301;
    SCOPED_TRACE("hammer " + std::to_string(hammer));
    TestImage picture(600, 20, hammer == 31 ? 24 : 32);
    picture.Randomise(random, 60, 200);
    reference::SearchCase c = LocalCase(false, percent, hammer, Rect{3, 1, 597, 18});
    ExpectLocalSearchMatchesThePlainRule(picture, c, percent ? 40.0 : 60.0, ColourLocalSearch);
  }
  for (std::int32_t hammer : {3, 11, 25}) {
    SCOPED_TRACE("flat, hammer " + std::to_string(hammer));
    TestImage picture(1100, 24, 32);
    picture.Randomise(random, 120, 126);
    // Enough outliers in the first rows to lift the table's floor above the
    // threshold, then some at every stretch edge and the region's.
    for (std::int32_t x = 40; x < 1060; x += 40) picture.SetBgr(x, 2 + x % 3, 250, 20, 240);
    for (std::int32_t x : {2, 5, 255, 256, 257, 511, 512, 700, 1023, 1024, 1090, 1096}) {
      picture.SetBgr(x, 12 + x % 7, 0, static_cast<std::uint8_t>(x % 2 ? 255 : 60), 123);
    }
    reference::SearchCase c = LocalCase(false, false, hammer, Rect{2, 1, 1097, 22});
    ExpectLocalSearchMatchesThePlainRule(picture, c, 30.0, ColourLocalSearch);
  }
}

// Bayer windows taller than the rows a band keeps the samples of (HammerSize
// 64 and up) take their samples from the pixels at every move, beside windows
// that are kept.
SENSOR_VECTOR_SET_TEST(WaferonSearches, BayerLocalMatchesThePlainRuleWithWindowsTooTallToKeep) {
  std::mt19937 random(14);
  for (std::int32_t hammer : {62, 64}) {
    SCOPED_TRACE("hammer " + std::to_string(hammer));
    const bool percent = hammer == 64;
    TestImage picture(140, 136, 32);
    picture.Randomise(random, 60, 200);
    reference::SearchCase c = LocalCase(true, percent, hammer, Rect{1, 0, 139, 135});
    c.Rule = SampleRule::For(12, 12);
    ExpectLocalSearchMatchesThePlainRule(picture, c, percent ? 40.0 : 900.0, BayerLocalSearch);
  }
}

// A split search whose later part records more offers than a part may keep
// searches that part again in its turn: the list and the table are those of
// one thread. Every pixel is a candidate, so each half of the picture holds
// more candidates than a recording keeps.
TEST(WaferonSearches, APartWithTooManyOffersToRecordIsSearchedAgainInItsTurn) {
  const std::int32_t width = 1000;
  const auto height = static_cast<std::int32_t>(2 * ScanSink::kMostEvents / width + 8);
  TestImage picture(width, height, 32);
  std::mt19937 random(21);
  picture.Randomise(random, 90, 110);
  ImageBinding image;
  ASSERT_EQ(BindBitmap(picture.Header(), picture.Pixels(), image), 0);
  SearchScratch kept;
  SearchSetup setup;
  setup.Image = image;
  setup.Region = image.Bounds();
  setup.Levels = ColourLevels(image, setup.Region);
  setup.Scratch = &kept;
  for (auto* t : {&setup.Thresholds.CenterCluster, &setup.Thresholds.CenterPixel, &setup.Thresholds.SideCluster,
                  &setup.Thresholds.SidePixel}) {
    t->fill(-1.0);
  }
  auto search = [&](int threads, ResultTable& table, CandidateList& list) {
    SetAnalysisThreads(threads);
    const SearchOutcome outcome = ColourGlobalSearch(setup, SearchTargets{&table, &list, UINT32_MAX});
    SetAnalysisThreads(0);
    return outcome;
  };
  ResultTable oneTable(16), twoTable(16);
  CandidateList one, two;
  EXPECT_EQ(search(1, oneTable, one), SearchOutcome::Completed);
  EXPECT_EQ(search(2, twoTable, two), SearchOutcome::Completed);
  ASSERT_EQ(one.Size(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  ASSERT_EQ(two.Size(), one.Size());
  for (std::size_t i = 0; i < one.Size(); ++i) {
    const DefectRecord& a = one.Records()[i];
    const DefectRecord& b = two.Records()[i];
    ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.Score == b.Score && a.Colour == b.Colour) << "candidate " << i;
  }
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_TRUE(oneTable[i].X == twoTable[i].X && oneTable[i].Y == twoTable[i].Y &&
                oneTable[i].Score == twoTable[i].Score)
        << "table entry " << i;
  }
}

}  // namespace
}  // namespace sensor::waferon
