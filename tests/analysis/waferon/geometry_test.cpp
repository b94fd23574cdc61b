// The search region, the centre zone, the zones, and the refusal of margins
// and windows that would reach outside the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "waferon/core/geometry.h"
#include "waferon/station/module_state.h"
#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

_PARAMS_Waferon Record(double left, double top, double right, double bottom, int margin) {
  _PARAMS_Waferon p{};
  p.OutlierLeft = p.OutlierTop = p.OutlierRight = p.OutlierBottom = margin;
  p.CenterLeft = left;
  p.CenterTop = top;
  p.CenterRight = right;
  p.CenterBottom = bottom;
  return p;
}

TEST(WaferonGeometry, MarginsAndFractionsPlaceTheRegionAndTheCentreZone) {
  const Geometry g = PlaceGeometry(640, 480, Record(0.25, 0.25, 0.75, 0.75, 2));
  EXPECT_EQ(g.SearchRegion.Left, 2);
  EXPECT_EQ(g.SearchRegion.Right, 637);
  EXPECT_EQ(g.SearchRegion.Top, 2);
  EXPECT_EQ(g.SearchRegion.Bottom, 477);
  EXPECT_EQ(g.CenterZone.Left, 160);
  EXPECT_EQ(g.CenterZone.Right, 480);
  EXPECT_EQ(g.CenterZone.Top, 120);
  EXPECT_EQ(g.CenterZone.Bottom, 360);

  const Geometry whole = PlaceGeometry(640, 480, Record(0.0, 0.0, 1.0, 1.0, 0));
  EXPECT_EQ(whole.CenterZone.Right, 639);  // clamped from 640
  EXPECT_EQ(whole.CenterZone.Bottom, 479);
}

TEST(WaferonGeometry, FractionProductsAreCutTowardZeroAndNeverUndefined) {
  EXPECT_EQ(TruncatedProduct(640, 0.999), 639);
  EXPECT_EQ(TruncatedProduct(640, -0.001), 0);  // -0.64 cut toward zero
  EXPECT_EQ(TruncatedProduct(640, -1.0), -640);
  EXPECT_EQ(TruncatedProduct(640, std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TruncatedProduct(640, 1e300), INT32_MAX);
  EXPECT_EQ(TruncatedProduct(640, -std::numeric_limits<double>::infinity()), INT32_MIN);
  // Left and Top are not clamped; Right and Bottom stay inside the picture.
  const Geometry g = PlaceGeometry(100, 50, Record(-0.5, 2.0, 1e300, 0.5, 0));
  EXPECT_EQ(g.CenterZone.Left, -50);
  EXPECT_EQ(g.CenterZone.Top, 100);
  EXPECT_EQ(g.CenterZone.Right, 99);
  EXPECT_EQ(g.CenterZone.Bottom, 25);
}

TEST(WaferonGeometry, APositionIsCentreInTheZoneSideElsewhereInTheRegionElseNowhere) {
  Geometry g;
  g.SearchRegion = Rect{2, 2, 20, 20};
  g.CenterZone = Rect{0, 0, 5, 5};  // reaches past the region
  EXPECT_EQ(ZoneOf(g, 1, 1), Zone::Centre);
  EXPECT_EQ(ZoneOf(g, 5, 5), Zone::Centre);
  EXPECT_EQ(ZoneOf(g, 6, 5), Zone::Side);
  EXPECT_EQ(ZoneOf(g, 20, 20), Zone::Side);
  EXPECT_EQ(ZoneOf(g, 21, 20), Zone::None);
}

TEST(WaferonGeometry, NegativeMarginsOrANegativeLocalWindowAreRefusedBeforeAnyScan) {
  Session s;
  sensor::test::TestImage image(8, 8);
  image.FillBgr(10, 10, 10);
  ASSERT_EQ(s.Bind(image), S_OK);
  _RESULT_Waferon result{3, 3, 3, 3};
  std::int32_t _PARAMS_Waferon::*const margins[] = {
      &_PARAMS_Waferon::OutlierLeft, &_PARAMS_Waferon::OutlierTop, &_PARAMS_Waferon::OutlierRight,
      &_PARAMS_Waferon::OutlierBottom};
  for (auto margin : margins) {
    _PARAMS_Waferon p = ColourParams(s, -1.0);  // every pixel would be a candidate
    p.*margin = -1;
    EXPECT_EQ(s.Run(p, result), E_INVALIDARG);
  }
  _PARAMS_Waferon p = BayerParams(s, -1.0);
  p.LocalSearch = 1;
  p.HammerSize = -2;
  s.library.ActiveSensorBpp = s.library.ActiveTestBpp = 0;
  EXPECT_EQ(s.Run(p, result), E_INVALIDARG);
  // The refusal comes where the window size is taken, after the bit depths.
  EXPECT_EQ(s.library.ActiveSensorBpp, 8);
  EXPECT_EQ(s.library.ActiveTestBpp, 8);
  EXPECT_EQ(result.CenterClusters, 3);
  EXPECT_EQ(State().Candidates.Size(), 0u);
  _PARAMS_Waferon back;
  s.library.get_ParameterSet(back);
  EXPECT_EQ(back.HammerSize, -2);

  p.LocalSearch = 0;  // the window size is not used by a global search
  EXPECT_EQ(s.Run(p, result), S_OK);
}

TEST(WaferonGeometry, MarginsThatLeaveNoColumnScanNothing) {
  Session s;
  sensor::test::TestImage image(8, 8);
  image.FillBgr(10, 10, 10);
  ASSERT_EQ(s.Bind(image), S_OK);
  _PARAMS_Waferon p = ColourParams(s, -1.0);
  p.OutlierLeft = 5;
  p.OutlierRight = 5;
  _RESULT_Waferon result{3, 3, 3, 3};
  EXPECT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(result.CenterClusters + result.CenterPixels + result.SideClusters + result.SidePixels, 0);
  double r = -1;
  s.library.get_Ostrel(&r, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(State().Candidates.Size(), 0u);
}

}  // namespace
}  // namespace sensor::waferon::test
