// Lifecycle of the exported class: result codes while closed, the defaults of
// Open, the table size and the table readers.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "waferon/station/module_state.h"
#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

TEST(WaferonLifecycle, EveryMemberButOpenCloseAndCleanAbortsWhileClosed) {
  Waferon library;
  library.Close();
  library.Params.HammerSize = 77;
  _PARAMS_Waferon params{};
  _RESULT_Waferon result{1, 2, 3, 4};
  std::int32_t x = 5, y = 6, reserved = 7;
  double score = 8.0, r = 0, g = 0, b = 0, g1 = 0, g2 = 0;
  sensor::test::TestImage image(4, 4);

  EXPECT_EQ(library.get_ParameterSet(params), E_ABORT);
  EXPECT_EQ(library.set_TableSize(64), E_ABORT);
  EXPECT_EQ(library.get_SingleDefect(0, &x, &y, &score), E_ABORT);
  EXPECT_EQ(library.get_Cluster(0, &x, &y, &score, &reserved), E_ABORT);
  EXPECT_EQ(library.get_Ostrel(&r, &g, &b, &g1, &g2), E_ABORT);
  EXPECT_EQ(library.BindImage(image.Header(), image.Pixels()), E_ABORT);
  EXPECT_EQ(library.Execute(result, params, 1, 1, 1, 1, 1), E_ABORT);
  WaferonFindings findings{};
  EXPECT_EQ(library.get_Findings(findings), E_ABORT);
  // Nothing changed: the record in force and the caller's outputs.
  EXPECT_EQ(library.Params.HammerSize, 77);
  EXPECT_EQ(result.CenterClusters, 1);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(library.Close(), S_OK);
  EXPECT_EQ(library.Clean(), S_OK);
}

TEST(WaferonLifecycle, OpenSetsTheDefaultRecord) {
  Session s;
  const _PARAMS_Waferon p = s.Defaults();
  EXPECT_EQ(p.BayerMode, 1);
  EXPECT_EQ(p.CountPixels, 1);
  EXPECT_EQ(p.FindClusters, 1);
  EXPECT_EQ(p.ClusterSize, 2);
  EXPECT_EQ(p.HammerSize, 11);
  EXPECT_EQ(p.CenterLeft, 0.0);
  EXPECT_EQ(p.CenterTop, 0.0);
  EXPECT_EQ(p.CenterRight, 1.0);
  EXPECT_EQ(p.CenterBottom, 1.0);
  EXPECT_EQ(p.SensorBpp, 0);
  EXPECT_EQ(p.TestBpp, 0);
  EXPECT_EQ(p.OutlierLeft + p.OutlierTop + p.OutlierRight + p.OutlierBottom, 0);
  EXPECT_EQ(p.LocalSearch, 0);
  EXPECT_EQ(p.ThresholdPercent, 0);
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(p.CenterClusterThreshold[c] + p.SideClusterThreshold[c] + p.CenterPixelThreshold[c] +
                  p.SidePixelThreshold[c],
              0.0);
  }
  EXPECT_EQ(s.library.Results.CenterClusters + s.library.Results.SidePixels, 0);
}

TEST(WaferonLifecycle, TablesExistOnlyAfterSetTableSizeAndAreReadWithinTheirSize) {
  Session s;
  std::int32_t x = 0, y = 0, reserved = 9;
  double score = 1.0;
  EXPECT_EQ(s.library.get_SingleDefect(0, &x, &y, &score), E_INVALIDARG);
  EXPECT_EQ(s.library.get_Cluster(0, &x, &y, &score, &reserved), E_INVALIDARG);

  ASSERT_EQ(s.library.set_TableSize(64), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(0, &x, &y, &score), S_OK);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(score, 0.0);
  EXPECT_EQ(s.library.get_SingleDefect(63, &x, &y, &score), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(64, &x, &y, &score), E_INVALIDARG);
  EXPECT_EQ(s.library.get_SingleDefect(-1, &x, &y, &score), E_INVALIDARG);
  EXPECT_EQ(s.library.get_Cluster(63, &x, &y, &score, &reserved), S_OK);
  EXPECT_EQ(reserved, 0);  // entries start with a Reserved word of 0
  EXPECT_EQ(s.library.get_Cluster(64, &x, &y, &score, &reserved), E_INVALIDARG);
}

