#include "frontend/common/text_lines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "program_runner.h"

namespace sensor::frontend {
namespace {

using Pieces = std::vector<std::string>;

TEST(TextLines, CrLfFilesReadExactlyLikeLfFiles) {
  EXPECT_EQ(SplitTextPieces("ClusterSize=3\r\nUnit=a,b\r\n"),
            SplitTextPieces("ClusterSize=3\nUnit=a,b\n"));
  EXPECT_EQ(SplitTextPieces("a\r\nb"), (Pieces{"a\n", "b"}));
}

TEST(TextLines, KeepsACrThatIsNotBeforeALf) {
  EXPECT_EQ(SplitTextPieces("a\rb\r"), (Pieces{"a\rb\r"}));
  EXPECT_EQ(SplitTextPieces("a\r\r\n"), (Pieces{"a\r\n"}));
}

TEST(TextLines, EachPieceKeepsTheLineBreakThatEndedIt) {
  EXPECT_EQ(SplitTextPieces("one\n\ntwo\n"), (Pieces{"one\n", "\n", "two\n"}));
  EXPECT_TRUE(SplitTextPieces("").empty());
}

TEST(TextLines, SplitsLongLinesInto259CharacterPieces) {
  const std::string longLine(600, 'x');
  const Pieces pieces = SplitTextPieces(longLine + "\n");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], std::string(259, 'x'));
  EXPECT_EQ(pieces[1], std::string(259, 'x'));
  EXPECT_EQ(pieces[2], std::string(82, 'x') + "\n");
}

TEST(TextLines, ALineOf259CharactersLeavesItsLineBreakAsAPieceOfItsOwn) {
  const Pieces pieces = SplitTextPieces(std::string(259, 'y') + "\r\nnext");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[1], "\n");
  EXPECT_EQ(pieces[2], "next");
}

TEST(TextLines, APieceEndsAtANulByte) {
  EXPECT_EQ(SplitTextPieces(std::string("Unit=a\0b\nnext\n", 14)), (Pieces{"Unit=a", "next\n"}));
}

TEST(TextLines, AMissingFileGivesNothing) {
  EXPECT_FALSE(ReadTextPieces("/nonexistent/settings.txt"));
}

// A named pipe would keep the open waiting for a writer and /dev/zero would be
// read without end; the alarm ends the test process should either happen.
TEST(TextLines, ANamedPipeADeviceOrADirectoryGivesNothingAtOnce) {
  sensor::test::TempFolder folder;
  const std::string pipe = folder.File("pipe.txt");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  alarm(10);
  EXPECT_FALSE(ReadTextPieces(pipe));
  EXPECT_FALSE(ReadTextPieces("/dev/zero"));
  EXPECT_FALSE(ReadTextPieces(folder.Path()));
  alarm(0);
}

}  // namespace
}  // namespace sensor::frontend
