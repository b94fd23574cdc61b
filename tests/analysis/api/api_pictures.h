// Random test pictures for the in-memory analyses, each held twice: as the
// station's bound bitmap and as an image view of any layout holding the same
// values (Bayer samples stored by the view layouts' mapping, colours in
// either byte order), so that both routes can be run on one picture.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "sensordefect/ImageView.h"
#include "test_image.h"

namespace sensor::api::test {

struct PictureRecipe {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool Bayer = false;
  std::int32_t SensorBpp = 8;
  sensordefect::PixelLayout Layout = sensordefect::PixelLayout::Bgr24;
  bool BottomUp = false;  // Bgr24/Bgra32 views: the station bitmap's row order
  // Spots darker or brighter than the field (blemishes), and single pixels at
  // the ends of the range (hot and dark pixels).
  int Spots = 3;
  int Outliers = 20;
};

// An outlier pixel planted in the picture, and whether it is bright.
struct Outlier {
  std::int32_t X, Y;
  bool Bright;
};

class TestPicture {
 public:
  TestPicture(const PictureRecipe& recipe, std::mt19937& random);

  // The station's bitmap (24 or 32 bits as the view's layout, 32 bits for the
  // other layouts); Glazet paints it.
  sensor::test::TestImage& Bitmap() { return bitmap_; }
  // The view of the same picture in the recipe's layout, on memory of its own
  // for the layouts the station does not bind.
  sensordefect::ImageView View();
  const std::vector<Outlier>& Outliers() const { return outliers_; }
  // The sample (Bayer) or the channel value (colour: R 0, G 1, B 2) the
  // station reads at (x, y).
  std::uint32_t ValueAt(std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t testBpp) const;

 private:
  PictureRecipe recipe_;
  sensor::test::TestImage bitmap_;
  std::vector<std::uint8_t> own_;  // the view's bytes when it is not the bitmap
  std::int64_t ownStride_ = 0;
  std::vector<Outlier> outliers_;
};

}  // namespace sensor::api::test