TEST(WaferonLifecycle, TableSizeZeroOrNegativeLeavesNoTables) {
  Session s;
  std::int32_t x = 0, y = 0;
  double score = 0;
  for (std::int32_t size : {0, -5}) {
    ASSERT_EQ(s.library.set_TableSize(64), S_OK);
    EXPECT_EQ(s.library.set_TableSize(size), S_OK);
    EXPECT_EQ(s.library.get_SingleDefect(0, &x, &y, &score), E_INVALIDARG);
  }
  sensor::test::TestImage image(3, 3);
  image.SetBgr(1, 1, 200, 200, 200);
  ASSERT_EQ(s.Bind(image), S_OK);
  _RESULT_Waferon result{};
  EXPECT_EQ(s.Run(ColourParams(s, 1.0), result), S_OK);
  EXPECT_EQ(State().WorstPixels, nullptr);
  EXPECT_EQ(s.library.get_Cluster(0, &x, &y, &score, nullptr), E_INVALIDARG);
}

TEST(WaferonLifecycle, ANewTableSizeReplacesTheTablesAndOpenForgetsThem) {
  Session s;
  std::int32_t x = 0, y = 0;
  double score = 0;
  ASSERT_EQ(s.library.set_TableSize(64), S_OK);
  ASSERT_EQ(s.library.set_TableSize(10), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(9, &x, &y, &score), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(10, &x, &y, &score), E_INVALIDARG);
  EXPECT_EQ(State().WorstPixels->Size(), 10);

  ASSERT_EQ(s.library.Open(0), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(0, &x, &y, &score), E_INVALIDARG);
  EXPECT_EQ(State().TableSize, 64);
}

TEST(WaferonLifecycle, CleanClosesTheLibraryAndCloseWhileClosedSucceeds) {
  Session s;
  double level = 0;
  EXPECT_EQ(s.library.get_Ostrel(&level, &level, &level, &level, &level), S_OK);
  EXPECT_EQ(s.library.Clean(), S_OK);
  EXPECT_EQ(s.library.get_Ostrel(&level, &level, &level, &level, &level), E_ABORT);
  EXPECT_EQ(s.library.Close(), S_OK);
  EXPECT_EQ(s.library.Close(), S_OK);
}

