// The PNG files written for speed: a picture written for speed decodes (with
// libpng) to the same pixels as written at the default compression, and its
// pieces join into one zlib stream that inflates (checksum checked) to the
// same filtered rows' length, on every thread split.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/common/parallel_rows.h"
#include "frontend/products/png_file.h"
#include "png_pixels.h"

namespace sensor::frontend {
namespace {

// The image data of a PNG file (its IDAT chunks joined) inflated by zlib,
// whose check of the stream's checksum the PNG reader may skip; nothing when
// zlib finds fault with it or data follows its end.
std::optional<std::string> InflatedImageData(const std::string& file) {
  std::string data;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const auto* length = reinterpret_cast<const unsigned char*>(file.data() + at);
    const std::size_t size = std::size_t{length[0]} << 24 | std::size_t{length[1]} << 16 | std::size_t{length[2]} << 8 | length[3];
    if (file.compare(at + 4, 4, "IDAT") == 0) data += file.substr(at + 8, size);
    at += size + 12;
  }
  std::string out(std::size_t{1} << 24, '\0');
  uLongf outSize = static_cast<uLongf>(out.size());
  uLong inSize = static_cast<uLong>(data.size());
  if (uncompress2(reinterpret_cast<Bytef*>(out.data()), &outSize, reinterpret_cast<const Bytef*>(data.data()), &inSize) != Z_OK ||
      inSize != data.size()) {
    return std::nullopt;
  }
  out.resize(outSize);
  return out;
}

TEST(PngFile, WrittenForSpeedDecodesToThePixelsOfTheDefaultCompression) {
  struct Case {
    std::uint32_t Width, Height;
    int BitDepth;
    bool Colour;
    int Kind;  // 0 noise, 1 grey with flat patches, 2 one colour
  };
  const Case cases[] = {{1, 1, 8, true, 0},    {317, 203, 8, true, 0}, {317, 203, 8, true, 1},
                        {640, 97, 8, true, 2}, {301, 77, 8, false, 1}, {301, 77, 1, false, 0},
                        {9, 700, 1, false, 2},  {100000, 3, 8, true, 0}, {1200, 400, 8, true, 0}};
  std::mt19937 random(25);
  for (const Case& c : cases) {
    PngPicture picture;
    picture.Width = c.Width;
    picture.Height = c.Height;
    picture.BitDepth = c.BitDepth;
    picture.Colour = c.Colour;
    const std::size_t rowBytes = picture.RowBytes();
    picture.Rows.resize(rowBytes * c.Height);
    const std::size_t channels = c.Colour ? 3 : 1;
    for (std::size_t i = 0; i < picture.Rows.size(); ++i) {
      auto& byte = picture.Rows[i];
      if (c.Kind == 0) byte = static_cast<unsigned char>(random());
      if (c.Kind == 2) byte = static_cast<unsigned char>(40 + i % channels);
      if (c.Kind == 1) {
        const std::size_t x = (i % rowBytes) / channels;
        const std::size_t y = i / rowBytes;
        byte = i % channels != 0 ? picture.Rows[i - 1]
                                 : static_cast<unsigned char>((x / 16 + y / 8) % 3 == 0 ? 128 : random() % 8 + 100);
      }
    }
    std::string problem;
    const std::optional<std::string> smallest = EncodePng(picture, problem);
    ASSERT_TRUE(smallest) << problem;
    const std::optional<test::PngPixels> expected = test::DecodePngPixels(*smallest);
    ASSERT_TRUE(expected);
    picture.Speed = PngSpeed::Fast;
    for (const int threads : {1, 2, 3, 64}) {
      SetAnalysisThreads(threads, true);
      const std::optional<std::string> fast = EncodePng(picture, problem);
      SetAnalysisThreads(0);
      ASSERT_TRUE(fast) << problem;
      const std::optional<test::PngPixels> decoded = test::DecodePngPixels(*fast);
      ASSERT_TRUE(decoded) << c.Width << "x" << c.Height << " threads " << threads;
      EXPECT_EQ(decoded->Width, expected->Width);
      EXPECT_EQ(decoded->Height, expected->Height);
      EXPECT_TRUE(decoded->Rgb == expected->Rgb) << c.Width << "x" << c.Height << " threads " << threads;
      const std::optional<std::string> filtered = InflatedImageData(*fast);
      ASSERT_TRUE(filtered) << c.Width << "x" << c.Height << " threads " << threads;
      EXPECT_EQ(filtered->size(), (rowBytes + 1) * c.Height);
    }
  }
}

}  // namespace
}  // namespace sensor::frontend
