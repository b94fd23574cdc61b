// Settings and limits files as an operator's editor, a network share or a
// broken disk leave them: binary garbage, lines of 10,000 characters, no line
// break at the end, NUL bytes, CR LF line ends. A settings line is applied only
// when a piece of at most 259 characters begins with a key; a limits file that
// does not hold every section in order fails start-up with E_INVALIDARG.
#include <gtest/gtest.h>

#include <random>

#include "program_folder.h"

namespace sensor::test {
namespace {

using namespace std::string_literals;

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// A program's folder with the hostile tests' picture, run with one text file.
class TextRun {
 public:
  explicit TextRun(const ProgramSpec& program) : folder(program) {
    BitmapLayout layout;
    layout.Width = kPictureWidth;
    layout.Height = kPictureHeight;
    layout.Pixels = TestPicturePixels(24, false);
    folder.Write("img.bmp", FileBytes(layout));
  }

  ProgramOutput RunWith(const std::string& option, const std::string& name,
                        const std::string& contents) {
    folder.Write(name, contents);
    std::vector<std::string> arguments = folder.Program().RunOptions;
    arguments.insert(arguments.end(),
                     {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt", option, name});
    return folder.Run(arguments);
  }
  ProgramOutput RunWithSettings(const std::string& contents) {
    return RunWith("-TestSettings", "settings.ini", contents);
  }
  ProgramOutput RunWithLimits(const std::string& contents) {
    return RunWith("-TestLimits", "limits.txt", contents);
  }

  // The settings echo of a run, from its heading to the search line.
  static std::string Echo(const ProgramOutput& out) {
    const std::size_t begin = out.Console.find("\nsettings:\n");
    const std::size_t end = out.Console.find("\tsearching= ");
    if (begin == std::string::npos || end == std::string::npos) return out.Console;
    return out.Console.substr(begin, out.Console.find('\n', end) - begin);
  }

  void ExpectPassed(const ProgramOutput& out) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, 0) << out.Console;
    ASSERT_TRUE(folder.Status()) << out.Console;
    EXPECT_EQ(folder.Status()->ReturnCode, 0);
    EXPECT_EQ(folder.Status()->Message, "Operation successful.");
  }
  void ExpectStartUpFailure(const ProgramOutput& out) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, 1) << out.Console;
    ASSERT_TRUE(folder.Status()) << out.Console;
    EXPECT_EQ(folder.Status()->Status, 1);
    EXPECT_EQ(folder.Status()->ReturnCode, kInvalidArgCode);
    EXPECT_EQ(folder.Status()->Message, "missing or invalid argument. ERROR");
    EXPECT_NE(out.Console.find("USAGE: "), std::string::npos);
    EXPECT_FALSE(folder.Exists(folder.DefaultLogName()));
  }

  ProgramFolder folder;
};

// Waferonrun stands for the three programs where their mechanism is the same.
class MalformedText : public ::testing::Test, public TextRun {
 protected:
  MalformedText() : TextRun(AllPrograms()[0]) {}
};

TEST_F(MalformedText, SettingsOfBinaryGarbageChangeNothing) {
  const ProgramOutput plain = RunWithSettings("");
  const std::string plainLog = folder.Read(folder.DefaultLogName());
  for (unsigned seed : {1u, 2u, 3u}) {
    const ProgramOutput garbage = RunWithSettings(Garbage(20000, seed));
    ExpectPassed(garbage);
    EXPECT_EQ(Echo(garbage), Echo(plain));
    EXPECT_EQ(folder.Read(folder.DefaultLogName()), plainLog);
  }
}

TEST_F(MalformedText, ASettingsLineOf10000CharactersIsReadInPiecesOf259) {
  // The fourth piece of the first line begins with a key; on the second line
  // the key stands 158 characters into the 39th piece.
  const std::string first = std::string(3 * 259, 'x') + "HammerSize=7" + std::string(9000, 'y');
  const std::string second = std::string(10000, 'z') + "ClusterSize=9";
  const ProgramOutput out = RunWithSettings(first + "\n" + second + "\n");
  ExpectPassed(out);
  EXPECT_NE(Echo(out).find("\thammer size= 7\n"), std::string::npos) << Echo(out);
  EXPECT_NE(Echo(out).find("\tcluster size= 2\n"), std::string::npos) << Echo(out);
}

TEST_F(MalformedText, ASettingsLineWithoutALineBreakAtTheEndIsApplied) {
  const ProgramOutput out = RunWithSettings("HammerSize=5\nClusterSize=4");
  ExpectPassed(out);
  EXPECT_NE(Echo(out).find("\thammer size= 5\n\tbayer"), std::string::npos) << Echo(out);
  EXPECT_NE(Echo(out).find("\tcluster size= 4\n"), std::string::npos) << Echo(out);
}

