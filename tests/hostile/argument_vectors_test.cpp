// Argument vectors that a careless script builds: empty strings, options whose
// value is missing at the end, lone dashes and slashes, very long and very many
// arguments, or no argument at all, not even the program's path. Parsing never
// fails: what cannot be taken is skipped, and the run ends as its remaining
// inputs decide.
#include <gtest/gtest.h>

#include "program_folder.h"

namespace sensor::test {
namespace {

class ArgumentVector : public ::testing::TestWithParam<ProgramSpec> {
 protected:
  ArgumentVector() : folder(GetParam()) {
    BitmapLayout layout;
    layout.Width = kPictureWidth;
    layout.Height = kPictureHeight;
    layout.Pixels = TestPicturePixels(24, false);
    folder.Write("img.bmp", FileBytes(layout));
  }

  std::vector<std::string> Analysis(std::vector<std::string> more) const {
    std::vector<std::string> arguments = GetParam().RunOptions;
    arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  }

  void ExpectOutcome(const ProgramOutput& out, long long code, const std::string& message) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, code == 0 ? 0 : 1) << out.Console;
    ASSERT_TRUE(folder.Status()) << out.Console;
    EXPECT_EQ(folder.Status()->ReturnCode, code);
    EXPECT_EQ(folder.Status()->Message, message);
  }
  bool StatusHas(const std::string& line) const {
    return folder.Read("status.txt").find(line) != std::string::npos;
  }

  ProgramFolder folder;
};

TEST_P(ArgumentVector, EmptyStringsBetweenTheArgumentsAreIgnored) {
  folder.Run(Analysis({}));
  const std::string plain = folder.StatusWithoutTimeAndBitmap();
  // An empty string right behind an option would be its value: they stand
  // before and behind the whole list, where no option takes them.
  std::vector<std::string> spaced = {"", ""};
  for (const std::string& argument : Analysis({})) spaced.push_back(argument);
  spaced.insert(spaced.end(), {"", ""});
  ExpectOutcome(folder.Run(spaced), 0, "Operation successful.");
  EXPECT_EQ(folder.StatusWithoutTimeAndBitmap(), plain);
}

TEST_P(ArgumentVector, ABitmapOptionWithoutItsValueAtTheEndKeepsTheEarlierBitmap) {
  ExpectOutcome(folder.Run(Analysis({"-BMPFileIn"})), 0, "Operation successful.");
  EXPECT_TRUE(StatusHas("BMPFileIn=\"" + folder.File("img.bmp") + "\"\n"));
}

TEST_P(ArgumentVector, ABitmapOptionWithoutAnyValueLeavesNoBitmapToLoad) {
  ExpectOutcome(folder.Run({"-OutputFile", "status.txt", "-BMPFileIn"}), kFailCode,
                "NI calls fail. ERROR");
  EXPECT_TRUE(StatusHas("BMPFileIn=(null)\n"));
}

TEST_P(ArgumentVector, AnEmptyValueIsAPathWithoutANameAndReplacesTheEarlierOne) {
  ExpectOutcome(folder.Run(Analysis({"-BMPFileIn", ""})), kFailCode, "NI calls fail. ERROR");
  EXPECT_TRUE(StatusHas("BMPFileIn=(null)\n"));
}

TEST_P(ArgumentVector, PathOptionsWithoutTheirValueAtTheEndDoNothing) {
  // No limits file is read and no status file named: the run passes and
  // leaves its default data log only.
  std::vector<std::string> arguments = GetParam().RunOptions;
  arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-TestSettings", "-LogFile",
                                     "-TestLimits", "-OutputFile"});
  const ProgramOutput out = folder.Run(arguments);
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 0) << out.Console;
  EXPECT_FALSE(folder.Exists("status.txt"));
  EXPECT_TRUE(folder.Exists(folder.DefaultLogName()));
}

TEST_P(ArgumentVector, LoneDashesAndSlashesAreNoOptions) {
  folder.Run(Analysis({}));
  const std::string plain = folder.StatusWithoutTimeAndBitmap();
  ExpectOutcome(folder.Run(Analysis({"-", "/", "--", "-/", "//", "-\t", "- BMPFileIn"})), 0,
                "Operation successful.");
  EXPECT_EQ(folder.StatusWithoutTimeAndBitmap(), plain);
}

TEST_P(ArgumentVector, APathLongerThanAnyPathIsTakenAsAbsent) {
  const std::string longName(10000, 'n');
  ExpectOutcome(folder.Run(Analysis({"-BMPFileIn", longName + ".bmp"})), kFailCode,
                "NI calls fail. ERROR");
  EXPECT_TRUE(StatusHas("BMPFileIn=(null)\n"));
}

TEST_P(ArgumentVector, PercentSignsInArgumentsAreTextNotFormats) {
  const ProgramOutput out = folder.Run({"-debug", "-BMPFileIn", "%s%n%x.bmp", "-OutputFile",
                                        "%n%s.txt", "%s%s%s%s%n"});
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  EXPECT_NE(out.Console.find("\n%s%n%x.bmp\n-OutputFile\n%n%s.txt\n%s%s%s%s%n\n-slave\n"),
            std::string::npos)
      << out.Console;
  ASSERT_TRUE(folder.Exists("%n%s.txt"));
  const std::string status = folder.Read("%n%s.txt");
  EXPECT_NE(status.find("ReturnCode=-2147467259\n"), std::string::npos) << status;
  EXPECT_NE(status.find("BMPFileIn=\"" + folder.File("%s%n%x.bmp") + "\"\n"), std::string::npos)
      << status;
}

TEST_P(ArgumentVector, TenThousandArgumentsAreParsedLikeAFew) {
  std::vector<std::string> many = Analysis({});
  for (int i = 0; i < 10000; ++i) many.push_back(i % 2 ? "-GlobalSearch" : "unmatched");
  ExpectOutcome(folder.Run(many), 0, "Operation successful.");
}

TEST_P(ArgumentVector, NoArgumentsAtAllNotEvenTheProgramPath) {
  // Nothing is parsed: no bitmap, so the load fails; no status file is named,
  // and the default data log is written beside the program.
  const ProgramOutput out = folder.RunWithVector({});
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  EXPECT_TRUE(folder.Exists(folder.DefaultLogName()));
  EXPECT_NE(out.Console.find("Press a key"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, ArgumentVector, ::testing::ValuesIn(AllPrograms()),
                         [](const auto& test) { return test.param.Name; });

// Waferonrun's valued options of its own, without their value at the end of a
// Bayer run: the bit depths stay 0, which the library refuses.
TEST(ArgumentVectorOfWaferonrun, BitDepthsWithoutTheirValueStayZeroAndTheLibraryRefusesThem) {
  ProgramFolder folder(AllPrograms()[0]);
  BitmapLayout layout;
  layout.Width = kPictureWidth;
  layout.Height = kPictureHeight;
  layout.Pixels = TestPicturePixels(24, false);
  folder.Write("img.bmp", FileBytes(layout));
  const ProgramOutput out = folder.Run({"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt",
                                        "-BayerMode", "-HammerSize", "-BitsUsage"});
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1);
  ASSERT_TRUE(folder.Status());
  EXPECT_EQ(folder.Status()->ReturnCode, kInvalidArgCode);
  EXPECT_EQ(folder.Status()->Message, "Invalid argument. ERROR");
  EXPECT_NE(out.Console.find("\thammer size= 11\n"), std::string::npos);
}

}  // namespace
}  // namespace sensor::test
