// sensorsim's DNG read by the general raw decoders of the system (dcraw, and
// LibRaw's unprocessed_raw) gives back the planted samples at every sensor
// depth. A decoder that is not installed is skipped.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "picture_formats.h"

namespace sensor::sim {
namespace {

struct Decoder {
  const char* Name;
  const char* Program;
  // The shell command that decodes "picture.dng" in the working folder, and
  // the greymap of raw samples it leaves there.
  const char* Command;
  const char* Output;
};

void PrintTo(const Decoder& d, std::ostream* out) { *out << d.Name; }

const Decoder kDecoders[] = {
    {"Dcraw", "dcraw", "dcraw -D -4 -j -t 0 -c picture.dng > decoded.pgm", "decoded.pgm"},
    {"UnprocessedRaw", "unprocessed_raw", "unprocessed_raw picture.dng > /dev/null", "picture.dng.pgm"},
};

struct Greymap {
  int Width = 0, Height = 0;
  std::vector<std::uint16_t> Samples;
};

// A binary greymap whose header has no comments.
Greymap ReadGreymap(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  unsigned maxval = 0;
  Greymap map;
  in >> magic >> map.Width >> map.Height >> maxval;
  in.get();
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t step = maxval > 255 ? 2 : 1;
  for (std::size_t i = 0; magic == "P5" && i + step <= bytes.size(); i += step) {
    map.Samples.push_back(static_cast<std::uint16_t>(step == 2 ? bytes[i] << 8 | bytes[i + 1] : bytes[i]));
  }
  return map;
}

class DngDecoders : public ::testing::TestWithParam<std::tuple<Decoder, int>> {};

TEST_P(DngDecoders, DecodeThePlantedSamples) {
  const auto& [decoder, depth] = GetParam();
  if (std::system((std::string("command -v ") + decoder.Program + " > /dev/null 2>&1").c_str()) != 0) {
    GTEST_SKIP() << decoder.Program << " is not installed";
  }
  char folder[] = "/tmp/sensor-dng-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  SimulationSettings s;
  s.Width = 46;
  s.Height = 30;
  s.BitCount = 32;
  s.BayerMode = true;
  s.SensorBpp = depth;
  const double full = (1 << depth) - 1;
  s.BayerMeans = {full * 0.3, full * 0.5, full * 0.45, full * 0.25};
  s.Noise = 5.0;
  s.HotPixels = 5;
  s.DarkPixels = 3;
  const SimulatedImage image = Simulate(s);
  const std::string dng = std::string(folder) + "/picture.dng";
  ASSERT_TRUE(WritePicture(dng, PictureFormat::Dng, image, s, 0));

  const std::string command = std::string("cd ") + folder + " && " + decoder.Command;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const Greymap decoded = ReadGreymap(std::string(folder) + "/" + decoder.Output);
  EXPECT_EQ(decoded.Width, s.Width);
  EXPECT_EQ(decoded.Height, s.Height);
  EXPECT_EQ(decoded.Samples, RawSamples(image, s));
  std::system((std::string("rm -rf ") + folder).c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, DngDecoders,
                         ::testing::Combine(::testing::ValuesIn(kDecoders), ::testing::Values(8, 10, 12)),
                         [](const auto& test) {
                           return std::string(std::get<0>(test.param).Name) + "_" +
                                  std::to_string(std::get<1>(test.param)) + "Bits";
                         });

}  // namespace
}  // namespace sensor::sim
