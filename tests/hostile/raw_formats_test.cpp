// One planted Bayer picture written in every raw format is analysed by each
// program exactly like the same picture as a 32-bit bitmap stored bottom row
// first: the same exit code, status file, data log, defect map file (byte for
// byte) and console text. And the raw pictures the programs refuse, each with the
// load failure of a bitmap and a console line that says what to change.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <tuple>

#include "program_folder.h"
#include "raw_pictures.h"

namespace sensor::test {
namespace {

using sim::PictureFormat;

struct RawCase {
  const char* Name;
  PictureFormat Format;
  int SensorBpp;  // 0: a colour picture
  std::int32_t Width, Height;
  std::uint64_t Stride;  // packed frames: 0 for the packed row length
  const char* Layout;    // -RawLayout, or null
};

void PrintTo(const RawCase& c, std::ostream* out) { *out << c.Name; }

const RawCase kCases[] = {
    {"Pgm10", PictureFormat::Pgm, 10, 37, 23, 0, nullptr},
    {"Tiff10", PictureFormat::Tiff, 10, 37, 23, 0, nullptr},
    {"Dng10", PictureFormat::Dng, 10, 37, 23, 0, nullptr},
    {"Raw10OddWidth", PictureFormat::Raw10, 10, 37, 23, 0, "raw10,37,23"},
    {"Raw10PaddedStride", PictureFormat::Raw10, 10, 38, 22, 64, "raw10,38,22,64"},
    {"Raw16At10Bits", PictureFormat::Raw16, 10, 37, 23, 0, "raw16,37,23"},
    {"Pgm12", PictureFormat::Pgm, 12, 35, 21, 0, nullptr},
    {"Dng12", PictureFormat::Dng, 12, 35, 21, 0, nullptr},
    {"Raw12OddWidthPaddedStride", PictureFormat::Raw12, 12, 35, 21, 60, "raw12,35,21,60"},
    {"Pgm8", PictureFormat::Pgm, 8, 33, 20, 0, nullptr},
    {"ColourTiff", PictureFormat::Tiff, 0, 37, 23, 0, nullptr},
};

struct RunFiles {
  int ExitCode = -1;
  std::string Status, DefaultLog, DefectMap, Console;
};

// Runs the program in `folder` on its picture `name`, with `options` after its own.
RunFiles RunOn(const ProgramFolder& folder, const std::string& name, const std::vector<std::string>& options) {
  std::vector<std::string> arguments = folder.Program().RunOptions;
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.insert(arguments.end(), {"-BMPFileIn", name, "-OutputFile", "status.txt"});
  const ProgramOutput out = folder.Run(arguments);
  RunFiles files;
  files.ExitCode = out.ExitCode;
  files.Status = folder.StatusWithoutTimeAndBitmap();
  files.DefaultLog = folder.Read(folder.DefaultLogName());
  if (folder.Exists("pkgdfects.bmp")) files.DefectMap = folder.Read("pkgdfects.bmp");
  // The console names the folder and the picture, and Glazet's tick counts
  // vary; the rest must agree.
  files.Console = std::regex_replace(out.Console, std::regex(folder.Dir() + "(picture\\.(bmp|raw))?"), "");
  files.Console = std::regex_replace(files.Console, std::regex("[0-9]+ ticks"), "ticks");
  return files;
}

std::vector<std::string> BayerOptions(int sensorBpp) {
  const std::string bits = std::to_string(sensorBpp) + "," + std::to_string(sensorBpp);
  return {"-BayerMode", "-BitsUsage", bits};
}

RunFiles Analyse(const ProgramSpec& program, const RawCase& c, PictureFormat format) {
  ProgramFolder folder(program);
  sim::SimulationSettings s = PlantedBayer(c.Width, c.Height, c.SensorBpp == 0 ? 10 : c.SensorBpp);
  if (c.SensorBpp == 0) {
    s.BayerMode = false;
    s.BitCount = 24;
  }
  const sim::SimulatedImage image = sim::Simulate(s);
  const std::string name = format == PictureFormat::Bitmap ? "picture.bmp" : "picture.raw";
  EXPECT_TRUE(sim::WritePicture(folder.File(name), format, image, s, c.Stride));

  std::vector<std::string> options;
  if (c.SensorBpp != 0) options = BayerOptions(c.SensorBpp);
  if (format != PictureFormat::Bitmap && c.Layout != nullptr) {
    options.insert(options.end(), {"-RawLayout", c.Layout});
  }
  return RunOn(folder, name, options);
}

class RawAlike : public ::testing::TestWithParam<std::tuple<RawCase, ProgramSpec>> {};

TEST_P(RawAlike, AnalysesLikeItsBitmap) {
  const auto& [c, program] = GetParam();
  const RunFiles bitmap = Analyse(program, c, PictureFormat::Bitmap);
  const RunFiles raw = Analyse(program, c, c.Format);
  EXPECT_EQ(bitmap.ExitCode, 0) << bitmap.Console;
  EXPECT_NE(bitmap.Status.find("ReturnCode=0\n"), std::string::npos) << bitmap.Status;
  EXPECT_EQ(raw.ExitCode, bitmap.ExitCode);
  EXPECT_EQ(raw.Status, bitmap.Status);
  EXPECT_EQ(raw.DefaultLog, bitmap.DefaultLog);
  EXPECT_EQ(raw.DefectMap, bitmap.DefectMap);
  EXPECT_EQ(raw.Console, bitmap.Console);
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, RawAlike,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::ValuesIn(AllPrograms())),
                         [](const auto& test) {
                           return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name;
                         });

// The comparison means something only when the planted defects are found.
TEST(RawAlikeBaseline, ThePlantedPictureHasDefectsToCompare) {
  const RunFiles waferon = Analyse(AllPrograms()[0], kCases[0], PictureFormat::Bitmap);
  const std::string values = waferon.DefaultLog.substr(waferon.DefaultLog.find('\n') + 1);
  EXPECT_NE(values.rfind("0,0,0,0,0,0,", 0), 0u) << waferon.DefaultLog;
}

// Tiles (written by the test: sensorsim writes strips), partial ones at the
// edges holding samples no 10-bit picture may hold.
TEST(RawAlikeTiles, ATiledTiffAnalysesLikeItsBitmap) {
  const RawCase c{"Tiff10Tiled", PictureFormat::Pgm, 10, 37, 23, 0, nullptr};
  for (const ProgramSpec& program : AllPrograms()) {
    const RunFiles bitmap = Analyse(program, c, PictureFormat::Bitmap);
    ProgramFolder folder(program);
    const sim::SimulationSettings s = PlantedBayer(c.Width, c.Height, c.SensorBpp);
    WriteTiledTiff(folder.File("picture.raw"), 37, 23, sim::RawSamples(sim::Simulate(s), s));
    std::vector<std::string> arguments = program.RunOptions;
    arguments.insert(arguments.end(), {"-BayerMode", "-BitsUsage", "10,10", "-BMPFileIn", "picture.raw",
                                       "-OutputFile", "status.txt"});
    EXPECT_EQ(folder.Run(arguments).ExitCode, bitmap.ExitCode) << program.Name;
    EXPECT_EQ(folder.StatusWithoutTimeAndBitmap(), bitmap.Status) << program.Name;
    EXPECT_EQ(folder.Read(folder.DefaultLogName()), bitmap.DefaultLog) << program.Name;
  }
}

// Ostrelrun on `picture` (written by `write` into its folder) with the
// options: the console and the status head.
struct Refusal {
  std::string Console;
  std::optional<StatusHead> Status;
  std::string DefaultLog;
};

template <class Write>
Refusal RunOstrel(Write write, std::vector<std::string> options) {
  ProgramFolder folder(AllPrograms()[2]);
  write(folder.File("picture.raw"));
  options.insert(options.end(), {"-BMPFileIn", "picture.raw", "-OutputFile", "status.txt"});
  const ProgramOutput out = folder.Run(options);
  return Refusal{out.Console, folder.Status(), folder.Read(folder.DefaultLogName())};
}

void ExpectLoadFailure(const Refusal& r, const std::string& message) {
  ASSERT_TRUE(r.Status) << r.Console;
  EXPECT_EQ(r.Status->ReturnCode, kFailCode);
  EXPECT_EQ(r.Status->Message, "NI calls fail. ERROR");
  EXPECT_NE(r.Console.find("The picture is not loaded: "), std::string::npos) << r.Console;
  EXPECT_NE(r.Console.find(message), std::string::npos) << r.Console;
}

void WritePlanted(const std::string& path, PictureFormat format, int bpp) {
  const sim::SimulationSettings s = PlantedBayer(37, 23, bpp);
  ASSERT_TRUE(sim::WritePicture(path, format, sim::Simulate(s), s, 0));
}

TEST(RawRefusals, ColourModeSampleRangeAndFileSizeAreNamed) {
  auto pgm = [](const std::string& path) { WritePlanted(path, PictureFormat::Pgm, 10); };
  ExpectLoadFailure(RunOstrel(pgm, {"-BitsUsage", "10,10"}),
                    "a raw picture is analysed in Bayer mode only: give -BayerMode (or BayerMode=1).");
  ExpectLoadFailure(RunOstrel(pgm, {"-BayerMode", "-BitsUsage", "8,8"}),
                    "in row 0, column 0 is above the 8-bit range (0 to 255): set the sensor depth of "
                    "BitsUsage to the file's depth.");
  auto raw10 = [](const std::string& path) { WritePlanted(path, PictureFormat::Raw10, 10); };
  ExpectLoadFailure(RunOstrel(raw10, {"-BayerMode", "-BitsUsage", "10,10", "-RawLayout", "raw10,37,24"}),
                    "the file holds 1081 bytes, the layout raw10,37,24 with a stride of 47 needs 1128.");
  ExpectLoadFailure(RunOstrel(raw10, {"-BayerMode", "-BitsUsage", "10,10", "-RawLayout", "raw11,37,23"}),
                    "-RawLayout raw11,37,23 is not FORMAT,WIDTH,HEIGHT[,STRIDE]");
}

// A DNG's active area is what is analysed: the border around it holds samples
// no 10-bit picture may hold. Its CFA phase must be the libraries'.
TEST(RawRefusals, DngActiveAreaIsAnalysedAndItsCfaPhaseChecked) {
  constexpr std::uint32_t kWidth = 24, kHeight = 18;
  std::vector<std::uint16_t> samples(kWidth * kHeight, 0xFFFF);
  for (std::uint32_t y = 2; y < 15; ++y)
    for (std::uint32_t x = 3; x < 21; ++x) samples[y * kWidth + x] = static_cast<std::uint16_t>(500 + x + y);
  // RGGB from the frame's corner is GRBG from column 3, row 2, and BGGR from row 3.
  const std::array<std::uint8_t, 4> rggb = {0, 1, 1, 2};
  auto area = [&](std::array<std::uint32_t, 4> a) {
    return [&, a](const std::string& path) { WriteDng(path, kWidth, kHeight, samples, rggb, a); };
  };
  const std::vector<std::string> bayer10 = {"-BayerMode", "-BitsUsage", "10,10"};

  const Refusal active = RunOstrel(area({2, 3, 14, 21}), bayer10);
  ASSERT_TRUE(active.Status) << active.Console;
  EXPECT_EQ(active.Status->ReturnCode, 0) << active.Console;
  EXPECT_NE(active.DefaultLog.find("18,12"), std::string::npos) << active.DefaultLog;

  ExpectLoadFailure(RunOstrel(area({3, 3, 15, 21}), bayer10),
                    "the CFA pattern from the picture's top-left pixel is BGGR; the analysis needs GRBG");
}

// Samples stored as capture tools store them, mostly in the top bits of
// 16-bit words: each file analyses exactly like the bitmap of its samples, or
// is refused with a line that says how to read it; a DNG's levels are picture
// facts of the report (as stated, else by default), other pictures have none.
using Samples = std::vector<std::uint16_t>;
using WordsWriter = std::function<void(const std::string& path, const Samples& samples)>;
constexpr std::int32_t kWordsWidth = 37, kWordsHeight = 23;

Samples Words(const Samples& samples, int by, std::uint16_t stray = 0) {
  Samples words;
  for (std::uint16_t v : samples) words.push_back(static_cast<std::uint16_t>(v << by | stray));
  return words;
}

std::string Bytes(const Samples& words, bool highFirst) {
  std::string bytes;
  for (std::uint16_t w : words) {
    bytes += highFirst ? std::string{char(w >> 8), char(w & 0xFF)} : std::string{char(w & 0xFF), char(w >> 8)};
  }
  return bytes;
}

WordsWriter Pgm(unsigned maxval, int by) {
  return [=](const std::string& path, const Samples& v) {
    std::ofstream(path, std::ios::binary) << "P5\n37 23\n" << maxval << "\n" << Bytes(Words(v, by), true);
  };
}
WordsWriter Raw16(int by, const char* settings = nullptr) {
  return [=](const std::string& path, const Samples& v) {
    std::ofstream(path, std::ios::binary) << Bytes(Words(v, by), false);
    if (settings != nullptr) std::ofstream(path.substr(0, path.rfind('/')) + "/words.ini") << settings;
  };
}
WordsWriter Tiff(int by) {
  return [=](const std::string& path, const Samples& v) { WriteTiledTiff(path, 37, 23, Words(v, by)); };
}
WordsWriter Dng(int by, DngExtras extras, std::uint16_t stray = 0) {
  return [=](const std::string& path, const Samples& v) {
    WriteDng(path, 37, 23, Words(v, by, stray), {1, 0, 2, 1}, std::nullopt, extras);
  };
}
void SensorsimDng(const std::string& path, const Samples&) {
  const sim::SimulationSettings s = PlantedBayer(kWordsWidth, kWordsHeight, 10);
  ASSERT_TRUE(sim::WritePicture(path, PictureFormat::Dng, sim::Simulate(s), s, 0));
}

struct WordsCase {
  const char* Name;
  int SensorBpp;
  WordsWriter Write;
  std::vector<std::string> Options;  // after -BayerMode -BitsUsage
  const char* Refusal;               // the end of the refusal's line; null: analysed like the bitmap
  const char* Levels;                // the report's levels after sensorBpp; null: none
};

void PrintTo(const WordsCase& c, std::ostream* out) { *out << c.Name; }

const std::vector<std::string> kTopBits = {"-TopBits"};
const char* const kDefaultBlack16 = R"(\[\s*0\s*\],\s*"whiteLevel": \[\s*65535\s*\])";
const char* const kGiveTopBits = "is above the 10-bit range (0 to 1023): when the file holds 10-bit samples in the "
                                 "top bits of 16-bit words, give -TopBits (or TopBits=1); else set the sensor depth "
                                 "of BitsUsage (8, 10 or 12) to the file's depth.";
const WordsCase kWordsCases[] = {
    {"PgmOfTheWholeRange", 10, Pgm(65535, 6), kTopBits, nullptr, nullptr},
    {"PgmOfTheTopBitsRange", 10, Pgm(65472, 6), kTopBits, nullptr, nullptr},
    {"PgmAt12Bits", 12, Pgm(65535, 4), kTopBits, nullptr, nullptr},
    {"TiledTiff", 10, Tiff(6), kTopBits, nullptr, nullptr},
    {"Raw16", 10, Raw16(6), {"-RawLayout", "raw16,37,23", "-TopBits"}, nullptr, nullptr},
    {"Raw16At8BitsBySettingsKey", 8, Raw16(8, "TopBits=1\n"), {"-RawLayout", "raw16,37,23", "-TestSettings",
     "words.ini"}, nullptr, nullptr},
    {"DngWhiteLevelFillingItsWords", 10, Dng(6, {65535u, {}, false}), {}, nullptr, kDefaultBlack16},
    {"DngWhiteLevelFillingItsWordsStrayLowBits", 12, Dng(4, {65535u, {}, false}, 0xB), {}, nullptr, R"(\[\s*0\s*\],)"},
    {"DngWhiteLevelFillingItsWordsSamplesThatFit", 10, Dng(0, {65535u, {}, false}), {}, nullptr, R"(\[\s*0\s*\],)"},
    {"DngStatingItsLevels", 10, Dng(0, {1023u, {64.5f}, false}), kTopBits, nullptr,
     R"(\[\s*64.5\s*\],\s*"whiteLevel": \[\s*1023\s*\])"},
    {"DngDeflatedWithoutLevels", 10, Dng(0, {std::nullopt, {}, true}), {}, nullptr, kDefaultBlack16},
    {"SensorsimDng", 10, SensorsimDng, {}, nullptr, R"(\[\s*0\s*\],\s*"whiteLevel": \[\s*1023\s*\])"},
    {"PgmRefused", 10, Pgm(65535, 6), {}, kGiveTopBits, nullptr},
    {"TiffRefused", 10, Tiff(6), {}, kGiveTopBits, nullptr},
    // A DNG stating 12 bits whose samples exceed them, read from its top 10.
    {"DngAboveItsStatedRangeRefused", 10, Dng(0, {4095u, {}, false}, 0x1000), kTopBits,
     "in the top 10 bits of its 12-bit word: the file's samples exceed its stated range.", nullptr},
};

class SampleWords : public ::testing::TestWithParam<std::tuple<WordsCase, ProgramSpec>> {};

TEST_P(SampleWords, AnalyseLikeTheirBitmapOrAreRefusedWithHowToReadThem) {
  const auto& [c, program] = GetParam();
  ProgramFolder folder(program);
  const sim::SimulationSettings s = PlantedBayer(kWordsWidth, kWordsHeight, c.SensorBpp);
  c.Write(folder.File("picture.raw"), sim::RawSamples(sim::Simulate(s), s));
  std::vector<std::string> options = BayerOptions(c.SensorBpp);
  options.insert(options.end(), c.Options.begin(), c.Options.end());
  options.insert(options.end(), {"-Report", "report.json"});
  const RunFiles raw = RunOn(folder, "picture.raw", options);
  if (c.Refusal != nullptr) {
    ExpectLoadFailure(Refusal{raw.Console, folder.Status(), raw.DefaultLog}, c.Refusal);
    return;
  }
  const std::regex settingsLine("TestSettings=[^\n]*\n");
  const RawCase bitmapCase{c.Name, PictureFormat::Bitmap, c.SensorBpp, kWordsWidth, kWordsHeight, 0, nullptr};
  const RunFiles bitmap = Analyse(program, bitmapCase, PictureFormat::Bitmap);
  EXPECT_EQ(bitmap.ExitCode, 0) << bitmap.Console;
  EXPECT_EQ(raw.ExitCode, bitmap.ExitCode) << raw.Console;
  EXPECT_EQ(std::regex_replace(raw.Status, settingsLine, ""), std::regex_replace(bitmap.Status, settingsLine, ""));
  EXPECT_EQ(raw.DefaultLog, bitmap.DefaultLog);
  EXPECT_EQ(raw.DefectMap, bitmap.DefectMap);
  EXPECT_EQ(raw.Console, bitmap.Console);
  const std::string report = folder.Read("report.json");
  const std::string levels =
      c.Levels == nullptr ? R"(\s*\},\s*"result")" : std::string(R"(,\s*"blackLevel": )") + c.Levels;
  EXPECT_TRUE(std::regex_search(report, std::regex(R"("sensorBpp": [0-9]+)" + levels))) << report;
  if (c.Levels != nullptr && program.Name == "Ostrelrun") {
    const std::string validate = std::string("python3 ") + SENSOR_SOURCE_DIR + "/tests/support/validate_report.py " +
                                 SENSOR_SOURCE_DIR + "/doc/report.schema.json " + folder.File("report.json");
    EXPECT_EQ(std::system(validate.c_str()), 0) << report;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, SampleWords,
                         ::testing::Combine(::testing::ValuesIn(kWordsCases), ::testing::ValuesIn(AllPrograms())),
                         [](const auto& test) {
                           return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name;
                         });

}  // namespace
}  // namespace sensor::test
