#include "frontend/ostrelrun/ostrel_verdicts.h"

#include <gtest/gtest.h>

#include "verdict_setup.h"

namespace sensor::ostrelrun {
namespace {

using namespace SensorDefectDetectionClass;

TEST(OstrelrunLabels, AWholeLabelInAnyCaseSelectsItsValue) {
  EXPECT_EQ(OstrelEntryFor("width"), kWidth);
  EXPECT_EQ(OstrelEntryFor("Width"), kWidth);
  EXPECT_EQ(OstrelEntryFor("HEIGHT"), kHeight);
  EXPECT_EQ(OstrelEntryFor("R"), kLevelR);
  EXPECT_EQ(OstrelEntryFor("g"), kLevelG);
  EXPECT_EQ(OstrelEntryFor("b"), kLevelB);
  EXPECT_EQ(OstrelEntryFor("g1"), kLevelG1);
  EXPECT_EQ(OstrelEntryFor("G2"), kLevelG2);
}

TEST(OstrelrunLabels, APartOfALabelSelectsNothing) {
  for (const char* label : {"Brightness R", "R ", "G3", "widths", "image width", "(r)", "level(g1)"}) {
    EXPECT_EQ(OstrelEntryFor(label), std::nullopt) << label;
  }
}

bool ReadLimits(const std::string& contents, frontend::VerdictTable& table) {
  return test::ReadLimitsText(contents, OstrelLimitsRules(), table);
}

constexpr const char* kDimension =
    "[DIMENSION]\nHeader=Width,height\nUnit=pixel,pixel\nHighLimit=640,480\nLowLimit=640,479.9\n";
constexpr const char* kBrightness =
    "[BRIGHTNESS]\nHeader=R,G,B,G1,G2\nUnit=LSB,LSB,LSB,LSB,LSB\n"
    "HighLimit=250.9,0,550,850,850\nLowLimit=0,0,450,750,750\n";

TEST(OstrelrunLimits, BothSectionsAreRequired) {
  frontend::VerdictTable table = OstrelVerdicts();
  EXPECT_FALSE(ReadLimits(kDimension, table));
  EXPECT_FALSE(ReadLimits(kBrightness, table));
  EXPECT_TRUE(ReadLimits(std::string(kBrightness) + kDimension, table));
}

TEST(OstrelrunLimits, LimitsAreWholeNumbersAndLabelsKeepTheirLetters) {
  frontend::VerdictTable table = OstrelVerdicts();
  ASSERT_TRUE(ReadLimits(std::string(kDimension) + kBrightness, table));
  EXPECT_EQ(table[kWidth].Label, "Width");
  EXPECT_EQ(table[kWidth].High, 640);
  EXPECT_EQ(table[kHeight].Low, 479);
  EXPECT_EQ(table[kLevelR].High, 250);
  EXPECT_EQ(table[kLevelB].Low, 450);
}

TEST(OstrelrunLimits, AnUnknownLabelRefusesTheFile) {
  frontend::VerdictTable table = OstrelVerdicts();
  EXPECT_FALSE(ReadLimits(std::string(kDimension) +
                              "[BRIGHTNESS]\nHeader=Brightness R\nUnit=LSB\nHighLimit=1\nLowLimit=0\n",
                          table));
  EXPECT_EQ(table[kWidth].High, 640);  // the section read before the fault stays
}

frontend::VerdictTable JudgedTable() {
  frontend::VerdictTable table = OstrelVerdicts();
  test::SetLabelsAndLimits(table, {"R", "G", "B", "G1", "G2", "width", "height"},
                           {650, 0, 550, 850, 850, 640, 480}, {550, 0, 450, 750, 750, 640, 480});
  test::SetLevels(table, kLevelR, {600.004, 0.0, 449.996, 800.0, 800.05});
  table[kWidth].SetCount(641);
  table[kHeight].SetCount(480);
  return table;
}

TEST(OstrelrunVerdicts, AFailingLevelAndDimensionAreNamedInTableOrder) {
  std::string message;
  EXPECT_TRUE(frontend::JudgeResults(JudgedTable(), message));
  EXPECT_EQ(message, "B=450.00,width=641");
}

TEST(OstrelrunOutputs, TheStatusBlockUsesHeaderAndACommaAfterTheHighLimitsAndNoTime) {
  const frontend::StatusReport report{
      .Code = E_FAIL, .Message = "B=450.00,width=641", .Status = 1, .ElapsedSeconds = 3.0};
  const frontend::StatusPaths paths{"/st/limits.txt", std::nullopt, "/st/log.csv", "/st/img.bmp"};
  EXPECT_EQ(frontend::FormatStatusFile(report, paths, JudgedTable(), OstrelLayout()),
            "[Outputs]\nStatus=1\nReturnCode=-2147467259\n"
            "Message=\"B=450.00,width=641 ERROR\"\n"
            "Header=R,G,B,G1,G2,width,height\n"
            "UpLimit=650.00,0.00,550.00,850.00,850.00,640,480,\n"
            "LowLimit=550.00,0.00,450.00,750.00,750.00,640,480\n"
            "Values=600.00,0.00,450.00,800.00,800.05,641,480\n"
            "TestLimits=\"/st/limits.txt\"\n"
            "TestSettings=(null)\nLogFile=\"/st/log.csv\"\nBMPFileIn=\"/st/img.bmp\"\n");
}

TEST(OstrelrunOutputs, TheNamedLogEndsWithACommaAndNoLineBreak) {
  EXPECT_EQ(frontend::FormatNamedLog(JudgedTable(), OstrelLayout()),
            "600.00,0.00,450.00,800.00,800.05,641,480,");
}

TEST(OstrelrunOutputs, TheDefaultLogHasSevenColumns) {
  EXPECT_EQ(frontend::FormatDefaultLog(JudgedTable(), OstrelLayout()),
            "R,G,B,G1,G2,width,height\n600.00,0.00,450.00,800.00,800.05,641,480\n");
  EXPECT_EQ(frontend::FormatDefaultLog(OstrelVerdicts(), OstrelLayout()),
            ",,,,,,\n0.00,0.00,0.00,0.00,0.00,0,0\n");
}

}  // namespace
}  // namespace sensor::ostrelrun
