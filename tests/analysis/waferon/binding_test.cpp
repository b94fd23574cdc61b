// What binding means for the chip library: codes, the binding kept across
// refusals and Close, and both row orders addressed alike.
#include <gtest/gtest.h>

#include "waferon/station/module_state.h"
#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

double RedLevel(Session& s) {
  double r = -1;
  s.library.get_Ostrel(&r, nullptr, nullptr, nullptr, nullptr);
  return r;
}

TEST(WaferonBinding, RefusedHeadersKeepThePreviousBinding) {
  Session s;
  sensor::test::TestImage good(4, 3);
  good.FillBgr(0, 0, 40);
  ASSERT_EQ(s.Bind(good), S_OK);

  sensor::test::TestImage eightBit(4, 3);
  eightBit.SetHeaderBitCount(8);
  sensor::test::TestImage noRows(4, 3);
  noRows.SetHeaderHeight(0);
  sensor::test::TestImage noColumns(4, 3);
  noColumns.SetHeaderWidth(-4);
  sensor::test::TestImage shortRows(4, 3);
  shortRows.SetHeaderSizeImage(3 * 8);  // 8 bytes a row for 12 bytes of pixels
  for (auto* bad : {&eightBit, &noRows, &noColumns, &shortRows}) {
    bad->FillBgr(0, 0, 99);
    EXPECT_EQ(s.Bind(*bad), E_INVALIDARG);
  }
  EXPECT_EQ(s.library.BindImage(nullptr, good.Pixels()), E_INVALIDARG);

  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(ColourParams(s, 100.0), result), S_OK);
  EXPECT_EQ(RedLevel(s), 40.0);
}

TEST(WaferonBinding, TheBindingOutlivesCloseAndServesTheNextOpening) {
  sensor::test::TestImage image(2, 2);
  image.FillBgr(0, 0, 77);
  {
    Session s;
    ASSERT_EQ(s.Bind(image), S_OK);
  }
  Session s;
  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(ColourParams(s, 100.0), result), S_OK);
  EXPECT_EQ(RedLevel(s), 77.0);
}

TEST(WaferonBinding, BothRowOrdersFindTheSameDefectAtTheSamePicturePosition) {
  for (bool topDown : {false, true}) {
    Session s;
    sensor::test::TestImage image(5, 4, 24, topDown);
    image.FillBgr(50, 50, 50);
    image.SetBgr(3, 1, 50, 50, 250);
    ASSERT_EQ(s.Bind(image), S_OK);
    ASSERT_EQ(s.library.set_TableSize(1), S_OK);
    _RESULT_Waferon result{};
    ASSERT_EQ(s.Run(ColourParams(s, 100.0), result), S_OK);
    std::int32_t x = 0, y = 0;
    double score = 0;
    ASSERT_EQ(s.library.get_SingleDefect(0, &x, &y, &score), S_OK);
    EXPECT_EQ(x, 3) << "top down " << topDown;
    EXPECT_EQ(y, 1) << "top down " << topDown;
    EXPECT_EQ(result.CenterPixels, 1);
  }
}

TEST(WaferonBinding, WithoutAnImageAnExecuteScansNothing) {
  Session s;
  State().Binding = ImageBinding{};  // as in a process that never bound one
  _RESULT_Waferon result{5, 5, 5, 5};
  _PARAMS_Waferon p = BayerParams(s, -1.0);
  EXPECT_EQ(s.Run(p, result), S_OK);
  EXPECT_EQ(result.CenterClusters + result.CenterPixels + result.SideClusters + result.SidePixels, 0);
  p.SensorBpp = 9;
  EXPECT_EQ(s.Run(p, result), E_INVALIDARG);
  p.BayerMode = 0;
  p.LocalSearch = 1;
  EXPECT_EQ(s.Run(p, result), S_OK);
}

}  // namespace
}  // namespace sensor::waferon::test
