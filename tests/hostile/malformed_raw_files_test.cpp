// Raw pictures that no analysis can be made of, given to each of the three
// built programs in Bayer mode at 10 bits: greymaps, TIFF and DNG files and
// headerless frames cut short at every boundary, with sizes that overflow,
// depths and sample formats the programs do not take, compressed data that
// lies about its length, and layouts that do not match the file. Each run
// ends like a bitmap that cannot be loaded (E_FAIL, "NI calls fail.", exit
// code 1, the default data log) and says on the console what is wrong.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

#include "program_folder.h"
#include "raw_pictures.h"

namespace sensor::test {
namespace {

using sim::PictureFormat;

struct MalformedRaw {
  const char* Name;
  // The file's bytes, made with the help of a scratch file path.
  std::function<Bytes(const std::string& scratch)> Make;
  const char* Layout;   // -RawLayout, or null
  const char* Message;  // what the console must say
};

void PrintTo(const MalformedRaw& row, std::ostream* out) { *out << row.Name; }

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The planted 37 x 23 picture at `bpp` bits in a format, as bytes.
Bytes Planted(const std::string& scratch, PictureFormat format, int bpp = 10) {
  const sim::SimulationSettings s = PlantedBayer(37, 23, bpp);
  sim::WritePicture(scratch, format, sim::Simulate(s), s, 0);
  return ReadBytes(scratch);
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A greymap header of the text given and the planted picture's 16-bit samples.
Bytes GreymapWith(const std::string& scratch, const std::string& header) {
  const Bytes pgm = Planted(scratch, PictureFormat::Pgm);
  return Join(Text(header), Bytes(pgm.end() - 37 * 23 * 2, pgm.end()));
}

// Sets the first value of a tag in the first directory of a little-endian TIFF.
Bytes Patched(Bytes tiff, std::uint16_t tag, std::uint32_t value) {
  auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(tiff[at] | tiff[at + 1] << 8); };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  const std::size_t directory = u32(4);
  for (std::size_t i = 0, n = u16(directory); i < n; ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    if (u16(entry) != tag) continue;
    const std::uint32_t type = u16(entry + 2), count = u32(entry + 4);
    const std::size_t size = type == TIFF_SHORT ? 2 : 4;
    const std::size_t at = count * size > 4 ? u32(entry + 8) : entry + 8;
    for (std::size_t b = 0; b < size; ++b) tiff[at + b] = static_cast<unsigned char>(value >> (8 * b));
  }
  return tiff;
}

// A one-strip uncompressed TIFF of 8 x 4 pixels with the sample layout given.
Bytes TiffOf(const std::string& scratch, std::uint16_t channels, std::uint16_t bits, std::uint16_t format,
             std::uint16_t photometric, std::uint16_t orientation = ORIENTATION_TOPLEFT) {
  TIFF* t = TIFFOpen(scratch.c_str(), "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 8);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, 4);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, channels);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, format);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
  const Bytes row(8 * channels * ((bits + 7) / 8), 0x11);
  for (std::uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(t, const_cast<unsigned char*>(row.data()), y, 0);
  TIFFClose(t);
  return ReadBytes(scratch);
}

const MalformedRaw kMalformed[] = {
    // Greymaps.
    {"GreymapCutInTheHeader", [](auto&) { return Text("P5\n37 23\n"); }, nullptr, "header (width, height, largest value) is incomplete"},
    {"GreymapHeaderWithoutSamples", [](auto&) { return Text("P5\n37 23\n1023\n"); }, nullptr, "the file holds 14 bytes, its greymap header (37x23, largest value 1023) needs 1716"},
    {"GreymapCutOneByteShort", [](auto& s) { return Cut(Planted(s, PictureFormat::Pgm), 1715); }, nullptr, "the file holds 1715 bytes"},
    {"GreymapOneByteTooMany", [](auto& s) { return Join(Planted(s, PictureFormat::Pgm), {0}); }, nullptr, "the file holds 1717 bytes"},
    {"GreymapLargestValueZero", [](auto& s) { return GreymapWith(s, "P5\n37 23\n0\n"); }, nullptr, "largest value 0 is outside 1 to 65535"},
    {"GreymapLargestValueAbove16Bits", [](auto& s) { return GreymapWith(s, "P5\n37 23\n65536\n"); }, nullptr, "largest value 65536 is outside"},
    {"GreymapWidthZero", [](auto& s) { return GreymapWith(s, "P5\n0 23\n1023\n"); }, nullptr, "size 0x23 cannot be analysed"},
    {"GreymapSizeBeyond32Bits", [](auto& s) { return GreymapWith(s, "P5\n4294967295 4294967295\n65535\n"); }, nullptr, "size 4294967295x4294967295 cannot be analysed"},
    {"GreymapSizeBeyondTheFile", [](auto& s) { return GreymapWith(s, "P5\n2147483647 2147483647\n65535\n"); }, nullptr, "(2147483647x2147483647, largest value 65535) needs 922337202826484"},
    {"GreymapSampleAboveItsLargestValue", [](auto& s) { return GreymapWith(s, "P5\n37 23\n300\n"); }, nullptr, "above the greymap's largest value 300"},
    {"GreymapNumberWithoutEnd", [](auto&) { return Text("P5\n37 23\n1023"); }, nullptr, "is incomplete or malformed"},
    {"GreymapEndlessComment", [](auto&) { return Join(Text("P5\n#"), Bytes(5000, 'x')); }, nullptr, "is incomplete or malformed"},
    // Headerless frames.
    {"FrameEmpty", [](auto&) { return Bytes{}; }, "raw10,37,23", "the file holds 0 bytes, the layout raw10,37,23 with a stride of 47 needs 1081"},
    {"FrameOneByteShort", [](auto& s) { return Cut(Planted(s, PictureFormat::Raw10), 1080); }, "raw10,37,23", "the file holds 1080 bytes"},
    {"FrameOneByteTooMany", [](auto& s) { return Join(Planted(s, PictureFormat::Raw10), {0}); }, "raw10,37,23", "the file holds 1082 bytes"},
    {"FrameSizeBeyond32Bits", [](auto& s) { return Planted(s, PictureFormat::Raw16); }, "raw16,2147483647,2147483647", "needs 9223372028264841218"},
    {"FrameStrideBelowThePackedRow", [](auto& s) { return Planted(s, PictureFormat::Raw10); }, "raw10,37,23,46", "-RawLayout raw10,37,23,46 is not FORMAT,WIDTH,HEIGHT[,STRIDE]"},
    {"FrameOfAnUnknownFormat", [](auto& s) { return Planted(s, PictureFormat::Raw10); }, "raw14,37,23", "is not FORMAT,WIDTH,HEIGHT"},
    {"FrameWidthNegative", [](auto& s) { return Planted(s, PictureFormat::Raw10); }, "raw10,-37,23", "is not FORMAT,WIDTH,HEIGHT"},
    {"FrameSamplesOf12Bits", [](auto& s) { return Planted(s, PictureFormat::Raw16, 12); }, "raw16,37,23", "above the 10-bit range (0 to 1023)"},
    // TIFF and DNG.
    {"TiffOnlyTheByteOrder", [](auto&) { return Text(std::string("II*\0", 4)); }, nullptr, "not a readable TIFF file"},
    {"TiffCutInsideTheDirectory", [](auto& s) { const Bytes t = Planted(s, PictureFormat::Tiff); return Cut(t, t.size() - 30); }, nullptr, "not a readable TIFF file"},
    {"TiffStripLongerThanTheFile", [](auto& s) { return Patched(Planted(s, PictureFormat::Tiff), TIFFTAG_STRIPBYTECOUNTS, 0x7FFFFFFF); }, nullptr, "could not be read"},
    {"TiffCompressedDataGarbled", [](auto& s) { Bytes t = Planted(s, PictureFormat::Tiff); std::fill(t.begin() + 8, t.begin() + 40, 0xFF); return t; }, nullptr, "could not be read"},
    {"TiffWidthBeyondTheFile", [](auto& s) { return Patched(Patched(Planted(s, PictureFormat::Tiff), TIFFTAG_IMAGEWIDTH, 65535), TIFFTAG_IMAGELENGTH, 65535); }, nullptr, "a picture of 65535x65535 cannot be held in a file of"},
    {"TiffFloatSamples", [](auto& s) { return TiffOf(s, 1, 32, SAMPLEFORMAT_IEEEFP, PHOTOMETRIC_MINISBLACK); }, nullptr, "1 channel(s) of 32-bit other samples"},
    {"Tiff12BitSamples", [](auto& s) { return TiffOf(s, 1, 12, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK); }, nullptr, "1 channel(s) of 12-bit unsigned samples"},
    {"TiffFourChannels", [](auto& s) { return TiffOf(s, 4, 8, SAMPLEFORMAT_UINT, PHOTOMETRIC_SEPARATED); }, nullptr, "4 channel(s) of 8-bit"},
    {"TiffRowsBottomFirst", [](auto& s) { return TiffOf(s, 1, 16, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, ORIENTATION_BOTLEFT); }, nullptr, "orientation is 4"},
    {"DngActiveAreaOutsideThePicture",
     [](auto& s) {
       WriteDng(s, 8, 4, std::vector<std::uint16_t>(32, 100), {1, 0, 2, 1}, std::array<std::uint32_t, 4>{0, 0, 5, 8});
       return ReadBytes(s);
     },
     nullptr, "active area 0,0,5,8 lies outside its 8x4 picture"},
    {"DngCfaWithoutAPattern", [](auto& s) { return TiffOf(s, 1, 16, SAMPLEFORMAT_UINT, 32803); }, nullptr, "gives no CFA pattern"},
};

class MalformedRawFile : public ::testing::TestWithParam<std::tuple<MalformedRaw, ProgramSpec>> {};

TEST_P(MalformedRawFile, FailsToLoadAndSaysWhy) {
  const auto& [row, program] = GetParam();
  ProgramFolder folder(program);
  folder.Write("picture.raw", row.Make(folder.File("scratch")));
  std::vector<std::string> arguments = program.RunOptions;
  arguments.insert(arguments.end(), {"-BayerMode", "-BitsUsage", "10,10", "-BMPFileIn", "picture.raw",
                                     "-OutputFile", "status.txt"});
  if (row.Layout != nullptr) arguments.insert(arguments.end(), {"-RawLayout", row.Layout});
  const ProgramOutput out = folder.Run(arguments);

  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  const std::optional<StatusHead> status = folder.Status();
  ASSERT_TRUE(status) << out.Console;
  EXPECT_EQ(status->ReturnCode, kFailCode);
  EXPECT_EQ(status->Message, "NI calls fail. ERROR");
  EXPECT_TRUE(folder.Exists(folder.DefaultLogName()));
  EXPECT_NE(out.Console.find("The picture is not loaded: "), std::string::npos) << out.Console;
  EXPECT_NE(out.Console.find(row.Message), std::string::npos) << out.Console;
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, MalformedRawFile,
                         ::testing::Combine(::testing::ValuesIn(kMalformed), ::testing::ValuesIn(AllPrograms())),
                         [](const auto& test) {
                           return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name;
                         });

}  // namespace
}  // namespace sensor::test
