// The PNG files written for speed: the run-length deflate coder inflates
// (with zlib) to its input on every kind of data, pieces of separate coders
// joined included; and a picture written for speed decodes (with libpng) to
// the same pixels as written at the default compression, on every thread split.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "analysis/common/parallel_rows.h"
#include "frontend/common/png_file.h"
#include "frontend/common/run_deflate.h"
#include "png_pixels.h"

namespace sensor::frontend {
namespace {

std::string Inflated(const std::string& raw) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
  std::string out(std::size_t{1} << 22, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  stream.avail_in = static_cast<uInt>(raw.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << (stream.msg != nullptr ? stream.msg : "");
  EXPECT_EQ(stream.avail_in, 0u);
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return out;
}

std::vector<unsigned char> Data(int kind, std::size_t size, std::mt19937& random) {
  std::vector<unsigned char> data(size);
  if (kind == 3) {
    // Byte counts growing as Fibonacci's numbers, shuffled: codes longer than
    // 15 bits unless the coder limits them.
    std::vector<unsigned char> pool;
    for (std::size_t a = 1, b = 1, symbol = 0; pool.size() < size; std::swap(a, b), b += a, ++symbol) {
      pool.insert(pool.end(), a, static_cast<unsigned char>(symbol * 37));
    }
    std::shuffle(pool.begin(), pool.end(), random);
    std::copy(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(size), data.begin());
    return data;
  }
  std::size_t at = 0;
  while (at < size) {
    std::size_t run = 1;
    unsigned char value = static_cast<unsigned char>(random());
    if (kind == 1) value = 7, run = size;                        // one byte throughout
    if (kind == 2) run = 1 + random() % 300;                     // runs of every length
    if (kind == 4 && random() % 4 != 0) value = data[at > 0 ? at - 1 : 0];  // short repeats
    for (std::size_t i = 0; i < run && at < size; ++i) data[at++] = value;
  }
  return data;
}

TEST(RunDeflate, InflatesToItsInputAcrossBlocksAndJoinedPieces) {
  std::mt19937 random(7);
  for (int kind = 0; kind < 5; ++kind) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{70000},
                                   std::size_t{400000}}) {
      const std::vector<unsigned char> data = Data(kind, size, random);
      for (const int pieces : {1, 2, 3}) {
        // Each piece a coder of its own, each cut into two blocks.
        std::string raw;
        for (int p = 0; p < pieces; ++p) {
          const std::size_t begin = size * p / pieces;
          const std::size_t end = size * (p + 1) / pieces;
          const std::size_t middle = begin + (end - begin) / 3;
          RunDeflater deflater;
          deflater.Block(data.data() + begin, middle - begin, false);
          deflater.Block(data.data() + middle, end - middle, p + 1 == pieces);
          if (p + 1 == pieces) {
            deflater.Finish();
          } else {
            deflater.Align();
          }
          raw.append(reinterpret_cast<const char*>(deflater.Data()), deflater.Size());
        }
        ASSERT_EQ(Inflated(raw), std::string(data.begin(), data.end()))
            << "kind " << kind << " size " << size << " pieces " << pieces;
      }
    }
  }
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
                        {9, 700, 1, false, 2},  {100000, 3, 8, true, 0}};
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
    }
  }
}

}  // namespace
}  // namespace sensor::frontend
