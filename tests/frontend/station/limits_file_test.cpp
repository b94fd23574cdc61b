#include "frontend/station/limits_file.h"

#include <gtest/gtest.h>

#include "frontend/common/text_format.h"
#include "frontend/common/text_lines.h"
#include "program_runner.h"

namespace sensor::frontend {
namespace {

// Two counts "a", "b" and two levels "c", "d", selected by their whole label.
LimitsRules Rules() {
  return LimitsRules{{"[COUNT]", "[LEVEL]"},
                     [](std::string_view header) -> std::optional<std::size_t> {
                       const std::string lower = LowerAscii(header);
                       if (lower == "a") return 0;
                       if (lower == "b") return 1;
                       if (lower == "c") return 2;
                       if (lower == "d") return 3;
                       return std::nullopt;
                     }};
}

VerdictTable Table() {
  return MakeVerdictTable({ValueKind::Count, ValueKind::Count, ValueKind::Level, ValueKind::Level});
}

class LimitsFile : public ::testing::Test {
 protected:
  bool Read(const std::string& text) {
    return ReadTestLimitsLines(SplitTextPieces(text), Rules(), table);
  }

  VerdictTable table = Table();
};

const char kCountSection[] = "[COUNT]\nHeaders=A,b\nUnit=n,n\nHighLimit=5,6\nLowLimit=-1,0\n";
const char kLevelSection[] =
    "[LEVEL]\nHeader=c,D\nUnit=v,v\nHighLimit=250.9,200\nLowLimit=10,2.5\n";

TEST_F(LimitsFile, SetsLabelsAsWrittenAndWholeNumberLimits) {
  ASSERT_TRUE(Read(std::string(kCountSection) + kLevelSection));
  EXPECT_EQ(table[0].Label, "A");
  EXPECT_EQ(table[0].High, 5);
  EXPECT_EQ(table[0].Low, -1);
  EXPECT_EQ(table[1].Label, "b");
  EXPECT_EQ(table[2].High, 250);  // a level limit is read as a whole number too
  EXPECT_EQ(table[3].Label, "D");
  EXPECT_EQ(table[3].Low, 2);
}

TEST_F(LimitsFile, RefusesAFileWithoutEveryRequiredSectionWhateverItHolds) {
  EXPECT_FALSE(Read(kCountSection));
  EXPECT_EQ(table[0].Label, "");
  EXPECT_EQ(table[0].High, 0);
}

TEST_F(LimitsFile, FindsSectionNamesAfterTheFirstBracketInAnyCase) {
  EXPECT_TRUE(
      Read("  [count] limits\nheaders=a\nUNIT=n\nhighlimit=1\nLowLimit=0\n[Level]\n"
           "Headers=c\nUnit=v\nHighLimit=9\nLowLimit=0\n"));
  EXPECT_EQ(table[0].High, 1);
  EXPECT_TRUE(IsSectionLine("x [LEVEL] y", {"[LEVEL]"}));
  EXPECT_FALSE(IsSectionLine("[LEVEL", {"[LEVEL]"}));
  EXPECT_FALSE(IsSectionLine("]x[LEVEL", {"[LEVEL]"}));
}

TEST_F(LimitsFile, IgnoresCommentsAndCrLfLineEnds) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("limits.txt");
  sensor::test::WriteFile(
      path,
      "; limits of station 4\r\n[COUNT]\r\n; counts\r\nHeaders=a,b\r\nUnit=n,n\r\n"
      "HighLimit=1,2\r\nLowLimit=0,0\r\n\r\n[LEVEL]\r\nHeaders=c,d\r\nUnit=v,v\r\n"
      "HighLimit=3,4\r\nLowLimit=0,0\r\n");
  ASSERT_TRUE(ReadTestLimits(path, Rules(), table));
  EXPECT_EQ(table[1].Label, "b");
  EXPECT_EQ(table[3].Label, "d");
  EXPECT_EQ(table[3].High, 4);
  EXPECT_FALSE(ReadTestLimits(folder.File("missing.txt"), Rules(), table));
}

// A file of many section lines takes time that grows with the square of its
// length, so a file beyond 64 KiB is refused whatever it holds.
TEST_F(LimitsFile, AFileLargerThan64KiBIsRefusedEvenWhenValid) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("limits.txt");
  const std::string valid = std::string(kCountSection) + kLevelSection;
  const std::string comment = "; " + std::string(kLimitsFileMaxBytes - valid.size() - 3, 'c') + "\n";
  sensor::test::WriteFile(path, comment + valid);
  ASSERT_EQ((comment + valid).size(), kLimitsFileMaxBytes);
  EXPECT_TRUE(ReadTestLimits(path, Rules(), table));
  sensor::test::WriteFile(path, "c" + comment + valid);
  VerdictTable untouched = Table();
  EXPECT_FALSE(ReadTestLimits(path, Rules(), untouched));
  EXPECT_EQ(untouched[0].Label, "");
}

TEST_F(LimitsFile, ASectionNeedsExactlyOneLineOfEachKey) {
  EXPECT_FALSE(Read(std::string("[COUNT]\nHeaders=a\nUnit=n\nHighLimit=1\n") + kLevelSection));
  table = Table();
  EXPECT_FALSE(
      Read(std::string("[COUNT]\nHeaders=a\nHeaders=a\nUnit=n\nHighLimit=1\n") + kLevelSection));
  table = Table();
  EXPECT_FALSE(Read(std::string("[COUNT]\nHeaders=a\nUnit=n\nHighLimit=1\nLowLimit=0\nUnit=n\n") +
                    kLevelSection));
}

