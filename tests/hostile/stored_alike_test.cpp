// One picture stored the ways other writers store it (information headers of
// 108 and 124 bytes, colour masks, top row first, padded rows, a gap before the
// pixels, bytes after them) is valid input: each program must analyse it
// exactly like the same picture behind a plain 40-byte header, so the status
// file, the data log and Glazet's defect map are the same.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "program_folder.h"

namespace sensor::test {
namespace {

struct Storage {
  const char* Name;
  int BitCount;
  std::function<BitmapLayout()> Make;
  bool SameDefectMapFile;  // the defect map is written in the buffer's own layout
};

void PrintTo(const Storage& storage, std::ostream* out) { *out << storage.Name; }

BitmapLayout Plain(int bitCount, bool topDown = false) {
  BitmapLayout layout;
  layout.Width = kPictureWidth;
  layout.Height = topDown ? -kPictureHeight : kPictureHeight;
  layout.BitCount = static_cast<std::uint16_t>(bitCount);
  layout.Pixels = TestPicturePixels(bitCount, topDown);
  return layout;
}

BitmapLayout LongHeader(int bitCount, std::uint32_t infoSize) {
  BitmapLayout layout = Plain(bitCount);
  layout.InfoSize = infoSize;
  layout.Compression = bitCount == 32 ? 3 : 0;
  return layout;
}

// Rows of 8 more bytes than they need, as biSizeImage states.
BitmapLayout PaddedRows(int bitCount) {
  BitmapLayout layout = Plain(bitCount);
  const std::size_t row = kPictureWidth * static_cast<std::size_t>(bitCount / 8);
  const std::size_t stride = (row + 3) / 4 * 4;
  layout.Pixels = Restride(layout.Pixels, kPictureHeight, row, stride, stride + 8, 0xEE);
  layout.SizeImage = static_cast<std::uint32_t>((stride + 8) * kPictureHeight);
  return layout;
}

const Storage kStorages[] = {
    {"Header108With24Bits", 24, [] { return LongHeader(24, 108); }, true},
    {"Header108With32BitsAndMasks", 32, [] { return LongHeader(32, 108); }, true},
    {"Header124With24Bits", 24, [] { return LongHeader(24, 124); }, true},
    {"Header124With32BitsAndMasks", 32, [] { return LongHeader(32, 124); }, true},
    {"Header40With32BitsAndMasksBehind", 32,
     [] {
       BitmapLayout layout = Plain(32);
       layout.Compression = 3;
       layout.Between = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
       return layout;
     },
     true},
    {"GapBeforeThePixels", 24,
     [] {
       BitmapLayout layout = Plain(24);
       layout.Between.assign(100, 0x77);
       return layout;
     },
     true},
    {"BytesAfterThePixels", 24,
     [] {
       BitmapLayout layout = Plain(24);
       layout.Pixels.insert(layout.Pixels.end(), 333, 0x99);
       return layout;
     },
     true},
    {"ImageSizeStatedExactly", 24,
     [] {
       BitmapLayout layout = Plain(24);
       layout.SizeImage = static_cast<std::uint32_t>(layout.Pixels.size());
       return layout;
     },
     true},
    {"TopRowFirstWith24Bits", 24, [] { return Plain(24, true); }, false},
    {"TopRowFirstWith32Bits", 32, [] { return Plain(32, true); }, false},
    {"TopRowFirstWithHeader124", 32,
     [] {
       BitmapLayout layout = Plain(32, true);
       layout.InfoSize = 124;
       layout.Compression = 3;
       return layout;
     },
     false},
    {"RowsLongerThanTheyNeedWith24Bits", 24, [] { return PaddedRows(24); }, false},
    {"RowsLongerThanTheyNeedWith32Bits", 32, [] { return PaddedRows(32); }, false},
};

struct RunFiles {
  int ExitCode = -1;
  std::string Status;
  std::string DefaultLog;
  std::string DefectMapPixels;  // Glazetrun only: the map file behind its headers
};

RunFiles Analyse(const ProgramSpec& program, const BitmapLayout& layout) {
  ProgramFolder folder(program);
  folder.Write("img.bmp", FileBytes(layout));
  std::vector<std::string> arguments = program.RunOptions;
  arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
  RunFiles files;
  files.ExitCode = folder.Run(arguments).ExitCode;
  files.Status = folder.StatusWithoutTimeAndBitmap();
  files.DefaultLog = folder.Read(folder.DefaultLogName());
  if (folder.Exists("pkgdfects.bmp")) files.DefectMapPixels = folder.Read("pkgdfects.bmp").substr(54);
  return files;
}

class StoredAlike : public ::testing::TestWithParam<std::tuple<Storage, ProgramSpec>> {};

TEST_P(StoredAlike, AnalysesLikeThePlainPicture) {
  const auto& [storage, program] = GetParam();
  const RunFiles plain = Analyse(program, Plain(storage.BitCount));
  const RunFiles other = Analyse(program, storage.Make());

  ASSERT_EQ(plain.ExitCode, 0) << plain.Status;
  EXPECT_NE(plain.Status.find("ReturnCode=0\n"), std::string::npos) << plain.Status;
  EXPECT_EQ(other.ExitCode, plain.ExitCode);
  EXPECT_EQ(other.Status, plain.Status);
  EXPECT_EQ(other.DefaultLog, plain.DefaultLog);
  if (storage.SameDefectMapFile) {
    EXPECT_EQ(other.DefectMapPixels, plain.DefectMapPixels);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryProgram, StoredAlike,
    ::testing::Combine(::testing::ValuesIn(kStorages), ::testing::ValuesIn(AllPrograms())),
    [](const auto& test) {
      return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name;
    });

// The comparison above means something only when the picture gives each
// program values to compare: its planted defects are found and its levels are
// those of the grey field.
TEST(StoredAlikeBaseline, ThePictureHasDefectsAndLevelsToCompare) {
  const RunFiles waferon = Analyse(AllPrograms()[0], Plain(24));
  const std::string values = waferon.DefaultLog.substr(waferon.DefaultLog.find('\n') + 1);
  EXPECT_NE(values.rfind("0,0,0,0,0,0,", 0), 0u) << waferon.DefaultLog;
  const RunFiles glazet = Analyse(AllPrograms()[1], Plain(24));
  EXPECT_NE(glazet.DefectMapPixels.find('\0'), std::string::npos) << "no candidate painted black";
  const RunFiles ostrel = Analyse(AllPrograms()[2], Plain(24));
  EXPECT_NE(ostrel.DefaultLog.find("20,14"), std::string::npos) << ostrel.DefaultLog;
}

}  // namespace
}  // namespace sensor::test
