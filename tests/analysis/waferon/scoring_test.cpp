// The four scores, the percent rule and the candidate test, on the searches
// themselves with references set by hand.
#include <gtest/gtest.h>

#include "common/sample_rule.h"
#include "waferon/core/search.h"
#include "test_image.h"

namespace sensor::waferon {
namespace {

using sensor::test::TestImage;

struct SearchRun {
  ResultTable Table{16};
  CandidateList Candidates;
  SearchOutcome Outcome = SearchOutcome::Completed;
};

SearchSetup SetupOf(TestImage& image, const Rect& region) {
  ImageBinding binding;
  EXPECT_EQ(BindBitmap(image.Header(), image.Pixels(), binding), 0);
  SearchSetup setup;
  setup.Image = binding;
  setup.Region = region;
  setup.Rule = SampleRule::For(8, 8);
  for (auto* t : {&setup.Thresholds.CenterCluster, &setup.Thresholds.CenterPixel,
                  &setup.Thresholds.SideCluster, &setup.Thresholds.SidePixel}) {
    t->fill(1e9);
  }
  return setup;
}

template <class Search>
void Execute(Search search, const SearchSetup& setup, SearchRun& run) {
  run.Outcome = search(setup, SearchTargets{&run.Table, &run.Candidates, 65535});
}

// The table entry at (x, y); fails the test when there is none.
DefectRecord EntryAt(const ResultTable& table, std::int32_t x, std::int32_t y) {
  for (const DefectRecord& e : table.Entries()) {
    if (e.X == x && e.Y == y) return e;
  }
  ADD_FAILURE() << "no entry at " << x << "," << y;
  return DefectRecord{};
}

TEST(WaferonScores, BayerGlobalScoresAreDeviationsOrPercentOfLevelsAboveOne) {
  TestImage image(2, 1);
  image.SetSample(0, 0, 50, 8);   // G1
  image.SetSample(1, 0, 130, 8);  // R
  SearchSetup setup = SetupOf(image, Rect{0, 0, 1, 0});
  setup.Levels = {100.0, 0.0, 0.0, 0.8, 0.0};
  SearchRun absolute;
  Execute(BayerGlobalSearch, setup, absolute);
  EXPECT_EQ(EntryAt(absolute.Table, 1, 0).Score, 30.0);
  EXPECT_EQ(EntryAt(absolute.Table, 1, 0).Colour, 0);
  EXPECT_EQ(EntryAt(absolute.Table, 0, 0).Colour, 3);

  setup.Percent = true;
  setup.Levels[0] = 200.0;
  SearchRun percent;
  Execute(BayerGlobalSearch, setup, percent);
  EXPECT_EQ(EntryAt(percent.Table, 1, 0).Score, 70.0 / 200.0 * 100.0);
  EXPECT_EQ(EntryAt(percent.Table, 0, 0).Score, 50.0 - 0.8);  // level 0.8: stays absolute
}

TEST(WaferonScores, AColourPixelTakesItsLargestChannelWithTiesToTheEarlier) {
  TestImage image(2, 1);
  image.SetBgr(0, 0, 104, 105, 105);  // deviations R 5, G 5, B 4
  image.SetBgr(1, 0, 106, 106, 105);  // deviations R 5, G 6, B 6
  SearchSetup setup = SetupOf(image, Rect{0, 0, 1, 0});
  setup.Levels = {100.0, 100.0, 100.0, 0.0, 0.0};
  SearchRun run;
  Execute(ColourGlobalSearch, setup, run);
  EXPECT_EQ(EntryAt(run.Table, 0, 0).Score, 5.0);
  EXPECT_EQ(EntryAt(run.Table, 0, 0).Colour, 0);
  EXPECT_EQ(EntryAt(run.Table, 1, 0).Score, 6.0);
  EXPECT_EQ(EntryAt(run.Table, 1, 0).Colour, 1);
}

TEST(WaferonScores, ACandidatePassesAnyOfItsColoursFourThresholdsWhateverItsZone) {
  TestImage image(2, 1);
  image.SetSample(1, 0, 130, 8);  // R, score 30
  SearchSetup setup = SetupOf(image, Rect{0, 0, 1, 0});
  setup.Levels = {100.0, 0, 0, 0, 0};
  setup.Thresholds.SidePixel[0] = 29.0;  // only the side pixel threshold lies below
  SearchRun run;
  Execute(BayerGlobalSearch, setup, run);
  ASSERT_EQ(run.Candidates.Size(), 1u);
  EXPECT_EQ(run.Candidates.Records()[0].X, 1);

  setup.Thresholds.SidePixel[0] = 30.0;  // strictly greater is needed
  SearchRun equal;
  Execute(BayerGlobalSearch, setup, equal);
  EXPECT_EQ(equal.Candidates.Size(), 0u);
}

TEST(WaferonScores, AColourCandidateCarriesThePixelsScoreNotThePassingChannels) {
  TestImage image(1, 1);
  image.SetBgr(0, 0, 100, 110, 140);  // deviations R 40, G 10, B 0
  SearchSetup setup = SetupOf(image, Rect{0, 0, 0, 0});
  setup.Levels = {100.0, 100.0, 100.0, 0, 0};
  setup.Thresholds.CenterPixel[1] = 5.0;  // green passes; red is far below its thresholds
  SearchRun run;
  Execute(ColourGlobalSearch, setup, run);
  ASSERT_EQ(run.Candidates.Size(), 1u);
  EXPECT_EQ(run.Candidates.Records()[0].Score, 40.0);
  EXPECT_EQ(run.Candidates.Records()[0].Colour, 0);
}

TEST(WaferonScores, BayerLocalMeansOfAUniformFieldEqualItEvenInTheCorners) {
  TestImage image(30, 30);
  image.FillSample(77, 8);
  SearchSetup setup = SetupOf(image, Rect{0, 0, 29, 29});
  setup.WindowSize = 11;
  setup.Thresholds.CenterPixel.fill(-1.0);  // every pixel a candidate
  SearchRun run;
  Execute(BayerLocalSearch, setup, run);
  ASSERT_EQ(run.Candidates.Size(), 900u);
  for (const DefectRecord& r : run.Candidates.Records()) EXPECT_EQ(r.Score, 0.0);
}

TEST(WaferonScores, WindowsOfSizeZeroOrOneHaveAMeanOfZero) {
  TestImage image(4, 4);
  image.FillSample(77, 8);
  image.SetSample(2, 2, 90, 8);
  for (std::int32_t hammer : {0, 1}) {
    SearchSetup setup = SetupOf(image, Rect{0, 0, 3, 3});
    setup.WindowSize = hammer;
    SearchRun run;
    Execute(BayerLocalSearch, setup, run);
    EXPECT_EQ(EntryAt(run.Table, 2, 2).Score, 90.0);
    EXPECT_EQ(EntryAt(run.Table, 0, 0).Score, 77.0);
    SearchRun colour;  // blue is byte 0: 77 and 90; red and green are 0
    Execute(ColourLocalSearch, setup, colour);
    EXPECT_EQ(EntryAt(colour.Table, 2, 2).Score, 90.0);
    EXPECT_EQ(EntryAt(colour.Table, 2, 2).Colour, 2);
  }
}

TEST(WaferonScores, ALocalBayerSearchScoresOnlyTheColoursSwitchedOn) {
  TestImage image(8, 8);
  std::mt19937 random(3);
  image.Randomise(random);
  SearchSetup setup = SetupOf(image, Rect{0, 0, 7, 7});
  setup.WindowSize = 3;
  setup.Enabled = {true, false, false, false, false};
  setup.Thresholds.CenterPixel.fill(-1.0);
  SearchRun run;
  Execute(BayerLocalSearch, setup, run);
  EXPECT_EQ(run.Candidates.Size(), 16u);
  for (const DefectRecord& r : run.Candidates.Records()) EXPECT_EQ(r.Colour, 0);
  for (const DefectRecord& e : run.Table.Entries()) EXPECT_EQ(e.Colour, 0);
}

}  // namespace
}  // namespace sensor::waferon
