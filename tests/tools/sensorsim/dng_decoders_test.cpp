// sensorsim's DNG read by general raw decoders (dcraw, LibRaw's
// unprocessed_raw) gives back the planted samples at every sensor depth; a
// decoder that is not installed is skipped.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "picture_formats.h"

namespace sensor::sim {
namespace {

struct Decoder {
  const char* Program;
  const char* Command;  // decodes picture.dng in the working folder into...
  const char* Output;   // ...this binary greymap of its raw samples
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

    // The greymap's header has no comments; samples of two bytes high first.
    std::ifstream in(std::string(folder) + "/" + decoder.Output, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint16_t> decoded;
    const std::size_t step = maxval > 255 ? 2 : 1;
    for (std::size_t i = 0; i + step <= bytes.size(); i += step) {
      const auto high = static_cast<unsigned char>(bytes[i]), low = static_cast<unsigned char>(bytes[i + step - 1]);
      decoded.push_back(static_cast<std::uint16_t>(step == 2 ? high << 8 | low : high));
    }
    EXPECT_EQ(magic + " " + std::to_string(width) + "x" + std::to_string(height), "P5 46x30") << depth;
    EXPECT_EQ(decoded, RawSamples(image, s)) << depth << " bits";
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
