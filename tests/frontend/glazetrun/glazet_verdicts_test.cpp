#include "frontend/glazetrun/glazet_verdicts.h"

#include <gtest/gtest.h>

#include "verdict_setup.h"

namespace sensor::glazetrun {
namespace {

using namespace SensorDefectDetectionClass;

TEST(GlazetrunLabels, AZoneSelectsACountOnlyWithTheWordCluster) {
  EXPECT_EQ(GlazetEntryFor("cluster(center)"), kClustersCenter);
  EXPECT_EQ(GlazetEntryFor("CLUSTER(Side)"), kClustersSide);
  EXPECT_EQ(GlazetEntryFor("Cluster (TOTAL)"), kClustersTotal);
  EXPECT_EQ(GlazetEntryFor("(total) of the package clusters"), kClustersTotal);
  EXPECT_EQ(GlazetEntryFor("defects(total)"), std::nullopt);
  EXPECT_EQ(GlazetEntryFor("pixel(center)"), std::nullopt);
}

TEST(GlazetrunLabels, AColourSelectsItsLevelWhateverElseTheLabelSays) {
  EXPECT_EQ(GlazetEntryFor("level(r)"), kLevelR);
  EXPECT_EQ(GlazetEntryFor("(G)"), kLevelG);
  EXPECT_EQ(GlazetEntryFor("brightness(b)"), kLevelB);
  EXPECT_EQ(GlazetEntryFor("G1 level (g1)"), kLevelG1);
  EXPECT_EQ(GlazetEntryFor("level(G2)"), kLevelG2);
  EXPECT_EQ(GlazetEntryFor("cluster(r)"), kLevelR);
}

TEST(GlazetrunLabels, TheFirstMarkOfTheSearchOrderDecides) {
  EXPECT_EQ(GlazetEntryFor("level(r) cluster(total)"), kClustersTotal);
  EXPECT_EQ(GlazetEntryFor("level(r)(total)"), std::nullopt);  // a zone without "cluster"
  EXPECT_EQ(GlazetEntryFor("(g2)(b)"), kLevelB);
}

TEST(GlazetrunLabels, ALabelWithoutAnyMarkIsRefused) {
  EXPECT_EQ(GlazetEntryFor("brightness"), std::nullopt);
  EXPECT_EQ(GlazetEntryFor("cluster"), std::nullopt);
  EXPECT_EQ(GlazetEntryFor("level r"), std::nullopt);
}

bool ReadLimits(const std::string& contents, frontend::VerdictTable& table) {
  return test::ReadLimitsText(contents, GlazetLimitsRules(), table);
}

constexpr const char* kClusterSection =
    "[CLUSTER]\n"
    "Header=cluster(center),cluster(side),Cluster(TOTAL)\n"
    "Unit=count,count,count\n"
    "HighLimit=0,0,2\n"
    "LowLimit=0,0,0\n";
constexpr const char* kBrightnessSection =
    "[BRIGHTNESS]\n"
    "Header=level(r),level(g),level(b),level(g1),level(g2)\n"
    "Unit=LSB,LSB,LSB,LSB,LSB\n"
    "HighLimit=650,0,550.9,850,850\n"
    "LowLimit=550,0,450,750,-5\n";

TEST(GlazetrunLimits, BothSectionsAreRequired) {
  frontend::VerdictTable table = GlazetVerdicts();
  EXPECT_FALSE(ReadLimits(kClusterSection, table));
  EXPECT_FALSE(ReadLimits(kBrightnessSection, table));
  EXPECT_FALSE(ReadLimits(std::string(kClusterSection) + "[PIXEL]\n" +
                              "Header=cluster(side)\nUnit=a\nHighLimit=1\nLowLimit=0\n",
                          table));
  EXPECT_TRUE(ReadLimits(std::string(kClusterSection) + kBrightnessSection, table));
}

TEST(GlazetrunLimits, EachColumnSetsItsEntryWithTheLabelAsWritten) {
  frontend::VerdictTable table = GlazetVerdicts();
  ASSERT_TRUE(ReadLimits(std::string("; package limits\r\n") + kBrightnessSection + "\n" +
                             kClusterSection,
                         table));
  EXPECT_EQ(table[kClustersTotal].Label, "Cluster(TOTAL)");
  EXPECT_EQ(table[kClustersTotal].High, 2);
  EXPECT_EQ(table[kLevelB].Label, "level(b)");
  EXPECT_EQ(table[kLevelB].High, 550);  // limits are whole numbers
  EXPECT_EQ(table[kLevelB].Low, 450);
  EXPECT_EQ(table[kLevelG2].Low, -5);
}

TEST(GlazetrunLimits, AColumnIsAssignedByItsLabelNotItsSection) {
  frontend::VerdictTable table = GlazetVerdicts();
  ASSERT_TRUE(ReadLimits(
      "[cluster]\nHeader=level(g1)\nUnit=u\nHighLimit=9\nLowLimit=1\n"
      "[brightness] limits\nHeaders=cluster(total),level(g1)\nUnit=u,u\nHighLimit=3,8\nLowLimit=0,2\n",
      table));
  EXPECT_EQ(table[kClustersTotal].Label, "cluster(total)");
  EXPECT_EQ(table[kClustersTotal].High, 3);
  EXPECT_EQ(table[kLevelG1].High, 8);  // assigned twice: the later column wins
  EXPECT_EQ(table[kLevelG1].Low, 2);
}

TEST(GlazetrunLimits, ACountLabelWithoutClusterRefusesTheFile) {
  frontend::VerdictTable table = GlazetVerdicts();
  EXPECT_FALSE(ReadLimits(std::string(kBrightnessSection) +
                              "[CLUSTER]\nHeader=defects(total)\nUnit=n\nHighLimit=0\nLowLimit=0\n",
                          table));
  EXPECT_EQ(table[kLevelR].Label, "level(r)");  // entries read before the fault stay
}

frontend::VerdictTable JudgedTable() {
  frontend::VerdictTable table = GlazetVerdicts();
  test::SetLabelsAndLimits(table,
                           {"cluster(center)", "cluster(side)", "cluster(total)", "level(r)",
                            "level(g)", "level(b)", "level(g1)", "level(g2)"},
                           {0, 0, 1, 650, 0, 550, 850, 850}, {0, 0, 0, 550, 0, 450, 750, 750});
  table[kClustersTotal].SetCount(2);
  test::SetLevels(table, kLevelR, {600.004, 0.0, 499.944, 749.996, 800.05});
  return table;
}

TEST(GlazetrunVerdicts, AFailingCountAndLevelAreNamedInTableOrder) {
  std::string message;
  EXPECT_TRUE(frontend::JudgeResults(JudgedTable(), message));
  EXPECT_EQ(message, "cluster(total)=2,level(g1)=750.00");
}

TEST(GlazetrunOutputs, TheStatusBlockWritesThreeCountsAndFiveLevelsAndTheTime) {
  const frontend::StatusReport report{.Code = E_FAIL,
                                      .Message = "cluster(total)=2,level(g1)=750.00",
                                      .Status = 1,
                                      .ElapsedSeconds = 0.25};
  const frontend::StatusPaths paths{"/st/limits.txt", "/st/settings.ini", std::nullopt,
                                    "/st/img.bmp"};
  EXPECT_EQ(frontend::FormatStatusFile(report, paths, JudgedTable(), GlazetLayout()),
            "[Outputs]\nStatus=1\nReturnCode=-2147467259\n"
            "Message=\"cluster(total)=2,level(g1)=750.00 ERROR\"\n"
            "Headers=cluster(center),cluster(side),cluster(total),level(r),level(g),level(b),"
            "level(g1),level(g2)\n"
            "UpLimit=0,0,1,650.00,0.00,550.00,850.00,850.00\n"
            "LowLimit=0,0,0,550.00,0.00,450.00,750.00,750.00\n"
            "Values=0,0,2,600.00,0.00,499.94,750.00,800.05\n"
            "TestLimits=\"/st/limits.txt\"\n"
            "TestSettings=\"/st/settings.ini\"\nLogFile=(null)\nBMPFileIn=\"/st/img.bmp\"\n"
            "\ncalc time=0.25 sec\n");
}

TEST(GlazetrunOutputs, TheNamedLogHasEightFieldsAndNoLineBreak) {
  EXPECT_EQ(frontend::FormatNamedLog(JudgedTable(), GlazetLayout()),
            "0,0,2,600.00,0.00,499.94,750.00,800.05");
}

TEST(GlazetrunOutputs, TheDefaultLogLeavesOutTheCentreAndSideCounts) {
  EXPECT_EQ(frontend::FormatDefaultLog(JudgedTable(), GlazetLayout()),
            "cluster(total),level(r),level(g),level(b),level(g1),level(g2)\n"
            "2,600.00,0.00,499.94,750.00,800.05\n");
  EXPECT_EQ(frontend::FormatDefaultLog(GlazetVerdicts(), GlazetLayout()),
            ",,,,,\n0,0.00,0.00,0.00,0.00,0.00\n");
}

}  // namespace
}  // namespace sensor::glazetrun
