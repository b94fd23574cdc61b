#include "api_pictures.h"

#include <algorithm>
#include <cstring>

#include "common/sample_rule.h"

namespace sensor::api::test {

using sensordefect::PixelLayout;

namespace {

std::uint16_t BitmapBits(PixelLayout layout) {
  return layout == PixelLayout::Bgr24 ? 24 : 32;
}

}  // namespace

TestPicture::TestPicture(const PictureRecipe& recipe, std::mt19937& random)
    : recipe_(recipe), bitmap_(recipe.Width, recipe.Height, BitmapBits(recipe.Layout), !recipe.BottomUp) {
  const std::int32_t w = recipe.Width, h = recipe.Height;
  const std::int32_t top = recipe.Bayer ? (1 << recipe.SensorBpp) - 1 : 255;
  // A field with noise, spots and outliers, as values 0 .. top per channel.
  std::vector<std::int32_t> values(static_cast<std::size_t>(w) * h * 3);
  std::uniform_int_distribution<int> noise(-top / 40, top / 40);
  const std::int32_t field = top / 2;
  for (auto& v : values) v = field + noise(random);
  std::uniform_int_distribution<int> column(0, w - 1), row(0, h - 1), radius(1, 5);
  for (int s = 0; s < recipe.Spots; ++s) {
    const std::int32_t cx = column(random), cy = row(random), r = radius(random);
    const std::int32_t shift = (s % 2 == 0 ? -1 : 1) * top / 4;
    for (std::int32_t y = std::max(0, cy - r); y <= std::min(h - 1, cy + r); ++y)
      for (std::int32_t x = std::max(0, cx - r); x <= std::min(w - 1, cx + r); ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
          for (int c = 0; c < 3; ++c) values[(static_cast<std::size_t>(y) * w + x) * 3 + c] += shift;
  }
  for (int o = 0; o < recipe.Outliers; ++o) {
    const Outlier out{column(random), row(random), o % 2 == 0};
    // A pixel planted twice keeps the later value.
    std::erase_if(outliers_, [&](const Outlier& e) { return e.X == out.X && e.Y == out.Y; });
    outliers_.push_back(out);
    for (int c = 0; c < 3; ++c) values[(static_cast<std::size_t>(out.Y) * w + out.X) * 3 + c] = out.Bright ? top : 0;
  }
  for (auto& v : values) v = std::clamp(v, 0, top);

  // The view's own bytes, rows padded by an odd number of bytes.
  const std::int32_t bytes = sensordefect::BytesPerPixel(recipe.Layout);
  const bool own = recipe.Layout != PixelLayout::Bgr24 && recipe.Layout != PixelLayout::Bgra32;
  if (own) {
    ownStride_ = std::int64_t{w} * bytes + 3 + (recipe.Layout == PixelLayout::Bayer16 ? 1 : 0);
    own_.assign(static_cast<std::size_t>(ownStride_ * h), 0xA5);
  }
  const int shift = recipe.Bayer ? recipe.SensorBpp - 8 : 0;
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      const std::int32_t* v = &values[(static_cast<std::size_t>(y) * w + x) * 3];
      unsigned char* p = bitmap_.At(x, y);
      std::uint8_t* o = own ? own_.data() + y * ownStride_ + std::int64_t{x} * bytes : nullptr;
      if (recipe.Bayer) {
        // An 8-bit frame holds samples of 8 bits whatever the sensor's depth.
        const std::uint32_t sample = recipe.Layout == PixelLayout::Bayer8 ? static_cast<std::uint32_t>(v[0]) >> shift
                                                                         : static_cast<std::uint32_t>(v[0]);
        p[0] = static_cast<unsigned char>(sample >> shift);
        p[1] = static_cast<unsigned char>(sample & ((1u << shift) - 1));
        p[2] = static_cast<unsigned char>(v[1] & 255);  // not read in Bayer mode
        if (recipe.Layout == PixelLayout::Bayer8) *o = static_cast<std::uint8_t>(sample);
        if (recipe.Layout == PixelLayout::Bayer16) {
          const auto s16 = static_cast<std::uint16_t>(sample);
          std::memcpy(o, &s16, 2);
        }
      } else {
        p[0] = static_cast<unsigned char>(v[2]);  // blue
        p[1] = static_cast<unsigned char>(v[1]);
        p[2] = static_cast<unsigned char>(v[0]);  // red
        if (o != nullptr) {
          o[0] = p[2];
          o[1] = p[1];
          o[2] = p[0];
        }
      }
      if (bitmap_.BytesPerPixel() == 4) p[3] = static_cast<unsigned char>(x * 7 + y);
    }
  }
}

sensordefect::ImageView TestPicture::View() {
  sensordefect::ImageView view;
  view.Width = recipe_.Width;
  view.Height = recipe_.Height;
  view.Layout = recipe_.Layout;
  if (!own_.empty()) {
    view.Pixels = own_.data();
    view.RowStride = ownStride_;
  } else {
    view.Pixels = bitmap_.At(0, 0);
    const auto stride = static_cast<std::int64_t>(bitmap_.Stride());
    view.RowStride = recipe_.BottomUp ? -stride : stride;
  }
  return view;
}

std::uint32_t TestPicture::ValueAt(std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t testBpp) const {
  const unsigned char* p = bitmap_.At(x, y);
  if (recipe_.Bayer) {
    const SampleRule rule = SampleRule::For(recipe_.SensorBpp, testBpp);
    return rule.Shift == 0 ? p[0] : (std::uint32_t{p[0]} << rule.Shift) | (p[1] & 3u);
  }
  return p[2 - colour];
}

}  // namespace sensor::api::test
