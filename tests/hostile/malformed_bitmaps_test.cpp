// Bitmap files that no analysis can be made of, given to each of the three
// built programs: every row names the file, the result code, the status text
// and the exit code that the run must end with. A file that cannot be loaded
// ends the run with E_FAIL and "NI calls fail."; a file that loads but whose
// header the library refuses ends it with E_INVALIDARG and "Invalid
// argument."; in both cases the default data log is written beside the
// program and the exit code is 1. No row may crash or hang a program.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "program_folder.h"

namespace sensor::test {
namespace {

struct Outcome {
  long long Code;
  const char* Text;
};
const Outcome kNotLoaded{kFailCode, "NI calls fail."};
const Outcome kRefused{kInvalidArgCode, "Invalid argument."};

struct MalformedFile {
  const char* Name;
  std::function<Bytes()> Make;
  Outcome Expected;
};

void PrintTo(const MalformedFile& file, std::ostream* out) { *out << file.Name; }

BitmapLayout Plain(int bitCount = 24) {
  BitmapLayout layout;
  layout.Width = kPictureWidth;
  layout.Height = kPictureHeight;
  layout.BitCount = static_cast<std::uint16_t>(bitCount);
  layout.Pixels = TestPicturePixels(bitCount, false);
  return layout;
}

Bytes PlainFile() { return FileBytes(Plain()); }

// A picture of another depth: its palette and its rows of `bitCount` bits per pixel.
BitmapLayout OtherDepth(std::uint16_t bitCount) {
  BitmapLayout layout = Plain();
  layout.BitCount = bitCount;
  if (bitCount <= 8) layout.Between = Palette(std::size_t{1} << bitCount);
  const std::size_t stride = (bitCount * kPictureWidth + 31) / 32 * 4;
  layout.Pixels.assign(stride * kPictureHeight, 0x5A);
  return layout;
}

template <typename Change>
Bytes Changed(Change change, int bitCount = 24) {
  BitmapLayout layout = Plain(bitCount);
  change(layout);
  return FileBytes(layout);
}

const std::size_t kPlainSize = 54 + 60 * kPictureHeight;  // 20 pixels of 3 bytes per row

const MalformedFile kMalformedFiles[] = {
    // Cut short at every boundary.
    {"EmptyFile", [] { return Bytes{}; }, kNotLoaded},
    {"CutInsideTheFileHeader", [] { return Cut(PlainFile(), 9); }, kNotLoaded},
    {"OnlyTheFileHeader", [] { return Cut(PlainFile(), 14); }, kNotLoaded},
    {"CutInsideTheInformationHeader", [] { return Cut(PlainFile(), 14 + 22); }, kNotLoaded},
    {"CutOneByteBeforeThePixels", [] { return Cut(PlainFile(), 53); }, kNotLoaded},
    {"CutInsideALongInformationHeader",
     [] { return Cut(Changed([](BitmapLayout& l) { l.InfoSize = 124; }), 14 + 100); },
     kNotLoaded},
    {"CutInsideThePalette", [] { return Cut(FileBytes(OtherDepth(8)), 54 + 512); }, kNotLoaded},
    {"CutRightAfterThePalette", [] { return Cut(FileBytes(OtherDepth(8)), 54 + 1024); }, kNotLoaded},
    {"CutAfterTheFirstPixelRow", [] { return Cut(PlainFile(), 54 + 60); }, kNotLoaded},
    {"CutOneByteShortOfThePixels", [] { return Cut(PlainFile(), kPlainSize - 1); }, kNotLoaded},
    // Not a bitmap signature.
    {"SignatureBA", [] { return Changed([](BitmapLayout& l) { l.Signature = "BA"; }); }, kNotLoaded},
    {"SignatureInLowerCase",
     [] { return Changed([](BitmapLayout& l) { l.Signature = "bm"; }); }, kNotLoaded},
    {"SignatureReversed", [] { return Changed([](BitmapLayout& l) { l.Signature = "MB"; }); },
     kNotLoaded},
    // Pixel-data offsets that leave no whole information header, or lie past the end.
    {"PixelOffsetZero", [] { return Changed([](BitmapLayout& l) { l.OffBits = 0; }); }, kNotLoaded},
    {"PixelOffsetRightBehindTheFileHeader",
     [] { return Changed([](BitmapLayout& l) { l.OffBits = 14; }); }, kNotLoaded},
    {"PixelOffset53", [] { return Changed([](BitmapLayout& l) { l.OffBits = 53; }); }, kNotLoaded},
    {"CoreHeaderOf12Bytes",
     [] {
       return Changed([](BitmapLayout& l) {
         l.InfoSize = 12;
         l.OffBits = 26;
       });
     },
     kNotLoaded},
    {"PixelOffsetBeyondTheFile",
     [] { return Changed([](BitmapLayout& l) { l.OffBits = kPlainSize + 100; }); }, kNotLoaded},
    {"PixelOffsetLargest",
     [] { return Changed([](BitmapLayout& l) { l.OffBits = 0xFFFFFFFFu; }); }, kNotLoaded},
    // Dimensions: zero, negative, and sizes beyond 32 and 64 bits.
    {"WidthZero", [] { return Changed([](BitmapLayout& l) { l.Width = 0; }); }, kRefused},
    {"WidthZeroWithAnImageSize",
     [] {
       return Changed([](BitmapLayout& l) {
         l.Width = 0;
         l.SizeImage = 60 * kPictureHeight;
       });
     },
     kRefused},
    // Rows of a negative width have a size far beyond the file.
    {"WidthNegative", [] { return Changed([](BitmapLayout& l) { l.Width = -20; }); }, kNotLoaded},
    {"WidthNegativeWithAnImageSize",
     [] {
       return Changed([](BitmapLayout& l) {
         l.Width = -20;
         l.SizeImage = 60 * kPictureHeight;
       });
     },
     kRefused},
    {"HeightZero", [] { return Changed([](BitmapLayout& l) { l.Height = 0; }); }, kRefused},
    {"HeightZeroWithAnImageSize",
     [] {
       return Changed([](BitmapLayout& l) {
         l.Height = 0;
         l.SizeImage = 60 * kPictureHeight;
       });
     },
     kRefused},
    {"HeightMostNegativeWithAnImageSize",
     [] {
       return Changed([](BitmapLayout& l) {
         l.Height = INT32_MIN;
         l.SizeImage = 60 * kPictureHeight;
       });
     },
     kRefused},
    {"HeightMostNegative", [] { return Changed([](BitmapLayout& l) { l.Height = INT32_MIN; }); },
     kNotLoaded},
    // 32 x 2^27 bits is 2^32: a row whose size is 0 when taken in 32 bits.
    {"RowSizeWrapsAt32Bits",
     [] {
       return Changed([](BitmapLayout& l) {
         l.BitCount = 32;
         l.Width = 1 << 27;
         l.Height = 1;
       });
     },
     kNotLoaded},
    {"RowSizeOf32BitsWithASmallImageSize",
     [] {
       return Changed([](BitmapLayout& l) {
         l.BitCount = 32;
         l.Width = 1 << 27;
         l.Height = 1;
         l.SizeImage = 64;
       });
     },
     kRefused},
    {"ImageSizeBeyond32Bits",
     [] {
       return Changed([](BitmapLayout& l) {
         l.Width = 1 << 16;
         l.Height = 1 << 15;
       });
     },
     kNotLoaded},
    {"WidthAndHeightLargest",
     [] {
       return Changed([](BitmapLayout& l) {
         l.BitCount = 32;
         l.Width = INT32_MAX;
         l.Height = INT32_MAX;
       });
     },
     kNotLoaded},
    {"ImageSizeBeyond64Bits",
     [] {
       return Changed([](BitmapLayout& l) {
         l.BitCount = 0xFFFF;
         l.Width = INT32_MAX;
         l.Height = INT32_MIN;
       });
     },
     kNotLoaded},
    // Stated image sizes that disagree with the rows.
    {"ImageSizeBeyondTheFile",
     [] { return Changed([](BitmapLayout& l) { l.SizeImage = 60 * kPictureHeight + 1; }); },
     kNotLoaded},
    {"ImageSizeLargest", [] { return Changed([](BitmapLayout& l) { l.SizeImage = 0xFFFFFFFFu; }); },
     kNotLoaded},
    {"ImageSizeSmallerThanTheRowsNeed",
     [] { return Changed([](BitmapLayout& l) { l.SizeImage = 100; }); }, kRefused},
    {"ImageSizeOneByteShortOfTheRows",
     [] { return Changed([](BitmapLayout& l) { l.SizeImage = 60 * kPictureHeight - 1; }); },
     kRefused},
    {"ImageSizeOne", [] { return Changed([](BitmapLayout& l) { l.SizeImage = 1; }); }, kRefused},
    // Depths the libraries do not analyse.
    {"OneBitWithPalette", [] { return FileBytes(OtherDepth(1)); }, kRefused},
    {"FourBitsWithPalette", [] { return FileBytes(OtherDepth(4)); }, kRefused},
    {"EightBitsWithPalette", [] { return FileBytes(OtherDepth(8)); }, kRefused},
    {"SixteenBits", [] { return FileBytes(OtherDepth(16)); }, kRefused},
    {"ZeroBits", [] { return FileBytes(OtherDepth(0)); }, kRefused},
    {"FortyEightBits", [] { return FileBytes(OtherDepth(48)); }, kRefused},
};

class MalformedBitmap
    : public ::testing::TestWithParam<std::tuple<MalformedFile, ProgramSpec>> {};

TEST_P(MalformedBitmap, EndsTheRunWithItsResultCodeStatusTextAndExitCode) {
  const auto& [file, program] = GetParam();
  ProgramFolder folder(program);
  folder.Write("img.bmp", file.Make());
  std::vector<std::string> arguments = program.RunOptions;
  arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
  const ProgramOutput out = folder.Run(arguments);

  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  const std::optional<StatusHead> status = folder.Status();
  ASSERT_TRUE(status) << folder.Read("status.txt") << out.Console;
  EXPECT_EQ(status->Status, 1);
  EXPECT_EQ(status->ReturnCode, file.Expected.Code);
  EXPECT_EQ(status->Message, std::string(file.Expected.Text) + " ERROR");
  EXPECT_NE(folder.Read("status.txt").find("BMPFileIn=\"" + folder.File("img.bmp") + "\"\n"),
            std::string::npos);
  EXPECT_TRUE(folder.Exists(folder.DefaultLogName()));
}

INSTANTIATE_TEST_SUITE_P(
    EveryProgram, MalformedBitmap,
    ::testing::Combine(::testing::ValuesIn(kMalformedFiles), ::testing::ValuesIn(AllPrograms())),
    [](const auto& test) {
      return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name;
    });

// The plain picture itself loads and passes, so that every row above fails for
// the one thing it changes.
TEST(MalformedBitmapBaseline, ThePlainPictureIsAnalysedByEveryProgram) {
  for (const ProgramSpec& program : AllPrograms()) {
    ProgramFolder folder(program);
    folder.Write("img.bmp", PlainFile());
    std::vector<std::string> arguments = program.RunOptions;
    arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
    const ProgramOutput out = folder.Run(arguments);
    EXPECT_EQ(out.ExitCode, 0) << program.Name << out.Console;
    const std::optional<StatusHead> status = folder.Status();
    ASSERT_TRUE(status) << program.Name;
    EXPECT_EQ(status->ReturnCode, 0) << program.Name;
  }
}

}  // namespace
}  // namespace sensor::test
