// The fast searches (lattice bands, 32-bit or 64-bit sums, the division-free
// tests) must mark exactly the pixels the plain rule marks: every window re-
// summed pixel by pixel and every mean divided out (reference_searches.h).
#include <gtest/gtest.h>

#include <random>

#include "common/rect.h"
#include "glazet/core/band_scratch.h"
#include "glazet/core/bayer_search.h"
#include "glazet/core/colour_search.h"
#include "glazet/core/window_search.h"
#include "reference_searches.h"
#include "search_fixture.h"
#include "vector_sets.h"

namespace sensor::glazet::test {
namespace {

using SearchFunction = std::int64_t (*)(const WindowSearchSetup&);

int Pick(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

// Pictures of three kinds: full-range noise, two neighbouring values (so that
// window means often sit exactly on a band edge), and noise with dark and
// bright blobs (so that there are real candidates).
void Paint(BoundPicture& p, std::mt19937& random) {
  switch (Pick(random, 0, 2)) {
    case 0:
      p.Image.Randomise(random);
      break;
    case 1:
      p.Image.Randomise(random, 100, 101);
      break;
    default: {
      p.Image.Randomise(random, 120, 130);
      for (int blob = 0; blob < 3; ++blob) {
        const int cx = Pick(random, 0, p.Image.Width() - 1), cy = Pick(random, 0, p.Image.Height() - 1);
        const int level = Pick(random, 0, 1) ? 20 : 250;
        for (int y = std::max(0, cy - 3); y <= std::min(p.Image.Height() - 1, cy + 3); ++y)
          for (int x = std::max(0, cx - 3); x <= std::min(p.Image.Width() - 1, cx + 3); ++x)
            for (int i = 0; i < p.Image.BytesPerPixel(); ++i) p.Image.At(x, y)[i] = static_cast<unsigned char>(level);
      }
    }
  }
}

double PickThreshold(std::mt19937& random) {
  static const double kThresholds[] = {0.0, 0.5, 5.0, 10.0, 33.3, 100.0, 150.0, -5.0};
  return kThresholds[Pick(random, 0, 7)];
}

// A random search over a random picture: margins, region of interest (also
// reaching outside the picture), window sizes from 0 to well beyond the scan
// area, thresholds including 0 and the unusual negative and above 100.
void Randomise(BoundPicture& p, std::mt19937& random, bool bayer, int maxWindow) {
  Paint(p, random);
  WindowSearchSetup& s = p.Setup;
  const std::int32_t w = p.Image.Width(), h = p.Image.Height();
  s.ScanArea = InsetRect(w, h, Pick(random, 0, 3), Pick(random, 0, 3), Pick(random, 0, 3),
                         Pick(random, 0, 3));
  s.RegionOfInterest = Rect{Pick(random, -2, w / 2), Pick(random, -2, h / 2),
                            Pick(random, w / 2, w + 2), Pick(random, h / 2, h + 2)};
  s.SmallSize = Pick(random, 0, maxWindow);
  s.LargeSize = Pick(random, 0, maxWindow * 2);
  s.Threshold = PickThreshold(random);
  if (bayer) {
    s.Plane = Pick(random, 0, 4);
    static const int kDepths[][2] = {{8, 8}, {10, 10}, {12, 12}, {12, 8}};
    const auto& d = kDepths[Pick(random, 0, 3)];
    s.Sample = SampleRule::For(d[0], d[1]);
  } else {
    s.Plane = Pick(random, 0, 2);
  }
}

// The global reference as the run takes it: the level statistic of the plane.
void TakeReference(BoundPicture& p, bool bayer) {
  WindowSearchSetup& s = p.Setup;
  if (bayer) {
    const int sensorBpp = s.Sample.Shift == 2 ? 10 : 12, testBpp = s.Sample.Shift == 0 ? 8 : 12;
    const LevelSet levels = BayerLevels(s.Image, s.ScanArea, sensorBpp, testBpp);
    s.Reference = s.Plane == 1 ? 0.0 : levels[static_cast<std::size_t>(s.Plane)];
  } else {
    s.Reference = ColourLevels(s.Image, s.ScanArea)[static_cast<std::size_t>(2 - s.Plane)];
  }
}

// Runs the search on every vector set and expects the plain rule's map and
// count; each search works in the bands the earlier ones left.
void ExpectSameAsPlain(BoundPicture& p, SearchFunction search, reference::Kind kind) {
  static BandScratch kept;
  p.Setup.Scratch = &kept;
  p.ClearMap();
  const std::int64_t plainCount = reference::Search(p.Setup, kind);
  const std::vector<std::uint8_t> plainMap = p.Map;
  EXPECT_EQ(plainCount, p.MarkCount());
  sensor::test::ForEachVectorSet([&] {
    p.ClearMap();
    EXPECT_EQ(search(p.Setup), plainCount);
    EXPECT_EQ(p.Map, plainMap);
  });
}

struct SearchCase {
  const char* Name;
  SearchFunction Search;
  bool Bayer;
  reference::Kind Kind;
};

class FastSearchTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(FastSearchTest, MarksWhatThePlainRuleMarksOnSmallPictures) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 400; ++trial) {
    BoundPicture p(Pick(random, 1, 24), Pick(random, 1, 24), Pick(random, 0, 1) ? 32 : 24,
                   Pick(random, 0, 1) != 0);
    Randomise(p, random, GetParam().Bayer, 12);
    TakeReference(p, GetParam().Bayer);
    ExpectSameAsPlain(p, GetParam().Search, GetParam().Kind);
    if (HasFailure()) {
      ADD_FAILURE() << "trial " << trial;
      return;
    }
  }
}

// Larger pictures, so that long runs of centred windows go through the
// division-free tests: two-value noise with T 0 (window means within a hair of
// each other, where the screens must hand over to the plain rule), a flat
// picture with T 0 (every mean exactly on the band edge) and blobs on noise.
TEST_P(FastSearchTest, MarksWhatThePlainRuleMarksWithLargeWindows) {
  std::mt19937 random(7);
  const int sizes[][2] = {{5, 15}, {15, 63}, {31, 63}, {4, 5}, {7, 3}};
  for (const auto& size : sizes) {
    for (int kind = 0; kind < 3; ++kind) {
      BoundPicture p(Pick(random, 100, 150), Pick(random, 90, 130), kind == 1 ? 24 : 32, kind == 2);
      Randomise(p, random, GetParam().Bayer, 1);
      if (kind == 0) p.Image.Randomise(random, 100, 101);
      if (kind == 1) p.Image.FillBgr(77, 77, 77);
      p.Setup.SmallSize = size[0];
      p.Setup.LargeSize = size[1];
      p.Setup.Threshold = kind == 2 ? 3.0 : 0.0;
      TakeReference(p, GetParam().Bayer);
      ExpectSameAsPlain(p, GetParam().Search, GetParam().Kind);
      if (kind == 1) {
        EXPECT_EQ(p.MarkCount(), 0) << "a flat picture has no candidate";
      }
    }
  }
}

// Pictures wider than the strips the local scans' rows are worked in (512
// lattice columns), so that centred runs cross strip edges, with windows
// narrower than a strip and wider than one.
TEST_P(FastSearchTest, MarksWhatThePlainRuleMarksAcrossStrips) {
  std::mt19937 random(11);
  const bool bayer = GetParam().Bayer;
  const int sizes[][3] = {{5, 15, 40}, {3, bayer ? 2090 : 1045, 12}};  // small, large, height
  for (const auto& size : sizes) {
    for (int kind = 0; kind < 2; ++kind) {
      BoundPicture p(bayer ? 2200 : 1150, size[2], 32);
      Randomise(p, random, bayer, 1);
      kind == 0 ? p.Image.Randomise(random, 100, 101) : p.Image.Randomise(random);
      p.Setup.RegionOfInterest = p.Setup.Image.Bounds();
      p.Setup.SmallSize = size[0];
      p.Setup.LargeSize = size[1];
      p.Setup.Threshold = kind == 0 ? 0.0 : 5.0;
      if (bayer) p.Setup.Plane = kind == 0 ? 0 : 3;  // R and G1 sites, never the plane without sites
      TakeReference(p, bayer);
      ExpectSameAsPlain(p, GetParam().Search, GetParam().Kind);
    }
  }
}

// Windows so large that their sums could reach 2^30 take 64-bit sums. The
// plain rule is too slow for whole pictures of that size, so it judges a
// sample of pixels, more of them near the edges where windows are cut.
TEST_P(FastSearchTest, MarksWhatThePlainRuleMarksWithWindowsTooLargeFor32BitSums) {
  std::mt19937 random(3);
  const bool bayer = GetParam().Bayer;
  const std::int32_t side = bayer ? 700 : 2300, window = bayer ? 300 : 2100;
  BoundPicture p(side, side, 32);
  Randomise(p, random, bayer, 1);
  p.Image.Randomise(random, 100, 101);
  p.Setup.ScanArea = p.Setup.Image.Bounds();
  p.Setup.RegionOfInterest = p.Setup.Image.Bounds();
  p.Setup.SmallSize = window;
  p.Setup.LargeSize = window + 40;
  p.Setup.Threshold = 0.0;
  if (bayer) p.Setup.Sample = SampleRule::For(12, 12);
  if (bayer) p.Setup.Plane = 4;
  TakeReference(p, bayer);
  ASSERT_FALSE(SumsFit32(p.Setup.ScanArea, bayer ? window : window / 2, bayer ? 4083 : 255));
  std::vector<std::pair<std::int32_t, std::int32_t>> sample;
  for (int k = 0; k < (bayer ? 200 : 6); ++k) {
    sample.emplace_back(k % 3 == 0 ? Pick(random, 0, 3) : Pick(random, 0, side - 1),
                        k % 4 == 0 ? Pick(random, side - 4, side - 1) : Pick(random, 0, side - 1));
  }
  std::vector<bool> expected;
  for (const auto& [x, y] : sample) expected.push_back(reference::Marks(p.Setup, GetParam().Kind, x, y));
  sensor::test::ForEachVectorSet([&] {
    p.ClearMap();
    GetParam().Search(p.Setup);
    for (std::size_t k = 0; k < sample.size(); ++k) {
      ASSERT_EQ(p.Marked(sample[k].first, sample[k].second), expected[k])
          << sample[k].first << "," << sample[k].second;
    }
  });
}

INSTANTIATE_TEST_SUITE_P(
    AllSearches, FastSearchTest,
    ::testing::Values(SearchCase{"GlobalBayer", GlobalBayerSearch, true, reference::Kind::GlobalBayer},
                      SearchCase{"LocalBayer", LocalBayerSearch, true, reference::Kind::LocalBayer},
                      SearchCase{"GlobalColour", GlobalColourSearch, false, reference::Kind::GlobalColour},
                      SearchCase{"LocalColour", LocalColourSearch, false, reference::Kind::LocalColour}),
    [](const ::testing::TestParamInfo<SearchCase>& test) { return std::string(test.param.Name); });

}  // namespace
}  // namespace sensor::glazet::test
