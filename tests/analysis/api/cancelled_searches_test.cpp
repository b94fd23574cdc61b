// A call cancelled before its searches begin: each search stops at its first
// row on every thread and reports nothing (what the analysers turn into a
// "cancelled" status), while the same search without the flag finds the
// picture's candidates.
#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "common/parallel_rows.h"
#include "glazet/core/pipeline.h"
#include "test_image.h"
#include "waferon/core/pipeline.h"

namespace sensor {
namespace {

using namespace SensorDefectDetectionClass;

TEST(CancelledSearches, StopAtTheirFirstRowOnEveryThread) {
  test::TestImage image(700, 600, 32);
  image.FillBgr(100, 100, 100);
  std::mt19937 random(5);
  for (int i = 0; i < 2000; ++i) image.SetBgr(static_cast<int>(random() % 700), static_cast<int>(random() % 600), 0, 250, 0);
  _PARAMS_Waferon wp{};
  wp.BayerMode = 0;
  wp.LocalSearch = 1;
  wp.HammerSize = 5;
  for (int c = 0; c < 5; ++c) {
    wp.CenterPixelThreshold[c] = wp.SidePixelThreshold[c] = 50;
    wp.CenterClusterThreshold[c] = wp.SideClusterThreshold[c] = 50;
  }
  _PARAMS_Glazet gp{};
  gp.BayerMode = false;
  gp.ColorPlane = 1;
  gp.RoiRight = gp.RoiBottom = 1.0;
  gp.LocalSearch = true;
  gp.HammerSmall = 1;
  gp.HammerLarge = 5;
  gp.DefectThreshold = 5;
  for (const bool cancelled : {false, true}) {
    for (const int threads : {1, 3}) {
      SCOPED_TRACE(std::string(cancelled ? "cancelled" : "running") + ", threads " + std::to_string(threads));
      const std::atomic<bool> flag{cancelled};
      const CallScope scope({threads, &flag});
      waferon::WorkingState ws;
      ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), ws.Binding), S_OK);
      const waferon::RunOutcome w = waferon::Analyse(ws, wp, {true, true, true, true, true});
      EXPECT_EQ(w.Stopped, cancelled) << ws.Candidates.Size();
      EXPECT_EQ(ws.Candidates.Size() == 0, cancelled) << ws.Candidates.Size();
      glazet::WorkingState gs;
      gs.CandidateLimit = 65535;
      ASSERT_EQ(BindBitmap(image.Header(), image.Pixels(), gs.Binding), S_OK);
      const glazet::RunOutcome g = glazet::Analyse(gs, gp);
      EXPECT_EQ(g.Code, cancelled ? E_ABORT : S_OK);
      EXPECT_EQ(g.Candidates == 0, cancelled) << g.Candidates;
      EXPECT_EQ(g.Counted, !cancelled);
    }
  }
}

}  // namespace
}  // namespace sensor
