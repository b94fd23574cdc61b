#include "bench_images.h"

#include <map>
#include <memory>
#include <random>
#include <tuple>

namespace sensor::bench {
namespace {

BenchImage Blank(std::int32_t width, std::int32_t height, int bitCount) {
  BenchImage image;
  image.Width = width;
  image.Height = height;
  image.BitCount = bitCount;
  const std::uint32_t stride = static_cast<std::uint32_t>((bitCount * width + 31) / 32 * 4);
  image.Header.assign(40, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) image.Header[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<std::uint32_t>(width));
  put32(8, static_cast<std::uint32_t>(height));
  image.Header[12] = 1;
  image.Header[14] = static_cast<unsigned char>(bitCount);
  image.Pixels.assign(static_cast<std::size_t>(stride) * height, 0);
  return image;
}

}  // namespace

BenchImage MakeColourImage(std::int32_t width, std::int32_t height, int bitCount, int noise,
                           std::uint32_t seed) {
  BenchImage image = Blank(width, height, bitCount);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  const int bpp = bitCount / 8;
  const std::size_t stride = image.Pixels.size() / height;
  const int means[3] = {90, 140, 120};  // blue, green, red
  for (std::int32_t row = 0; row < height; ++row)
    for (std::int32_t x = 0; x < width; ++x) {
      unsigned char* p = &image.Pixels[row * stride + static_cast<std::size_t>(x) * bpp];
      for (int k = 0; k < 3; ++k) p[k] = static_cast<unsigned char>(means[k] + jitter(random));
    }
  return image;
}

BenchImage MakeBayerImage(std::int32_t width, std::int32_t height, int bitCount, int mean,
                          int noise, std::uint32_t seed) {
  BenchImage image = Blank(width, height, bitCount);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  const int bpp = bitCount / 8;
  const std::size_t stride = image.Pixels.size() / height;
  for (std::int32_t row = 0; row < height; ++row)
    for (std::int32_t x = 0; x < width; ++x) {
      int s = mean + jitter(random);
      s = s < 0 ? 0 : (s > 4095 ? 4095 : s);
      unsigned char* p = &image.Pixels[row * stride + static_cast<std::size_t>(x) * bpp];
      p[0] = static_cast<unsigned char>(s >> 4);
      p[1] = static_cast<unsigned char>(s & 3);
    }
  return image;
}

const BenchImage& SharedColourImage(std::int32_t width, std::int32_t height, int bitCount) {
  static std::map<std::tuple<int, int, int>, std::unique_ptr<BenchImage>> cache;
  auto& slot = cache[{width, height, bitCount}];
  if (!slot) slot = std::make_unique<BenchImage>(MakeColourImage(width, height, bitCount));
  return *slot;
}

const BenchImage& SharedBayerImage(std::int32_t width, std::int32_t height, int bitCount) {
  static std::map<std::tuple<int, int, int>, std::unique_ptr<BenchImage>> cache;
  auto& slot = cache[{width, height, bitCount}];
  if (!slot) slot = std::make_unique<BenchImage>(MakeBayerImage(width, height, bitCount));
  return *slot;
}

}  // namespace sensor::bench

namespace sensor::bench {

BenchImage WithDefects(const BenchImage& base, bool bayer, int singles, int clusters) {
  BenchImage image = base;
  const std::size_t stride = image.Pixels.size() / static_cast<std::size_t>(image.Height);
  const int bpp = image.BitCount / 8;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> column(8, image.Width - 12), row(8, image.Height - 12);
  auto plant = [&](int x, int y, bool bright) {
    unsigned char* p = &image.Pixels[static_cast<std::size_t>(image.Height - 1 - y) * stride +
                                     static_cast<std::size_t>(x) * bpp];
    if (bayer) {
      const int s = bright ? 3000 : 800;  // the rest lies within 2000 +/- 40
      p[0] = static_cast<unsigned char>(s >> 4);
      p[1] = static_cast<unsigned char>(s & 3);
    } else {
      p[0] = p[1] = p[2] = bright ? 250 : 10;
    }
  };
  for (int i = 0; i < singles; ++i) plant(column(random), row(random), i % 2 == 0);
  const int step = bayer ? 2 : 1;
  for (int i = 0; i < clusters; ++i) {
    const int x = column(random), y = row(random);
    for (int dy = 0; dy <= step; dy += step)
      for (int dx = 0; dx <= step; dx += step) plant(x + dx, y + dy, true);
  }
  return image;
}

std::vector<std::uint8_t> MakeDefectMap(std::int32_t width, std::int32_t height,
                                        std::int64_t marks, std::int32_t step,
                                        std::uint32_t seed) {
  std::vector<std::uint8_t> map(static_cast<std::size_t>(width) * height, 0);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> column(0, width - 1 - 3 * step), row(0, height - 1 - 3 * step);
  std::uniform_int_distribution<int> size(1, 8), offset(0, 2);
  std::int64_t placed = 0;
  while (placed < marks) {
    const int x = column(random), y = row(random), n = size(random);
    for (int k = 0; k < n && placed < marks; ++k) {
      std::uint8_t& m = map[static_cast<std::size_t>(y + offset(random) * step) * width +
                            static_cast<std::size_t>(x + offset(random) * step)];
      if (m == 0) {
        m = 1;
        ++placed;
      }
    }
  }
  return map;
}

}  // namespace sensor::bench
