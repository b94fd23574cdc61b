#include "glazet/station/defect_map_bitmap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "common/parallel_rows.h"
#include "glazet/core/working_state.h"
#include "search_fixture.h"
#include "vector_sets.h"

namespace sensor::glazet::test {
namespace {

std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string TempPath(const char* name) {
  return testing::TempDir() + name + std::to_string(getpid()) + ".bmp";
}

// The picture painted pixel by pixel: the first three bytes 0 on a candidate
// (a mark of 1, or 2 once counted), 255 elsewhere.
void PaintPlainly(BoundPicture& p) {
  for (int y = 0; y < p.Image.Height(); ++y) {
    for (int x = 0; x < p.Image.Width(); ++x) {
      const std::uint8_t shade = p.Marked(x, y) ? 0 : 255;
      for (int i = 0; i < 3; ++i) p.Image.At(x, y)[i] = shade;
    }
  }
}

SENSOR_VECTOR_SET_TEST(DefectMapBitmap, PaintsCandidatesBlackAndEverythingElseWhite) {
  for (bool topDown : {false, true}) {
    for (std::uint16_t bits : {24, 32}) {
      BoundPicture p(5, 3, bits, topDown);
      std::mt19937 random(3);
      p.Image.Randomise(random);
      const std::vector<unsigned char> before = p.Image.PixelBuffer();
      p.Map[1 * 5 + 2] = 1;  // (2, 1)
      p.Map[0] = 2;          // (0, 0), taken into a region by the count
      const std::string path = TempPath("painted");
      ASSERT_TRUE(PaintAndWriteDefectMap(p.Setup.Image, p.Map.data(), path));
      std::remove(path.c_str());
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
          const std::uint8_t shade = p.Marked(x, y) ? 0 : 255;
          const unsigned char* px = p.Image.At(x, y);
          EXPECT_EQ(px[0], shade);
          EXPECT_EQ(px[1], shade);
          EXPECT_EQ(px[2], shade);
          if (bits == 32) {
            EXPECT_EQ(px[3], before[p.Image.Offset(x, y) + 3]) << "fourth byte kept";
          }
        }
      }
    }
  }
}

// A new map is zero, and the map of the run before, marks and all, is zeroed
// for the next run of the same size, in row parts on every thread split; for a
// small map and for one large enough to come from the kernel.
SENSOR_VECTOR_SET_TEST(DefectMapBitmap, AReusedMapStartsEveryRunZeroed) {
  for (const auto& [width, height] : {std::pair{37, 29}, std::pair{2100, 2000}}) {
    const std::ptrdiff_t size = std::ptrdiff_t{width} * height;
    DefectMap map;
    ASSERT_TRUE(map.Allocate(width, height));
    std::uint8_t* first = map.Data();
    EXPECT_EQ(std::count(first, first + size, std::uint8_t{0}), size) << width << " x " << height;
    std::fill(first, first + size, std::uint8_t{2});
    ASSERT_TRUE(map.Allocate(width, height));
    ASSERT_EQ(map.Data(), first);
    EXPECT_EQ(std::count(first, first + size, std::uint8_t{0}), size) << width << " x " << height;
  }
}

TEST(DefectMapBitmap, LeavesRowPaddingAlone) {
  BoundPicture p(3, 2, 24);  // 9 bytes of pixels, 3 of padding per row
  std::fill(p.Image.PixelBuffer().begin(), p.Image.PixelBuffer().end(), 0xAB);
  const std::string path = TempPath("padding");
  ASSERT_TRUE(PaintAndWriteDefectMap(p.Setup.Image, p.Map.data(), path));
  std::remove(path.c_str());
  for (int row = 0; row < 2; ++row)
    for (int i = 9; i < 12; ++i) EXPECT_EQ(p.Image.PixelBuffer()[row * 12 + i], 0xAB);
}

TEST(DefectMapBitmap, HeadersDescribeTheBoundPicture) {
  BoundPicture bottomUp(3, 2, 24);
  const auto h = DefectMapFileHeaders(bottomUp.Setup.Image);
  EXPECT_EQ(h[0], 'B');
  EXPECT_EQ(h[1], 'M');
  EXPECT_EQ(U32(&h[2]), 78u);  // 54 + 12 x 2
  EXPECT_EQ(U32(&h[6]), 0u);
  EXPECT_EQ(U32(&h[10]), 54u);
  EXPECT_EQ(U32(&h[14]), 40u);
  EXPECT_EQ(U32(&h[18]), 3u);
  EXPECT_EQ(static_cast<std::int32_t>(U32(&h[22])), 2);
  EXPECT_EQ(h[26] | h[27] << 8, 1);
  EXPECT_EQ(h[28] | h[29] << 8, 24);
  for (int at = 30; at < 54; at += 4) EXPECT_EQ(U32(&h[at]), 0u) << "field at " << at;

  BoundPicture topDown(4, 3, 32, true);
  const auto t = DefectMapFileHeaders(topDown.Setup.Image);
  EXPECT_EQ(static_cast<std::int32_t>(U32(&t[22])), -3) << "top row first keeps its negative height";
  EXPECT_EQ(t[28] | t[29] << 8, 32);
  EXPECT_EQ(U32(&t[2]), 54u + 16u * 3u);
}

