#include "frontend/common/text_lines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

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

// The pieces by the plain rule: drop every CR right before a LF, cut after
// each LF and after every 259 characters, end each piece at its first NUL.
Pieces PlainPieces(const std::string& contents) {
  std::string text;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (!(contents[i] == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n')) {
      text += contents[i];
    }
  }
  Pieces pieces;
  std::string piece;
  for (const char c : text) {
    piece += c;
    if (c == '\n' || piece.size() == kLinePieceLength) {
      pieces.push_back(piece.substr(0, piece.find('\0')));
      piece.clear();
    }
  }
  if (!piece.empty()) pieces.push_back(piece.substr(0, piece.find('\0')));
  return pieces;
}

// Files read in chunks of 64 KiB: a CR at the end of one chunk and its LF at
// the start of the next must still read as one line break.
TEST(TextLines, FilesReadPieceByPieceGiveThePiecesOfThePlainRule) {
  sensor::test::TempFolder folder;
  std::mt19937 random(7);
  for (int round = 0; round < 4; ++round) {
    std::string contents;
    const char kBytes[] = {'a', 'b', '\r', '\n', '\0', 'x'};
    const std::size_t lineScale = round < 2 ? 6 : 600;  // short lines, then long ones
    while (contents.size() < 200000) {
      contents += std::string(random() % lineScale, 'k');
      contents += kBytes[random() % sizeof kBytes];
    }
    if (round == 0) contents.replace(65535, 2, "\r\n");
    const std::string path = folder.File("text.txt");
    sensor::test::WriteFile(path, contents);
    Pieces streamed;
    ASSERT_TRUE(ForEachTextPiece(path, [&](std::string_view p) { streamed.emplace_back(p); }));
    const Pieces expected = PlainPieces(contents);
    EXPECT_EQ(streamed, expected) << "round " << round;
    EXPECT_EQ(SplitTextPieces(contents), expected) << "round " << round;
    EXPECT_EQ(ReadTextPieces(path), std::optional<Pieces>(expected)) << "round " << round;
  }
}

TEST(TextLines, AFileOfMoreThanTheGivenBytesGivesNothing) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("text.txt");
  sensor::test::WriteFile(path, "0123456789\n");
  EXPECT_EQ(ReadTextPieces(path, 11), std::optional<Pieces>(Pieces{"0123456789\n"}));
  EXPECT_FALSE(ReadTextPieces(path, 10));
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