TEST(WaferonLifecycle, ReadersSkipOutputsTheHostLeftOut) {
  Session s;
  ASSERT_EQ(s.library.set_TableSize(4), S_OK);
  double r = -1;
  EXPECT_EQ(s.library.get_Ostrel(&r, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(s.library.get_SingleDefect(0, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(s.library.get_Cluster(0, nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST(WaferonLifecycle, ExecuteKeepsTheRecordEvenWhenItRefusesIt) {
  Session s;
  _PARAMS_Waferon p = s.Defaults();
  p.SensorBpp = 10;
  p.TestBpp = 12;  // above the sensor depth
  p.HammerSize = 5;
  _RESULT_Waferon result{7, 7, 7, 7};
  EXPECT_EQ(s.Run(p, result), E_INVALIDARG);
  EXPECT_EQ(result.CenterClusters, 7);
  _PARAMS_Waferon back;
  ASSERT_EQ(s.library.get_ParameterSet(back), S_OK);
  EXPECT_EQ(back.HammerSize, 5);
  EXPECT_EQ(back.TestBpp, 12);
}

TEST(WaferonLifecycle, OpenKeepsTheListsAndTheLevels) {
  Session s;
  sensor::test::TestImage image(4, 4);
  image.FillBgr(10, 20, 30);
  image.SetBgr(2, 2, 200, 200, 200);
  ASSERT_EQ(s.Bind(image), S_OK);
  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(ColourParams(s, 50.0), result), S_OK);
  ASSERT_EQ(State().Candidates.Size(), 1u);

  ASSERT_EQ(s.library.Open(0), S_OK);
  EXPECT_EQ(State().Candidates.Size(), 1u);
  double r = 0, g = 0, b = 0;
  ASSERT_EQ(s.library.get_Ostrel(&r, &g, &b, nullptr, nullptr), S_OK);
  EXPECT_EQ(r, (15 * 30 + 200) / 16.0);
  EXPECT_EQ(b, (15 * 10 + 200) / 16.0);
  s.library.Clean();
  EXPECT_EQ(State().Candidates.Size(), 0u);
}

TEST(WaferonLifecycle, FindingsAreEmptyAfterOpenThenTheLastRunsListsAndCounts) {
  Session s;
  WaferonFindings f{};
  ASSERT_EQ(s.library.get_Findings(f), S_OK);
  EXPECT_EQ(f.Ran, 0);
  EXPECT_EQ(f.CandidateCount, 0);

  // A cluster of two bright pixels and one alone, on a 9 x 7 colour picture.
  sensor::test::TestImage image(9, 7);
  image.FillBgr(10, 20, 30);
  for (const auto& [x, y] : {std::pair{2, 2}, std::pair{3, 2}, std::pair{6, 5}}) image.SetBgr(x, y, 200, 200, 200);
  ASSERT_EQ(s.Bind(image), S_OK);
  ASSERT_EQ(s.library.set_TableSize(8), S_OK);
  _PARAMS_Waferon p = ColourParams(s, 50.0);
  p.OutlierLeft = 1;
  _RESULT_Waferon result{};
  ASSERT_EQ(s.Run(p, result), S_OK);
  ASSERT_EQ(s.library.get_Findings(f), S_OK);
  EXPECT_EQ(f.Ran, 1);
  EXPECT_EQ(f.Finished, 1);
  EXPECT_EQ(f.Width, 9);
  EXPECT_EQ(f.SearchRegion.Left, 1);
  EXPECT_EQ(f.SearchRegion.Right, 8);
  EXPECT_EQ(static_cast<std::size_t>(f.CandidateCount), State().Candidates.Size());
  ASSERT_EQ(f.ClusterCount, result.CenterClusters + result.SideClusters);
  ASSERT_EQ(f.ClusterCount, 1);
  EXPECT_EQ(f.Clusters[0].Members, 2);
  EXPECT_EQ(f.Counts.CenterPixels + f.Counts.SidePixels, result.CenterPixels + result.SidePixels);
  ASSERT_GT(f.WorstPixelCount, 0);
  ASSERT_LE(f.WorstPixelCount, 8);
  std::int32_t x = -1, y = -1;
  double score = 0;
  for (short i = 0; i < f.WorstPixelCount; ++i) {
    ASSERT_EQ(s.library.get_SingleDefect(i, &x, &y, &score), S_OK);
    EXPECT_EQ(f.WorstPixels[i].X, x);
    EXPECT_EQ(f.WorstPixels[i].Score, score);
  }
  if (f.WorstPixelCount < 8) {
    ASSERT_EQ(s.library.get_SingleDefect(static_cast<short>(f.WorstPixelCount), &x, &y, &score), S_OK);
    EXPECT_LT(x, 0) << "only the empty entries are left out";
  }
}

// Memory and swap of the machine in KiB, from /proc/meminfo.
long long MemoryAndSwapKiB() {
  std::ifstream info("/proc/meminfo");
  std::string key;
  long long value = 0, total = 0;
  std::string unit;
  while (info >> key >> value >> unit) {
    if (key == "MemTotal:" || key == "SwapTotal:") total += value;
  }
  return total;
}

// A table too large for the machine (two of 2^31 entries of 24 bytes): with
// the kernel's default heuristic a request beyond all memory fails at once,
// and the library says so.
TEST(WaferonLifecycle, ATableThatCannotBeAllocatedIsReportedAndLeavesNoTables) {
  std::ifstream mode("/proc/sys/vm/overcommit_memory");
  std::string value;
  if (!(mode >> value) || value != "0") GTEST_SKIP() << "memory overcommit mode " << value;
  const long long total = MemoryAndSwapKiB();
  if (total == 0 || total > 40LL * 1024 * 1024) GTEST_SKIP() << "the table might fit";
  Session s;
  ASSERT_EQ(s.library.set_TableSize(64), S_OK);
  EXPECT_EQ(s.library.set_TableSize(INT32_MAX), E_OUTOFMEMORY);
  std::int32_t x = 0;
  EXPECT_EQ(s.library.get_SingleDefect(0, &x, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(s.library.get_Cluster(0, &x, nullptr, nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace sensor::waferon::test