// Two copies of the same random picture with the same random marks.
struct PaintedPair {
  BoundPicture Whole, Blocks;
  PaintedPair(std::int32_t width, std::int32_t height, std::uint16_t bits, bool topDown)
      : Whole(width, height, bits, topDown), Blocks(width, height, bits, topDown) {
    std::mt19937 random(21);
    Whole.Image.Randomise(random);
    Blocks.Image.PixelBuffer() = Whole.Image.PixelBuffer();
    for (auto& m : Whole.Map) m = random() % 7 == 0 ? static_cast<std::uint8_t>(1 + random() % 2) : 0;
    Blocks.Map = Whole.Map;
  }
};

SENSOR_VECTOR_SET_TEST(DefectMapBitmap, PaintingWhileWritingGivesThePaintedPictureAndItsFile) {
  // Pictures of several blocks of rows, and one of a single row; the file holds
  // the headers and the painted buffer as it is stored.
  for (const auto& [bits, topDown] : {std::pair<std::uint16_t, bool>{24, false}, {24, true}, {32, false}, {32, true}}) {
    for (auto size : {std::pair{330, 300}, std::pair{1000, 1}}) {
      PaintedPair pair(size.first, size.second, bits, topDown);
      const std::string blocks = TempPath("blocks");
      PaintPlainly(pair.Whole);
      ASSERT_TRUE(PaintAndWriteDefectMap(pair.Blocks.Setup.Image, pair.Blocks.Map.data(), blocks));
      EXPECT_EQ(pair.Blocks.Image.PixelBuffer(), pair.Whole.Image.PixelBuffer())
          << bits << "-bit, top down " << topDown << ", " << size.first << " x " << size.second;
      const std::vector<std::uint8_t> file = ReadFile(blocks);
      const auto headers = DefectMapFileHeaders(pair.Whole.Setup.Image);
      ASSERT_EQ(file.size(), 54 + pair.Whole.Image.PixelBuffer().size());
      EXPECT_TRUE(std::equal(headers.begin(), headers.end(), file.begin()));
      EXPECT_TRUE(std::equal(pair.Whole.Image.PixelBuffer().begin(), pair.Whole.Image.PixelBuffer().end(),
                             file.begin() + 54));
      std::remove(blocks.c_str());
    }
  }
}

// A file that cannot be opened, and one that opens but refuses every write
// (while another thread may be painting).
SENSOR_VECTOR_SET_TEST(DefectMapBitmap, AFileThatCannotBeWrittenStillLeavesTheWholePicturePainted) {
  for (const char* path : {"/nonexistent-directory/pkgdfects.bmp", "/dev/full"}) {
    PaintedPair pair(330, 300, 32, false);
    PaintPlainly(pair.Whole);
    EXPECT_FALSE(PaintAndWriteDefectMap(pair.Blocks.Setup.Image, pair.Blocks.Map.data(), path)) << path;
    EXPECT_EQ(pair.Blocks.Image.PixelBuffer(), pair.Whole.Image.PixelBuffer()) << path;
  }
}

// The file written while keeping the picture is the painted one's, byte for
// byte, on one thread and on two, and the bound pixels stay as they were; a
// file that cannot be written is reported.
SENSOR_VECTOR_SET_TEST(DefectMapBitmap, KeepingThePictureWritesThePaintedFileAndLeavesThePixels) {
  for (int threads : {1, 2}) {
    SetAnalysisThreads(threads, true);
    for (const auto& [bits, topDown] : {std::pair<std::uint16_t, bool>{24, false}, {24, true}, {32, false}, {32, true}}) {
      for (auto size : {std::pair{330, 300}, std::pair{1000, 1}, std::pair{7, 5}}) {
        PaintedPair pair(size.first, size.second, bits, topDown);
        const std::vector<unsigned char> before = pair.Blocks.Image.PixelBuffer();
        const std::string painted = TempPath("painted");
        const std::string kept = TempPath("kept");
        {
          std::ofstream old(kept, std::ios::binary);  // an earlier, longer file
          old << std::string(before.size() + 999, 'x');
        }
        ASSERT_TRUE(PaintAndWriteDefectMap(pair.Whole.Setup.Image, pair.Whole.Map.data(), painted));
        ASSERT_TRUE(WriteDefectMapKeepingPicture(pair.Blocks.Setup.Image, pair.Blocks.Map.data(), kept));
        const auto where = testing::Message() << threads << " threads, " << bits << "-bit, top down " << topDown
                                              << ", " << size.first << " x " << size.second;
        EXPECT_EQ(ReadFile(kept), ReadFile(painted)) << where;
        EXPECT_EQ(pair.Blocks.Image.PixelBuffer(), before) << where;
        std::remove(painted.c_str());
        std::remove(kept.c_str());
      }
    }
    PaintedPair pair(330, 300, 32, false);
    for (const char* path : {"/nonexistent-directory/pkgdfects.bmp", "/dev/full"}) {
      EXPECT_FALSE(WriteDefectMapKeepingPicture(pair.Blocks.Setup.Image, pair.Blocks.Map.data(), path)) << path;
    }
    EXPECT_EQ(pair.Blocks.Image.PixelBuffer(), pair.Whole.Image.PixelBuffer());
  }
  SetAnalysisThreads(0);
}

TEST(DefectMapBitmap, ALongerFileFromAnEarlierRunIsCutToTheNewPicture) {
  BoundPicture p(3, 2, 24);
  const std::string path = TempPath("longer");
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(500, 'x');
  }
  ASSERT_TRUE(PaintAndWriteDefectMap(p.Setup.Image, p.Map.data(), path));
  EXPECT_EQ(ReadFile(path).size(), 78u);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace sensor::glazet::test
