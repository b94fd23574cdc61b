#include "frontend/station/command_line.h"

#include <gtest/gtest.h>

#include <array>

#include "frontend/common/diagnostics.h"
#include "frontend/station/paths.h"
#include "frontend/common/value_scan.h"
#include "program_runner.h"

namespace sensor::frontend {
namespace {

// A program's own settings, as a test program would keep them.
struct Settings {
  std::int32_t ClusterSize = 2;
  std::array<std::int32_t, 4> Margins{};
  bool Bayer = false;
  int ColourPlane = 0;
};

class CommandLine : public ::testing::Test {
 protected:
  OptionTable Table() {
    return {
        PathOption("OutputFile", &CommonOptions::OutputFile),
        PathOption("LogFile", &CommonOptions::LogFile),
        PathOption("BMPFileIn", &CommonOptions::BMPFileIn),
        ValueOption("ClusterSize",
                    [this](const char* v) {
                      if (auto n = ScanInt32s<1>(v)) settings.ClusterSize = (*n)[0];
                    }),
        ValueOption("BayerOutliers",
                    [this](const char* v) {
                      if (auto n = ScanInt32s<4>(v)) settings.Margins = *n;
                    }),
        SwitchOption("ColorMode", [this] { settings.Bayer = false; }),
        ValueOption("Color", [this](const char* v) { settings.ColourPlane = v[0] == 'B' ? 2 : 1; }),
        SwitchOption("BayerMode", [this] { settings.Bayer = true; }),
        SlaveOption(),
        DebugOption(),
    };
  }

  void Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/opt/station/Program");
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    ParseCommandLine(static_cast<int>(argv.size()), argv.data(), Table(), options);
  }

  Settings settings;
  CommonOptions options;
};

TEST_F(CommandLine, MatchesOptionNamesWithoutRegardToCaseOverTheNamesLength) {
  const OptionTable table = Table();
  EXPECT_EQ(MatchOption("-bmpfilein", table), 2);
  EXPECT_EQ(MatchOption("-BMPFileInput", table), 2);  // anything after the name is ignored
  EXPECT_EQ(MatchOption("-LOGFILEX", table), 1);
  EXPECT_EQ(MatchOption("-BMPFile", table), -1);  // shorter than the name
  EXPECT_EQ(MatchOption("-Unknown", table), -1);
  EXPECT_EQ(MatchOption("BMPFileIn", table), -1);
  EXPECT_EQ(MatchOption("-", table), -1);
}

TEST_F(CommandLine, OnlyADashIntroducesAnOption) {
  EXPECT_EQ(MatchOption("/BayerMode", Table()), -1);
  Parse({"/slave/img.bmp", "/BayerMode"});
  EXPECT_FALSE(options.Slave);
  EXPECT_FALSE(settings.Bayer);
}

TEST_F(CommandLine, TheFirstNameOfTheTableThatMatchesIsTaken) {
  Parse({"-ColorMode", "B"});
  EXPECT_FALSE(settings.Bayer);
  EXPECT_EQ(settings.ColourPlane, 0);  // ColorMode takes no value; "B" is ignored
  Parse({"-Color", "B"});
  EXPECT_EQ(settings.ColourPlane, 2);
}

TEST_F(CommandLine, AValueMayBeginWithASlashButNotWithADash) {
  Parse({"-BMPFileIn", "/data/img.bmp", "-ClusterSize", "-5"});
  EXPECT_EQ(options.BMPFileIn, std::optional<std::string>("/data/img.bmp"));
  EXPECT_EQ(settings.ClusterSize, 2);
}

TEST_F(CommandLine, AnOptionWhoseValueIsAnotherOptionDoesNothingAndTheOtherStillCounts) {
  Parse({"-LogFile", "-slave", "-OutputFile"});
  EXPECT_FALSE(options.LogFile);
  EXPECT_TRUE(options.Slave);
  EXPECT_FALSE(options.OutputFile);  // no value left
}

TEST_F(CommandLine, APartialScanChangesNothing) {
  Parse({"-BayerOutliers", "4,3,2,1", "-BayerOutliers", "1,2,3", "-ClusterSize", "x"});
  EXPECT_EQ(settings.Margins, (std::array<std::int32_t, 4>{4, 3, 2, 1}));
  EXPECT_EQ(settings.ClusterSize, 2);
}

TEST_F(CommandLine, TheLaterOfTwoPathOptionsWinsEvenWhenItsPathIsRefused) {
  Parse({"-OutputFile", "/data/status.txt", "-OutputFile", "/data/status"});
  EXPECT_FALSE(options.OutputFile);
}

TEST_F(CommandLine, ABareFileNameMeansAFileBesideTheProgram) {
  Parse({"-LogFile", "run.csv"});
  ASSERT_TRUE(options.LogFile);
  EXPECT_EQ(*options.LogFile, RefreshModulePaths().Directory + "run.csv");
}

TEST_F(CommandLine, DebugEchoesEveryArgumentFromTheProgramPathOn) {
  ::testing::internal::CaptureStdout();
  Parse({"-x", "-debug"});
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "/opt/station/Program\n-x\n-debug\n");

