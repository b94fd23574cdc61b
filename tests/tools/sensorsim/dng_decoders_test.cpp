// sensorsim's DNG read by general raw decoders (dcraw, LibRaw's
// unprocessed_raw) gives back the planted samples at every sensor depth, as a
// 16-bit greymap; a decoder that is not installed is skipped.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "picture_formats.h"

namespace sensor::sim {
namespace {

struct Decoder {
  const char* Program;
  const char* Command;  // decodes picture.dng in the working folder into...
  const char* Output;   // ...this greymap of its raw samples
};

void PrintTo(const Decoder& d, std::ostream* out) { *out << d.Program; }

class DngDecoders : public ::testing::TestWithParam<Decoder> {};

TEST_P(DngDecoders, DecodeThePlantedSamples) {
  const Decoder& decoder = GetParam();
  if (std::system((std::string("command -v ") + decoder.Program + " > /dev/null").c_str()) != 0) {
    GTEST_SKIP() << decoder.Program << " is not installed";
  }
  for (const int depth : {8, 10, 12}) {
    char folder[] = "/tmp/sensor-dng-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    SimulationSettings s;
    s.Width = 46, s.Height = 30, s.BitCount = 32, s.BayerMode = true, s.SensorBpp = depth;
    const double full = (1 << depth) - 1;
    s.BayerMeans = {full * 0.3, full * 0.5, full * 0.45, full * 0.25};
    s.Noise = 5.0, s.HotPixels = 5, s.DarkPixels = 3;
    const SimulatedImage image = Simulate(s);
    ASSERT_TRUE(WritePicture(std::string(folder) + "/picture.dng", PictureFormat::Dng, image, s, 0));
    ASSERT_EQ(std::system((std::string("cd ") + folder + " && " + decoder.Command).c_str()), 0);

    std::string planted = "P5\n46 30\n65535\n";
    for (const std::uint16_t v : RawSamples(image, s)) planted += {char(v >> 8), char(v & 0xFF)};
    std::ostringstream decoded;
    decoded << std::ifstream(std::string(folder) + "/" + decoder.Output, std::ios::binary).rdbuf();
    EXPECT_TRUE(decoded.str() == planted) << depth << " bits: " << decoded.str().substr(0, 16);
    EXPECT_EQ(std::system((std::string("rm -rf ") + folder).c_str()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Installed, DngDecoders,
                         ::testing::Values(Decoder{"dcraw", "dcraw -D -4 -j -t 0 -c picture.dng > decoded.pgm",
                                                   "decoded.pgm"},
                                           Decoder{"unprocessed_raw", "unprocessed_raw picture.dng > /dev/null",
                                                   "picture.dng.pgm"}),
                         [](const auto& test) { return std::string(test.param.Program); });

}  // namespace
}  // namespace sensor::sim
