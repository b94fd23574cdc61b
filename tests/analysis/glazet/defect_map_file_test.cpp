// The file "pkgdfects.bmp" beside the running program, read back as a bitmap.
// One test in a program of its own, so that no other run rewrites the file
// while it is read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "common/output_folder.h"
#include "glazet_host.h"

namespace sensor::glazet::test {
namespace {

using sensor::test::TestImage;

std::vector<unsigned char> ReadDefectMapFile() {
  std::ifstream in(sensor::InOutputFolder("pkgdfects.bmp"), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::int32_t I32(const unsigned char* p) {
  return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                   std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

TEST_F(GlazetHost, EveryRunLeavesItsDefectMapAsABitmapBesideTheProgram) {
  // Colour mode, top row first, 24 bits: one dark 2 x 2 blob.
  TestImage first(7, 5, 24, true);
  first.FillBgr(100, 100, 100);
  for (int y = 1; y <= 2; ++y)
    for (int x = 3; x <= 4; ++x) first.SetBgr(x, y, 0, 0, 0);
  ASSERT_EQ(Bind(first), S_OK);
  _PARAMS_Glazet params = ColourParams();
  params.DefectThreshold = 20.0;  // the grey of 100 lies inside the band around the mean 88.6
  ASSERT_EQ(Run(params), S_OK);
  EXPECT_EQ(result.numpackagefects, 1);
  std::vector<unsigned char> file = ReadDefectMapFile();
  ASSERT_EQ(file.size(), 54u + first.PixelBuffer().size());
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(I32(&file[2]), static_cast<std::int32_t>(file.size()));
  EXPECT_EQ(I32(&file[10]), 54);
  EXPECT_EQ(I32(&file[18]), 7);
  EXPECT_EQ(I32(&file[22]), -5);
  EXPECT_EQ(file[28], 24);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const unsigned char* px = &file[54 + first.Offset(x, y)];
      const bool candidate = x >= 3 && x <= 4 && y >= 1 && y <= 2;
      EXPECT_EQ(px[0], candidate ? 0 : 255) << x << "," << y;
      EXPECT_EQ(px[1], px[0]);
      EXPECT_EQ(px[2], px[0]);
    }
  EXPECT_TRUE(std::equal(first.PixelBuffer().begin(), first.PixelBuffer().end(), file.begin() + 54))
      << "the file carries the painted buffer";

  // A second run, Bayer mode, bottom row first, 32 bits, stopped for too many
  // candidates: it replaces the file, every candidate black, fourth bytes kept.
  TestImage second(512, 512, 32);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      second.SetSample(x, y, (x / 2 + y / 2) % 2 ? 3200 : 0, 12);
      second.At(x, y)[3] = 0x5A;
    }
  ASSERT_EQ(Bind(second), S_OK);
  ASSERT_EQ(Run(BayerParams()), S_OK);
  EXPECT_EQ(result.numpackagefects, 65535);
  file = ReadDefectMapFile();
  ASSERT_EQ(file.size(), 54u + second.PixelBuffer().size());
  EXPECT_EQ(I32(&file[22]), 512);
  EXPECT_EQ(file[28], 32);
  EXPECT_TRUE(std::equal(second.PixelBuffer().begin(), second.PixelBuffer().end(), file.begin() + 54));
  int black = 0;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      const unsigned char* px = &file[54 + second.Offset(x, y)];
      black += px[0] == 0;
      EXPECT_EQ(px[3], 0x5A);
      if (px[0] == 0) {
        EXPECT_TRUE(x % 2 == 1 && y % 2 == 0) << "only R sites are tested";
      }
    }
  EXPECT_EQ(black, 256 * 256) << "every R site leaves the band";

  // A third, smaller picture: the file shrinks to it.
  TestImage third(3, 2, 24);
  third.FillBgr(100, 100, 100);
  ASSERT_EQ(Bind(third), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);
  file = ReadDefectMapFile();
  ASSERT_EQ(file.size(), 78u);
  EXPECT_EQ(I32(&file[2]), 78);
  EXPECT_TRUE(std::equal(third.PixelBuffer().begin(), third.PixelBuffer().end(), file.begin() + 54));
}

// set_KeepPicture: the same file, the bound pixels untouched, until the next Open.
TEST_F(GlazetHost, AKeptPictureGivesTheSameFileAndStaysAsItWas) {
  const auto picture = [] {
    TestImage image(64, 48, 32);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        image.SetSample(x, y, (x * 7 + y * 3) % 11 == 0 ? 3000 : 400, 12);
        image.At(x, y)[3] = static_cast<unsigned char>(x + y);
      }
    return image;
  };
  TestImage painted = picture();
  ASSERT_EQ(Bind(painted), S_OK);
  ASSERT_EQ(Run(BayerParams()), S_OK);
  const std::vector<unsigned char> paintedFile = ReadDefectMapFile();
  ASSERT_NE(painted.PixelBuffer(), picture().PixelBuffer()) << "the default run paints";

  EXPECT_EQ(glazet.set_KeepPicture(1), S_OK);
  TestImage kept = picture();
  ASSERT_EQ(Bind(kept), S_OK);
  ASSERT_EQ(Run(BayerParams()), S_OK);
  EXPECT_EQ(ReadDefectMapFile(), paintedFile);
  EXPECT_EQ(kept.PixelBuffer(), picture().PixelBuffer());

  // Open paints again.
  ASSERT_EQ(glazet.Close(), S_OK);
  EXPECT_EQ(glazet.set_KeepPicture(1), E_ABORT) << "closed";
  ASSERT_EQ(glazet.Open(0), S_OK);
  ASSERT_EQ(Run(BayerParams()), S_OK);
  EXPECT_EQ(kept.PixelBuffer(), painted.PixelBuffer());
}

}  // namespace
}  // namespace sensor::glazet::test
