#include "frontend/station/status_file.h"

#include <gtest/gtest.h>

#include "program_runner.h"

namespace sensor::frontend {
namespace {

using namespace SensorDefectDetectionClass;

// Six counts and five levels, as the chip test program judges them.
VerdictTable ElevenValues() {
  VerdictTable table =
      MakeVerdictTable({ValueKind::Count, ValueKind::Count, ValueKind::Count, ValueKind::Count,
                        ValueKind::Count, ValueKind::Count, ValueKind::Level, ValueKind::Level,
                        ValueKind::Level, ValueKind::Level, ValueKind::Level});
  const std::int32_t counts[6] = {0, 1, 1, 2, 0, 2};
  const double levels[5] = {123.456, 0.0, 98.1, 110.0, 111.25};
  for (std::size_t i = 0; i < 6; ++i) table[i].SetCount(counts[i]);
  for (std::size_t i = 0; i < 5; ++i) table[6 + i].SetLevel(levels[i]);
  return table;
}

TEST(StatusFile, APassedRunListsLabelsLimitsValuesPathsAndTime) {
  VerdictTable table = ElevenValues();
  const char* labels[11] = {"c(center)", "c(side)", "c(total)", "p(center)", "p(side)", "p(total)",
                            "b(r)",      "b(g)",    "b(b)",     "b(g1)",     "b(g2)"};
  for (std::size_t i = 0; i < 11; ++i) {
    table[i].Label = labels[i];
    table[i].High = 200;
    table[i].Low = static_cast<std::int32_t>(i) - 1;
  }
  StatusReport report;
  report.ElapsedSeconds = 1.234;
  const StatusPaths paths{"/st/limits.txt", std::nullopt, "/st/log.csv", "/st/img.bmp"};

  EXPECT_EQ(
      FormatStatusFile(report, paths, table, OutputLayout{}),
      "[Outputs]\nStatus=0\nReturnCode=0\nMessage=\"Operation successful.\"\n"
      "Headers=c(center),c(side),c(total),p(center),p(side),p(total),b(r),b(g),b(b),b(g1),b(g2)\n"
      "UpLimit=200,200,200,200,200,200,200.00,200.00,200.00,200.00,200.00\n"
      "LowLimit=-1,0,1,2,3,4,5.00,6.00,7.00,8.00,9.00\n"
      "Values=0,1,1,2,0,2,123.46,0.00,98.10,110.00,111.25\n"
      "TestLimits=\"/st/limits.txt\"\n"
      "TestSettings=(null)\nLogFile=\"/st/log.csv\"\nBMPFileIn=\"/st/img.bmp\"\n"
      "\ncalc time=1.23 sec\n");
}

TEST(StatusFile, AFailedRunWithoutLimitsLeavesAnEmptyLineBeforeTheNullLimits) {
  StatusReport report;
  report.Code = E_FAIL;
  report.Status = 1;
  const StatusPaths paths{std::nullopt, "/st/settings.ini", std::nullopt, std::nullopt};
  EXPECT_EQ(
      FormatStatusFile(report, paths, ElevenValues(), OutputLayout{}),
      "[Outputs]\nStatus=1\nReturnCode=-2147467259\nMessage=\"NI calls fail. ERROR\"\n"
      "\nTestLimits=(null)\nTestSettings=\"/st/settings.ini\"\nLogFile=(null)\nBMPFileIn=(null)\n"
      "\ncalc time=0.00 sec\n");
}

TEST(StatusFile, AGivenMessageIsWrittenWholeAndUnescaped) {
  StatusReport report;
  report.Code = E_FAIL;
  report.Status = 1;
  const std::string longLabel(400, 'q');
  std::string message = "say \"";
  message += longLabel;
  message += "\"=3";
  report.Message = message;
  const std::string longPath = "/st/" + std::string(300, 'd') + "/img.bmp";
  const std::string text =
      FormatStatusFile(report, StatusPaths{std::nullopt, std::nullopt, std::nullopt, longPath},
                       ElevenValues(), OutputLayout{});
  EXPECT_NE(text.find("Message=\"" + message + " ERROR\"\n"), std::string::npos);
  EXPECT_NE(text.find("BMPFileIn=\"" + longPath + "\"\n"), std::string::npos);
}

TEST(StatusFile, ALayoutCanNameTheLabelsHeaderAndEndTheHighLimitsWithAComma) {
  const VerdictTable table = {VerdictEntry{ValueKind::Level, "R", 0, 0, 0.0},
                              VerdictEntry{ValueKind::Count, "width", 0, 0, 640}};
  OutputLayout layout;
  layout.HeadersKey = "Header=";
  layout.HighLimitsTrailingComma = true;
  layout.ReportsElapsedTime = false;
  StatusReport report;
  report.Code = E_ABORT;
  report.Status = 1;
  EXPECT_EQ(
      FormatStatusFile(report, StatusPaths{"/l.txt", std::nullopt, std::nullopt, std::nullopt},
                       table, layout),
      "[Outputs]\nStatus=1\nReturnCode=-2147467260\n"
      "Message=\"Access a module without initialize it. ERROR\"\n"
      "Header=R,width\nUpLimit=0.00,0,\nLowLimit=0.00,0\nValues=0.00,640\nTestLimits=\"/l.txt\"\n"
      "TestSettings=(null)\nLogFile=(null)\nBMPFileIn=(null)\n");
}

TEST(StatusFile, EveryResultCodeHasItsText) {
  EXPECT_STREQ(ResultText(S_OK), "Operation successful.");
  EXPECT_STREQ(ResultText(E_NOTIMPL), "Algorithm not implemented.");
  EXPECT_STREQ(ResultText(E_NOINTERFACE), "Interface not supported.");
  EXPECT_STREQ(ResultText(E_POINTER), "Invalid pointer.");
  EXPECT_STREQ(ResultText(E_ABORT), "Access a module without initialize it.");
  EXPECT_STREQ(ResultText(E_FAIL), "NI calls fail.");
  EXPECT_STREQ(ResultText(E_UNEXPECTED), "Unexpected failure.");
  EXPECT_STREQ(ResultText(E_ACCESSDENIED), "General access denied.");
  EXPECT_STREQ(ResultText(E_HANDLE), "Invalid handle.");
  EXPECT_STREQ(ResultText(E_OUTOFMEMORY), "Fail to allocate memory.");
  EXPECT_STREQ(ResultText(E_INVALIDARG), "Invalid argument.");
  EXPECT_STREQ(ResultText(1), "unknown error");
  EXPECT_STREQ(ResultText(static_cast<ResultCode>(0x80070001u)), "unknown error");
}

TEST(DataLog, TheNamedLogIsOneLineOfValuesWithoutALineBreak) {
  EXPECT_EQ(FormatNamedLog(ElevenValues(), OutputLayout{}),
            "0,1,1,2,0,2,123.46,0.00,98.10,110.00,111.25");
  OutputLayout trailing;
  trailing.NamedLogTrailingComma = true;
  EXPECT_EQ(FormatNamedLog(MakeVerdictTable({ValueKind::Level, ValueKind::Count}), trailing),
            "0.00,0,");
}

TEST(DataLog, TheDefaultLogWithoutLimitsHasAHeaderOfTenCommas) {
  EXPECT_EQ(FormatDefaultLog(ElevenValues(), OutputLayout{}),
            ",,,,,,,,,,\n0,1,1,2,0,2,123.46,0.00,98.10,110.00,111.25\n");
}

TEST(DataLog, TheDefaultLogCanHoldASubsetOfColumns) {
  VerdictTable table = ElevenValues();
  table[2].Label = "Cluster(total)";
  OutputLayout layout;
  layout.DefaultLogColumns = {2, 6, 7};
  EXPECT_EQ(FormatDefaultLog(table, layout), "Cluster(total),,\n1,123.46,0.00\n");
}

}  // namespace
}  // namespace sensor::frontend