TEST_F(LimitsFile, AFailingSectionStillLetsTheOthersBeRead) {
  EXPECT_FALSE(Read(std::string("[COUNT]\nHeaders=a,x\nUnit=n,n\nHighLimit=1,1\nLowLimit=0,0\n") +
                    kLevelSection));
  EXPECT_EQ(table[0].Label, "a");  // set before the refused column "x"
  EXPECT_EQ(table[2].Label, "c");  // from the section after the fault
}

TEST_F(LimitsFile, AnEmptyItemFailsTheSection) {
  EXPECT_FALSE(Read(std::string("[COUNT]\nHeaders=a,b\nUnit=n,\nHighLimit=1,1\nLowLimit=0,0\n") +
                    kLevelSection));
  table = Table();
  EXPECT_FALSE(
      Read(std::string("[COUNT]\nHeaders=a,,b\nUnit=n,n,n\nHighLimit=1,1,1\nLowLimit=0,0,0\n") +
           kLevelSection));
}

TEST_F(LimitsFile, TheHeaderListSetsTheNumberOfColumnsAndExtraItemsAreIgnored) {
  ASSERT_TRUE(
      Read(std::string("[COUNT]\nHeaders=a,b\nUnit=n,n,n\nHighLimit=1,2,3\nLowLimit=0,0,0\n") +
           kLevelSection));
  EXPECT_EQ(table[1].High, 2);
}

TEST_F(LimitsFile, AListShorterThanTheHeadersFailsWhenItEndsInALineBreak) {
  EXPECT_FALSE(Read(std::string(kLevelSection) +
                    "[COUNT]\nHeaders=a,b\nUnit=n,n\nLowLimit=0,0\nHighLimit=1\n"));
}

TEST_F(LimitsFile, AListShorterThanTheHeadersAtTheVeryEndOfTheFileEndsTheSection) {
  EXPECT_TRUE(Read(std::string(kLevelSection) +
                   "[COUNT]\nHeaders=a,b\nUnit=n,n\nLowLimit=0,0\nHighLimit=1"));
  EXPECT_EQ(table[0].Label, "a");
  EXPECT_EQ(table[1].Label, "");  // the second column was never reached
}

TEST_F(LimitsFile, ALaterColumnForTheSameEntryOverwritesIt) {
  ASSERT_TRUE(Read(std::string(kCountSection) + kLevelSection +
                   "[COUNT] again\nHeaders=B\nUnit=n\nHighLimit=60\nLowLimit=1\n"));
  EXPECT_EQ(table[1].Label, "B");
  EXPECT_EQ(table[1].High, 60);
}

TEST_F(LimitsFile, ColumnsMaySitInAnySection) {
  ASSERT_TRUE(
      Read("[COUNT]\nHeaders=c\nUnit=v\nHighLimit=9\nLowLimit=1\n"
           "[LEVEL]\nHeaders=a\nUnit=n\nHighLimit=3\nLowLimit=0\n"));
  EXPECT_EQ(table[2].High, 9);
  EXPECT_EQ(table[0].High, 3);
}

TEST_F(LimitsFile, LimitsThatAreNotNumbersReadAsZero) {
  ASSERT_TRUE(Read(std::string("[COUNT]\nHeaders=a\nUnit=n\nHighLimit=many\nLowLimit= -3x\n") +
                   kLevelSection));
  EXPECT_EQ(table[0].High, 0);
  EXPECT_EQ(table[0].Low, -3);
}

TEST_F(LimitsFile, ASectionNameOnTheLastLineFails) {
  EXPECT_FALSE(Read(std::string(kCountSection) + kLevelSection + "[LEVEL]"));
}

TEST_F(LimitsFile, ASectionEndsAtALineBeginningWithABracket) {
  // The [OTHER] heading ends the count section before its low limits.
  EXPECT_FALSE(Read(std::string("[COUNT]\nHeaders=a\nUnit=n\nHighLimit=1\n[OTHER]\nLowLimit=0\n") +
                    kLevelSection));
}

// Each fault says what was expected and where; the first fault is the one told.
TEST_F(LimitsFile, AFaultSaysWhereAndWhatWasExpected) {
  const struct {
    std::string Text;
    std::string Problem;
  } cases[] = {
      {kCountSection, "no [LEVEL] section; expected a line [LEVEL]"},
      {std::string("; limits\n[COUNT]\nHeaders=a\n") + kLevelSection,
       "the section of line 2 holds 1 key lines; expected exactly one each"},
      {std::string(kLevelSection) + "[COUNT]\nHeaders=a,zz\nUnit=n,n\nHighLimit=1,2\nLowLimit=0,0\n",
       "the section of line 6 has the header \"zz\", which names no value"},
      {std::string(kLevelSection) + "[COUNT]\nHeaders=a,b\nUnit=n,\nHighLimit=1,2\nLowLimit=0,0\n",
       "the section of line 6 has an empty column"},
      {std::string(kCountSection) + kLevelSection + "[LEVEL]", "the section of line 11 ends the file"},
  };
  for (const auto& c : cases) {
    std::string problem;
    table = Table();
    EXPECT_FALSE(ReadTestLimitsLines(SplitTextPieces(c.Text), Rules(), table, &problem));
    EXPECT_EQ(problem.rfind(c.Problem, 0), 0u) << c.Text << "\n-> " << problem;
  }
  std::string problem;
  EXPECT_FALSE(ReadTestLimits("/nonexistent/limits.txt", Rules(), table, &problem));
  EXPECT_EQ(problem, "does not exist");
}

}  // namespace
}  // namespace sensor::frontend