TEST_F(MalformedText, ANulByteEndsTheSettingsLineWhereItStands) {
  const ProgramOutput out =
      RunWithSettings("ClusterSize=3\0ignored\n\0HammerSize=9\nBitsUsage=10\0,10\n"s);
  ExpectPassed(out);
  EXPECT_NE(Echo(out).find("\tcluster size= 3\n"), std::string::npos) << Echo(out);
  EXPECT_NE(Echo(out).find("\thammer size= 11\n"), std::string::npos) << Echo(out);
  EXPECT_NE(Echo(out).find("\tbits per pixel= 0\n"), std::string::npos) << Echo(out);
}

TEST_F(MalformedText, SettingsWithCrLfLineEndsReadLikeLf) {
  const ProgramOutput out = RunWithSettings("ClusterSize=4\r\nHammerSize=6\r\nBayerMode=0\r\n");
  ExpectPassed(out);
  EXPECT_NE(Echo(out).find("\tcluster size= 4\n\thammer size= 6\n"), std::string::npos);
}

TEST_F(MalformedText, ASettingsFileOfMillionsOfLinesIsReadToItsLastLine) {
  const ProgramOutput out = RunWithSettings(std::string(20'000'000, '\n') + "HammerSize=3\n");
  ExpectPassed(out);
  EXPECT_NE(Echo(out).find("\thammer size= 3\n"), std::string::npos) << Echo(out);
}

// Every section line reads on to the next line that begins with '[', so a
// megabyte of section lines would take minutes; such a file is refused at once.
TEST_F(MalformedText, ALimitsFileOfAMegabyteOfSectionLinesFailsStartUp) {
  std::string limits = kWaferonLimits;
  while (limits.size() < 1'000'000) limits += "x[PIXEL]\n";
  ExpectStartUpFailure(RunWithLimits(limits));
}

TEST_F(MalformedText, LimitsOfBinaryGarbageFailStartUpInEveryProgram) {
  for (const ProgramSpec& program : AllPrograms()) {
    TextRun other(program);
    for (unsigned seed : {4u, 5u}) {
      other.ExpectStartUpFailure(other.RunWithLimits(Garbage(20000, seed)));
    }
    // Garbage behind every section name is no better.
    other.ExpectStartUpFailure(other.RunWithLimits(
        "[CLUSTER]\n" + Garbage(300, 6) + "\n[PIXEL]\n[BRIGHTNESS]\n[DIMENSION]\n" + Garbage(300, 7)));
  }
}

TEST_F(MalformedText, ALimitsCommentOf10000CharactersLeavesTheFileValid) {
  ExpectPassed(RunWithLimits("; " + std::string(10000, 'c') + "\n" + kWaferonLimits));
}

TEST_F(MalformedText, ALimitsHeaderLineOf10000CharactersFailsItsSection) {
  // The header list is cut after 259 characters, inside the item "cluster(cen".
  std::string headers = "Headers=";
  while (headers.size() < 10000) headers += "cluster(center),";
  std::string limits = kWaferonLimits;
  limits.replace(limits.find("Headers=cluster(center),cluster(side),cluster(total)"),
                 std::string("Headers=cluster(center),cluster(side),cluster(total)").size(),
                 headers);
  ExpectStartUpFailure(RunWithLimits(limits));
}

TEST_F(MalformedText, PercentSignsInLimitsLabelsAreTextNotFormats) {
  // The grey field's R level lies near 100, far above the high limit 0.
  std::string limits = kWaferonLimits;
  limits.replace(limits.find("brightness(r)"), std::string("brightness(r)").size(),
                 "brightness(r)%s%n%x");
  limits.replace(limits.find("HighLimit=255,"), std::string("HighLimit=255,").size(), "HighLimit=0,");
  const ProgramOutput out = RunWithLimits(limits);
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1);
  ASSERT_TRUE(folder.Status());
  EXPECT_EQ(folder.Status()->ReturnCode, kFailCode);
  EXPECT_EQ(folder.Status()->Message.rfind("brightness(r)%s%n%x=", 0), 0u) << folder.Status()->Message;
  EXPECT_NE(folder.Read("status.txt").find(",brightness(r)%s%n%x,brightness(g),"), std::string::npos);
}

TEST_F(MalformedText, ALimitsFileWithoutALineBreakAtTheEndIsValid) {
  ExpectPassed(RunWithLimits(kWaferonLimits.substr(0, kWaferonLimits.size() - 1)));
}

TEST_F(MalformedText, ALimitsFileWithCrLfLineEndsIsValid) {
  std::string crlf;
  for (char c : kWaferonLimits) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  ExpectPassed(RunWithLimits(crlf));
}

TEST_F(MalformedText, ANulByteInsideALimitsHeaderListCutsItShort) {
  std::string limits = kWaferonLimits;
  limits.insert(limits.find("ster(side)"), 1, '\0');  // leaves the item "clu"
  ExpectStartUpFailure(RunWithLimits(limits));
}

TEST_F(MalformedText, ANulByteInALimitsCommentLeavesTheFileValid) {
  ExpectPassed(RunWithLimits("\0[CLUSTER] is not here\n"s + kWaferonLimits));
}

}  // namespace
}  // namespace sensor::test