  ::testing::internal::CaptureStdout();
  CommonOptions quiet;
  char program[] = "prog";
  char* argv[] = {program};
  ParseCommandLine(1, argv, Table(), quiet);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

class SettingsFile : public CommandLine {
 protected:
  SettingsKeyTable Keys() {
    return {
        {"ClusterSize=",
         [this](const char* v) {
           if (auto n = ScanInt32s<1>(v)) settings.ClusterSize = (*n)[0];
         }},
        {"BayerMode=",
         [this](const char* v) {
           if (auto n = ScanInt32s<1>(v)) settings.Bayer = (*n)[0] != 0;
         }},
    };
  }
};

TEST_F(SettingsFile, AKeyMatchesAtTheFirstCharacterWithoutRegardToCase) {
  ApplySettingsLine("clustersize=-5", Keys());
  EXPECT_EQ(settings.ClusterSize, -5);  // negative numbers are possible here
  ApplySettingsLine(" ClusterSize=9", Keys());
  EXPECT_EQ(settings.ClusterSize, -5);
  ApplySettingsLine("[Waferon] ClusterSize=9", Keys());
  EXPECT_EQ(settings.ClusterSize, -5);
}

TEST_F(SettingsFile, ALineWhoseValueDoesNotScanIsIgnored) {
  ApplySettingsLine("ClusterSize=7", Keys());
  ApplySettingsLine("ClusterSize=seven", Keys());
  EXPECT_EQ(settings.ClusterSize, 7);
}

TEST_F(SettingsFile, OverridesTheCommandLineAndTheLastValidLineWins) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("settings.ini");
  sensor::test::WriteFile(path,
                          "; station settings\r\n[Waferon]\r\nBayerMode=0\r\nClusterSize=4\r\n"
                          "ClusterSize=5\r\nClusterSize=\r\n");
  Parse({"-BayerMode", "-ClusterSize", "3"});
  ASSERT_TRUE(ReadSettingsFile(path, Keys()));
  EXPECT_FALSE(settings.Bayer);
  EXPECT_EQ(settings.ClusterSize, 5);
}

TEST_F(SettingsFile, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
  EXPECT_FALSE(ReadSettingsFile("/nonexistent/settings.ini", Keys()));
  EXPECT_EQ(settings.ClusterSize, 2);
}

// The nearest name of a misspelt one: letters compared without case, and only
// names a third of the word's letters (at least one) away are offered.
TEST(NearestName, OffersOnlyNamesCloseToTheWord) {
  const std::vector<std::string> names = {"TestSettings", "TestLimits", "BMPFileIn", "slave", "debug"};
  const struct {
    const char* Word;
    std::optional<std::string> Nearest;
  } cases[] = {{"TestSetings", "TestSettings"}, {"testlimits", "TestLimits"}, {"BMPFile", "BMPFileIn"},
               {"slav", "slave"},               {"sl", std::nullopt},          {"Output", std::nullopt},
               {"", std::nullopt},              {"TestLimit", "TestLimits"}};
  for (const auto& c : cases) EXPECT_EQ(NearestName(c.Word, names), c.Nearest) << c.Word;
  EXPECT_EQ(EditDistance("kitten", "SITTING"), 3u);
  EXPECT_EQ(EditDistance("", "abc"), 3u);
}

}  // namespace
}  // namespace sensor::frontend
