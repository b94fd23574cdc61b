// The candidate limit: 65,536 candidates complete a search, the 65,537th stops
// it; the limit counts every candidate since Clean.
#include <gtest/gtest.h>

#include "waferon/station/module_state.h"
#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

struct Outcome {
  std::int32_t Code;
  std::string Printed;
  _RESULT_Waferon Result;
};

// A colour picture whose every pixel is a candidate (all thresholds below 0).
Outcome RunAllCandidates(Session& s, sensor::test::TestImage& image) {
  EXPECT_EQ(s.Bind(image), S_OK);
  Outcome o;
  o.Result = _RESULT_Waferon{};
  testing::internal::CaptureStdout();
  o.Code = s.Run(ColourParams(s, -1.0), o.Result);
  o.Printed = testing::internal::GetCapturedStdout();
  return o;
}

TEST(WaferonCandidateLimit, SixtyFiveThousandFiveHundredThirtySixCandidatesComplete) {
  Session s;
  sensor::test::TestImage image(256, 256);
  const Outcome o = RunAllCandidates(s, image);
  EXPECT_EQ(o.Code, S_OK);
  EXPECT_EQ(o.Printed, "\nsensor defects : possible 65536\n");
  EXPECT_EQ(State().Candidates.Size(), 65536u);
  EXPECT_EQ(o.Result.CenterClusters, 1);  // one flat field, one cluster
}

TEST(WaferonCandidateLimit, TheNextCandidateStopsTheSearchWithoutCounting) {
  Session s;
  ASSERT_EQ(s.library.set_TableSize(4), S_OK);
  sensor::test::TestImage image(256, 257);
  image.FillBgr(5, 5, 5);
  const Outcome o = RunAllCandidates(s, image);
  EXPECT_EQ(o.Code, E_ABORT);
  EXPECT_EQ(o.Printed, "");
  EXPECT_EQ(State().Candidates.Size(), 65536u);
  // Results as Open left them: nothing was counted.
  EXPECT_EQ(o.Result.CenterClusters + o.Result.CenterPixels + o.Result.SideClusters +
                o.Result.SidePixels,
            0);
  // Pixels scanned before the stop were offered to the table.
  std::int32_t x = -9, y = -9;
  EXPECT_EQ(s.library.get_SingleDefect(3, &x, &y, nullptr), S_OK);
  EXPECT_GE(x, 0);
}

TEST(WaferonCandidateLimit, TheLimitCountsTheCandidatesOfEarlierRuns) {
  Session s;
  sensor::test::TestImage image(256, 128);
  EXPECT_EQ(RunAllCandidates(s, image).Code, S_OK);
  const Outcome second = RunAllCandidates(s, image);
  EXPECT_EQ(second.Code, S_OK);
  EXPECT_EQ(second.Printed, "\nsensor defects : possible 65536\n");
  EXPECT_EQ(RunAllCandidates(s, image).Code, E_ABORT);
  s.library.Clean();
  s.library.Open(0);
  EXPECT_EQ(RunAllCandidates(s, image).Code, S_OK);
}

}  // namespace
}  // namespace sensor::waferon::test
