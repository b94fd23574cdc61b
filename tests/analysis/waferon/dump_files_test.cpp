// The three dump files beside the running program (here the test executable),
// their names and their exact text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "common/output_folder.h"
#include "common/parallel_rows.h"
#include "waferon/station/dump_files.h"
#include "waferon_session.h"

namespace sensor::waferon::test {
namespace {

std::string Beside(const std::string& name) { return ExecutableDirectory() + name; }

void Remove(const std::string& name) { std::remove(Beside(name).c_str()); }

std::string RunQuietly(Session& s, const _PARAMS_Waferon& p) {
  _RESULT_Waferon result{};
  testing::internal::CaptureStdout();
  EXPECT_EQ(s.Run(p, result), S_OK);
  return testing::internal::GetCapturedStdout();
}

TEST(WaferonDumps, ABayerRunListsCandidatesAndBothSortedTablesWithColourNames) {
  Session s;
  ASSERT_EQ(s.library.set_TableSize(3), S_OK);
  sensor::test::TestImage image(8, 14);
  image.FillSample(100, 8);
  image.SetSample(5, 12, 140, 8);  // R (odd column, even row)
  image.SetSample(2, 3, 60, 8);    // B
  image.SetSample(4, 3, 61, 8);    // B, two columns on: a Bayer neighbour
  ASSERT_EQ(s.Bind(image), S_OK);
  Remove("DefectsDump.csv");
  _PARAMS_Waferon p = BayerParams(s, 20.0);
  RunQuietly(s, p);

  // Levels over 28 sites each: B (26 x 100 + 60 + 61) / 28 = 97.18, R
  // (27 x 100 + 140) / 28 = 101.43; deviations 37.18, 36.18 and 38.57.
  EXPECT_EQ(ReadFile(Beside("DefectsDump.csv")),
            "color,x,y,score\nB,2,3,37.18\nB,4,3,36.18\nR,5,12,38.57\n");
  EXPECT_EQ(ReadFile(Beside("Worst3Pixels.csv")), "R,  5, 12,38.57\nB,  2,  3,37.18\nB,  4,  3,36.18\n");
  EXPECT_EQ(ReadFile(Beside("AllClusters.csv")), "B,  2,  3,37.18\n");
}

TEST(WaferonDumps, AColourRunWritesPositionsAndScoresOnly) {
  Session s;
  ASSERT_EQ(s.library.set_TableSize(10), S_OK);
  sensor::test::TestImage image(6, 13);
  image.FillBgr(50, 50, 50);
  image.SetBgr(5, 12, 50, 50, 100);
  ASSERT_EQ(s.Bind(image), S_OK);
  RunQuietly(s, ColourParams(s, 20.0));
  // Level of red: (77 x 50 + 100) / 78; deviation 49.36 at (5, 12).
  EXPECT_EQ(ReadFile(Beside("DefectsDump.csv")), "color,x,y,score\n5,12,49.36\n");
  const std::string worst = ReadFile(Beside("Worst10Pixels.csv"));
  EXPECT_EQ(worst.substr(0, 15), "  5, 12,49.36\n ");
  EXPECT_EQ(std::count(worst.begin(), worst.end(), '\n'), 10);
  EXPECT_EQ(ReadFile(Beside("AllClusters.csv")), "");  // no cluster: an empty file
}

TEST(WaferonDumps, WithoutCandidatesTheOldListStaysAndWithoutTablesNoTableIsWritten) {
  Session s;
  sensor::test::TestImage image(4, 4);
  image.FillBgr(50, 50, 50);
  ASSERT_EQ(s.Bind(image), S_OK);
  {
    std::ofstream old(Beside("DefectsDump.csv"));
    old << "from an earlier run\n";
  }
  Remove("Worst64Pixels.csv");
  Remove("Worst0Pixels.csv");
  Remove("AllClusters.csv");
  RunQuietly(s, ColourParams(s, 20.0));  // no table size set: no tables
  EXPECT_EQ(ReadFile(Beside("DefectsDump.csv")), "from an earlier run\n");
  EXPECT_EQ(ReadFile(Beside("Worst64Pixels.csv")), "<missing>");
  EXPECT_EQ(ReadFile(Beside("AllClusters.csv")), "<missing>");

  ASSERT_EQ(s.library.set_TableSize(0), S_OK);
  RunQuietly(s, ColourParams(s, 20.0));
  EXPECT_EQ(ReadFile(Beside("Worst0Pixels.csv")), "<missing>");
}

// Also when the lines are formatted in parts on several threads: the parts'
// texts follow each other in list order.
TEST(WaferonDumps, LongListsAreWrittenWholeAcrossTheOutputBuffer) {
  std::vector<DefectRecord> list;
  std::string expected = "color,x,y,score\n";
  for (std::int32_t i = 0; i < 20000; ++i) {
    const DefectRecord r{i % 4000, i / 4000, i * 0.125, i % 5, 0};
    list.push_back(r);
    static const char* names[] = {"R", "G", "B", "G1", "G2"};
    char line[64];
    std::snprintf(line, sizeof line, "%s,%d,%d,%.2f\n", names[i % 5], r.X, r.Y, r.Score);
    expected += line;
  }
  const std::string path = Beside("LongDump.csv");
  EXPECT_GT(expected.size(), 3u * 65536u);
  for (int threads : {1, 3, 64}) {
    SetAnalysisThreads(threads, true);
    WriteCandidateDump(path, list, true);
    SetAnalysisThreads(0);
    EXPECT_EQ(ReadFile(path), expected) << threads << " threads";
  }
  std::remove(path.c_str());
}

TEST(WaferonDumps, AFileThatCannotBeCreatedIsSkipped) {
  const std::vector<DefectRecord> list{{1, 1, 1.0, 0, 0}};
  WriteCandidateDump(Beside("no-such-directory/DefectsDump.csv"), list, false);
  EXPECT_EQ(ReadFile(Beside("no-such-directory/DefectsDump.csv")), "<missing>");
  EXPECT_EQ(WorstPixelsFileName(64), "Worst64Pixels.csv");
  EXPECT_EQ(WorstPixelsFileName(-3), "Worst-3Pixels.csv");
}

}  // namespace
}  // namespace sensor::waferon::test
