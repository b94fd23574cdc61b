// Generated pictures for the benchmarks: a bitmap header and pixel buffer of a
// sensor-like image (a flat field with seeded noise), colour or Bayer.
#pragma once

#include <cstdint>
#include <vector>

namespace sensor::bench {

struct BenchImage {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  int BitCount = 32;
  std::vector<unsigned char> Header;  // 40-byte information header
  std::vector<unsigned char> Pixels;  // Height x stride bytes, bottom row first
};

// Colour picture: blue, green, red around the given means with +/- noise.
BenchImage MakeColourImage(std::int32_t width, std::int32_t height, int bitCount,
                           int noise = 6, std::uint32_t seed = 1);

// Bayer picture at 12/12 bits: samples around `mean` (of at most 4095) stored in
// the first two bytes as the libraries read them back.
BenchImage MakeBayerImage(std::int32_t width, std::int32_t height, int bitCount,
                          int mean = 2000, int noise = 40, std::uint32_t seed = 1);

// The same image cached by size and kind, so that benchmarks share one buffer.
const BenchImage& SharedColourImage(std::int32_t width, std::int32_t height, int bitCount);
const BenchImage& SharedBayerImage(std::int32_t width, std::int32_t height, int bitCount);

// A copy of `base` (made by the functions above) with defects planted far
// outside its noise at seeded places at least 8 pixels from its edges:
// `singles` single pixels, alternately bright and dark, and `clusters` bright
// 2 x 2 clusters of one colour (pixels 2 apart in Bayer mode).
BenchImage WithDefects(const BenchImage& base, bool bayer, int singles, int clusters);

}  // namespace sensor::bench

namespace sensor::bench {

// A defect map of width x height bytes (1 marks a pixel) holding `marks` marked
// pixels: clusters of one to eight pixels `step` apart, scattered with a fixed
// seed, so that the cluster counts and OpenCV's labelling see the same map.
std::vector<std::uint8_t> MakeDefectMap(std::int32_t width, std::int32_t height,
                                        std::int64_t marks, std::int32_t step,
                                        std::uint32_t seed = 3);

}  // namespace sensor::bench
